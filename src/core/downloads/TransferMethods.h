#pragma once

#include <QString>
#include <functional>

namespace mojing {

// What the scheduler needs of the two transfer methods. The download window (and the headless
// download command) hand in an adapter over the real transfer objects; tests hand in a fake.
// Rows are 0-based list positions; slots are numbered from 1.
class TransferMethods {
public:
    virtual ~TransferMethods() = default;

    // Method 1: starts the row on the single transfer channel (or re-queues it while the channel
    // is busy). The transfer runs on from the event loop; its end is reported to the handler of
    // setMethod1Finished(), possibly before startMethod1() returns.
    virtual void startMethod1(int row) = 0;
    // Method 1: whether a transfer is under way on the channel.
    virtual bool method1Executing() const = 0;
    // Method 1: abandons the current transfer; its end is reported before this returns.
    virtual void cancelMethod1() = 0;

    // Method 2: whether slot `slot` (1..6) is serving a row.
    virtual bool method2SlotBusy(int slot) const = 0;
    // Method 2: starts `row` on the free slot `slot`, writing to `path`.
    virtual void startMethod2(int slot, int row, const QString& url, const QString& path) = 0;
    // Method 2: ends every slot's download without reporting it.
    virtual void unloadAllSlots() = 0;

    // Who hears that a method-1 row has ended (the scheduler; reset it with nullptr).
    void setMethod1Finished(std::function<void(int row)> handler) { m_method1Finished = std::move(handler); }

protected:
    void reportMethod1Finished(int row) {
        if (m_method1Finished)
            m_method1Finished(row);
    }

private:
    std::function<void(int row)> m_method1Finished;
};

} // namespace mojing
