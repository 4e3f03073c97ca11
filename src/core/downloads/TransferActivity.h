#pragma once

namespace mojing {

// What guards of a download window ask about its transfers. Each answer comes from the object
// that owns that state (the scheduler, the method-2 slots, the method-1 channel); the engine
// puts them together. Without an engine every answer is "idle".
class TransferActivity {
public:
    virtual ~TransferActivity() = default;

    // The scheduler timer is enabled.
    virtual bool schedulerRunning() const { return false; }
    // A transfer is active (the scheduler's busy flag).
    virtual bool transferBusy() const { return false; }
    // Method-2 slots now serving a row.
    virtual int busySlots() const { return 0; }
    // Method 1 has a transfer under way (its channel may be between two requests).
    virtual bool inetExecuting() const { return false; }

    // Loaded downloader instances, counting the permanent template: 1 means no slot is running.
    int loadedSlotCount() const { return 1 + busySlots(); }
    // No transfer, no slot and no scheduler is at work.
    bool downloadsStopped() const { return !schedulerRunning() && busySlots() == 0 && !inetExecuting(); }
};

} // namespace mojing
