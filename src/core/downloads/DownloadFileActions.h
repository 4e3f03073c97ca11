#pragma once

#include <QString>

namespace mojing {

class DownloadSession;

// What the user does with one row of the download list and its file: open the file, its folder or
// its text, copy its name, open its address, the double click and the row click; and the export of
// the names. Rows are 0-based list positions; an invalid position (no selected row) does nothing.
// The desktop is reached through the context's Shell, messages through its Prompts.
class DownloadFileActions {
public:
    static inline const QString kFileMissing = QStringLiteral("文件不存在！");
    static inline const QString kRowFileMissing = QStringLiteral("该文件不存在！");
    static inline const QString kFolderMissing = QStringLiteral("文件夹不存在！");
    static inline const QString kOpenFailed = QStringLiteral("打开失败！");
    static inline const QString kTooLargeForEditor =
        QStringLiteral("该文件太大，超过了2M，不便于用记事本打开！");
    // Larger files are not handed to the text editor.
    static constexpr qint64 kEditorLimitBytes = 2048 * 1024;

    explicit DownloadFileActions(DownloadSession& session) : m_session(session) {}

    // The row's file, or empty when the row has no folder or no name: such a row has no file of
    // its own, and its name must never resolve against the working folder.
    QString rowFile(int row) const;

    // 「打开下载文件」 Opens the row's file with its default application.
    void openFile(int row);
    // 「打开所在文件夹」 Shows the file selected in the file manager, or the folder when the file
    // is gone.
    void openFolder(int row);
    // 「用记事本打开文件」 Opens the file in the desktop's text editor, whatever its type, up to 2 MB.
    void openInTextEditor(int row);
    // 「复制名称」 Puts the row's name (without extension) on the clipboard.
    void copyName(int row);
    // 「打开网址」 Shows the row's current address in the system browser.
    void openAddress(int row);

    // Double click: a finished row opens its file; a failed row loses its partial file and waits
    // again with empty size columns, keeping its address and type. Other rows: nothing.
    void activateRow(int row);
    // Row click: the full path of the row's file for status panel 2, or empty when it is missing.
    // Shown in panel 2 as well.
    QString showRowPath(int row);
    // A click on the panel that shows a file path opens that file in the system browser; other
    // panel texts open nothing.
    void openPanelPath(const QString& text);

    // 「导出名称」 Asks for a text file and writes the names of every row (or of the unfinished
    // rows), each followed by CR LF, in the ANSI code page, replacing the file whole. Returns
    // whether a file was written.
    bool exportNames(bool unfinishedOnly);

private:
    // Opens an existing file with its default application; "文件不存在！" when it is gone.
    void openWithShell(const QString& path);
    void deletePartialFile(int row);

    DownloadSession& m_session;
};

} // namespace mojing
