#include "DownloadWindowClose.h"

#include "DownloadSession.h"
#include "DownloadSettings.h"
#include "platform/EventPump.h"

namespace mojing {

DownloadWindowClose::DownloadWindowClose(DownloadSession& session, QObject* parent)
    : QObject(parent), m_session(session) {}

bool DownloadWindowClose::run() {
    if (m_accepted)
        return true;
    AppContext& ctx = m_session.context();
    DownloadSettings::storePolicyAndMethod(ctx.settings, m_session.options());
    if (m_confirmAndStop && !m_confirmAndStop())
        return false;
    m_accepted = true;
    emit accepted();
    DownloadSettings::storeSlots(ctx.settings, m_session.options());
    ctx.pump.pumpOnce();
    ctx.pump.pumpOnce();
    return true;
}

} // namespace mojing
