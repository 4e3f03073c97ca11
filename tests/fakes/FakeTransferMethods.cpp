#include "FakeTransferMethods.h"

#include "downloads/DownloadSession.h"

using namespace Qt::StringLiterals;

namespace mojing {

namespace {
void reportEnd(DownloadSession& session, int row, int status, const QString& retryAfter) {
    if (!session.list().isValidIndex(row))
        return;
    RowOutcome outcome;
    outcome.row = row;
    outcome.requestedUrl = DownloadListModel::currentUrl(session.list().at(row).key);
    outcome.httpStatus = status;
    outcome.retryAfter = retryAfter;
    session.reportRowEnded(outcome);
}
} // namespace

void FakeTransferMethods::startMethod1(int row) {
    DownloadListModel& list = m_session.list();
    if (executing) {
        list.setState(row, RowState::Waiting);
        list.setSize(row, DownloadListModel::kWaitAgain);
        return;
    }
    starts.push_back({0, row, DownloadListModel::currentUrl(list.at(row).key), list.filePath(row)});
    executing = true;
    m_method1Row = row;
    if (duringMethod1)
        duringMethod1(row);
    if (!method1Runs && m_method1Row == row)
        finishMethod1();
}

void FakeTransferMethods::finishMethod1() {
    const int row = m_method1Row;
    if (row < 0)
        return;
    m_method1Row = -1;
    executing = false;
    DownloadListModel& list = m_session.list();
    if (list.isValidIndex(row) && list.at(row).state == RowState::Downloading) {
        list.setState(row, method1Outcome);
        if (method1Outcome == RowState::Finished)
            list.setPercent(row, u"100%"_s);
    }
    m_session.markTransferEnded();
    reportEnd(m_session, row, method1Status, method1RetryAfter);
    reportMethod1Finished(row);
}

void FakeTransferMethods::cancelMethod1() {
    ++cancels;
    const int row = m_method1Row;
    if (row < 0)
        return;
    m_method1Row = -1;
    executing = false;
    DownloadListModel& list = m_session.list();
    if (list.isValidIndex(row)) {
        list.setSize(row, DownloadListModel::kCancelled);
        list.setState(row, RowState::Failed);
    }
    m_session.markTransferEnded();
    reportEnd(m_session, row, 0, {});
    reportMethod1Finished(row);
}

void FakeTransferMethods::startMethod2(int slot, int row, const QString& url, const QString& path) {
    m_busy[slot] = row;
    m_session.list().setState(row, RowState::Downloading);
    m_session.list().clearProgress(row);
    starts.push_back({slot, row, url, path});
}

void FakeTransferMethods::unloadAllSlots() {
    ++unloads;
    m_busy.clear();
}

void FakeTransferMethods::finishSlot(int slot, RowState state, int httpStatus, const QString& retryAfter) {
    const auto it = m_busy.find(slot);
    if (it == m_busy.end())
        return;
    const int row = it->second;
    m_session.list().setState(row, state);
    if (state == RowState::Finished)
        m_session.list().setPercent(row, u"100%"_s);
    m_busy.erase(it);
    m_session.markTransferEnded();
    reportEnd(m_session, row, httpStatus, retryAfter);
}

} // namespace mojing
