#include "analysis/FolderHistory.h"
#include "analysis/FolderPicker.h"
#include "fakes/FakePrompts.h"
#include "platform/AnsiCodec.h"
#include "support/QtPrinters.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace mojing;
using namespace Qt::StringLiterals;

namespace {

const AnsiCodec kGbk(u"GBK"_s);

QStringList numbered(int n, const QString& prefix = u"/data/f"_s) {
    QStringList lines;
    for (int i = 1; i <= n; ++i)
        lines << prefix + QString::number(i);
    return lines;
}

struct LoadCase {
    const char* name;
    QByteArray content;
    QStringList expected;
};

TEST(FolderHistory, LoadTable) {
    const QByteArray hundred = kGbk.encode(numbered(100).join(u"\r\n"_s) + u"\r\n/data/new\r\n"_s);
    const QByteArray dupCounts = kGbk.encode(u"/a\r\n"_s.repeated(100) + u"/b\r\n"_s);
    const LoadCase cases[] = {
        {"lines are trimmed, empty lines skipped", "  /a  \r\n\r\n   \r\n/b\r\n", {u"/a"_s, u"/b"_s}},
        {"letter case is ignored for repeats",
         "/Data/X\r\n/data/x\r\n/DATA/y\r\n",
         {u"/Data/X"_s, u"/DATA/y"_s}},
        {"bare LF lines are read too", "/a\n/b", {u"/a"_s, u"/b"_s}},
        {"Chinese folders are GBK", kGbk.encode(u"/下载/论文\r\n"_s), {u"/下载/论文"_s}},
        {"the 101st line is not read", hundred, numbered(100)},
        {"repeated lines count toward the limit", dupCounts, {u"/a"_s}},
        {"one empty line is an empty list", "\r\n", {}},
    };
    for (const LoadCase& c : cases) {
        QTemporaryDir dir;
        const QString file = dir.filePath(u"SaveList.dat"_s);
        QFile out(file);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(c.content);
        out.close();
        const auto loaded = FolderHistory::loadFolderHistory(file, kGbk);
        ASSERT_TRUE(loaded.has_value()) << c.name;
        EXPECT_EQ(*loaded, c.expected) << c.name;
    }
}

TEST(FolderHistory, MissingFileKeepsTheCallersList) {
    QTemporaryDir dir;
    EXPECT_FALSE(FolderHistory::loadFolderHistory(dir.filePath(u"none.dat"_s), kGbk).has_value());
}

struct SaveCase {
    const char* name;
    QStringList folders;
    QByteArray expected;
};

TEST(FolderHistory, SaveTable) {
    const SaveCase cases[] = {
        {"empty list is one empty line", {}, "\r\n"},
        {"every folder ends with CR LF", {u"/a"_s, u"/b"_s}, "/a\r\n/b\r\n"},
        {"repeats are written as they are", {u"/a"_s, u"/a"_s}, "/a\r\n/a\r\n"},
        {"Chinese is written in GBK", {u"/中"_s}, QByteArray("/\xd6\xd0\r\n")},
    };
    for (const SaveCase& c : cases) {
        QTemporaryDir dir;
        const QString file = dir.filePath(u"SaveList.dat"_s);
        ASSERT_TRUE(FolderHistory::saveFolderHistory(c.folders, file, kGbk)) << c.name;
        QFile in(file);
        ASSERT_TRUE(in.open(QIODevice::ReadOnly));
        EXPECT_EQ(in.readAll(), c.expected) << c.name;
    }
}

TEST(FolderHistory, UnwritableFileReportsFailureAndKeepsOldContent) {
    QTemporaryDir dir;
    EXPECT_FALSE(FolderHistory::saveFolderHistory({u"/a"_s}, dir.filePath(u"missing/SaveList.dat"_s), kGbk));
}

struct InitialCase {
    const char* name;
    QString start;
    QString expected;
};

TEST(FolderPicker, InitialFolderTable) {
    QTemporaryDir dir;
    const QString base = QDir::toNativeSeparators(dir.path());
    const QString sep = QDir::separator();
    QDir(dir.path()).mkpath(u"one/two"_s);
    const QString root = QDir::toNativeSeparators(QDir::rootPath());
    const InitialCase cases[] = {
        {"empty start opens at the root", QString(), root},
        {"blank start opens at the root", u"   "_s, root},
        {"two levels give the parent", base + sep + u"one" + sep + u"two", base + sep + u"one" + sep},
        {"trailing separator gives the parent too", base + sep + u"one" + sep + u"two" + sep,
         base + sep + u"one" + sep},
        {"missing parent falls back to the root", base + sep + u"gone" + sep + u"two", root},
        {"surrounding blanks are ignored", u"  "_s + base + sep + u"one  ", base + sep},
    };
    for (const InitialCase& c : cases)
        EXPECT_EQ(FolderPicker::initialFolder(c.start), c.expected) << c.name;
}

TEST(FolderPicker, PickedOrStartFolderWithTrailingSeparator) {
    const QString sep = QDir::separator();
    FakePrompts prompts;
    prompts.folderAnswers.push_back(u"/picked/folder"_s);
    EXPECT_EQ(FolderPicker::browseForFolder(prompts, u"/start"_s, u"t"_s, false),
              QDir::toNativeSeparators(u"/picked/folder"_s) + sep);
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].title, u"t"_s);
    // Cancelled: the start folder comes back.
    EXPECT_EQ(FolderPicker::browseForFolder(prompts, u"/start"_s, u"t"_s, false), u"/start"_s + sep);
}

} // namespace
