// One "分析全部" run over 10,000 harvested articles into the download list. The run lets the event
// loop run after every row, as it does in the program, so the figure includes that cost.
#include "analysis/AnalysisRunner.h"
#include "analysis/ArticleConverter.h"
#include "fakes/FakeDownloadWindowHost.h"
#include "fakes/ScriptedSaveFolderPrompt.h"
#include "search/ArticleListModel.h"
#include "support/TestContext.h"

#include "BenchMain.h"

#include <QCoreApplication>
#include <benchmark/benchmark.h>

using namespace mojing;
using namespace Qt::StringLiterals;

namespace {

void analyseAll(benchmark::State& state) {
    const int rows = int(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        TestContext t(1.0); // the program's own timings
        t.state.promptSaveFolderOnHarvest = 1;
        ArticleListModel articles;
        for (int i = 0; i < rows; ++i)
            articles.addArticle(u"A study of case "_s + QString::number(i) + u": results\r\nand notes"_s,
                                u"https://journals.example/doi/pdf/10.1177/"_s + QString::number(100000 + i),
                                u"https://journals.example/action/doSearch?page=1"_s, u"pdf"_s,
                                u"/home/user/12345/"_s, u"o"_s);
        FakeDownloadWindowHost host(t.context());
        ArticleConverter converter(t.context(), articles, host);
        ScriptedSaveFolderPrompt prompt(t.context(), t.path(u"SaveList.dat"_s));
        AnalysisRunner runner(t.context(), articles, converter, prompt, host);
        state.ResumeTiming();

        runner.runAnalysis(AnalysisMode::All);

        state.PauseTiming();
        if (host.session()->list().count() != rows)
            state.SkipWithError("rows were lost");
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * rows);
}
BENCHMARK(analyseAll)->Arg(10000)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char** argv) {
    return runBenchmarks<QCoreApplication>(argc, argv);
}
