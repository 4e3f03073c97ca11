#pragma once

#include <QChar>
#include <QString>

namespace mojing {

class AnsiCodec;
class Prompts;

// Name, folder and existence helpers shared by the save-folder dialog, the download manager and
// the file tools. Written once on the platform's separator.
namespace FileHelpers {

// The platform's path separator ('/' here, '\\' on Windows).
QChar separator();
// `folder` with one separator at its end.
QString withTrailingSeparator(const QString& folder);

// Removes characters not allowed in file names, line breaks and NULs, leading and trailing dots,
// turns halves of surrogate pairs into replacement characters, and cuts the name to 200 bytes in
// the ANSI code page without splitting a character.
QString sanitizeFileName(const QString& name, const AnsiCodec& codec);
// The first steps of sanitizeFileName alone: characters not allowed in file names, line breaks
// and NULs removed, halves of surrogate pairs made replacement characters; nothing cut.
QString removeUnsafeCharacters(const QString& name);
// The longest prefix of `name` that, followed by `reserved`, still fits the byte limits of
// sanitizeFileName (used to shorten one part of a name while the rest stays whole).
QString cutToNameLimits(const QString& name, const AnsiCodec& codec, const QString& reserved = {});

// Creates every missing level of `path` (each level cleaned by sanitizeFileName) and returns the
// folder without a trailing separator, or an empty string on failure. A level that cleans to
// nothing, or a network path without a server, shows "文件夹名称有误！不能创建文件夹！" through
// `prompts` (when given) and fails.
QString createFolderPath(const QString& path, const AnsiCodec& codec, Prompts* prompts);

struct SplitName {
    QString baseName;
    QString extension; // empty when there is no dot or the part after it is 7 characters or more
};
// The file name after the last separator, split at its last dot; both parts trimmed.
SplitName splitFileName(const QString& path);

bool folderExists(const QString& path);
// Also accepts a file URL ("file:///...").
bool fileExists(const QString& path);

} // namespace FileHelpers
} // namespace mojing
