#include "tools/CopyMoveController.h"
#include "analysis/FolderHistory.h"
#include "analysis/FolderPicker.h"
#include "settings/SettingKeys.h"
#include "support/QtPrinters.h"
#include "support/TestContext.h"
#include "tools/CopyPaths.h"
#include "tools/FileCopy.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

using namespace mojing;
using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

using Rule = CopyMoveController::ClashRule;

class CopyMoveTest : public ::testing::Test {
protected:
    CopyMoveTest() {
        QDir().mkpath(src);
        QDir().mkpath(dst);
    }

    SharedFolders folders() {
        return SharedFolders{
            [this] { return FolderHistory::loadFolderHistory(historyFile, t.codec); },
            [this](const QStringList& f) { FolderHistory::saveFolderHistory(f, historyFile, t.codec); },
            [this](const QString& start, const QString& title) {
                return FolderPicker::browseForFolder(t.prompts, start, title, false);
            }};
    }
    static void put(const QString& path, const QByteArray& bytes, const QDateTime& modified = {}) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
        f.write(bytes);
        if (modified.isValid()) {
            f.flush();
            f.setFileTime(modified, QFileDevice::FileModificationTime);
        }
    }
    static QByteArray read(const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
    QStringList destinationNames() const { return QDir(dst).entryList(QDir::Files, QDir::Name); }

    // Opens the tool over `sources` into the destination with `rule` and runs it to its end.
    void run(const QStringList& sources, int rule = Rule::OverwriteIfSameSizeAndTime, bool move = false,
             const QString& folderText = {}) {
        tool.setMoveMode(move);
        tool.sourceFiles() = sources;
        tool.open();
        tool.setOpIndex(rule);
        tool.setFolderText(folderText.isEmpty() ? dst : folderText);
        tool.execute(true);
        ASSERT_TRUE(t.pump.waitUntil([this] { return !tool.running(); }, 10000ms));
    }

    TestContext t;
    QString src = t.path(u"src/"_s);
    QString dst = t.path(u"dst/"_s);
    QString historyFile = t.path(u"SaveList.dat"_s);
    CopyMoveController tool{t.context(), folders()};
    const QDateTime earlier = QDateTime::currentDateTime().addDays(-3);
    const QDateTime later = QDateTime::currentDateTime().addDays(-1);
};

// One source meets one existing destination file under each rule.
TEST_F(CopyMoveTest, ClashRules) {
    struct Case {
        const char* name;
        int rule;
        bool move;
        QString source; // file name in the source folder
        QByteArray sourceBytes;
        QByteArray existing;    // bytes of the same-named file already in the destination
        bool sameTime;          // the existing file has the source's modification time
        QString extraExisting;  // another file already in the destination
        QStringList afterNames; // files of the destination afterwards
        QString writtenAs;      // the name the source's bytes ended up under (empty: none)
        bool sourceStays;
    } cases[] = {
        {"skip keeps both", Rule::Skip, false, u"a.pdf"_s, "new", "old", false, {}, {u"a.pdf"_s}, {}, true},
        {"skip in move mode keeps the source",
         Rule::Skip,
         true,
         u"a.pdf"_s,
         "new",
         "old",
         false,
         {},
         {u"a.pdf"_s},
         {},
         true},
        {"overwrite",
         Rule::Overwrite,
         false,
         u"a.pdf"_s,
         "new",
         "old",
         false,
         {},
         {u"a.pdf"_s},
         u"a.pdf"_s,
         true},
        {"overwrite in move mode",
         Rule::Overwrite,
         true,
         u"a.pdf"_s,
         "new",
         "old",
         false,
         {},
         {u"a.pdf"_s},
         u"a.pdf"_s,
         false},
        {"rename",
         Rule::Rename,
         false,
         u"a.pdf"_s,
         "new",
         "old",
         true,
         {},
         {u"a.pdf"_s, u"a[001].pdf"_s},
         u"a[001].pdf"_s,
         true},
        {"rename past a taken number",
         Rule::Rename,
         true,
         u"a.pdf"_s,
         "new",
         "old",
         false,
         u"a[001].pdf"_s,
         {u"a.pdf"_s, u"a[001].pdf"_s, u"a[002].pdf"_s},
         u"a[002].pdf"_s,
         false},
        {"size and time equal: overwrite",
         Rule::OverwriteIfSameSizeAndTime,
         false,
         u"a.pdf"_s,
         "new",
         "old",
         true,
         {},
         {u"a.pdf"_s},
         u"a.pdf"_s,
         true},
        {"size equal, time differs: numbered",
         Rule::OverwriteIfSameSizeAndTime,
         false,
         u"a.pdf"_s,
         "new",
         "old",
         false,
         {},
         {u"a.pdf"_s, u"a[001].pdf"_s},
         u"a[001].pdf"_s,
         true},
        {"time equal, size differs: numbered",
         Rule::OverwriteIfSameSizeAndTime,
         false,
         u"a.pdf"_s,
         "newer",
         "old",
         true,
         {},
         {u"a.pdf"_s, u"a[001].pdf"_s},
         u"a[001].pdf"_s,
         true},
        {"size equal, content differs: overwrite",
         Rule::OverwriteIfSameSize,
         false,
         u"a.pdf"_s,
         "new",
         "old",
         false,
         {},
         {u"a.pdf"_s},
         u"a.pdf"_s,
         true},
        {"size differs: numbered",
         Rule::OverwriteIfSameSize,
         true,
         u"a.pdf"_s,
         "newer",
         "old",
         false,
         {},
         {u"a.pdf"_s, u"a[001].pdf"_s},
         u"a[001].pdf"_s,
         false},
        {"a numbered source is numbered from its stem",
         Rule::Rename,
         false,
         u"a[007].pdf"_s,
         "new",
         "old",
         false,
         u"a.pdf"_s,
         {u"a.pdf"_s, u"a[001].pdf"_s, u"a[007].pdf"_s},
         u"a[001].pdf"_s,
         true},
        {"a 7-character extension is part of the name",
         Rule::Rename,
         false,
         u"data.backup01"_s,
         "new",
         "old",
         false,
         {},
         {u"data.backup01"_s, u"data.backup01[001]"_s},
         u"data.backup01[001]"_s,
         true},
        {"a 6-character extension stays one",
         Rule::Rename,
         false,
         u"data.abcdef"_s,
         "new",
         "old",
         false,
         {},
         {u"data.abcdef"_s, u"data[001].abcdef"_s},
         u"data[001].abcdef"_s,
         true},
        {"no clash: copied under its name",
         Rule::Skip,
         true,
         u"b.pdf"_s,
         "new",
         {},
         false,
         {},
         {u"b.pdf"_s},
         u"b.pdf"_s,
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QDir(dst).removeRecursively();
        QDir().mkpath(dst);
        const QString source = src + c.source;
        put(source, c.sourceBytes, earlier);
        if (!c.existing.isNull())
            put(dst + c.source, c.existing, c.sameTime ? earlier : later);
        if (!c.extraExisting.isEmpty())
            put(dst + c.extraExisting, "other");
        run({source}, c.rule, c.move);
        EXPECT_EQ(destinationNames(), c.afterNames);
        if (!c.writtenAs.isEmpty()) {
            EXPECT_EQ(read(dst + c.writtenAs), c.sourceBytes);
            // Copies keep the source's time, so a later run can tell an unchanged copy.
            EXPECT_EQ(QFileInfo(dst + c.writtenAs).lastModified().toSecsSinceEpoch(),
                      earlier.toSecsSinceEpoch());
        } else if (!c.existing.isNull()) {
            EXPECT_EQ(read(dst + c.source), c.existing);
        }
        EXPECT_EQ(QFile::exists(source), c.sourceStays);
        EXPECT_EQ(t.prompts.lastMessage(),
                  c.move ? CopyMoveController::kMoveDone : CopyMoveController::kCopyDone);
        QFile::remove(source);
    }
}

TEST_F(CopyMoveTest, SourcesAlreadyInTheDestinationAreLeftAlone) {
    put(dst + u"here.pdf"_s, "mine");
    put(src + u"there.pdf"_s, "theirs");
    // Also when the destination is reached through a link to it.
    ASSERT_TRUE(QFile::link(dst, t.path(u"alias"_s)));
    for (const QString& folderText : {dst, t.path(u"alias/"_s)}) {
        SCOPED_TRACE(folderText.toStdString());
        run({dst + u"here.pdf"_s}, Rule::Rename, true, folderText);
        EXPECT_EQ(destinationNames(), QStringList{u"here.pdf"_s});
        EXPECT_EQ(read(dst + u"here.pdf"_s), QByteArray("mine"));
    }
    run({src + u"there.pdf"_s, dst + u"here.pdf"_s}, Rule::Rename, false);
    EXPECT_EQ(destinationNames(), (QStringList{u"here.pdf"_s, u"there.pdf"_s}));
}

TEST_F(CopyMoveTest, DestinationIsStoredWithOneSeparatorAndRememberedOnce) {
    FolderHistory::saveFolderHistory({u"/elsewhere"_s}, historyFile, t.codec);
    put(src + u"a.pdf"_s, "x");
    const QString bare = dst.chopped(1);
    run({src + u"a.pdf"_s}, Rule::Overwrite, false, u"  "_s + bare + u" "_s);
    EXPECT_EQ(t.settings.read(SettingKeys::kSectionCopyMove, SettingKeys::kCopyTarget), dst);
    EXPECT_EQ(t.settings.read(SettingKeys::kSectionCopyMove, SettingKeys::kCopyOption), u"2"_s);
    EXPECT_EQ(tool.folderText(), dst);
    for (const QString& again : {dst, bare, dst.toUpper()}) {
        if (again == dst.toUpper() && !QFileInfo::exists(again))
            continue; // case-sensitive file system: another folder
        run({src + u"a.pdf"_s}, Rule::Overwrite, false, again);
    }
    EXPECT_EQ(FolderHistory::loadFolderHistory(historyFile, t.codec).value(),
              (QStringList{u"/elsewhere"_s, dst}));
}

TEST_F(CopyMoveTest, OpeningTakesTheStoredChoicesOrTheDefaults) {
    tool.open();
    EXPECT_EQ(tool.folderText(), SettingKeys::dataFolder());
    EXPECT_EQ(tool.opIndex(), 4);
    EXPECT_EQ(tool.defaultCaption(), u"复制文件...-墨鲸文献助手"_s);
    tool.setMoveMode(true);
    EXPECT_EQ(tool.defaultCaption(), u"移动文件...-墨鲸文献助手"_s);
    t.settings.write(SettingKeys::kSectionCopyMove, SettingKeys::kCopyOption, u"1"_s);
    t.settings.write(SettingKeys::kSectionCopyMove, SettingKeys::kCopyTarget, u"/stored/"_s);
    tool.open();
    EXPECT_EQ(tool.opIndex(), 1);
    EXPECT_EQ(tool.folderText(), u"/stored/"_s);
    for (const QString& bad : {u"0"_s, u"6"_s, u"x"_s}) {
        t.settings.write(SettingKeys::kSectionCopyMove, SettingKeys::kCopyOption, bad);
        tool.open();
        EXPECT_EQ(tool.opIndex(), 4) << bad.toStdString();
    }
}

TEST_F(CopyMoveTest, VanishedSourcesAreDroppedAndAnEmptyListEndsSilently) {
    put(src + u"kept.pdf"_s, "x");
    run({src + u"gone.pdf"_s, src + u"kept.pdf"_s});
    EXPECT_EQ(tool.sourceFiles(), QStringList{src + u"kept.pdf"_s});
    EXPECT_EQ(destinationNames(), QStringList{u"kept.pdf"_s});
    EXPECT_EQ(t.prompts.messages(), QStringList{CopyMoveController::kCopyDone});

    t.prompts.clearShown();
    run({src + u"gone.pdf"_s, src}); // a folder is no file either
    run({});
    EXPECT_TRUE(t.prompts.messages().isEmpty());
    EXPECT_EQ(tool.buttonText(), CopyMoveController::kStart);
}

TEST_F(CopyMoveTest, LinksAmongTheSourcesAreNeitherCopiedNorMoved) {
    // Another user's cache may hold links to anyone's files: a source that is a link, or lies in
    // a linked folder, is dropped like a missing one, in both modes.
    QDir().mkpath(t.path(u"papers"_s));
    put(t.path(u"papers/secret.pdf"_s), "someone's paper");
    ASSERT_TRUE(QFile::link(t.path(u"papers/secret.pdf"_s), src + u"link.pdf"_s));
    ASSERT_TRUE(QFile::link(t.path(u"papers"_s), src + u"linked"_s));
    for (const bool move : {false, true}) {
        SCOPED_TRACE(move ? "move" : "copy");
        QDir(dst).removeRecursively();
        QDir().mkpath(dst);
        put(src + u"real.pdf"_s, "r");
        run({src + u"link.pdf"_s, src + u"linked/secret.pdf"_s, src + u"real.pdf"_s}, Rule::Rename, move);
        EXPECT_EQ(tool.sourceFiles(), QStringList{src + u"real.pdf"_s});
        EXPECT_EQ(destinationNames(), QStringList{u"real.pdf"_s});
        EXPECT_EQ(read(t.path(u"papers/secret.pdf"_s)), QByteArray("someone's paper"));
        EXPECT_TRUE(QFileInfo(src + u"link.pdf"_s).isSymLink());
    }
}

TEST_F(CopyMoveTest, AFolderThatCannotBeMadeStopsBeforeAnyCopy) {
    put(src + u"a.pdf"_s, "x");
    put(t.path(u"plainfile"_s), "x");
    for (const QString& bad : {t.path(u"plainfile/sub"_s), u"relative/folder"_s}) {
        SCOPED_TRACE(bad.toStdString());
        t.prompts.clearShown();
        run({src + u"a.pdf"_s}, Rule::Overwrite, false, bad);
        EXPECT_EQ(t.prompts.lastMessage(), CopyMoveController::kFolderError);
        EXPECT_EQ(t.prompts.lastIcon(), MessageIcon::Error);
        EXPECT_TRUE(QFile::exists(src + u"a.pdf"_s));
        EXPECT_FALSE(QFileInfo::exists(u"relative"_s));
    }
}

TEST_F(CopyMoveTest, StopEndsTheRunBeforeTheNextFileAndStillReports) {
    QStringList sources;
    for (int i = 0; i < 20; ++i) {
        sources << src + u"f%1.pdf"_s.arg(i);
        put(sources.last(), "x");
    }
    tool.sourceFiles() = sources;
    tool.open();
    tool.setFolderText(dst);
    tool.execute(true);
    EXPECT_TRUE(tool.running());
    EXPECT_EQ(tool.buttonText(), CopyMoveController::kStop);
    EXPECT_EQ(tool.progressMaximum(), 21);
    t.pump.pumpOnce();
    tool.execute(true); // "停止"
    EXPECT_FALSE(tool.running());
    EXPECT_EQ(tool.buttonText(), CopyMoveController::kStart);
    EXPECT_EQ(tool.progressValue(), 0);
    EXPECT_TRUE(tool.currentName().isEmpty());
    EXPECT_LT(destinationNames().size(), 20);
    EXPECT_EQ(t.prompts.messages(), QStringList{CopyMoveController::kCopyDone});
    t.pump.sleepFor(20ms);
    EXPECT_LT(destinationNames().size(), 20);
}

TEST(CopyPaths, SplitAndNumbering) {
    struct Case {
        QString path, folder, base, extension;
    } cases[] = {
        {u" /a/b/report.pdf "_s, u"/a/b/"_s, u"report"_s, u"pdf"_s},
        {u"noext"_s, QString(), u"noext"_s, QString()},
        {u"/x/.profile"_s, u"/x/"_s, u".profile"_s, QString()},
        {u"/x/a.tar.gz"_s, u"/x/"_s, u"a.tar"_s, u"gz"_s},
    };
    for (const Case& c : cases) {
        const auto parts = CopyPaths::splitPath(c.path);
        EXPECT_EQ(parts.folder, c.folder) << c.path.toStdString();
        EXPECT_EQ(parts.baseName, c.base) << c.path.toStdString();
        EXPECT_EQ(parts.extension, c.extension) << c.path.toStdString();
    }
    const std::pair<QString, QString> stems[] = {
        {u"a[007]"_s, u"a"_s}, {u"a[ 12 ]"_s, u"a"_s}, {u"a[x1]"_s, u"a[x1]"_s},
        {u"a[]"_s, u"a[]"_s},  {u"a]"_s, u"a]"_s},     {u"a[1][2]"_s, u"a[1]"_s},
    };
    for (const auto& [base, stem] : stems)
        EXPECT_EQ(CopyPaths::withoutCounter(base), stem) << base.toStdString();
}

TEST(CopyPaths, TheThousandthCopyHasFourDigits) {
    TestContext t;
    const QString folder = t.path(u"f/"_s);
    QDir().mkpath(folder);
    QFile(folder + u"report.pdf"_s).open(QIODevice::WriteOnly);
    for (int n = 1; n <= 999; ++n)
        QFile(folder + u"report[%1].pdf"_s.arg(n, 3, 10, QChar(u'0'))).open(QIODevice::WriteOnly);
    EXPECT_EQ(CopyPaths::firstFreeNumberedPath(u"/elsewhere/report[003].pdf"_s, folder),
              folder + u"report[1000].pdf"_s);
}

TEST(FileCopy, AFailedOverwriteKeepsTheOldFile) {
    TestContext t;
    const QString target = t.path(u"t.pdf"_s);
    QFile f(target);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("old");
    f.close();
    EXPECT_FALSE(FileCopy::copyOver(t.path(u"missing.pdf"_s), target));
    EXPECT_FALSE(FileCopy::copyWithNumberedName(t.path(u"missing.pdf"_s), t.path(QString())));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("old"));
    EXPECT_EQ(QDir(t.path(QString())).entryList(QDir::Files).filter(u".part"_s), QStringList());
}

} // namespace
