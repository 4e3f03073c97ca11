#include "AnalysisRunner.h"
#include "platform/OperationGate.h"

#include "ArticleConverter.h"
#include "DownloadWindowHost.h"
#include "SaveFolderPrompt.h"
#include "platform/EventPump.h"
#include "platform/Prompts.h"
#include "platform/Timing.h"
#include "program/AppContext.h"
#include "program/ProgramState.h"
#include "search/ArticleListModel.h"

using namespace Qt::StringLiterals;

namespace mojing {

AnalysisRunner::AnalysisRunner(const AppContext& context, ArticleListModel& articles,
                               ArticleConverter& converter, SaveFolderPrompt& folderPrompt,
                               DownloadWindowHost& downloads, QObject* parent)
    : QObject(parent), m_context(context), m_articles(articles), m_converter(converter),
      m_folderPrompt(folderPrompt), m_downloads(downloads) {
    m_timer.setInterval(context.timing.tick);
    connect(&m_timer, &QTimer::timeout, this, &AnalysisRunner::autoTick);
}

bool AnalysisRunner::qualifies(int row, AnalysisMode mode) const {
    if (row < 0 || row >= m_articles.count())
        return false;
    const ArticleRow& article = m_articles.at(row);
    switch (mode) {
    case AnalysisMode::Unanalysed:
        return article.status.isEmpty();
    case AnalysisMode::Failed:
        return article.status == ArticleListModel::kStatusFailed;
    case AnalysisMode::Selected:
        return article.selected;
    case AnalysisMode::All:
        return true;
    }
    return false;
}

void AnalysisRunner::runAnalysis(AnalysisMode mode) {
    run(mode, false);
}

void AnalysisRunner::run(AnalysisMode mode, bool fromTimer) {
    // The run pumps events; a second run (a timer tick, a menu click) must not convert the same
    // rows at the same time.
    if (m_running)
        return;
    const OperationGate::Scope busy(m_gate);
    m_running = true;
    setStopped(false);
    emit progressShown(kProgressText);
    m_context.pump.pumpOnce();

    if (m_articles.count() > 0) {
        ProgramState& state = m_context.state;
        if (state.promptSaveFolderOnHarvest == 1)
            state.saveFolderCancelled = false;
        else if (!fromTimer)
            m_folderPrompt.askSaveFolder();
        if (!state.saveFolderCancelled) {
            // The event loop runs between rows so that "停止" and the timers are heard, but at
            // most once per repaint interval: a repaint of the growing lists after every row
            // would cost far more than the conversion itself. The stop test follows every row.
            const qint64 interval = m_context.timing.progressCoalesce.count();
            qint64 lastPump = m_context.timing.nowMs();
            const int n = m_articles.count();
            int total = 0;
            for (int i = 0; i < n; ++i)
                total += qualifies(i, mode) ? 1 : 0;
            int converted = 0;
            for (int i = 0; i < n && i < m_articles.count(); ++i) {
                const bool take = qualifies(i, mode);
                if (take) {
                    m_articles.setStatus(i, ArticleListModel::kStatusAnalysing);
                    m_converter.convertArticleToDownload(i);
                    ++converted;
                }
                if (take || mode == AnalysisMode::Selected) {
                    const qint64 now = m_context.timing.nowMs();
                    if (now - lastPump >= interval) {
                        emit progressCounted(kProgressText + u"（%1/%2）"_s.arg(converted).arg(total));
                        m_context.pump.pumpOnce();
                        lastPump = now;
                    }
                    if (m_stopped)
                        break;
                }
            }
        }
    }

    emit progressHidden();
    setStopped(true);
    m_running = false;
    m_downloads.showDownloadWindow(false);
}

void AnalysisRunner::startClicked(const std::function<std::optional<AnalysisMode>()>& choose) {
    emit startEnabledChanged(false);
    if (m_articles.count() == 0) {
        m_context.prompts.message(kEmptyList, MessageIcon::Information);
    } else if (!m_articles.hasSelection()) {
        runAnalysis(AnalysisMode::All);
    } else if (choose) {
        if (const std::optional<AnalysisMode> mode = choose())
            runAnalysis(*mode);
    }
    emit startEnabledChanged(true);
}

void AnalysisRunner::stop() {
    setStopped(true);
}

void AnalysisRunner::setStopped(bool stopped) {
    if (m_stopped == stopped)
        return;
    m_stopped = stopped;
    emit analysisStoppedChanged(stopped);
}

bool AnalysisRunner::setAutoAnalysis(bool on) {
    if (on) {
        ProgramState& state = m_context.state;
        if (state.promptSaveFolderOnHarvest == 1)
            state.saveFolderCancelled = false;
        else
            m_folderPrompt.askSaveFolder();
        on = !state.saveFolderCancelled;
    }
    if (on)
        m_timer.start();
    else
        m_timer.stop();
    emit autoAnalysisChanged(on);
    return on;
}

void AnalysisRunner::autoTick() {
    if (m_running)
        return;
    run(AnalysisMode::Unanalysed, true);
}

} // namespace mojing
