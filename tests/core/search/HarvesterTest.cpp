#include "search/Harvester.h"
#include "dom/BrowserDocument.h"
#include "search/ArticleListModel.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

using namespace mojing;
using namespace Qt::StringLiterals;

namespace {

const QString kPageUrl = u"https://journals.example/action/doSearch?AllField=x&startPage=0"_s;
const QString kFree = u"<img src=\"/templates/images/access_free.gif\">"_s;
const QString kRestricted = u"<img src=\"/templates/images/access_no.gif\">"_s;
const QString kPdf = u"<a href=\"/doi/pdf/1\"><img src=\"/images/pdf-icon-large.png\"></a>"_s;

QString entry(const QString& image, const QString& href, const QString& title, bool pdf = true) {
    return u"<li>"_s + image + u"<a href=\""_s + href + u"\">"_s + title + u"</a>"_s +
           (pdf ? kPdf : QString()) + u"</li>"_s;
}

QString results(const QString& entries, const QString& cls = u"search-results"_s) {
    return u"<html><body><ol class=\""_s + cls + u"\">"_s + entries + u"</ol></body></html>"_s;
}

struct Case {
    const char* name;
    QString html;
    bool openAccessOnly;
    QStringList keys; // expected rows, in order
    int handedOver;
};

TEST(Harvester, WhichEntriesBecomeRows) {
    const QString oa = entry(kFree, u"/doi/full/10.1/a"_s, u"A"_s);
    const Case cases[] = {
        {"open-access entry with PDF", results(oa), true, {u"https://journals.example/doi/pdf/10.1/a"_s}, 1},
        {"navigation list before the results",
         u"<ol class=\"nav\"><li>x</li></ol>"_s + results(oa),
         true,
         {},
         0},
        {"class differs by case and blanks",
         results(oa, u"  Search-Results "_s),
         true,
         {u"https://journals.example/doi/pdf/10.1/a"_s},
         1},
        {"class with an extra name", results(oa, u"search-results wide"_s), true, {}, 0},
        {"no ordered list at all", u"<ul class=\"search-results\">"_s + oa + u"</ul>"_s, true, {}, 0},
        {"restricted entry, open access only",
         results(entry(kRestricted, u"/doi/full/b"_s, u"B"_s)),
         true,
         {},
         0},
        {"restricted entry, everything",
         results(entry(kRestricted, u"/doi/full/b"_s, u"B"_s)),
         false,
         {u"https://journals.example/doi/pdf/b"_s},
         1},
        {"entry without image, everything",
         results(
             u"<li><a href=\"/full/c\">C</a><a style=\"background:url(/images/pdf-icon-large.png)\">PDF</a>"
             "</li>"_s),
         false,
         {},
         0},
        {"PDF icon as the only image, everything",
         results(entry(QString(), u"/doi/full/c"_s, u"C"_s)),
         false,
         {u"https://journals.example/doi/pdf/c"_s},
         1},
        {"PDF icon as the only image, open access only",
         results(entry(QString(), u"/doi/full/c"_s, u"C"_s)),
         true,
         {},
         0},
        {"entry without PDF icon", results(entry(kFree, u"/doi/full/d"_s, u"D"_s, false)), false, {}, 0},
        {"upper-case /FULL/ rewritten",
         results(entry(kFree, u"/doi/FULL/e"_s, u"E"_s)),
         true,
         {u"https://journals.example/doi/pdf/e"_s},
         1},
        {"every /full/ rewritten",
         results(entry(kFree, u"/full/x/full/e"_s, u"E"_s)),
         true,
         {u"https://journals.example/pdf/x/pdf/e"_s},
         1},
        {"address without /full/ kept",
         results(entry(kFree, u"/abs/f"_s, u"F"_s)),
         true,
         {u"https://journals.example/abs/f"_s},
         1},
        {"entry without link",
         results(u"<li>"_s + kFree + u"<img src=\"/images/pdf-icon-large.png\"></li>"_s),
         false,
         {},
         0},
        {"same address twice is one row",
         results(oa + entry(kFree, u"/doi/full/10.1/a"_s, u"Other"_s)),
         true,
         {u"https://journals.example/doi/pdf/10.1/a"_s},
         2},
        {"entries in page order, nested items too",
         results(entry(kFree, u"/full/2"_s, u"2"_s) + u"<div>"_s + entry(kFree, u"/full/1"_s, u"1"_s) +
                 u"</div>"_s),
         true,
         {u"https://journals.example/pdf/2"_s, u"https://journals.example/pdf/1"_s},
         2},
        // Links a fuzzed page brought up: every harvested PDF address is absolute.
        {"link without href", results(u"<li>"_s + kFree + u"<a>H</a>"_s + kPdf + u"</li>"_s), false, {}, 0},
        {"link whose address does not parse", results(entry(kFree, u"http://[bad"_s, u"I"_s)), false, {}, 0},
        {"empty href is the page itself", results(entry(kFree, QString(), u"J"_s)), false, {kPageUrl}, 1},
        {"first image decides open access",
         results(u"<li>"_s + kRestricted + kFree + u"<a href=\"/full/g\">G</a>"_s + kPdf + u"</li>"_s),
         true,
         {},
         0},
    };
    for (const Case& c : cases) {
        ArticleListModel list;
        const auto doc = BrowserDocument::parse(c.html, kPageUrl);
        EXPECT_EQ(Harvester::harvest(*doc, c.openAccessOnly, QString(), list), c.handedOver) << c.name;
        QStringList keys;
        for (int i = 0; i < list.count(); ++i)
            keys << list.at(i).key;
        EXPECT_EQ(keys, c.keys) << c.name;
    }
}

TEST(Harvester, RowCarriesTitlePageFolderTypeAndOrigin) {
    ArticleListModel list;
    const auto doc = BrowserDocument::parse(
        results(entry(kFree, u"/doi/full/10.1/a"_s, u"  Urban <b>Heat</b>  Islands "_s)), kPageUrl);
    Harvester::harvest(*doc, true, u"/home/u/12345/"_s, list);
    ASSERT_EQ(list.count(), 1);
    const ArticleRow& row = list.at(0);
    EXPECT_EQ(row.title, u"Urban Heat Islands"_s);
    EXPECT_EQ(row.tag, kPageUrl);
    EXPECT_EQ(row.fileType, u"pdf"_s);
    EXPECT_EQ(row.status, QString());
    EXPECT_EQ(row.saveFolder, u"/home/u/12345/"_s);
    EXPECT_EQ(row.origin, u"搜索"_s);
}

TEST(Harvester, SecondHarvestAddsNothingAndCounterStepsOncePerPage) {
    ArticleListModel list;
    QList<int> counter;
    QObject::connect(&list, &ArticleListModel::countRefreshed, &list, [&](int n) { counter << n; });
    const auto page = BrowserDocument::parse(
        results(entry(kFree, u"/full/1"_s, u"1"_s) + entry(kFree, u"/full/2"_s, u"2"_s)), kPageUrl);
    EXPECT_EQ(Harvester::harvest(*page, true, QString(), list), 2);
    EXPECT_EQ(Harvester::harvest(*page, true, QString(), list), 2);
    EXPECT_EQ(list.count(), 2);
    ASSERT_EQ(counter.count(), 2);
    EXPECT_EQ(counter.at(1), 2);

    const auto notResults = BrowserDocument::parse(u"<p>nothing</p>"_s, kPageUrl);
    Harvester::harvest(*notResults, true, QString(), list);
    EXPECT_EQ(counter.count(), 2) << "a page without a result list leaves the counter alone";
}

TEST(Harvester, TrimsSpacesOnly) {
    const std::pair<QString, QString> cases[] = {
        {u"  a b  "_s, u"a b"_s},
        {u"\ta\n"_s, u"\ta\n"_s},
        {u" \ta "_s, u"\ta"_s},
        {u"   "_s, QString()},
    };
    for (const auto& [input, expected] : cases)
        EXPECT_EQ(Harvester::trimSpaces(input), expected) << input.toStdString();
}

} // namespace
