#include "downloads/DownloadListOps.h"
#include "downloads/DownloadSession.h"
#include "fakes/FakeTransferActivity.h"
#include "support/TestContext.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <QSignalSpy>
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
    void touch(const QString& fileName) {
        QFile f(folder + fileName);
        f.open(QIODevice::WriteOnly);
        f.write("x");
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
    rig.touch(u"name.html"_s);
    rig.touch(u"name.xxx"_s); // left over from an earlier round
    EXPECT_EQ(rig.ops.requeueFailedRows(), 1);
    const DownloadRow& r = rig.session.list().at(0);
    EXPECT_FALSE(rig.exists(u"name.html"_s));
    EXPECT_FALSE(rig.exists(u"name.xxx"_s));
    EXPECT_EQ(r.type, u"xxx"_s);
    EXPECT_EQ(r.state, RowState::Waiting);
    EXPECT_TRUE(r.size.isEmpty() && r.received.isEmpty() && r.percent.isEmpty());
    EXPECT_EQ(r.key, u"http://b/x|http://a/x"_s);
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
        int (DownloadListOps::*command)();
        QStringList expectedWaiting;
    };
    const Case cases[] = {
        {"selected: only finished or failed",
         &DownloadListOps::requeueSelectedRows,
         {u"waiting"_s, u"selFailed"_s, u"selDone"_s}},
        {"failed",
         &DownloadListOps::requeueFailedRows,
         {u"waiting"_s, u"selFailed"_s, u"failed"_s, u"htmFailed"_s}},
        {"web pages incl. xml",
         &DownloadListOps::requeueWebPageRows,
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
        (rig.ops.*c.command)();
        QStringList waiting = rig.waitingNames();
        waiting.removeAll(u"htmWaiting"_s);
        EXPECT_EQ(waiting, c.expectedWaiting) << c.name;
        EXPECT_EQ(rig.session.list().at(7).type, u"htm"_s) << c.name << ": a waiting row keeps its type";
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
    for (const QString& f : {u"page.html"_s, u"doc.pdf"_s, u"bad.pdf"_s})
        rig.touch(f);
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

TEST(MenuEnabling, FollowsTheTransferState) {
    Rig rig;
    const DownloadListOps::MenuEnabling idle = DownloadListOps::menuEnabling(rig.activity);
    EXPECT_TRUE(idle.selectAll && idle.remove && idle.clear && !idle.stop);
    rig.activity.busy = true;
    const DownloadListOps::MenuEnabling busy = DownloadListOps::menuEnabling(rig.activity);
    EXPECT_TRUE(!busy.selectAll && !busy.remove && !busy.clear && busy.stop);
}

} // namespace
