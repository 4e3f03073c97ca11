#include "search/SearchHarvesting.h"
#include "DemoPlatformServer.h"
#include "LiveBrowser.h"
#include "SilentPage.h"
#include "dom/BrowserDocument.h"
#include "search/ArticleListModel.h"
#include "search/SearchController.h"
#include "search/SearchWindow.h"
#include "settings/SettingKeys.h"
#include "settings/SettingsStore.h"
#include "shell/WindowFlow.h"
#include "support/QtPrinters.h"
#include "support/TestContext.h"

#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>
#include <QTimer>
#include <QWebEngineProfile>
#include <gtest/gtest.h>
#include <memory>

using namespace mojing;
using namespace Qt::StringLiterals;

namespace {

// The search window in the real browser engine over the demo platform, with short pauses.
class SearchHarvestingTest : public ::testing::Test {
protected:
    SearchHarvestingTest() {
        t.timing.pagePause = Millis(150);
        t.timing.pagePoll = Millis(20);
        t.timing.pageLoadLimit = Millis(15000);
        t.timing.snapshotLimit = Millis(5000);
        // No save-folder dialog: the window reads this setting when it loads.
        t.settings.write(SettingKeys::kSectionSettings, SettingKeys::kPromptFolderOnHarvest, u"0"_s);
        EXPECT_TRUE(demo.start());
        config.homePage = demo.searchUrl(u"soil"_s, 0).toString();
        window = std::make_unique<SearchWindow>(*context, flow, profile.get(), config);
        harvesting = SearchHarvesting::attach(window.get());
        window->show();
        EXPECT_TRUE(t.pump.waitUntil(
            [this] {
                return !harvesting->browser()->busy() &&
                       window->page()->url().toString().contains(u"startPage=0"_s);
            },
            Millis(20000)));
        // The first page is loaded when its result list can be read.
        EXPECT_TRUE(t.pump.waitUntil(
            [this] {
                const auto doc = harvesting->browser()->document();
                return doc && doc->getElementsByTagName(u"ol"_s).length() > 0;
            },
            Millis(20000)));
    }
    ~SearchHarvestingTest() override { window.reset(); }

    QAbstractButton* button(const QString& name) const { return window->button(name); }
    QString counter() const { return window->findChild<QLabel*>(u"Label1"_s)->text(); }

    TestContext t;
    std::unique_ptr<AppContext> context = std::make_unique<AppContext>(t.context());
    std::unique_ptr<QWebEngineProfile> profile = std::make_unique<QWebEngineProfile>();
    DemoPlatformServer demo;
    BrowserConfig config;
    WindowFlow flow;
    std::unique_ptr<SearchWindow> window;
    SearchHarvesting* harvesting = nullptr;
};

TEST_F(SearchHarvestingTest, AddAllWalksEveryResultPage) {
    window->checkBox(u"Check1"_s)->setChecked(false);
    window->checkBox(u"Check3"_s)->setChecked(true);
    QStringList duringRun;
    QObject::connect(window->articles(), &ArticleListModel::countRefreshed, window.get(), [&] {
        duringRun << button(u"Command4"_s)->text() + u'|' +
                         (button(u"Command4"_s)->styleSheet().contains(u"255, 0, 0"_s) ? u"red"_s : u""_s) +
                         u'|' + (window->findChild<QLineEdit*>(u"Text1"_s)->isEnabled() ? u"on"_s : u"off"_s);
    });
    button(u"Command4"_s)->click();

    ASSERT_EQ(window->articles()->count(), 8);
    EXPECT_EQ(counter(), u"8"_s);
    EXPECT_EQ(window->articles()->at(0).title, DemoPlatformServer::articleTitle(0));
    EXPECT_EQ(window->articles()->at(7).key,
              demo.baseUrl().resolved(QUrl(DemoPlatformServer::pdfPath(13))).toString());
    ASSERT_FALSE(duringRun.isEmpty());
    EXPECT_EQ(duringRun.first(), u"停止加入全部|red|off"_s);
    EXPECT_EQ(button(u"Command4"_s)->text(), u"加入全部到列表"_s);
    EXPECT_TRUE(button(u"Command4"_s)->styleSheet().isEmpty());
    EXPECT_TRUE(window->findChild<QLineEdit*>(u"Text1"_s)->isEnabled());
    EXPECT_TRUE(window->state().addAllStopped());
    EXPECT_TRUE(window->page()->url().toString().contains(u"startPage=2"_s));
}

TEST_F(SearchHarvestingTest, StopClickEndsTheRunOnThePageShown) {
    window->checkBox(u"Check1"_s)->setChecked(false);
    bool stopClicked = false;
    QObject::connect(window->page(), &QWebEnginePage::loadFinished, window.get(), [&] {
        if (!stopClicked && window->page()->url().toString().contains(u"startPage=1"_s)) {
            stopClicked = true;
            QTimer::singleShot(0, window.get(), [&] { button(u"Command4"_s)->click(); });
        }
    });
    button(u"Command4"_s)->click();
    EXPECT_TRUE(stopClicked);
    EXPECT_EQ(window->articles()->count(), 5);
    EXPECT_EQ(counter(), u"5"_s);
    EXPECT_TRUE(window->page()->url().toString().contains(u"startPage=1"_s));
    EXPECT_EQ(button(u"Command4"_s)->text(), u"加入全部到列表"_s);
    EXPECT_TRUE(window->state().addAllStopped());
}

TEST_F(SearchHarvestingTest, AddPageAndClearAll) {
    window->checkBox(u"Check3"_s)->setChecked(false);
    button(u"Command9"_s)->click();
    EXPECT_EQ(window->articles()->count(), 4);
    EXPECT_EQ(counter(), u"4"_s);
    t.prompts.yesNoAnswers.push_back(true);
    window->action(u"menu清空全部"_s)->trigger();
    EXPECT_EQ(window->articles()->count(), 0);
    EXPECT_EQ(counter(), u"0"_s);
    EXPECT_TRUE(t.prompts.messages().isEmpty()) << "no placeholder left on the wired commands";
}

} // namespace

namespace {

TEST_F(SearchHarvestingTest, DoubleClickShowsTheArticlePdf) {
    button(u"Command9"_s)->click();
    ASSERT_GT(window->articles()->count(), 0);
    const int rows = window->articles()->count();
    const QString pdf = window->articles()->at(0).key;
    QTableView* view = window->listView1();
    view->selectRow(0);
    emit view->doubleClicked(window->articles()->index(0, 0));
    EXPECT_TRUE(
        t.pump.waitUntil([&] { return demo.requestedPaths().contains(QUrl(pdf).path()); }, Millis(10000)));
    EXPECT_EQ(window->articles()->count(), rows) << "the list is not touched";
    t.pump.waitUntil([&] { return window->page()->url().toString() == pdf; }, Millis(5000));
    EXPECT_EQ(window->page()->url().toString(), pdf);
}

} // namespace
