#pragma once

#include <QString>
#include <QtGlobal>

namespace mojing {

// The politeness that requests for article pages share with the downloads: the pause between
// files, and the hosts that asked for a rest (429/503). The download manager provides it; an
// article page counts as one transfer.
class RequestPacing {
public:
    virtual ~RequestPacing() = default;
    // The name under which a host rests and is counted ("name:port").
    virtual QString hostOf(const QString& url) const = 0;
    // There is a pause between files: transfers then go one after the other.
    virtual bool pausesBetweenTransfers() const = 0;
    // Milliseconds until the pause between files lets a new transfer start; 0 when it may now.
    virtual qint64 msUntilNextTransfer() const = 0;
    // Milliseconds until `host` ends its rest; 0 when it is not resting.
    virtual qint64 msUntilHostReady(const QString& host) const = 0;
    // A transfer has ended now: the pause between files counts from here.
    virtual void transferEnded() = 0;
    // `host` answered 429 or 503 with this Retry-After value (empty when none): it rests.
    virtual void hostAskedForPause(const QString& host, const QString& retryAfter) = 0;
};

} // namespace mojing
