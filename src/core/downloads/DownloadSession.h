#pragma once

#include "DownloadListModel.h"
#include "DownloadOptions.h"
#include "RowOutcome.h"
#include "TransferActivity.h"
#include "program/AppContext.h"

#include <QObject>
#include <QTimer>

namespace mojing {

// The state of one download window, shared by its list, the two transfer methods, the scheduler
// and the list commands. It lives as long as the window (or the headless `mojing download` run).
class DownloadSession : public QObject {
    Q_OBJECT
public:
    explicit DownloadSession(const AppContext& context, QObject* parent = nullptr);

    AppContext& context() { return m_context; }
    DownloadListModel& list() { return m_list; }
    const DownloadListModel& list() const { return m_list; }
    DownloadOptions& options() { return m_options; }
    const DownloadOptions& options() const { return m_options; }

    // What the transfers are doing now. The engine over this session answers while it lives;
    // `activity` must outlive the session or be reset with nullptr first.
    const TransferActivity& activity() const { return m_activity ? *m_activity : m_idle; }
    void setActivity(const TransferActivity* activity) { m_activity = activity; }

    // When the last transfer ended, failed or was skipped as too large (Timing::nowMs()).
    qint64 lastTransferEndMs = 0;

    // True when downloads are stopped; otherwise shows "停止下载以后，才能执行此操作！" and
    // returns false.
    bool requireDownloadsStopped();

    void markTransferEnded();

    // A row has ended (Finished or Failed) and everything about it is settled: rowEnded() tells
    // whoever keeps a record or waits for it.
    void reportRowEnded(const RowOutcome& outcome) { emit rowEnded(outcome); }

    // A site login is renewing the session: no new row starts meanwhile (it would meet the
    // expired session again), while the running transfers go on.
    bool siteLoginRunning() const { return m_siteLoginRunning; }
    void setSiteLoginRunning(bool running) { m_siteLoginRunning = running; }

    // Tells the window that options were changed in code (Stop clears the automatic options, the
    // Options dialog switches the method), so that its controls follow.
    void notifyOptionsChanged() { emit optionsChanged(); }

    // Status bar: panel 2 transfer texts, panel 3 transfer-control state, panel 4 counts. The
    // counts follow the rows as they change, at most once per repaint interval.
    void showStatus(int panel, const QString& text);
    void showListCounts();
    // Notification sounds 101 (web page), 102 (list finished / stop rule), 103 (failure);
    // played only when the sound option is on.
    void playSound(int id);

signals:
    void optionsChanged();
    void statusTextChanged(int panel, const QString& text);
    void scrollToRowRequested(int row);
    void soundRequested(int id);
    // A finished web page asks for the automatic site login (handled by the login panel).
    void siteLoginRequested(int row);
    void rowEnded(const mojing::RowOutcome& outcome);

private:
    AppContext m_context; // a bundle of references: cheap to copy, never dangling
    DownloadListModel m_list;
    DownloadOptions m_options;
    TransferActivity m_idle;
    const TransferActivity* m_activity = nullptr;
    bool m_siteLoginRunning = false;
    QTimer m_countsDelay;
};

} // namespace mojing
