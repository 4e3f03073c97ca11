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

// Checks the row's file and, when its content says another type, renames it to that type (a free
// "[0001]" name when the type-named file exists) and updates the row's name and type. True only
// when the file now carries the new name.
bool correctRowFileType(DownloadListModel& list, int row, const AnsiCodec& codec);

// Tools menu "打开文件判断类型": asks for a file and tells its type.
void pickFileAndShowType(Prompts& prompts, const AnsiCodec& codec);
// Tools menu "检查并纠正磁盘文件类型": corrects every row's file, refusing while downloads run.
// Returns the number of corrected rows (-1 when refused).
int correctFileTypesOnDisk(DownloadSession& session);

} // namespace FileTypeCorrector
} // namespace mojing
