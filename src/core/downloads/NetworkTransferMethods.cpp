#include "NetworkTransferMethods.h"

#include "transfer/InetControl.h"

namespace mojing {

NetworkTransferMethods::NetworkTransferMethods(DownloadSession& session, NetworkLayer& network)
    : m_method1(session, network), m_method2(session, network) {
    QObject::connect(&m_method1, &Method1Transfer::rowFinished, &m_method1,
                     [this](int row, bool) { reportMethod1Finished(row); });
}

void NetworkTransferMethods::startMethod1(int row) {
    m_method1.downloadCurrentRow(row);
}

bool NetworkTransferMethods::method1Executing() const {
    return m_method1.isRunning() || m_method1.inet().stillExecuting();
}

void NetworkTransferMethods::cancelMethod1() {
    m_method1.cancel();
}

bool NetworkTransferMethods::method2SlotBusy(int slot) const {
    return m_method2.isBusy(slot);
}

void NetworkTransferMethods::startMethod2(int slot, int row, const QString& url, const QString& path) {
    m_method2.startDownload(slot, row, url, path);
}

void NetworkTransferMethods::unloadAllSlots() {
    m_method2.unloadAll();
}

} // namespace mojing
