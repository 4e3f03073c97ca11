#pragma once

#include <QString>

namespace mojing {

class AnsiCodec;

// Pure text functions that turn a response header block into what a transfer needs to name and
// type the file it is about to write. Nothing here touches the network, the list or the disk.
namespace HeaderHelpers {

// 「从网络文件Header获取ContentDisposition」 The value of the first "Content-Disposition:" line of a CR LF
// separated header block, or empty.
QString dispositionFromHeader(const QString& headerBlock);

struct DispositionName {
    QString baseName;  // decoded, without extension
    QString extension; // leading letters only, at most 5, case kept; empty otherwise
};
// 「从下载头信息ContentDisposition获取文件名」 The file name carried by `filename=` in a Content-Disposition
// value. The extended form `filename*=` alone yields nothing.
DispositionName dispositionFileName(const QString& value, const AnsiCodec& codec);

// Percent-escaped text whose bytes are UTF-8 where they form UTF-8, else the ANSI code page.
QString urlUnescapeUtf8(const QString& text, const AnsiCodec& codec);
// Percent-escaped text whose byte runs are in the ANSI code page; %uXXXX is a UTF-16 unit.
QString urlUnescapeAnsi(const QString& text, const AnsiCodec& codec);
// Without CR, LF, NUL and TAB, trimmed.
QString stripControlChars(const QString& text);
// The value of a few hexadecimal digits, or -1 when they are not a valid number.
qint64 hexToLong(const QString& digits);
// "type/subtype" to an extension of at most 5 letters, or empty.
QString mimeTypeToExtension(const QString& mimeType);

struct ContentType {
    QString mimeType; // trimmed, may be empty
    QString charset;  // from a second part "charset=...", may be empty
};
ContentType splitContentType(const QString& value);

// The value of header `name` (case-insensitive) in a header block, trimmed; the first wins.
QString headerValue(const QString& headerBlock, const QString& name);
// The status line (first line) contains both "200" and "OK", case-insensitively.
bool isSuccessStatus(const QString& headerBlock);

} // namespace HeaderHelpers
} // namespace mojing
