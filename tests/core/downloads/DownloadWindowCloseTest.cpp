#include "downloads/DownloadWindowClose.h"
#include "downloads/DownloadSession.h"
#include "downloads/Scheduler.h"
#include "fakes/FakeTransferMethods.h"
#include "settings/SettingKeys.h"
#include "support/TestContext.h"

#include <gtest/gtest.h>

using namespace mojing;
using namespace Qt::StringLiterals;
using namespace SettingKeys;

namespace {

// The close of a download window over a scheduler with one method-2 slot at work.
struct Rig {
    Rig() : ctx(t.context()), session(ctx), methods(session), scheduler(session, methods), close(session) {
        close.setConfirmAndStop([this] { return scheduler.requestClose(); });
        QObject::connect(&close, &DownloadWindowClose::accepted, &close, [this] {
            // What the window does on acceptance sees the work already stopped.
            seenAtAcceptance = Seen{scheduler.isRunning(), methods.busySlotCount() > 0,
                                    t.settings.read(kSectionDownload, kSlots, u"<none>"_s)};
        });
        session.options().method = 2;
        session.options().slotCount = 3;
        session.options().policy = DuplicatePolicy::Skip;
        session.list().addRow(u"http://h/a.pdf"_s, u"a"_s, u"pdf"_s, t.dir.path() + u"/"_s, {});
        scheduler.start();
        scheduler.startStatusTimer();
        methods.startMethod2(1, 0, u"http://h/a.pdf"_s, t.dir.path() + u"/a.pdf"_s);
    }
    struct Seen {
        bool running;
        bool slotBusy;
        QString storedSlots;
        bool operator==(const Seen&) const = default;
    };

    TestContext t;
    AppContext ctx;
    DownloadSession session;
    FakeTransferMethods methods;
    Scheduler scheduler;
    DownloadWindowClose close;
    std::optional<Seen> seenAtAcceptance;
};

TEST(DownloadWindowClose, StepsRunInOrder) {
    struct Case {
        const char* name;
        bool answerYes;
        bool accepted;
        bool runningAfter;
        int unloadsAfter;
        QString slotsStored;
    };
    const Case cases[] = {
        {"No keeps the window and every transfer", false, false, true, 0, u"<none>"_s},
        {"Yes stops, then accepts, then stores the slots", true, true, false, 1, u"2"_s},
    };
    for (const Case& c : cases) {
        Rig rig;
        rig.t.prompts.yesNoAnswers.push_back(c.answerYes);
        EXPECT_EQ(rig.close.run(), c.accepted) << c.name;
        EXPECT_EQ(rig.t.prompts.texts(FakePrompts::Kind::YesNo), QStringList{Scheduler::kCloseQuestion})
            << c.name;
        // The policy and method are stored before the question, whatever the answer.
        EXPECT_EQ(rig.t.settings.read(kSectionDuplicate, kDuplicatePolicy), u"跳过"_s) << c.name;
        EXPECT_EQ(rig.t.settings.read(kSectionSettings, kMethod), u"2"_s) << c.name;
        EXPECT_EQ(rig.scheduler.isRunning(), c.runningAfter) << c.name;
        EXPECT_EQ(rig.scheduler.statusTimerActive(), c.runningAfter) << c.name;
        EXPECT_EQ(rig.methods.unloads, c.unloadsAfter) << c.name;
        EXPECT_EQ(rig.t.settings.read(kSectionDownload, kSlots, u"<none>"_s), c.slotsStored) << c.name;
        if (c.accepted)
            EXPECT_EQ(rig.seenAtAcceptance, (Rig::Seen{false, false, u"<none>"_s})) << c.name;
        else
            EXPECT_FALSE(rig.seenAtAcceptance.has_value()) << c.name;
    }
}

TEST(DownloadWindowClose, AcceptedOnceAndWithoutQuestionWhenIdle) {
    TestContext t;
    AppContext ctx = t.context();
    DownloadSession session(ctx);
    DownloadWindowClose close(session);
    int accepted = 0;
    QObject::connect(&close, &DownloadWindowClose::accepted, &close, [&] { ++accepted; });
    EXPECT_TRUE(close.run());
    EXPECT_TRUE(close.run()) << "a second close of an unloading window is accepted at once";
    EXPECT_EQ(accepted, 1);
    EXPECT_TRUE(t.prompts.shown.empty());
}

} // namespace
