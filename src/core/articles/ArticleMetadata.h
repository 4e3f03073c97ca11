#pragma once

#include <QString>
#include <QStringList>

namespace mojing {

// What an article page says about its article: the standard scholarly metadata of its head
// (citation_*, Dublin Core, Open Graph). Rows keep it for naming their files and for exports.
struct ArticleMetadata {
    QString title;
    QStringList authors; // in page order, as written ("Family, Given" or "Given Family")
    QString year;        // four digits, or empty
    QString journal;
    QString doi;         // "10.NNNN/suffix", lower-cased prefix, or empty
    QString articlePage; // the address the metadata was read from

    bool isEmpty() const {
        return title.isEmpty() && authors.isEmpty() && year.isEmpty() && journal.isEmpty() && doi.isEmpty() &&
               articlePage.isEmpty();
    }
    bool operator==(const ArticleMetadata&) const = default;
};

} // namespace mojing
