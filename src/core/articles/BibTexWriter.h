#pragma once

#include "ReferenceEntry.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace mojing {

// BibTeX for reference managers: one @article entry per reference, UTF-8. Titles, names and
// journals are escaped so that a BibTeX parser reads back the same text (TeX's special characters
// written as commands, "--" kept from becoming a dash), and titles are braced so that styles keep
// their capitals. Authors are "Family, Given" joined by "and"; the file is named in the
// "description:path:type" form that reference managers attach.
namespace BibTexWriter {

QByteArray write(const ReferenceEntries& entries);

// The citation keys of `entries`, in order: the first author's family name, the year and the
// first word of the title ("smith2019deep"), letters and digits only; later entries with a key
// already taken get "a", "b", ... appended. The same entries always get the same keys.
QStringList keys(const ReferenceEntries& entries);

// Text as the content of a braced BibTeX field.
QString escaped(const QString& text);

} // namespace BibTexWriter
} // namespace mojing
