// Adding 100,000 rows to the article list (duplicate check included). Target: under 1 s.
#include "search/ArticleListModel.h"

#include <QString>
#include <QStringList>
#include <benchmark/benchmark.h>

using namespace mojing;
using namespace Qt::StringLiterals;

namespace {

void addHundredThousandRows(benchmark::State& state) {
    QStringList keys;
    for (int i = 0; i < 100000; ++i)
        keys << u"https://journals.example/doi/pdf/10.5555/demo.%1"_s.arg(i);
    const QString title = u"Soil Moisture Dynamics in Semi-Arid Grasslands"_s;
    for (auto _ : state) {
        ArticleListModel list;
        for (const QString& key : keys)
            list.addArticle(title, key, u"https://journals.example/s"_s, u"pdf"_s, QString(), u"搜索"_s);
        benchmark::DoNotOptimize(list.count());
    }
}
BENCHMARK(addHundredThousandRows)->Unit(benchmark::kMillisecond);

void removeEveryOtherOfHundredThousand(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        ArticleListModel list;
        for (int i = 0; i < 100000; ++i)
            list.addArticle(u"t"_s, QString::number(i), QString(), u"pdf"_s, QString(), u"搜索"_s);
        for (int i = 0; i < 100000; i += 2)
            list.setSelected(i, true);
        state.ResumeTiming();
        list.removeRowsWhere([](const ArticleRow& row) { return row.selected; });
        benchmark::DoNotOptimize(list.count());
    }
}
BENCHMARK(removeEveryOtherOfHundredThousand)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
