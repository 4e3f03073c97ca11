// One large file from a real nginx on loopback: method 2 with one slot and method 1 against
// `curl -o`, with the process's peak memory before and after each size.
//
//   build/dev/bench/TransferBench
//
// Targets: method 2 within 1.25x of curl's wall time, method 1 within 2x; peak memory that does
// not grow with the file size (the body is streamed to disk, never held).

#include "downloads/DownloadSession.h"
#include "downloads/Method1Transfer.h"
#include "downloads/Method2Slots.h"
#include "support/NginxPeer.h"
#include "support/TestContext.h"
#include "transfer/NetworkLayer.h"

#include "BenchMain.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <benchmark/benchmark.h>

using namespace mojing;
using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

constexpr qint64 kMB = 1024 * 1024;

double peakMB() {
    QFile status(u"/proc/self/status"_s);
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
    }
    return 0;
}

struct Peer {
    NginxPeer nginx;
    bool ok = false;
    Peer() {
        if (!NginxPeer::available())
            return;
        nginx.putFile(u"placeholder"_s, "x");
        for (qint64 mb : {16, 256}) {
            // Sparse files: nothing to hold in memory or write on disk beforehand.
            QFile f(nginx.www() + u"/f"_s + QString::number(mb) + u".bin"_s);
            f.open(QIODevice::WriteOnly);
            f.resize(mb * kMB);
        }
        ok = nginx.start();
    }
    QString url(qint64 mb) const { return nginx.url(u"f"_s + QString::number(mb) + u".bin"_s); }
};

Peer& peer() {
    static Peer p;
    return p;
}

double curlSeconds(const QString& url, const QString& out) {
    QElapsedTimer clock;
    clock.start();
    QProcess::execute(u"curl"_s, {u"-s"_s, u"-o"_s, out, url});
    return double(clock.nsecsElapsed()) / 1e9;
}

// Downloads one file with the given method; returns the wall time in seconds.
double methodSeconds(int method, const QString& url, const QString& folder, qint64 expectSize) {
    TestContext t;
    t.timing = Timing(); // the product's limits
    DownloadSession session(t.context());
    session.options().maxFileSizeMB = 4096;
    session.options().policy = DuplicatePolicy::Overwrite;
    NetworkLayer network;
    session.list().addRow(url, u"big"_s, u"bin"_s, folder, QString());
    QElapsedTimer clock;
    clock.start();
    if (method == 1) {
        Method1Transfer m1(session, network);
        m1.downloadCurrentRow(0);
        t.pump.waitUntil([&] { return !m1.isRunning(); }, Millis(600000));
    } else {
        Method2Slots m2(session, network);
        m2.startDownload(1, 0, url, folder + u"big.bin"_s);
        t.pump.waitUntil([&] { return m2.busyCount() == 0; }, Millis(600000));
    }
    const double seconds = double(clock.nsecsElapsed()) / 1e9;
    if (QFile(folder + u"big.bin"_s).size() != expectSize)
        qWarning("incomplete download");
    QFile::remove(folder + u"big.bin"_s);
    return seconds;
}

void transfer(benchmark::State& state) {
    const int method = int(state.range(0));
    Peer& p = peer();
    if (!p.ok) {
        state.SkipWithError("nginx is not available");
        return;
    }
    QTemporaryDir dir;
    const QString folder = dir.path() + u'/';
    double curl = 0, ours = 0, peakSmall = 0, peakLarge = 0;
    for (auto _ : state) {
        methodSeconds(method, p.url(16), folder, 16 * kMB);
        peakSmall = peakMB();
        // curl runs before and after, on the same disk, and the faster of its runs counts.
        curl = curlSeconds(p.url(256), folder + u"curl.bin"_s);
        QFile::remove(folder + u"curl.bin"_s);
        ours = methodSeconds(method, p.url(256), folder, 256 * kMB);
        peakLarge = peakMB();
        curl = std::min(curl, curlSeconds(p.url(256), folder + u"curl.bin"_s));
        QFile::remove(folder + u"curl.bin"_s);
    }
    state.counters["seconds"] = ours;
    state.counters["curl_seconds"] = curl;
    state.counters["ratio_to_curl"] = ours / curl;
    state.counters["peak_MB_after_16MB"] = peakSmall;
    state.counters["peak_MB_after_256MB"] = peakLarge;
}
BENCHMARK(transfer)
    ->Arg(2)
    ->Arg(1)
    ->ArgName("method")
    ->Iterations(1)
    ->Unit(benchmark::kSecond)
    ->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    return runBenchmarks<QCoreApplication>(argc, argv);
}
