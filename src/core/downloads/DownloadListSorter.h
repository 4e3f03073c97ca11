#pragma once

#include <QString>
#include <Qt>

namespace mojing {

class DownloadSession;

// The column-header sort of the download list. One order serves every column and flips with each
// click, so the first click on any column sorts descending. Sorting moves rows, which running
// transfers find by position, so it waits until the downloads are stopped.
class DownloadListSorter {
public:
    static inline const QString kRefused = QStringLiteral("停止下载后方可排序！");

    explicit DownloadListSorter(DownloadSession& session) : m_session(session) {}

    // A click on the header of `column` (0-based). False when refused.
    bool headerClicked(int column);

    int sortColumn() const { return m_column; }
    Qt::SortOrder sortOrder() const { return m_order; }

private:
    DownloadSession& m_session;
    int m_column = 0;
    Qt::SortOrder m_order = Qt::AscendingOrder;
};

} // namespace mojing
