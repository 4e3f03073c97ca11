#include "shell/CoverWindow.h"
#include "program/BrowserEmulation.h"
#include "search/SearchWindow.h"
#include "settings/SettingKeys.h"
#include "shell/WindowFlow.h"
#include "support/TestContext.h"

#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>
#include <QWebEngineProfile>
#include <gtest/gtest.h>
#include <memory>

using namespace mojing;
using namespace Qt::StringLiterals;

namespace {

class CoverWindowTest : public ::testing::Test {
protected:
    CoverWindowTest() {
        config.homePage = u"about:blank"_s;
        flow.setCover(cover.get());
        flow.setFactory(WindowFlow::kSearch,
                        [this] { return new SearchWindow(*context, flow, profile.get(), config); });
    }
    ~CoverWindowTest() override {
        flow.deleteAllForms();
        cover.reset();
    }
    QPushButton* button(const char* name) const {
        return cover->findChild<QPushButton*>(QString::fromUtf8(name));
    }
    QLabel* label(const char* name) const { return cover->findChild<QLabel*>(QString::fromUtf8(name)); }

    TestContext t;
    std::unique_ptr<AppContext> context = std::make_unique<AppContext>(t.context());
    std::unique_ptr<QWebEngineProfile> profile = std::make_unique<QWebEngineProfile>();
    BrowserConfig config;
    WindowFlow flow;
    std::unique_ptr<CoverWindow> cover = std::make_unique<CoverWindow>(*context, flow, config);
    NullEmulationRegistry registry;
};

TEST_F(CoverWindowTest, StartUpShowsTheWindowThenEnablesTheSearchButton) {
    EXPECT_EQ(cover->windowTitle(), u"墨鲸文献助手"_s);
    EXPECT_EQ(label("Label2")->text(), u"版本：1.0.0"_s);
    EXPECT_EQ(label("Label4")->text(), u"(该软件仅用于科研人员辅助少量下载；请不要恶意下载和大量下载！)"_s);
    EXPECT_EQ(label("Label3")->text(), u"最新版本："_s);
    EXPECT_TRUE(label("Label3")->isHidden()) << "no newest version is known, so the line is not shown empty";
    EXPECT_EQ(label("Label1")->text(), u"正在加载组件，请稍候..."_s);
    EXPECT_EQ(button("Command1")->text(), u"资料检索下载"_s);
    EXPECT_EQ(button("Command3")->text(), u"退出软件"_s);
    EXPECT_FALSE(button("Command1")->isEnabled()) << "not before loading is done";

    t.settings.write(SettingKeys::kSectionSettings, SettingKeys::kMaxFileSize, u"42"_s);
    t.state.osDescription.clear();
    cover->startUp(registry, u"/opt/mojing"_s);
    EXPECT_TRUE(cover->isVisible());
    EXPECT_TRUE(button("Command1")->isEnabled());
    EXPECT_TRUE(label("Label1")->isHidden());
    EXPECT_EQ(t.state.maxFileSizeMB, 42.0);
    EXPECT_FALSE(t.state.osDescription.isEmpty());
}

TEST_F(CoverWindowTest, SearchButtonHidesTheStartWindowAndOpensTheSearchWindow) {
    cover->startUp(registry, {});
    button("Command1")->click();
    EXPECT_FALSE(cover->isVisible());
    ASSERT_TRUE(flow.isFormLoaded(WindowFlow::kSearch));
    QWidget* search = flow.form(WindowFlow::kSearch);
    EXPECT_TRUE(search->isVisible());
    EXPECT_EQ(search->windowIcon().cacheKey(), cover->windowIcon().cacheKey())
        << "the icon comes from the start window";

    // A second click reuses the loaded window.
    cover->show();
    button("Command1")->click();
    EXPECT_EQ(flow.form(WindowFlow::kSearch), search);
}

TEST_F(CoverWindowTest, QuittingEndsAtOnceWithoutTheWorkWindowsCloseRules) {
    struct Case {
        const char* name;
        bool useButton;
    };
    for (const Case& c : {Case{"退出软件", true}, Case{"title-bar close", false}}) {
        WindowFlow localFlow;
        CoverWindow localCover(*context, localFlow, config);
        localFlow.setCover(&localCover);
        localFlow.setFactory(WindowFlow::kSearch,
                             [&] { return new SearchWindow(*context, localFlow, profile.get(), config); });
        localCover.startUp(registry, {});
        auto* search = static_cast<SearchWindow*>(localFlow.showForm(WindowFlow::kSearch));
        search->state().setAddAllStopped(false);
        if (c.useButton)
            localCover.findChild<QPushButton*>(u"Command3"_s)->click();
        else
            localCover.close();
        EXPECT_TRUE(localFlow.isEnding()) << c.name;
        EXPECT_FALSE(localFlow.isFormLoaded(WindowFlow::kSearch)) << c.name;
        EXPECT_TRUE(t.prompts.shown.empty()) << c.name << ": no refusal";
    }
}

TEST_F(CoverWindowTest, LatestVersionLabelOpensTheMakersPage) {
    cover->startUp(registry, {});
    QTest::mouseClick(label("Label3"), Qt::LeftButton);
    EXPECT_EQ(t.shell.calls, QStringList{u"openInBrowser:"_s + config.productPage});
}

} // namespace
