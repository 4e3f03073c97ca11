#include "downloads/FileDownloadWindow.h"
#include "search/SearchWindow.h"
#include "shell/WindowFlow.h"
#include "support/NextDialog.h"
#include "support/QtPrinters.h"
#include "support/TestContext.h"
#include "tools/CacheDialog.h"
#include "tools/CacheMenuBinding.h"
#include "tools/CacheToolController.h"
#include "tools/CopyMoveDialog.h"
#include "tools/TextTableModel.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QRadioButton>
#include <QTableView>
#include <QTimer>
#include <QWebEngineProfile>
#include <QtEndian>
#include <gtest/gtest.h>
#include <memory>

using namespace mojing;
using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

QAbstractButton* button(QWidget& w, const QString& name) {
    return w.findChild<QAbstractButton*>(name);
}

class ToolWindowsTest : public ::testing::Test {
protected:
    ToolWindowsTest() { QDir().mkpath(dst); }

    void addEntry(const QString& hash, const QByteArray& address, qsizetype bodySize) {
        const QString path = locations.currentUserFolder + u"/Cache_Data/"_s + hash + u"_0"_s;
        QDir().mkpath(QFileInfo(path).absolutePath());
        QByteArray bytes(24, '\0');
        const QByteArray key = "1/0/" + address;
        qToLittleEndian<quint64>(0xfcfb6d1ba7725c30ULL, bytes.data());
        qToLittleEndian<quint32>(quint32(key.size()), bytes.data() + 12);
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(bytes + key + QByteArray(bodySize, 'x'));
    }

    TestContext t;
    AppContext context = t.context();
    CacheLocations locations{t.path(u"cache"_s), {}, {}, u"none"_s};
    QString dst = t.path(u"dst/"_s);
};

TEST_F(ToolWindowsTest, CacheWindowListsSortsCopiesAndDeletes) {
    addEntry(u"00000000000000a1"_s, "http://h/a.html", 10);
    addEntry(u"00000000000000a2"_s, "http://h/b.png", 9);
    addEntry(u"00000000000000a3"_s, "http://h/c.pdf", 100);
    CacheDialog dialog(context, locations, nullptr);
    EXPECT_EQ(dialog.objectName(), u"fIEcache"_s);
    EXPECT_EQ(dialog.windowTitle(), u"IE浏览器Cookie 缓存和历史列表-墨鲸文献助手"_s);
    const std::pair<QString, QString> buttons[] = {
        {u"Command1"_s, u"查看我的缓存"_s}, {u"Command7"_s, u"查看所有用户缓存"_s},
        {u"Command2"_s, u"删除所选文件"_s}, {u"Command3"_s, u"全部删除"_s},
        {u"Command6"_s, u"复制选中..."_s},  {u"Command4"_s, u"关闭"_s},
    };
    for (const auto& [name, caption] : buttons) {
        ASSERT_NE(button(dialog, name), nullptr) << name.toStdString();
        EXPECT_EQ(button(dialog, name)->text(), caption);
    }
    for (const QString& list : {u"ListView1"_s, u"ListView2"_s, u"ListView3"_s})
        EXPECT_NE(dialog.findChild<QTableView*>(list), nullptr) << list.toStdString();
    QTableView* list1 = dialog.listView1();
    auto* label1 = dialog.findChild<QLabel*>(u"Label1"_s);

    button(dialog, u"Command1"_s)->click();
    EXPECT_EQ(label1->text(), u"共有3 个文件"_s);
    EXPECT_EQ(list1->model()->headerData(2, Qt::Horizontal).toString(), u"SIZE(Byte)"_s);
    auto firstUrl = [list1] { return list1->model()->index(0, 0).data().toString(); };
    emit list1->horizontalHeader()->sectionClicked(2);
    EXPECT_EQ(firstUrl(), u"http://h/b.png"_s);
    emit list1->horizontalHeader()->sectionClicked(2);
    EXPECT_EQ(firstUrl(), u"http://h/c.pdf"_s);

    // Copy the first and last rows with the copy tool.
    list1->selectRow(0);
    list1->selectionModel()->select(list1->model()->index(2, 0),
                                    QItemSelectionModel::Select | QItemSelectionModel::Rows);
    QString caption;
    QStringList handed;
    onNextDialog<CopyMoveDialog>([&](CopyMoveDialog& copy) {
        caption = copy.windowTitle();
        handed = copy.controller().sourceFiles();
        EXPECT_FALSE(copy.controller().moveMode());
        copy.findChild<QComboBox*>(u"Combo1"_s)->setEditText(dst);
        button(copy, u"Command1"_s)->click();
        t.pump.waitUntil([&] { return !copy.controller().running(); }, 5000ms);
        button(copy, u"Command2"_s)->click();
    });
    button(dialog, u"Command6"_s)->click();
    EXPECT_EQ(caption, u"复制文件：2 个文件..."_s);
    EXPECT_EQ(handed.size(), 2);
    EXPECT_EQ(QDir(dst).entryList(QDir::Files),
              (QStringList{u"00000000000000a2_0"_s, u"00000000000000a3_0"_s}));
    EXPECT_EQ(t.prompts.lastMessage(), u"复制文件完成！"_s);

    // Delete the selected row; then everything.
    list1->clearSelection();
    list1->selectRow(1);
    button(dialog, u"Command2"_s)->click();
    EXPECT_EQ(label1->text(), u"共有2 个文件"_s);
    button(dialog, u"Command3"_s)->click();
    EXPECT_EQ(label1->text(), u"共有0 个文件"_s);
    // Nothing selected: the copy tool opens with nothing to do.
    onNextDialog<CopyMoveDialog>([&](CopyMoveDialog& copy) {
        caption = copy.windowTitle();
        button(copy, u"Command2"_s)->click();
    });
    button(dialog, u"Command6"_s)->click();
    EXPECT_EQ(caption, u"复制文件：0 个文件..."_s);
}

TEST_F(ToolWindowsTest, CopyToolControlsAndChoices) {
    CopyMoveDialog dialog(context, nullptr, t.path(u"SaveList.dat"_s));
    EXPECT_EQ(dialog.objectName(), u"Form_Copy_Move"_s);
    EXPECT_EQ(dialog.windowTitle(), u"复制文件...-墨鲸文献助手"_s);
    const std::pair<QString, QString> captions[] = {
        {u"Command1"_s, u"开始"_s},
        {u"Command2"_s, u"关闭"_s},
        {u"Command3"_s, u"浏览"_s},
        {u"Option1(1)"_s, u"跳过"_s},
        {u"Option1(2)"_s, u"覆盖"_s},
        {u"Option1(3)"_s, u"自动重命名"_s},
        {u"Option1(4)"_s, u"文件大小和修改时间均相同：覆盖；否则：自动重命名"_s},
        {u"Option1(5)"_s, u"文件大小相同：覆盖；否则：自动重命名"_s},
    };
    for (const auto& [name, caption] : captions) {
        ASSERT_NE(button(dialog, name), nullptr) << name.toStdString();
        EXPECT_EQ(button(dialog, name)->text(), caption);
    }
    for (const auto& [name, caption] :
         {std::pair{u"Label1"_s, u"目的文件夹："_s}, std::pair{u"Label4"_s, u"当前文件："_s},
          std::pair{u"Label2"_s, u"进度;"_s}, std::pair{u"Label3"_s, QString()}})
        EXPECT_EQ(dialog.findChild<QLabel*>(name)->text(), caption) << name.toStdString();
    EXPECT_EQ(dialog.findChild<QGroupBox*>(u"Frame1"_s)->title(), u"如果同名文件已经存在"_s);
    EXPECT_NE(dialog.findChild<QProgressBar*>(u"ProgressBar1"_s), nullptr);
    EXPECT_TRUE(button(dialog, u"Option1(4)"_s)->isChecked());
    button(dialog, u"Option1(2)"_s)->click();
    EXPECT_EQ(dialog.controller().opIndex(), 2);

    // "浏览" takes the picked folder, with its separator.
    t.prompts.folderAnswers.push_back(t.path(u"picked"_s));
    button(dialog, u"Command3"_s)->click();
    EXPECT_EQ(dialog.findChild<QComboBox*>(u"Combo1"_s)->currentText(), t.path(u"picked/"_s));
}

TEST_F(ToolWindowsTest, WorkWindowMenusReachTheCacheTool) {
    addEntry(u"00000000000000b1"_s, "http://h/a.html", 1);
    auto profile = std::make_unique<QWebEngineProfile>();
    BrowserConfig config;
    config.homePage = u"about:blank"_s;
    WindowFlow flow;
    auto search = std::make_unique<SearchWindow>(context, flow, profile.get(), config);
    new CacheMenuBinding(*search, context, nullptr, locations, search->claimAction(u"menu查看IE浏览器缓存"_s),
                         search->claimAction(u"menu清空IE浏览器缓存"_s));
    auto downloads = std::make_unique<FileDownloadWindow>(context, nullptr, config);
    new CacheMenuBinding(*downloads, context, nullptr, locations, nullptr,
                         downloads->claimAction(u"menu清空IE浏览器缓存"_s));

    QString opened;
    onNextDialog<CacheDialog>([&](CacheDialog& cache) {
        opened = cache.objectName();
        button(cache, u"Command4"_s)->click();
    });
    search->action(u"menu查看IE浏览器缓存"_s)->trigger();
    EXPECT_EQ(opened, u"fIEcache"_s);

    search->action(u"menu清空IE浏览器缓存"_s)->trigger();
    EXPECT_FALSE(QFile::exists(locations.currentUserFolder + u"/Cache_Data/00000000000000b1_0"_s));
    downloads->action(u"menu清空IE浏览器缓存"_s)->trigger();
    EXPECT_EQ(t.prompts.messages(), (QStringList{u"IE缓存清空完毕！"_s, u"IE缓存清空完毕！"_s}));
    search.reset();
    downloads.reset();
}

} // namespace
