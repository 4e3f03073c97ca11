#include "ArticleListCommands.h"

#include "ArticleListModel.h"
#include "dom/Browser.h"
#include "platform/AnsiCodec.h"
#include "platform/Prompts.h"
#include "program/AppContext.h"

#include <QFileInfo>
#include <QSaveFile>
#include <cmath>

using namespace Qt::StringLiterals;

namespace mojing {

ArticleListCommands::ArticleListCommands(AppContext& context, Browser& browser, ArticleListModel& list,
                                         QObject* parent)
    : QObject(parent), m_context(context), m_browser(browser), m_list(list) {}

bool ArticleListCommands::refuseWhileAnalysing() {
    if (m_analysisRunning && m_analysisRunning()) {
        m_context.prompts.message(kBusyText, MessageIcon::Error);
        return true;
    }
    return false;
}

void ArticleListCommands::removeRowsWhere(const std::function<bool(const ArticleRow&)>& predicate) {
    if (m_list.count() == 0)
        return;
    m_list.removeRowsWhere(predicate);
    m_list.refreshCount();
}

void ArticleListCommands::clearSelected() {
    if (refuseWhileAnalysing())
        return;
    removeRowsWhere([](const ArticleRow& row) { return row.selected; });
}

void ArticleListCommands::clearSucceeded() {
    if (refuseWhileAnalysing())
        return;
    removeRowsWhere([](const ArticleRow& row) { return row.status == ArticleListModel::kStatusDone; });
}

void ArticleListCommands::clearByTitle(bool containing) {
    if (refuseWhileAnalysing())
        return;
    const std::optional<QString> answer = m_context.prompts.inputText(kAskText);
    if (!answer || answer->isEmpty())
        return;
    const QString text = *answer;
    removeRowsWhere(
        [&](const ArticleRow& row) { return row.title.contains(text, Qt::CaseInsensitive) == containing; });
}

void ArticleListCommands::clearTitleContaining() {
    clearByTitle(true);
}

void ArticleListCommands::clearTitleNotContaining() {
    clearByTitle(false);
}

void ArticleListCommands::clearAll() {
    if (refuseWhileAnalysing())
        return;
    if (!m_context.prompts.askYesNo(kConfirmClearAll))
        return;
    m_list.clear();
    m_list.refreshCount();
}

void ArticleListCommands::openArticle(int row) {
    if (row < 0 || row >= m_list.count())
        return;
    m_browser.navigate(m_list.at(row).key);
}

QString ArticleListCommands::exportLine(const ArticleRow& row) {
    return row.title + u"-【"_s + row.fileType + u"】"_s + row.status + u"\r\n"_s;
}

QString ArticleListCommands::kilobytesText(qint64 bytes) {
    // One decimal, halves rounded away from zero, then the integer part grouped by thousands.
    const qint64 tenths = qint64(std::llround(double(bytes) * 10.0 / 1024.0));
    QString whole = QString::number(tenths / 10);
    for (qsizetype at = whole.size() - 3; at > 0; at -= 3)
        whole.insert(at, u',');
    return whole + u'.' + QString::number(tenths % 10);
}

void ArticleListCommands::exportList() {
    const int n = m_list.count();
    if (n == 0)
        return;
    const QString path = m_context.prompts.saveFileName(u"*.txt|*.txt"_s, u"txt"_s);
    if (path.isEmpty())
        return;
    QString text;
    for (int i = 0; i < n; ++i)
        text += exportLine(m_list.at(i));
    const QByteArray bytes = m_context.codec.encode(text);
    // Written whole or not at all; a failure ends the command without a message.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        return;
    m_context.prompts.message(kExportDone + kilobytesText(QFileInfo(path).size()) + u"KB"_s,
                              MessageIcon::Information);
}

} // namespace mojing
