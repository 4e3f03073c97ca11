// Keeping the download list between sessions: saving and loading 100,000 rows.
#include "downloads/DownloadListModel.h"
#include "downloads/DownloadListStore.h"

#include "BenchMain.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

using namespace mojing;
using namespace Qt::StringLiterals;

namespace {

// Rows as a real list holds them: long addresses, Chinese titles, finished and waiting rows.
DownloadListModel& typicalList(int rows) {
    static DownloadListModel list(nullptr, 1000);
    if (list.count() != rows) {
        list.clear();
        for (int i = 0; i < rows; ++i) {
            const QString n = QString::number(i);
            list.addRow(u"https://journals.example.org/doi/pdf/10.1177/00441"_s + n +
                            u"|https://mirror.example.net/doi/pdf/10.1177/00441"_s + n,
                        u"土壤水分动态与半干旱草原研究 Soil Moisture Dynamics, Study "_s + n, u"pdf"_s,
                        u"/home/researcher/12345/土壤/"_s,
                        u"https://journals.example.org/toc/soil/12/"_s + n);
            if (i % 2 == 0) {
                list.setState(i, RowState::Finished);
                list.setSize(i, u"1234567"_s);
                list.setReceived(i, u"1234567"_s);
                list.setPercent(i, u"100%"_s);
            }
        }
        list.flushChanges();
    }
    return list;
}

void saveList(benchmark::State& state) {
    DownloadListModel& list = typicalList(int(state.range(0)));
    QTemporaryDir dir;
    const QString path = dir.filePath(u"DownloadList.tsv"_s);
    for (auto _ : state)
        benchmark::DoNotOptimize(DownloadListStore::save(list, path));
}
BENCHMARK(saveList)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(5);

void loadList(benchmark::State& state) {
    QTemporaryDir dir;
    const QString path = dir.filePath(u"DownloadList.tsv"_s);
    DownloadListStore::save(typicalList(int(state.range(0))), path);
    for (auto _ : state) {
        std::vector<DownloadRow> rows;
        DownloadListStore::load(path, rows);
        DownloadListModel restored(nullptr, 1000);
        benchmark::DoNotOptimize(restored.appendRows(std::move(rows)));
    }
}
BENCHMARK(loadList)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace

int main(int argc, char** argv) {
    return runBenchmarks<QCoreApplication>(argc, argv);
}
