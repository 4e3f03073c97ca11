#pragma once

#include "Method1Transfer.h"
#include "Method2Slots.h"
#include "TransferMethods.h"

namespace mojing {

class DownloadSession;
class NetworkLayer;

// The real transfer methods behind the scheduler: method 1 over the transfer control and the
// method-2 slots, both on one network layer.
class NetworkTransferMethods : public TransferMethods {
public:
    NetworkTransferMethods(DownloadSession& session, NetworkLayer& network);

    Method1Transfer& method1() { return m_method1; }
    const Method1Transfer& method1() const { return m_method1; }
    Method2Slots& method2() { return m_method2; }
    const Method2Slots& method2() const { return m_method2; }

    void startMethod1(int row) override;
    bool method1Executing() const override;
    void cancelMethod1() override;
    bool method2SlotBusy(int slot) const override;
    void startMethod2(int slot, int row, const QString& url, const QString& path) override;
    void unloadAllSlots() override;

private:
    Method1Transfer m_method1;
    Method2Slots m_method2;
};

} // namespace mojing
