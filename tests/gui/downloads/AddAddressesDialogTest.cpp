#include "downloads/AddAddressesDialog.h"
#include "downloads/AddAddressesBinding.h"
#include "downloads/DownloadSession.h"
#include "downloads/DownloadWindowBinding.h"
#include "downloads/FileDownloadWindow.h"
#include "support/ArticleSite.h"
#include "support/NextDialog.h"
#include "support/QtPrinters.h"
#include "support/TestContext.h"
#include "transfer/NetworkLayer.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QTableView>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

using namespace mojing;
using namespace Qt::StringLiterals;

namespace {

const QByteArray kPdf = "%PDF-1.4\n1 0 obj << >> endobj\n%%EOF\n";

// A download window with its engine and "添加网址或DOI" attached; the platform's DOI resolver and
// article pages are a loopback server.
class AddAddressesDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        config.doiResolver = site.url(u"/doi/"_s);
        window = std::make_unique<FileDownloadWindow>(t.context(), nullptr, config);
        new DownloadWindowBinding(*window, network);
        binding = new AddAddressesBinding(*window, network);
        folder = t.path(u"out"_s);
    }

    void publish(const QString& id, const QString& title) {
        site.route(u"/doi/10.5555/"_s + id, FaultServer::redirect(site.url(u"/article/"_s + id).toUtf8()));
        site.route(u"/article/"_s + id, articlePageReply(articlePageHtml(title, u"/pdf/"_s + id)));
        site.route(u"/pdf/"_s + id, FaultServer::ok(kPdf));
    }

    // Runs `act` on the dialog the next command opens; a dialog still open after a while is
    // closed so that the test ends.
    void onDialog(std::function<void(AddAddressesDialog&)> act) {
        onNextDialog<AddAddressesDialog>([act](AddAddressesDialog& d) {
            QTimer::singleShot(20000, &d, &QDialog::reject);
            act(d);
        });
    }

    TestContext t{0.02};
    FaultServer site;
    BrowserConfig config;
    NetworkLayer network;
    std::unique_ptr<FileDownloadWindow> window;
    AddAddressesBinding* binding = nullptr;
    QString folder;
};

TEST_F(AddAddressesDialogTest, PastedDoisBecomeRowsThatDownloadNamedByTitle) {
    publish(u"a"_s, u"First: Article"_s);
    publish(u"b"_s, u"Second Article"_s);
    int progressMax = 0;
    bool acceptedBy = false;
    onDialog([&](AddAddressesDialog& d) {
        EXPECT_EQ(d.windowTitle(), u"添加网址或DOI"_s);
        d.findChild<QPlainTextEdit*>(u"Text1"_s)->setPlainText(u"10.5555/a\n\ndoi:10.5555/b\n10.5555/gone"_s);
        d.findChild<QComboBox*>(u"Combo1"_s)->setEditText(folder);
        EXPECT_TRUE(d.findChild<QProgressBar*>(u"ProgressBar1"_s)->isHidden()) << "nothing to count yet";
        QObject::connect(&d, &QDialog::accepted, &d, [&] {
            acceptedBy = true;
            progressMax = d.findChild<QProgressBar*>(u"ProgressBar1"_s)->maximum();
        });
        d.findChild<QAbstractButton*>(u"Command2"_s)->click();
        EXPECT_TRUE(d.findChild<QAbstractButton*>(u"Command3"_s)->isEnabled()) << "Stop while adding";
        EXPECT_FALSE(d.findChild<QAbstractButton*>(u"Command2"_s)->isEnabled());
    });
    window->action(u"menu添加网址或DOI"_s)->trigger();
    EXPECT_TRUE(acceptedBy) << "the dialog closes when everything was added";
    EXPECT_EQ(progressMax, 3);
    EXPECT_EQ(t.prompts.lastMessage(), u"添加2项，1项无法解析"_s);
    const DownloadListModel& list = window->session().list();
    ASSERT_EQ(list.count(), 3);
    EXPECT_EQ(list.at(0).name, u"First Article"_s);
    EXPECT_EQ(list.at(1).name, u"Second Article"_s);
    EXPECT_EQ(list.at(2).size, u"DOI无法解析"_s);
    EXPECT_EQ(list.at(0).folder, folder + QDir::separator());
    EXPECT_EQ(t.settings.read(u"设置"_s, u"下载文件保存路径"_s), folder + QDir::separator())
        << "the folder is taken as the save-folder dialog takes it";
    EXPECT_EQ(window->findChild<QWidget*>(u"Label1"_s)->property("text").toString(), u"3条"_s);

    window->findChild<QAbstractButton*>(u"Command4"_s)->click();
    ASSERT_TRUE(t.pump.waitUntil([&] { return list.countInState(RowState::Finished) == 2; }, Millis(20000)));
    QFile first(folder + u"/First Article.pdf"_s);
    ASSERT_TRUE(first.open(QIODevice::ReadOnly));
    EXPECT_EQ(first.readAll(), kPdf);
}

TEST_F(AddAddressesDialogTest, PastingAndDroppingOntoTheListOpenTheDialogFilledIn) {
    window->show();
    window->activateWindow();
    QTableView* list = window->listView3();
    list->setFocus();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));

    QString shown;
    auto capture = [&shown](AddAddressesDialog& d) {
        shown = d.findChild<QPlainTextEdit*>(u"Text1"_s)->toPlainText();
        d.reject();
    };
    QGuiApplication::clipboard()->setText(u"10.5555/a\n10.5555/b"_s);
    onDialog(capture);
    QTest::keyClick(list, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(shown, u"10.5555/a\n10.5555/b"_s);

    shown.clear();
    QMimeData links;
    links.setUrls({QUrl(u"https://pub.example/article/1"_s), QUrl(u"https://pub.example/files/2.pdf"_s)});
    const QPoint at = list->viewport()->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &links, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(list->viewport(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(at, Qt::CopyAction, &links, Qt::LeftButton, Qt::NoModifier);
    onDialog(capture);
    QApplication::sendEvent(list->viewport(), &drop);
    ASSERT_TRUE(t.pump.waitUntil([&] { return !shown.isEmpty(); }, Millis(5000)));
    EXPECT_EQ(shown, u"https://pub.example/article/1\nhttps://pub.example/files/2.pdf"_s);
    EXPECT_EQ(window->session().list().count(), 0);
}

} // namespace
