#include "FileTypeCorrector.h"

#include "FileTypeDetector.h"
#include "app/AnsiCodec.h"
#include "app/FileHelpers.h"
#include "app/Prompts.h"
#include "downloads/DownloadListModel.h"
#include "downloads/DownloadSession.h"
#include "downloads/Naming.h"

#include <QFile>

using namespace Qt::StringLiterals;

namespace mojing::FileTypeCorrector {

SplitName SplitFileName(const QString& path) {
    const QString trimmed = path.trimmed();
    const qsizetype sep = trimmed.lastIndexOf(FileHelpers::separator());
    const QString fileName = sep >= 0 ? trimmed.mid(sep + 1) : trimmed;
    const qsizetype dot = fileName.lastIndexOf(u'.');
    if (dot < 0 || fileName.size() - dot - 1 >= 7)
        return {fileName.trimmed(), QString()};
    return {fileName.left(dot).trimmed(), fileName.mid(dot + 1).trimmed()};
}

bool CorrectRowFileType(DownloadListModel& list, int row, const AnsiCodec& codec) {
    if (!list.isValidIndex(row))
        return false;
    const DownloadRow& r = list.at(row);
    const QString oldType = r.type.toLower();
    const QString path = DownloadListModel::filePathOf(r);
    if (!FileHelpers::fileExists(path))
        return false;
    const QString detected = FileTypeDetector::打开文件判断文件类型(path, codec);
    if (detected.isEmpty() || detected.compare(oldType, Qt::CaseInsensitive) == 0)
        return false;
    const QString target =
        Naming::UniqueFilePath(FileHelpers::withTrailingSeparator(r.folder) + r.name + u'.' + detected);
    QFile::rename(path, target);
    if (!FileHelpers::fileExists(target))
        return false;
    list.setType(row, detected);
    list.setName(row, SplitFileName(target).baseName);
    return true;
}

void 打开文件判断类型(Prompts& prompts, const AnsiCodec& codec) {
    const QString path = prompts.openFileName(u"*.*|*.*"_s);
    if (path.isEmpty())
        return;
    const QString type = FileTypeDetector::打开文件判断文件类型(path, codec);
    prompts.message(type.isEmpty() ? u"目前还无法判断。"_s : u"文件类型为："_s + type,
                    MessageIcon::Information);
}

int 检查并纠正磁盘文件类型(DownloadSession& session) {
    if (!session.requireDownloadsStopped())
        return -1;
    DownloadListModel& list = session.list();
    if (list.count() == 0)
        return 0;
    int corrected = 0;
    for (int row = 0; row < list.count(); ++row) {
        if (CorrectRowFileType(list, row, session.context().codec))
            ++corrected;
    }
    session.context().prompts.message(u"纠正文件类型："_s + QString::number(corrected) + u"个."_s,
                                      MessageIcon::Information);
    return corrected;
}

} // namespace mojing::FileTypeCorrector
