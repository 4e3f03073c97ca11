#include "DownloadEngine.h"

#include "DownloadSession.h"

namespace mojing {

DownloadEngine::DownloadEngine(DownloadSession& session, NetworkLayer& network, QObject* parent)
    : QObject(parent), m_session(session), m_methods(session, network), m_scheduler(session, m_methods),
      m_ops(session) {
    m_session.setActivity(this);
}

DownloadEngine::~DownloadEngine() {
    m_session.setActivity(nullptr);
    m_scheduler.stopStatusTimer();
    m_methods.unloadAllSlots();
    m_methods.cancelMethod1();
}

bool DownloadEngine::idle() const {
    return busySlots() == 0 && !m_methods.method1Executing() && !transferBusy();
}

int DownloadEngine::busySlots() const {
    return m_methods.method2().busyCount();
}

bool DownloadEngine::inetExecuting() const {
    return m_methods.method1Executing();
}

} // namespace mojing
