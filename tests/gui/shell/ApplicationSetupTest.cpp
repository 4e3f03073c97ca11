#include "analysis/SaveFolderDialog.h"
#include "downloads/FileDownloadWindow.h"
#include "downloads/OptionDialog.h"
#include "search/SearchWindow.h"
#include "settings/SettingKeys.h"
#include "shell/AboutDialog.h"
#include "shell/CoverWindow.h"
#include "shell/GuiApplication.h"
#include "shell/GuiPrompts.h"
#include "shell/QtTranslations.h"
#include "shell/WindowFlow.h"
#include "support/NextDialog.h"
#include "support/QtPrinters.h"
#include "support/TestContext.h"
#include "widgets/Icons.h"
#include "widgets/LocalizedFileModel.h"

#include <QAbstractButton>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QGuiApplication>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QWebEngineProfile>
#include <gtest/gtest.h>
#include <memory>

using namespace mojing;
using namespace Qt::StringLiterals;

namespace {

// A button's text as it reads, without its keyboard mnemonic: "是(&Y)" reads "是".
QString readable(const QAbstractButton* button) {
    QString text = button->text();
    text.remove(QRegularExpression(u"\\(&.\\)|&"_s));
    return text.trimmed();
}

TEST(QtTranslations, StandardDialogButtonsReadInChinese) {
    const QtTranslations texts;
    ASSERT_GT(texts.installedCount(), 0) << "Qt's translations (qt6-translations-l10n) are missing";

    const struct {
        const char* name;
        QMessageBox::StandardButton button;
        QString reads;
    } cases[] = {
        {"yes", QMessageBox::Yes, u"是"_s},
        {"no", QMessageBox::No, u"否"_s},
        {"ok", QMessageBox::Ok, u"确定"_s},
        {"cancel", QMessageBox::Cancel, u"取消"_s},
    };
    QMessageBox box(QMessageBox::Question, u"t"_s, u"?"_s,
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Ok | QMessageBox::Cancel);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_NE(box.button(c.button), nullptr);
        EXPECT_EQ(readable(box.button(c.button)), c.reads);
    }

    // The input dialog asks for addresses and texts (GuiPrompts::inputText).
    QInputDialog input;
    input.show();
    const auto* buttons = input.findChild<QDialogButtonBox*>();
    ASSERT_NE(buttons, nullptr);
    EXPECT_EQ(readable(buttons->button(QDialogButtonBox::Ok)), u"确定"_s);
    EXPECT_EQ(readable(buttons->button(QDialogButtonBox::Cancel)), u"取消"_s);
}

TEST(QtTranslations, LeaveQtInEnglishWhenGone) {
    { const QtTranslations texts; }
    QMessageBox box(QMessageBox::Question, u"t"_s, u"?"_s, QMessageBox::Yes);
    EXPECT_EQ(readable(box.button(QMessageBox::Yes)), u"Yes"_s);
}

// The interface is Chinese whatever the system locale: what Qt writes for the program (dates,
// numbers, the file dialogs' lists) reads in Chinese too.
TEST(ProgramLocale, DatesNumbersAndFileListsReadInChinese) {
    const QLocale saved;
    setProgramLocale();
    const QtTranslations texts;
    const QDateTime when(QDate(2024, 12, 9), QTime(8, 5));
    EXPECT_EQ(QLocale().toString(when, QLocale::ShortFormat), u"2024/12/9 08:05"_s);
    EXPECT_EQ(QLocale().toString(1234567.5, 'f', 1), u"1,234,567.5"_s);

    QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkdir(u"folder"_s));
    QFile file(dir.filePath(u"a.pdf"_s));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(2048, 'x'));
    file.flush();
    ASSERT_TRUE(file.setFileTime(when, QFileDevice::FileModificationTime));
    file.close();
    QFileSystemModel files;
    const QModelIndex root = files.setRootPath(dir.path());
    EventPump pump;
    ASSERT_TRUE(pump.waitUntil([&] { return files.rowCount(root) == 2; }, Millis(5000)));
    LocalizedFileModel shown;
    shown.setSourceModel(&files);
    const QModelIndex pdf = shown.mapFromSource(files.index(dir.filePath(u"a.pdf"_s)));
    const QModelIndex folder = shown.mapFromSource(files.index(dir.filePath(u"folder"_s)));
    const struct {
        const char* name;
        QModelIndex row;
        int column;
        QString reads;
    } cases[] = {
        {"file size", pdf, 1, u"2.00 KiB"_s},
        {"modification time", pdf, 3, u"2024/12/9 08:05"_s},
        {"a folder has no size", folder, 1, QString()},
        {"a folder's type", folder, 2, u"文件夹"_s},
        {"file name passes through", pdf, 0, u"a.pdf"_s},
    };
    for (const auto& c : cases)
        EXPECT_EQ(shown.index(c.row.row(), c.column, c.row.parent()).data().toString(), c.reads) << c.name;

    // The program's file dialogs show their lists through it.
    bool localized = false;
    onNextDialog<QFileDialog>([&](QFileDialog& dialog) {
        localized = qobject_cast<LocalizedFileModel*>(dialog.proxyModel()) != nullptr;
        dialog.reject();
    });
    GuiPrompts().openFileName(u"*.pdf|*.pdf"_s);
    EXPECT_TRUE(localized);
    QLocale::setDefault(saved);
}

// The window titles a desktop shows name the program once, however the program is set up.
class WindowTitleTest : public ::testing::Test {
protected:
    WindowTitleTest() { config.homePage = u"about:blank"_s; }
    ~WindowTitleTest() override {
        flow.deleteAllForms();
        QCoreApplication::setApplicationName(savedName);
        QGuiApplication::setApplicationDisplayName(QString());
        QGuiApplication::setDesktopFileName(QString());
    }
    // The title the platform shows for a caption: a display name the program sets is appended
    // to every caption that does not already end with it.
    static QString shownTitle(const QString& caption) {
        const QString displayName = QGuiApplication::applicationDisplayName();
        const bool ownDisplayName = displayName != QCoreApplication::applicationName();
        if (!ownDisplayName || caption.endsWith(displayName))
            return caption;
        return caption + u" — "_s + displayName;
    }

    const QString savedName = QCoreApplication::applicationName();
    TestContext t;
    std::unique_ptr<AppContext> context = std::make_unique<AppContext>(t.context());
    std::unique_ptr<QWebEngineProfile> profile = std::make_unique<QWebEngineProfile>();
    BrowserConfig config;
    WindowFlow flow;
};

TEST_F(WindowTitleTest, EveryWindowShowsItsCaptionAndTheNameOnce) {
    setApplicationIdentity();
    EXPECT_EQ(QGuiApplication::desktopFileName(), QStringLiteral(MOJING_APP_ID));
    EXPECT_FALSE(QGuiApplication::windowIcon().isNull());

    CoverWindow cover(*context, flow, config);
    SearchWindow search(*context, flow, profile.get(), config);
    FileDownloadWindow downloads(*context, nullptr, config);
    OptionDialog options(*context, nullptr);
    SaveFolderDialog saveFolder(*context);
    AboutDialog about(Icons::programIcon());
    const struct {
        const char* name;
        const QWidget& window;
        QString title;
    } cases[] = {
        {"start window", cover, u"墨鲸文献助手"_s},
        {"search window", search, u"墨鲸文献助手-SAGE数据检索分析"_s},
        {"download window", downloads, u"文件下载-墨鲸文献助手"_s},
        {"options", options, u"设置-墨鲸文献助手"_s},
        {"save folder", saveFolder, u"选择下载保存路径"_s},
        {"about", about, u"关于墨鲸文献助手"_s},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString shown = shownTitle(c.window.windowTitle());
        EXPECT_EQ(shown, c.title);
        EXPECT_LE(shown.count(kApplicationTitle), 1) << shown.toStdString();
    }
}

} // namespace
