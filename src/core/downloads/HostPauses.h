#pragma once

#include <QDateTime>
#include <QHash>
#include <QString>
#include <vector>

namespace mojing {

struct Timing;

// Hosts that asked for a pause (a 429 or 503 answer) and until when no row of theirs may start.
// The scheduler owns the table; what it shows is asked of it. Times are Timing::nowMs() values.
class HostPauses {
public:
    struct Entry {
        QString host;
        qint64 untilMs = 0;
    };

    // The host of an address as the table knows it: "name:port", lower case, with the scheme's
    // port when none is written ("http://A.org/x" gives "a.org:80"). Empty when there is none.
    static QString hostOf(const QString& url);

    // How long a Retry-After value asks for: seconds count as ticks (one second each at the
    // normal pace), an HTTP date as the seconds until then; `timing.hostPause` when the value
    // is missing or unreadable, never more than `timing.hostPauseMax`.
    static qint64 durationMs(const QString& retryAfter, const Timing& timing, const QDateTime& nowUtc);

    // `host` rests until `untilMs`; an earlier end already recorded is pushed back, a later one
    // kept. Returns the end that now holds.
    qint64 pause(const QString& host, qint64 untilMs);
    bool isPaused(const QString& host, qint64 nowMs) const;
    // Nothing is paused at `nowMs` (the scan of rows can skip the host test).
    bool noneActive(qint64 nowMs) const;
    // The hosts still resting at `nowMs`, by name.
    std::vector<Entry> active(qint64 nowMs) const;
    // The earliest end of a pause still running at `nowMs`; 0 when none.
    qint64 nextEndMs(qint64 nowMs) const;

private:
    QHash<QString, qint64> m_until;
};

} // namespace mojing
