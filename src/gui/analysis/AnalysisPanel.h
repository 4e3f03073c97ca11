#pragma once

#include "GuiDownloadWindowHost.h"
#include "GuiSaveFolderPrompt.h"
#include "analysis/AnalysisRunner.h"
#include "analysis/ArticleConverter.h"

#include <QObject>

namespace mojing {

class SearchWindow;
class WindowFlow;

// Connects the search window's analysis controls (Command2 with its popup menu加入, Check7, the
// progress panel with Command5) and the neighbouring menu entries (设置, 使用方法, 网页源码另存为)
// to the analysis runner. Lives as a child of the window.
class AnalysisPanel : public QObject {
    Q_OBJECT
public:
    AnalysisPanel(SearchWindow& window, const AppContext& context, WindowFlow& flow);

    AnalysisRunner& runner() { return m_runner; }
    GuiDownloadWindowHost& downloads() { return m_downloads; }
    // The save-folder question, also for harvesting in the same window.
    SaveFolderPrompt& saveFolderPrompt() { return m_folderPrompt; }

    void openOptions();
    void savePageSource();

private:
    SearchWindow& m_window;
    AppContext m_context;
    GuiDownloadWindowHost m_downloads;
    GuiSaveFolderPrompt m_folderPrompt;
    ArticleConverter m_converter;
    AnalysisRunner m_runner;
    bool m_countShown = false; // status panel 3 shows the run's count
};

} // namespace mojing
