#pragma once

#include "DownloadListOps.h"
#include "NetworkTransferMethods.h"
#include "Scheduler.h"
#include "TransferActivity.h"

#include <QObject>

namespace mojing {

class DownloadSession;
class NetworkLayer;

// The working parts of one download window (or of a headless download run) over its session:
// both transfer methods, the scheduler with its two timers, and the list commands. While it lives
// it tells the session what its parts are doing.
class DownloadEngine : public QObject, public TransferActivity {
    Q_OBJECT
public:
    DownloadEngine(DownloadSession& session, NetworkLayer& network, QObject* parent = nullptr);
    ~DownloadEngine() override;

    DownloadSession& session() { return m_session; }
    Scheduler& scheduler() { return m_scheduler; }
    DownloadListOps& listOps() { return m_ops; }
    NetworkTransferMethods& methods() { return m_methods; }

    // No transfer of either method is running.
    bool idle() const;

    bool schedulerRunning() const override { return m_scheduler.isRunning(); }
    bool transferBusy() const override { return m_scheduler.transferBusy(); }
    int busySlots() const override;
    bool inetExecuting() const override;

private:
    DownloadSession& m_session;
    NetworkTransferMethods m_methods;
    Scheduler m_scheduler;
    DownloadListOps m_ops;
};

} // namespace mojing
