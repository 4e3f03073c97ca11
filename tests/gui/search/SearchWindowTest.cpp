#include "search/SearchWindow.h"
#include "SilentPage.h"
#include "analysis/AnalysisPanel.h"
#include "search/ArticleListModel.h"
#include "search/SearchHarvesting.h"
#include "settings/SettingKeys.h"
#include "shell/WindowFlow.h"
#include "support/PageServer.h"
#include "support/TestContext.h"
#include "widgets/StatusPanels.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QTableView>
#include <QTimer>
#include <QWebEngineProfile>
#include <QWidget>
#include <gtest/gtest.h>
#include <memory>

using namespace mojing;
using namespace Qt::StringLiterals;

namespace {

// Stands in for the download window: closes at once and tells the flow.
class StubWorkWindow : public QWidget {
public:
    StubWorkWindow(WindowFlow& flow, const QString& name) : m_flow(flow) { setObjectName(name); }

protected:
    void closeEvent(QCloseEvent* event) override {
        QWidget::closeEvent(event);
        m_flow.formUnloaded(this);
    }

private:
    WindowFlow& m_flow;
};

class SearchWindowTest : public ::testing::Test {
protected:
    SearchWindowTest() {
        config.homePage = u"about:blank"_s;
        flow.setCover(&cover);
        flow.setFactory(WindowFlow::kSearch,
                        [this] { return new SearchWindow(*context, flow, profile.get(), config); });
        flow.setFactory(WindowFlow::kDownload,
                        [this] { return new StubWorkWindow(flow, WindowFlow::kDownload); });
    }
    ~SearchWindowTest() override { flow.deleteAllForms(); }

    SearchWindow* openSearch() {
        cover.hide();
        return static_cast<SearchWindow*>(flow.showForm(WindowFlow::kSearch));
    }
    // Lets deferred deletes of closed windows run.
    static void settle() {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();
    }

    TestContext t;
    std::unique_ptr<AppContext> context = std::make_unique<AppContext>(t.context());
    std::unique_ptr<QWebEngineProfile> profile = std::make_unique<QWebEngineProfile>();
    BrowserConfig config;
    QWidget cover;
    WindowFlow flow;
};

TEST_F(SearchWindowTest, CaptionMenusAndControlsCarryTheirDesignNames) {
    SearchWindow* w = openSearch();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->windowTitle(), u"墨鲸文献助手-SAGE数据检索分析"_s);
    EXPECT_GE(w->minimumWidth(), 600);
    EXPECT_GE(w->minimumHeight(), 333);

    struct Entry {
        const char* name;
        QString caption;
    };
    const Entry actions[] = {
        {"menu分析未分析项", u"分析未分析项"_s},
        {"menu加入分析失败项", u"分析失败项"_s},
        {"menu选中加入", u"分析选中项"_s},
        {"menu全部加入", u"分析全部"_s},
        {"menu打开查询首页", u"打开SAGE首页"_s},
        {"menu打开指定网址", u"打开指定网址..."_s},
        {"menu后退", u"后退"_s},
        {"menu前进", u"前进"_s},
        {"menu关闭本窗口", u"关闭本窗口"_s},
        {"menu清除选中项", u"清除选中项"_s},
        {"menu清除分析成功项", u"清除分析成功项"_s},
        {"menu清除标题含指定字符项", u"清除标题含指定字符项"_s},
        {"menu清除标题不含指定字符项", u"清除标题不含指定字符项"_s},
        {"menu清空全部", u"清空全部"_s},
        {"menu设置", u"设置"_s},
        {"menu打开下载窗口", u"打开下载窗口"_s},
        {"menu查看IE浏览器缓存", u"查看IE浏览器缓存"_s},
        {"menu清空IE浏览器缓存", u"清空IE浏览器缓存"_s},
        {"menu网页源码另存为", u"网页源码另存为"_s},
        {"menu关于", u"关于(&A)"_s},
        {"menu使用方法", u"使用方法"_s},
    };
    for (const Entry& e : actions) {
        QAction* a = w->action(QString::fromUtf8(e.name));
        ASSERT_NE(a, nullptr) << e.name;
        EXPECT_EQ(a->text(), e.caption) << e.name;
    }

    // Top-level menus in display order; the first one only serves as a popup.
    const QList<QAction*> top = w->menuBar()->actions();
    const QStringList expectedTop{u"加入"_s, u"浏览(&B)"_s, u"清除(&C)"_s, u"工具(&T)"_s, u"帮助(&H)"_s};
    ASSERT_EQ(top.size(), expectedTop.size());
    for (int i = 0; i < top.size(); ++i)
        EXPECT_EQ(top.at(i)->text(), expectedTop.at(i)) << i;
    EXPECT_FALSE(top.at(0)->isVisible()) << "menu加入 is hidden";
    EXPECT_EQ(w->menu(u"menu加入"_s)->menuAction(), top.at(0));

    const Entry controls[] = {
        {"Command9", u"加入本页到列表"_s}, {"Command4", u"加入全部到列表"_s},
        {"Command2", u"开始分析"_s},       {"Command7", u"导出数据..."_s},
        {"Command5", u"停止"_s},           {"Check1", u"加到最大页码数："_s},
        {"Check2", u"禁止弹出脚本提示"_s}, {"Check3", u"只加入含"_s},
        {"Check7", u"自动分析未分析项"_s},
    };
    for (const Entry& e : controls) {
        QAbstractButton* b = w->button(QString::fromUtf8(e.name));
        ASSERT_NE(b, nullptr) << e.name;
        EXPECT_EQ(b->text(), e.caption) << e.name;
    }
    const Entry labels[] = {{"Label2", u"待分析列表："_s},
                            {"Label1", u"0"_s},
                            {"Label3", u"属于开放下载的资料"_s},
                            {"Label4", u"的资料"_s},
                            {"Label11", u"正在分析，请稍候..."_s}};
    for (const Entry& e : labels) {
        auto* l = w->findChild<QLabel*>(QString::fromUtf8(e.name));
        ASSERT_NE(l, nullptr) << e.name;
        EXPECT_EQ(l->text(), e.caption) << e.name;
    }
    for (const char* name : {"PicPanWeb", "PicPanList", "PicBar", "PicPanPrograss", "WebBrowser1",
                             "ListView1", "StatusBar1", "Image1", "Image2", "Text1"})
        EXPECT_NE(w->findChild<QWidget*>(QString::fromUtf8(name)), nullptr) << name;
    EXPECT_FALSE(w->progressPanel()->isVisible());
    EXPECT_TRUE(w->checkBox(u"Check2"_s)->isChecked());
    EXPECT_FALSE(w->checkBox(u"Check7"_s)->isChecked());
    EXPECT_EQ(w->listView1()->toolTip(), u"双击浏览选中的文章"_s);
}

TEST_F(SearchWindowTest, UnwiredEntriesSayNotAvailableUntilClaimed) {
    SearchWindow* w = openSearch();
    w->action(u"menu清空全部"_s)->trigger();
    EXPECT_EQ(t.prompts.messages(), QStringList{SearchWindow::kNotAvailable});

    QAction* claimed = w->claimAction(u"menu清空全部"_s);
    int runs = 0;
    QObject::connect(claimed, &QAction::triggered, w, [&runs] { ++runs; });
    claimed->trigger();
    QAbstractButton* command9 = w->claimButton(u"Command9"_s);
    command9->click();
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(t.prompts.messages().size(), 1) << "claimed controls lose the placeholder";
}

TEST_F(SearchWindowTest, OptionsComeBackAsTheyWereAtTheLastSuccessfulClose) {
    SearchWindow* w = openSearch();
    EXPECT_EQ(w->options(), SearchOptions{}) << "first run: both ticked, 100";
    w->checkBox(u"Check1"_s)->setChecked(false);
    w->findChild<QLineEdit*>(u"Text1"_s)->setText(u"12a"_s);
    EXPECT_TRUE(w->close());
    settle();

    w = openSearch();
    EXPECT_FALSE(w->checkBox(u"Check1"_s)->isChecked());
    EXPECT_TRUE(w->checkBox(u"Check3"_s)->isChecked());
    EXPECT_EQ(w->findChild<QLineEdit*>(u"Text1"_s)->text(), u"12a"_s) << "kept even when not a number";

    // A refused close saves nothing.
    w->checkBox(u"Check3"_s)->setChecked(false);
    w->state().setAnalysisStopped(false);
    EXPECT_FALSE(w->close());
    EXPECT_EQ(t.settings.read(SettingKeys::kSectionSearch, SettingKeys::kCheck3), u"1"_s);
    w->state().setAnalysisStopped(true);
}

TEST_F(SearchWindowTest, CloseIsRefusedWhileWorking) {
    struct Case {
        const char* name;
        bool addAllStopped;
        bool analysisStopped;
        bool closes;
    };
    const Case cases[] = {
        {"idle", true, true, true},
        {"add-all run active", false, true, false},
        {"analysis active", true, false, false},
        {"both active", false, false, false},
    };
    for (const Case& c : cases) {
        t.prompts.clearShown();
        SearchWindow* w = openSearch();
        int closingSignals = 0;
        QObject::connect(w, &SearchWindow::closing, w, [&closingSignals] { ++closingSignals; });
        w->state().setAddAllStopped(c.addAllStopped);
        w->state().setAnalysisStopped(c.analysisStopped);
        EXPECT_EQ(w->close(), c.closes) << c.name;
        EXPECT_EQ(flow.isFormLoaded(u"fwebsearch"_s), !c.closes) << c.name;
        EXPECT_EQ(closingSignals, c.closes ? 1 : 0) << c.name;
        if (c.closes) {
            EXPECT_TRUE(t.prompts.shown.empty()) << c.name;
            EXPECT_TRUE(cover.isVisible()) << c.name;
        } else {
            EXPECT_EQ(t.prompts.messages(), QStringList{SearchWindowState::kBusyRefusal}) << c.name;
            EXPECT_EQ(t.prompts.lastIcon(), MessageIcon::Error) << c.name;
            EXPECT_TRUE(w->isVisible()) << c.name;
            w->state().setAddAllStopped(true);
            w->state().setAnalysisStopped(true);
            w->close();
        }
        settle();
    }
}

TEST_F(SearchWindowTest, StartWindowComesBackWhenTheLastWorkWindowCloses) {
    struct Case {
        const char* name;
        bool closeSearchFirst;
    };
    for (const Case& c : {Case{"search then download", true}, Case{"download then search", false}}) {
        SearchWindow* search = openSearch();
        QWidget* download = flow.showForm(WindowFlow::kDownload);
        ASSERT_TRUE(flow.isFormLoaded(u"FFILEDOWNLOAD"_s)) << c.name;
        QWidget* first = c.closeSearchFirst ? static_cast<QWidget*>(search) : download;
        QWidget* second = c.closeSearchFirst ? download : static_cast<QWidget*>(search);
        first->close();
        settle();
        EXPECT_FALSE(cover.isVisible()) << c.name << ": the other work window is still loaded";
        second->close();
        settle();
        EXPECT_TRUE(cover.isVisible()) << c.name;
        EXPECT_FALSE(flow.isFormLoaded(WindowFlow::kSearch));
        EXPECT_FALSE(flow.isFormLoaded(WindowFlow::kDownload));
    }
}

TEST_F(SearchWindowTest, DownloadWindowMenuOpensItFromTheSearchWindow) {
    SearchWindow* w = openSearch();
    EXPECT_FALSE(flow.isFormLoaded(WindowFlow::kDownload));
    w->action(u"menu打开下载窗口"_s)->trigger();
    EXPECT_TRUE(flow.isFormLoaded(WindowFlow::kDownload));
    EXPECT_TRUE(flow.form(WindowFlow::kDownload)->isVisible());
}

TEST_F(SearchWindowTest, EndingTheProgramSkipsTheCloseRules) {
    SearchWindow* w = openSearch();
    w->state().setAddAllStopped(false);
    flow.endProgram();
    EXPECT_FALSE(flow.isFormLoaded(WindowFlow::kSearch));
    EXPECT_TRUE(t.prompts.shown.empty());
    EXPECT_EQ(t.settings.read(SettingKeys::kSectionSearch, SettingKeys::kCheck1, u"unsaved"_s), u"unsaved"_s);
}

TEST_F(SearchWindowTest, AddressPromptSetsSilentModeAndNavigates) {
    struct Case {
        const char* name;
        std::optional<QString> answer;
        bool silent;
    };
    const Case cases[] = {
        {"https in capitals with blanks", u"  HTTPS://127.0.0.1:1/x  "_s, false},
        {"plain http", u"http://127.0.0.1:1/"_s, true},
        {"empty answer", u""_s, true},
        {"cancelled", std::nullopt, true},
    };
    SearchWindow* w = openSearch();
    for (const Case& c : cases) {
        w->checkBox(u"Check2"_s)->setChecked(!c.silent);
        t.prompts.inputAnswers.push_back(c.answer);
        w->action(u"menu打开指定网址"_s)->trigger();
        EXPECT_EQ(w->checkBox(u"Check2"_s)->isChecked(), c.silent) << c.name;
        EXPECT_EQ(w->page()->isSilent(), c.silent) << c.name;
    }
    EXPECT_EQ(t.prompts.texts(FakePrompts::Kind::Input).size(), 4);
    EXPECT_EQ(t.prompts.shown.front().text, u"请输入需要打开的网址："_s);
    EXPECT_EQ(t.prompts.shown.front().title, u"请输入..."_s);
}

TEST_F(SearchWindowTest, MakerLinksOpenInTheSystemBrowser) {
    SearchWindow* w = openSearch();
    for (const BrowserConfig::Link& link : config.makerLinks)
        w->action(link.objectName)->trigger();
    ASSERT_EQ(t.shell.argumentsOf(u"openInBrowser"_s).size(), config.makerLinks.size());
    EXPECT_EQ(t.shell.argumentsOf(u"openInBrowser"_s).front(), config.makerLinks.front().url);
}

// A stopped run may still be on the stack when the user closes the window: the close is accepted
// at once, and the window goes only when the run has returned.
TEST_F(SearchWindowTest, CloseDuringAPageSnapshotWaitUnloadsAfterTheHarvest) {
    t.timing.snapshotLimit = Millis(8000);
    t.settings.write(SettingKeys::kSectionSettings, SettingKeys::kPromptFolderOnHarvest, u"0"_s);
    PageServer server;
    server.page(u"/busy"_s, "<html><body><ol class='search-results'></ol></body></html>");
    config.homePage = server.url(u"/busy"_s);
    flow.setFactory(WindowFlow::kSearch, [this] {
        auto* w = new SearchWindow(*context, flow, profile.get(), config);
        SearchHarvesting::attach(w);
        return w;
    });
    QPointer<SearchWindow> w = openSearch();
    ASSERT_TRUE(t.pump.waitUntil(
        [&] { return w->page()->url().path() == u"/busy"_s && !w->page()->isLoading(); }, Millis(20000)));
    // A script keeps the page busy for a while, so the snapshot's answer waits behind it.
    w->page()->runJavaScript(u"var end = Date.now() + 1500; while (Date.now() < end) {}"_s);
    bool aliveAfterClose = false;
    QTimer::singleShot(100, w, [&] {
        EXPECT_TRUE(w->close()) << "nothing refuses the close";
        QTimer::singleShot(200, &cover, [&] { aliveAfterClose = !w.isNull(); });
    });
    w->button(u"Command9"_s)->click(); // "加入本页到列表": waits for the snapshot
    EXPECT_TRUE(aliveAfterClose) << "the window was deleted under the harvest";
    ASSERT_FALSE(w.isNull());
    EXPECT_FALSE(w->isVisible());
    settle();
    EXPECT_TRUE(w.isNull()) << "unloaded once the harvest returned";
    EXPECT_TRUE(cover.isVisible());
}

TEST_F(SearchWindowTest, CloseAfterStoppingAnAnalysisUnloadsWhenTheRunReturns) {
    t.timing.progressCoalesce = Millis(0); // the run lets events run after every row
    t.settings.write(SettingKeys::kSectionSettings, SettingKeys::kPromptFolderOnHarvest, u"1"_s);
    t.state.currentSaveFolder = t.dir.path() + u"/"_s;
    flow.setFactory(WindowFlow::kSearch, [this] {
        auto* w = new SearchWindow(*context, flow, profile.get(), config);
        new AnalysisPanel(*w, *context, flow);
        return w;
    });
    QPointer<SearchWindow> w = openSearch();
    for (int i = 0; i < 50; ++i)
        w->articles()->addArticle(u"Article "_s + QString::number(i),
                                  u"http://j.example/pdf/"_s + QString::number(i), u"http://j.example/s"_s,
                                  u"pdf"_s, QString(), u"搜索"_s);
    bool closed = false;
    QTimer::singleShot(0, w, [&] {
        w->button(u"Command5"_s)->click(); // "停止"
        closed = w->close();
    });
    w->action(u"menu全部加入"_s)->trigger();
    EXPECT_TRUE(closed);
    ASSERT_FALSE(w.isNull()) << "the window was deleted under the analysis run";
    EXPECT_LT(w->articles()->count(), 51);
    settle();
    EXPECT_TRUE(w.isNull());
}

} // namespace
