#include "Scheduler.h"

#include "ArticleRows.h"
#include "DownloadListOps.h"
#include "DownloadSession.h"
#include "Naming.h"
#include "RowFiles.h"
#include "TransferMethods.h"
#include "articles/NamingTemplate.h"
#include "platform/FileHelpers.h"
#include "platform/Prompts.h"
#include "platform/Timing.h"
#include "transfer/HeaderHelpers.h"
#include "transfer/KeptParts.h"

#include <QDateTime>
#include <limits>
#include <vector>

using namespace Qt::StringLiterals;

namespace mojing {

namespace {
constexpr int kMaxSlots = 6;
} // namespace

Scheduler::Scheduler(DownloadSession& session, TransferMethods& methods, QObject* parent)
    : QObject(parent), m_session(session), m_methods(methods), m_ops(session) {
    const int tick = int(session.context().timing.tick.count());
    m_down.setInterval(tick);
    m_status.setInterval(tick);
    connect(&m_down, &QTimer::timeout, this, &Scheduler::schedulerTick);
    connect(&m_status, &QTimer::timeout, this, &Scheduler::statusTick);
    m_slotRows.fill(-1);
    // A method-1 row runs on after the tick that started it; the channel is free once it ends.
    m_methods.setMethod1Finished([this](int) { m_transferBusy = false; });
    connect(&session, &DownloadSession::rowEnded, this, &Scheduler::onRowEnded);
    m_wakeTimer.setSingleShot(true);
    connect(&m_wakeTimer, &QTimer::timeout, this, &Scheduler::wake);
}

Scheduler::~Scheduler() {
    m_methods.setMethod1Finished(nullptr);
}

int Scheduler::slotRow(int slot) const {
    return slot >= 0 && slot < kSlotEntries ? m_slotRows[size_t(slot)] : -1;
}

void Scheduler::setRunning(bool running) {
    if (running == m_down.isActive())
        return;
    if (running)
        m_down.start();
    else
        m_down.stop();
    emit runningChanged(running);
}

void Scheduler::start() {
    setRunning(true);
    if (m_immediate && !m_wakeQueued) {
        m_wakeQueued = true;
        QTimer::singleShot(0, this, &Scheduler::wake);
    }
}

void Scheduler::wake() {
    m_wakeQueued = false;
    statusTick();
    if (!isRunning())
        return;
    schedulerTick();
    armWake();
}

void Scheduler::armWake() {
    if (!m_immediate || !isRunning())
        return;
    const Timing& timing = m_session.context().timing;
    const qint64 now = timing.nowMs();
    const qint64 pauseMs = qint64(m_session.options().pauseSeconds) * timing.tick.count();
    // The first moment the pause between files lets a row start (the tick's own test).
    qint64 next = m_session.lastTransferEndMs + pauseMs + 1;
    if (next <= now)
        next = 0;
    const qint64 hostEnd = m_pauses.nextEndMs(now);
    if (hostEnd > 0 && (next == 0 || hostEnd < next))
        next = hostEnd;
    if (next > 0)
        m_wakeTimer.start(int(std::min<qint64>(next - now, std::numeric_limits<int>::max())));
}

void Scheduler::onRowEnded(const RowOutcome& outcome) {
    if (HeaderHelpers::asksForPause(outcome.httpStatus)) {
        const Timing& timing = m_session.context().timing;
        const qint64 until = timing.nowMs() + HostPauses::durationMs(outcome.retryAfter, timing,
                                                                     QDateTime::currentDateTimeUtc());
        // The host the row names and the one that answered (after redirects) both rest: rows
        // that name either would meet the same server.
        QStringList hosts;
        for (const QString& url : {outcome.requestedUrl, outcome.finalUrl}) {
            const QString host = HostPauses::hostOf(url);
            if (!host.isEmpty() && !hosts.contains(host))
                hosts << host;
        }
        for (const QString& host : hosts)
            emit hostPaused(host, m_pauses.pause(host, until));
    }
    if (m_immediate && !m_wakeQueued) {
        m_wakeQueued = true;
        QTimer::singleShot(0, this, &Scheduler::wake);
    }
}

void Scheduler::pauseHost(const QString& host, qint64 untilMs) {
    if (!host.isEmpty())
        emit hostPaused(host, m_pauses.pause(host, untilMs));
}

void Scheduler::reportEndedHere(int row) {
    RowOutcome outcome;
    outcome.row = row;
    outcome.requestedUrl = DownloadListModel::currentUrl(m_session.list().at(row).key);
    m_session.reportRowEnded(outcome);
}

bool Scheduler::heldByHostPause(int row, qint64 nowMs) const {
    return m_pauses.isPaused(HostPauses::hostOf(DownloadListModel::currentUrl(m_session.list().at(row).key)),
                             nowMs);
}

void Scheduler::stop() {
    DownloadOptions& options = m_session.options();
    options.autoStart = false;
    options.autoRetry = false;
    emit autoOptionsCleared();
    m_session.notifyOptionsChanged();

    m_methods.cancelMethod1();
    setRunning(false);
    m_transferBusy = false;
    m_methods.cancelMethod1();

    // Slot rows whose download is ended here; their files hold only what arrived so far.
    std::vector<int> slotRows;
    for (int slot = 1; slot <= kMaxSlots; ++slot) {
        if (m_methods.method2SlotBusy(slot))
            slotRows.push_back(slotRow(slot));
    }
    m_methods.unloadAllSlots();

    DownloadListModel& list = m_session.list();
    for (int row : slotRows) {
        // The same as a cancelled method-1 transfer: no placeholder stays behind to push the next
        // attempt to a "[001]" name, and nothing is kept for resuming either. Whatever else stands
        // under the row's name (the file an overwrite was to replace) is not the row's.
        if (list.isValidIndex(row) && list.at(row).state == RowState::Downloading &&
            !list.at(row).folder.trimmed().isEmpty()) {
            RowFiles::release(list, row);
            KeptParts::discard(list.at(row).folder, DownloadListModel::currentUrl(list.at(row).key));
        }
    }
    std::vector<int> stopped;
    for (int i = 0; i < list.count(); ++i) {
        if (list.at(i).state == RowState::Downloading) {
            list.setState(i, RowState::Failed);
            stopped.push_back(i);
        }
    }
    m_transferBusy = false;
    for (int row : stopped)
        reportEndedHere(row);
}

void Scheduler::startStatusTimer() {
    m_status.start();
}

void Scheduler::stopStatusTimer() {
    m_status.stop();
}

bool Scheduler::anySlotBusy() const {
    const int slotTotal = qBound(1, m_session.options().slotCount, kMaxSlots);
    for (int slot = 1; slot <= slotTotal; ++slot) {
        if (m_methods.method2SlotBusy(slot))
            return true;
    }
    return false;
}

bool Scheduler::prepareRow(int row, bool createFolder) {
    DownloadListModel& list = m_session.list();
    AppContext& context = m_session.context();
    const DownloadRow& r = list.at(row);
    const std::optional<NamingTemplate> naming = NamingTemplate::parse(m_session.options().namingTemplate);
    list.setName(row, naming && !r.nameGiven
                          ? naming->fileName(ArticleRows::articleOf(r), r.name, context.codec)
                          : FileHelpers::sanitizeFileName(r.name, context.codec));
    QString folder = list.at(row).folder;
    if (createFolder) {
        folder = FileHelpers::createFolderPath(folder, context.codec, &context.prompts);
        if (folder.isEmpty()) {
            // Without a folder the target would resolve against the file-system root; the row
            // fails here instead of writing there.
            list.setSize(row, DownloadListModel::kFailed);
            list.setState(row, RowState::Failed);
            reportEndedHere(row);
            return false;
        }
    }
    list.setFolder(row, FileHelpers::withTrailingSeparator(folder));
    if (Naming::needsDownload(m_session, row))
        return true;
    if (list.at(row).state != RowState::Waiting)
        reportEndedHere(row); // skipped as already there
    return false;
}

void Scheduler::tickMethod1() {
    if (m_transferBusy)
        return;
    DownloadListModel& list = m_session.list();
    const qint64 now = m_session.context().timing.nowMs();
    const bool pausesActive = !m_pauses.noneActive(now);
    for (int row = 0; row < list.count(); ++row) {
        if (list.at(row).state != RowState::Waiting || (pausesActive && heldByHostPause(row, now)) ||
            !prepareRow(row, false))
            continue;
        list.setState(row, RowState::Downloading);
        if (m_session.options().autoLocate)
            emit m_session.scrollToRowRequested(row);
        list.clearProgress(row);
        m_slotRows[1] = row;
        m_transferBusy = true;
        m_methods.startMethod1(row); // its end clears the flag, perhaps before this returns
        return;
    }
}

void Scheduler::tickMethod2() {
    DownloadListModel& list = m_session.list();
    const int slotTotal = qBound(1, m_session.options().slotCount, kMaxSlots);
    const qint64 now = m_session.context().timing.nowMs();
    const bool pausesActive = !m_pauses.noneActive(now);
    int scanFrom = 0; // rows before it hold no startable row any more during this tick
    for (int slot = 1; slot <= slotTotal; ++slot) {
        if (m_methods.method2SlotBusy(slot))
            continue;
        int taken = -1;
        for (int row = scanFrom; row < list.count(); ++row) {
            if (list.at(row).state == RowState::Waiting && !(pausesActive && heldByHostPause(row, now)) &&
                prepareRow(row, true)) {
                taken = row;
                break;
            }
        }
        if (taken < 0)
            return; // no waiting row left for any further slot either
        scanFrom = taken + 1;
        const DownloadRow& r = list.at(taken);
        list.setState(taken, RowState::Downloading);
        if (m_session.options().autoLocate)
            emit m_session.scrollToRowRequested(taken);
        const Naming::TargetChoice target =
            Naming::chooseTarget(r.folder, r.name, r.type, m_session.options().policy);
        list.setName(taken, target.name);
        m_slotRows[size_t(slot)] = taken;
        m_transferBusy = true;
        m_methods.startMethod2(slot, taken, DownloadListModel::currentUrl(list.at(taken).key), target.path);
    }
}

void Scheduler::schedulerTick() {
    if (m_session.list().count() == 0) {
        setRunning(false);
        return;
    }
    const Timing& timing = m_session.context().timing;
    // The pause is counted in ticks (one second each at the normal pace).
    const qint64 pauseMs = qint64(m_session.options().pauseSeconds) * timing.tick.count();
    if (qAbs(timing.nowMs() - m_session.lastTransferEndMs) <= pauseMs)
        return;
    if (m_session.siteLoginRunning())
        return;
    if (m_session.options().usesMethod1())
        tickMethod1();
    else
        tickMethod2();
}

void Scheduler::statusTick() {
    DownloadListModel& list = m_session.list();
    DownloadOptions& options = m_session.options();

    bool startEnabled = !isRunning();
    if (list.isListFinished()) {
        startEnabled = true;
        if (isRunning()) {
            setRunning(false);
            m_session.playSound(kSoundListDone);
            emit listFinished();
        }
    }
    if (startEnabled != m_startEnabled) {
        m_startEnabled = startEnabled;
        emit startEnabledChanged(startEnabled);
    }

    if (isRunning() != m_indicatorVisible) {
        m_indicatorVisible = isRunning();
        emit indicatorVisibleChanged(m_indicatorVisible);
    }

    if (options.usesMethod1()) {
        if (!m_methods.method1Executing() && !isRunning())
            m_transferBusy = false;
    } else {
        if (anySlotBusy())
            m_transferBusy = true;
        if (!isRunning())
            m_transferBusy = false;
    }

    m_session.showListCounts();

    if (options.autoStart && list.countNotStarted() >= 1)
        setRunning(true);

    if (options.autoRetry && !isRunning()) {
        // Parts kept from broken-off transfers stay: the next attempt asks for the rest.
        using Partial = DownloadListOps::Partial;
        switch (options.autoRetryMode) {
        case 0:
            m_ops.requeueFailedRows(Partial::Keep);
            break;
        case 1:
            m_ops.requeueWebPageRows(Partial::Keep);
            break;
        default:
            m_ops.requeueFailedRows(Partial::Keep);
            m_ops.requeueWebPageRows(Partial::Keep);
            break;
        }
        // Restarting a list with nothing to fetch would only end it again on the next tick
        // (and sound the end-of-list notice every second).
        if (list.countInState(RowState::Waiting) > 0)
            setRunning(true);
    }

    if (options.stopRule && list.countFailedOrWebRows() >= kStopRuleLimit && isRunning()) {
        setRunning(false);
        m_session.playSound(kSoundListDone);
        emit listFinished();
    }
}

bool Scheduler::closeNeedsConfirmation() const {
    return m_session.activity().loadedSlotCount() >= 2 || anySlotBusy() || m_methods.method1Executing() ||
           !m_session.list().isListFinished() || isRunning();
}

bool Scheduler::requestClose() {
    if (closeNeedsConfirmation() && !m_session.context().prompts.askYesNo(kCloseQuestion))
        return false;
    stopStatusTimer();
    setRunning(false);
    stop();
    m_methods.cancelMethod1();
    return true;
}

} // namespace mojing
