#include "Harvester.h"

#include "ArticleListModel.h"
#include "dom/BrowserDocument.h"

#include <QUrl>

using namespace Qt::StringLiterals;

namespace mojing {

namespace {
const QString kResultListClass = u"search-results"_s;
const QString kOpenAccessIcon = u"/access_free.gif"_s;
const QString kPdfIcon = u"/images/pdf-icon-large.png"_s;
const QString kFileType = u"pdf"_s;
const QString kOrigin = u"搜索"_s;

bool isAbsoluteAddress(const QString& address) {
    const QUrl url(address);
    return url.isValid() && !url.isRelative();
}
} // namespace

QString Harvester::trimSpaces(const QString& text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text.at(begin) == u' ')
        ++begin;
    while (end > begin && text.at(end - 1) == u' ')
        --end;
    return text.mid(begin, end - begin);
}

QString Harvester::pdfAddressOf(const QString& articleAddress) {
    QString pdf = articleAddress;
    return pdf.replace(u"/full/"_s, u"/pdf/"_s, Qt::CaseInsensitive);
}

int Harvester::harvest(const BrowserDocument& document, bool openAccessOnly, const QString& saveFolder,
                       ArticleListModel& list) {
    // Only the first ordered list of the page is looked at; a page with another list before the
    // results (a navigation list, say) is not a result page.
    const DomElement resultList = document.getElementsByTagName(u"ol"_s).item(0);
    if (!resultList)
        return 0;
    if (trimSpaces(resultList.className()).toLower() != kResultListClass)
        return 0;

    const QString pageUrl = document.URL();
    int handedOver = 0;
    for (const DomElement& entry : resultList.getElementsByTagName(u"LI"_s)) {
        const DomElement image = entry.getElementsByTagName(u"IMG"_s).item(0);
        if (!image)
            continue;
        if (openAccessOnly && !image.src().contains(kOpenAccessIcon, Qt::CaseInsensitive))
            continue;
        const DomElement link = entry.getElementsByTagName(u"A"_s).item(0);
        if (!link)
            continue;
        const QString title = trimSpaces(link.innerText());
        const QString address = trimSpaces(link.href());
        // A link without an address, or with one that does not parse, names no PDF.
        if (!isAbsoluteAddress(address))
            continue;
        if (!entry.innerHTML().contains(kPdfIcon, Qt::CaseInsensitive))
            continue;
        list.addArticle(title, pdfAddressOf(address), pageUrl, kFileType, saveFolder, kOrigin);
        ++handedOver;
    }
    list.refreshCount();
    return handedOver;
}

} // namespace mojing
