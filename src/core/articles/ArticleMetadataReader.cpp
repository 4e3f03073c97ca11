#include "ArticleMetadataReader.h"

#include "ArticleInputParser.h"
#include "dom/BrowserDocument.h"
#include "dom/HtmlText.h"
#include "platform/AnsiCodec.h"

#include <QHash>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QUrl>
#include <initializer_list>

using namespace Qt::StringLiterals;

namespace mojing {

namespace {

// The page's <meta> values by name (name= or property=, lower case), in page order.
class MetaValues {
public:
    explicit MetaValues(const BrowserDocument& document) {
        for (const DomElement& meta : document.getElementsByTagName(u"meta"_s)) {
            const QString content = meta.getAttribute(u"content"_s);
            if (meta.getAttribute(u"http-equiv"_s).trimmed().compare(u"refresh"_s, Qt::CaseInsensitive) ==
                    0 &&
                m_refresh.isEmpty())
                m_refresh = content;
            const QString name = meta.getAttribute(u"name"_s).trimmed().toLower();
            const QString property = meta.getAttribute(u"property"_s).trimmed().toLower();
            if (!name.isEmpty())
                m_values[name] << content;
            if (!property.isEmpty() && property != name)
                m_values[property] << content;
        }
    }

    QStringList values(const QString& name) const { return m_values.value(name); }

    // The first value that reads as something, trying the names in order.
    QString first(std::initializer_list<QString> names) const {
        for (const QString& name : names) {
            for (const QString& value : m_values.value(name)) {
                const QString text = ArticleMetadataReader::cleanText(value);
                if (!text.isEmpty())
                    return text;
            }
        }
        return {};
    }

    // Every value of the first name that has any.
    QStringList all(std::initializer_list<QString> names) const {
        for (const QString& name : names) {
            QStringList texts;
            for (const QString& value : m_values.value(name)) {
                const QString text = ArticleMetadataReader::cleanText(value);
                if (!text.isEmpty())
                    texts << text;
            }
            if (!texts.isEmpty())
                return texts;
        }
        return {};
    }

    QString refresh() const { return m_refresh; }

private:
    QHash<QString, QStringList> m_values;
    QString m_refresh;
};

bool isWebUrl(const QString& address) {
    const QUrl url(address);
    const QString scheme = url.scheme().toLower();
    return url.isValid() && !url.host().isEmpty() && (scheme == u"http"_s || scheme == u"https"_s);
}

QStringList authorsOf(const MetaValues& meta) {
    QStringList authors = meta.all({u"citation_author"_s});
    if (authors.isEmpty()) {
        // The older form lists them in one element.
        for (const QString& part : meta.first({u"citation_authors"_s}).split(u';')) {
            if (!part.trimmed().isEmpty())
                authors << part.trimmed();
        }
    }
    if (authors.isEmpty())
        authors = meta.all({u"dc.creator"_s, u"dcterms.creator"_s});
    return authors;
}

QString yearFrom(const MetaValues& meta) {
    const std::initializer_list<QString> names = {u"citation_publication_date"_s,
                                                  u"citation_date"_s,
                                                  u"citation_online_date"_s,
                                                  u"citation_cover_date"_s,
                                                  u"citation_year"_s,
                                                  u"dc.date"_s,
                                                  u"dc.date.issued"_s,
                                                  u"dcterms.issued"_s,
                                                  u"dcterms.date"_s,
                                                  u"prism.publicationdate"_s,
                                                  u"article:published_time"_s};
    for (const QString& name : names) {
        for (const QString& value : meta.values(name)) {
            const QString year = ArticleMetadataReader::yearOf(value);
            if (!year.isEmpty())
                return year;
        }
    }
    return {};
}

QString doiOf(const MetaValues& meta) {
    for (const QString& name : {u"citation_doi"_s, u"prism.doi"_s, u"dc.identifier"_s,
                                u"dcterms.identifier"_s, u"bepress_citation_doi"_s}) {
        for (const QString& value : meta.values(name)) {
            const QString doi = ArticleInputParser::doiOf(ArticleMetadataReader::cleanText(value));
            if (!doi.isEmpty())
                return doi;
        }
    }
    return {};
}

// Where the PDF is: the page says so; else the platform's usual address for it, the page's
// own with "/full/" or "/abs/" turned into "/pdf/"; else the first link to a PDF.
QString pdfUrlOf(const BrowserDocument& document, const MetaValues& meta) {
    for (const QString& value : meta.values(u"citation_pdf_url"_s)) {
        if (value.trimmed().isEmpty())
            continue;
        const QString resolved = document.resolve(value.trimmed());
        if (isWebUrl(resolved))
            return resolved;
    }
    const QString page = document.URL();
    QString rewritten = page;
    rewritten.replace(u"/full/"_s, u"/pdf/"_s, Qt::CaseInsensitive);
    rewritten.replace(u"/abs/"_s, u"/pdf/"_s, Qt::CaseInsensitive);
    if (rewritten != page && isWebUrl(rewritten))
        return rewritten;
    for (const DomElement& element : document.getElementsByTagName(u"*"_s)) {
        const QString tag = element.tagName();
        if (tag != u"A"_s && tag != u"LINK"_s)
            continue;
        const QString href = element.href();
        if (href.isEmpty() || !isWebUrl(href))
            continue;
        const QString type = element.getAttribute(u"type"_s).trimmed().toLower();
        if (type.startsWith(u"application/pdf"_s) ||
            QUrl(href).path().endsWith(u".pdf"_s, Qt::CaseInsensitive))
            return href;
    }
    return {};
}

QString refreshUrlOf(const BrowserDocument& document, const MetaValues& meta) {
    static const QRegularExpression target(u"url\\s*=\\s*['\"]?([^'\"]+)"_s,
                                           QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = target.match(meta.refresh());
    if (!m.hasMatch())
        return {};
    const QString resolved = document.resolve(m.captured(1).trimmed());
    return isWebUrl(resolved) ? resolved : QString();
}

QString charsetOf(const QString& contentType) {
    static const QRegularExpression charset(u"charset\\s*=\\s*[\"']?([A-Za-z0-9_:.\\-]+)"_s,
                                            QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = charset.match(contentType);
    return m.hasMatch() ? m.captured(1).toLower() : QString();
}

} // namespace

QString ArticleMetadataReader::cleanText(const QString& value) {
    QString text = value;
    // The parser has decoded the attribute once; what still reads as markup or entities was
    // encoded twice (titles with <i>species</i>, "&amp;eacute;").
    if (text.contains(u'&') || text.contains(u'<')) {
        const auto fragment = BrowserDocument::parse(text, QString());
        const DomElement body = fragment->getElementsByTagName(u"body"_s).item(0);
        if (body)
            text = body.innerText();
    }
    QString kept;
    kept.reserve(text.size());
    for (QChar c : text) {
        if (c.category() == QChar::Other_Control && !c.isSpace())
            continue;
        kept += c;
    }
    return kept.simplified();
}

QString ArticleMetadataReader::yearOf(const QString& date) {
    static const QRegularExpression compact(u"^\\s*((?:1[5-9]|20)[0-9]{2})[01][0-9][0-3][0-9](?![0-9])"_s);
    static const QRegularExpression year(u"(?<![0-9])(1[5-9][0-9]{2}|20[0-9]{2})(?![0-9])"_s);
    if (const QRegularExpressionMatch m = compact.match(date); m.hasMatch())
        return m.captured(1);
    const QRegularExpressionMatch m = year.match(date);
    return m.hasMatch() ? m.captured(1) : QString();
}

ArticlePage ArticleMetadataReader::read(const BrowserDocument& document) {
    const MetaValues meta(document);
    ArticlePage page;
    ArticleMetadata& a = page.article;
    const QString citationTitle = meta.first({u"citation_title"_s});
    page.hasCitationTitle = !citationTitle.isEmpty();
    a.title = citationTitle;
    if (a.title.isEmpty())
        a.title = meta.first({u"dc.title"_s, u"dcterms.title"_s, u"og:title"_s});
    if (a.title.isEmpty())
        a.title = cleanText(document.getElementsByTagName(u"title"_s).item(0).innerText());
    a.authors = authorsOf(meta);
    a.year = yearFrom(meta);
    a.journal =
        meta.first({u"citation_journal_title"_s, u"prism.publicationname"_s, u"citation_conference_title"_s});
    a.doi = doiOf(meta);
    a.articlePage = document.URL();
    page.pdfUrl = pdfUrlOf(document, meta);
    page.refreshUrl = refreshUrlOf(document, meta);
    return page;
}

QString ArticleMetadataReader::decodePage(const QByteArray& bytes, const QString& contentType,
                                          const AnsiCodec& ansi) {
    const QString announced = charsetOf(contentType);
    if (!announced.isEmpty()) {
        QStringDecoder decoder(announced.toLatin1().constData());
        if (decoder.isValid())
            return decoder.decode(bytes);
    }
    if (bytes.startsWith("\xEF\xBB\xBF") || bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF"))
        return HtmlText::decode(bytes, ansi);
    if (!HtmlText::declaredCharset(bytes).isEmpty())
        return HtmlText::decode(bytes, ansi);
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8.decode(bytes);
    return utf8.hasError() ? ansi.decode(bytes) : text;
}

ArticlePage ArticleMetadataReader::readPage(const QByteArray& bytes, const QString& contentType,
                                            const QString& url, const AnsiCodec& ansi) {
    return read(*BrowserDocument::parse(decodePage(bytes, contentType, ansi), url));
}

} // namespace mojing
