// "分析全部" over 10,000 articles into a shown download window: the list view takes the rows one
// by one while the event loop runs after every row, as in the program.
#include "analysis/AnalysisRunner.h"
#include "analysis/ArticleConverter.h"
#include "analysis/DownloadWindowHost.h"
#include "downloads/DownloadSession.h"
#include "downloads/FileDownloadWindow.h"
#include "fakes/ScriptedSaveFolderPrompt.h"
#include "search/ArticleListModel.h"
#include "support/TestContext.h"

#include "BenchMain.h"

#include <QApplication>
#include <benchmark/benchmark.h>
#include <memory>

using namespace mojing;
using namespace Qt::StringLiterals;

namespace {

class WindowHost : public DownloadWindowHost {
public:
    explicit WindowHost(const AppContext& context) : m_context(context) {}
    DownloadSession* loadedSession() override { return m_window ? &m_window->session() : nullptr; }
    DownloadSession& ensureSession() override {
        if (!m_window)
            m_window = std::make_unique<FileDownloadWindow>(m_context, nullptr);
        return m_window->session();
    }
    void showDownloadWindow(bool) override {
        if (m_window) {
            m_window->refreshList();
            m_window->show();
        }
    }
    FileDownloadWindow* window() { return m_window.get(); }

private:
    AppContext m_context;
    std::unique_ptr<FileDownloadWindow> m_window;
};

void analyseAllIntoWindow(benchmark::State& state) {
    const int rows = int(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        TestContext t(1.0); // the program's own timings
        t.state.promptSaveFolderOnHarvest = 1;
        ArticleListModel articles;
        for (int i = 0; i < rows; ++i)
            articles.addArticle(u"A study of case "_s + QString::number(i) + u": results"_s,
                                u"https://journals.example/doi/pdf/10.1177/"_s + QString::number(100000 + i),
                                QString(), u"pdf"_s, u"/home/user/12345/"_s, u"o"_s);
        WindowHost host(t.context());
        host.ensureSession();
        host.window()->show();
        QCoreApplication::processEvents();
        ArticleConverter converter(t.context(), articles, host);
        ScriptedSaveFolderPrompt prompt(t.context(), t.path(u"SaveList.dat"_s));
        AnalysisRunner runner(t.context(), articles, converter, prompt, host);
        state.ResumeTiming();

        runner.runAnalysis(AnalysisMode::All);
        QCoreApplication::processEvents();

        state.PauseTiming();
        if (host.window()->session().list().count() != rows)
            state.SkipWithError("rows were lost");
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * rows);
}
BENCHMARK(analyseAllIntoWindow)->Arg(10000)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    return runBenchmarks<QApplication>(argc, argv);
}
