// Whole-list download throughput of the scheduler with method 2 against a real nginx on
// loopback, and the memory of a long run.
//
//   build/dev/bench/SchedulerThroughputBench
//
// schedulerThroughput: 200 files of 256 KB, no pause, 6 slots, the normal one-second tick. The
// scheduler starts at most one row per free slot per tick, so the ideal is 6 files per tick.
// longRunMemory: 10,000 rows of 16 KB with a 5 ms tick; resident memory after the first 1,000
// rows and at the end shows whether anything grows per row.

#include "downloads/DownloadEngine.h"
#include "downloads/DownloadSession.h"
#include "support/NginxPeer.h"
#include "support/TestContext.h"
#include "transfer/NetworkLayer.h"

#include "BenchMain.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <benchmark/benchmark.h>
#include <unistd.h>

using namespace mojing;
using namespace Qt::StringLiterals;

namespace {

double residentMB() {
    QFile statm(u"/proc/self/statm"_s);
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toDouble() * double(sysconf(_SC_PAGESIZE)) / 1048576.0 : 0;
}

struct RunResult {
    double seconds = 0;
    int finished = 0;
    int ticks = 0;
    double rssAfterFirstThousand = 0;
};

RunResult downloadAll(NginxPeer& nginx, int files, double timingFactor, int slotCount) {
    TestContext t(timingFactor);
    AppContext ctx = t.context();
    DownloadSession session(ctx);
    session.options().slotCount = slotCount;
    session.options().pauseSeconds = 0;
    session.options().maxFileSizeMB = 100;
    const QString folder = t.path(u"out"_s) + QDir::separator();
    for (int i = 0; i < files; ++i)
        session.list().addRow(nginx.url(u"f/"_s + QString::number(i % 200) + u".bin?"_s + QString::number(i)),
                              u"f"_s + QString::number(i), u"bin"_s, folder, {});
    NetworkLayer network;
    DownloadEngine engine(session, network);
    RunResult result;
    QTimer probe;
    probe.setInterval(int(t.timing.tick.count()));
    QObject::connect(&probe, &QTimer::timeout, &probe, [&] {
        ++result.ticks;
        if (result.rssAfterFirstThousand == 0 && session.list().countInState(RowState::Finished) >= 1000)
            result.rssAfterFirstThousand = residentMB();
    });
    QElapsedTimer clock;
    clock.start();
    engine.scheduler().startStatusTimer();
    engine.scheduler().start();
    probe.start();
    t.pump.waitUntil([&] { return !engine.scheduler().isRunning() && engine.idle(); }, Millis(3600 * 1000));
    result.seconds = double(clock.nsecsElapsed()) / 1e9;
    result.finished = session.list().countInState(RowState::Finished);
    return result;
}

bool startNginx(NginxPeer& nginx, benchmark::State& state, int size) {
    if (!NginxPeer::available()) {
        state.SkipWithError("nginx is not installed");
        return false;
    }
    const QByteArray body(size, 'x');
    for (int i = 0; i < 200; ++i)
        nginx.putFile(u"f/"_s + QString::number(i) + u".bin"_s, body);
    if (!nginx.start()) {
        state.SkipWithError(nginx.errorText().toStdString().c_str());
        return false;
    }
    return true;
}

void schedulerThroughput(benchmark::State& state) {
    NginxPeer nginx;
    if (!startNginx(nginx, state, 256 * 1024))
        return;
    constexpr int kFiles = 200;
    constexpr int kSlots = 6;
    RunResult r;
    for (auto _ : state)
        r = downloadAll(nginx, kFiles, 1.0, kSlots);
    state.counters["files"] = r.finished;
    state.counters["seconds"] = r.seconds;
    state.counters["files_per_s"] = r.finished / r.seconds;
    state.counters["ideal_files_per_s"] = double(kSlots); // one start per free slot per 1 s tick
    state.counters["ideal_seconds"] = double((kFiles + kSlots - 1) / kSlots);
}
BENCHMARK(schedulerThroughput)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

void longRunMemory(benchmark::State& state) {
    NginxPeer nginx;
    if (!startNginx(nginx, state, 16 * 1024))
        return;
    RunResult r;
    for (auto _ : state)
        r = downloadAll(nginx, 10000, 0.005, 6);
    state.counters["files"] = r.finished;
    state.counters["seconds"] = r.seconds;
    state.counters["rss_MB_at_1000"] = r.rssAfterFirstThousand;
    state.counters["rss_MB_at_end"] = residentMB();
}
BENCHMARK(longRunMemory)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    return runBenchmarks<QCoreApplication>(argc, argv);
}
