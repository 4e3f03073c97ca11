#include "ArticleInputParser.h"

#include <QRegularExpression>
#include <QSet>
#include <QUrl>

using namespace Qt::StringLiterals;

namespace mojing {

namespace {

// A DOI's prefix is "10." and a registrant code of digits (with dotted subdivisions); the
// suffix is any printable text (no white space of any script: \S is matched with Unicode
// properties).
const QString kDoiPattern = u"10\\.[0-9]{4,9}(?:\\.[0-9]+)*/\\S+"_s;

bool isDoiHost(const QString& host) {
    const QString h = host.toLower();
    return h == u"doi.org"_s || h == u"dx.doi.org"_s || h == u"www.doi.org"_s;
}

// Control characters, and noncharacters (U+FFFE, U+7FFFF, ...), which no registry hands out and
// which do not survive a trip through an address.
bool hasForbiddenCharacter(const QString& text) {
    for (const char32_t c : text.toUcs4()) {
        if (QChar::category(c) == QChar::Other_Control || QChar::isNonCharacter(c))
            return true;
    }
    return false;
}

// A trailing full stop or comma is punctuation of the text around a DOI far more often than
// part of it.
QString withoutTrailingPunctuation(QString doi) {
    while (doi.endsWith(u'.') || doi.endsWith(u','))
        doi.chop(1);
    return doi;
}

QString bareDoi(const QString& text) {
    static const QRegularExpression whole(u"^"_s + kDoiPattern + u"$"_s,
                                          QRegularExpression::UseUnicodePropertiesOption);
    const QString doi = withoutTrailingPunctuation(text);
    if (!whole.match(doi).hasMatch() || hasForbiddenCharacter(doi))
        return {};
    return doi;
}

// The DOI among other words of a line ("Smith J. (2019) ... doi:10.1000/xyz."): brackets that
// close what the DOI did not open, and punctuation, are the sentence's.
QString embeddedDoi(const QString& line) {
    static const QRegularExpression inText(u"(?<![0-9A-Za-z.])"_s + kDoiPattern,
                                           QRegularExpression::UseUnicodePropertiesOption);
    const QRegularExpressionMatch m = inText.match(line);
    if (!m.hasMatch())
        return {};
    QString doi = m.captured(0);
    for (;;) {
        const qsizetype before = doi.size();
        doi = withoutTrailingPunctuation(doi);
        while (doi.endsWith(u';') || doi.endsWith(u':'))
            doi.chop(1);
        const std::pair<QChar, QChar> pairs[] = {{u'(', u')'}, {u'[', u']'}, {u'<', u'>'}};
        for (const auto& [open, close] : pairs) {
            if (doi.endsWith(close) && doi.count(close) > doi.count(open))
                doi.chop(1);
        }
        if (doi.size() == before)
            break;
    }
    return bareDoi(doi);
}

} // namespace

QString ArticleInput::identity() const {
    return kind == Kind::Doi ? u"doi:"_s + doi.toLower() : u"url:"_s + url;
}

bool ArticleInputParser::isWebAddress(const QString& text) {
    const QUrl url(text.trimmed(), QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    return url.isValid() && !url.host().isEmpty() && (scheme == u"http"_s || scheme == u"https"_s);
}

bool ArticleInputParser::isResolverBase(const QString& base) {
    return isWebAddress(base);
}

QString ArticleInputParser::doiOf(const QString& text) {
    const QString s = text.trimmed();
    if (s.startsWith(u"http"_s, Qt::CaseInsensitive)) {
        const QUrl url(s, QUrl::TolerantMode);
        const QString scheme = url.scheme().toLower();
        if (!url.isValid() || (scheme != u"http"_s && scheme != u"https"_s) || !isDoiHost(url.host()))
            return {};
        // Characters of the suffix that would end the path ('?', '#') arrive percent-encoded.
        const QString path = url.path(QUrl::FullyDecoded);
        return path.startsWith(u'/') ? bareDoi(path.mid(1)) : QString();
    }
    if (s.startsWith(u"doi:"_s, Qt::CaseInsensitive))
        return bareDoi(s.mid(4).trimmed());
    if (s.startsWith(u"info:doi/"_s, Qt::CaseInsensitive))
        return bareDoi(s.mid(9));
    return bareDoi(s);
}

QString ArticleInputParser::doiInAddress(const QString& address) {
    if (const QString doi = doiOf(address); !doi.isEmpty())
        return doi;
    const QUrl url(address.trimmed(), QUrl::TolerantMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || (scheme != u"http"_s && scheme != u"https"_s))
        return {};
    // "/doi/", then at most one word naming the view ("pdf", "epdf", "full", "abs", ...).
    static const QRegularExpression publisherPath(u"/doi/(?:[A-Za-z]+/)?(10\\..*)$"_s);
    const QRegularExpressionMatch m = publisherPath.match(url.path(QUrl::FullyDecoded));
    return m.hasMatch() ? bareDoi(m.captured(1)) : QString();
}

QString ArticleInputParser::doiAddress(const QString& resolverBase, const QString& doi) {
    QString base = resolverBase.trimmed();
    if (!base.endsWith(u'/') && !base.endsWith(u'='))
        base += u'/';
    return base + QString::fromLatin1(QUrl::toPercentEncoding(doi, "/"));
}

bool ArticleInputParser::namesFile(const QUrl& url) {
    static const QSet<QString> pageExtensions{u"htm"_s, u"html"_s, u"shtml"_s,  u"xhtml"_s, u"php"_s,
                                              u"asp"_s, u"aspx"_s, u"jsp"_s,    u"jspx"_s,  u"cfm"_s,
                                              u"cgi"_s, u"do"_s,   u"action"_s, u"pl"_s};
    const QString segment = url.fileName(QUrl::FullyDecoded);
    const qsizetype dot = segment.lastIndexOf(u'.');
    if (dot <= 0)
        return false;
    const QString extension = segment.mid(dot + 1).toLower();
    if (extension.isEmpty() || extension.size() > 5 || pageExtensions.contains(extension))
        return false;
    bool letter = false;
    for (QChar c : extension) {
        if (c.unicode() > 0x7F || !c.isLetterOrNumber())
            return false;
        letter = letter || c.isLetter();
    }
    // "demo.12" or "0044118X15598528.1" are parts of identifiers, not extensions.
    return letter;
}

std::optional<ArticleInput> ArticleInputParser::parse(const QString& text) {
    const QString s = text.trimmed();
    if (s.isEmpty() || s.startsWith(u'#'))
        return std::nullopt;
    ArticleInput input;
    input.text = s;
    if (const QString doi = doiOf(s); !doi.isEmpty()) {
        input.kind = ArticleInput::Kind::Doi;
        input.doi = doi;
        return input;
    }
    if (isWebAddress(s)) {
        input.url = s;
        input.kind = namesFile(QUrl(s)) ? ArticleInput::Kind::FileAddress : ArticleInput::Kind::PageAddress;
        return input;
    }
    if (const QString doi = embeddedDoi(s); !doi.isEmpty()) {
        input.kind = ArticleInput::Kind::Doi;
        input.doi = doi;
        return input;
    }
    return std::nullopt;
}

ParsedInputs ArticleInputParser::parseAll(const QStringList& items) {
    ParsedInputs parsed;
    QSet<QString> seen;
    for (const QString& item : items) {
        const QString trimmed = item.trimmed();
        if (trimmed.isEmpty() || trimmed.startsWith(u'#'))
            continue;
        const std::optional<ArticleInput> input = parse(trimmed);
        if (!input) {
            parsed.unrecognised << trimmed;
            continue;
        }
        const QString identity = input->identity();
        if (seen.contains(identity)) {
            ++parsed.duplicates;
            continue;
        }
        seen.insert(identity);
        parsed.inputs.push_back(*input);
    }
    return parsed;
}

ParsedInputs ArticleInputParser::parseLines(const QString& text) {
    static const QRegularExpression lineBreak(u"\r\n|\r|\n"_s);
    return parseAll(text.split(lineBreak));
}

} // namespace mojing
