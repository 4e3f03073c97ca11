#pragma once

#include <QString>

namespace mojing {

class AnsiCodec;
class DownloadListModel;
class DownloadSession;
class Prompts;

// Renames a downloaded file to match its content, and the two tools-menu commands built on the
// content detector.
namespace FileTypeCorrector {

struct SplitName {
    QString baseName;
    QString extension; // empty when there is no dot or the part after it is 7 characters or more
};
// The file name after the last separator, split at its last dot; both parts trimmed.
SplitName SplitFileName(const QString& path);

// Checks the row's file and, when its content says another type, renames it to that type (a free
// "[0001]" name when the type-named file exists) and updates the row's name and type. True only
// when the file now carries the new name.
bool CorrectRowFileType(DownloadListModel& list, int row, const AnsiCodec& codec);

// Tools menu "打开文件判断类型": asks for a file and tells its type.
void 打开文件判断类型(Prompts& prompts, const AnsiCodec& codec);
// Tools menu "检查并纠正磁盘文件类型": corrects every row's file, refusing while downloads run.
// Returns the number of corrected rows (-1 when refused).
int 检查并纠正磁盘文件类型(DownloadSession& session);

} // namespace FileTypeCorrector
} // namespace mojing
