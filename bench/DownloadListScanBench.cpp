// The two whole-list questions the status timer asks every second, over 100,000 rows.
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

} // namespace

int main(int argc, char** argv) {
    return runBenchmarks<QCoreApplication>(argc, argv);
}
