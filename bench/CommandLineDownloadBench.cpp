// `mojing download` against `curl` for small files from a real nginx on loopback: the whole
// process, start-up included, for one file and for 20 files, with each transfer method.
//
//   build/relwithdebinfo/bench/CommandLineDownloadBench
//
// Each run fetches into a fresh folder; the median of seven runs counts, for both programs.
// curl fetches the 20 files in one process over one connection, one after another.

#include "support/NginxPeer.h"

#include "BenchMain.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <vector>

using namespace mojing;
using namespace Qt::StringLiterals;

namespace {

constexpr int kRuns = 7;
constexpr int kFileBytes = 16 * 1024;

struct Peer {
    NginxPeer nginx;
    bool ok = false;
    Peer() {
        if (!NginxPeer::available())
            return;
        for (int i = 1; i <= 20; ++i)
            nginx.putFile(u"f"_s + QString::number(i) + u".pdf"_s, QByteArray(kFileBytes, char('a' + i)));
        ok = nginx.start();
    }
    QStringList urls(int count) const {
        QStringList urls;
        for (int i = 1; i <= count; ++i)
            urls << nginx.url(u"f"_s + QString::number(i) + u".pdf"_s);
        return urls;
    }
};

Peer& peer() {
    static Peer p;
    return p;
}

// Wall seconds of one process run; negative when it failed.
double runSeconds(const QString& program, const QStringList& args, const QProcessEnvironment& env) {
    QProcess process;
    process.setProcessEnvironment(env);
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    QElapsedTimer clock;
    clock.start();
    process.start(program, args);
    if (!process.waitForFinished(120000) || process.exitCode() != 0)
        return -1;
    return double(clock.nsecsElapsed()) / 1e9;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void commandLine(benchmark::State& state) {
    const int files = int(state.range(0));
    const int method = int(state.range(1));
    Peer& p = peer();
    if (!p.ok) {
        state.SkipWithError("nginx is not available");
        return;
    }
    QTemporaryDir home;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"XDG_CONFIG_HOME"_s, home.filePath(u"config"_s)); // no stored settings
    env.insert(u"XDG_DATA_HOME"_s, home.filePath(u"data"_s));
    const QStringList urls = p.urls(files);
    std::vector<double> ours, curl;
    for (auto _ : state) {
        for (int run = 0; run < kRuns; ++run) {
            const QString out = home.filePath(u"run"_s + QString::number(run));
            QDir().mkpath(out + u"/curl"_s);
            ours.push_back(runSeconds(QStringLiteral(MOJING_BINARY),
                                      QStringList{u"download"_s, u"--method"_s, QString::number(method),
                                                  u"--slots"_s, u"6"_s, u"--folder"_s, out} +
                                          urls,
                                      env));
            QStringList curlArgs{u"-s"_s, u"-f"_s};
            for (int i = 0; i < files; ++i)
                curlArgs << u"-o"_s << out + u"/curl/"_s + QString::number(i) << urls.at(i);
            curl.push_back(runSeconds(u"curl"_s, curlArgs, env));
        }
    }
    if (*std::min_element(ours.begin(), ours.end()) < 0 || *std::min_element(curl.begin(), curl.end()) < 0) {
        state.SkipWithError("a run failed");
        return;
    }
    state.counters["seconds"] = median(ours);
    state.counters["curl_seconds"] = median(curl);
    state.counters["ratio_to_curl"] = median(ours) / median(curl);
}
BENCHMARK(commandLine)
    ->Args({1, 2})
    ->Args({1, 1})
    ->Args({20, 2})
    ->Args({20, 1})
    ->ArgNames({"files", "method"})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    return runBenchmarks<QCoreApplication>(argc, argv);
}
