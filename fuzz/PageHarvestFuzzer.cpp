// Result pages as a journal platform (or a saved file) delivers them: the page snapshot, the
// harvest into article rows and the page-number parsing of the pager.
//
// Input: the page address on the first line, the page's bytes after it.

#include "FuzzSupport.h"

#include "dom/BrowserDocument.h"
#include "dom/DomCollection.h"
#include "dom/HtmlText.h"
#include "platform/AnsiCodec.h"
#include "search/ArticleListModel.h"
#include "search/Harvester.h"
#include "search/SearchController.h"

#include <QUrl>

using namespace mojing;
using namespace Qt::StringLiterals;

namespace {

bool isAbsoluteAddress(const QString& address) {
    const QUrl url(address);
    return url.isValid() && !url.isRelative();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const AnsiCodec gbk(u"GBK"_s);
    const QByteArray input = fuzz::bytesOf(data, size);
    const qsizetype lineEnd = input.indexOf('\n');
    const QString pageUrl = QString::fromUtf8(lineEnd < 0 ? QByteArray() : input.left(lineEnd)).trimmed();
    const QByteArray page = lineEnd < 0 ? input : input.mid(lineEnd + 1);

    const auto document = BrowserDocument::parse(HtmlText::decode(page, gbk), pageUrl);
    const DomElement root = document->documentElement();
    FUZZ_CHECK(!root.isNull(), pageUrl);
    FUZZ_CHECK(root.tagName() == u"HTML"_s, root.tagName());
    FUZZ_CHECK(document->getElementsByTagName(u"*"_s).length() >= 3, pageUrl); // html, head, body
    (void)root.outerHTML();
    (void)root.innerText();

    // Both settings of "only open-access entries"; open-access rows are a subset of all rows.
    ArticleListModel all;
    ArticleListModel openAccess;
    const int handedOver = Harvester::harvest(*document, false, u"/save/"_s, all);
    const int handedOverOpen = Harvester::harvest(*document, true, QString(), openAccess);
    FUZZ_CHECK(handedOver >= all.count() && handedOverOpen >= openAccess.count(), pageUrl);
    FUZZ_CHECK(handedOverOpen <= handedOver, pageUrl);
    const bool absolutePage = isAbsoluteAddress(pageUrl);
    for (int i = 0; i < all.count(); ++i) {
        const ArticleRow& row = all.at(i);
        FUZZ_CHECK(row.title == Harvester::trimSpaces(row.title), row.title);
        FUZZ_CHECK(row.tag == document->URL(), row.tag);
        FUZZ_CHECK(row.fileType == u"pdf"_s && row.saveFolder == u"/save/"_s, row.key);
        if (absolutePage)
            FUZZ_CHECK(isAbsoluteAddress(row.key),
                       u"page "_s + pageUrl + u" gave the PDF address "_s + row.key);
    }
    for (int i = 0; i < openAccess.count(); ++i)
        FUZZ_CHECK(all.containsKey(openAccess.at(i).key), openAccess.at(i).key);

    // The same page again adds nothing.
    const int before = all.count();
    Harvester::harvest(*document, false, u"/save/"_s, all);
    FUZZ_CHECK(all.count() == before, pageUrl);

    // The pager: page numbers from the page's own links and from its address.
    (void)SearchController::currentPageNumberOf(*document);
    const DomElement next = SearchController::nextPageLink(*document);
    if (!next.isNull())
        FUZZ_CHECK(next.tagName() == u"A"_s, next.tagName());
    (void)SearchController::startPageFromUrl(pageUrl);
    for (const DomElement& link : document->getElementsByTagName(u"a"_s))
        (void)SearchController::startPageFromUrl(link.href());
    return 0;
}
