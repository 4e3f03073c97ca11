#include "CopyMoveController.h"

#include "CopyPaths.h"
#include "FileCopy.h"
#include "platform/FileHelpers.h"
#include "platform/LinkFreePath.h"
#include "platform/Prompts.h"
#include "settings/SettingKeys.h"
#include "settings/SettingsStore.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace mojing {

namespace {
// The folder as the file system knows it (links and ".." resolved), so that a source reached
// through another spelling of the destination is still recognised as already there.
QString resolvedFolder(const QString& folder) {
    const QFileInfo info(folder);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(info.absoluteFilePath()) : canonical;
}

bool sameFolder(const QString& a, const QString& b) {
    if (a.trimmed().isEmpty() || b.trimmed().isEmpty())
        return false;
#ifdef Q_OS_WIN
    return resolvedFolder(a).compare(resolvedFolder(b), Qt::CaseInsensitive) == 0;
#else
    return resolvedFolder(a) == resolvedFolder(b);
#endif
}

// Remembered folders are compared without letter case and without a trailing separator, so
// "/a/b" from the save-folder dialog and "/a/b/" from this tool count as one folder.
bool sameHistoryEntry(const QString& a, const QString& b) {
    auto bare = [](QString s) {
        s = s.trimmed();
        while (s.size() > 1 && s.endsWith(FileHelpers::separator()))
            s.chop(1);
        return s;
    };
    return bare(a).compare(bare(b), Qt::CaseInsensitive) == 0;
}
} // namespace

CopyMoveController::CopyMoveController(const AppContext& context, SharedFolders folders, QObject* parent)
    : QObject(parent), m_context(context), m_folders(std::move(folders)) {
    m_step.setSingleShot(true);
    m_step.setInterval(0);
    connect(&m_step, &QTimer::timeout, this, [this] {
        if (m_stepProcesses)
            processCurrent();
        else
            showNextName();
    });
}

CopyMoveController::~CopyMoveController() = default;

QString CopyMoveController::defaultCaption() const {
    return (m_moveMode ? kMoveCaption : kCopyCaption) + u'-' + kApplicationTitle;
}

void CopyMoveController::open() {
    if (m_folders.load) {
        if (auto loaded = m_folders.load())
            m_history = *loaded;
    }
    m_folderText = m_context.settings.read(SettingKeys::kSectionCopyMove, SettingKeys::kCopyTarget);
    bool ok = false;
    const int index =
        m_context.settings.read(SettingKeys::kSectionCopyMove, SettingKeys::kCopyOption).toInt(&ok);
    m_opIndex = ok && index >= Skip && index <= OverwriteIfSameSize ? index : int(OverwriteIfSameSizeAndTime);
    emit changed();
}

void CopyMoveController::setOpIndex(int index) {
    if (index >= Skip && index <= OverwriteIfSameSize)
        m_opIndex = index;
}

void CopyMoveController::browse() {
    if (m_folders.pick)
        m_folderText = FileHelpers::withTrailingSeparator(m_folders.pick(m_folderText, kPickerTitle));
    emit changed();
}

bool CopyMoveController::prepareDestination() {
    // A relative folder would land wherever the program happens to run: refused like one that
    // cannot be created.
    const QString text = m_folderText.trimmed();
    QString created;
    if (!text.isEmpty() && !QDir::isRelativePath(text))
        created = FileHelpers::createFolderPath(text, m_context.codec, &m_context.prompts);
    if (created.isEmpty()) {
        m_folderText.clear();
        emit changed();
        m_context.prompts.message(kFolderError, MessageIcon::Error);
        return false;
    }
    m_destination = FileHelpers::withTrailingSeparator(created);
    m_folderText = m_destination;
    m_context.settings.write(SettingKeys::kSectionCopyMove, SettingKeys::kCopyTarget, m_destination);
    m_context.settings.write(SettingKeys::kSectionCopyMove, SettingKeys::kCopyOption,
                             QString::number(m_opIndex));

    const QString remembered = m_destination.trimmed();
    const bool known = std::any_of(m_history.cbegin(), m_history.cend(),
                                   [&](const QString& h) { return sameHistoryEntry(h, remembered); });
    if (!known)
        m_history << remembered;
    if (m_folders.save)
        m_folders.save(m_history);
    return true;
}

void CopyMoveController::execute(bool showMessage) {
    // A press during a run only stops it; the loop ends before its next file.
    if (m_running) {
        m_step.stop();
        finishRun();
        return;
    }
    if (!prepareDestination())
        return;
    m_currentName.clear();
    // A link is no file of its own: it is neither copied (which would read what it points at) nor
    // moved, and neither is a file a link leads to.
    m_sources.removeIf([](const QString& path) {
        const QString p = path.trimmed();
        const QString folder = QFileInfo(p).absolutePath();
        return !QFileInfo(p).isFile() || QFileInfo(p).isSymLink() ||
               !LinkFreePath::isLinkFree(LinkFreePath::anchorOf(folder, LinkFreePath::systemHomes()), folder);
    });
    if (m_sources.isEmpty()) {
        emit changed();
        return;
    }
    m_running = true;
    m_showMessage = showMessage;
    m_index = 0;
    m_progress = 0;
    m_progressMax = int(m_sources.size()) + 1;
    m_stepProcesses = false;
    emit changed();
    m_step.start();
}

void CopyMoveController::abandon() {
    m_step.stop();
    m_running = false;
    m_currentName.clear();
    m_progress = 0;
}

void CopyMoveController::showNextName() {
    if (!m_running)
        return;
    if (m_index >= m_sources.size()) {
        finishRun();
        return;
    }
    m_progress = m_index + 1;
    const CopyPaths::PathParts parts = CopyPaths::splitPath(m_sources.at(m_index));
    if (sameFolder(parts.folder, m_destination)) {
        // Already in the destination: neither copied, numbered nor (moving) deleted.
        ++m_index;
        emit changed();
        m_step.start();
        return;
    }
    m_currentName = parts.fileName();
    emit changed();
    // The name shows before the copy starts.
    m_stepProcesses = true;
    m_step.start();
}

void CopyMoveController::processCurrent() {
    m_stepProcesses = false;
    if (!m_running)
        return;
    const QString source = m_sources.at(m_index).trimmed();
    const bool written = writeToDestination(source, m_destination + m_currentName);
    if (m_moveMode && written)
        LinkFreePath::removeFile(LinkFreePath::anchorOf(source, LinkFreePath::systemHomes()), source);
    ++m_index;
    m_step.start();
}

bool CopyMoveController::writeToDestination(const QString& source, const QString& target) {
    if (!QFileInfo::exists(target))
        return FileCopy::copyNew(source, target);
    const QFileInfo from(source);
    const QFileInfo to(target);
    const bool sameSize = from.size() == to.size();
    // Compared to the second, as file times are shown and kept by most tools.
    const bool sameTime = from.lastModified().toSecsSinceEpoch() == to.lastModified().toSecsSinceEpoch();
    switch (m_opIndex) {
    case Skip:
        return false;
    case Overwrite:
        return FileCopy::copyOver(source, target);
    case Rename:
        return FileCopy::copyWithNumberedName(source, m_destination);
    case OverwriteIfSameSizeAndTime:
        return sameSize && sameTime ? FileCopy::copyOver(source, target)
                                    : FileCopy::copyWithNumberedName(source, m_destination);
    case OverwriteIfSameSize:
        return sameSize ? FileCopy::copyOver(source, target)
                        : FileCopy::copyWithNumberedName(source, m_destination);
    }
    return false;
}

void CopyMoveController::finishRun() {
    m_running = false;
    m_progress = 0;
    m_currentName.clear();
    emit changed();
    if (m_showMessage)
        m_context.prompts.message(m_moveMode ? kMoveDone : kCopyDone, MessageIcon::Information);
    emit finished();
}

} // namespace mojing
