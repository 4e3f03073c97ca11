#pragma once

#include "articles/RequestPacing.h"

namespace mojing {

class DownloadSession;
class Scheduler;

// The download manager's politeness for requests made beside its transfers (article pages): the
// session's pause between files and the scheduler's host rests, both shared with the rows.
class DownloadPacing : public RequestPacing {
public:
    DownloadPacing(DownloadSession& session, Scheduler& scheduler);

    QString hostOf(const QString& url) const override;
    bool pausesBetweenTransfers() const override;
    qint64 msUntilNextTransfer() const override;
    qint64 msUntilHostReady(const QString& host) const override;
    void transferEnded() override;
    void hostAskedForPause(const QString& host, const QString& retryAfter) override;

private:
    DownloadSession& m_session;
    Scheduler& m_scheduler;
};

} // namespace mojing
