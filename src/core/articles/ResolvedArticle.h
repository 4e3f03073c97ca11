#pragma once

#include "ArticleInputParser.h"
#include "ArticleMetadata.h"

#include <QString>

namespace mojing {

// What became of one input: an article page with its PDF address, a file, or a failure with
// the text the download list shows for it.
struct ResolvedArticle {
    enum class Outcome { Article, File, Failed };

    static inline const QString kUnknownDoi = QStringLiteral("DOI无法解析");
    static inline const QString kNoPdf = QStringLiteral("未找到PDF地址");
    static inline const QString kNoAnswer = QStringLiteral("无法打开网页");

    ArticleInput input;
    Outcome outcome = Outcome::Failed;
    ArticleMetadata article; // what the article page said (also when it named no PDF)
    // Article: the PDF address. File: the address to fetch it from. Failed: the address that was
    // asked (a DOI's address at the resolver).
    QString address;
    QString servedFrom; // File: the address that answered, after redirects (its name names the file)
    QString fileType;   // File: from the address or the answer's Content-Type; may be empty
    QString failure;    // Failed: one of the texts above

    bool ok() const { return outcome != Outcome::Failed; }
};

} // namespace mojing
