// The two whole-list questions the status timer asks every second, and the column-header sort,
// over 100,000 rows.
#include "downloads/DownloadListModel.h"

#include "BenchMain.h"

#include <QCoreApplication>
#include <benchmark/benchmark.h>

using namespace mojing;
using namespace Qt::StringLiterals;

namespace {

// Every row finished with its columns filled: both questions must look at every row.
DownloadListModel& finishedList(int rows) {
    static DownloadListModel list(nullptr, 1000);
    if (list.count() != rows) {
        list.clear();
        for (int i = 0; i < rows; ++i) {
            list.addRow(u"https://journals.example/doi/pdf/"_s + QString::number(i), u"name"_s, u"pdf"_s,
                        u"/home/user/12345/"_s, QString());
            list.setState(i, RowState::Finished);
            list.setSize(i, u"123456"_s);
            list.setReceived(i, u"123456"_s);
            list.setPercent(i, u"100%"_s);
        }
        list.flushChanges();
    }
    return list;
}

void countNotStartedRows(benchmark::State& state) {
    DownloadListModel& list = finishedList(int(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(list.countNotStarted());
}
BENCHMARK(countNotStartedRows)->Arg(100000)->Unit(benchmark::kMicrosecond);

void listFinishedScan(benchmark::State& state) {
    DownloadListModel& list = finishedList(int(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(list.isListFinished());
}
BENCHMARK(listFinishedScan)->Arg(100000)->Unit(benchmark::kMicrosecond);

// Rows with varied names, sizes and percents, a few status texts among them.
DownloadListModel& mixedList(int rows) {
    static DownloadListModel list(nullptr, 1000);
    if (list.count() != rows) {
        list.clear();
        for (int i = 0; i < rows; ++i) {
            const int v = int((quint64(i) * 2654435761u) % 1000003u);
            list.addRow(u"https://journals.example/doi/pdf/"_s + QString::number(i),
                        u"Article title "_s + QString::number(v) + u" 文献"_s, u"pdf"_s,
                        u"/home/user/12345/"_s, QString());
            list.setSize(i, i % 50 == 0 ? u"下载失败"_s : QString::number(v * 37));
            list.setPercent(i, i % 70 == 0 ? u"大文件，跳过"_s : QString::number(v % 101) + u"%"_s);
        }
        list.flushChanges();
    }
    return list;
}

// One header click: alternately descending and ascending, as the clicks go.
void headerSort(benchmark::State& state) {
    DownloadListModel& list = mixedList(100000);
    const int column = int(state.range(0));
    bool descending = true;
    for (auto _ : state) {
        list.sort(column, descending ? Qt::DescendingOrder : Qt::AscendingOrder);
        descending = !descending;
    }
}
BENCHMARK(headerSort)
    ->Arg(DownloadListModel::NameCol)
    ->Arg(DownloadListModel::SizeCol)
    ->Arg(DownloadListModel::PercentCol)
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    return runBenchmarks<QCoreApplication>(argc, argv);
}
