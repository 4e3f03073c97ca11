#include "HostPauses.h"

#include "platform/Timing.h"
#include "transfer/HeaderHelpers.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace mojing {

QString HostPauses::hostOf(const QString& url) {
    // Plain text work: the scheduler asks this for many rows per tick while a host rests.
    const qsizetype scheme = url.indexOf(u"://"_s);
    if (scheme <= 0)
        return {};
    const qsizetype start = scheme + 3;
    qsizetype end = start;
    while (end < url.size() && url.at(end) != u'/' && url.at(end) != u'?' && url.at(end) != u'#')
        ++end;
    QString authority = url.mid(start, end - start).toLower();
    const qsizetype at = authority.lastIndexOf(u'@');
    if (at >= 0)
        authority = authority.mid(at + 1);
    if (authority.isEmpty())
        return {};
    const bool https = url.left(scheme).compare(u"https"_s, Qt::CaseInsensitive) == 0;
    QString port = https ? u"443"_s : u"80"_s;
    // A port follows the last ':' unless that colon is inside an IPv6 literal.
    const qsizetype colon = authority.lastIndexOf(u':');
    if (colon > authority.lastIndexOf(u']')) {
        if (colon + 1 < authority.size())
            port = authority.mid(colon + 1);
        authority.truncate(colon);
    }
    return authority + u':' + port;
}

qint64 HostPauses::durationMs(const QString& retryAfter, const Timing& timing, const QDateTime& nowUtc) {
    const qint64 limit = qint64(timing.hostPauseMax.count());
    const std::optional<qint64> seconds = HeaderHelpers::retryAfterSeconds(retryAfter, nowUtc);
    if (!seconds)
        return std::min<qint64>(timing.hostPause.count(), limit);
    const qint64 tick = timing.tick.count();
    // Compared before multiplying: a huge value must not overflow.
    if (tick > 0 && *seconds > limit / tick)
        return limit;
    return std::min(*seconds * tick, limit);
}

qint64 HostPauses::pause(const QString& host, qint64 untilMs) {
    if (host.isEmpty())
        return 0;
    qint64& until = m_until[host];
    until = std::max(until, untilMs);
    return until;
}

bool HostPauses::isPaused(const QString& host, qint64 nowMs) const {
    const auto found = m_until.constFind(host);
    return found != m_until.constEnd() && found.value() > nowMs;
}

bool HostPauses::noneActive(qint64 nowMs) const {
    for (auto it = m_until.constBegin(); it != m_until.constEnd(); ++it) {
        if (it.value() > nowMs)
            return false;
    }
    return true;
}

std::vector<HostPauses::Entry> HostPauses::active(qint64 nowMs) const {
    std::vector<Entry> entries;
    for (auto it = m_until.constBegin(); it != m_until.constEnd(); ++it) {
        if (it.value() > nowMs)
            entries.push_back({it.key(), it.value()});
    }
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return a.host < b.host; });
    return entries;
}

qint64 HostPauses::nextEndMs(qint64 nowMs) const {
    qint64 next = 0;
    for (auto it = m_until.constBegin(); it != m_until.constEnd(); ++it) {
        if (it.value() > nowMs && (next == 0 || it.value() < next))
            next = it.value();
    }
    return next;
}

} // namespace mojing
