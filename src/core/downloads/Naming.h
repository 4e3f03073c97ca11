#pragma once

#include "DownloadOptions.h"

#include <QString>

namespace mojing {

class DownloadSession;

// Target paths of downloads and the duplicate-name policy.
namespace Naming {

struct TargetChoice {
    QString name; // the name to use (may carry a "[001]" counter)
    QString path; // folder + name (+ "." + type when the type is not empty)
};

// 「确定是需要下载」 Decides whether a row must be downloaded. With the policy "跳过" and an existing target
// (the row's file path; a bare two-byte download placeholder does not count) the row becomes Finished
// with both size columns set to the file's length and "已存在，跳过"; the result is then false.
bool needsDownload(DownloadSession& session, int row);

// 「重命名保存路径」 Chooses the target: unchanged when the policy is "覆盖" or the path is free; otherwise
// the first free name with a three-digit counter ("name[001].pdf"), continuing a counter the name already
// ends with and turning other square brackets into 『』.
TargetChoice chooseTarget(const QString& folder, const QString& name, const QString& type,
                          DuplicatePolicy policy);

// The path itself when free, else the first free "base[0001].ext" variant (base cut to 100
// characters, an existing bracketed counter dropped first).
QString uniqueFilePath(const QString& path);

} // namespace Naming
} // namespace mojing
