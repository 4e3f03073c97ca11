#include "FileTypeCorrector.h"

#include "DownloadListModel.h"
#include "DownloadSession.h"
#include "Naming.h"
#include "platform/AnsiCodec.h"
#include "platform/FileHelpers.h"
#include "platform/Prompts.h"
#include "tools/FileTypeDetector.h"

#include <QFile>

using namespace Qt::StringLiterals;

namespace mojing::FileTypeCorrector {

bool correctRowFileType(DownloadListModel& list, int row, const AnsiCodec& codec) {
    if (!list.isValidIndex(row))
        return false;
    const DownloadRow& r = list.at(row);
    const QString oldType = r.type.toLower();
    const QString path = DownloadListModel::filePathOf(r);
    if (!FileHelpers::fileExists(path))
        return false;
    const QString detected = FileTypeDetector::detectFileType(path, codec);
    if (detected.isEmpty() || detected.compare(oldType, Qt::CaseInsensitive) == 0)
        return false;
    const QString target =
        Naming::uniqueFilePath(FileHelpers::withTrailingSeparator(r.folder) + r.name + u'.' + detected);
    QFile::rename(path, target);
    if (!FileHelpers::fileExists(target))
        return false;
    // The row still owns its file under the new name.
    if (list.at(row).owned.path == path) {
        OwnedFile owned = list.at(row).owned;
        owned.path = target;
        list.setOwned(row, owned);
    }
    list.setType(row, detected);
    list.setName(row, FileHelpers::splitFileName(target).baseName);
    return true;
}

void pickFileAndShowType(Prompts& prompts, const AnsiCodec& codec) {
    const QString path = prompts.openFileName(u"*.*|*.*"_s);
    if (path.isEmpty())
        return;
    const QString type = FileTypeDetector::detectFileType(path, codec);
    prompts.message(type.isEmpty() ? u"目前还无法判断。"_s : u"文件类型为："_s + type,
                    MessageIcon::Information);
}

int correctFileTypesOnDisk(DownloadSession& session) {
    if (!session.requireDownloadsStopped())
        return -1;
    DownloadListModel& list = session.list();
    if (list.count() == 0)
        return 0;
    int corrected = 0;
    for (int row = 0; row < list.count(); ++row) {
        if (correctRowFileType(list, row, session.context().codec))
            ++corrected;
    }
    session.context().prompts.message(u"纠正文件类型："_s + QString::number(corrected) + u"个."_s,
                                      MessageIcon::Information);
    return corrected;
}

} // namespace mojing::FileTypeCorrector
