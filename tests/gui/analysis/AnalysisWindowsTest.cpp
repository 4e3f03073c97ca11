#include "analysis/AnalysisPanel.h"
#include "analysis/SaveFolderDialog.h"
#include "downloads/DownloadSession.h"
#include "downloads/FileDownloadWindow.h"
#include "downloads/OptionDialog.h"
#include "search/ArticleListModel.h"
#include "search/SearchWindow.h"
#include "settings/SettingKeys.h"
#include "shell/WindowFlow.h"
#include "support/NextDialog.h"
#include "support/QtPrinters.h"
#include "support/TestContext.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTableView>
#include <QTimer>
#include <QWebEngineProfile>
#include <gtest/gtest.h>
#include <memory>

using namespace mojing;
using namespace Qt::StringLiterals;
using namespace SettingKeys;

namespace {

class AnalysisWindowsTest : public ::testing::Test {
protected:
    AnalysisWindowsTest() {
        config.homePage = u"about:blank"_s;
        flow.setCover(&cover);
        flow.setFactory(WindowFlow::kSearch, [this] {
            auto* w = new SearchWindow(*context, flow, profile.get(), config);
            panel = new AnalysisPanel(*w, *context, flow);
            return w;
        });
        flow.setFactory(WindowFlow::kDownload,
                        [this] { return new FileDownloadWindow(*context, &flow, config); });
    }
    ~AnalysisWindowsTest() override { flow.deleteAllForms(); }

    SearchWindow* openSearch() {
        cover.hide();
        return static_cast<SearchWindow*>(flow.showForm(WindowFlow::kSearch));
    }
    FileDownloadWindow* downloadWindow() {
        return qobject_cast<FileDownloadWindow*>(flow.form(WindowFlow::kDownload));
    }

    TestContext t;
    std::unique_ptr<AppContext> context = std::make_unique<AppContext>(t.context());
    std::unique_ptr<QWebEngineProfile> profile = std::make_unique<QWebEngineProfile>();
    BrowserConfig config;
    QWidget cover;
    WindowFlow flow;
    AnalysisPanel* panel = nullptr;
};

TEST_F(AnalysisWindowsTest, HarvestedRowsReachTheVisibleDownloadList) {
    t.state.promptSaveFolderOnHarvest = 1;
    SearchWindow* w = openSearch();
    ASSERT_NE(panel, nullptr);
    ArticleListModel& articles = *w->articles();
    articles.addArticle(u"First\r\n title"_s, u"https://p/doi/pdf/1"_s, u"https://p/s?page=1"_s, u"pdf"_s,
                        u"/a/"_s, u"o"_s);
    articles.addArticle(u"Second: title?"_s, u"https://p/doi/pdf/2"_s, u"https://p/s?page=1"_s, u"pdf"_s,
                        u"/b/"_s, u"o"_s);
    EXPECT_EQ(downloadWindow(), nullptr);

    w->button(u"Command2"_s)->click(); // nothing selected: every row at once
    FileDownloadWindow* d = downloadWindow();
    ASSERT_NE(d, nullptr) << "analysis creates the download window";
    EXPECT_TRUE(d->isVisible()) << "and reveals it at the end";
    QAbstractItemModel* model = d->listView3()->model();
    ASSERT_EQ(model->rowCount(), 2);
    EXPECT_EQ(model->index(0, 0).data().toString(), u"First title"_s);
    EXPECT_EQ(model->index(1, 0).data().toString(), u"Second title"_s);
    EXPECT_EQ(model->index(1, 5).data().toString(), u"/b/"_s);
    EXPECT_EQ(articles.at(0).status, u"成功"_s);
    EXPECT_TRUE(w->progressPanel()->isHidden());
    EXPECT_TRUE(w->state().analysisStopped());
    EXPECT_TRUE(w->button(u"Command2"_s)->isEnabled());

    // A second run in All mode through the hidden popup's entry adds nothing.
    w->action(u"menu全部加入"_s)->trigger();
    EXPECT_EQ(model->rowCount(), 2);
}

TEST_F(AnalysisWindowsTest, EmptyListAndUsageMessages) {
    SearchWindow* w = openSearch();
    w->button(u"Command2"_s)->click();
    EXPECT_EQ(t.prompts.lastMessage(), u"请先检索，添加到列表！"_s);
    w->action(u"menu使用方法"_s)->trigger();
    EXPECT_EQ(t.prompts.shown.back().title, u"软件使用方法"_s);
    EXPECT_EQ(downloadWindow(), nullptr);
}

TEST_F(AnalysisWindowsTest, AutoAnalysisSwitchedOffByACancelledFolderDialog) {
    // The search window reads the choice from the settings when it loads.
    t.settings.write(kSectionSettings, kPromptFolderOnHarvest, u"0"_s);
    SearchWindow* w = openSearch();
    ASSERT_EQ(t.state.promptSaveFolderOnHarvest, 0);
    QCheckBox* check7 = w->checkBox(u"Check7"_s);
    onNextDialog<SaveFolderDialog>([](SaveFolderDialog& dialog) {
        EXPECT_TRUE(dialog.windowFlags() & Qt::WindowStaysOnTopHint);
        dialog.cancelDialog();
    });
    check7->click();
    EXPECT_FALSE(check7->isChecked());
    EXPECT_FALSE(panel->runner().autoAnalysisOn());

    const QString folder = QDir::toNativeSeparators(t.path(u"auto"_s));
    onNextDialog<SaveFolderDialog>([folder](SaveFolderDialog& dialog) {
        dialog.findChild<QComboBox*>(u"Combo1"_s)->setEditText(folder);
        dialog.confirm();
    });
    check7->click();
    EXPECT_TRUE(check7->isChecked());
    EXPECT_TRUE(panel->runner().autoAnalysisOn());
    EXPECT_EQ(t.state.currentSaveFolder, folder + QDir::separator());
    check7->click();
    EXPECT_FALSE(panel->runner().autoAnalysisOn());
}

TEST_F(AnalysisWindowsTest, SaveFolderDialogKeepsBadFoldersOpen) {
    SaveFolderDialog dialog(*context);
    EXPECT_EQ(dialog.windowTitle(), u"选择下载保存路径"_s);
    EXPECT_EQ(dialog.objectName(), u"fSeleFileSavePath"_s);
    EXPECT_TRUE(dialog.findChild<QRadioButton*>(u"Option2"_s)->isChecked());
    auto* combo = dialog.findChild<QComboBox*>(u"Combo1"_s);
    EXPECT_EQ(combo->currentText(), defaultSaveFolder());
    combo->setEditText(QDir::toNativeSeparators(t.path(u"ok/?*"_s)));
    dialog.confirm();
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_EQ(combo->currentText(), QString());
    EXPECT_EQ(t.prompts.messages(),
              (QStringList{u"文件夹名称有误！不能创建文件夹！"_s, u"文件夹设置错误！"_s}));
}

TEST_F(AnalysisWindowsTest, OptionsRoundTripThroughTheSettingsFile) {
    {
        OptionDialog dialog(*context, nullptr);
        EXPECT_EQ(dialog.windowTitle(), u"设置-墨鲸文献助手"_s);
        EXPECT_TRUE(dialog.findChild<QRadioButton*>(u"Option2"_s)->isChecked());
        EXPECT_EQ(dialog.findChild<QLineEdit*>(u"Text1"_s)->text(), u"10"_s);
        EXPECT_TRUE(dialog.findChild<QCheckBox*>(u"Check2"_s)->isChecked());
        EXPECT_TRUE(dialog.findChild<QLabel*>(u"Label19"_s)->isHidden()) << "the setting is the resolver";
        dialog.findChild<QRadioButton*>(u"Option1"_s)->setChecked(true);
        dialog.findChild<QCheckBox*>(u"Check1"_s)->setChecked(true);
        dialog.findChild<QLineEdit*>(u"Text6"_s)->setText(u" proxy.local "_s);
        dialog.findChild<QLineEdit*>(u"Text8"_s)->setText(u"3128"_s);
        dialog.findChild<QLineEdit*>(u"Text1"_s)->setText(u"0.5"_s);
        dialog.findChild<QCheckBox*>(u"Check2"_s)->setChecked(false);
        QLineEdit* naming = dialog.findChild<QLineEdit*>(u"Text10"_s);
        EXPECT_EQ(naming->text(), u"{title}"_s);
        naming->setText(u"{autor}"_s);
        EXPECT_TRUE(dialog.findChild<QLabel*>(u"Label18"_s)->text().contains(u"{autor}"_s))
            << "what is wrong shows while typing";
        naming->setText(u"{author} {year} {title}"_s);
        EXPECT_TRUE(dialog.findChild<QLabel*>(u"Label18"_s)->text().startsWith(u"示例：Smith 2019 Deep"_s));
        dialog.confirm();
    }
    t.settings.sync();
    SettingsStore reread(t.settings.filePath());
    EXPECT_EQ(reread.read(kSectionSettings, kMethod), u"1"_s);
    EXPECT_EQ(reread.read(kSectionSettings, kProxyEnabled), u"1"_s);
    EXPECT_EQ(reread.read(kSectionSettings, kProxyHost), u"proxy.local"_s);
    EXPECT_EQ(reread.read(kSectionSettings, kProxyPort), u"3128"_s);
    EXPECT_EQ(reread.read(kSectionSettings, kMaxFileSize), u"0.5"_s);
    EXPECT_EQ(reread.read(kSectionSettings, kPromptFolderOnHarvest), u"0"_s);
    EXPECT_EQ(reread.read(kSectionDownload, kNamingTemplate), u"{author} {year} {title}"_s);
    EXPECT_TRUE(t.prompts.messages().isEmpty());

    // The next download window opens with those values, and the dialog shows them again.
    FileDownloadWindow window(*context, nullptr);
    EXPECT_EQ(window.session().options().method, 1);
    EXPECT_DOUBLE_EQ(window.session().options().maxFileSizeBytes(), 524288.0);
    EXPECT_EQ(window.session().options().namingTemplate, u"{author} {year} {title}"_s);
    OptionDialog again(*context, &window.session());
    // Under --demo the demo platform resolves DOIs; the field still shows (and keeps) the setting.
    again.showResolverInUse(u"http://127.0.0.1:27183/resolve/"_s);
    EXPECT_FALSE(again.findChild<QLabel*>(u"Label19"_s)->isHidden());
    EXPECT_TRUE(
        again.findChild<QLabel*>(u"Label19"_s)->text().contains(u"http://127.0.0.1:27183/resolve/"_s));
    EXPECT_EQ(again.findChild<QLineEdit*>(u"Text9"_s)->text(), u"https://doi.org/"_s);
    EXPECT_TRUE(again.findChild<QRadioButton*>(u"Option1"_s)->isChecked());
    EXPECT_EQ(again.findChild<QLineEdit*>(u"Text6"_s)->text(), u"proxy.local"_s);
    EXPECT_EQ(again.findChild<QLineEdit*>(u"Text1"_s)->text(), u"0.5"_s);

    // "关闭" changes nothing, even after editing.
    again.findChild<QLineEdit*>(u"Text1"_s)->setText(u"99"_s);
    again.findChild<QRadioButton*>(u"Option2"_s)->setChecked(true);
    again.findChild<QAbstractButton*>(u"Command2"_s)->click();
    EXPECT_EQ(t.settings.read(kSectionSettings, kMaxFileSize), u"0.5"_s);
    EXPECT_EQ(window.session().options().method, 1);

    // Switching to method 2 with the window open enables its slot list showing one slot.
    OptionDialog third(*context, &window.session());
    third.findChild<QRadioButton*>(u"Option2"_s)->setChecked(true);
    third.confirm();
    EXPECT_EQ(window.findChild<QLabel*>(u"Label7"_s)->text(), u"下载方式：2"_s);
    EXPECT_TRUE(window.findChild<QComboBox*>(u"Combo1"_s)->isEnabled());
    EXPECT_EQ(window.findChild<QComboBox*>(u"Combo1"_s)->currentText(), u"1"_s);
}

} // namespace
