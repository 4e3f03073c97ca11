#pragma once

#include "ReferenceEntry.h"

#include <QByteArray>

namespace mojing {

// RIS for reference managers: per reference "TY  - JOUR", the title (TI), one AU line per author
// ("Family, Given"), the year (PY), the journal (T2), the DOI (DO), the article page (UR) and the
// file as a file address (L1), closed by "ER  - ". Lines end with CR LF; UTF-8. Line breaks
// inside a value become spaces.
namespace RisWriter {

QByteArray write(const ReferenceEntries& entries);

} // namespace RisWriter
} // namespace mojing
