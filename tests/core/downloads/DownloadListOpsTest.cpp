#include "downloads/DownloadListOps.h"
#include "downloads/DownloadFileActions.h"
#include "downloads/DownloadListSorter.h"
#include "downloads/DownloadSession.h"
#include "downloads/RowFiles.h"
#include "downloads/UrlReplacer.h"
#include "fakes/FakeTransferActivity.h"
#include "support/TestContext.h"
#include "transfer/KeptParts.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QSet>
#include <QSignalSpy>
#include <functional>
#include <gtest/gtest.h>

using namespace mojing;
using namespace Qt::StringLiterals;

namespace {

struct Row {
    QString key;
    QString name;
    QString type;
    RowState state;
    QString size = {};
    QString received = {};
    bool selected = false;
};

struct Rig {
    Rig() : ctx(t.context()), session(ctx), ops(session) {
        session.setActivity(&activity);
        folder = QDir(t.dir.path()).filePath(u"files"_s) + QDir::separator();
        QDir().mkpath(folder);
    }
    void add(const Row& r) {
        DownloadListModel& list = session.list();
        list.addRow(r.key, r.name, r.type, folder, {});
        const int i = list.count() - 1;
        list.setState(i, r.state);
        list.setSize(i, r.size);
        list.setReceived(i, r.received);
        list.setPercent(i, r.state == RowState::Finished ? u"100%"_s : QString());
        list.setSelected(i, r.selected);
    }
    void touch(const QString& fileName, const QByteArray& bytes = "x") {
        QFile f(folder + fileName);
        f.open(QIODevice::WriteOnly);
        f.write(bytes);
    }
    // The row wrote `fileName` (as a finished transfer records it).
    void own(int row, const QString& fileName, const QByteArray& bytes = "x") {
        touch(fileName, bytes);
        session.list().setOwned(row, RowFiles::describe(folder + fileName));
    }
    bool exists(const QString& fileName) const { return QFile::exists(folder + fileName); }
    // Names of the rows that are waiting again.
    QStringList waitingNames() const {
        QStringList names;
        for (int i = 0; i < session.list().count(); ++i) {
            if (session.list().at(i).state == RowState::Waiting)
                names << session.list().at(i).name;
        }
        return names;
    }
    QStringList names() const {
        QStringList names;
        for (int i = 0; i < session.list().count(); ++i)
            names << session.list().at(i).name;
        return names;
    }

    TestContext t;
    AppContext ctx;
    FakeTransferActivity activity;
    DownloadSession session;
    DownloadListOps ops;
    QString folder;
};

TEST(RequeueRow, FailedWebPageIsResetAndItsKeyRotated) {
    Rig rig;
    rig.add({u"http://a/x|http://b/x"_s, u"name"_s, u"html"_s, RowState::Failed, u"100"_s, u"40"_s});
    rig.session.list().setPercent(0, u"40%"_s);
    rig.own(0, u"name.html"_s);
    rig.touch(u"name.xxx"_s, QByteArray("\x01\x00", 2)); // a placeholder left over from an earlier round
    EXPECT_EQ(rig.ops.requeueFailedRows(), 1);
    const DownloadRow& r = rig.session.list().at(0);
    EXPECT_FALSE(rig.exists(u"name.html"_s));
    EXPECT_FALSE(rig.exists(u"name.xxx"_s));
    EXPECT_TRUE(r.owned.isEmpty());
    EXPECT_EQ(r.type, u"xxx"_s);
    EXPECT_EQ(r.state, RowState::Waiting);
    EXPECT_TRUE(r.size.isEmpty() && r.received.isEmpty() && r.percent.isEmpty());
    EXPECT_EQ(r.key, u"http://b/x|http://a/x"_s);
}

// Every command that gives up a row's file deletes only what the row itself wrote: another row
// may have finished a file under the same name since, or the user put one there.
TEST(RowFiles, OnlyWhatTheRowWroteIsDeleted) {
    const QByteArray placeholder("\x01\x00", 2);
    struct Case {
        const char* name;
        std::function<void(Rig&)> before; // row 0, failed, named "doc"
        bool fileAfter;
    };
    const Case cases[] = {
        {"its own file goes", [](Rig& rig) { rig.own(0, u"doc.pdf"_s); }, false},
        {"another row's file stays", [](Rig& rig) { rig.touch(u"doc.pdf"_s, "the other paper"); }, true},
        {"its file grown since stays",
         [](Rig& rig) {
             rig.own(0, u"doc.pdf"_s);
             rig.touch(u"doc.pdf"_s, "written again since");
         },
         true},
        {"its file touched since stays",
         [](Rig& rig) {
             rig.own(0, u"doc.pdf"_s);
             QFile f(rig.folder + u"doc.pdf"_s);
             f.open(QIODevice::ReadWrite);
             f.setFileTime(QDateTime::currentDateTimeUtc().addSecs(-3600), QFileDevice::FileModificationTime);
         },
         true},
        {"a bare placeholder goes", [&](Rig& rig) { rig.touch(u"doc.pdf"_s, placeholder); }, false},
        {"a link that leads to a placeholder stays",
         [&](Rig& rig) {
             rig.touch(u"elsewhere.bin"_s, placeholder);
             QFile::link(rig.folder + u"elsewhere.bin"_s, rig.folder + u"doc.pdf"_s);
         },
         true},
        {"a placeholder a running row uses stays",
         [&](Rig& rig) {
             rig.add({u"2"_s, u"doc"_s, u"pdf"_s, RowState::Downloading});
             rig.touch(u"doc.pdf"_s, placeholder);
         },
         true},
    };
    const std::pair<const char*, std::function<void(Rig&)>> commands[] = {
        {"重新下载 出错项", [](Rig& rig) { rig.ops.requeueFailedRows(); }},
        {"double click", [](Rig& rig) { DownloadFileActions(rig.session).activateRow(0); }},
        {"删除文件 出错项", [](Rig& rig) { rig.ops.deleteFailedRowFiles(); }},
    };
    for (const auto& [command, run] : commands) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(command) + ": " + c.name);
            Rig rig;
            rig.add({u"1"_s, u"doc"_s, u"pdf"_s, RowState::Failed, u"10"_s, u"3"_s});
            c.before(rig);
            run(rig);
            EXPECT_EQ(rig.exists(u"doc.pdf"_s), c.fileAfter);
            EXPECT_TRUE(rig.session.list().at(0).owned.isEmpty()) << "the row gave its file up";
        }
    }
}

TEST(RequeueRow, KeysAndTypes) {
    struct Case {
        const char* name;
        QString key;
        QString type;
        bool xmlIsWebPage;
        QString expectedKey;
        QString expectedType;
    };
    const Case cases[] = {
        {"single address stays", u"http://a/1"_s, u"pdf"_s, false, u"http://a/1"_s, u"pdf"_s},
        {"two alternatives swap", u"a|b"_s, u"pdf"_s, false, u"b|a"_s, u"pdf"_s},
        {"three rotate the last to the front", u"a|b|c"_s, u"pdf"_s, false, u"c|a|b"_s, u"pdf"_s},
        {"four are left alone", u"a|b|c|d"_s, u"pdf"_s, false, u"a|b|c|d"_s, u"pdf"_s},
        {"HTM in capitals is a web page", u"k"_s, u"HTM"_s, false, u"k"_s, u"xxx"_s},
        {"xml stays for the general reset", u"k"_s, u"xml"_s, false, u"k"_s, u"xml"_s},
        {"xml becomes xxx for web-page requeue", u"k"_s, u"xml"_s, true, u"k"_s, u"xxx"_s},
        {"empty type stays empty", u"k"_s, QString(), false, u"k"_s, QString()},
    };
    for (const Case& c : cases) {
        Rig rig;
        rig.add({c.key, u"n"_s, c.type, RowState::Finished});
        rig.ops.requeueRow(0, c.xmlIsWebPage);
        EXPECT_EQ(rig.session.list().at(0).key, c.expectedKey) << c.name;
        EXPECT_EQ(rig.session.list().at(0).type, c.expectedType) << c.name;
    }
}

TEST(RequeueRow, RotatedKeyAlreadyInTheListKeepsTheOldKey) {
    Rig rig;
    rig.add({u"a|b"_s, u"one"_s, u"pdf"_s, RowState::Failed});
    rig.add({u"b|a"_s, u"two"_s, u"pdf"_s, RowState::Finished});
    rig.ops.requeueRow(0);
    EXPECT_EQ(rig.session.list().at(0).key, u"a|b"_s);
    EXPECT_EQ(rig.session.list().at(0).state, RowState::Waiting);
}

TEST(RequeueRow, RowWithoutFolderDeletesNothing) {
    Rig rig;
    rig.session.list().addRow(u"k"_s, u"orphan"_s, u"pdf"_s, QString(), {});
    rig.session.list().setState(0, RowState::Failed);
    rig.ops.requeueRow(0);
    EXPECT_EQ(rig.session.list().at(0).state, RowState::Waiting);
}

TEST(RequeueCommands, QualifyingRows) {
    struct Case {
        const char* name;
        std::function<int(DownloadListOps&)> command;
        QStringList expectedWaiting;
    };
    const Case cases[] = {
        {"selected: only finished or failed",
         &DownloadListOps::requeueSelectedRows,
         {u"waiting"_s, u"selFailed"_s, u"selDone"_s}},
        {"failed",
         [](DownloadListOps& ops) { return ops.requeueFailedRows(); },
         {u"waiting"_s, u"selFailed"_s, u"failed"_s, u"htmFailed"_s}},
        {"web pages incl. xml",
         [](DownloadListOps& ops) { return ops.requeueWebPageRows(); },
         {u"waiting"_s, u"htm"_s, u"xml"_s, u"htmFailed"_s}},
        {"failed and web pages, xml not",
         &DownloadListOps::requeueFailedAndWebPageRows,
         {u"waiting"_s, u"selFailed"_s, u"failed"_s, u"htm"_s, u"htmFailed"_s}},
    };
    for (const Case& c : cases) {
        Rig rig;
        rig.add({u"1"_s, u"waiting"_s, u"pdf"_s, RowState::Waiting, {}, {}, true});
        rig.add({u"2"_s, u"running"_s, u"pdf"_s, RowState::Downloading, {}, {}, true});
        rig.add({u"3"_s, u"selFailed"_s, u"pdf"_s, RowState::Failed, {}, {}, true});
        rig.add({u"4"_s, u"selDone"_s, u"pdf"_s, RowState::Finished, {}, {}, true});
        rig.add({u"5"_s, u"failed"_s, u"pdf"_s, RowState::Failed});
        rig.add({u"6"_s, u"htm"_s, u"htm"_s, RowState::Finished});
        rig.add({u"7"_s, u"xml"_s, u"xml"_s, RowState::Finished});
        rig.add({u"8"_s, u"htmWaiting"_s, u"htm"_s, RowState::Waiting});
        rig.add({u"9"_s, u"htmFailed"_s, u"HTML"_s, RowState::Failed});
        // "htmWaiting" was waiting already and is not touched
        c.command(rig.ops);
        QStringList waiting = rig.waitingNames();
        waiting.removeAll(u"htmWaiting"_s);
        EXPECT_EQ(waiting, c.expectedWaiting) << c.name;
        EXPECT_EQ(rig.session.list().at(7).type, u"htm"_s) << c.name << ": a waiting row keeps its type";
    }
}

TEST(RequeueCommands, PartsKeptForResumingGoUnlessTheRetryIsAutomatic) {
    // Each command meets a failed row "a|b" whose two addresses both left a part kept for resuming.
    const QString key = u"http://h/a.pdf|http://mirror/a.pdf"_s;
    struct Case {
        const char* name;
        std::function<void(Rig&)> command;
        int filesLeft; // of the failed row's four, and the finished row's two
    } cases[] = {
        {"automatic re-download", [](Rig& r) { r.ops.requeueFailedRows(DownloadListOps::Partial::Keep); }, 6},
        {"重新下载 › 出错项", [](Rig& r) { r.ops.requeueFailedRows(); }, 2},
        {"重新下载 › 选中项",
         [](Rig& r) {
             r.session.list().setSelected(0, true);
             r.ops.requeueSelectedRows();
         },
         2},
        {"删除文件 › 出错项", [](Rig& r) { r.ops.deleteFailedRowFiles(); }, 2},
        {"清除 › 全部出错项", [](Rig& r) { r.ops.removeFailedRows(); }, 2},
        {"清空",
         [](Rig& r) {
             r.t.prompts.yesNoAnswers.push_back(true);
             r.ops.clearList();
         },
         0},
        {"double click on the failed row", [](Rig& r) { DownloadFileActions(r.session).activateRow(0); }, 2},
    };
    for (const Case& c : cases) {
        Rig rig;
        rig.add({key, u"a"_s, u"pdf"_s, RowState::Failed, u"100"_s, u"40"_s});
        rig.add({u"http://h/other.pdf"_s, u"other"_s, u"pdf"_s, RowState::Finished});
        for (const QString& url : {u"http://h/a.pdf"_s, u"http://mirror/a.pdf"_s, u"http://h/other.pdf"_s}) {
            for (const QString& path :
                 {KeptParts::dataPath(rig.folder, url), KeptParts::infoPath(rig.folder, url)}) {
                QFile f(path);
                ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            }
        }
        c.command(rig);
        EXPECT_EQ(QDir(rig.folder).entryList(QDir::Files | QDir::Hidden).size(), c.filesLeft) << c.name;
    }
}

TEST(RequeueCommands, SmallRows) {
    struct Case {
        const char* name;
        std::optional<QString> answer;
        QStringList expectedWaiting;
    };
    const Case cases[] = {
        {"50000 takes the complete small row", u" 50000 "_s, {u"small"_s, u"commas"_s}},
        {"30000 is not greater than 30000", u"30000"_s, {u"commas"_s}},
        {"not a number", u"abc"_s, {}},
        {"cancelled", std::nullopt, {}},
    };
    for (const Case& c : cases) {
        Rig rig;
        rig.add({u"1"_s, u"small"_s, u"pdf"_s, RowState::Finished, u"30000"_s, u"30000"_s});
        rig.add({u"2"_s, u"large"_s, u"pdf"_s, RowState::Finished, u"60000"_s, u"60000"_s});
        rig.add({u"3"_s, u"partial"_s, u"pdf"_s, RowState::Failed, u"30000"_s, u"29000"_s});
        rig.add({u"4"_s, u"status"_s, u"pdf"_s, RowState::Failed, u"下载失败"_s, u"0"_s});
        rig.add({u"5"_s, u"commas"_s, u"pdf"_s, RowState::Failed, u"1,000"_s, u"1,000"_s});
        rig.add({u"6"_s, u"running"_s, u"pdf"_s, RowState::Downloading, u"10"_s, u"10"_s});
        rig.t.prompts.inputAnswers.push_back(c.answer);
        rig.ops.requeueSmallRows();
        EXPECT_EQ(rig.waitingNames(), c.expectedWaiting) << c.name;
        EXPECT_EQ(rig.t.prompts.texts(FakePrompts::Kind::Input), QStringList{u"请输入数字："_s}) << c.name;
    }
}

TEST(RemoveRows, PredicatesAndGuard) {
    struct Case {
        const char* name;
        bool (DownloadListOps::*command)();
        int busySlots;
        QStringList expectedNames;
        QString expectedMessage;
    };
    const Case cases[] = {
        {"failed at adjacent positions both go",
         &DownloadListOps::removeFailedRows,
         0,
         {u"a"_s, u"d"_s, u"e"_s},
         {}},
        {"finished", &DownloadListOps::removeFinishedRows, 0, {u"b"_s, u"c"_s, u"e"_s}, {}},
        {"selected", &DownloadListOps::removeSelectedRows, 0, {u"a"_s, u"c"_s, u"d"_s}, {}},
        {"refused while two slots run",
         &DownloadListOps::removeFailedRows,
         1,
         {u"a"_s, u"b"_s, u"c"_s, u"d"_s, u"e"_s},
         u"停止下载以后，才能执行此操作！"_s},
    };
    for (const Case& c : cases) {
        Rig rig;
        rig.add({u"1"_s, u"a"_s, u"pdf"_s, RowState::Finished});
        rig.add({u"2"_s, u"b"_s, u"pdf"_s, RowState::Failed, {}, {}, true});
        rig.add({u"3"_s, u"c"_s, u"pdf"_s, RowState::Failed});
        rig.add({u"4"_s, u"d"_s, u"pdf"_s, RowState::Finished});
        rig.add({u"5"_s, u"e"_s, u"pdf"_s, RowState::Waiting, {}, {}, true});
        rig.touch(u"b.pdf"_s);
        rig.activity.slotCount = c.busySlots;
        QSignalSpy label(&rig.ops, &DownloadListOps::rowCountTextChanged);
        const bool done = (rig.ops.*c.command)();
        EXPECT_EQ(done, c.expectedMessage.isEmpty()) << c.name;
        EXPECT_EQ(rig.names(), c.expectedNames) << c.name;
        EXPECT_EQ(rig.t.prompts.lastMessage(), c.expectedMessage) << c.name;
        EXPECT_TRUE(rig.exists(u"b.pdf"_s)) << c.name << ": files stay on disk";
        if (done) {
            ASSERT_EQ(label.count(), 1) << c.name;
            EXPECT_EQ(label.at(0).at(0).toString(), QString::number(c.expectedNames.size()) + u"条"_s);
        }
    }
}

TEST(ClearList, AsksFirst) {
    for (bool yes : {false, true}) {
        Rig rig;
        rig.add({u"1"_s, u"a"_s, u"pdf"_s, RowState::Finished});
        rig.t.prompts.yesNoAnswers.push_back(yes);
        QSignalSpy label(&rig.ops, &DownloadListOps::rowCountTextChanged);
        EXPECT_EQ(rig.ops.clearList(), yes);
        EXPECT_EQ(rig.session.list().count(), yes ? 0 : 1);
        EXPECT_EQ(rig.t.prompts.texts(FakePrompts::Kind::YesNo),
                  QStringList{u"您确定要清空列表的所有信息吗？"_s});
        if (yes) {
            ASSERT_EQ(label.count(), 1);
            EXPECT_EQ(label.at(0).at(0).toString(), u"0条"_s);
        }
    }
}

TEST(DeleteRowFiles, EmptiesProgressAndDeletesFilesOnly) {
    Rig rig;
    rig.add({u"1"_s, u"page"_s, u"html"_s, RowState::Finished, u"10"_s, u"10"_s});
    rig.add({u"2"_s, u"doc"_s, u"pdf"_s, RowState::Finished, u"10"_s, u"10"_s});
    rig.add({u"3"_s, u"bad"_s, u"pdf"_s, RowState::Failed, u"10"_s, u"3"_s});
    rig.own(0, u"page.html"_s);
    rig.own(1, u"doc.pdf"_s);
    rig.own(2, u"bad.pdf"_s);
    EXPECT_EQ(rig.ops.deleteWebPageRowFiles(), 1);
    EXPECT_EQ(rig.ops.deleteFailedRowFiles(), 1);
    EXPECT_FALSE(rig.exists(u"page.html"_s));
    EXPECT_FALSE(rig.exists(u"bad.pdf"_s));
    EXPECT_TRUE(rig.exists(u"doc.pdf"_s));
    const DownloadRow& page = rig.session.list().at(0);
    EXPECT_TRUE(page.size.isEmpty() && page.received.isEmpty() && page.percent.isEmpty());
    EXPECT_EQ(page.state, RowState::Finished) << "state, type and key stay";
    EXPECT_EQ(page.type, u"html"_s);
    EXPECT_EQ(rig.session.list().at(1).size, u"10"_s);
}

TEST(CancelSelectedRows, OnlyWaitingRowsAndNotWhileBusy) {
    Rig rig;
    rig.add({u"1"_s, u"w"_s, u"pdf"_s, RowState::Waiting, {}, {}, true});
    rig.add({u"2"_s, u"f"_s, u"pdf"_s, RowState::Finished, {}, {}, true});
    rig.add({u"3"_s, u"u"_s, u"pdf"_s, RowState::Waiting});
    rig.activity.busy = true;
    EXPECT_FALSE(rig.ops.cancelSelectedRows());
    EXPECT_EQ(rig.t.prompts.lastMessage(), u"停止下载后方可设置！"_s);
    EXPECT_EQ(rig.t.prompts.lastIcon(), MessageIcon::Error);
    EXPECT_EQ(rig.session.list().at(0).state, RowState::Waiting);

    rig.activity.busy = false;
    EXPECT_TRUE(rig.ops.cancelSelectedRows());
    EXPECT_EQ(rig.session.list().at(0).state, RowState::Failed);
    EXPECT_EQ(rig.session.list().at(1).state, RowState::Finished);
    EXPECT_EQ(rig.session.list().at(2).state, RowState::Waiting);
}

TEST(CheckRowFilesExist, MarksMissingFilesAndWaitingRows) {
    Rig rig;
    rig.add({u"1"_s, u"here"_s, u"pdf"_s, RowState::Finished});
    rig.add({u"2"_s, u"gone"_s, u"pdf"_s, RowState::Finished});
    rig.add({u"3"_s, u"later"_s, u"pdf"_s, RowState::Waiting});
    rig.touch(u"here.pdf"_s);
    EXPECT_EQ(rig.session.list().countNotStarted(), 1);
    EXPECT_EQ(rig.ops.checkRowFilesExist(), 2);
    EXPECT_EQ(rig.session.list().at(0).percent, u"100%"_s);
    EXPECT_EQ(rig.session.list().at(1).percent, u"不存在"_s);
    EXPECT_EQ(rig.session.list().at(2).percent, u"不存在"_s);
    EXPECT_EQ(rig.session.list().countNotStarted(), 0);
}

TEST(ShuffleRows, KeepsEveryRowAndReports) {
    for (int rows : {1, 2, 50}) {
        Rig rig;
        QSet<QString> keys;
        for (int i = 0; i < rows; ++i) {
            rig.add({QString::number(i), u"n"_s + QString::number(i), u"pdf"_s, RowState::Finished, u"5"_s});
            keys.insert(QString::number(i));
        }
        EXPECT_TRUE(rig.ops.shuffleRows(true));
        QSet<QString> after;
        for (int i = 0; i < rig.session.list().count(); ++i) {
            const DownloadRow& r = rig.session.list().at(i);
            after.insert(r.key);
            EXPECT_EQ(r.name, u"n"_s + r.key) << "columns travel with their row";
            EXPECT_EQ(r.size, u"5"_s);
        }
        EXPECT_EQ(after, keys) << rows << " rows";
        EXPECT_EQ(rig.t.prompts.messages(), QStringList{u"随机排序完成！"_s});
    }
}

TEST(ShuffleRows, RefusedWhileTheSchedulerRuns) {
    Rig rig;
    rig.add({u"1"_s, u"a"_s, u"pdf"_s, RowState::Waiting});
    rig.activity.running = true;
    EXPECT_FALSE(rig.ops.shuffleRows(true));
    EXPECT_EQ(rig.t.prompts.messages(), QStringList{u"停止下载以后，才能执行此操作！"_s});
}

TEST(HeaderSort, OneOrderForAllColumnsFlipsPerClick) {
    Rig rig;
    rig.add({u"1"_s, u"b"_s, u"pdf"_s, RowState::Finished, u"999"_s});
    rig.add({u"2"_s, u"c"_s, u"pdf"_s, RowState::Finished, u"1000"_s});
    rig.add({u"3"_s, u"a"_s, u"pdf"_s, RowState::Finished, u"5"_s});
    DownloadListSorter sorter(rig.session);
    struct Click {
        int column;
        QStringList names;
    };
    const Click clicks[] = {
        {DownloadListModel::SizeCol, {u"c"_s, u"b"_s, u"a"_s}}, // first click: descending
        {DownloadListModel::SizeCol, {u"a"_s, u"b"_s, u"c"_s}}, // then ascending
        {DownloadListModel::NameCol, {u"c"_s, u"b"_s, u"a"_s}}, // another column: descending again
    };
    for (const Click& click : clicks) {
        EXPECT_TRUE(sorter.headerClicked(click.column));
        EXPECT_EQ(rig.names(), click.names) << click.column;
    }
    EXPECT_TRUE(rig.t.prompts.messages().isEmpty());
}

TEST(HeaderSort, RefusedWhileDownloadsRun) {
    struct Case {
        const char* name;
        bool running;
        bool busy;
        int busySlots;
        bool executing;
    };
    const Case cases[] = {
        {"scheduler running", true, false, 0, false},
        {"transfer busy", false, true, 0, false},
        {"a slot still finishing after Stop", false, false, 1, false},
        {"method 1 still executing after Stop", false, false, 0, true},
    };
    for (const Case& c : cases) {
        Rig rig;
        rig.add({u"1"_s, u"a"_s, u"pdf"_s, RowState::Finished});
        rig.add({u"2"_s, u"b"_s, u"pdf"_s, RowState::Finished});
        rig.activity.running = c.running;
        rig.activity.busy = c.busy;
        rig.activity.slotCount = c.busySlots;
        rig.activity.executing = c.executing;
        DownloadListSorter sorter(rig.session);
        EXPECT_FALSE(sorter.headerClicked(DownloadListModel::NameCol)) << c.name;
        EXPECT_EQ(rig.names(), (QStringList{u"a"_s, u"b"_s})) << c.name;
        EXPECT_EQ(rig.t.prompts.messages(), QStringList{u"停止下载后方可排序！"_s}) << c.name;
        EXPECT_EQ(rig.t.prompts.lastIcon(), MessageIcon::Information) << c.name;
        rig.activity = FakeTransferActivity{};
        EXPECT_TRUE(sorter.headerClicked(DownloadListModel::NameCol)) << c.name;
        EXPECT_EQ(rig.names(), (QStringList{u"b"_s, u"a"_s}))
            << c.name << ": a refusal does not flip the order";
    }
}

// A file of `bytes` bytes in the rig's folder.
void writeFile(Rig& rig, const QString& fileName, qint64 bytes) {
    QFile f(rig.folder + fileName);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray(bytes, 'x'));
}

TEST(FileActions, RowCommands) {
    using Command = void (DownloadFileActions::*)(int);
    struct Case {
        const char* name;
        Command command;
        qint64 fileBytes; // -1: no file
        bool folderExists;
        bool shellSucceeds;
        QString expectedCall; // "verb:" + argument, with {file} and {folder} filled in
        QString expectedMessage;
    };
    constexpr qint64 kTwoMB = 2097152;
    const Case cases[] = {
        {"open: file there", &DownloadFileActions::openFile, 10, true, true, u"openWithDefault:{file}"_s, {}},
        {"open: file missing", &DownloadFileActions::openFile, -1, true, true, {}, u"该文件不存在！"_s},
        {"open: no application", &DownloadFileActions::openFile, 10, true, false, u"openWithDefault:{file}"_s,
         u"打开失败！"_s},
        {"folder: file selected",
         &DownloadFileActions::openFolder,
         10,
         true,
         true,
         u"showInFolder:{file}"_s,
         {}},
        {"folder: file gone opens the folder",
         &DownloadFileActions::openFolder,
         -1,
         true,
         true,
         u"openWithDefault:{folder}"_s,
         {}},
        {"folder: neither works", &DownloadFileActions::openFolder, 10, true, false, u"showInFolder:{file}"_s,
         u"打开失败！"_s},
        {"folder: folder missing",
         &DownloadFileActions::openFolder,
         -1,
         false,
         true,
         {},
         u"文件夹不存在！"_s},
        {"editor: exactly 2 MB opens",
         &DownloadFileActions::openInTextEditor,
         kTwoMB,
         true,
         true,
         u"openInTextEditor:{file}"_s,
         {}},
        {"editor: one byte more is refused",
         &DownloadFileActions::openInTextEditor,
         kTwoMB + 1,
         true,
         true,
         {},
         u"该文件太大，超过了2M，不便于用记事本打开！"_s},
        {"editor: file missing",
         &DownloadFileActions::openInTextEditor,
         -1,
         true,
         true,
         {},
         u"该文件不存在！"_s},
        {"copy name", &DownloadFileActions::copyName, -1, true, true, u"setClipboardText:名字"_s, {}},
        {"address: the first alternative",
         &DownloadFileActions::openAddress,
         -1,
         true,
         true,
         u"openInBrowser:http://a/1.pdf"_s,
         {}},
    };
    for (const Case& c : cases) {
        Rig rig;
        rig.add({u"http://a/1.pdf|http://b/1.pdf"_s, u"名字"_s, u"pdf"_s, RowState::Finished});
        if (c.fileBytes >= 0)
            writeFile(rig, u"名字.pdf"_s, c.fileBytes);
        if (!c.folderExists)
            rig.session.list().setFolder(0, rig.folder + u"nowhere"_s + QDir::separator());
        rig.t.shell.succeed = c.shellSucceeds;
        DownloadFileActions actions(rig.session);
        (actions.*c.command)(0);
        QString expected = c.expectedCall;
        expected.replace(u"{file}"_s, rig.folder + u"名字.pdf"_s).replace(u"{folder}"_s, rig.folder);
        EXPECT_EQ(rig.t.shell.calls, expected.isEmpty() ? QStringList{} : QStringList{expected}) << c.name;
        EXPECT_EQ(rig.t.prompts.messages(),
                  c.expectedMessage.isEmpty() ? QStringList{} : QStringList{c.expectedMessage})
            << c.name;
        if (!c.expectedMessage.isEmpty()) {
            EXPECT_EQ(rig.t.prompts.lastIcon(), MessageIcon::Error) << c.name;
        }
        // Without a selected row nothing happens.
        rig.t.shell.calls.clear();
        rig.t.prompts.clearShown();
        (actions.*c.command)(-1);
        EXPECT_TRUE(rig.t.shell.calls.isEmpty() && rig.t.prompts.shown.empty()) << c.name;
    }
}

TEST(FileActions, RowWithoutFolderHasNoFile) {
    Rig rig;
    rig.session.list().addRow(u"k"_s, u"orphan"_s, u"pdf"_s, QString(), {});
    rig.session.list().setState(0, RowState::Failed);
    DownloadFileActions actions(rig.session);
    EXPECT_TRUE(actions.rowFile(0).isEmpty());
    actions.openFile(0);
    EXPECT_EQ(rig.t.prompts.messages(), QStringList{u"该文件不存在！"_s});
    actions.activateRow(0);
    EXPECT_EQ(rig.session.list().at(0).state, RowState::Waiting);
}

TEST(FileActions, DoubleClickByState) {
    struct Case {
        const char* name;
        RowState state;
        bool fileThere;
        RowState stateAfter;
        bool fileAfter;
        QStringList calls;
        QStringList messages;
    };
    const Case cases[] = {
        {"finished opens its file", RowState::Finished, true, RowState::Finished, true, {u"open"_s}, {}},
        {"finished without its file",
         RowState::Finished,
         false,
         RowState::Finished,
         false,
         {},
         {u"文件不存在！"_s}},
        {"failed waits again, and a file that is not its own stays",
         RowState::Failed,
         true,
         RowState::Waiting,
         true,
         {},
         {}},
        {"failed without a file waits again", RowState::Failed, false, RowState::Waiting, false, {}, {}},
        {"waiting: nothing", RowState::Waiting, true, RowState::Waiting, true, {}, {}},
        {"downloading: nothing", RowState::Downloading, true, RowState::Downloading, true, {}, {}},
    };
    for (const Case& c : cases) {
        Rig rig;
        rig.add({u"http://a/x|http://b/x"_s, u"doc"_s, u"pdf"_s, c.state, u"1000"_s, u"400"_s});
        rig.session.list().setPercent(0, u"40%"_s);
        if (c.fileThere)
            rig.touch(u"doc.pdf"_s);
        DownloadFileActions actions(rig.session);
        actions.activateRow(0);
        const DownloadRow& r = rig.session.list().at(0);
        EXPECT_EQ(r.state, c.stateAfter) << c.name;
        EXPECT_EQ(rig.exists(u"doc.pdf"_s), c.fileAfter) << c.name;
        EXPECT_EQ(r.key, u"http://a/x|http://b/x"_s) << c.name << ": the key stays";
        EXPECT_EQ(r.type, u"pdf"_s) << c.name;
        const bool emptied = r.size.isEmpty() && r.received.isEmpty() && r.percent.isEmpty();
        EXPECT_EQ(emptied, c.state == RowState::Failed) << c.name;
        EXPECT_EQ(rig.t.shell.calls.size(), c.calls.size()) << c.name;
        EXPECT_EQ(rig.t.prompts.messages(), c.messages) << c.name;
    }
}

TEST(FileActions, RowClickShowsThePathAndThePanelOpensIt) {
    Rig rig;
    rig.add({u"1"_s, u"here"_s, u"pdf"_s, RowState::Finished});
    rig.add({u"2"_s, u"gone"_s, u"pdf"_s, RowState::Finished});
    rig.touch(u"here.pdf"_s);
    DownloadFileActions actions(rig.session);
    QSignalSpy status(&rig.session, &DownloadSession::statusTextChanged);
    const QString here = rig.folder + u"here.pdf"_s;
    EXPECT_EQ(actions.showRowPath(0), here);
    EXPECT_EQ(actions.showRowPath(1), QString());
    ASSERT_EQ(status.count(), 2);
    EXPECT_EQ(status.at(0), (QVariantList{2, here}));
    EXPECT_EQ(status.at(1), (QVariantList{2, QString()}));

    actions.openPanelPath(here);
    actions.openPanelPath(QString());
    actions.openPanelPath(u"完成下载:here"_s); // a transfer text in the same panel
    EXPECT_EQ(rig.t.shell.calls, QStringList{u"openInBrowser:"_s + here});
}

TEST(FileActions, ExportNames) {
    struct Case {
        const char* name;
        bool unfinishedOnly;
        std::vector<RowState> states;
        QByteArray expected;
    };
    const QByteArray first = QByteArrayLiteral("\xb5\xda\xd2\xbb"); // "第一" in GBK
    const Case cases[] = {
        {"all rows, CR LF after each", false, {RowState::Finished, RowState::Failed}, first + "\r\nb\r\n"},
        {"unfinished: waiting, downloading and failed",
         true,
         {RowState::Finished, RowState::Failed, RowState::Waiting, RowState::Downloading},
         "b\r\nc\r\nd\r\n"},
        {"unfinished of an all-finished list is empty", true, {RowState::Finished, RowState::Finished}, ""},
    };
    for (const Case& c : cases) {
        Rig rig;
        const QStringList names{u"第一"_s, u"b"_s, u"c"_s, u"d"_s};
        for (size_t i = 0; i < c.states.size(); ++i)
            rig.add({QString::number(i), names[qsizetype(i)], u"pdf"_s, c.states[i]});
        const QString out = rig.t.path(u"names.txt"_s);
        {
            QFile old(out);
            ASSERT_TRUE(old.open(QIODevice::WriteOnly));
            old.write("an older and longer export that must be replaced whole\r\n");
        }
        rig.t.prompts.saveFileAnswers.push_back(out);
        DownloadFileActions actions(rig.session);
        EXPECT_TRUE(actions.exportNames(c.unfinishedOnly)) << c.name;
        QFile f(out);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << c.name;
        EXPECT_EQ(f.readAll(), c.expected) << c.name;
        EXPECT_EQ(rig.t.prompts.texts(FakePrompts::Kind::SaveFile), QStringList{u"*.txt|*.txt"_s}) << c.name;
        EXPECT_TRUE(rig.t.prompts.messages().isEmpty()) << c.name;
    }
}

TEST(FileActions, ExportCancelledEmptyOrFailing) {
    Rig rig;
    DownloadFileActions actions(rig.session);
    EXPECT_FALSE(actions.exportNames(false));
    EXPECT_TRUE(rig.t.prompts.shown.empty()) << "an empty list asks for no file";

    rig.add({u"1"_s, u"a"_s, u"pdf"_s, RowState::Waiting});
    EXPECT_FALSE(actions.exportNames(false)) << "cancelled";
    EXPECT_TRUE(rig.t.prompts.messages().isEmpty());

    rig.t.prompts.saveFileAnswers.push_back(rig.t.path(u"no/such/folder/names.txt"_s));
    EXPECT_FALSE(actions.exportNames(false));
    ASSERT_EQ(rig.t.prompts.messages().size(), 1);
    EXPECT_FALSE(rig.t.prompts.lastMessage().isEmpty()) << "the system's description of the error";
    EXPECT_EQ(rig.t.prompts.lastIcon(), MessageIcon::Error);
}

TEST(UrlReplace, KeysAndTags) {
    struct Case {
        const char* name;
        QStringList keys;
        QString tag;
        QString find;
        QString replacement;
        QStringList expectedKeys;
        QString expectedTag;
    };
    const Case cases[] = {
        {"host in other letter case, empty replacement, both alternatives",
         {u"HTTP://Old.Host/a.pdf|http://old.host/b.pdf"_s},
         u"http://OLD.host/page"_s,
         u"http://old.HOST"_s,
         QString(),
         {u"/a.pdf|/b.pdf"_s},
         u"/page"_s},
        {"only the second alternative matches; the order stays",
         {u"http://a/x.pdf|http://mirror/x.pdf"_s},
         QString(),
         u"mirror"_s,
         u"copy"_s,
         {u"http://a/x.pdf|http://copy/x.pdf"_s},
         QString()},
        {"every occurrence", {u"x/h/H"_s}, u"h"_s, u"h"_s, u"hh"_s, {u"x/hh/hh"_s}, u"hh"_s},
        {"a leading blank is searched for",
         {u"http://a/x y"_s, u"http://a/xy"_s},
         QString(),
         u" y"_s,
         u"_z"_s,
         {u"http://a/x_z"_s, u"http://a/xy"_s},
         QString()},
        {"a chain of keys moves along",
         {u"a"_s, u"aa"_s},
         QString(),
         u"a"_s,
         u"aa"_s,
         {u"aa"_s, u"aaaa"_s},
         QString()},
    };
    for (const Case& c : cases) {
        Rig rig;
        for (const QString& key : c.keys)
            rig.session.list().addRow(key, key, u"pdf"_s, rig.folder, c.tag);
        UrlReplacer replacer(rig.session);
        const UrlReplacer::Result result = replacer.replaceInAddresses(c.find, c.replacement);
        QStringList keys;
        for (int i = 0; i < rig.session.list().count(); ++i)
            keys << rig.session.list().at(i).key;
        EXPECT_EQ(keys, c.expectedKeys) << c.name;
        EXPECT_EQ(rig.session.list().at(0).tag, c.expectedTag) << c.name;
        EXPECT_EQ(result.keysKept, 0) << c.name;
    }
}

TEST(UrlReplace, ACollidingKeyIsKeptAndCounted) {
    Rig rig;
    DownloadListModel& list = rig.session.list();
    list.addRow(u"http://old/1.pdf"_s, u"one"_s, u"pdf"_s, rig.folder, u"http://old/p"_s);
    list.addRow(u"http://new/1.pdf"_s, u"two"_s, u"pdf"_s, rig.folder, {});
    list.addRow(u"http://OLD/2.pdf"_s, u"three"_s, u"pdf"_s, rig.folder, {});
    list.setState(0, RowState::Finished);
    rig.activity.running = true; // not blocked by running transfers
    int closed = 0;
    UrlReplacer replacer(rig.session);
    EXPECT_TRUE(replacer.run(u"old"_s, u"new"_s, [&] { ++closed; }));
    EXPECT_EQ(list.at(0).key, u"http://old/1.pdf"_s) << "kept: another row has the new key";
    EXPECT_EQ(list.at(0).tag, u"http://new/p"_s) << "the tag changes anyway";
    EXPECT_EQ(list.at(0).state, RowState::Finished);
    EXPECT_EQ(list.at(2).key, u"http://new/2.pdf"_s);
    EXPECT_EQ(closed, 1);
    ASSERT_EQ(rig.t.prompts.messages().size(), 1);
    const QStringList lines = rig.t.prompts.lastMessage().split(u'\n');
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[0], u"全部网址替换完成！"_s);
    EXPECT_TRUE(lines[1].startsWith(u"1"_s)) << lines[1].toStdString();
    EXPECT_EQ(rig.t.prompts.lastIcon(), MessageIcon::Information);
}

TEST(UrlReplace, AKeyLeftWithAnEmptyAddressIsKeptAndCounted) {
    Rig rig;
    DownloadListModel& list = rig.session.list();
    list.addRow(u"http://host/a.pdf"_s, u"one"_s, u"pdf"_s, rig.folder, {});
    list.addRow(u"http://HOST/a.pdf|http://mirror/a.pdf"_s, u"two"_s, u"pdf"_s, rig.folder, {});
    list.addRow(u"http://host/a.pdf?x=1"_s, u"three"_s, u"pdf"_s, rig.folder, {});
    UrlReplacer replacer(rig.session);
    EXPECT_TRUE(replacer.run(u"http://host/a.pdf"_s, QString(), {}));
    EXPECT_EQ(list.at(0).key, u"http://host/a.pdf"_s);
    EXPECT_EQ(list.at(1).key, u"http://HOST/a.pdf|http://mirror/a.pdf"_s) << "no alternative may be empty";
    EXPECT_EQ(list.at(2).key, u"?x=1"_s) << "what is left of an address is still one";
    const QStringList lines = rig.t.prompts.lastMessage().split(u'\n');
    ASSERT_EQ(lines.size(), 2);
    EXPECT_TRUE(lines[1].startsWith(u"2项"_s)) << lines[1].toStdString();
}

TEST(UrlReplace, BlankSearchIsRefusedAndAnEmptyListCompletes) {
    for (const QString& blank : {QString(), u"   "_s}) {
        Rig rig;
        rig.session.list().addRow(u"http://a/ /x"_s, u"x"_s, u"pdf"_s, rig.folder, {});
        int closed = 0;
        UrlReplacer replacer(rig.session);
        EXPECT_FALSE(replacer.run(blank, u"y"_s, [&] { ++closed; }));
        EXPECT_EQ(closed, 0) << "the window stays open";
        EXPECT_EQ(rig.session.list().at(0).key, u"http://a/ /x"_s);
        EXPECT_EQ(rig.t.prompts.messages(), QStringList{u"请输入字符串！"_s});
        EXPECT_EQ(rig.t.prompts.lastIcon(), MessageIcon::Error);
    }
    Rig empty;
    int closed = 0;
    EXPECT_TRUE(UrlReplacer(empty.session).run(u"a"_s, u"b"_s, [&] { ++closed; }));
    EXPECT_EQ(closed, 1);
    EXPECT_EQ(empty.t.prompts.messages(), QStringList{u"全部网址替换完成！"_s});
}

TEST(MenuEnabling, FollowsTheTransferState) {
    Rig rig;
    const DownloadListOps::MenuEnabling idle = DownloadListOps::menuEnabling(rig.activity);
    EXPECT_TRUE(idle.selectAll && idle.remove && idle.clear && !idle.stop);
    rig.activity.busy = true;
    const DownloadListOps::MenuEnabling busy = DownloadListOps::menuEnabling(rig.activity);
    EXPECT_TRUE(!busy.selectAll && !busy.remove && !busy.clear && busy.stop);
}

} // namespace
