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
    };
    for (const RenameCase& c : cases) {
        freshFolder();
        for (const QString& f : c.existing)
            touch(f);
        const Naming::TargetChoice choice = Naming::chooseTarget(path(), c.rowName, c.type, c.policy);
        EXPECT_EQ(choice.name, c.expectedName) << c.name;
        EXPECT_EQ(choice.path, folder() + c.expectedName + u'.' + c.type) << c.name;
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

} // namespace
