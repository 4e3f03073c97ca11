#include "DialogFilter.h"

#include <QStringList>

using namespace Qt::StringLiterals;

namespace mojing::DialogFilter {

QString toQt(const QString& filter) {
    const QStringList parts = filter.split(u'|');
    QStringList entries;
    for (qsizetype i = 0; i < parts.size(); i += 2) {
        const QString description = parts.at(i).trimmed();
        QString pattern = i + 1 < parts.size() ? parts.at(i + 1).trimmed() : description;
        if (description.isEmpty() && pattern.isEmpty())
            continue;
        QStringList patterns = pattern.split(u';', Qt::SkipEmptyParts);
        for (QString& p : patterns)
            p = p.trimmed();
        const QString joined = patterns.join(u' ');
        // Qt reads the patterns from the last parentheses; a description that already shows
        // exactly the pattern is not repeated.
        if (description == pattern || description.isEmpty())
            entries << joined + u" ("_s + joined + u')';
        else
            entries << description + u" ("_s + joined + u')';
    }
    return entries.join(u";;"_s);
}

} // namespace mojing::DialogFilter
