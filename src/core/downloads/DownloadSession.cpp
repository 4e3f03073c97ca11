#include "DownloadSession.h"

#include "platform/Prompts.h"
#include "platform/Timing.h"

using namespace Qt::StringLiterals;

namespace mojing {

DownloadSession::DownloadSession(const AppContext& context, QObject* parent)
    : QObject(parent), m_context(context), m_list(this, int(context.timing.progressCoalesce.count())) {
    lastTransferEndMs = context.timing.nowMs();
    m_countsDelay.setSingleShot(true);
    m_countsDelay.setInterval(context.timing.progressCoalesce);
    connect(&m_countsDelay, &QTimer::timeout, this, &DownloadSession::showListCounts);
    auto countLater = [this] {
        if (!m_countsDelay.isActive())
            m_countsDelay.start();
    };
    connect(&m_list, &QAbstractItemModel::rowsInserted, this, countLater);
    connect(&m_list, &QAbstractItemModel::rowsRemoved, this, countLater);
    connect(&m_list, &QAbstractItemModel::modelReset, this, countLater);
    connect(&m_list, &QAbstractItemModel::layoutChanged, this, countLater);
    connect(&m_list, &QAbstractItemModel::dataChanged, this, countLater);
}

bool DownloadSession::requireDownloadsStopped() {
    if (activity().downloadsStopped())
        return true;
    m_context.prompts.message(u"停止下载以后，才能执行此操作！"_s, MessageIcon::Information);
    return false;
}

void DownloadSession::markTransferEnded() {
    lastTransferEndMs = m_context.timing.nowMs();
}

void DownloadSession::showStatus(int panel, const QString& text) {
    emit statusTextChanged(panel, text);
}

void DownloadSession::showListCounts() {
    showStatus(4, m_list.countsText());
}

void DownloadSession::playSound(int id) {
    if (m_options.sound)
        emit soundRequested(id);
}

} // namespace mojing
