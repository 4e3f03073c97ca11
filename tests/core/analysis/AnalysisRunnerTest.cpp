#include "analysis/AnalysisRunner.h"
#include "analysis/ArticleConverter.h"
#include "fakes/FakeDownloadWindowHost.h"
#include "fakes/ScriptedSaveFolderPrompt.h"
#include "search/ArticleListModel.h"
#include "search/SearchMenuCommands.h"
#include "support/QtPrinters.h"
#include "support/TestContext.h"

#include <QFile>
#include <gtest/gtest.h>

using namespace mojing;
using namespace Qt::StringLiterals;

namespace {

class AnalysisTest : public ::testing::Test {
public:
    AnalysisTest() {
        QObject::connect(&runner, &AnalysisRunner::progressShown, &runner, [this](const QString& text) {
            events << u"show:"_s + text;
            EXPECT_FALSE(runner.analysisStopped());
        });
        QObject::connect(&runner, &AnalysisRunner::progressHidden, &runner, [this] { events << u"hide"_s; });
        t.state.promptSaveFolderOnHarvest = 1;
        t.state.currentSaveFolder = u"/current/"_s;
    }

    // Rows "t0".."tN" with the given statuses; selected rows are marked with a leading '*'.
    void addRows(const QStringList& statuses) {
        for (int i = 0; i < statuses.size(); ++i) {
            QString status = statuses[i];
            const bool selected = status.startsWith(u'*');
            if (selected)
                status.remove(0, 1);
            articles.addArticle(u"t"_s + QString::number(i), u"http://x/pdf/"_s + QString::number(i),
                                QString(), u"pdf"_s, QString(), QString());
            articles.setStatus(i, status);
            articles.setSelected(i, selected);
        }
    }
    QStringList statuses() const {
        QStringList s;
        for (int i = 0; i < articles.count(); ++i)
            s << articles.at(i).status;
        return s;
    }
    QStringList downloadKeys() {
        QStringList keys;
        if (DownloadSession* session = host.loadedSession()) {
            for (int i = 0; i < session->list().count(); ++i)
                keys << session->list().at(i).key.section(u'/', -1);
        }
        return keys;
    }

    TestContext t;
    ArticleListModel articles;
    FakeDownloadWindowHost host{t.context()};
    ArticleConverter converter{t.context(), articles, host};
    ScriptedSaveFolderPrompt folderPrompt{t.context(), t.path(u"SaveList.dat"_s)};
    AnalysisRunner runner{t.context(), articles, converter, folderPrompt, host};
    QStringList events;
};

const QString ok = ArticleListModel::kStatusDone;
const QString busy = ArticleListModel::kStatusAnalysing;
const QString failed = ArticleListModel::kStatusFailed;

struct ModeCase {
    const char* name;
    AnalysisMode mode;
    QStringList before;
    QStringList after;
    QStringList converted; // keys' last segments in the download list
};

TEST(AnalysisRun, ModesTable) {
    const QString ok = ArticleListModel::kStatusDone;
    const QStringList mixed = {QString(), ok, busy, failed, u"分析失败"_s, QString()};
    const ModeCase cases[] = {
        {"unanalysed takes empty statuses only",
         AnalysisMode::Unanalysed,
         mixed,
         {ok, ok, busy, failed, u"分析失败"_s, ok},
         {u"0"_s, u"5"_s}},
        {"failed takes exactly 失败",
         AnalysisMode::Failed,
         mixed,
         {QString(), ok, busy, ok, u"分析失败"_s, QString()},
         {u"3"_s}},
        {"all takes every row",
         AnalysisMode::All,
         mixed,
         {ok, ok, ok, ok, ok, ok},
         {u"0"_s, u"1"_s, u"2"_s, u"3"_s, u"4"_s, u"5"_s}},
        {"selected takes the marked rows",
         AnalysisMode::Selected,
         {u"*"_s, ok, u"*"_s + ok, QString()},
         {ok, ok, ok, QString()},
         {u"0"_s, u"2"_s}},
        {"nothing qualifies", AnalysisMode::Failed, {ok, QString()}, {ok, QString()}, {}},
    };
    for (const ModeCase& c : cases) {
        struct Fixture : AnalysisTest {
            void TestBody() override {}
        } f;
        f.addRows(c.before);
        f.runner.runAnalysis(c.mode);
        EXPECT_EQ(f.statuses(), c.after) << c.name;
        EXPECT_EQ(f.downloadKeys(), c.converted) << c.name;
        EXPECT_EQ(f.events, (QStringList{u"show:"_s + AnalysisRunner::kProgressText, u"hide"_s})) << c.name;
        EXPECT_TRUE(f.runner.analysisStopped()) << c.name;
        EXPECT_EQ(f.host.revealCalls, 1) << c.name;
        EXPECT_EQ(f.folderPrompt.asked, 0) << c.name << ": folders were chosen when harvesting";
    }
}

TEST_F(AnalysisTest, SecondAllRunAddsNoRows) {
    addRows({QString(), QString(), QString()});
    runner.runAnalysis(AnalysisMode::All);
    runner.runAnalysis(AnalysisMode::All);
    EXPECT_EQ(downloadKeys(), (QStringList{u"0"_s, u"1"_s, u"2"_s}));
    EXPECT_EQ(host.reveals, 2);
    EXPECT_TRUE(host.visible);
    EXPECT_FALSE(host.lastRestore);
}

TEST_F(AnalysisTest, StopLeavesTheRestUntouchedAndStillReveals) {
    addRows({QString(), QString(), QString(), QString()});
    // "停止" is pressed while row 1 is being converted (the run pumps events after it).
    QObject::connect(&articles, &QAbstractItemModel::dataChanged, &articles,
                     [this](const QModelIndex& index) {
                         if (articles.at(index.row()).status == ok && index.row() == 1)
                             runner.stop();
                     });
    runner.runAnalysis(AnalysisMode::Unanalysed);
    EXPECT_EQ(statuses(), (QStringList{ok, ok, QString(), QString()}));
    EXPECT_EQ(events.last(), u"hide"_s);
    EXPECT_TRUE(runner.analysisStopped());
    EXPECT_EQ(host.reveals, 1);
}

TEST_F(AnalysisTest, SelectedModeTestsStopAfterUnselectedRowsToo) {
    addRows({QString(), QString(), u"*"_s});
    // Stop before the run reaches the selected row: it is pressed during the first pump.
    QTimer::singleShot(0, &runner, [this] { runner.stop(); });
    runner.runAnalysis(AnalysisMode::Selected);
    EXPECT_EQ(statuses(), (QStringList{QString(), QString(), QString()}));
    EXPECT_TRUE(downloadKeys().isEmpty());
}

TEST_F(AnalysisTest, FolderAskedAtAnalysisWhenNotAtHarvest) {
    t.state.promptSaveFolderOnHarvest = 0;
    addRows({QString(), QString()});
    folderPrompt.answers.push_back({ScriptedSaveFolderPrompt::Confirm, t.path(u"chosen"_s)});
    runner.runAnalysis(AnalysisMode::All);
    EXPECT_EQ(folderPrompt.asked, 1);
    ASSERT_EQ(downloadKeys().size(), 2);
    EXPECT_EQ(host.session()->list().at(0).folder, t.path(u"chosen"_s) + u'/');
}

TEST_F(AnalysisTest, CancelledFolderConvertsNothing) {
    t.state.promptSaveFolderOnHarvest = 0;
    addRows({QString(), failed});
    folderPrompt.answers.push_back({ScriptedSaveFolderPrompt::Cancel, {}});
    runner.runAnalysis(AnalysisMode::All);
    EXPECT_EQ(statuses(), (QStringList{QString(), failed}));
    EXPECT_EQ(host.loads, 0);
    EXPECT_EQ(events.last(), u"hide"_s);
    EXPECT_EQ(host.revealCalls, 1);
    EXPECT_EQ(host.reveals, 0) << "a window that was never created stays uncreated";
}

TEST_F(AnalysisTest, EmptyListShowsNoDialog) {
    t.state.promptSaveFolderOnHarvest = 0;
    runner.runAnalysis(AnalysisMode::All);
    EXPECT_EQ(folderPrompt.asked, 0);
    EXPECT_EQ(events.size(), 2);
}

TEST_F(AnalysisTest, StartButton) {
    int chooserCalls = 0;
    std::optional<AnalysisMode> choice;
    auto choose = [&] {
        ++chooserCalls;
        return choice;
    };
    QList<bool> enabled;
    QObject::connect(&runner, &AnalysisRunner::startEnabledChanged, &runner, [&](bool on) { enabled << on; });

    runner.startClicked(choose);
    EXPECT_EQ(t.prompts.messages(), QStringList{AnalysisRunner::kEmptyList});
    EXPECT_EQ(t.prompts.lastIcon(), MessageIcon::Information);
    EXPECT_EQ(host.revealCalls, 0) << "no run for an empty list";
    EXPECT_EQ(enabled, (QList<bool>{false, true}));

    addRows({QString(), ok});
    runner.startClicked(choose);
    EXPECT_EQ(chooserCalls, 0) << "without a selection every row runs at once";
    EXPECT_EQ(statuses(), (QStringList{ok, ok}));
    EXPECT_EQ(downloadKeys().size(), 2);

    articles.setStatus(0, failed);
    articles.setSelected(1, true);
    runner.startClicked(choose); // popup dismissed
    EXPECT_EQ(chooserCalls, 1);
    EXPECT_EQ(statuses(), (QStringList{failed, ok}));
    choice = AnalysisMode::Failed;
    runner.startClicked(choose);
    EXPECT_EQ(statuses(), (QStringList{ok, ok}));
}

TEST_F(AnalysisTest, AutoAnalysisSwitch) {
    t.state.promptSaveFolderOnHarvest = 0;
    folderPrompt.answers.push_back({ScriptedSaveFolderPrompt::Cancel, {}});
    QList<bool> changes;
    QObject::connect(&runner, &AnalysisRunner::autoAnalysisChanged, &runner, [&](bool on) { changes << on; });
    EXPECT_FALSE(runner.setAutoAnalysis(true)) << "a cancelled folder switches it off again";
    EXPECT_FALSE(runner.autoAnalysisOn());

    folderPrompt.answers.push_back({ScriptedSaveFolderPrompt::Confirm, t.path(u"auto"_s)});
    EXPECT_TRUE(runner.setAutoAnalysis(true));
    EXPECT_TRUE(runner.autoAnalysisOn());
    EXPECT_EQ(runner.timer().interval(), int(t.timing.tick.count()));
    EXPECT_FALSE(runner.setAutoAnalysis(false));
    EXPECT_FALSE(runner.autoAnalysisOn());
    EXPECT_EQ(changes, (QList<bool>{false, true, false}));
    EXPECT_EQ(folderPrompt.asked, 2);

    t.state.promptSaveFolderOnHarvest = 1;
    t.state.saveFolderCancelled = true;
    EXPECT_TRUE(runner.setAutoAnalysis(true)) << "folders come from harvesting: no dialog";
    EXPECT_EQ(folderPrompt.asked, 2);
    runner.setAutoAnalysis(false);
}

TEST_F(AnalysisTest, AutoTicksConvertNewRowsWithoutAskingAgain) {
    t.state.promptSaveFolderOnHarvest = 0;
    folderPrompt.answers.push_back({ScriptedSaveFolderPrompt::Confirm, t.path(u"auto"_s)});
    ASSERT_TRUE(runner.setAutoAnalysis(true));
    runner.autoTick(); // nothing to do: the panel flashes and no window is created
    EXPECT_EQ(events.size(), 2);
    EXPECT_EQ(host.loads, 0);

    addRows({QString(), ok});
    runner.autoTick();
    EXPECT_EQ(statuses(), (QStringList{ok, ok}));
    EXPECT_EQ(downloadKeys(), QStringList{u"0"_s});
    EXPECT_EQ(folderPrompt.asked, 1);
    EXPECT_EQ(host.session()->list().at(0).folder, t.path(u"auto"_s) + u'/');
    runner.autoTick();
    EXPECT_EQ(host.reveals, 2) << "each tick reveals the window once it exists";
    runner.setAutoAnalysis(false);
}

TEST_F(AnalysisTest, TickDuringARunIsSkipped) {
    addRows({QString(), QString(), QString()});
    int nestedRuns = 0;
    QObject::connect(&runner, &AnalysisRunner::progressShown, &runner, [&] { ++nestedRuns; });
    QObject::connect(&articles, &QAbstractItemModel::dataChanged, &articles, [this] { runner.autoTick(); });
    runner.runAnalysis(AnalysisMode::Unanalysed);
    EXPECT_EQ(nestedRuns, 1);
    EXPECT_EQ(downloadKeys().size(), 3);
}

TEST(SearchMenuCommands, UsageTextHasFourLinesEachWithCrLf) {
    const QString text = SearchMenuCommands::usageText();
    EXPECT_EQ(text.count(u"\r\n"_s), 4);
    EXPECT_TRUE(text.endsWith(u"就可以全部下载到本地电脑。\r\n"_s));
    FakePrompts prompts;
    SearchMenuCommands::showUsage(prompts);
    EXPECT_EQ(prompts.shown.at(0).title, u"软件使用方法"_s);
    EXPECT_EQ(prompts.lastIcon(), MessageIcon::Information);
}

TEST(SearchMenuCommands, PageSourceIsWrittenOrTheFailureReported) {
    TestContext t;
    const QString file = t.path(u"page.txt"_s);
    EXPECT_TRUE(SearchMenuCommands::writePageSource(file, u"<html>中</html>"_s, t.codec, t.prompts));
    EXPECT_EQ(t.prompts.lastMessage(), u"OK!"_s);
    QFile in(file);
    ASSERT_TRUE(in.open(QIODevice::ReadOnly));
    EXPECT_EQ(in.readAll(), t.codec.encode(u"<html>中</html>"_s));

    EXPECT_FALSE(
        SearchMenuCommands::writePageSource(t.path(u"no/such/page.txt"_s), u"x"_s, t.codec, t.prompts));
    EXPECT_EQ(t.prompts.lastIcon(), MessageIcon::Error);

    t.prompts.saveFileAnswers.push_back(QString());
    EXPECT_TRUE(SearchMenuCommands::askPageSourceFile(t.prompts).isEmpty());
    EXPECT_EQ(t.prompts.shown.back().text, u"*.txt|*.txt"_s);
}

} // namespace
