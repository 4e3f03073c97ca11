#include "downloads/DownloadFileActionsBinding.h"
#include "downloads/AddAddressesBinding.h"
#include "downloads/DownloadSession.h"
#include "downloads/DownloadWindowBinding.h"
#include "downloads/FileDownloadWindow.h"
#include "fakes/FakeTransferActivity.h"
#include "support/QtPrinters.h"
#include "support/TestContext.h"
#include "tools/UrlReplaceDialog.h"
#include "transfer/NetworkLayer.h"
#include "widgets/StatusPanels.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>
#include <memory>

using namespace mojing;
using namespace Qt::StringLiterals;

namespace {

// A shown download window with the engine, "添加网址或DOI" and the file actions attached.
class DownloadFileActionsBindingTest : public ::testing::Test {
protected:
    void SetUp() override {
        window = std::make_unique<FileDownloadWindow>(t.context(), nullptr);
        new DownloadWindowBinding(*window, network);
        new AddAddressesBinding(*window, network);
        binding = new DownloadFileActionsBinding(*window);
        folder = t.path(u"out"_s) + QDir::separator();
        QDir().mkpath(folder);
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }
    DownloadListModel& list() { return window->session().list(); }
    QTableView* view() { return window->listView3(); }
    void addRow(const QString& name, RowState state, const QString& size = {}) {
        list().addRow(u"http://h/"_s + name, name, u"pdf"_s, folder, {});
        const int i = list().count() - 1;
        list().setState(i, state);
        list().setSize(i, size);
        list().flushChanges();
    }
    void touch(const QString& fileName) {
        QFile f(folder + fileName);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("%PDF");
    }
    QPoint cellCenter(int row) { return view()->visualRect(list().index(row, 0)).center(); }
    void clickHeader(int column) {
        QHeaderView* header = view()->horizontalHeader();
        const QPoint at(header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
                        header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
    }
    QStringList names() {
        QStringList n;
        for (int i = 0; i < list().count(); ++i)
            n << list().at(i).name;
        return n;
    }

    TestContext t;
    NetworkLayer network;
    std::unique_ptr<FileDownloadWindow> window;
    DownloadFileActionsBinding* binding = nullptr;
    QString folder;
};

TEST_F(DownloadFileActionsBindingTest, NoEntryIsAPlaceholderAnyMore) {
    addRow(u"a"_s, RowState::Finished, u"10"_s);
    // Entries that open modal windows (设置, 关于, 批量替换网址) are closed as soon as they show.
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, &closer, [] {
        if (QWidget* modal = QApplication::activeModalWidget())
            modal->close();
    });
    closer.start(20);
    // Left out: the cache entry (another tool), the search window (no window flow in this test)
    // and the close of the window itself.
    const QStringList skipped{u"menu清空IE浏览器缓存"_s, u"menu资料检索分析窗口"_s, u"menu退出本下载窗口"_s};
    int triggered = 0;
    for (QAction* a : window->findChildren<QAction*>()) {
        if (!a->objectName().startsWith(u"menu"_s) || a->menu() || skipped.contains(a->objectName()))
            continue;
        t.prompts.clearShown();
        a->trigger();
        ++triggered;
        EXPECT_FALSE(t.prompts.messages().contains(FileDownloadWindow::kNotAvailable))
            << a->objectName().toStdString();
    }
    EXPECT_GE(triggered, 35);
    t.prompts.clearShown();
    window->action(u"menu清空IE浏览器缓存"_s)->trigger();
}

TEST_F(DownloadFileActionsBindingTest, HeaderClicksSortUnlessDownloadsRun) {
    addRow(u"b"_s, RowState::Finished, u"999"_s);
    addRow(u"c"_s, RowState::Finished, u"1000"_s);
    addRow(u"a"_s, RowState::Failed, u"下载失败"_s);
    clickHeader(DownloadListModel::SizeCol);
    EXPECT_EQ(names(), (QStringList{u"a"_s, u"c"_s, u"b"_s})) << "the first click sorts descending";
    EXPECT_TRUE(t.prompts.messages().isEmpty());

    FakeTransferActivity activity;
    activity.running = true;
    window->session().setActivity(&activity);
    clickHeader(DownloadListModel::SizeCol);
    EXPECT_EQ(names(), (QStringList{u"a"_s, u"c"_s, u"b"_s}));
    EXPECT_EQ(t.prompts.messages(), QStringList{u"停止下载后方可排序！"_s});
    window->session().setActivity(nullptr);
}

TEST_F(DownloadFileActionsBindingTest, MouseOnTheListAndThePanels) {
    addRow(u"done"_s, RowState::Finished, u"4"_s);
    addRow(u"failed"_s, RowState::Failed, u"下载失败"_s);
    touch(u"done.pdf"_s);
    QFile placeholder(folder + u"failed.pdf"_s); // what the failed row's transfer left
    ASSERT_TRUE(placeholder.open(QIODevice::WriteOnly));
    placeholder.write(QByteArray("\x01\x00", 2));
    placeholder.close();
    StatusPanels* status = window->statusBar1();

    QTest::mouseClick(view()->viewport(), Qt::LeftButton, {}, cellCenter(0));
    EXPECT_EQ(status->text(2), folder + u"done.pdf"_s);
    QTest::mouseClick(status->panel(2), Qt::LeftButton);
    QTest::mouseClick(status->panel(1), Qt::LeftButton);
    EXPECT_EQ(t.shell.calls, (QStringList{u"openInBrowser:"_s + folder + u"done.pdf"_s,
                                          u"openInBrowser:"_s + window->config().productPage}));

    // A widget's double click arrives after the press of the first click.
    t.shell.calls.clear();
    QTest::mouseDClick(view()->viewport(), Qt::LeftButton, {}, cellCenter(0));
    EXPECT_EQ(t.shell.calls, QStringList{u"openWithDefault:"_s + folder + u"done.pdf"_s});

    QTest::mouseClick(view()->viewport(), Qt::LeftButton, {}, cellCenter(1));
    QTest::mouseDClick(view()->viewport(), Qt::LeftButton, {}, cellCenter(1));
    EXPECT_EQ(list().at(1).state, RowState::Waiting);
    EXPECT_TRUE(list().at(1).size.isEmpty());
    EXPECT_EQ(list().at(1).key, u"http://h/failed"_s);
    EXPECT_FALSE(QFile::exists(folder + u"failed.pdf"_s));
    QTest::mouseClick(view()->viewport(), Qt::LeftButton, {}, cellCenter(1));
    EXPECT_EQ(status->text(2), QString()) << "no file: the panel is emptied";

    // The file shown goes away (requeued, deleted): the panel lets go of it at the next change of
    // the rows.
    QTest::mouseClick(view()->viewport(), Qt::LeftButton, {}, cellCenter(0));
    ASSERT_EQ(status->text(2), folder + u"done.pdf"_s);
    ASSERT_TRUE(QFile::remove(folder + u"done.pdf"_s));
    list().setState(0, RowState::Waiting);
    list().flushChanges();
    EXPECT_EQ(status->text(2), QString());
    EXPECT_EQ(view()->editTriggers(), QAbstractItemView::NoEditTriggers);
    EXPECT_FALSE(list().flags(list().index(0, 0)) & Qt::ItemIsEditable);
}

TEST_F(DownloadFileActionsBindingTest, RowCommandsUseTheSelectedRowAndWidthsFit) {
    const QString longName = u"一个非常长的文件名称"_s.repeated(6);
    addRow(u"first"_s, RowState::Finished);
    addRow(longName, RowState::Waiting);
    window->action(u"menu复制名称"_s)->trigger();
    EXPECT_TRUE(t.shell.calls.isEmpty()) << "no selected row";
    view()->selectRow(1);
    EXPECT_EQ(binding->selectedRow(), 1);
    window->action(u"menu复制名称"_s)->trigger();
    EXPECT_EQ(t.shell.clipboard, longName);
    window->action(u"menu打开网址"_s)->trigger();
    EXPECT_EQ(t.shell.argumentsOf(u"openInBrowser"_s), QStringList{u"http://h/"_s + longName});

    window->action(u"menu自动列宽"_s)->trigger();
    EXPECT_GE(view()->columnWidth(0), view()->fontMetrics().horizontalAdvance(longName));
}

TEST_F(DownloadFileActionsBindingTest, ReferenceExportsDescribeTheFinishedRowsWithFiles) {
    EXPECT_EQ(window->action(u"menu导出"_s)->text(), u"导出"_s);
    addRow(u"waiting"_s, RowState::Waiting);
    addRow(u"gone"_s, RowState::Finished, u"10"_s);
    t.prompts.clearShown();
    window->action(u"menu导出BibTeX"_s)->trigger();
    EXPECT_EQ(t.prompts.messages(), QStringList{ReferenceExport::kNothingToExport}) << "no file arrived yet";

    DownloadRow row;
    row.key = u"http://h/a"_s;
    row.name = u"Smith 2019 Deep nets"_s;
    row.type = u"pdf"_s;
    row.folder = folder;
    row.state = RowState::Finished;
    row.article.title = u"Deep nets"_s;
    row.article.authors = QStringList{u"Smith, John"_s};
    row.article.year = u"2019"_s;
    list().appendRow(row);
    touch(u"Smith 2019 Deep nets.pdf"_s);
    // Harvested from a result page: a title and a PDF address, which names the DOI.
    addRow(u"Harvested"_s, RowState::Finished, u"10"_s);
    ASSERT_TRUE(
        list().setKey(list().count() - 1, u"http://mirror.example/x|http://h/doi/pdf/10.1000/harvest.7"_s));
    touch(u"Harvested.pdf"_s);
    const QString bib = t.path(u"refs.bib"_s);
    const QString ris = t.path(u"refs.ris"_s);
    t.prompts.saveFileAnswers = {bib, ris};
    window->action(u"menu导出BibTeX"_s)->trigger();
    EXPECT_EQ(window->statusBar1()->text(2), ReferenceExport::exportedText(2, bib))
        << "the export is confirmed";
    window->action(u"menu导出RIS"_s)->trigger();
    // The dialog opens beside the papers, not in whatever folder the program was started from.
    EXPECT_EQ(t.prompts.proposedPaths, QStringList({QDir(folder).filePath(u"参考文献.bib"_s),
                                                    QDir(folder).filePath(u"参考文献.ris"_s)}));
    QFile bibFile(bib);
    ASSERT_TRUE(bibFile.open(QIODevice::ReadOnly));
    const QString bibText = QString::fromUtf8(bibFile.readAll());
    EXPECT_EQ(bibText.count(u"@article{"_s), 2) << bibText.toStdString();
    EXPECT_TRUE(bibText.contains(u"doi = {10.1000/harvest.7}"_s)) << bibText.toStdString();
    EXPECT_TRUE(bibText.contains(u"file = {:"_s + folder + u"Smith 2019 Deep nets.pdf:PDF}"_s))
        << bibText.toStdString();
    QFile risFile(ris);
    ASSERT_TRUE(risFile.open(QIODevice::ReadOnly));
    EXPECT_TRUE(risFile.readAll().startsWith("TY  - JOUR\r\nTI  - Deep nets\r\nAU  - Smith, John\r\n"));
}

TEST_F(DownloadFileActionsBindingTest, UrlReplaceWindow) {
    addRow(u"x"_s, RowState::Finished);
    UrlReplaceDialog dialog(window->session(), window.get());
    EXPECT_EQ(dialog.objectName(), u"UrlReplace"_s);
    EXPECT_EQ(dialog.windowTitle(), u"网址批量替换"_s);
    const std::pair<const char*, QString> captions[] = {
        {"Label1", u"所有网址中的字符串："_s},
        {"Label2", u"将被全部替换为字符串："_s},
    };
    for (const auto& [name, caption] : captions)
        EXPECT_EQ(dialog.findChild<QLabel*>(QString::fromUtf8(name))->text(), caption) << name;
    auto* replace = dialog.findChild<QPushButton*>(u"Command1"_s);
    EXPECT_EQ(replace->text(), u"替换"_s);
    EXPECT_EQ(dialog.findChild<QPushButton*>(u"Command2"_s)->text(), u"取消"_s);
    dialog.show();

    dialog.text1()->setText(u"  "_s);
    replace->click();
    EXPECT_TRUE(dialog.isVisible()) << "a blank search text keeps the window";
    EXPECT_EQ(t.prompts.messages(), QStringList{u"请输入字符串！"_s});

    dialog.text1()->setText(u"HTTP://H/"_s);
    dialog.text2()->setText(u"https://m/"_s);
    replace->click();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(list().at(0).key, u"https://m/x"_s);
    EXPECT_EQ(t.prompts.lastMessage(), u"全部网址替换完成！"_s);
}

} // namespace
