#include "DownloadCommand.h"

#include "ConsolePrompts.h"
#include "ConsoleShell.h"
#include "DownloadArguments.h"
#include "articles/ArticleResolver.h"
#include "downloads/ArticleRows.h"
#include "downloads/DownloadEngine.h"
#include "downloads/DownloadManifest.h"
#include "downloads/DownloadPacing.h"
#include "downloads/DownloadSession.h"
#include "downloads/ReferenceExport.h"
#include "downloads/SiteLogin.h"
#include "platform/AnsiCodec.h"
#include "platform/EventPump.h"
#include "platform/Timing.h"
#include "program/AppContext.h"
#include "program/ProgramState.h"
#include "settings/SettingsStore.h"
#include "transfer/NetworkLayer.h"

#include <QEventLoop>
#include <QHash>
#include <QSocketNotifier>
#include <QTimer>
#include <csignal>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace mojing {

namespace {

// How often --auto-retry queues failed rows again before the run gives up on them.
constexpr int kRetryRounds = 3;
constexpr int kBarWidth = 30;

// Ctrl-C arrives as a signal; the handler only writes a byte that the event loop then reads.
int g_interruptPipe[2] = {-1, -1};

void onInterrupt(int) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(g_interruptPipe[1], &byte, 1);
}

class InterruptWatch {
public:
    InterruptWatch() {
        if (::pipe(g_interruptPipe) != 0)
            return;
        struct sigaction action = {};
        action.sa_handler = onInterrupt;
        sigemptyset(&action.sa_mask);
        ::sigaction(SIGINT, &action, &m_previous);
        m_notifier = std::make_unique<QSocketNotifier>(g_interruptPipe[0], QSocketNotifier::Read);
    }
    ~InterruptWatch() {
        m_notifier.reset();
        if (g_interruptPipe[0] >= 0) {
            ::sigaction(SIGINT, &m_previous, nullptr);
            ::close(g_interruptPipe[0]);
            ::close(g_interruptPipe[1]);
            g_interruptPipe[0] = g_interruptPipe[1] = -1;
        }
    }
    QSocketNotifier* notifier() { return m_notifier.get(); }
    void drain() {
        char buffer[16];
        [[maybe_unused]] const ssize_t n = ::read(g_interruptPipe[0], buffer, sizeof buffer);
    }

private:
    struct sigaction m_previous = {};
    std::unique_ptr<QSocketNotifier> m_notifier;
};

QString stateWord(RowState state) {
    switch (state) {
    case RowState::Waiting:
        return u"waiting"_s;
    case RowState::Downloading:
        return u"downloading"_s;
    case RowState::Finished:
        return u"finished"_s;
    case RowState::Failed:
        break;
    }
    return u"failed"_s;
}

QString tooLargeText(double limitMB) {
    return u"over the size limit ("_s + QString::number(limitMB) + u" MB)"_s;
}

QString fileLabel(const DownloadRow& row) {
    return row.type.isEmpty() ? row.name : row.name + u'.' + row.type;
}

// Whole seconds left until `untilMs`, rounded up.
qint64 secondsLeft(qint64 untilMs, qint64 nowMs) {
    return std::max<qint64>(0, (untilMs - nowMs + 999) / 1000);
}

// Progress display: live lines on a terminal, one line per finished row otherwise.
class ProgressReport {
public:
    ProgressReport(const DownloadListModel& list, const HostPauses& pauses, const Timing& timing,
                   QTextStream& out, bool live, double limitMB)
        : m_list(list), m_pauses(pauses), m_timing(timing), m_out(out), m_live(live), m_limitMB(limitMB),
          m_reported(size_t(list.count()), false) {}

    void update() {
        if (m_live)
            redraw();
        else
            reportFinishedRows();
    }
    void finish() {
        if (m_live) {
            clearLive();
            m_out.flush();
        }
        reportFinishedRows();
    }

private:
    void reportFinishedRows() {
        // Rows are listed once their inputs are resolved.
        if (m_reported.size() < size_t(m_list.count()))
            m_reported.resize(size_t(m_list.count()), false);
        for (int i = 0; i < m_list.count(); ++i) {
            const DownloadRow& r = m_list.at(i);
            const bool ended = r.state == RowState::Finished || r.state == RowState::Failed;
            if (!ended)
                m_reported[size_t(i)] = false; // queued again: its next end is news
            if (m_reported[size_t(i)] || !ended)
                continue;
            m_reported[size_t(i)] = true;
            if (m_live)
                continue; // the live view shows them in its totals
            // "大文件，跳过" reads as finished in the list; here it is said plainly.
            if (r.percent == DownloadListModel::kTooLarge)
                m_out << u"skipped\t"_s << fileLabel(r) << u'\t' << tooLargeText(m_limitMB) << u'\n';
            else
                m_out << stateWord(r.state) << u'\t' << fileLabel(r) << u'\t'
                      << (r.state == RowState::Finished ? r.percent : r.size) << u'\n';
        }
        m_out.flush();
    }
    void clearLive() {
        if (m_lines > 0)
            m_out << u"\x1b["_s << m_lines << u"F\x1b[J"_s;
        m_lines = 0;
    }
    void redraw() {
        clearLive();
        int done = 0;
        for (int i = 0; i < m_list.count(); ++i) {
            const DownloadRow& r = m_list.at(i);
            if (r.state == RowState::Finished || r.state == RowState::Failed)
                ++done;
            if (r.state != RowState::Downloading)
                continue;
            m_out << u"  "_s << fileLabel(r).left(48) << u"  "_s
                  << (r.received.isEmpty() ? u"0"_s : r.received) << u'/'
                  << (r.size.isEmpty() ? u"?"_s : r.size) << u"  "_s << r.percent << u'\n';
            ++m_lines;
        }
        const qint64 now = m_timing.nowMs();
        for (const HostPauses::Entry& pause : m_pauses.active(now)) {
            m_out << u"  waiting for "_s << pause.host << u" (it asked for a pause): "_s
                  << secondsLeft(pause.untilMs, now) << u" s left\n"_s;
            ++m_lines;
        }
        const int total = qMax(1, m_list.count());
        const int filled = done * kBarWidth / total;
        m_out << u'[' << QString(filled, u'#') << QString(kBarWidth - filled, u'-') << u"] "_s << done << u'/'
              << m_list.count() << u"  "_s << m_list.countsText() << u'\n';
        ++m_lines;
        m_out.flush();
    }

    const DownloadListModel& m_list;
    const HostPauses& m_pauses;
    const Timing& m_timing;
    QTextStream& m_out;
    bool m_live;
    double m_limitMB;
    std::vector<bool> m_reported;
    int m_lines = 0;
};

// The site login of a run: automatic after every transfer that ends as a web page, holding new rows
// while it runs; with --auto-retry the web-page rows (rows that met an expired session) come back.
// `account` must outlive the result.
std::unique_ptr<SiteLoginPage> attachSiteLogin(const SiteLoginPageFactory& makePage,
                                               const LoginAccount& account, DownloadSession& session,
                                               NetworkLayer& network, AppContext& context, QTextStream& err) {
    std::unique_ptr<SiteLoginPage> page = makePage(network, context);
    SiteLogin* login = &page->login();
    session.options().siteLogin = true;
    if (session.options().autoRetry)
        session.options().autoRetryMode = 2;
    QObject::connect(&session, &DownloadSession::siteLoginRequested, login,
                     [login, &account](int) { login->run(account, false); });
    QObject::connect(login, &SiteLogin::runningChanged, &session, [&session, &account, &err](bool running) {
        session.setSiteLoginRunning(running);
        if (running) {
            err << u"mojing download: site login at "_s << account.address << u'\n';
            err.flush();
        }
    });
    QObject::connect(login, &SiteLogin::autoLoginCleared, &session,
                     [&session] { session.options().siteLogin = false; });
    return page;
}

int runDownload(const SiteLoginPageFactory& makeLoginPage, const QStringList& args, QTextStream& out,
                QTextStream& err) {
    SettingsStore settings(SettingsStore::defaultPath());
    QString error;
    std::optional<DownloadArguments> parsed = DownloadArguments::parse(args, settings, error);
    if (!parsed) {
        err << u"mojing download: "_s << error << u"\nusage: mojing "_s << DownloadArguments::usage()
            << u'\n';
        return 2;
    }
    const DownloadArguments& request = *parsed;
    for (const QString& warning : request.warnings)
        err << u"mojing download: warning: "_s << warning << u'\n';
    if (!request.loginUrl.isEmpty() && !makeLoginPage) {
        err << u"mojing download: the site login needs the browser engine, which this build does not have "
               "(built with MOJING_GUI=OFF)\n"_s;
        return 2;
    }
    LoginAccount account;
    if (!request.loginUrl.isEmpty()) {
        account.address = request.loginUrl;
        account.mode = request.ipLogin ? LoginMode::Ip : LoginMode::Account;
        account.account = request.account;
        error.clear();
        if (!request.ipLogin)
            account.password = DownloadArguments::readPassword(request.passwordFile, error);
        if (!error.isEmpty() || !account.missingData().isEmpty()) {
            err << u"mojing download: "_s << (error.isEmpty() ? account.missingData() : error) << u'\n';
            return 2;
        }
    }
    ConsolePrompts prompts(err);
    ConsoleShell shell;
    EventPump pump;
    const Timing timing;
    const AnsiCodec codec;
    ProgramState state;
    state.maxFileSizeMB = request.options.maxFileSizeMB;
    AppContext context{settings, prompts, shell, pump, timing, codec, state};

    std::vector<DownloadArguments::Entry> entries;
    if (!request.listFile.isEmpty()) {
        int skipped = 0;
        entries = DownloadArguments::readList(request.listFile, request.folder, codec, error, &skipped);
        if (entries.empty()) {
            err << u"mojing download: "_s << error << u'\n';
            return 2;
        }
        if (skipped > 0)
            err << u"mojing download: skipped "_s << skipped
                << u" row(s) of the saved list that could not be read\n"_s;
    } else {
        for (const QString& input : request.urls)
            entries.push_back(DownloadArguments::entryForInput(input, request.folder, codec));
    }
    // DOIs, and addresses that may be article pages, are resolved before anything downloads.
    std::vector<ArticleInput> toResolve;
    std::vector<size_t> resolvedEntry; // toResolve[i] is entries[resolvedEntry[i]]
    for (size_t i = 0; i < entries.size(); ++i) {
        if (entries[i].fromSavedList)
            continue; // the download window made it a row already
        const std::optional<ArticleInput> input = ArticleInputParser::parse(entries[i].input);
        if (input && input->kind != ArticleInput::Kind::FileAddress) {
            toResolve.push_back(*input);
            resolvedEntry.push_back(i);
        }
    }
    std::vector<std::optional<ResolvedArticle>> resolutions(entries.size());

    DownloadSession session(context);
    session.options() = request.options;
    QHash<QString, QString> requestedTypes; // key -> the type the row was asked for

    // A row got what it asked for: finished, and not a web page in place of another type (a
    // server's error page or a login page).
    auto gotWhatWasAsked = [&](int i) {
        const DownloadRow& r = session.list().at(i);
        const QString asked = requestedTypes.value(r.key);
        const bool errorPage = (DownloadListOps::isWebPageType(r.type, false) && !asked.isEmpty() &&
                                !DownloadListOps::isWebPageType(asked, true)) ||
                               DownloadListModel::isErrorPageText(r.size);
        // The list counts a file over the size limit as done with; it did not arrive.
        const bool tooLarge = r.percent == DownloadListModel::kTooLarge;
        return r.state == RowState::Finished && !errorPage && !tooLarge;
    };
    auto countGood = [&] {
        int good = 0;
        for (int i = 0; i < session.list().count(); ++i)
            good += gotWhatWasAsked(i) ? 1 : 0;
        return good;
    };

    DownloadManifest manifest(session);
    if (!request.manifest.isEmpty() && !manifest.open(request.manifest, error)) {
        err << u"mojing download: "_s << error << u'\n';
        return 2;
    }

    NetworkLayer network;
    DownloadEngine engine(session, network);
    Scheduler& scheduler = engine.scheduler();
    DownloadPacing pacing(session, scheduler);
    ArticleResolver resolver(network, pacing, timing, codec);
    resolver.setResolverBase(request.resolver.isEmpty() ? ArticleResolver::storedResolverBase(settings)
                                                        : request.resolver);
    QObject::connect(
        &resolver, &ArticleResolver::resolved, &resolver, [&](int index, const ResolvedArticle& result) {
            resolutions[resolvedEntry[size_t(index)]] = result;
            if (!result.ok())
                err << u"mojing download: "_s << result.failure << u": "_s << result.input.text << u'\n';
        });
    // No ticks to wait for: the first row starts at once, and the run ends with its last row.
    scheduler.setImmediate(true);
    SiteLogin* login = nullptr;
    std::unique_ptr<SiteLoginPage> loginPage;
    if (!account.address.isEmpty()) {
        loginPage = attachSiteLogin(makeLoginPage, account, session, network, context, err);
        login = &loginPage->login();
        // Rows held back while the login ran go on the moment it ends.
        QObject::connect(login, &SiteLogin::runningChanged, &scheduler, [&scheduler](bool running) {
            if (!running)
                QTimer::singleShot(0, &scheduler, &Scheduler::wake);
        });
    }
    int rounds = 0;
    int goodBefore = 0;
    QObject::connect(&scheduler, &Scheduler::listFinished, &scheduler, [&] {
        // With a site login, a round that brought new files does not count: sessions expire
        // after some files, and each expiry costs a round.
        const int good = countGood();
        if (login && good > goodBefore)
            rounds = 0;
        goodBefore = good;
        if (++rounds > kRetryRounds)
            session.options().autoRetry = false;
    });

    bool interrupted = false;
    InterruptWatch interrupt;
    if (QSocketNotifier* n = interrupt.notifier()) {
        QObject::connect(n, &QSocketNotifier::activated, n, [&] {
            interrupt.drain();
            if (interrupted)
                return;
            interrupted = true;
            err << u"\nmojing download: stopping\n"_s;
            err.flush();
            resolver.stop();
            scheduler.stop();
        });
    }

    const bool live = ::isatty(STDOUT_FILENO) == 1;
    ProgressReport report(session.list(), scheduler.hostPauses(), timing, out, live,
                          session.options().maxFileSizeMB);
    QObject::connect(&scheduler, &Scheduler::hostPaused, &scheduler,
                     [&](const QString& host, qint64 untilMs) {
                         if (live)
                             return; // the live view shows the pause and counts it down
                         err << u"mojing download: "_s << host << u" asked for a pause; its rows wait "_s
                             << secondsLeft(untilMs, timing.nowMs()) << u" s\n"_s;
                         err.flush();
                     });
    QEventLoop loop;
    bool rowsListed = false;
    auto checkEnd = [&] {
        report.update();
        if (!rowsListed) {
            // Stopped while logging in or resolving: nothing was listed yet.
            if (interrupted && !resolver.isRunning())
                loop.quit();
            return;
        }
        // A login under way may still bring rows back, unless the user stopped.
        const bool loginBusy = login && login->isRunning() && !interrupted;
        const bool settled = !scheduler.isRunning() && engine.idle() && !loginBusy;
        if (settled && (interrupted || session.list().isListFinished()))
            loop.quit();
    };
    // Checked as soon as a row's end has been dealt with (the scheduler's own reaction runs
    // first), and by a watch that also redraws the live view.
    QObject::connect(&session, &DownloadSession::rowEnded, &loop,
                     [&] { QTimer::singleShot(0, &loop, checkEnd); });
    QObject::connect(&scheduler, &Scheduler::runningChanged, &loop,
                     [&] { QTimer::singleShot(0, &loop, checkEnd); });
    QTimer watch;
    watch.setInterval(live ? int(timing.tick.count() / 4) : int(timing.tick.count()));
    QObject::connect(&watch, &QTimer::timeout, &loop, checkEnd);

    // The rows, in the order given: resolved inputs as their articles (or failures), the others
    // as they were asked for.
    auto listRows = [&] {
        if (interrupted || rowsListed)
            return;
        rowsListed = true;
        std::vector<int> failedRows;
        for (size_t i = 0; i < entries.size(); ++i) {
            const DownloadArguments::Entry& e = entries[i];
            DownloadRow row;
            QString asked = e.type;
            if (const std::optional<ResolvedArticle>& resolved = resolutions[i]) {
                row = ArticleRows::rowFor(*resolved, e.folder, request.referer, codec);
                if (e.named) {
                    row.name = e.name;
                    row.nameGiven = true;
                }
                if (!e.type.isEmpty())
                    row.type = e.type;
                asked = row.type;
            } else {
                row.key = e.url;
                row.name = e.name;
                row.type = e.type;
                row.folder = e.folder;
                row.tag = e.referer.isEmpty() ? request.referer : e.referer;
                row.article = e.article;
                row.nameGiven = e.named;
            }
            if (!session.list().appendRow(row)) {
                err << u"mojing download: listed twice, fetched once: "_s << e.input << u'\n';
                continue;
            }
            requestedTypes.insert(row.key, asked);
            manifest.setRequestedAddress(row.key, e.input);
            if (row.state == RowState::Failed)
                failedRows.push_back(session.list().count() - 1);
        }
        // Inputs that could not be resolved end here; the record says so.
        for (int row : failedRows) {
            RowOutcome outcome;
            outcome.row = row;
            outcome.requestedUrl = session.list().at(row).key;
            session.reportRowEnded(outcome);
        }
        // The pause is one between files: the first file has none before it (unless article
        // pages were read just now).
        if (toResolve.empty())
            session.lastTransferEndMs =
                timing.nowMs() - (qint64(session.options().pauseSeconds) + 1) * timing.tick.count();
        scheduler.start();
    };
    auto resolveInputs = [&] {
        if (interrupted || resolver.isRunning() || rowsListed)
            return;
        if (toResolve.empty()) {
            listRows();
            return;
        }
        err << u"mojing download: resolving "_s << toResolve.size() << u" DOIs and article pages\n"_s;
        err.flush();
        resolver.resolve(toResolve);
    };
    QObject::connect(&resolver, &ArticleResolver::finished, &loop, listRows);

    session.lastTransferEndMs =
        timing.nowMs() - (qint64(session.options().pauseSeconds) + 1) * timing.tick.count();
    scheduler.startStatusTimer();
    // Article pages and the first rows wait for the first login.
    if (login) {
        QObject::connect(login, &SiteLogin::runningChanged, &loop, [&](bool running) {
            if (!running)
                QTimer::singleShot(0, &loop, resolveInputs);
        });
        login->run(account, true);
    }
    if (!login || !login->isRunning())
        QTimer::singleShot(0, &loop, resolveInputs);
    watch.start();
    loop.exec();
    watch.stop();
    scheduler.stopStatusTimer();
    report.finish();

    const DownloadListModel& list = session.list();
    out << list.countsText() << u'\n';
    bool allFinished = true;
    for (int i = 0; i < list.count(); ++i) {
        const DownloadRow& r = list.at(i);
        if (r.percent == DownloadListModel::kTooLarge)
            err << u"mojing download: not fetched, "_s << tooLargeText(session.options().maxFileSizeMB)
                << u": "_s << fileLabel(r) << u'\n';
        allFinished = allFinished && gotWhatWasAsked(i);
        out << int(r.state) << u'\t' << r.name << u'\t' << r.type << u'\t' << r.size << u'\t' << r.percent
            << u'\t' << list.filePath(i) << u'\n';
    }
    out.flush();

    // References of the files that arrived, whole, however the run ended.
    const ReferenceEntries arrived = ReferenceExport::finishedEntries(list, gotWhatWasAsked);
    bool referencesWritten = true;
    for (const auto& [path, format] : {std::pair{request.bibTexFile, ReferenceExport::Format::BibTex},
                                       std::pair{request.risFile, ReferenceExport::Format::Ris}}) {
        if (path.isEmpty())
            continue;
        if (!ReferenceExport::saveWhole(path, ReferenceExport::render(format, arrived), error)) {
            err << u"mojing download: cannot write "_s << path << u": "_s << error << u'\n';
            referencesWritten = false;
        }
    }
    return allFinished && rowsListed && referencesWritten ? 0 : 1;
}

} // namespace

CliCommand downloadCommand(SiteLoginPageFactory siteLoginPage) {
    return {u"download"_s,
            DownloadArguments::usage() +
                u"\nrun the download manager without a window; --list reads url TAB name [TAB type "
                "[TAB folder]] lines, or the download window's saved list; DOIs and article pages are "
                "resolved to their PDFs first (see resolve); --naming names the files after their "
                "articles, e.g. \"{author} {year} {title}\" (fields: title author authors year journal "
                "doi); --bibtex and --ris write references of the files that arrived"_s,
            [siteLoginPage](const QStringList& args, QTextStream& out, QTextStream& err) {
                return runDownload(siteLoginPage, args, out, err);
            }};
}

} // namespace mojing
