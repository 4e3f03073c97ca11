#pragma once

#include "SharedFolders.h"
#include "program/AppContext.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

namespace mojing {

// 「Form_Copy_Move」 The copy-or-move tool's state and commands; its window only mirrors them.
// The caller fills sourceFiles(), chooses the mode and shows the window; the user picks the
// destination folder and the rule for name clashes and starts the run.
//
// A run is a chain of short steps on the event loop (one file per step), so "停止" is served
// between two files and nothing waits inside a nested loop.
class CopyMoveController : public QObject {
    Q_OBJECT
public:
    // What happens when the destination already holds a file of the same name (Option1(1..5)).
    enum ClashRule {
        Skip = 1,
        Overwrite = 2,
        Rename = 3,
        OverwriteIfSameSizeAndTime = 4, // otherwise a numbered copy
        OverwriteIfSameSize = 5,        // otherwise a numbered copy
    };

    static inline const QString kCopyCaption = QStringLiteral("复制文件...");
    static inline const QString kMoveCaption = QStringLiteral("移动文件...");
    static inline const QString kPickerTitle = QStringLiteral("请选择要浏览的文件夹:");
    static inline const QString kStart = QStringLiteral("开始");
    static inline const QString kStop = QStringLiteral("停止");
    static inline const QString kFolderError = QStringLiteral("创建文件夹出错！");
    static inline const QString kCopyDone = QStringLiteral("复制文件完成！");
    static inline const QString kMoveDone = QStringLiteral("移动文件完成！");

    CopyMoveController(const AppContext& context, SharedFolders folders, QObject* parent = nullptr);
    ~CopyMoveController() override;

    // 「MoveMode」 false: copy; true: move (a source is deleted once it was written).
    void setMoveMode(bool move) { m_moveMode = move; }
    bool moveMode() const { return m_moveMode; }
    // 「SourceFiles」 Full paths, in the order the caller added them.
    QStringList& sourceFiles() { return m_sources; }

    // "复制文件..." or "移动文件..." followed by "-" and the program's title.
    QString defaultCaption() const;

    // Loads the remembered folders, the destination folder and the clash rule from the settings.
    void open();
    const QStringList& history() const { return m_history; }
    QString folderText() const { return m_folderText; }
    void setFolderText(const QString& text) { m_folderText = text; }
    int opIndex() const { return m_opIndex; }
    void setOpIndex(int index);

    // 「浏览」 The folder text becomes the picked folder, with a separator at its end.
    void browse();
    // 「执行」 What "开始" does on every press: prepares the destination, then starts a run, or
    // stops the one under way. `showMessage`: report the end of the run.
    void execute(bool showMessage);
    // Ends a run without any message (the window is closing).
    void abandon();

    bool running() const { return m_running; }
    // Command1's caption: "开始", or "停止" during a run.
    QString buttonText() const { return m_running ? kStop : kStart; }
    // Label3: the name of the file being processed; empty when idle.
    QString currentName() const { return m_currentName; }
    int progressValue() const { return m_progress; }
    int progressMaximum() const { return m_progressMax; }

signals:
    // Anything the window shows changed (folder text, history, button, name, progress).
    void changed();
    // A run ended (also after a stop).
    void finished();

private:
    bool prepareDestination();
    void showNextName();
    void processCurrent();
    bool writeToDestination(const QString& source, const QString& target);
    void finishRun();

    AppContext m_context;
    SharedFolders m_folders;
    QStringList m_history;
    QStringList m_sources;
    QString m_folderText;
    QString m_destination;
    int m_opIndex = OverwriteIfSameSizeAndTime;
    bool m_moveMode = false;
    bool m_running = false;
    bool m_showMessage = false;
    int m_index = 0;
    QString m_currentName;
    int m_progress = 0;
    int m_progressMax = 100;
    QTimer m_step;
    bool m_stepProcesses = false; // the next step copies the file whose name is shown
};

} // namespace mojing
