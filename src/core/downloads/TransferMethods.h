#pragma once

#include <QString>

namespace mojing {

// What the scheduler needs of the two transfer methods. The download window (and the headless
// download command) hand in an adapter over the real transfer objects; tests hand in a fake.
// Rows are 0-based list positions; slots are numbered from 1.
class TransferMethods {
public:
    virtual ~TransferMethods() = default;

    // Method 1: downloads the row through the single transfer channel. May run the whole transfer
    // before it returns, letting events run meanwhile.
    virtual void startMethod1(int row) = 0;
    // Method 1: whether the transfer channel is executing a request.
    virtual bool method1Executing() const = 0;
    // Method 1: abandons the current request (a running transfer then ends at its next step).
    virtual void cancelMethod1() = 0;

    // Method 2: whether slot `slot` (1..6) is serving a row.
    virtual bool method2SlotBusy(int slot) const = 0;
    // Method 2: starts `row` on the free slot `slot`, writing to `path`.
    virtual void startMethod2(int slot, int row, const QString& url, const QString& path) = 0;
    // Method 2: ends every slot's download without reporting it.
    virtual void unloadAllSlots() = 0;
};

} // namespace mojing
