#pragma once

#include "DownloadListModel.h"
#include "articles/ResolvedArticle.h"

#include <QString>

namespace mojing {

class AnsiCodec;

// Download rows for what the article resolver found.
namespace ArticleRows {

// A type is a short run of letters and digits; anything else means "unknown yet" (empty).
QString cleanType(const QString& type);

struct NameAndType {
    QString name; // never empty, never a path
    QString type; // a short run of letters and digits, or empty
};
// The name and type of the file an address names: its last path segment split at the extension,
// cleaned so that it can only name a file inside its folder (the host, or "download", when the
// segment gives nothing).
NameAndType fromAddress(const QString& url, const AnsiCodec& codec);

// The row of a resolved input, waiting, in `folder`:
// - an article: named after its title, type pdf, keyed by its PDF address, its article page as
//   the referring page;
// - a file: named and typed after its address, `referer` as the referring page;
// - a failure: a failed row keyed by the address asked, the reason where the size goes, named
//   after the title the page gave or else the input.
// The row keeps the article's metadata.
DownloadRow rowFor(const ResolvedArticle& result, const QString& folder, const QString& referer,
                   const AnsiCodec& codec);

// The row's article as far as it is known: the metadata it keeps, with the DOI its address
// carries when it kept none (rows harvested from result pages have only a title and an address).
ArticleMetadata articleOf(const DownloadRow& row);

} // namespace ArticleRows
} // namespace mojing
