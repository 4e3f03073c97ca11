#include "ReferenceExport.h"

#include "ArticleRows.h"
#include "DownloadSession.h"
#include "articles/BibTexWriter.h"
#include "articles/RisWriter.h"
#include "platform/FileHelpers.h"
#include "platform/Prompts.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>

using namespace Qt::StringLiterals;

namespace mojing {

QString ReferenceExport::titleOf(const DownloadRow& row) {
    if (!row.article.title.trimmed().isEmpty())
        return row.article.title;
    static const QRegularExpression counter(u"\\[\\d{3,}\\]$"_s);
    return QString(row.name).remove(counter);
}

ReferenceEntry ReferenceExport::entryOf(const DownloadRow& row, const QString& filePath) {
    ReferenceEntry entry{ArticleRows::articleOf(row), filePath};
    entry.article.title = titleOf(row);
    return entry;
}

ReferenceEntries ReferenceExport::finishedEntries(const DownloadListModel& list,
                                                  const std::function<bool(int row)>& accept) {
    ReferenceEntries entries;
    for (int i = 0; i < list.count(); ++i) {
        const DownloadRow& row = list.at(i);
        if (row.state != RowState::Finished || row.folder.trimmed().isEmpty() || row.name.isEmpty())
            continue;
        const QString path = list.filePath(i);
        if (FileHelpers::fileExists(path) && (!accept || accept(i)))
            entries.push_back(entryOf(row, path));
    }
    return entries;
}

QByteArray ReferenceExport::render(Format format, const ReferenceEntries& entries) {
    return format == Format::BibTex ? BibTexWriter::write(entries) : RisWriter::write(entries);
}

bool ReferenceExport::saveWhole(const QString& path, const QByteArray& bytes, QString& error) {
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit())
        return true;
    error = file.errorString();
    return false;
}

QString ReferenceExport::proposedPath(const ReferenceEntries& entries, const QString& suffix) {
    // Beside the papers it describes: the file fields then point next door.
    const QString folder = entries.empty() ? QString() : QFileInfo(entries.front().filePath).absolutePath();
    return QDir(folder).filePath(kProposedName + u'.' + suffix);
}

QString ReferenceExport::exportedText(int count, const QString& path) {
    return u"已导出%1条文献：%2"_s.arg(count).arg(QDir::toNativeSeparators(path));
}

bool ReferenceExport::exportTo(Format format) {
    const DownloadListModel& list = m_session.list();
    if (list.count() == 0)
        return false;
    Prompts& prompts = m_session.context().prompts;
    const ReferenceEntries entries = finishedEntries(list);
    if (entries.empty()) {
        prompts.message(kNothingToExport, MessageIcon::Information);
        return false;
    }
    const bool bibTex = format == Format::BibTex;
    const QString suffix = bibTex ? u"bib"_s : u"ris"_s;
    const QString path = prompts.saveFileName(bibTex ? u"BibTeX|*.bib"_s : u"RIS|*.ris"_s, suffix, true,
                                              proposedPath(entries, suffix));
    if (path.isEmpty())
        return false;
    QString error;
    if (saveWhole(path, render(format, entries), error)) {
        m_session.showStatus(2, exportedText(int(entries.size()), path));
        return true;
    }
    prompts.message(error, MessageIcon::Error);
    return false;
}

} // namespace mojing
