#include "DownloadListSorter.h"

#include "DownloadSession.h"
#include "platform/Prompts.h"

namespace mojing {

bool DownloadListSorter::headerClicked(int column) {
    const TransferActivity& activity = m_session.activity();
    // A method-2 slot or the method-1 channel still finishing after Stop also addresses its row by
    // position, so those count as running too.
    if (activity.transferBusy() || !activity.downloadsStopped()) {
        m_session.context().prompts.message(kRefused, MessageIcon::Information);
        return false;
    }
    m_column = column;
    m_order = m_order == Qt::DescendingOrder ? Qt::AscendingOrder : Qt::DescendingOrder;
    m_session.list().sort(column, m_order);
    return true;
}

} // namespace mojing
