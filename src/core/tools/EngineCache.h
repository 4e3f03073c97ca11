#pragma once

#include <QString>

namespace mojing {

// The disk cache a running browser engine works in. The cache tool removes entry files under it
// and the engine takes a missing file for an entry it does not have; the folders it works in stay
// while it runs. (Asking the engine itself to clear its cache is not done: page loads that start
// while it clears can stall for good.) Absent (null) where no engine runs, e.g. on the command line.
class EngineCache {
public:
    virtual ~EngineCache() = default;
    // The folder of the engine's HTTP cache.
    virtual QString folder() const = 0;
};

} // namespace mojing
