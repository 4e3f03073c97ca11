#pragma once

#include <QString>

namespace mojing::DialogFilter {

// Turns a file filter in the program's "description|pattern[|description|pattern...]" form, with
// patterns separated by ";", into Qt's "description (pattern pattern);;..." form. A lone pattern
// without a description is used as both.
QString toQt(const QString& filter);

} // namespace mojing::DialogFilter
