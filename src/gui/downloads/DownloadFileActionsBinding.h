#pragma once

#include "downloads/DownloadFileActions.h"
#include "downloads/DownloadListSorter.h"
#include "downloads/ReferenceExport.h"

#include <QObject>
#include <QString>

namespace mojing {

class FileDownloadWindow;

// Puts the file actions of the download list behind a download window: the file, folder, text
// editor, name, address and export entries (names, BibTeX, RIS) of the list menu, "自动调整列宽",
// "批量替换网址", the list's double click and row click, the column-header sort and the clickable status
// panels 1 (the maker's home page) and 2 (the file shown there). Lives as a child of the window.
class DownloadFileActionsBinding : public QObject {
    Q_OBJECT
public:
    explicit DownloadFileActionsBinding(FileDownloadWindow& window);

    DownloadFileActions& actions() { return m_actions; }
    DownloadListSorter& sorter() { return m_sorter; }

    // The row the row commands work on: the current row when it is selected, else the first
    // selected row, else -1.
    int selectedRow() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void claimMenuEntries();
    void bindList();
    void autoSizeColumns();
    void replaceUrls();
    // Panel 2 lets go of a file path it shows once the rows changed and the file is gone (a
    // requeued or deleted row's file).
    void forgetVanishedPath();

    FileDownloadWindow& m_window;
    DownloadFileActions m_actions;
    ReferenceExport m_references;
    DownloadListSorter m_sorter;
    QString m_shownPath; // the file path the last row click put into panel 2
};

} // namespace mojing
