#include "DownloadEngine.h"

#include "DownloadSession.h"

namespace mojing {

DownloadEngine::DownloadEngine(DownloadSession& session, NetworkLayer& network, QObject* parent)
    : QObject(parent), m_session(session), m_methods(session, network), m_scheduler(session, m_methods),
      m_ops(session) {}

DownloadEngine::~DownloadEngine() {
    m_scheduler.stopStatusTimer();
    m_methods.unloadAllSlots();
    m_methods.cancelMethod1();
}

bool DownloadEngine::idle() const {
    return m_session.busySlots == 0 && !m_methods.method1Executing() && !m_session.transferBusy;
}

} // namespace mojing
