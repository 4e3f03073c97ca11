#include "downloads/Naming.h"
#include "downloads/DownloadSession.h"
#include "support/QtPrinters.h"
#include "support/TestContext.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

using namespace mojing;
using namespace Qt::StringLiterals;

namespace {

class NamingTest : public ::testing::Test {
protected:
    void freshFolder() { dir = std::make_unique<QTemporaryDir>(); }
    QString path() const { return dir->path(); }
    QString folder() const { return dir->path() + u'/'; }
    void touch(const QString& fileName, int bytes = 3) {
        QFile f(folder() + fileName);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(bytes, 'x'));
    }

    std::unique_ptr<QTemporaryDir> dir = std::make_unique<QTemporaryDir>();
};

struct RenameCase {
    const char* name;
    QStringList existing;
    QString rowName;
    QString type;
    DuplicatePolicy policy;
    QString expectedName;
};

TEST_F(NamingTest, RenameTargetTable) {
    const RenameCase cases[] = {
        {"free path stays", {}, u"report"_s, u"pdf"_s, DuplicatePolicy::Rename, u"report"_s},
        {"first clash gets 001",
         {u"report.pdf"_s},
         u"report"_s,
         u"pdf"_s,
         DuplicatePolicy::Rename,
         u"report[001]"_s},
        {"second clash gets 002",
         {u"report.pdf"_s, u"report[001].pdf"_s},
         u"report"_s,
         u"pdf"_s,
         DuplicatePolicy::Rename,
         u"report[002]"_s},
        {"existing counter continues",
         {u"report[007].pdf"_s},
         u"report[007]"_s,
         u"pdf"_s,
         DuplicatePolicy::Rename,
         u"report[008]"_s},
        {"brackets become corner marks on clash",
         {u"a[b]c.pdf"_s},
         u"a[b]c"_s,
         u"pdf"_s,
         DuplicatePolicy::Rename,
         u"a『b』c"_s},
        {"corner-mark name taken too gets a counter",
         {u"a[b]c.pdf"_s, u"a『b』c.pdf"_s},
         u"a[b]c"_s,
         u"pdf"_s,
         DuplicatePolicy::Rename,
         u"a『b』c[001]"_s},
        {"brackets stay without clash", {}, u"a[b]c"_s, u"pdf"_s, DuplicatePolicy::Rename, u"a[b]c"_s},
        {"overwrite never renames",
         {u"report.pdf"_s},
         u"report"_s,
         u"pdf"_s,
         DuplicatePolicy::Overwrite,
         u"report"_s},
        {"skip policy still renames when asked",
         {u"report.pdf"_s},
         u"report"_s,
         u"pdf"_s,
         DuplicatePolicy::Skip,
         u"report[001]"_s},
        {"other type is no clash",
         {u"report.htm"_s},
         u"report"_s,
         u"pdf"_s,
         DuplicatePolicy::Rename,
         u"report"_s},
        {"negative counter is not a counter",
         {u"x[-1].pdf"_s},
         u"x[-1]"_s,
         u"pdf"_s,
         DuplicatePolicy::Rename,
         u"x『-1』"_s},
        {"counter past 999 widens",
         {u"r[999].pdf"_s},
         u"r[999]"_s,
         u"pdf"_s,
         DuplicatePolicy::Rename,
         u"r[1000]"_s},
        {"no type, no dot",
         {},
         u"0044118X15598528"_s,
         QString(),
         DuplicatePolicy::Rename,
         u"0044118X15598528"_s},
        {"no type, clash with the dotless name",
         {u"a"_s},
         u"a"_s,
         QString(),
         DuplicatePolicy::Rename,
         u"a[001]"_s},
    };
    for (const RenameCase& c : cases) {
        freshFolder();
        for (const QString& f : c.existing)
            touch(f);
        const Naming::TargetChoice choice = Naming::chooseTarget(path(), c.rowName, c.type, c.policy);
        EXPECT_EQ(choice.name, c.expectedName) << c.name;
        EXPECT_EQ(choice.path, folder() + c.expectedName + (c.type.isEmpty() ? QString() : u'.' + c.type))
            << c.name;
    }
}

struct UniqueCase {
    const char* name;
    QStringList existing;
    QString input;
    QString expected;
};

TEST_F(NamingTest, UniqueFilePathTable) {
    const QString longBase = QString(120, u'n');
    const UniqueCase cases[] = {
        {"free path", {}, u"x.pdf"_s, u"x.pdf"_s},
        {"taken path gets 0001", {u"x.pdf"_s}, u"x.pdf"_s, u"x[0001].pdf"_s},
        {"next free counter", {u"x.pdf"_s, u"x[0001].pdf"_s}, u"x.pdf"_s, u"x[0002].pdf"_s},
        {"counter dropped and plain name reused", {u"x[0003].pdf"_s}, u"x[0003].pdf"_s, u"x.pdf"_s},
        {"no extension", {u"x"_s}, u"x"_s, u"x[0001]"_s},
        {"base cut to 100 characters",
         {longBase + u".pdf"_s},
         longBase + u".pdf"_s,
         QString(100, u'n') + u".pdf"_s},
    };
    for (const UniqueCase& c : cases) {
        freshFolder();
        for (const QString& f : c.existing)
            touch(f);
        EXPECT_EQ(Naming::uniqueFilePath(folder() + c.input), folder() + c.expected) << c.name;
    }
}

TEST_F(NamingTest, SkipPolicyFinishesExistingRowsWithoutDownload) {
    TestContext t;
    DownloadSession session(t.context());
    touch(u"have.pdf"_s, 1234);
    session.list().addRow(u"http://h/a"_s, u"have"_s, u"pdf"_s, path(), {});
    session.list().addRow(u"http://h/b"_s, u"new"_s, u"pdf"_s, path(), {});

    session.options().policy = DuplicatePolicy::Rename;
    EXPECT_TRUE(Naming::needsDownload(session, 0)) << "rename never skips";
    session.options().policy = DuplicatePolicy::Overwrite;
    EXPECT_TRUE(Naming::needsDownload(session, 0)) << "overwrite never skips";

    session.options().policy = DuplicatePolicy::Skip;
    EXPECT_TRUE(Naming::needsDownload(session, 1));
    EXPECT_FALSE(Naming::needsDownload(session, 0));
    const DownloadRow& row = session.list().at(0);
    EXPECT_EQ(row.state, RowState::Finished);
    EXPECT_EQ(row.size, u"1234"_s);
    EXPECT_EQ(row.received, u"1234"_s);
    EXPECT_EQ(row.percent, u"已存在，跳过"_s);
}

TEST_F(NamingTest, SkipPolicyLooksAtTheRowsOwnPath) {
    // The row's file path is what the transfers write: no dot without a type, and a bare
    // placeholder of a download that never finished is no file to keep.
    TestContext t;
    DownloadSession session(t.context());
    session.options().policy = DuplicatePolicy::Skip;
    touch(u"dotless"_s, 10);
    touch(u"dotted."_s, 10);
    QFile placeholder(folder() + u"killed.pdf"_s);
    ASSERT_TRUE(placeholder.open(QIODevice::WriteOnly));
    placeholder.write(QByteArray("\x01\x00", 2));
    placeholder.close();
    touch(u"two.pdf"_s, 2); // two bytes, but not the placeholder's
    struct Case {
        const char* name;
        QString rowName, type;
        bool needed;
    } cases[] = {
        {"no type: the dotless file exists", u"dotless"_s, QString(), false},
        {"no type: a dotted name is another file", u"dotted"_s, QString(), true},
        {"a placeholder is fetched again", u"killed"_s, u"pdf"_s, true},
        {"a real two-byte file is kept", u"two"_s, u"pdf"_s, false},
    };
    for (const Case& c : cases) {
        session.list().addRow(u"http://h/"_s + c.rowName, c.rowName, c.type, path(), {});
        EXPECT_EQ(Naming::needsDownload(session, session.list().count() - 1), c.needed) << c.name;
    }
}

} // namespace
