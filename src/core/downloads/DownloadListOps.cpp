#include "DownloadListOps.h"

#include "DownloadSession.h"
#include "RowFiles.h"
#include "platform/FileHelpers.h"
#include "platform/Prompts.h"
#include "platform/Timing.h"
#include "transfer/KeptParts.h"

#include <QRandomGenerator>

using namespace Qt::StringLiterals;

namespace mojing {

namespace {
bool isDone(const DownloadRow& row) {
    return row.state == RowState::Finished || row.state == RowState::Failed;
}

// A size or byte-count column as a number: thousands separators are ignored; status texts fail.
std::optional<float> numericColumn(const QString& text) {
    QString digits = text;
    digits.remove(u',');
    bool ok = false;
    const double value = digits.trimmed().toDouble(&ok);
    if (!ok)
        return std::nullopt;
    return float(value);
}
} // namespace

DownloadListOps::DownloadListOps(DownloadSession& session, QObject* parent)
    : QObject(parent), m_session(session) {}

bool DownloadListOps::isWebPageType(const QString& type, bool includeXml) {
    return type.compare(u"htm"_s, Qt::CaseInsensitive) == 0 ||
           type.compare(u"html"_s, Qt::CaseInsensitive) == 0 ||
           (includeXml && type.compare(u"xml"_s, Qt::CaseInsensitive) == 0);
}

void DownloadListOps::discardKeptParts(int row) {
    DownloadListModel& list = m_session.list();
    if (list.isValidIndex(row) && !list.at(row).folder.trimmed().isEmpty())
        KeptParts::discardKey(list.at(row).folder, list.at(row).key);
}

void DownloadListOps::requeueRow(int row, bool xmlIsWebPage, Partial partial) {
    DownloadListModel& list = m_session.list();
    if (!list.isValidIndex(row))
        return;
    if (partial == Partial::Discard)
        discardKeptParts(row);
    // Only what the row itself wrote goes: the name may meanwhile hold another row's file.
    RowFiles::release(list, row);
    list.setState(row, RowState::Waiting);
    if (isWebPageType(list.at(row).type, xmlIsWebPage))
        list.setType(row, kPlaceholderType);
    list.clearProgress(row);
    RowFiles::release(list, row); // under the new type
    list.setKey(row, DownloadListModel::rotateUrls(list.at(row).key));
}

int DownloadListOps::requeueSelectedRows() {
    DownloadListModel& list = m_session.list();
    int queued = 0;
    for (int i = 0; i < list.count(); ++i) {
        if (list.at(i).selected && isDone(list.at(i))) {
            requeueRow(i);
            ++queued;
        }
    }
    return queued;
}

int DownloadListOps::requeueFailedRows(Partial partial) {
    DownloadListModel& list = m_session.list();
    int queued = 0;
    for (int i = 0; i < list.count(); ++i) {
        if (list.at(i).state == RowState::Failed) {
            requeueRow(i, false, partial);
            ++queued;
        }
    }
    return queued;
}

int DownloadListOps::requeueWebPageRows(Partial partial) {
    DownloadListModel& list = m_session.list();
    int queued = 0;
    for (int i = 0; i < list.count(); ++i) {
        if (isWebPageType(list.at(i).type, true) && isDone(list.at(i))) {
            requeueRow(i, true, partial);
            ++queued;
        }
    }
    return queued;
}

int DownloadListOps::requeueFailedAndWebPageRows() {
    DownloadListModel& list = m_session.list();
    int queued = 0;
    for (int i = 0; i < list.count(); ++i) {
        const DownloadRow& r = list.at(i);
        if (r.state == RowState::Failed || (isWebPageType(r.type, false) && isDone(r))) {
            requeueRow(i);
            ++queued;
        }
    }
    return queued;
}

int DownloadListOps::requeueSmallRows() {
    const std::optional<QString> answer = m_session.context().prompts.inputText(u"请输入数字："_s);
    bool ok = false;
    const double limit = answer.value_or(QString()).trimmed().toDouble(&ok);
    if (!ok)
        return 0;
    DownloadListModel& list = m_session.list();
    int queued = 0;
    for (int i = 0; i < list.count(); ++i) {
        const DownloadRow& r = list.at(i);
        const std::optional<float> size = numericColumn(r.size);
        const std::optional<float> received = numericColumn(r.received);
        if (size && received && *received == *size && limit > double(*size) && isDone(r)) {
            requeueRow(i);
            ++queued;
        }
    }
    return queued;
}

bool DownloadListOps::removeRows(const RowPredicate& qualifies) {
    if (!m_session.requireDownloadsStopped())
        return false;
    DownloadListModel& list = m_session.list();
    if (list.count() == 0)
        return true;
    // A removal shifts the following rows up, so the position only advances past kept rows.
    std::vector<std::pair<QString, QString>> removed;
    for (int i = 0; i < list.count();) {
        if (qualifies(list.at(i))) {
            removed.emplace_back(list.at(i).folder, list.at(i).key);
            list.removeAt(i);
        } else {
            ++i;
        }
    }
    KeptParts::discardKeys(removed);
    emit rowCountTextChanged(list.rowCountText());
    return true;
}

bool DownloadListOps::removeSelectedRows() {
    return removeRows([](const DownloadRow& r) { return r.selected; });
}

bool DownloadListOps::removeFailedRows() {
    return removeRows([](const DownloadRow& r) { return r.state == RowState::Failed; });
}

bool DownloadListOps::removeFinishedRows() {
    return removeRows([](const DownloadRow& r) { return r.state == RowState::Finished; });
}

bool DownloadListOps::clearList() {
    if (!m_session.requireDownloadsStopped())
        return false;
    if (!m_session.context().prompts.askYesNo(u"您确定要清空列表的所有信息吗？"_s))
        return false;
    std::vector<std::pair<QString, QString>> removed;
    for (int i = 0; i < m_session.list().count(); ++i)
        removed.emplace_back(m_session.list().at(i).folder, m_session.list().at(i).key);
    KeptParts::discardKeys(removed);
    m_session.list().clear();
    emit rowCountTextChanged(m_session.list().rowCountText());
    return true;
}

int DownloadListOps::deleteRowFiles(const RowPredicate& qualifies) {
    DownloadListModel& list = m_session.list();
    int touched = 0;
    std::vector<std::pair<QString, QString>> rows;
    for (int i = 0; i < list.count(); ++i) {
        if (!qualifies(list.at(i)))
            continue;
        list.clearProgress(i);
        rows.emplace_back(list.at(i).folder, list.at(i).key);
        RowFiles::release(list, i);
        ++touched;
    }
    KeptParts::discardKeys(rows);
    return touched;
}

int DownloadListOps::deleteFailedRowFiles() {
    return deleteRowFiles([](const DownloadRow& r) { return r.state == RowState::Failed; });
}

int DownloadListOps::deleteWebPageRowFiles() {
    return deleteRowFiles([](const DownloadRow& r) { return isWebPageType(r.type, true) && isDone(r); });
}

bool DownloadListOps::cancelSelectedRows() {
    if (m_session.activity().transferBusy()) {
        m_session.context().prompts.message(u"停止下载后方可设置！"_s, MessageIcon::Error);
        return false;
    }
    DownloadListModel& list = m_session.list();
    for (int i = 0; i < list.count(); ++i) {
        if (list.at(i).selected && list.at(i).state == RowState::Waiting)
            list.setState(i, RowState::Failed);
    }
    return true;
}

int DownloadListOps::checkRowFilesExist() {
    DownloadListModel& list = m_session.list();
    int missing = 0;
    for (int i = 0; i < list.count(); ++i) {
        if (!FileHelpers::fileExists(list.filePath(i))) {
            list.setPercent(i, DownloadListModel::kMissing);
            ++missing;
        }
    }
    return missing;
}

bool DownloadListOps::shuffleRows(bool showDone) {
    if (!m_session.requireDownloadsStopped())
        return false;
    DownloadListModel& list = m_session.list();
    QRandomGenerator random(quint32(m_session.context().timing.nowMs()));
    constexpr int kMaxDraws = 10000;
    int moved = 0;
    int draws = 0;
    for (;;) {
        const int n = list.count() - moved;
        if (n < 1 || ++draws > kMaxDraws)
            break;
        const int r = random.bounded(n); // uniform among the rows not moved yet
        DownloadRow copy = list.at(r);
        copy.b.clear();
        list.removeAt(r);
        list.appendRow(copy);
        ++moved;
    }
    if (showDone)
        m_session.context().prompts.message(u"随机排序完成！"_s, MessageIcon::Information);
    return true;
}

void DownloadListOps::selectAll() {
    DownloadListModel& list = m_session.list();
    for (int i = 0; i < list.count(); ++i)
        list.setSelected(i, true);
}

void DownloadListOps::selectNone() {
    DownloadListModel& list = m_session.list();
    for (int i = 0; i < list.count(); ++i)
        list.setSelected(i, false);
}

DownloadListOps::MenuEnabling DownloadListOps::menuEnabling(const TransferActivity& activity) {
    const bool active = activity.schedulerRunning() || activity.transferBusy();
    MenuEnabling e;
    e.selectAll = !active;
    e.remove = !active;
    e.clear = !active;
    e.stop = active;
    return e;
}

} // namespace mojing
