#pragma once

#include <QDateTime>
#include <QString>
#include <optional>

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
// The numeric code of the status line ("HTTP/1.1 206 Partial Content" gives 206), 0 when none.
int statusCode(const QString& headerBlock);

// The answers with which a server asks its clients to come back later (429 Too Many Requests,
// 503 Service Unavailable).
bool asksForPause(int statusCode);
// Seconds to wait from a Retry-After value: a number of seconds, or an HTTP date (the three forms
// HTTP allows) compared with `nowUtc` (a date already past gives 0). Empty for a missing or
// unreadable value.
std::optional<qint64> retryAfterSeconds(const QString& value, const QDateTime& nowUtc);
// An HTTP date ("Sun, 06 Nov 1994 08:49:37 GMT", "Sunday, 06-Nov-94 08:49:37 GMT" or
// "Sun Nov  6 08:49:37 1994") in UTC; invalid when the text is none of them.
QDateTime parseHttpDate(const QString& text);

// What a "Content-Range: bytes first-last/total" value says; total is -1 for "*".
struct ContentRange {
    qint64 first = -1;
    qint64 last = -1;
    qint64 total = -1;
};
// Empty unless the value is a well-formed byte range.
std::optional<ContentRange> parseContentRange(const QString& value);

} // namespace HeaderHelpers
} // namespace mojing
