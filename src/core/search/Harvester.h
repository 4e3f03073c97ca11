#pragma once

#include <QString>

namespace mojing {

class ArticleListModel;
class BrowserDocument;

// Turns the entries of a journal platform's result page into rows of the article list: every entry
// that offers a PDF (optionally only the open-access ones) becomes a row keyed by its PDF address.
// An entry whose link gives no absolute address is skipped.
class Harvester {
public:
    // Walks the page's result list and hands each qualifying entry to the list. Returns the number
    // of entries handed over (duplicates dropped by the list included). The list's counter is
    // refreshed once after a walk; a page without a result list leaves it untouched.
    static int harvest(const BrowserDocument& document, bool openAccessOnly, const QString& saveFolder,
                       ArticleListModel& list);

    // Removes leading and trailing space characters only; tabs and line breaks stay.
    static QString trimSpaces(const QString& text);
    // The PDF address of an article page address: every "/full/" (any letter case) becomes "/pdf/".
    static QString pdfAddressOf(const QString& articleAddress);
};

} // namespace mojing
