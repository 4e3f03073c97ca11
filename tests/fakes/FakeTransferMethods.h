#pragma once

#include "downloads/DownloadListModel.h"
#include "downloads/TransferMethods.h"

#include <QString>
#include <functional>
#include <map>
#include <vector>

namespace mojing {

class DownloadSession;

// Transfer methods for scheduler tests. Method 1 behaves like the real entry point (refuses while
// executing, otherwise runs a transfer that ends in `method1Outcome` and reports its end): at once,
// or, with `method1Runs`, when the test calls finishMethod1(). Method 2 slots stay busy until the
// test ends them with finishSlot().
//
//   FakeTransferMethods methods(session);
//   Scheduler scheduler(session, methods);
//   ...
//   EXPECT_EQ(methods.starts, (std::vector<Start>{{1, 0, u"http://a"_s, path}}));
//   methods.finishSlot(1, RowState::Finished);
class FakeTransferMethods : public TransferMethods {
public:
    struct Start {
        int slot; // 0 for method 1
        int row;
        QString url;
        QString path;
        bool operator==(const Start&) const = default;
    };

    explicit FakeTransferMethods(DownloadSession& session) : m_session(session) {}

    std::vector<Start> starts;
    // The state a method-1 transfer ends in, and what its answer said (reported with its end).
    RowState method1Outcome = RowState::Finished;
    int method1Status = 0;
    QString method1RetryAfter;
    // Called in the middle of a method-1 transfer (e.g. to press Stop meanwhile).
    std::function<void(int row)> duringMethod1;
    bool executing = false;
    // Method-1 rows keep running until finishMethod1() (or a cancel) ends them.
    bool method1Runs = false;
    int cancels = 0;
    int unloads = 0;

    void startMethod1(int row) override;
    bool method1Executing() const override { return executing; }
    void cancelMethod1() override;
    bool method2SlotBusy(int slot) const override { return m_busy.count(slot) != 0; }
    void startMethod2(int slot, int row, const QString& url, const QString& path) override;
    void unloadAllSlots() override;

    // Ends the running method-1 row with `method1Outcome` and reports it.
    void finishMethod1();
    // Ends the download of `slot` in `state`, as the slot's completion or error would, after an
    // answer with `httpStatus` (and `retryAfter`).
    void finishSlot(int slot, RowState state, int httpStatus = 0, const QString& retryAfter = {});
    int busySlotCount() const { return int(m_busy.size()); }

private:
    DownloadSession& m_session;
    std::map<int, int> m_busy; // slot -> row
    int m_method1Row = -1;     // the running method-1 row
};

} // namespace mojing
