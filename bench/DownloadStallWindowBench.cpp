// How long the download window's event loop goes without a turn while large files arrive from a
// real nginx on loopback: method 1 (two 256 MB files, one after the other) and method 2 (six
// 128 MB files on six slots at once). A zero-interval timer runs on every turn of the loop; the
// gaps between its runs are the stalls a user would feel as a window that does not react.
//
//   build/relwithdebinfo/bench/DownloadStallWindowBench
//
// Target: p99 of the gaps under 50 ms.

#include "downloads/DownloadEngine.h"
#include "downloads/DownloadSession.h"
#include "downloads/DownloadWindowBinding.h"
#include "downloads/FileDownloadWindow.h"
#include "support/NginxPeer.h"
#include "support/TestContext.h"
#include "transfer/NetworkLayer.h"

#include "BenchMain.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <vector>

using namespace mojing;
using namespace Qt::StringLiterals;

namespace {

constexpr qint64 kMB = 1024 * 1024;

struct Peer {
    NginxPeer nginx;
    bool ok = false;
    Peer() {
        if (!NginxPeer::available())
            return;
        for (int i = 0; i < 6; ++i) {
            // Sparse files: nothing to write on disk beforehand.
            QFile f(nginx.www() + u"/f"_s + QString::number(i) + u".bin"_s);
            f.open(QIODevice::WriteOnly);
            f.resize((i < 2 ? 256 : 128) * kMB);
        }
        ok = nginx.start();
    }
};

Peer& peer() {
    static Peer p;
    return p;
}

double percentile(std::vector<double> values, double fraction) {
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[size_t(fraction * double(values.size() - 1))];
}

void stall(benchmark::State& state) {
    const int method = int(state.range(0));
    Peer& p = peer();
    if (!p.ok) {
        state.SkipWithError("nginx is not available");
        return;
    }
    // Method 1 fetches f0 and f1 (256 MB each), method 2 f0 to f5 on six slots (the first two
    // are 256 MB, the others 128 MB).
    const int files = method == 1 ? 2 : 6;
    qint64 bytes = 0;
    for (int i = 0; i < files; ++i)
        bytes += (i < 2 ? 256 : 128) * kMB;
    std::vector<double> gaps;
    double seconds = 0;
    for (auto _ : state) {
        QTemporaryDir dir;
        TestContext t(1.0); // the program's own timings
        NetworkLayer network;
        FileDownloadWindow window(t.context(), nullptr);
        auto* binding = new DownloadWindowBinding(window, network);
        DownloadSession& session = window.session();
        session.options().method = method;
        session.options().slotCount = 6;
        session.options().pauseSeconds = 0;
        session.options().maxFileSizeMB = 4096;
        for (int i = 0; i < files; ++i)
            session.list().addRow(p.nginx.url(u"f"_s + QString::number(i) + u".bin"_s),
                                  u"f"_s + QString::number(i), u"bin"_s, dir.path() + u'/', QString());
        window.show();
        QCoreApplication::processEvents();

        QElapsedTimer clock;
        clock.start();
        qint64 last = -1;
        bool measuring = false;
        gaps.clear();
        QTimer turn;
        turn.setInterval(0);
        QObject::connect(&turn, &QTimer::timeout, &window, [&] {
            const qint64 now = clock.nsecsElapsed();
            // Only while something is being fetched: the wait for the first tick is not a stall.
            measuring = measuring || session.list().countInState(RowState::Downloading) > 0;
            if (measuring && last >= 0)
                gaps.push_back(double(now - last) / 1e6);
            last = now;
        });
        turn.start();
        DownloadEngine& engine = binding->engine();
        engine.scheduler().start();
        QElapsedTimer transfer;
        transfer.start();
        t.pump.waitUntil([&] { return measuring && !engine.scheduler().isRunning() && engine.idle(); },
                         Millis(600000));
        seconds = double(transfer.nsecsElapsed()) / 1e9;
        turn.stop();
        if (session.list().countInState(RowState::Finished) != files)
            state.SkipWithError("not every file arrived");
    }
    state.counters["p50_ms"] = percentile(gaps, 0.50);
    state.counters["p99_ms"] = percentile(gaps, 0.99);
    state.counters["max_ms"] = gaps.empty() ? 0 : *std::max_element(gaps.begin(), gaps.end());
    state.counters["turns"] = double(gaps.size());
    state.counters["MB_per_s"] = double(bytes) / double(kMB) / seconds;
}
BENCHMARK(stall)->Arg(1)->Arg(2)->ArgName("method")->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    return runBenchmarks<QApplication>(argc, argv);
}
