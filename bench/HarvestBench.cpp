// Harvesting one result page of 100 entries from its snapshot: parse the HTML, walk the entries,
// add the rows. Target: well under 5 ms per page.
#include "DemoPlatformServer.h"
#include "dom/BrowserDocument.h"
#include "search/ArticleListModel.h"
#include "search/Harvester.h"

#include <QString>
#include <benchmark/benchmark.h>

using namespace mojing;
using namespace Qt::StringLiterals;

namespace {

QString hundredEntryPage() {
    DemoPlatformServer demo;
    demo.setLayout(2, 100);
    return demo.resultPage(u"soil"_s, 0);
}

void parseSnapshot(benchmark::State& state) {
    const QString html = hundredEntryPage();
    for (auto _ : state)
        benchmark::DoNotOptimize(BrowserDocument::parse(html, u"http://demo.test/s?startPage=0"_s));
    state.counters["bytes"] = double(html.toUtf8().size());
}
BENCHMARK(parseSnapshot)->Unit(benchmark::kMicrosecond);

void harvestHundredEntryPage(benchmark::State& state) {
    const QString html = hundredEntryPage();
    int rows = 0;
    for (auto _ : state) {
        ArticleListModel list;
        const auto doc = BrowserDocument::parse(html, u"http://demo.test/s?startPage=0"_s);
        Harvester::harvest(*doc, false, QString(), list);
        rows = list.count();
    }
    state.counters["rows"] = rows;
}
BENCHMARK(harvestHundredEntryPage)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
