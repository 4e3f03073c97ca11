#include "Timing.h"

#include <algorithm>

namespace mojing {

qint64 Timing::nowMs() const {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

Timing Timing::scaled(double factor) {
    Timing t;
    auto scale = [factor](Millis& m) { m = Millis(std::max<qint64>(1, qint64(double(m.count()) * factor))); };
    scale(t.tick);
    scale(t.pageLoadLimit);
    scale(t.pagePause);
    scale(t.pagePoll);
    scale(t.snapshotLimit);
    scale(t.headerWait);
    scale(t.stallLimit);
    scale(t.watchdogLimit);
    scale(t.loginWait);
    scale(t.loginShortWait);
    scale(t.loginRefresh);
    scale(t.progressCoalesce);
    scale(t.listSave);
    scale(t.requestPoll);
    scale(t.hostPause);
    scale(t.hostPauseMax);
    return t;
}

} // namespace mojing
