#include "downloads/DownloadSession.h"
#include "downloads/FileDownloadWindow.h"
#include "program/AppContext.h"
#include "program/BrowserConfig.h"
#include "shell/GuiServices.h"
#include "shell/GuiWiring.h"
#include "shell/WindowFlow.h"
#include "support/FaultServer.h"
#include "support/QtPrinters.h"
#include "support/TestContext.h"
#include "transfer/NetworkLayer.h"

#include <QAbstractButton>
#include <QAction>
#include <QDir>
#include <QPointer>
#include <QTimer>
#include <gtest/gtest.h>

using namespace mojing;
using namespace Qt::StringLiterals;

namespace {

// The download window of the program (built by the window flow, deleted later when it closes)
// downloading drip-fed PDFs from a loopback server, closed by the user while bytes arrive.
class DownloadWindowCloseMidTransferTest : public ::testing::TestWithParam<int> {
protected:
    DownloadWindowCloseMidTransferTest() {
        t.timing.tick = Millis(20);
        t.timing.headerWait = Millis(10000);
        t.timing.stallLimit = Millis(10000);
        t.timing.watchdogLimit = Millis(10000);
        flow.setCover(&cover);
        flow.setFactory(WindowFlow::kDownload, [this] { return createDownloadWindow(services); });
        FaultServer::Reply drip = FaultServer::ok("%PDF-1.4\n" + QByteArray(400000, 'p') + "\n%%EOF\n");
        drip.dripBytes = 4000;
        drip.dripIntervalMs = 10; // 400 KB/s: a few seconds per file
        server.route(u"/a.pdf"_s, drip);
        server.route(u"/b.pdf"_s, drip);
        folder = t.path(u"papers"_s) + u'/';
    }
    ~DownloadWindowCloseMidTransferTest() override { flow.deleteAllForms(); }

    QStringList filesLeft() const {
        return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
    }

    TestContext t;
    AppContext context = t.context();
    BrowserConfig config;
    NetworkLayer network;
    QWidget cover;
    WindowFlow flow;
    GuiServices services{context, flow, nullptr, config, &network};
    FaultServer server;
    QString folder;
};

TEST_P(DownloadWindowCloseMidTransferTest, ClosingWhileBytesArriveLeavesNoPartialFile) {
    const int method = GetParam();
    auto* window = qobject_cast<FileDownloadWindow*>(flow.showForm(WindowFlow::kDownload));
    ASSERT_NE(window, nullptr);
    QPointer<FileDownloadWindow> alive(window);
    DownloadSession& session = window->session();
    session.options().method = method;
    session.list().addRow(server.url(u"/a.pdf"_s), u"第一篇"_s, u"pdf"_s, folder, {});
    session.list().addRow(server.url(u"/b.pdf"_s), u"second"_s, u"pdf"_s, folder, {});
    window->findChild<QAbstractButton*>(u"Command4"_s)->click(); // "开始下载"
    ASSERT_TRUE(
        t.pump.waitUntil([&] { return session.list().at(0).received.toLongLong() > 20000; }, Millis(10000)))
        << "the first file is under way";

    // "列表操作" -> "关闭本下载窗口" -> "Yes", from the event loop as a user's click would come.
    t.prompts.yesNoAnswers = {true};
    QTimer::singleShot(0, window,
                       [window] { window->findChild<QAction*>(u"menu退出本下载窗口"_s)->trigger(); });
    ASSERT_TRUE(t.pump.waitUntil([&] { return alive.isNull(); }, Millis(10000))) << "the window unloads";
    t.pump.sleepFor(Millis(300)); // whatever the transfers still had queued
    EXPECT_EQ(t.prompts.texts(FakePrompts::Kind::YesNo).size(), 1);
    EXPECT_TRUE(filesLeft().isEmpty()) << filesLeft().join(u' ').toStdString();
    EXPECT_TRUE(cover.isVisible()) << "the start window comes back";
}

INSTANTIATE_TEST_SUITE_P(BothMethods, DownloadWindowCloseMidTransferTest, ::testing::Values(1, 2),
                         [](const auto& info) { return "Method" + std::to_string(info.param); });

} // namespace
