#pragma once

#include "Timing.h"

#include <functional>

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
};

} // namespace mojing
