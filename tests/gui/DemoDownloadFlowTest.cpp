#include "DemoPlatformServer.h"
#include "SilentPage.h"
#include "analysis/SaveFolderDialog.h"
#include "downloads/DownloadEngine.h"
#include "downloads/DownloadSession.h"
#include "downloads/DownloadWindowBinding.h"
#include "downloads/FileDownloadWindow.h"
#include "program/AppContext.h"
#include "program/BrowserConfig.h"
#include "search/ArticleListModel.h"
#include "search/SearchWindow.h"
#include "shell/GuiServices.h"
#include "shell/GuiWiring.h"
#include "shell/WindowFlow.h"
#include "support/QtPrinters.h"
#include "support/TestContext.h"
#include "transfer/NetworkLayer.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPointer>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <gtest/gtest.h>
#include <memory>

using namespace mojing;
using namespace Qt::StringLiterals;

namespace {

// The whole desktop road of an article over the offline demo platform: harvest every result
// page, analyse the list into the download window, download everything unattended.
class DemoDownloadFlowTest : public ::testing::Test {
protected:
    DemoDownloadFlowTest() {
        t.timing.pagePause = Millis(150);
        t.timing.pagePoll = Millis(20);
        t.timing.pageLoadLimit = Millis(15000);
        t.timing.snapshotLimit = Millis(5000);
        t.timing.tick = Millis(20);
        t.settings.write(u"设置"_s, u"提取网页信息时提示下载保存路径"_s, u"1"_s);
        EXPECT_TRUE(demo.start());
        config.homePage = demo.searchUrl(u"soil"_s, 0).toString();
        flow.setCover(&cover);
        flow.setFactory(WindowFlow::kSearch, [this] {
            auto* w = new SearchWindow(*context, flow, profile.get(), config);
            wireSearchWindow(*w, services);
            return w;
        });
        flow.setFactory(WindowFlow::kDownload, [this] { return createDownloadWindow(services); });
    }
    ~DemoDownloadFlowTest() override { flow.deleteAllForms(); }

    TestContext t;
    std::unique_ptr<AppContext> context = std::make_unique<AppContext>(t.context());
    std::unique_ptr<QWebEngineProfile> profile = std::make_unique<QWebEngineProfile>();
    DemoPlatformServer demo;
    BrowserConfig config;
    NetworkLayer network;
    QWidget cover;
    WindowFlow flow;
    GuiServices services{*context, flow, profile.get(), config, &network, t.path(u"DownloadList.tsv"_s)};
};

TEST_F(DemoDownloadFlowTest, EveryListedPdfArrivesNamedAfterItsTitle) {
    cover.hide();
    auto* search = static_cast<SearchWindow*>(flow.showForm(WindowFlow::kSearch));
    ASSERT_NE(search, nullptr);
    ASSERT_TRUE(t.pump.waitUntil([&] { return search->page()->url().toString().contains(u"startPage=0"_s); },
                                 Millis(20000)));
    t.pump.sleepFor(Millis(500)); // the first result page settles

    // "加入全部到列表" asks for the save folder first; the user picks the test's folder.
    const QString folder = t.path(u"papers"_s);
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, search, [folder] {
        if (auto* dialog = qobject_cast<SaveFolderDialog*>(QApplication::activeModalWidget())) {
            dialog->findChild<QComboBox*>(u"Combo1"_s)->setEditText(folder);
            dialog->confirm();
        }
    });
    answer.start(20);
    search->checkBox(u"Check1"_s)->setChecked(false);
    search->button(u"Command4"_s)->click(); // "加入全部到列表": every result page
    const int articles = search->articles()->count();
    ASSERT_GT(articles, 0);

    search->button(u"Command2"_s)->click(); // "开始分析": every row
    auto* downloads = qobject_cast<FileDownloadWindow*>(flow.form(WindowFlow::kDownload));
    ASSERT_NE(downloads, nullptr);
    DownloadListModel& list = downloads->session().list();
    ASSERT_EQ(list.count(), articles);

    DownloadWindowBinding* binding = DownloadWindowBinding::of(*downloads);
    ASSERT_NE(binding, nullptr);
    downloads->button(u"Command4"_s)->click(); // "开始下载"
    ASSERT_TRUE(t.pump.waitUntil(
        [&] { return !binding->engine().scheduler().isRunning() && binding->engine().idle(); },
        Millis(60000)));

    EXPECT_EQ(list.countInState(RowState::Finished), articles) << list.countsText().toStdString();
    for (int i = 0; i < list.count(); ++i) {
        QFile file(list.filePath(i));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << file.fileName().toStdString();
        EXPECT_TRUE(file.read(5) == "%PDF-") << file.fileName().toStdString();
        EXPECT_EQ(list.at(i).type, u"pdf"_s);
        EXPECT_EQ(list.at(i).percent, u"100%"_s);
        EXPECT_TRUE(list.at(i).folder.startsWith(t.state.currentSaveFolder))
            << list.at(i).folder.toStdString();
        EXPECT_EQ(list.at(i).name, QString(search->articles()->at(i).title).remove(u':'))
            << "named after the title";
    }
}

TEST_F(DemoDownloadFlowTest, DownloadListComesBackWhenTheWindowOpensAgain) {
    auto* window = qobject_cast<FileDownloadWindow*>(flow.showForm(WindowFlow::kDownload));
    ASSERT_NE(window, nullptr);
    DownloadListModel& list = window->session().list();
    list.addRow(demo.baseUrl().toString() + u"/a.pdf"_s, u"一"_s, u"pdf"_s, t.path(u"out"_s), {});
    list.addRow(demo.baseUrl().toString() + u"/b.pdf"_s, u"二"_s, u"pdf"_s, t.path(u"out"_s), {});
    list.setState(1, RowState::Failed);
    QPointer<FileDownloadWindow> closed = window;
    ASSERT_TRUE(window->closeWindow());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_TRUE(closed.isNull());

    auto* again = qobject_cast<FileDownloadWindow*>(flow.showForm(WindowFlow::kDownload));
    ASSERT_NE(again, nullptr);
    const DownloadListModel& back = again->session().list();
    ASSERT_EQ(back.count(), 2);
    EXPECT_EQ(back.at(0).name, u"一"_s);
    EXPECT_EQ(back.at(1).state, RowState::Failed);
    EXPECT_EQ(again->findChild<QLabel*>(u"Label1"_s)->text(), u"2条"_s);
}

} // namespace
