#pragma once

#include "program/AppContext.h"
#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>
#include <optional>

namespace mojing {

class ArticleConverter;
class ArticleListModel;
class DownloadWindowHost;
class OperationGate;
class SaveFolderPrompt;

// Which articles an analysis run converts.
enum class AnalysisMode {
    Unanalysed, // status is empty
    Failed,     // status is exactly "失败"
    Selected,   // the row is selected
    All,        // every row (already listed links add no second download row)
};

// The analysis panel of the search window: runs over the article list, the stop button, the
// "开始分析" button and auto-analysis. A run lets the event loop run between rows, so the window
// stays usable and "停止" is heard.
class AnalysisRunner : public QObject {
    Q_OBJECT
public:
    static inline const QString kProgressText = QStringLiteral("正在分析,请稍候...");
    static inline const QString kEmptyList = QStringLiteral("请先检索，添加到列表！");

    AnalysisRunner(const AppContext& context, ArticleListModel& articles, ArticleConverter& converter,
                   SaveFolderPrompt& folderPrompt, DownloadWindowHost& downloads, QObject* parent = nullptr);

    // The window's flag that other commands read: true when no run is active or Stop was pressed.
    bool analysisStopped() const { return m_stopped; }
    bool isRunning() const { return m_running; }
    bool autoAnalysisOn() const { return m_timer.isActive(); }
    const QTimer& timer() const { return m_timer; }

    // The window's gate: while a run is on the stack, the window is not unloaded.
    void setOperationGate(OperationGate* gate) { m_gate = gate; }

    // Whether `row` qualifies for `mode`.
    bool qualifies(int row, AnalysisMode mode) const;

    // One run over the list. A call while a run is active does nothing.
    void runAnalysis(AnalysisMode mode);
    // "开始分析": an empty list is refused with a message; without a selected row every row is
    // analysed at once; otherwise `choose` shows the mode menu and returns the picked mode
    // (nullopt when it was dismissed).
    void startClicked(const std::function<std::optional<AnalysisMode>()>& choose);
    // "停止": the run ends after the row being converted.
    void stop();
    // "自动分析未分析项" ticked or cleared. Returns whether auto-analysis is on afterwards (a cancelled
    // save-folder dialog switches it off again).
    bool setAutoAnalysis(bool on);
    // One auto-analysis tick (also called by the timer). Skipped while a run is active.
    void autoTick();

signals:
    void progressShown(const QString& text);
    // A long run tells how far it is: the progress text with the rows converted so far and the
    // rows it will convert, "正在分析,请稍候...（12/40）".
    void progressCounted(const QString& text);
    void progressHidden();
    void startEnabledChanged(bool enabled);
    // Auto-analysis was switched on or off (the check box follows it).
    void autoAnalysisChanged(bool on);
    void analysisStoppedChanged(bool stopped);

private:
    void run(AnalysisMode mode, bool fromTimer);
    void setStopped(bool stopped);

    AppContext m_context;
    ArticleListModel& m_articles;
    ArticleConverter& m_converter;
    SaveFolderPrompt& m_folderPrompt;
    DownloadWindowHost& m_downloads;
    OperationGate* m_gate = nullptr;
    bool m_stopped = true;
    bool m_running = false;
    QTimer m_timer;
};

} // namespace mojing
