#pragma once

#include "program/AppContext.h"
#include <QString>

namespace mojing {

class ArticleListModel;
class DownloadWindowHost;

// Turns one article of the search window's list into a waiting row of the download list. No
// network or browser is needed: the article's key already is its full-text address.
class ArticleConverter {
public:
    ArticleConverter(const AppContext& context, ArticleListModel& articles, DownloadWindowHost& downloads);

    // Removes CR LF pairs, CRs, LFs and NULs (in that order), then leading and trailing spaces.
    static QString stripLineBreaks(const QString& text);

    // Converts article `row` (0-based): the download window is loaded (not shown) when needed,
    // a waiting row is appended unless its key is already listed, and the article becomes "成功".
    void convertArticleToDownload(int row);

private:
    AppContext m_context;
    ArticleListModel& m_articles;
    DownloadWindowHost& m_downloads;
};

} // namespace mojing
