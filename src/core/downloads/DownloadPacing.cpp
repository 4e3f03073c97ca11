#include "DownloadPacing.h"

#include "DownloadSession.h"
#include "HostPauses.h"
#include "Scheduler.h"
#include "platform/Timing.h"

#include <QDateTime>

namespace mojing {

DownloadPacing::DownloadPacing(DownloadSession& session, Scheduler& scheduler)
    : m_session(session), m_scheduler(scheduler) {}

QString DownloadPacing::hostOf(const QString& url) const {
    return HostPauses::hostOf(url);
}

bool DownloadPacing::pausesBetweenTransfers() const {
    return m_session.options().pauseSeconds > 0;
}

qint64 DownloadPacing::msUntilNextTransfer() const {
    const Timing& timing = m_session.context().timing;
    // The scheduler's own rule: more than the pause (in ticks) since the last transfer ended.
    const qint64 pauseMs = qint64(m_session.options().pauseSeconds) * timing.tick.count();
    if (pauseMs <= 0)
        return 0;
    const qint64 since = timing.nowMs() - m_session.lastTransferEndMs;
    return since > pauseMs ? 0 : pauseMs - since + 1;
}

qint64 DownloadPacing::msUntilHostReady(const QString& host) const {
    const qint64 now = m_session.context().timing.nowMs();
    const HostPauses& pauses = m_scheduler.hostPauses();
    if (!pauses.isPaused(host, now))
        return 0;
    for (const HostPauses::Entry& entry : pauses.active(now)) {
        if (entry.host == host)
            return entry.untilMs - now;
    }
    return 0;
}

void DownloadPacing::transferEnded() {
    m_session.markTransferEnded();
}

void DownloadPacing::hostAskedForPause(const QString& host, const QString& retryAfter) {
    const Timing& timing = m_session.context().timing;
    const qint64 until =
        timing.nowMs() + HostPauses::durationMs(retryAfter, timing, QDateTime::currentDateTimeUtc());
    m_scheduler.pauseHost(host, until);
}

} // namespace mojing
