#include "downloads/FileDownloadWindow.h"
#include "downloads/DownloadSession.h"
#include "fakes/FakeTransferActivity.h"
#include "settings/SettingKeys.h"
#include "support/DesignReports.h"
#include "support/QtPrinters.h"
#include "support/TestContext.h"
#include "widgets/StatusPanels.h"

#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QRadioButton>
#include <QTableView>
#include <gtest/gtest.h>
#include <memory>

using namespace mojing;
using namespace Qt::StringLiterals;
using namespace SettingKeys;

namespace {

class DownloadWindowTest : public ::testing::Test {
protected:
    std::unique_ptr<FileDownloadWindow> open() {
        return std::make_unique<FileDownloadWindow>(t.context(), nullptr);
    }
    template <typename T> static T* find(const FileDownloadWindow& w, const QString& name) {
        return w.findChild<T*>(name);
    }

    TestContext t;
};

QString textOf(QWidget* w) {
    if (auto* label = qobject_cast<QLabel*>(w))
        return label->text();
    if (auto* button = qobject_cast<QAbstractButton*>(w))
        return button->text();
    return u"<no text>"_s;
}

TEST_F(DownloadWindowTest, CaptionsOfTheOptionPanel) {
    auto w = open();
    EXPECT_EQ(w->windowTitle(), u"文件下载-墨鲸文献助手"_s);
    EXPECT_EQ(w->objectName(), u"fFileDownload"_s);
    const std::pair<const char*, QString> captions[] = {
        {"Label7", u"下载方式：2"_s},
        {"Command26", u"切换"_s},
        {"Label8", u"线程数："_s},
        {"Label9", u"两个文件下载间隔：        秒"_s},
        {"Label10", u"同名文件："_s},
        {"Option1", u"跳过"_s},
        {"Option2", u"覆盖"_s},
        {"Option3", u"重命名"_s},
        {"Check3", u"自动重新下载："_s},
        {"Check4", u"当有待下载项时，自动启动下载"_s},
        {"Check5", u"有5个以上下载出错或者网页文件，就停止下载"_s},
        {"Check6", u"声音提示"_s},
        {"Command4", u"开始下载"_s},
        {"Command31", u"停止下载"_s},
        {"Label1", u"0条"_s},
    };
    for (const auto& [name, caption] : captions)
        EXPECT_EQ(textOf(w->control(QString::fromUtf8(name))), caption) << name;
    EXPECT_EQ(w->control(u"Command26"_s)->toolTip(), u"更改下载方式"_s);
    ASSERT_NE(w->control(u"Picture3"_s), nullptr);
    ASSERT_NE(w->control(u"Shape1"_s), nullptr);
    EXPECT_TRUE(w->control(u"Shape1"_s)->isHidden());
    auto* combo4 = find<QComboBox>(*w, u"Combo4"_s);
    ASSERT_EQ(combo4->count(), 3);
    EXPECT_EQ(combo4->itemText(2), u"出错项和文件类型为HTM和HTML项"_s);
    EXPECT_EQ(combo4->currentIndex(), 0);
    EXPECT_EQ(w->statusBar1()->panelCount(), 4);
    EXPECT_EQ(w->statusBar1()->objectName(), u"StatusBar1"_s);
}

TEST_F(DownloadWindowTest, EveryMenuEntryIsThere) {
    auto w = open();
    const std::pair<const char*, QString> entries[] = {
        {"menu添加网址或DOI", u"添加网址或DOI..."_s},
        {"menu全选专利列表", u"全选"_s},
        {"menu全不选", u"全不选"_s},
        {"menu随机排序列表", u"随机排序列表(打乱)"_s},
        {"menu自动列宽", u"自动调整列宽"_s},
        {"menu重新下载", u"重新下载"_s},
        {"menu重新下载选中项", u"选中项"_s},
        {"menu重新下载出错项", u"出错项"_s},
        {"menu重新下载文件类型为HTM和HTML项", u"网页类型文件(HTM/HTML/xml)项"_s},
        {"menu重新下载出错项和网页项", u"重新下载出错项和网页类型文件项"_s},
        {"menu重新下载文件大小小于指定数字的项", u"文件大小小于指定数字的项"_s},
        {"menu清除", u"清除"_s},
        {"menu清除选中项", u"选中项"_s},
        {"menu清除全部出错项", u"全部出错项"_s},
        {"menu清除完成项", u"完成项"_s},
        {"menu清空", u"清空"_s},
        {"menu删除", u"删除文件"_s},
        {"menu删除网页类型文件项", u"网页类型文件(HTM/HTML/xml)项"_s},
        {"menu删除出错项", u"出错项"_s},
        {"menu下载全部", u"开始下载"_s},
        {"menu停止下载", u"停止下载"_s},
        {"menu取消下载选中项", u"取消下载选中项"_s},
        {"menu打开下载文件", u"打开下载文件"_s},
        {"menu打开文件所在文件夹", u"打开所在文件夹"_s},
        {"menu用记事本打开文件", u"用记事本打开文件"_s},
        {"menu复制名称", u"复制名称"_s},
        {"menu批量替换网址", u"批量替换网址"_s},
        {"menu打开网址", u"打开网址"_s},
        {"menu导出名称", u"导出名称"_s},
        {"menu导出全部名称", u"全部"_s},
        {"menu导出未完成项名称", u"未完成项"_s},
        {"menu导出BibTeX", u"导出BibTeX..."_s},
        {"menu导出RIS", u"导出RIS..."_s},
        {"menu退出本下载窗口", u"关闭本下载窗口"_s},
        {"menu设置", u"设置"_s},
        {"menu自动定位到下载项", u"自动定位到下载项"_s},
        {"menu检查文件是否存在", u"检查文件是否存在"_s},
        {"menu检查并纠正磁盘文件类型", u"检查并纠正磁盘文件类型"_s},
        {"menu打开文件判断类型", u"打开文件判断类型"_s},
        {"menu清空IE浏览器缓存", u"清空IE浏览器缓存"_s},
        {"menu资料检索分析窗口", u"资料检索分析窗口"_s},
        {"menu关于", u"关于(&A)"_s},
    };
    for (const auto& [name, caption] : entries) {
        QAction* a = w->action(QString::fromUtf8(name));
        ASSERT_NE(a, nullptr) << name;
        EXPECT_EQ(a->text(), caption) << name;
    }
    QStringList tops;
    for (QAction* a : w->menuBar()->actions())
        tops << a->text();
    EXPECT_EQ(tops, (QStringList{u"列表操作(&D)"_s, u"工具(&T)"_s, u"窗口(&W)"_s, u"帮助(&H)"_s}));
    EXPECT_TRUE(w->action(u"menu自动定位到下载项"_s)->isCheckable());
}

TEST_F(DownloadWindowTest, NothingStoredOpensWithTheDefaults) {
    auto w = open();
    const DownloadOptions& o = w->session().options();
    EXPECT_EQ(o.method, 2);
    EXPECT_EQ(o.slotCount, 3);
    auto* combo1 = find<QComboBox>(*w, u"Combo1"_s);
    EXPECT_TRUE(combo1->isEnabled());
    EXPECT_EQ(combo1->currentText(), u"3"_s);
    EXPECT_EQ(combo1->count(), 6);
    auto* combo2 = find<QComboBox>(*w, u"Combo2"_s);
    EXPECT_EQ(combo2->count(), 601);
    EXPECT_EQ(combo2->currentText(), u"0"_s);
    EXPECT_TRUE(find<QRadioButton>(*w, u"Option3"_s)->isChecked());
    for (const char* name : {"Check3", "Check4", "Check5", "Check6"})
        EXPECT_FALSE(find<QCheckBox>(*w, QString::fromUtf8(name))->isChecked()) << name;
    EXPECT_FALSE(o.proxyEnabled);
    EXPECT_DOUBLE_EQ(o.maxFileSizeMB, 10.0);
    EXPECT_EQ(w->listView3()->verticalHeader()->defaultSectionSize(), FileDownloadWindow::kRowHeight);
    EXPECT_EQ(w->listView3()->editTriggers(), QAbstractItemView::NoEditTriggers);
    EXPECT_EQ(w->listView3()->toolTip(), u"双击鼠标：下载当前项或者打开文件"_s);
}

TEST_F(DownloadWindowTest, ControlsAndOptionsFollowEachOther) {
    auto w = open();
    DownloadOptions& o = w->session().options();
    find<QComboBox>(*w, u"Combo2"_s)->setCurrentIndex(10);
    find<QComboBox>(*w, u"Combo1"_s)->setCurrentIndex(5);
    find<QRadioButton>(*w, u"Option1"_s)->setChecked(true);
    find<QCheckBox>(*w, u"Check3"_s)->setChecked(true);
    find<QComboBox>(*w, u"Combo4"_s)->setCurrentIndex(2);
    find<QCheckBox>(*w, u"Check4"_s)->setChecked(true);
    find<QCheckBox>(*w, u"Check5"_s)->setChecked(true);
    find<QCheckBox>(*w, u"Check6"_s)->setChecked(true);
    w->action(u"menu自动定位到下载项"_s)->setChecked(true);
    EXPECT_EQ(o.pauseSeconds, 10);
    EXPECT_EQ(o.slotCount, 6);
    EXPECT_EQ(o.policy, DuplicatePolicy::Skip);
    EXPECT_TRUE(o.autoRetry && o.autoStart && o.stopRule && o.sound && o.autoLocate);
    EXPECT_EQ(o.autoRetryMode, 2);

    // Stop clears the automatic options in code; the boxes follow.
    o.autoStart = false;
    o.autoRetry = false;
    w->session().notifyOptionsChanged();
    EXPECT_FALSE(find<QCheckBox>(*w, u"Check4"_s)->isChecked());
    EXPECT_FALSE(find<QCheckBox>(*w, u"Check3"_s)->isChecked());
    EXPECT_TRUE(find<QCheckBox>(*w, u"Check5"_s)->isChecked());
}

// What changes while the window works (the running lamp, the method caption, the row count)
// must not change the option panel's size: the window would grow and the rows of options move.
TEST_F(DownloadWindowTest, OptionPanelKeepsItsSizeWhileTheWindowWorks) {
    auto w = open();
    w->show();
    auto* panel = find<QWidget>(*w, u"Picture3"_s);
    ASSERT_NE(panel, nullptr);
    const QSize hint = panel->sizeHint();
    const QSize minimum = panel->minimumSizeHint();
    const int windowWidth = w->width();
    const struct {
        const char* name;
        std::function<void()> change;
    } cases[] = {
        {"the lamp lights", [&] { w->setSchedulerIndicator(true); }},
        {"the method switches", [&] { find<QAbstractButton>(*w, u"Command26"_s)->click(); }},
        {"many rows",
         [&] {
             for (int i = 0; i < 1234; ++i)
                 w->session().list().addRow(QString::number(i), u"n"_s, u"pdf"_s, u"/f/"_s, {});
             w->refreshRowCount();
         }},
        {"the lamp goes out", [&] { w->setSchedulerIndicator(false); }},
        {"the method switches back", [&] { find<QAbstractButton>(*w, u"Command26"_s)->click(); }},
    };
    for (const auto& c : cases) {
        c.change();
        QCoreApplication::processEvents();
        EXPECT_EQ(panel->sizeHint(), hint) << c.name;
        EXPECT_EQ(panel->minimumSizeHint(), minimum) << c.name;
        EXPECT_EQ(w->width(), windowWidth) << c.name;
    }
    EXPECT_EQ(textOf(find<QLabel>(*w, u"Label1"_s)), u"1234条"_s);
}

TEST_F(DownloadWindowTest, MethodSwitchIsStoredOnCloseAndRestored) {
    {
        auto w = open();
        find<QRadioButton>(*w, u"Option2"_s)->setChecked(true);
        w->button(u"Command26"_s)->click();
        EXPECT_EQ(textOf(w->control(u"Label7"_s)), u"下载方式：1"_s);
        auto* combo1 = find<QComboBox>(*w, u"Combo1"_s);
        EXPECT_FALSE(combo1->isEnabled());
        EXPECT_EQ(combo1->currentText(), u"1"_s);
        EXPECT_TRUE(w->closeWindow());
    }
    EXPECT_EQ(t.settings.read(kSectionSettings, kMethod), u"1"_s);
    EXPECT_EQ(t.settings.read(kSectionDuplicate, kDuplicatePolicy), u"覆盖"_s);
    EXPECT_EQ(t.settings.read(kSectionDownload, kSlots), u"0"_s);
    auto again = open();
    EXPECT_FALSE(find<QComboBox>(*again, u"Combo1"_s)->isEnabled());
    EXPECT_EQ(find<QComboBox>(*again, u"Combo1"_s)->currentText(), u"1"_s);
    EXPECT_TRUE(find<QRadioButton>(*again, u"Option2"_s)->isChecked());
    again->button(u"Command26"_s)->click();
    EXPECT_EQ(textOf(again->control(u"Label7"_s)), u"下载方式：2"_s);
    EXPECT_TRUE(find<QComboBox>(*again, u"Combo1"_s)->isEnabled());
}

TEST_F(DownloadWindowTest, RefusedCloseStoresPolicyAndMethodOnly) {
    auto w = open();
    w->show();
    int closings = 0;
    QObject::connect(w.get(), &FileDownloadWindow::closing, w.get(), [&] { ++closings; });
    w->setCloseGuard([] { return false; });
    find<QComboBox>(*w, u"Combo1"_s)->setCurrentIndex(4);
    find<QRadioButton>(*w, u"Option1"_s)->setChecked(true);
    EXPECT_FALSE(w->closeWindow());
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(closings, 0);
    EXPECT_EQ(t.settings.read(kSectionDuplicate, kDuplicatePolicy), u"跳过"_s);
    EXPECT_EQ(t.settings.read(kSectionSettings, kMethod), u"2"_s);
    EXPECT_EQ(t.settings.read(kSectionDownload, kSlots, u"<none>"_s), u"<none>"_s);

    w->setCloseGuard([] { return true; });
    EXPECT_TRUE(w->closeWindow());
    EXPECT_EQ(closings, 1);
    EXPECT_EQ(t.settings.read(kSectionDownload, kSlots), u"4"_s);
}

TEST_F(DownloadWindowTest, ListMenuFollowsTheTransferState) {
    auto w = open();
    auto states = [&] {
        return QList<bool>{w->action(u"menu全选专利列表"_s)->isEnabled(),
                           w->menu(u"menu清除"_s)->menuAction()->isEnabled(),
                           w->action(u"menu清空"_s)->isEnabled(), w->action(u"menu停止下载"_s)->isEnabled()};
    };
    QTableView* list = w->listView3();
    FakeTransferActivity activity;
    w->session().setActivity(&activity);
    activity.running = true;
    emit list->customContextMenuRequested({5, 5});
    w->menu(u"menu下载"_s)->hide();
    EXPECT_EQ(states(), (QList<bool>{false, false, false, true}));
    activity.running = false;
    activity.busy = false;
    emit list->customContextMenuRequested({5, 5});
    w->menu(u"menu下载"_s)->hide();
    EXPECT_EQ(states(), (QList<bool>{true, true, true, false}));
    activity.busy = true;
    emit list->customContextMenuRequested({5, 5});
    w->menu(u"menu下载"_s)->hide();
    EXPECT_EQ(states(), (QList<bool>{false, false, false, true})) << "a busy transfer alone";
    w->session().setActivity(nullptr);
}

TEST_F(DownloadWindowTest, RowsSelectionStatusAndPlaceholders) {
    auto w = open();
    DownloadListModel& list = w->session().list();
    list.addRow(u"k1"_s, u"一"_s, u"pdf"_s, u"/f/"_s, u"k1"_s);
    list.addRow(u"k2"_s, u"二"_s, u"pdf"_s, u"/f/"_s, u"k2"_s);
    EXPECT_EQ(textOf(w->control(u"Label1"_s)), u"2条"_s);
    EXPECT_EQ(w->listView3()->model()->rowCount(), 2);

    w->action(u"menu全选专利列表"_s)->trigger();
    EXPECT_TRUE(list.at(0).selected && list.at(1).selected);
    w->action(u"menu全不选"_s)->trigger();
    EXPECT_FALSE(list.at(0).selected || list.at(1).selected);

    w->session().showStatus(4, list.countsText());
    EXPECT_EQ(w->statusBar1()->text(4), u"总数:2 正在下载:0 等待:2 已完成:0 失败:0"_s);

    w->action(u"menu随机排序列表"_s)->trigger();
    EXPECT_EQ(t.prompts.messages(), QStringList{FileDownloadWindow::kNotAvailable});
    int runs = 0;
    QObject::connect(w->claimAction(u"menu随机排序列表"_s), &QAction::triggered, w.get(), [&] { ++runs; });
    w->action(u"menu随机排序列表"_s)->trigger();
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(t.prompts.messages().size(), 1);
    ASSERT_NE(w->claimButton(u"Command4"_s), nullptr);
    w->button(u"Command4"_s)->click();
    EXPECT_EQ(t.prompts.messages().size(), 1) << "a claimed button has no placeholder";

    w->setSchedulerIndicator(true);
    EXPECT_FALSE(w->control(u"Shape1"_s)->isHidden());
}

TEST_F(DownloadWindowTest, ClaimingANameTheWindowLacksIsReported) {
    auto w = open();
    ExpectedDesignReports reports;
    EXPECT_EQ(w->claimAction(u"menu清空列表"_s), nullptr); // "menu清空" misspelled
    EXPECT_EQ(w->claimButton(u"Command99"_s), nullptr);
    ASSERT_EQ(reports.messages.size(), 2);
    EXPECT_TRUE(reports.messages.at(0).contains(u"menu清空列表"_s));
    EXPECT_TRUE(reports.messages.at(1).contains(u"Command99"_s));
    EXPECT_NE(w->claimAction(u"menu清空"_s), nullptr);
    EXPECT_EQ(reports.messages.size(), 2) << "an existing name is not reported";
}

} // namespace
