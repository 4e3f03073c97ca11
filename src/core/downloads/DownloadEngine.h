#pragma once

#include "DownloadListOps.h"
#include "Method1Transfer.h"
#include "Method2Slots.h"
#include "Scheduler.h"
#include "TransferMethods.h"

#include <QObject>

namespace mojing {

class DownloadSession;
class NetworkLayer;

// The working parts of one download window (or of a headless download run) over its session:
// both transfer methods, the scheduler with its two timers, and the list commands.
class DownloadEngine : public QObject, private TransferMethods {
    Q_OBJECT
public:
    DownloadEngine(DownloadSession& session, NetworkLayer& network, QObject* parent = nullptr);
    ~DownloadEngine() override;

    DownloadSession& session() { return m_session; }
    Scheduler& scheduler() { return m_scheduler; }
    DownloadListOps& listOps() { return m_ops; }
    Method1Transfer& method1() { return m_method1; }
    Method2Slots& method2() { return m_method2; }

    // No transfer of either method is running.
    bool idle() const;

private:
    void startMethod1(int row) override;
    bool method1Executing() const override;
    void cancelMethod1() override;
    bool method2SlotBusy(int slot) const override;
    void startMethod2(int slot, int row, const QString& url, const QString& path) override;
    void unloadAllSlots() override;

    DownloadSession& m_session;
    Method1Transfer m_method1;
    Method2Slots m_method2;
    Scheduler m_scheduler;
    DownloadListOps m_ops;
};

} // namespace mojing
