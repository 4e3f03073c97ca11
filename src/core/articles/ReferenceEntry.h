#pragma once

#include "ArticleMetadata.h"

#include <QString>
#include <vector>

namespace mojing {

// One article for a reference export: its metadata and the file that holds it.
struct ReferenceEntry {
    ArticleMetadata article;
    QString filePath; // absolute; empty when there is no file

    bool operator==(const ReferenceEntry&) const = default;
};

using ReferenceEntries = std::vector<ReferenceEntry>;

} // namespace mojing
