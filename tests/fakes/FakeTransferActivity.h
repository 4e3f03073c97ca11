#pragma once

#include "downloads/TransferActivity.h"

namespace mojing {

// Transfer state set by hand, for the guards of list commands and windows without an engine.
//
//   FakeTransferActivity activity;
//   session.setActivity(&activity);
//   activity.running = true;
struct FakeTransferActivity : TransferActivity {
    bool running = false;
    bool busy = false;
    int slotCount = 0;
    bool executing = false;

    bool schedulerRunning() const override { return running; }
    bool transferBusy() const override { return busy; }
    int busySlots() const override { return slotCount; }
    bool inetExecuting() const override { return executing; }
};

} // namespace mojing
