#include "analysis/SaveFolderController.h"
#include "analysis/FolderHistory.h"
#include "platform/FileHelpers.h"
#include "settings/SettingKeys.h"
#include "support/QtPrinters.h"
#include "support/TestContext.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

using namespace mojing;
using namespace Qt::StringLiterals;

namespace {

class SaveFolderTest : public ::testing::Test {
protected:
    QString sep() const { return QDir::separator(); }
    QString native(const QString& name) const { return QDir::toNativeSeparators(t.path(name)); }
    QString historyFile() const { return t.path(u"SaveList.dat"_s); }
    QString storedFolder() {
        return t.settings.read(SettingKeys::kSectionSettings, SettingKeys::kSaveFolder, u"<none>"_s);
    }
    QByteArray historyBytes() const {
        QFile in(historyFile());
        return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray("<missing>");
    }

    TestContext t;
    SaveFolderController dialog{t.context(), historyFile()};
};

TEST_F(SaveFolderTest, OpeningShowsTheStoredFolderAndTheNamingChoice) {
    t.settings.write(SettingKeys::kSectionSettings, SettingKeys::kSaveFolder, u"/stored/"_s);
    t.state.nameBySourceFile = true;
    t.state.currentSaveFolder = u"/old/"_s;
    FolderHistory::saveFolderHistory({u"/x"_s, u"/X"_s, u"/y"_s}, historyFile(), t.codec);
    dialog.open();
    EXPECT_EQ(dialog.folderText(), u"/stored/"_s);
    EXPECT_EQ(t.state.currentSaveFolder, u"/stored/"_s);
    EXPECT_TRUE(dialog.nameBySourceFile());
    EXPECT_EQ(dialog.history(), (QStringList{u"/x"_s, u"/y"_s}));
}

TEST_F(SaveFolderTest, NothingStoredOpensAtTheDefaultFolder) {
    dialog.open();
    EXPECT_EQ(dialog.folderText(), SettingKeys::defaultSaveFolder());
    EXPECT_FALSE(dialog.nameBySourceFile());
    EXPECT_TRUE(dialog.history().isEmpty());
}

TEST_F(SaveFolderTest, ConfirmCreatesTwoNewLevels) {
    dialog.open();
    const QString target = native(u"level1/level2"_s);
    dialog.setFolderText(target);
    dialog.setNameBySourceFile(true);
    ASSERT_TRUE(dialog.confirm());
    EXPECT_TRUE(FileHelpers::folderExists(target));
    EXPECT_EQ(t.state.currentSaveFolder, target + sep());
    EXPECT_EQ(storedFolder(), target + sep());
    EXPECT_FALSE(t.state.saveFolderCancelled);
    EXPECT_TRUE(t.state.nameBySourceFile);
    EXPECT_EQ(dialog.history(), QStringList{target});
    EXPECT_EQ(historyBytes(), t.codec.encode(target + u"\r\n"_s));
    EXPECT_TRUE(t.prompts.shown.empty());
}

struct RefusedCase {
    const char* name;
    QString typed; // relative names are placed in the test folder unless absolute is false
    bool underTestFolder;
    QStringList messages;
};

TEST_F(SaveFolderTest, RefusedFoldersKeepTheDialogOpen) {
    const QString bad = u"文件夹名称有误！不能创建文件夹！"_s;
    const QString wrong = SaveFolderController::kBadFolder;
    const RefusedCase cases[] = {
        {"a level that cleans to nothing", u"ok/?*/deeper"_s, true, {bad, wrong}},
        {"an empty folder", QString(), false, {wrong}},
        {"blanks only", u"   "_s, false, {wrong}},
        {"a relative folder", u"relative/folder"_s, false, {wrong}},
    };
    for (const RefusedCase& c : cases) {
        t.prompts.clearShown();
        t.state.saveFolderCancelled = true;
        t.state.currentSaveFolder = u"/before/"_s;
        t.state.nameBySourceFile = false;
        dialog.open();
        t.state.currentSaveFolder = u"/before/"_s;
        dialog.setFolderText(c.underTestFolder ? native(c.typed) : c.typed);
        dialog.setNameBySourceFile(true);
        EXPECT_FALSE(dialog.confirm()) << c.name;
        EXPECT_EQ(t.prompts.messages(), c.messages) << c.name;
        EXPECT_EQ(t.prompts.lastIcon(), MessageIcon::Error) << c.name;
        EXPECT_EQ(dialog.folderText(), QString()) << c.name;
        EXPECT_EQ(t.state.currentSaveFolder, u"/before/"_s) << c.name;
        EXPECT_TRUE(t.state.saveFolderCancelled) << c.name;
        EXPECT_TRUE(t.state.nameBySourceFile) << c.name << ": the naming choice is taken all the same";
        EXPECT_EQ(storedFolder(), u"<none>"_s) << c.name;
        EXPECT_EQ(historyBytes(), QByteArray("<missing>")) << c.name;
    }
    EXPECT_FALSE(QDir(u"relative"_s).exists());
}

TEST_F(SaveFolderTest, SameFolderTwiceIsWrittenTwiceAndShownOnce) {
    const QString target = native(u"twice"_s);
    for (int i = 0; i < 2; ++i) {
        dialog.open();
        dialog.setFolderText(target + sep());
        ASSERT_TRUE(dialog.confirm());
    }
    EXPECT_EQ(historyBytes(), t.codec.encode(target + u"\r\n"_s + target + u"\r\n"_s));
    dialog.open();
    EXPECT_EQ(dialog.history(), QStringList{target});
}

TEST_F(SaveFolderTest, HundredRemembered_TheNewFolderIsLine101AndNotShownNextTime) {
    QStringList hundred;
    for (int i = 1; i <= 100; ++i)
        hundred << u"/remembered/"_s + QString::number(i);
    FolderHistory::saveFolderHistory(hundred, historyFile(), t.codec);
    dialog.open();
    const QString target = native(u"newest"_s);
    dialog.setFolderText(target);
    ASSERT_TRUE(dialog.confirm());
    const QStringList lines = t.codec.decode(historyBytes()).split(u"\r\n"_s);
    ASSERT_EQ(lines.size(), 102); // 101 lines and the empty rest after the last CR LF
    EXPECT_EQ(lines[100], target);
    dialog.open();
    EXPECT_EQ(dialog.history(), hundred);
}

TEST_F(SaveFolderTest, CancelAndTitleBarClose) {
    t.settings.write(SettingKeys::kSectionSettings, SettingKeys::kSaveFolder, u"/stored/"_s);
    dialog.open();
    dialog.cancel();
    EXPECT_TRUE(t.state.saveFolderCancelled);

    // Closing by the title bar runs neither button: the flag keeps its value and the current
    // folder is the stored one read when the dialog opened.
    t.state.saveFolderCancelled = false;
    t.state.currentSaveFolder = u"/something/else/"_s;
    dialog.open();
    EXPECT_FALSE(t.state.saveFolderCancelled);
    EXPECT_EQ(t.state.currentSaveFolder, u"/stored/"_s);
}

TEST_F(SaveFolderTest, BrowsePutsThePickedFolderIntoTheText) {
    dialog.open();
    dialog.setFolderText(u"/a/b/"_s);
    t.prompts.folderAnswers.push_back(u"/picked"_s);
    dialog.browse();
    EXPECT_EQ(dialog.folderText(), QDir::toNativeSeparators(u"/picked"_s) + sep());
    EXPECT_EQ(t.prompts.shown.back().title, SaveFolderController::kPickerTitle);
    dialog.browse(); // cancelled: the text stays
    EXPECT_EQ(dialog.folderText(), QDir::toNativeSeparators(u"/picked"_s) + sep());
}

} // namespace
