#include "downloads/Scheduler.h"
#include "downloads/DownloadSession.h"
#include "fakes/FakeTransferMethods.h"
#include "support/QtPrinters.h"
#include "support/TestContext.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <gtest/gtest.h>

using namespace mojing;
using namespace Qt::StringLiterals;

namespace {

using Start = FakeTransferMethods::Start;

// A download window's worth of objects over a temporary folder. Ticks are driven by hand, except
// in the tests that let the real timers run.
struct Rig {
    explicit Rig(double timingFactor = 1.0)
        : t(timingFactor), ctx(t.context()), session(ctx), methods(session), scheduler(session, methods),
          sounds(&session, &DownloadSession::soundRequested) {
        folder = QDir(t.dir.path()).filePath(u"out"_s) + QDir::separator();
        session.options().sound = true;
    }

    void add(const QString& key, const QString& name = {}, const QString& type = u"pdf"_s) {
        session.list().addRow(key, name.isEmpty() ? key.section(u'/', -1) : name, type, folder, {});
    }
    // Pretends the last transfer ended long enough ago for the pause to be over.
    void pauseOver() {
        session.lastTransferEndMs =
            t.timing.nowMs() - (session.options().pauseSeconds + 1) * t.timing.tick.count() - 1;
    }
    void touchFile(const QString& fileName, const QByteArray& content = "old") {
        QDir().mkpath(folder);
        QFile f(folder + fileName);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(content);
    }
    RowState state(int row) const { return session.list().at(row).state; }

    TestContext t;
    AppContext ctx;
    DownloadSession session;
    FakeTransferMethods methods;
    Scheduler scheduler;
    QSignalSpy sounds;
    QString folder;
};

struct PauseCase {
    const char* name;
    int pauseSeconds;
    qint64 endedAgoMs; // with one-second ticks
    bool starts;
};

TEST(Scheduler, PauseIsMeasuredFromTheLastTransferEnd) {
    const PauseCase cases[] = {
        {"no pause, ended a moment ago", 0, 5, true},
        {"pause 10, ended just now", 10, 0, false},
        {"pause 10, ended 9.9 s ago", 10, 9900, false},
        {"pause 10, ended 10.1 s ago", 10, 10100, true},
        {"pause 600, ended 11 minutes ago", 600, 660000, true},
    };
    for (const PauseCase& c : cases) {
        Rig rig;
        rig.session.options().pauseSeconds = c.pauseSeconds;
        rig.add(u"http://h/a.pdf"_s);
        rig.scheduler.start();
        rig.session.lastTransferEndMs = rig.t.timing.nowMs() - c.endedAgoMs;
        rig.scheduler.schedulerTick();
        EXPECT_EQ(rig.methods.starts.size(), c.starts ? 1u : 0u) << c.name;
    }
}

TEST(Scheduler, RowsSkippedAsExistingDoNotResetThePause) {
    Rig rig;
    rig.session.options().policy = DuplicatePolicy::Skip;
    rig.touchFile(u"a.pdf"_s, "12345");
    rig.add(u"http://h/a"_s, u"a"_s);
    rig.add(u"http://h/b"_s, u"b"_s);
    rig.pauseOver();
    const qint64 before = rig.session.lastTransferEndMs;
    rig.scheduler.start();
    rig.scheduler.schedulerTick();
    EXPECT_EQ(rig.session.lastTransferEndMs, before);
    ASSERT_EQ(rig.methods.starts.size(), 1u);
    EXPECT_EQ(rig.methods.starts[0].row, 1);
    EXPECT_EQ(rig.state(0), RowState::Finished);
    EXPECT_EQ(rig.session.list().at(0).percent, DownloadListModel::kExists);
    EXPECT_EQ(rig.session.list().at(0).size, u"5"_s);
}

TEST(Scheduler, ListOfExistingFilesFinishesWithoutAnyRequest) {
    for (int method : {1, 2}) {
        Rig rig;
        rig.session.options().method = method;
        rig.session.options().policy = DuplicatePolicy::Skip;
        for (const QString& n : {u"x"_s, u"y"_s, u"z"_s}) {
            rig.touchFile(n + u".pdf"_s);
            rig.add(u"http://h/"_s + n, n);
        }
        rig.scheduler.start();
        rig.pauseOver();
        rig.scheduler.schedulerTick();
        rig.scheduler.statusTick();
        EXPECT_TRUE(rig.methods.starts.empty()) << "method " << method;
        EXPECT_FALSE(rig.scheduler.isRunning()) << "method " << method;
        EXPECT_EQ(rig.session.list().countInState(RowState::Finished), 3) << "method " << method;
    }
}

TEST(Scheduler, EndOfListStopsOnceAndSoundsOnce) {
    Rig rig;
    rig.add(u"http://h/a.pdf"_s);
    QSignalSpy running(&rig.scheduler, &Scheduler::runningChanged);
    QSignalSpy finished(&rig.scheduler, &Scheduler::listFinished);
    rig.scheduler.start();
    rig.pauseOver();
    rig.scheduler.schedulerTick(); // method 2: slot 1 takes the row
    rig.methods.finishSlot(1, RowState::Finished);
    for (int i = 0; i < 4; ++i)
        rig.scheduler.statusTick();
    EXPECT_FALSE(rig.scheduler.isRunning());
    EXPECT_EQ(running.count(), 2); // on, then off once
    EXPECT_EQ(finished.count(), 1);
    EXPECT_EQ(rig.sounds.count(), 1);
    EXPECT_EQ(rig.sounds.at(0).at(0).toInt(), 102);
    EXPECT_TRUE(rig.scheduler.startEnabled());
    EXPECT_FALSE(rig.scheduler.indicatorVisible());
}

TEST(Scheduler, EmptyListDisablesTheScheduler) {
    Rig rig;
    rig.scheduler.start();
    rig.scheduler.schedulerTick();
    EXPECT_FALSE(rig.scheduler.isRunning());
    EXPECT_FALSE(rig.scheduler.isRunning());
}

TEST(Scheduler, MethodTwoFillsFreeSlotsInListOrder) {
    Rig rig;
    rig.session.options().slotCount = 3;
    for (const char* n : {"r1", "r2", "r3", "r4", "r5"})
        rig.add(u"http://h/"_s + QLatin1String(n) + u"|http://mirror/"_s + QLatin1String(n));
    rig.scheduler.start();
    rig.pauseOver();
    rig.scheduler.schedulerTick();
    const std::vector<Start> first = {
        {1, 0, u"http://h/r1"_s, rig.folder + u"r1.pdf"_s},
        {2, 1, u"http://h/r2"_s, rig.folder + u"r2.pdf"_s},
        {3, 2, u"http://h/r3"_s, rig.folder + u"r3.pdf"_s},
    };
    EXPECT_EQ(rig.methods.starts, first);
    EXPECT_EQ(rig.scheduler.slotRow(1), 0);
    EXPECT_EQ(rig.scheduler.slotRow(3), 2);

    rig.pauseOver();
    rig.scheduler.schedulerTick(); // every slot busy
    EXPECT_EQ(rig.methods.starts.size(), 3u);

    rig.methods.finishSlot(2, RowState::Finished);
    rig.pauseOver();
    rig.scheduler.schedulerTick();
    ASSERT_EQ(rig.methods.starts.size(), 4u);
    EXPECT_EQ(rig.methods.starts[3], (Start{2, 3, u"http://h/r4"_s, rig.folder + u"r4.pdf"_s}));
    EXPECT_EQ(rig.scheduler.slotRow(2), 3);
    EXPECT_TRUE(QDir(rig.folder).exists()) << "method 2 creates the folder before the start";
}

TEST(Scheduler, RowsArePreparedBeforeTheStart) {
    Rig rig;
    rig.touchFile(u"report.pdf"_s);
    rig.session.list().addRow(u"http://h/1"_s, u"..re:port?.."_s, u"pdf"_s, rig.folder.chopped(1), {});
    rig.scheduler.start();
    rig.pauseOver();
    rig.scheduler.schedulerTick();
    ASSERT_EQ(rig.methods.starts.size(), 1u);
    EXPECT_EQ(rig.session.list().at(0).name, u"report[001]"_s);
    EXPECT_EQ(rig.session.list().at(0).folder, rig.folder);
    EXPECT_EQ(rig.methods.starts[0].path, rig.folder + u"report[001].pdf"_s);
}

// The naming template renames rows with article metadata where the name is cleaned, before the
// clash rules and the skip rule look at the target; the row keeps the name it was written under.
TEST(Scheduler, NamingTemplateNamesTheTargetWithBothMethods) {
    struct Case {
        const char* name;
        int method;
        DuplicatePolicy policy;
        QString existing;     // a file already in the folder
        QString expectedName; // "": not started (skipped)
    };
    const Case cases[] = {
        {"method 2", 2, DuplicatePolicy::Rename, {}, u"Smith 2019 Deep nets"_s},
        {"method 1", 1, DuplicatePolicy::Rename, {}, u"Smith 2019 Deep nets"_s},
        {"method 2, clash with the templated name", 2, DuplicatePolicy::Rename, u"Smith 2019 Deep nets.pdf"_s,
         u"Smith 2019 Deep nets[001]"_s},
        {"method 1, skip looks at the templated name",
         1,
         DuplicatePolicy::Skip,
         u"Smith 2019 Deep nets.pdf"_s,
         {}},
        {"skip looks at the templated name", 2, DuplicatePolicy::Skip, u"Smith 2019 Deep nets.pdf"_s, {}},
        {"the listed name does not count", 2, DuplicatePolicy::Skip, u"listed.pdf"_s,
         u"Smith 2019 Deep nets"_s},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Rig rig;
        rig.session.options().method = c.method;
        rig.session.options().policy = c.policy;
        rig.session.options().namingTemplate = u"{author} {year} {title}"_s;
        if (!c.existing.isEmpty())
            rig.touchFile(c.existing);
        DownloadRow row;
        row.key = u"http://h/1"_s;
        row.name = u"listed"_s;
        row.type = u"pdf"_s;
        row.folder = rig.folder;
        row.article.title = u"Deep nets"_s;
        row.article.authors = QStringList{u"John Smith"_s};
        row.article.year = u"2019"_s;
        rig.session.list().appendRow(row);
        rig.add(u"http://h/harvested.pdf"_s, u"Harvested title"_s);
        rig.scheduler.start();
        rig.pauseOver();
        rig.scheduler.schedulerTick();
        if (c.expectedName.isEmpty()) {
            EXPECT_EQ(rig.session.list().at(0).percent, DownloadListModel::kExists);
        } else {
            ASSERT_FALSE(rig.methods.starts.empty());
            EXPECT_EQ(rig.methods.starts[0].path, rig.folder + c.expectedName + u".pdf"_s);
            EXPECT_EQ(rig.session.list().at(0).name, c.expectedName);
        }
        EXPECT_EQ(rig.session.list().at(1).name, u"Harvested title"_s)
            << "a row without metadata keeps its name";
    }
}

TEST(Scheduler, UncreatableFolderFailsTheRowInsteadOfWritingElsewhere) {
    Rig rig;
    rig.session.list().addRow(u"http://h/1"_s, u"a"_s, u"pdf"_s, rig.folder + u"?*"_s, {});
    rig.add(u"http://h/b.pdf"_s);
    rig.scheduler.start();
    rig.pauseOver();
    rig.scheduler.schedulerTick();
    EXPECT_EQ(rig.state(0), RowState::Failed);
    EXPECT_EQ(rig.session.list().at(0).size, DownloadListModel::kFailed);
    ASSERT_EQ(rig.methods.starts.size(), 1u);
    EXPECT_EQ(rig.methods.starts[0].row, 1);
    EXPECT_EQ(rig.t.prompts.messages(), QStringList{u"文件夹名称有误！不能创建文件夹！"_s});
}

TEST(Scheduler, MethodOneStartsOneRowAtATime) {
    Rig rig;
    rig.session.options().method = 1;
    rig.add(u"http://h/a.pdf|http://m/a.pdf"_s);
    rig.add(u"http://h/b.pdf"_s);
    rig.scheduler.start();

    rig.scheduler.setTransferBusy(true);
    rig.pauseOver();
    rig.scheduler.schedulerTick();
    EXPECT_TRUE(rig.methods.starts.empty()) << "busy channel";

    rig.scheduler.setTransferBusy(false);
    rig.scheduler.schedulerTick();
    ASSERT_EQ(rig.methods.starts.size(), 1u);
    EXPECT_EQ(rig.methods.starts[0].url, u"http://h/a.pdf"_s);
    EXPECT_EQ(rig.scheduler.slotRow(1), 0);
    EXPECT_EQ(rig.state(0), RowState::Finished);
    EXPECT_EQ(rig.state(1), RowState::Waiting);

    rig.pauseOver();
    rig.scheduler.schedulerTick();
    EXPECT_EQ(rig.methods.starts.size(), 2u);
}

TEST(Scheduler, MethodOneRowRunsOnAfterItsTickUntilItsEndIsReported) {
    Rig rig;
    rig.session.options().method = 1;
    rig.methods.method1Runs = true;
    rig.add(u"http://h/a.pdf"_s);
    rig.add(u"http://h/b.pdf"_s);
    rig.scheduler.start();
    rig.pauseOver();
    rig.scheduler.schedulerTick();
    ASSERT_EQ(rig.methods.starts.size(), 1u);
    EXPECT_TRUE(rig.scheduler.transferBusy()) << "the row is still under way after the tick";
    rig.pauseOver();
    rig.scheduler.schedulerTick();
    rig.scheduler.statusTick();
    EXPECT_EQ(rig.methods.starts.size(), 1u) << "no second row while the first runs";
    EXPECT_TRUE(rig.scheduler.transferBusy());

    rig.methods.finishMethod1();
    EXPECT_FALSE(rig.scheduler.transferBusy());
    EXPECT_EQ(rig.state(0), RowState::Finished);
    rig.pauseOver();
    rig.scheduler.schedulerTick();
    EXPECT_EQ(rig.methods.starts.size(), 2u);

    rig.scheduler.stop(); // Stop ends the running row at once
    EXPECT_EQ(rig.state(1), RowState::Failed);
    EXPECT_FALSE(rig.scheduler.transferBusy());
    EXPECT_FALSE(rig.methods.method1Executing());
}

TEST(Scheduler, StopDuringMethodOneCancelsAndFailsTheRow) {
    Rig rig;
    rig.session.options().method = 1;
    rig.session.options().autoStart = true;
    rig.add(u"http://h/a.pdf"_s);
    rig.add(u"http://h/b.pdf"_s);
    QSignalSpy cleared(&rig.scheduler, &Scheduler::autoOptionsCleared);
    rig.methods.duringMethod1 = [&](int) { rig.scheduler.stop(); };
    rig.scheduler.start();
    rig.pauseOver();
    rig.scheduler.schedulerTick();
    EXPECT_EQ(rig.state(0), RowState::Failed);
    EXPECT_EQ(rig.state(1), RowState::Waiting);
    EXPECT_FALSE(rig.scheduler.isRunning());
    EXPECT_FALSE(rig.session.options().autoStart);
    EXPECT_EQ(cleared.count(), 1);
    EXPECT_GE(rig.methods.cancels, 2);
}

TEST(Scheduler, StopLeavesTheSchedulerIdle) {
    Rig rig;
    rig.session.options().autoStart = true;
    rig.session.options().autoRetry = true;
    for (const char* n : {"a", "b", "c", "d", "e"})
        rig.add(u"http://h/"_s + QLatin1String(n), QLatin1String(n));
    rig.scheduler.start();
    rig.pauseOver();
    rig.scheduler.schedulerTick();
    ASSERT_EQ(rig.methods.busySlotCount(), 3);

    rig.touchFile(u"a.pdf"_s, QByteArray("\x01\x00", 2)); // what slot 1 had written so far
    rig.touchFile(u"b.pdf"_s);                            // the older file slot 2 was to overwrite
    rig.touchFile(u"d.pdf"_s);                            // a waiting row's older file
    rig.scheduler.stop();
    EXPECT_FALSE(QFile::exists(rig.folder + u"a.pdf"_s)) << "the placeholders of stopped slots go";
    EXPECT_TRUE(QFile::exists(rig.folder + u"b.pdf"_s)) << "a file a stopped row did not write stays";
    EXPECT_TRUE(QFile::exists(rig.folder + u"d.pdf"_s));
    EXPECT_FALSE(rig.scheduler.isRunning());
    EXPECT_FALSE(rig.scheduler.transferBusy());
    EXPECT_EQ(rig.methods.busySlotCount(), 0);
    EXPECT_EQ(rig.session.list().countInState(RowState::Failed), 3);
    EXPECT_EQ(rig.session.list().countInState(RowState::Waiting), 2);
    for (int i = 0; i < 3; ++i)
        rig.scheduler.statusTick();
    EXPECT_FALSE(rig.scheduler.isRunning()) << "auto-start and auto re-download were switched off";
    EXPECT_EQ(rig.session.list().countInState(RowState::Failed), 3);
}

TEST(Scheduler, AutoStartPicksUpWaitingRowsWithinATick) {
    Rig rig(0.01); // 10 ms ticks, real timers
    rig.session.options().autoStart = true;
    rig.scheduler.startStatusTimer();
    ASSERT_TRUE(rig.t.pump.waitUntil([&] { return rig.scheduler.isRunning(); }, Millis(50)) == false)
        << "nothing to do yet";
    rig.add(u"http://h/a.pdf"_s);
    EXPECT_TRUE(rig.t.pump.waitUntil([&] { return rig.methods.starts.size() == 1; }, Millis(5000)));
    EXPECT_TRUE(rig.scheduler.indicatorVisible() || rig.scheduler.isRunning());
}

TEST(Scheduler, AutoRetryQueuesFailedRowsEveryTimeTheListEnds) {
    Rig rig;
    rig.session.options().method = 1;
    rig.session.options().autoRetry = true;
    rig.session.options().autoRetryMode = 0;
    rig.methods.method1Outcome = RowState::Failed;
    rig.add(u"http://a/f.pdf|http://b/f.pdf|http://c/f.pdf"_s);
    rig.scheduler.start();
    QStringList urls;
    for (int round = 0; round < 4; ++round) {
        rig.pauseOver();
        rig.scheduler.schedulerTick();
        rig.scheduler.statusTick();
        EXPECT_TRUE(rig.scheduler.isRunning()) << "round " << round;
        EXPECT_EQ(rig.state(0), RowState::Waiting) << "round " << round;
    }
    for (const Start& s : rig.methods.starts)
        urls << s.url;
    EXPECT_EQ(urls, (QStringList{u"http://a/f.pdf"_s, u"http://c/f.pdf"_s, u"http://b/f.pdf"_s,
                                 u"http://a/f.pdf"_s}));
    EXPECT_EQ(rig.sounds.count(), 4) << "each end of the list sounds once";
}

TEST(Scheduler, AutoRetryModesChooseTheRows) {
    struct Case {
        const char* name;
        int mode;
        QStringList expectedWaiting; // names queued again
    };
    const Case cases[] = {
        {"failed rows", 0, {u"failed"_s}},
        {"web pages", 1, {u"page"_s, u"data"_s}},
        {"both", 2, {u"failed"_s, u"page"_s, u"data"_s}},
    };
    for (const Case& c : cases) {
        Rig rig;
        rig.session.options().autoRetry = true;
        rig.session.options().autoRetryMode = c.mode;
        DownloadListModel& list = rig.session.list();
        rig.add(u"http://h/1"_s, u"failed"_s);
        rig.add(u"http://h/2"_s, u"page"_s, u"html"_s);
        rig.add(u"http://h/3"_s, u"data"_s, u"xml"_s);
        rig.add(u"http://h/4"_s, u"done"_s);
        list.setState(0, RowState::Failed);
        for (int i = 1; i < 4; ++i)
            list.setState(i, RowState::Finished);
        rig.scheduler.statusTick();
        QStringList waiting;
        for (int i = 0; i < list.count(); ++i) {
            if (list.at(i).state == RowState::Waiting)
                waiting << list.at(i).name;
        }
        EXPECT_EQ(waiting, c.expectedWaiting) << c.name;
        EXPECT_TRUE(rig.scheduler.isRunning()) << c.name;
    }
}

TEST(Scheduler, AutoRetryWithNothingToRetryStaysIdleAndQuiet) {
    Rig rig;
    rig.session.options().autoRetry = true;
    rig.add(u"http://h/a.pdf"_s);
    rig.session.list().setState(0, RowState::Finished);
    for (int i = 0; i < 5; ++i)
        rig.scheduler.statusTick();
    EXPECT_FALSE(rig.scheduler.isRunning());
    EXPECT_EQ(rig.sounds.count(), 0);
}

TEST(Scheduler, StopRuleStopsAtFiveAndAutoRetryRestarts) {
    Rig rig;
    rig.session.options().stopRule = true;
    rig.session.options().autoRetry = true;
    DownloadListModel& list = rig.session.list();
    for (int i = 0; i < 6; ++i)
        rig.add(u"http://h/"_s + QString::number(i));
    rig.scheduler.start();
    for (int i = 0; i < 4; ++i)
        list.setState(i, RowState::Failed);
    rig.scheduler.statusTick();
    EXPECT_TRUE(rig.scheduler.isRunning()) << "four are not enough";

    list.setState(4, RowState::Failed);
    rig.scheduler.statusTick();
    EXPECT_FALSE(rig.scheduler.isRunning());
    EXPECT_EQ(rig.sounds.count(), 1);

    rig.scheduler.statusTick();
    EXPECT_TRUE(rig.scheduler.isRunning()) << "the next tick queues the failed rows again";
    EXPECT_EQ(list.countInState(RowState::Waiting), 6);
}

TEST(Scheduler, StatusTickKeepsTheBusyFlag) {
    struct Case {
        const char* name;
        int method;
        bool running;
        bool executing;
        bool slotBusy;
        bool busyBefore;
        bool busyAfter;
    };
    const Case cases[] = {
        {"method 1 idle clears", 1, false, false, false, true, false},
        {"method 1 executing keeps", 1, false, true, false, true, true},
        {"method 1 running keeps", 1, true, false, false, true, true},
        {"method 2 busy slot while running sets", 2, true, false, true, false, true},
        {"method 2 stopped clears", 2, false, false, true, true, false},
    };
    for (const Case& c : cases) {
        Rig rig;
        rig.session.options().method = c.method;
        rig.add(u"http://h/a"_s);
        rig.add(u"http://h/b"_s);
        if (c.running)
            rig.scheduler.start();
        if (c.slotBusy)
            rig.methods.startMethod2(1, 0, u"http://h/a"_s, rig.folder + u"a.pdf"_s);
        rig.methods.executing = c.executing;
        rig.scheduler.setTransferBusy(c.busyBefore);
        rig.scheduler.statusTick();
        EXPECT_EQ(rig.scheduler.transferBusy(), c.busyAfter) << c.name;
    }
}

TEST(Scheduler, CloseAsksWhileWorkIsPending) {
    struct Case {
        const char* name;
        bool waitingRow;
        bool running;
        bool answer;
        bool asked;
        bool closes;
    };
    const Case cases[] = {
        {"finished and idle closes quietly", false, false, false, false, true},
        {"waiting rows ask even when idle, No keeps", true, false, false, true, false},
        {"waiting rows, Yes closes", true, false, true, true, true},
        {"running asks", false, true, false, true, false},
    };
    for (const Case& c : cases) {
        Rig rig;
        rig.add(u"http://h/a"_s);
        if (!c.waitingRow)
            rig.session.list().setState(0, RowState::Finished);
        rig.scheduler.startStatusTimer();
        if (c.running)
            rig.scheduler.start();
        rig.t.prompts.yesNoAnswers.push_back(c.answer);
        EXPECT_EQ(rig.scheduler.requestClose(), c.closes) << c.name;
        const QStringList questions = rig.t.prompts.texts(FakePrompts::Kind::YesNo);
        EXPECT_EQ(questions, c.asked ? QStringList{Scheduler::kCloseQuestion} : QStringList{}) << c.name;
        EXPECT_EQ(rig.scheduler.statusTimerActive(), !c.closes) << c.name;
        EXPECT_EQ(rig.scheduler.isRunning(), c.running && !c.closes) << c.name;
    }
}

TEST(Scheduler, TimersDownloadTheWholeListUnattended) {
    Rig rig(0.005); // 5 ms ticks
    rig.session.options().slotCount = 2;
    for (int i = 0; i < 5; ++i)
        rig.add(u"http://h/"_s + QString::number(i));
    // Every slot finishes its row on the next event loop turn.
    QObject::connect(&rig.session.list(), &DownloadListModel::dataChanged, &rig.session, [&] {
        for (int slot = 1; slot <= 2; ++slot) {
            if (rig.methods.method2SlotBusy(slot))
                QMetaObject::invokeMethod(
                    &rig.session, [&, slot] { rig.methods.finishSlot(slot, RowState::Finished); },
                    Qt::QueuedConnection);
        }
    });
    QSignalSpy finished(&rig.scheduler, &Scheduler::listFinished);
    rig.scheduler.startStatusTimer();
    rig.scheduler.start();
    EXPECT_TRUE(rig.t.pump.waitUntil([&] { return finished.count() == 1; }, Millis(10000)));
    EXPECT_EQ(rig.session.list().countInState(RowState::Finished), 5);
    EXPECT_EQ(rig.methods.starts.size(), 5u);
}

TEST(HostPauses, HostOfAnAddress) {
    const struct {
        QString url, host;
    } cases[] = {
        {u"http://A.org/x"_s, u"a.org:80"_s},        {u"https://a.org/x?y"_s, u"a.org:443"_s},
        {u"http://a.org:8080/x"_s, u"a.org:8080"_s}, {u"http://user:pw@a.org/x"_s, u"a.org:80"_s},
        {u"http://[::1]/x"_s, u"[::1]:80"_s},        {u"a.org/x"_s, QString()},
    };
    for (const auto& c : cases)
        EXPECT_EQ(HostPauses::hostOf(c.url), c.host) << c.url.toStdString();
}

TEST(HostPauses, HowLongRetryAfterAsksFor) {
    const Timing timing; // one-second ticks, 60 s without a value, 10 minutes at most
    const QDateTime now(QDate(2024, 5, 1), QTime(12, 0, 0), Qt::UTC);
    const auto httpDate = [&](qint64 secs) {
        return now.addSecs(secs).toString(u"ddd, dd MMM yyyy HH:mm:ss 'GMT'"_s);
    };
    const struct {
        const char* name;
        QString value;
        qint64 ms;
    } cases[] = {
        {"absent", QString(), 60000},
        {"unreadable", u"soon"_s, 60000},
        {"seconds", u"120"_s, 120000},
        {"at the limit", u"600"_s, 600000},
        {"above the limit", u"601"_s, 600000},
        {"beyond any integer", u"99999999999999999999999"_s, 600000},
        {"a date 90 s ahead", httpDate(90), 90000},
        {"a date already past", httpDate(-30), 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(HostPauses::durationMs(c.value, timing, now), c.ms) << c.name;
}

TEST(Scheduler, HostThatAskedForAPauseWaitsWhileOthersGoOn) {
    for (int method : {1, 2}) {
        SCOPED_TRACE(method);
        Rig rig(0.001); // 1 ms ticks: "Retry-After: 40" rests 40 ms; the ticks are run by hand
        rig.session.options().method = method;
        rig.session.options().slotCount = 1;
        rig.add(u"http://busy.example/1"_s);
        rig.add(u"http://busy.example/2"_s);
        rig.add(u"http://other.example:8080/3"_s);
        rig.add(u"http://BUSY.example:80/4"_s);
        QSignalSpy paused(&rig.scheduler, &Scheduler::hostPaused);
        rig.methods.method1Status = 429;
        rig.methods.method1RetryAfter = u"40"_s;
        rig.methods.method1Outcome = RowState::Failed;
        rig.pauseOver();
        rig.scheduler.schedulerTick();
        if (method == 2)
            rig.methods.finishSlot(1, RowState::Failed, 429, u"40"_s);
        ASSERT_EQ(paused.count(), 1);
        EXPECT_EQ(paused.at(0).at(0).toString(), u"busy.example:80"_s);
        EXPECT_EQ(rig.scheduler.hostPauses().active(rig.t.timing.nowMs()).size(), 1u);

        rig.methods.method1Status = 0;
        rig.methods.method1Outcome = RowState::Finished;
        rig.pauseOver();
        rig.scheduler.schedulerTick();
        ASSERT_EQ(rig.methods.starts.size(), 2u);
        EXPECT_EQ(rig.methods.starts[1].row, 2) << "the other host goes on";
        if (method == 2)
            rig.methods.finishSlot(1, RowState::Finished);
        rig.pauseOver();
        rig.scheduler.schedulerTick();
        EXPECT_EQ(rig.methods.starts.size(), 2u) << "rows of the resting host wait";
        EXPECT_EQ(rig.state(1), RowState::Waiting);

        rig.t.pump.sleepFor(Millis(60));
        rig.pauseOver();
        rig.scheduler.schedulerTick();
        ASSERT_EQ(rig.methods.starts.size(), 3u);
        EXPECT_EQ(rig.methods.starts[2].row, 1) << "the pause is over";
    }
}

TEST(Scheduler, AutoRetryWaitsForTheHostPause) {
    Rig rig(0.001);
    rig.session.options().autoRetry = true;
    rig.add(u"http://busy.example/1"_s);
    rig.pauseOver();
    rig.scheduler.schedulerTick();
    rig.methods.finishSlot(1, RowState::Failed, 503, u"50"_s);
    const qint64 ended = rig.t.timing.nowMs();
    rig.scheduler.statusTick(); // the end of the list, then the row is queued again
    EXPECT_EQ(rig.state(0), RowState::Waiting);
    EXPECT_TRUE(rig.scheduler.isRunning());
    rig.pauseOver();
    rig.scheduler.schedulerTick();
    EXPECT_EQ(rig.methods.starts.size(), 1u) << "not before the pause has passed";
    // The scheduler's own timer starts it once the host's pause is over.
    ASSERT_TRUE(rig.t.pump.waitUntil([&] { return rig.methods.starts.size() == 2; }, Millis(5000)));
    EXPECT_GE(rig.t.timing.nowMs() - ended, 50);
}

TEST(Scheduler, ImmediateModeWaitsForNoTick) {
    // One-second ticks that never come within the test: every start follows the event that
    // allows it.
    Rig rig;
    rig.scheduler.setImmediate(true);
    rig.session.options().slotCount = 1;
    rig.add(u"http://h/1"_s);
    rig.add(u"http://h/2"_s);
    rig.pauseOver();
    QSignalSpy finished(&rig.scheduler, &Scheduler::listFinished);
    rig.scheduler.start();
    QCoreApplication::processEvents();
    ASSERT_EQ(rig.methods.starts.size(), 1u) << "the first row starts at once";
    rig.methods.finishSlot(1, RowState::Finished);
    EXPECT_TRUE(rig.t.pump.waitUntil([&] { return rig.methods.starts.size() == 2; }, Millis(900)));
    rig.methods.finishSlot(1, RowState::Finished);
    EXPECT_TRUE(rig.t.pump.waitUntil([&] { return !rig.scheduler.isRunning(); }, Millis(900)))
        << "the end of the list is noticed at once";
    EXPECT_EQ(finished.count(), 1);
}

TEST(Scheduler, ImmediateModeKeepsThePauseBetweenFiles) {
    Rig rig(0.001);
    rig.scheduler.setImmediate(true);
    rig.session.options().slotCount = 1;
    rig.session.options().pauseSeconds = 100; // 100 ms at 1 ms ticks
    rig.add(u"http://h/1"_s);
    rig.add(u"http://h/2"_s);
    rig.pauseOver();
    rig.scheduler.start();
    QCoreApplication::processEvents();
    ASSERT_EQ(rig.methods.starts.size(), 1u);
    rig.methods.finishSlot(1, RowState::Finished);
    const qint64 ended = rig.session.lastTransferEndMs;
    QCoreApplication::processEvents();
    EXPECT_EQ(rig.methods.starts.size(), 1u);
    ASSERT_TRUE(rig.t.pump.waitUntil([&] { return rig.methods.starts.size() == 2; }, Millis(5000)));
    EXPECT_GT(rig.t.timing.nowMs() - ended, 100);
}

} // namespace
