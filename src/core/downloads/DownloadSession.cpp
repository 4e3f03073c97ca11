#include "DownloadSession.h"

#include "platform/Prompts.h"
#include "platform/Timing.h"

using namespace Qt::StringLiterals;

namespace mojing {

DownloadSession::DownloadSession(const AppContext& context, QObject* parent)
    : QObject(parent), m_context(context), m_list(this, int(context.timing.progressCoalesce.count())) {
    lastTransferEndMs = context.timing.nowMs();
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
