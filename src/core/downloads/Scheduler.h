#pragma once

#include "DownloadListOps.h"
#include "HostPauses.h"
#include "RowOutcome.h"

#include <QObject>
#include <QString>
#include <QTimer>
#include <array>

namespace mojing {

class DownloadSession;
class TransferMethods;

// Drives the download list with two timers of one tick each. The scheduler timer (`Timer_Down`)
// starts waiting rows while downloading is under way: one at a time over method 1, or one per
// free slot over method 2, after the pause between files. The status timer (`Timer1`) runs while
// the window is open: it notices the end of the list, keeps the busy flag and the counts
// current and applies the automatic rules (auto-start, auto re-download, the stop rule).
class Scheduler : public QObject {
    Q_OBJECT
public:
    static inline const QString kCloseQuestion =
        QStringLiteral("正在下载文件或者下载没有完成，要强制关闭窗口吗？");
    static constexpr int kSoundListDone = 102;
    static constexpr int kStopRuleLimit = 5;

    Scheduler(DownloadSession& session, TransferMethods& methods, QObject* parent = nullptr);
    ~Scheduler() override;

    // "开始下载": enables the scheduler timer.
    void start();
    // "停止下载": clears auto-start and auto re-download, cancels every transfer, marks running
    // rows Failed and leaves the scheduler idle.
    void stop();
    bool isRunning() const { return m_down.isActive(); }

    // The status timer runs from the end of the window load until the close.
    void startStatusTimer();
    void stopStatusTimer();
    bool statusTimerActive() const { return m_status.isActive(); }

    // One scheduler tick and one status tick; the timers call these.
    void schedulerTick();
    void statusTick();

    // True while closing would abandon work: slots or the method-1 channel busy, rows not
    // finished, or the scheduler running.
    bool closeNeedsConfirmation() const;
    // The close of the download window: asks "正在下载文件或者下载没有完成，要强制关闭窗口吗？"
    // when work is pending. No keeps everything as it is and returns false; otherwise both timers
    // stop, downloads stop, and the result is true.
    bool requestClose();

    // 「TransferBusy」 True while a transfer is active: set when a row is handed to a method, cleared
    // when the method-1 row has ended, by Stop and by the status tick once nothing runs.
    bool transferBusy() const { return m_transferBusy; }
    // The scheduler's own flag; tests set it to examine the status tick's rule.
    void setTransferBusy(bool busy) { m_transferBusy = busy; }
    // 「SlotRowIndex」 The 0-based row the scheduler last handed to `slot` (1 serves method 1,
    // 1..6 the method-2 slots); -1 for none.
    int slotRow(int slot) const;

    // Hosts that asked for a pause; no row of theirs starts before its end.
    const HostPauses& hostPauses() const { return m_pauses; }
    // `host` rests until `untilMs` (a later end already recorded stays), as after a 429 or 503
    // answer that came to a request beside the transfers (an article page); hostPaused() says so.
    void pauseHost(const QString& host, qint64 untilMs);

    // Without ticks to wait for (the command line): "开始下载" starts the first rows at once, a
    // row's end is followed at once by the status rules and the next start, and a start held back
    // by the pause between files or a host's pause happens the moment it ends. The timers keep
    // running underneath.
    void setImmediate(bool immediate) { m_immediate = immediate; }
    // Runs the status rules and the next start now (immediate mode); a site login that ended, for
    // one, lets rows go on.
    void wake();

    // Whether "开始下载" is usable, as of the last status tick.
    bool startEnabled() const { return m_startEnabled; }
    // Whether the running indicator (`Shape1`) shows, as of the last status tick.
    bool indicatorVisible() const { return m_indicatorVisible; }

signals:
    // The scheduler timer was enabled or disabled.
    void runningChanged(bool running);
    void indicatorVisibleChanged(bool visible);
    void startEnabledChanged(bool enabled);
    // Stop switched auto-start and auto re-download off: the window unticks their check boxes.
    void autoOptionsCleared();
    // The list came to its end (or the stop rule stopped it) and the scheduler went idle.
    void listFinished();
    // A server asked for a pause: no row of `host` starts before `untilMs` (Timing::nowMs()).
    void hostPaused(const QString& host, qint64 untilMs);

private:
    void setRunning(bool running);
    bool anySlotBusy() const;
    void tickMethod1();
    void tickMethod2();
    // Prepares the waiting row for a start; false when it must not be downloaded now.
    bool prepareRow(int row, bool createFolder);
    // The row's host is resting (the scan passes it by and comes back later).
    bool heldByHostPause(int row, qint64 nowMs) const;
    void onRowEnded(const RowOutcome& outcome);
    // A row that ended here, without a transfer of its own.
    void reportEndedHere(int row);
    // Immediate mode: wakes again when the pause between files or the earliest host pause ends.
    void armWake();

    static constexpr int kSlotEntries = 7;

    DownloadSession& m_session;
    TransferMethods& m_methods;
    DownloadListOps m_ops;
    QTimer m_down;
    QTimer m_status;
    bool m_transferBusy = false;
    std::array<int, kSlotEntries> m_slotRows;
    bool m_startEnabled = true;
    bool m_indicatorVisible = false;
    HostPauses m_pauses;
    bool m_immediate = false;
    bool m_wakeQueued = false;
    QTimer m_wakeTimer;
};

} // namespace mojing
