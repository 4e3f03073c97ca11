#include "DownloadEngine.h"

#include "DownloadSession.h"
#include "transfer/InetControl.h"

namespace mojing {

DownloadEngine::DownloadEngine(DownloadSession& session, NetworkLayer& network, QObject* parent)
    : QObject(parent), m_session(session), m_method1(session, network), m_method2(session, network),
      m_scheduler(session, *this), m_ops(session) {}

DownloadEngine::~DownloadEngine() {
    m_scheduler.stopStatusTimer();
    m_method2.unloadAll();
    m_method1.inet().Cancel();
}

bool DownloadEngine::idle() const {
    return m_method2.busyCount() == 0 && !method1Executing() && !m_session.transferBusy;
}

void DownloadEngine::startMethod1(int row) {
    m_method1.Inet下载当前文件(row);
}

bool DownloadEngine::method1Executing() const {
    return const_cast<Method1Transfer&>(m_method1).inet().StillExecuting();
}

void DownloadEngine::cancelMethod1() {
    m_method1.inet().Cancel();
}

bool DownloadEngine::method2SlotBusy(int slot) const {
    return m_method2.isBusy(slot);
}

void DownloadEngine::startMethod2(int slot, int row, const QString& url, const QString& path) {
    m_method2.多线程下载(slot, row, url, path);
}

void DownloadEngine::unloadAllSlots() {
    m_method2.unloadAll();
}

} // namespace mojing
