#pragma once

#include "NetworkLayer.h"

#include <QString>
#include <optional>
#include <utility>
#include <vector>

namespace mojing {

class PartFile;

// What a server said about a file that lets a download which broke off continue later.
struct ResumeInfo {
    QString url;       // the address the download asked for
    QString validator; // sent back as If-Range: a strong ETag, else Last-Modified
    qint64 total = 0;  // the file's whole length
};

// A part of a download kept in the target's folder for the next attempt.
struct KeptPart {
    ResumeInfo info;
    QString dataPath;
    qint64 have = 0; // bytes it holds
};

// Parts of downloads that broke off, kept so that the next attempt asks only for the rest. A part
// is kept in the download's folder as the hidden pair ".mojing-<key>.part" (the bytes) and
// ".mojing-<key>.resume" (address, validator and length, one "name=value" line each), where the
// key is derived from the address; it never carries the file's own name, so nothing half-done is
// taken for the file. A transfer that resumes takes the part over (it leaves the folder's kept
// pair); one that breaks off again keeps it anew.
namespace KeptParts {

// The resume information of a response: empty unless the server takes byte ranges, the whole
// length is known and there is a validator that If-Range accepts (a weak ETag is none).
std::optional<ResumeInfo> fromResponse(const QString& url, const QString& acceptRanges, const QString& etag,
                                       const QString& lastModified, qint64 total);

// The part kept for `url` in `folder`, when there is one that can be continued (a stale or
// damaged one is removed).
std::optional<KeptPart> find(const QString& folder, const QString& url);

// "Range: bytes=<have>-" and "If-Range: <validator>".
HeaderList rangeHeaders(const KeptPart& part);

// Whether a 206 answer continues `part`: its Content-Range begins where the part ends and runs to
// the end of a file of the same length, and its ETag (when it has one) is the validator.
bool continues(const KeptPart& part, const QString& contentRange, const QString& etag);

// Keeps the bytes `part` holds for a later attempt under `info`, replacing an older kept part of
// the same address. Afterwards `part` holds nothing; false when nothing could be kept.
bool keep(PartFile& part, const ResumeInfo& info);

// `part` takes over the kept bytes and appends from their end; the kept pair leaves the folder.
bool take(const KeptPart& kept, PartFile& part);

// Removes what is kept for `url` in `folder`.
void discard(const QString& folder, const QString& url);
void discard(const KeptPart& part);
// Removes what is kept for each address of a list key ("a|b|c") in `folder`.
void discardKey(const QString& folder, const QString& key);
// The same for many (folder, key) pairs: each folder is listed once, so that the rows of a long
// list cost no file-system calls where nothing is kept.
void discardKeys(const std::vector<std::pair<QString, QString>>& folderKeys);

// The two files of the part kept for `url` in `folder`.
QString dataPath(const QString& folder, const QString& url);
QString infoPath(const QString& folder, const QString& url);

} // namespace KeptParts
} // namespace mojing
