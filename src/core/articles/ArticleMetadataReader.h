#pragma once

#include "ArticleMetadata.h"

#include <QByteArray>
#include <QString>

namespace mojing {

class AnsiCodec;
class BrowserDocument;

// What an article page offers: its metadata, where its PDF is, and whether the page sends its
// reader on elsewhere first.
struct ArticlePage {
    ArticleMetadata article;
    QString pdfUrl;     // absolute http(s) address, or empty
    QString refreshUrl; // a <meta http-equiv="refresh"> target, absolute http(s), or empty
    // The page calls itself an article (a citation_title element): the search window adds such
    // pages as they are.
    bool hasCitationTitle = false;
};

// Reads the standard scholarly metadata that journal platforms put into the head of their
// article pages: the citation_* elements search engines read, Dublin Core (DC.*), Open Graph
// (og:*) and the page title, in any order and letter case. Values are decoded as a browser
// shows them (entities, markup inside a title), white space collapsed.
class ArticleMetadataReader {
public:
    // The page's metadata; its address is the document's.
    static ArticlePage read(const BrowserDocument& document);
    // A page as a server sent it: the charset of `contentType`, else a byte-order mark, else the
    // page's own declaration, else UTF-8 where the bytes are UTF-8 and the ANSI code page where not.
    static ArticlePage readPage(const QByteArray& bytes, const QString& contentType, const QString& url,
                                const AnsiCodec& ansi);
    static QString decodePage(const QByteArray& bytes, const QString& contentType, const AnsiCodec& ansi);

    // A value as it reads: entities decoded (also where a page encoded them twice), markup
    // dropped, control characters removed, white space collapsed and trimmed.
    static QString cleanText(const QString& value);
    // The year a date names ("2019/03/05", "2019-03-05", "05.03.2019", "2019"), or empty.
    static QString yearOf(const QString& date);
};

} // namespace mojing
