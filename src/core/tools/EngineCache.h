#pragma once

namespace mojing {

// The running browser engine's view of its own disk cache. Removing cache files alone leaves a
// running engine believing it still holds them; clearing through the engine makes it forget
// them too. Absent (null) where no engine runs, e.g. on the command line.
class EngineCache {
public:
    virtual ~EngineCache() = default;
    // Empties the engine's disk cache; the engine keeps working and fills it again.
    virtual void clearHttpCache() = 0;
};

} // namespace mojing
