#include "downloads/DownloadEngine.h"
#include "downloads/DownloadSession.h"
#include "support/FaultServer.h"
#include "support/QtPrinters.h"
#include "support/TestContext.h"
#include "transfer/NetworkLayer.h"

#include <QDir>
#include <QFile>
#include <QTimer>
#include <gtest/gtest.h>

using namespace mojing;
using namespace Qt::StringLiterals;

namespace {

QByteArray pdf(int size, char fill) {
    return "%PDF-1.4\n" + QByteArray(size, fill) + "\n%%EOF\n";
}

// The real scheduler and transfer methods over a loopback server, with 50 ms ticks.
struct EngineRig {
    explicit EngineRig(int method) : t(0.05), ctx(t.context()), session(ctx), engine(session, network) {
        session.options().method = method;
        folder = t.path(u"out"_s) + QDir::separator();
    }
    void add(const QString& path, const QString& name) {
        session.list().addRow(server.url(path), name, u"pdf"_s, folder, {});
    }
    bool runToEnd(int limitMs = 20000) {
        engine.scheduler().startStatusTimer();
        engine.scheduler().start();
        return t.pump.waitUntil([&] { return !engine.scheduler().isRunning() && engine.idle(); },
                                Millis(limitMs));
    }
    std::string rows() const {
        std::string out;
        for (int i = 0; i < session.list().count(); ++i) {
            const DownloadRow& r = session.list().at(i);
            out += QString(QString::number(int(r.state)) + u' ' + r.name + u'.' + r.type + u' ' + r.size +
                           u' ' + r.received + u' ' + r.percent + u'\n')
                       .toStdString();
        }
        return out;
    }
    bool hasFile(const QString& name, const QByteArray& content) const { return file(name) == content; }
    QByteArray file(const QString& name) const {
        QFile f(folder + name);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    TestContext t;
    AppContext ctx;
    FaultServer server;
    NetworkLayer network;
    DownloadSession session;
    DownloadEngine engine;
    QString folder;
};

TEST(DownloadEngine, BothMethodsFetchTheWholeListUnattended) {
    for (int method : {1, 2}) {
        EngineRig rig(method);
        const QByteArray a = pdf(5000, 'a'), b = pdf(70000, 'b');
        FaultServer::Reply noLength = FaultServer::ok(b);
        noLength.contentLength = std::nullopt;
        rig.server.route(u"/a.pdf"_s, FaultServer::ok(a));
        rig.server.route(u"/b.pdf"_s, noLength);
        rig.add(u"/a.pdf"_s, u"first"_s);
        rig.add(u"/b.pdf"_s, u"second"_s);
        rig.server.route(u"/a2.pdf"_s, FaultServer::ok(a));
        rig.add(u"/a2.pdf"_s, u"first"_s); // same name: renamed, not overwritten
        ASSERT_TRUE(rig.runToEnd()) << "method " << method;
        EXPECT_EQ(rig.session.list().countInState(RowState::Finished), 3) << "method " << method;
        EXPECT_TRUE(rig.hasFile(u"first.pdf"_s, a)) << "method " << method << "\n" << rig.rows();
        EXPECT_TRUE(rig.hasFile(u"second.pdf"_s, b)) << "method " << method << "\n" << rig.rows();
        EXPECT_TRUE(rig.hasFile(u"first[001].pdf"_s, a)) << "method " << method << "\n" << rig.rows();
        EXPECT_EQ(rig.session.list().at(1).percent, u"100%"_s) << "method " << method;
    }
}

TEST(DownloadEngine, StopDuringATransferLeavesNoPartialFile) {
    for (int method : {1, 2}) {
        EngineRig rig(method);
        FaultServer::Reply slow = FaultServer::ok(pdf(200000, 's'));
        slow.dripBytes = 1000;
        slow.dripIntervalMs = 20;
        rig.server.route(u"/slow.pdf"_s, slow);
        rig.server.route(u"/next.pdf"_s, FaultServer::ok(pdf(100, 'n')));
        rig.session.options().slotCount = 1;
        rig.add(u"/slow.pdf"_s, u"slow"_s);
        rig.add(u"/next.pdf"_s, u"next"_s);
        // Method 1 runs its transfer inside a scheduler tick, so Stop has to come from an event
        // handled meanwhile, as a click would.
        QTimer watch;
        bool pressed = false;
        QObject::connect(&watch, &QTimer::timeout, &watch, [&] {
            const QString received = rig.session.list().at(0).received;
            if (!pressed && !received.isEmpty() && received != u"0"_s) {
                pressed = true;
                rig.engine.scheduler().stop();
            }
        });
        watch.start(5);
        rig.engine.scheduler().startStatusTimer();
        rig.engine.scheduler().start();
        ASSERT_TRUE(rig.t.pump.waitUntil([&] { return pressed && rig.engine.idle(); }, Millis(10000)))
            << "method " << method;
        rig.t.pump.sleepFor(Millis(100)); // a few more ticks: nothing may start
        EXPECT_EQ(rig.session.list().at(0).state, RowState::Failed) << "method " << method << "\n"
                                                                    << rig.rows();
        EXPECT_EQ(rig.session.list().at(1).state, RowState::Waiting) << "method " << method;
        EXPECT_FALSE(QFile::exists(rig.folder + u"slow.pdf"_s)) << "method " << method;
        EXPECT_EQ(rig.server.requestCount(u"/next.pdf"_s), 0) << "method " << method;
        EXPECT_FALSE(rig.engine.scheduler().isRunning());

        // Starting again picks up the rows still waiting; the stopped one stays failed.
        watch.stop();
        rig.engine.scheduler().start();
        ASSERT_TRUE(rig.t.pump.waitUntil(
            [&] { return !rig.engine.scheduler().isRunning() && rig.engine.idle(); }, Millis(10000)))
            << "method " << method;
        EXPECT_EQ(rig.session.list().at(1).state, RowState::Finished) << "method " << method << "\n"
                                                                      << rig.rows();
        EXPECT_EQ(rig.session.list().at(0).state, RowState::Failed) << "method " << method;
    }
}

TEST(DownloadEngine, AutoRetryTriesTheNextAlternativeAddress) {
    EngineRig rig(2);
    const QByteArray good = pdf(3000, 'g');
    rig.server.route(u"/good.pdf"_s, FaultServer::ok(good));
    FaultServer::Reply broken = FaultServer::ok(pdf(3000, 'x'));
    broken.closeAfter = 100; // announces 3 KB, delivers 100 bytes
    rig.server.route(u"/broken.pdf"_s, broken);
    rig.session.list().addRow(rig.server.url(u"/broken.pdf"_s) + u'|' + rig.server.url(u"/good.pdf"_s),
                              u"paper"_s, u"pdf"_s, rig.folder, {});
    rig.session.options().autoRetry = true;
    rig.engine.scheduler().startStatusTimer();
    rig.engine.scheduler().start();
    ASSERT_TRUE(rig.t.pump.waitUntil(
        [&] {
            return rig.session.list().at(0).state == RowState::Finished &&
                   !rig.engine.scheduler().isRunning();
        },
        Millis(20000)));
    EXPECT_TRUE(rig.hasFile(u"paper.pdf"_s, good)) << rig.rows();
    EXPECT_EQ(rig.server.requestCount(u"/broken.pdf"_s), 1);
}

} // namespace
