#include "downloads/DownloadWindowBinding.h"
#include "downloads/DownloadEngine.h"
#include "downloads/DownloadSession.h"
#include "downloads/FileDownloadWindow.h"
#include "support/NginxPeer.h"
#include "support/QtPrinters.h"
#include "support/TestContext.h"
#include "transfer/NetworkLayer.h"

#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <gtest/gtest.h>
#include <memory>

using namespace mojing;
using namespace Qt::StringLiterals;

namespace {

// A download window with its engine attached, downloading from a real nginx on loopback.
class DownloadWindowBindingTest : public ::testing::Test {
protected:
    void SetUp() override {
        window = std::make_unique<FileDownloadWindow>(t.context(), nullptr);
        binding = new DownloadWindowBinding(*window, network);
        folder = t.path(u"out"_s) + QDir::separator();
    }
    DownloadSession& session() { return window->session(); }
    Scheduler& scheduler() { return binding->engine().scheduler(); }
    void click(const char* name) { window->findChild<QAbstractButton*>(QString::fromLatin1(name))->click(); }
    void trigger(const QString& name) { window->findChild<QAction*>(name)->trigger(); }
    bool waitFor(const std::function<bool()>& done, int ms = 15000) {
        return t.pump.waitUntil(done, Millis(ms));
    }
    bool shape1Visible() { return !window->findChild<QWidget*>(u"Shape1"_s)->isHidden(); }

    TestContext t{0.02}; // 20 ms ticks
    NetworkLayer network;
    std::unique_ptr<FileDownloadWindow> window;
    DownloadWindowBinding* binding = nullptr;
    QString folder;
};

TEST_F(DownloadWindowBindingTest, StartButtonDownloadsTheListAndTheIndicatorFollows) {
    if (!NginxPeer::available())
        GTEST_SKIP() << "nginx is not installed";
    NginxPeer nginx;
    const QByteArray pdf = "%PDF-1.4\n" + QByteArray(300000, 'p') + "\n%%EOF\n";
    nginx.putFile(u"slow/a.pdf"_s, pdf);
    nginx.putFile(u"b.pdf"_s, pdf);
    ASSERT_TRUE(nginx.start(u"1m"_s)) << nginx.errorText().toStdString();
    session().list().addRow(nginx.url(u"slow/a.pdf"_s), u"第一篇"_s, u"pdf"_s, folder, {});
    session().list().addRow(nginx.url(u"b.pdf"_s), u"second"_s, u"pdf"_s, folder, {});

    click("Command4");
    EXPECT_TRUE(scheduler().isRunning());
    EXPECT_TRUE(waitFor([&] { return shape1Visible(); })) << "Shape1 shows while downloading";
    EXPECT_FALSE(window->findChild<QAction*>(u"menu下载全部"_s)->isEnabled());
    ASSERT_TRUE(waitFor([&] { return !scheduler().isRunning(); })) << "the list ends by itself";
    EXPECT_TRUE(waitFor([&] { return !shape1Visible(); }));
    EXPECT_TRUE(window->findChild<QAction*>(u"menu下载全部"_s)->isEnabled());
    EXPECT_EQ(session().list().countInState(RowState::Finished), 2);
    QFile f(folder + u"第一篇.pdf"_s);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), pdf);
}

TEST_F(DownloadWindowBindingTest, StopUnticksTheAutomaticOptionsAndStaysIdle) {
    session().list().addRow(u"http://127.0.0.1:1/a.pdf"_s, u"a"_s, u"pdf"_s, folder, {});
    auto* check3 = window->findChild<QCheckBox*>(u"Check3"_s);
    auto* check4 = window->findChild<QCheckBox*>(u"Check4"_s);
    check3->setChecked(true);
    check4->setChecked(true);
    ASSERT_TRUE(session().options().autoStart);
    trigger(u"menu下载全部"_s);
    click("Command31");
    EXPECT_FALSE(check3->isChecked());
    EXPECT_FALSE(check4->isChecked());
    EXPECT_FALSE(session().options().autoStart);
    EXPECT_FALSE(scheduler().isRunning());
    t.pump.sleepFor(Millis(100)); // several status ticks
    EXPECT_FALSE(scheduler().isRunning());
}

TEST_F(DownloadWindowBindingTest, CloseWithWaitingRowsAsksFirst) {
    session().list().addRow(u"http://127.0.0.1:1/a.pdf"_s, u"a"_s, u"pdf"_s, folder, {});
    t.prompts.yesNoAnswers = {false, true};
    EXPECT_FALSE(window->closeWindow());
    EXPECT_EQ(t.prompts.texts(FakePrompts::Kind::YesNo), QStringList{Scheduler::kCloseQuestion});
    EXPECT_TRUE(scheduler().statusTimerActive()) << "No keeps the window working";
    EXPECT_TRUE(window->closeWindow());
    EXPECT_FALSE(scheduler().statusTimerActive());
}

TEST_F(DownloadWindowBindingTest, RequeueMenuEntriesReachTheList) {
    DownloadListModel& list = session().list();
    list.addRow(u"http://h/a|http://m/a"_s, u"a"_s, u"html"_s, folder, {});
    list.addRow(u"http://h/b"_s, u"b"_s, u"pdf"_s, folder, {});
    list.setState(0, RowState::Failed);
    list.setState(1, RowState::Finished);
    trigger(u"menu重新下载出错项"_s);
    EXPECT_EQ(list.at(0).state, RowState::Waiting);
    EXPECT_EQ(list.at(0).type, u"xxx"_s);
    EXPECT_EQ(list.at(0).key, u"http://m/a|http://h/a"_s);
    EXPECT_TRUE(t.prompts.messages().isEmpty()) << "the entry is no placeholder any more";
    trigger(u"menu清除完成项"_s);
    EXPECT_EQ(list.count(), 1);
}

} // namespace
