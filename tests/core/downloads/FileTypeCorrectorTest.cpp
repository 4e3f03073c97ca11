#include "downloads/FileTypeCorrector.h"
#include "downloads/DownloadSession.h"
#include "downloads/RowFiles.h"
#include "fakes/FakeTransferActivity.h"
#include "platform/FileHelpers.h"
#include "support/QtPrinters.h"
#include "support/TestContext.h"
#include "tools/SoundLibrary.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

using namespace mojing;
using namespace Qt::StringLiterals;

namespace {

const QByteArray kPdf = "%PDF-1.4\n" + QByteArray(64, 'x');

class FileTypeCorrectorTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder = t.path(u"dl"_s) + u'/';
        QDir().mkpath(folder);
    }
    void put(const QString& fileName, const QByteArray& content) {
        QFile f(folder + fileName);
        f.open(QIODevice::WriteOnly);
        f.write(content);
    }
    int addRow(const QString& name, const QString& type) {
        session.list().addRow(u"http://h/"_s + name + u'.' + type, name, type, folder, QString());
        return session.list().count() - 1;
    }
    bool exists(const QString& fileName) const { return QFile::exists(folder + fileName); }

    TestContext t;
    DownloadSession session{t.context()};
    QString folder;
};

TEST_F(FileTypeCorrectorTest, RowCorrections) {
    struct Case {
        const char* name;
        QString rowName, rowType;
        QStringList existing; // file names present besides the row's file
        QByteArray content;   // of the row's file; null: the file is missing
        bool corrected;
        QString nameAfter, typeAfter, fileAfter;
    } cases[] = {
        {"htm holding a pdf becomes pdf", u"a"_s, u"htm"_s, {}, kPdf, true, u"a"_s, u"pdf"_s, u"a.pdf"_s},
        {"taken pdf name gets a counter",
         u"report"_s,
         u"htm"_s,
         {u"report.pdf"_s},
         kPdf,
         true,
         u"report[0001]"_s,
         u"pdf"_s,
         u"report[0001].pdf"_s},
        {"PDF in capitals is left alone", u"b"_s, u"PDF"_s, {}, kPdf, false, u"b"_s, u"PDF"_s, u"b.PDF"_s},
        {"unknown content is left alone",
         u"c"_s,
         u"pdf"_s,
         {},
         QByteArray(40, 'z'),
         false,
         u"c"_s,
         u"pdf"_s,
         u"c.pdf"_s},
        {"missing file", u"d"_s, u"pdf"_s, {}, QByteArray(), false, u"d"_s, u"pdf"_s, QString()},
        {"empty type gets one", u"e"_s, QString(), {}, kPdf, true, u"e"_s, u"pdf"_s, u"e.pdf"_s},
    };
    for (const Case& c : cases) {
        for (const QString& e : c.existing)
            put(e, "old");
        const int row = addRow(c.rowName, c.rowType);
        if (!c.content.isNull()) {
            put(c.rowType.isEmpty() ? c.rowName : c.rowName + u'.' + c.rowType, c.content);
            session.list().setOwned(row, RowFiles::describe(session.list().filePath(row)));
        }
        EXPECT_EQ(FileTypeCorrector::correctRowFileType(session.list(), row, t.codec), c.corrected) << c.name;
        EXPECT_EQ(session.list().at(row).name, c.nameAfter) << c.name;
        EXPECT_EQ(session.list().at(row).type, c.typeAfter) << c.name;
        if (!c.content.isNull()) {
            EXPECT_EQ(session.list().at(row).owned.path, folder + c.fileAfter) << c.name;
            EXPECT_TRUE(RowFiles::stillOwned(session.list().at(row).owned))
                << c.name << ": the row still owns it";
        }
        if (!c.fileAfter.isEmpty())
            EXPECT_TRUE(exists(c.fileAfter)) << c.name;
        for (const QString& e : c.existing) {
            QFile f(folder + e);
            ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << c.name;
            EXPECT_EQ(f.readAll(), QByteArray("old")) << c.name << ": an existing file was replaced";
        }
    }
}

TEST(SplitFileName, Table) {
    struct Case {
        QString path, base, extension;
    } cases[] = {
        {u"/a/b/report[0001].pdf"_s, u"report[0001]"_s, u"pdf"_s},
        {u"noext"_s, u"noext"_s, QString()},
        {u"/x/a.abcdefg"_s, u"a.abcdefg"_s, QString()},
        {u"/x/a.abcdef"_s, u"a"_s, u"abcdef"_s},
        {u" /x/a.b.c "_s, u"a.b"_s, u"c"_s},
    };
    for (const Case& c : cases) {
        const auto got = FileHelpers::splitFileName(c.path);
        EXPECT_EQ(got.baseName, c.base) << c.path.toStdString();
        EXPECT_EQ(got.extension, c.extension) << c.path.toStdString();
    }
}

TEST_F(FileTypeCorrectorTest, MenuCommands) {
    // Tell the type of a chosen file; cancelling shows nothing.
    put(u"p.bin"_s, kPdf);
    put(u"u.bin"_s, "plain words only");
    t.prompts.openFileAnswers = {folder + u"p.bin"_s, folder + u"u.bin"_s, QString()};
    for (int i = 0; i < 3; ++i)
        FileTypeCorrector::pickFileAndShowType(t.prompts, t.codec);
    EXPECT_EQ(t.prompts.messages(), (QStringList{u"文件类型为：pdf"_s, u"目前还无法判断。"_s}));
    EXPECT_EQ(t.prompts.texts(FakePrompts::Kind::OpenFile).value(0), u"*.*|*.*"_s);

    // Correct every row: an empty list says nothing; refused while downloads run.
    t.prompts.clearShown();
    EXPECT_EQ(FileTypeCorrector::correctFileTypesOnDisk(session), 0);
    EXPECT_TRUE(t.prompts.messages().isEmpty());

    const int a = addRow(u"a"_s, u"htm"_s);
    put(u"a.htm"_s, kPdf);
    addRow(u"b"_s, u"pdf"_s);
    put(u"b.pdf"_s, kPdf);
    FakeTransferActivity activity;
    activity.slotCount = 1;
    session.setActivity(&activity);
    EXPECT_EQ(FileTypeCorrector::correctFileTypesOnDisk(session), -1);
    EXPECT_EQ(t.prompts.lastMessage(), u"停止下载以后，才能执行此操作！"_s);
    EXPECT_EQ(session.list().at(a).type, u"htm"_s);

    activity.slotCount = 0;
    EXPECT_EQ(FileTypeCorrector::correctFileTypesOnDisk(session), 1);
    EXPECT_EQ(t.prompts.lastMessage(), u"纠正文件类型：1个."_s);
    EXPECT_EQ(FileTypeCorrector::correctFileTypesOnDisk(session), 0);
    EXPECT_EQ(t.prompts.lastMessage(), u"纠正文件类型：0个."_s);
}

TEST_F(FileTypeCorrectorTest, SoundsAreWrittenOnceAndDistinct) {
    SoundLibrary sounds(t.shell, folder);
    sounds.play(101);
    sounds.play(103);
    sounds.play(7); // unknown: nothing
    EXPECT_EQ(t.shell.argumentsOf(u"playSound"_s),
              (QStringList{folder + u"101.wav"_s, folder + u"103.wav"_s}));
    const QByteArray a = SoundLibrary::waveFor(101), b = SoundLibrary::waveFor(102),
                     c = SoundLibrary::waveFor(103);
    EXPECT_TRUE(a.startsWith("RIFF") && a.mid(8, 4) == "WAVE");
    EXPECT_NE(a, b);
    EXPECT_NE(b, c);
    put(u"102.wav"_s, "keep"); // an existing file is used as it is
    EXPECT_EQ(sounds.ensureSound(102), folder + u"102.wav"_s);
    QFile kept(folder + u"102.wav"_s);
    kept.open(QIODevice::ReadOnly);
    EXPECT_EQ(kept.readAll(), QByteArray("keep"));
}

} // namespace
