#include "DownloadOptions.h"

using namespace Qt::StringLiterals;

namespace mojing {

QString duplicatePolicyCaption(DuplicatePolicy policy) {
    switch (policy) {
    case DuplicatePolicy::Skip: return u"跳过"_s;
    case DuplicatePolicy::Overwrite: return u"覆盖"_s;
    case DuplicatePolicy::Rename: break;
    }
    return u"重命名"_s;
}

DuplicatePolicy duplicatePolicyFromCaption(const QString& caption) {
    const QString c = caption.trimmed();
    if (c == u"跳过"_s)
        return DuplicatePolicy::Skip;
    if (c == u"覆盖"_s)
        return DuplicatePolicy::Overwrite;
    return DuplicatePolicy::Rename;
}

} // namespace mojing
