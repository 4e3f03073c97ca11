#include "DownloadFileActions.h"

#include "DownloadSession.h"
#include "RowFiles.h"
#include "platform/AnsiCodec.h"
#include "platform/FileHelpers.h"
#include "platform/Prompts.h"
#include "platform/Shell.h"
#include "transfer/KeptParts.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

using namespace Qt::StringLiterals;

namespace mojing {

QString DownloadFileActions::rowFile(int row) const {
    const DownloadListModel& list = m_session.list();
    if (!list.isValidIndex(row) || list.at(row).folder.trimmed().isEmpty() || list.at(row).name.isEmpty())
        return {};
    return list.filePath(row);
}

void DownloadFileActions::openWithShell(const QString& path) {
    AppContext& ctx = m_session.context();
    if (path.isEmpty() || !QFileInfo::exists(path)) {
        ctx.prompts.message(kFileMissing, MessageIcon::Error);
        return;
    }
    // Silence would leave the user guessing when the desktop has no application for the file.
    if (!ctx.shell.openWithDefault(path))
        ctx.prompts.message(kOpenFailed, MessageIcon::Error);
}

void DownloadFileActions::openFile(int row) {
    if (!m_session.list().isValidIndex(row))
        return;
    const QString path = rowFile(row);
    if (!FileHelpers::fileExists(path)) {
        m_session.context().prompts.message(kRowFileMissing, MessageIcon::Error);
        return;
    }
    openWithShell(path);
}

void DownloadFileActions::openFolder(int row) {
    DownloadListModel& list = m_session.list();
    if (!list.isValidIndex(row))
        return;
    AppContext& ctx = m_session.context();
    const QString folder = list.at(row).folder;
    if (!FileHelpers::folderExists(folder)) {
        ctx.prompts.message(kFolderMissing, MessageIcon::Error);
        return;
    }
    const QString path = rowFile(row).trimmed();
    const bool opened =
        FileHelpers::fileExists(path) ? ctx.shell.showInFolder(path) : ctx.shell.openWithDefault(folder);
    if (!opened)
        ctx.prompts.message(kOpenFailed, MessageIcon::Error);
}

void DownloadFileActions::openInTextEditor(int row) {
    if (!m_session.list().isValidIndex(row))
        return;
    AppContext& ctx = m_session.context();
    const QString path = rowFile(row);
    if (!FileHelpers::fileExists(path)) {
        ctx.prompts.message(kRowFileMissing, MessageIcon::Error);
        return;
    }
    if (QFileInfo(path).size() > kEditorLimitBytes) {
        ctx.prompts.message(kTooLargeForEditor, MessageIcon::Error);
        return;
    }
    if (!ctx.shell.openInTextEditor(path))
        ctx.prompts.message(kOpenFailed, MessageIcon::Error);
}

void DownloadFileActions::copyName(int row) {
    if (m_session.list().isValidIndex(row))
        m_session.context().shell.setClipboardText(m_session.list().at(row).name);
}

void DownloadFileActions::openAddress(int row) {
    if (m_session.list().isValidIndex(row))
        m_session.context().shell.openInBrowser(DownloadListModel::currentUrl(m_session.list().at(row).key));
}

void DownloadFileActions::deletePartialFile(int row) {
    // Only what the row itself wrote: a failed row's name may hold another row's finished file.
    RowFiles::release(m_session.list(), row);
    // The queued row starts over, also where a part was kept for resuming it.
    if (!rowFile(row).isEmpty())
        KeptParts::discardKey(m_session.list().at(row).folder, m_session.list().at(row).key);
}

void DownloadFileActions::activateRow(int row) {
    DownloadListModel& list = m_session.list();
    if (!list.isValidIndex(row))
        return;
    switch (list.at(row).state) {
    case RowState::Finished:
        if (FileHelpers::fileExists(rowFile(row)))
            openWithShell(rowFile(row));
        else
            m_session.context().prompts.message(kFileMissing, MessageIcon::Error);
        break;
    case RowState::Failed:
        deletePartialFile(row);
        list.setState(row, RowState::Waiting);
        list.clearProgress(row);
        break;
    default:
        break;
    }
}

QString DownloadFileActions::showRowPath(int row) {
    const QString path = rowFile(row);
    const QString shown = FileHelpers::fileExists(path) ? path : QString();
    m_session.showStatus(2, shown);
    return shown;
}

void DownloadFileActions::openPanelPath(const QString& text) {
    // The panel also shows transfer texts ("完成下载:..."); only a file path is worth opening.
    if (FileHelpers::fileExists(text))
        m_session.context().shell.openInBrowser(text);
}

bool DownloadFileActions::exportNames(bool unfinishedOnly) {
    const DownloadListModel& list = m_session.list();
    if (list.count() == 0)
        return false;
    AppContext& ctx = m_session.context();
    const QString path = ctx.prompts.saveFileName(u"*.txt|*.txt"_s, u"txt"_s, true);
    if (path.isEmpty())
        return false;
    QString text;
    for (int i = 0; i < list.count(); ++i) {
        if (!unfinishedOnly || list.at(i).state != RowState::Finished)
            text += list.at(i).name + u"\r\n"_s;
    }
    const QByteArray bytes = ctx.codec.encode(text);
    // Written whole or not at all: an old file stays as it was when anything fails.
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit())
        return true;
    ctx.prompts.message(file.errorString(), MessageIcon::Error);
    return false;
}

} // namespace mojing
