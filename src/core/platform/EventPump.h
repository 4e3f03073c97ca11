#pragma once

#include "Timing.h"

#include <functional>

class QEventLoop;

namespace mojing {

// The one place that lets the event loop run while a long operation (page turning, analysis,
// method-1 streaming, login waits) goes on cooperatively on the UI thread. It sleeps on events;
// it never spins the CPU.
class EventPump {
public:
    virtual ~EventPump() = default;
    // Handle the events that are pending now, then return.
    virtual void pumpOnce();
    // Run the event loop until `done()` is true or `limit` has passed. Returns done().
    virtual bool waitUntil(const std::function<bool()>& done, Millis limit);
    // Run the event loop for `duration`, or until `stop()` becomes true. Returns true when stopped.
    bool sleepFor(Millis duration, const std::function<bool()>& stop = {});
    // Ends the current wait's sleep now so that it re-tests its condition at once instead of at
    // its next re-check. Called from the handlers of the signals a wait is for (data arrived);
    // harmless when nothing waits.
    void wake();

private:
    QEventLoop* m_sleeping = nullptr;
};

} // namespace mojing
