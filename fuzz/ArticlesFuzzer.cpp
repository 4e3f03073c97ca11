// What users paste into "添加网址或DOI" (addresses and DOIs, one a line) and the article pages the
// resolver reads: the input parser over every line, and the metadata reader over the page.
//
// Input: the page address on the first line, the page's bytes after it; every line of the whole
// input is also read as a pasted line.

#include "FuzzSupport.h"

#include "articles/ArticleInputParser.h"
#include "articles/ArticleMetadataReader.h"
#include "downloads/ArticleRows.h"
#include "platform/AnsiCodec.h"

#include <QRegularExpression>
#include <QSet>
#include <QUrl>

using namespace mojing;
using namespace Qt::StringLiterals;

namespace {

bool isWebUrl(const QString& address) {
    const QUrl url(address);
    const QString scheme = url.scheme().toLower();
    return url.isValid() && !url.host().isEmpty() && (scheme == u"http"_s || scheme == u"https"_s);
}

// Text as a value reads: no control characters, no white space at the ends or twice in a row.
bool isCleanText(const QString& text) {
    for (QChar c : text) {
        if (c.category() == QChar::Other_Control)
            return false;
    }
    return text == text.simplified();
}

void checkInputs(const QString& text) {
    static const QRegularExpression doiShape(u"^10\\.[0-9]{4,9}(\\.[0-9]+)*/\\S+$"_s,
                                             QRegularExpression::UseUnicodePropertiesOption);
    const ParsedInputs parsed = ArticleInputParser::parseLines(text);
    int lines = 0;
    for (const QString& line : text.split(QRegularExpression(u"\r\n|\r|\n"_s))) {
        if (!line.trimmed().isEmpty() && !line.trimmed().startsWith(u'#'))
            ++lines;
    }
    FUZZ_CHECK(int(parsed.inputs.size()) + parsed.duplicates + int(parsed.unrecognised.size()) == lines, text);
    QSet<QString> identities;
    for (const ArticleInput& input : parsed.inputs) {
        FUZZ_CHECK(!identities.contains(input.identity()), input.text);
        identities.insert(input.identity());
        // Reading an input's own text again gives the same input.
        FUZZ_CHECK(ArticleInputParser::parse(input.text) == input, input.text);
        if (input.kind == ArticleInput::Kind::Doi) {
            FUZZ_CHECK(doiShape.match(input.doi).hasMatch(), input.doi);
            FUZZ_CHECK(isCleanText(input.doi), input.doi);
            // The resolver is asked for exactly this DOI.
            const QString address = ArticleInputParser::doiAddress(u"https://doi.org/"_s, input.doi);
            const QUrl url(address, QUrl::StrictMode);
            FUZZ_CHECK(url.isValid() && url.host() == u"doi.org"_s, address);
            FUZZ_CHECK(ArticleInputParser::doiOf(address) == input.doi, address);
        } else {
            FUZZ_CHECK(ArticleInputParser::isWebAddress(input.url), input.url);
            FUZZ_CHECK(input.url == input.text, input.url);
        }
    }
}

void checkPage(const QString& pageUrl, const QByteArray& page) {
    static const AnsiCodec gbk(u"GBK"_s);
    const ArticlePage read = ArticleMetadataReader::readPage(page, u"text/html"_s, pageUrl, gbk);
    const ArticleMetadata& a = read.article;
    FUZZ_CHECK(a.articlePage == pageUrl, a.articlePage);
    FUZZ_CHECK(isCleanText(a.title), a.title);
    FUZZ_CHECK(isCleanText(a.journal), a.journal);
    for (const QString& author : a.authors)
        FUZZ_CHECK(!author.isEmpty() && isCleanText(author), author);
    FUZZ_CHECK(a.year.isEmpty() || (a.year.size() == 4 && a.year.toInt() >= 1500 && a.year.toInt() <= 2099),
               a.year);
    FUZZ_CHECK(a.doi.isEmpty() || ArticleInputParser::doiOf(a.doi) == a.doi, a.doi);
    FUZZ_CHECK(!read.hasCitationTitle || !a.title.isEmpty(), pageUrl);
    FUZZ_CHECK(read.pdfUrl.isEmpty() || isWebUrl(read.pdfUrl), read.pdfUrl);
    FUZZ_CHECK(read.refreshUrl.isEmpty() || isWebUrl(read.refreshUrl), read.refreshUrl);
    if (isWebUrl(pageUrl) && (pageUrl.contains(u"/full/"_s, Qt::CaseInsensitive) ||
                              pageUrl.contains(u"/abs/"_s, Qt::CaseInsensitive)))
        FUZZ_CHECK(!read.pdfUrl.isEmpty(), pageUrl);

    // The row of the article names a file inside its folder, whatever the title holds.
    if (read.pdfUrl.isEmpty())
        return;
    ResolvedArticle resolved;
    resolved.outcome = ResolvedArticle::Outcome::Article;
    resolved.article = a;
    resolved.address = read.pdfUrl;
    const DownloadRow row = ArticleRows::rowFor(resolved, u"/downloads/"_s, {}, gbk);
    FUZZ_CHECK(!row.name.isEmpty() && !fuzz::hasPathSeparator(row.name) && !row.name.startsWith(u'.'),
               row.name);
    FUZZ_CHECK(row.type == u"pdf"_s && row.key == read.pdfUrl && row.tag == pageUrl, row.key);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray input = fuzz::bytesOf(data, size);
    const qsizetype lineEnd = input.indexOf('\n');
    const QString pageUrl = QString::fromUtf8(lineEnd < 0 ? QByteArray() : input.left(lineEnd)).trimmed();
    const QByteArray page = lineEnd < 0 ? input : input.mid(lineEnd + 1);
    checkInputs(fuzz::textOf(data, size));
    checkPage(pageUrl, page);
    return 0;
}
