// The installed program against `curl` on a real nginx on loopback, whole processes, start-up
// included: `mojing --version`, one file of 16 KB, 300 files of 16 KB with six slots, and a file
// of 1 GiB with each transfer method (wall time and peak memory).
//
//   build/relwithdebinfo/bench/CommandLineDownloadBench [--benchmark_filter=REGEX]
//
// The build folder is installed first (`cmake --install --strip` into a temporary prefix, as the
// package holds it), so the figures are those of bin/mojing and its private folder, not of the
// build tree. It needs the whole build (scripts/build.sh). Downloads go to a folder in memory
// (/dev/shm) where there is one, so the disk of a shared machine does not decide the result.
// Every figure is the median of several runs after one that does not count, the program and curl
// taking turns; the last lines are a Markdown table of the medians with their spread (min-max).
//
// Targets: `mojing --version` within 40 ms; one small file within 1.5x curl's wall time; 300 small
// files at 234 files per second or more; 1 GiB with either method within 1.1x curl's wall time,
// and at most 40 MB peak memory with method 2.

#include "support/NginxPeer.h"

#include "BenchMain.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <vector>

using namespace mojing;
using namespace Qt::StringLiterals;

extern char** environ;

namespace {

constexpr qint64 kSmallBytes = 16 * 1024;
constexpr int kManyFiles = 300;
constexpr qint64 kLargeBytes = qint64(1) << 30;

// One finished process: wall seconds from start to reaping, and its peak resident memory.
struct ProcessRun {
    double seconds = -1;
    double peakMB = 0;
    int exitCode = -1;
};

double now() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

// Runs a program with its output thrown away and reaps it with wait4, whose resource usage holds
// the child's peak memory (the largest resident set it reached).
ProcessRun runProcess(const QString& program, const QStringList& args, const QStringList& environment) {
    std::vector<std::string> strings{program.toStdString()};
    for (const QString& a : args)
        strings.push_back(a.toStdString());
    std::vector<char*> argv;
    for (std::string& s : strings)
        argv.push_back(s.data());
    argv.push_back(nullptr);
    std::vector<std::string> envStrings;
    for (const QString& e : environment)
        envStrings.push_back(e.toStdString());
    std::vector<char*> envp;
    for (std::string& s : envStrings)
        envp.push_back(s.data());
    envp.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    ProcessRun run;
    const double start = now();
    pid_t pid = 0;
    const int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        return run;
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid)
        return run;
    run.seconds = now() - start;
    run.peakMB = double(usage.ru_maxrss) / 1024.0;
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return run;
}

struct Spread {
    double median = 0;
    double min = 0;
    double max = 0;
};

Spread spreadOf(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return {values[values.size() / 2], values.front(), values.back()};
}

QString fileName(int i) {
    return u"f"_s + QString::number(i) + u".pdf"_s;
}

// The installed program, the peer and a home without stored settings, made once for every case.
struct Setup {
    QTemporaryDir prefix;
    QTemporaryDir home;
    QTemporaryDir downloads{QFileInfo(u"/dev/shm"_s).isWritable()
                                ? u"/dev/shm/mojing-bench-XXXXXX"_s
                                : QDir::tempPath() + u"/mojing-bench-XXXXXX"_s};
    NginxPeer nginx;
    QString program;
    QStringList environment;
    QString error;

    Setup() {
        QProcess install;
        install.setProcessChannelMode(QProcess::MergedChannels);
        install.start(QStringLiteral(MOJING_CMAKE_COMMAND), {u"--install"_s, QStringLiteral(MOJING_BUILD_DIR),
                                                             u"--prefix"_s, prefix.path(), u"--strip"_s});
        if (!install.waitForFinished(300000) || install.exitCode() != 0) {
            error =
                u"cmake --install failed (build everything first): "_s + QString::fromUtf8(install.readAll());
            return;
        }
        program = prefix.filePath(u"bin/mojing"_s);
        if (!NginxPeer::available()) {
            error = u"nginx is not installed (scripts/deps.sh installs nginx-light)"_s;
            return;
        }
        for (int i = 1; i <= kManyFiles; ++i)
            nginx.putFile(fileName(i), QByteArray(kSmallBytes, char('a' + i % 26)));
        // Sparse: nothing to hold in memory or write on disk beforehand.
        QFile large(nginx.www() + u"/large.bin"_s);
        if (!large.open(QIODevice::WriteOnly) || !large.resize(kLargeBytes)) {
            error = u"cannot make the large file"_s;
            return;
        }
        large.close();
        if (!nginx.start()) {
            error = nginx.errorText();
            return;
        }
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const QString& name : {u"http_proxy"_s, u"https_proxy"_s, u"HTTP_PROXY"_s, u"HTTPS_PROXY"_s,
                                    u"all_proxy"_s, u"ALL_PROXY"_s})
            env.remove(name);
        env.insert(u"HOME"_s, home.path());
        env.insert(u"XDG_CONFIG_HOME"_s, home.filePath(u"config"_s));
        env.insert(u"XDG_DATA_HOME"_s, home.filePath(u"data"_s));
        env.insert(u"XDG_CACHE_HOME"_s, home.filePath(u"cache"_s));
        environment = env.toStringList();
    }

    QString url(const QString& name) const { return nginx.url(name); }
    // A fresh, empty folder for one run.
    QString freshFolder() {
        static int count = 0;
        const QString folder = downloads.filePath(u"run"_s + QString::number(++count));
        QDir().mkpath(folder);
        return folder;
    }
    void removeFolder(const QString& folder) { QDir(folder).removeRecursively(); }
};

Setup& setup() {
    static Setup s;
    return s;
}

// One row of the closing table.
struct Row {
    QString what;
    QString ours;
    QString curl;
    QString ratio;
};

std::vector<Row>& table() {
    static std::vector<Row> rows;
    return rows;
}

QString seconds(const Spread& s) {
    const bool ms = s.median < 1;
    const double unit = ms ? 1000 : 1;
    const int digits = ms ? 0 : 2;
    return QString::number(s.median * unit, 'f', digits) + (ms ? u" ms ("_s : u" s ("_s) +
           QString::number(s.min * unit, 'f', digits) + u'-' + QString::number(s.max * unit, 'f', digits) +
           u')';
}

QString megabytes(const Spread& s) {
    return QString::number(s.median, 'f', 1) + u" MB"_s;
}

bool failed(benchmark::State& state) {
    if (setup().error.isEmpty())
        return false;
    static const std::string why = setup().error.toStdString();
    state.SkipWithError(why.c_str());
    return true;
}

// Runs ours and curl in turn `runs` times; both must succeed every time.
struct Pair {
    std::vector<double> ourSeconds, curlSeconds, ourPeak, curlPeak, ratios;
    bool ok = true;
};

template <class Ours, class Curl> Pair runPairs(int runs, Ours ours, Curl curl) {
    // One pair first that does not count: the first large file after a while pays for the
    // kernel finding memory for it, whichever program writes it.
    ours();
    curl();
    Pair p;
    for (int i = 0; i < runs && p.ok; ++i) {
        const ProcessRun a = ours();
        const ProcessRun b = curl();
        p.ok = a.exitCode == 0 && b.exitCode == 0 && a.seconds > 0 && b.seconds > 0;
        p.ourSeconds.push_back(a.seconds);
        p.curlSeconds.push_back(b.seconds);
        p.ourPeak.push_back(a.peakMB);
        p.curlPeak.push_back(b.peakMB);
        p.ratios.push_back(a.seconds / b.seconds);
    }
    return p;
}

void startUp(benchmark::State& state) {
    if (failed(state))
        return;
    Setup& s = setup();
    std::vector<double> wall, peak;
    for (auto _ : state) {
        for (int i = 0; i < 21; ++i) {
            const ProcessRun r = runProcess(s.program, {u"--version"_s}, s.environment);
            if (r.exitCode != 0) {
                state.SkipWithError("mojing --version failed");
                return;
            }
            wall.push_back(r.seconds);
            peak.push_back(r.peakMB);
        }
    }
    const Spread w = spreadOf(wall);
    state.counters["ms"] = w.median * 1000;
    state.counters["peak_MB"] = spreadOf(peak).median;
    table().push_back(
        {u"`mojing --version`"_s, seconds(w) + u", "_s + megabytes(spreadOf(peak)), u"-"_s, u"-"_s});
}
BENCHMARK(startUp)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

void oneSmallFile(benchmark::State& state) {
    if (failed(state))
        return;
    Setup& s = setup();
    const QString method = QString::number(state.range(0));
    Pair p;
    for (auto _ : state) {
        p = runPairs(
            21,
            [&] {
                const QString folder = s.freshFolder();
                const ProcessRun r = runProcess(
                    s.program,
                    {u"download"_s, u"--method"_s, method, u"--folder"_s, folder, s.url(fileName(1))},
                    s.environment);
                if (QFileInfo(folder + u'/' + fileName(1)).size() != kSmallBytes)
                    return ProcessRun{};
                s.removeFolder(folder);
                return r;
            },
            [&] {
                const QString folder = s.freshFolder();
                const ProcessRun r =
                    runProcess(u"curl"_s, {u"-s"_s, u"-f"_s, u"-o"_s, folder + u"/f"_s, s.url(fileName(1))},
                               s.environment);
                s.removeFolder(folder);
                return r;
            });
    }
    if (!p.ok) {
        state.SkipWithError("a run failed");
        return;
    }
    const Spread ratio = spreadOf(p.ratios);
    state.counters["ms"] = spreadOf(p.ourSeconds).median * 1000;
    state.counters["curl_ms"] = spreadOf(p.curlSeconds).median * 1000;
    state.counters["ratio_to_curl"] = ratio.median;
    state.counters["peak_MB"] = spreadOf(p.ourPeak).median;
    table().push_back({u"one file of 16 KB, method "_s + method,
                       seconds(spreadOf(p.ourSeconds)) + u", "_s + megabytes(spreadOf(p.ourPeak)),
                       seconds(spreadOf(p.curlSeconds)) + u", "_s + megabytes(spreadOf(p.curlPeak)),
                       QString::number(ratio.median, 'f', 2) + u'x'});
}
BENCHMARK(oneSmallFile)
    ->Arg(2)
    ->Arg(1)
    ->ArgName("method")
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// 300 files with six slots; curl fetches them six at a time as well (--parallel).
void manySmallFiles(benchmark::State& state) {
    if (failed(state))
        return;
    Setup& s = setup();
    QStringList urls;
    for (int i = 1; i <= kManyFiles; ++i)
        urls << s.url(fileName(i));
    Pair p;
    for (auto _ : state) {
        p = runPairs(
            7,
            [&] {
                const QString folder = s.freshFolder();
                const ProcessRun r = runProcess(s.program,
                                                QStringList{u"download"_s, u"--method"_s, u"2"_s,
                                                            u"--slots"_s, u"6"_s, u"--folder"_s, folder} +
                                                    urls,
                                                s.environment);
                const bool whole = QDir(folder).entryList(QDir::Files).size() == kManyFiles;
                s.removeFolder(folder);
                return whole ? r : ProcessRun{};
            },
            [&] {
                const QString folder = s.freshFolder();
                QStringList args{u"-s"_s, u"-f"_s, u"--parallel"_s, u"--parallel-max"_s, u"6"_s};
                for (int i = 0; i < kManyFiles; ++i)
                    args << u"-o"_s << folder + u'/' + fileName(i + 1) << urls.at(i);
                const ProcessRun r = runProcess(u"curl"_s, args, s.environment);
                s.removeFolder(folder);
                return r;
            });
    }
    if (!p.ok) {
        state.SkipWithError("a run failed");
        return;
    }
    const Spread ours = spreadOf(p.ourSeconds);
    const Spread curl = spreadOf(p.curlSeconds);
    auto rate = [](const Spread& s) -> QString {
        return QString::number(kManyFiles / s.median, 'f', 0) + u" files/s ("_s +
               QString::number(kManyFiles / s.max, 'f', 0) + u'-' +
               QString::number(kManyFiles / s.min, 'f', 0) + u')';
    };
    state.counters["files_per_s"] = kManyFiles / ours.median;
    state.counters["curl_files_per_s"] = kManyFiles / curl.median;
    state.counters["peak_MB"] = spreadOf(p.ourPeak).median;
    table().push_back({u"300 files of 16 KB, method 2, 6 slots"_s,
                       rate(ours) + u", "_s + megabytes(spreadOf(p.ourPeak)),
                       rate(curl) + u", "_s + megabytes(spreadOf(p.curlPeak)),
                       QString::number(spreadOf(p.ratios).median, 'f', 2) + u"x time"_s});
}
BENCHMARK(manySmallFiles)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

void oneLargeFile(benchmark::State& state) {
    if (failed(state))
        return;
    Setup& s = setup();
    const QString method = QString::number(state.range(0));
    Pair p;
    for (auto _ : state) {
        p = runPairs(
            7,
            [&] {
                const QString folder = s.freshFolder();
                const ProcessRun r = runProcess(s.program,
                                                {u"download"_s, u"--method"_s, method, u"--max-size"_s,
                                                 u"2048"_s, u"--folder"_s, folder, s.url(u"large.bin"_s)},
                                                s.environment);
                const bool whole = QFileInfo(folder + u"/large.bin"_s).size() == kLargeBytes;
                s.removeFolder(folder);
                return whole ? r : ProcessRun{};
            },
            [&] {
                const QString folder = s.freshFolder();
                const ProcessRun r = runProcess(
                    u"curl"_s, {u"-s"_s, u"-f"_s, u"-o"_s, folder + u"/large.bin"_s, s.url(u"large.bin"_s)},
                    s.environment);
                s.removeFolder(folder);
                return r;
            });
    }
    if (!p.ok) {
        state.SkipWithError("a run failed");
        return;
    }
    const Spread ours = spreadOf(p.ourSeconds);
    const Spread curl = spreadOf(p.curlSeconds);
    auto rate = [](const Spread& s) -> QString {
        return QString::number(1024 / s.median, 'f', 0) + u" MB/s"_s;
    };
    state.counters["seconds"] = ours.median;
    state.counters["curl_seconds"] = curl.median;
    state.counters["ratio_to_curl"] = spreadOf(p.ratios).median;
    state.counters["peak_MB"] = spreadOf(p.ourPeak).median;
    state.counters["curl_peak_MB"] = spreadOf(p.curlPeak).median;
    table().push_back({u"1 GiB, method "_s + method,
                       seconds(ours) + u", "_s + rate(ours) + u", peak "_s + megabytes(spreadOf(p.ourPeak)),
                       seconds(curl) + u", "_s + rate(curl) + u", peak "_s + megabytes(spreadOf(p.curlPeak)),
                       QString::number(spreadOf(p.ratios).median, 'f', 2) + u'x'});
}
BENCHMARK(oneLargeFile)
    ->Arg(2)
    ->Arg(1)
    ->ArgName("method")
    ->Iterations(1)
    ->Unit(benchmark::kSecond)
    ->UseRealTime();

double loadAverage() {
    double load[3] = {0, 0, 0};
    getloadavg(load, 3);
    return load[0];
}

void printTable(double loadAtStart) {
    if (table().empty())
        return;
    printf("\nMedians (min-max), peak memory of the process; load average %.2f at the start, %.2f at the "
           "end:\n\n",
           loadAtStart, loadAverage());
    printf("| Benchmark | mojing | curl | mojing / curl |\n|---|---|---|---|\n");
    for (const Row& r : table())
        printf("| %s | %s | %s | %s |\n", qPrintable(r.what), qPrintable(r.ours), qPrintable(r.curl),
               qPrintable(r.ratio));
}

} // namespace

int main(int argc, char** argv) {
    const double loadAtStart = loadAverage();
    const int code = runBenchmarks<QCoreApplication>(argc, argv);
    printTable(loadAtStart);
    return code;
}
