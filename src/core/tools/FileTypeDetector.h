#pragma once

#include <QString>

namespace mojing {

class AnsiCodec;

// Decides a file's real type from its content: leading bytes first, then a trailing tag, then
// text markers. Keeps no state; every call on a path opens and closes the file itself.
namespace FileTypeDetector {

// How many leading bytes the signature tests look at (the buffer holds one more).
inline constexpr qint64 kHeaderBytes = 10240;

// 「打开文件判断文件类型」 A lower-case extension without the dot ("pdf", "htm", ...), or "" when the content
// does not tell. Never fails: a missing or unreadable file answers "".
QString detectFileType(const QString& path, const AnsiCodec& codec);
// The same answer for content held in memory: `content` is the whole file.
QString detectFileTypeOfBytes(const QByteArray& content, const AnsiCodec& codec);

} // namespace FileTypeDetector
} // namespace mojing
