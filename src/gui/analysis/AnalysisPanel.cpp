#include "AnalysisPanel.h"

#include "downloads/OptionDialog.h"
#include "search/SearchMenuCommands.h"
#include "search/SearchWindow.h"
#include "widgets/StatusPanels.h"

#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QCursor>
#include <QFrame>
#include <QLabel>
#include <QMenu>
#include <QPointer>
#include <QWebEnginePage>
#include <QWebEngineView>

using namespace Qt::StringLiterals;

namespace mojing {

AnalysisPanel::AnalysisPanel(SearchWindow& window, const AppContext& context, WindowFlow& flow)
    : QObject(&window), m_window(window), m_context(context), m_downloads(context, flow),
      m_folderPrompt(context, &window), m_converter(context, *window.articles(), m_downloads),
      m_runner(context, *window.articles(), m_converter, m_folderPrompt, m_downloads, this) {
    m_runner.setOperationGate(&window.state().operations());
    struct Entry {
        const char16_t* name;
        AnalysisMode mode;
    };
    const Entry entries[] = {{u"menu分析未分析项", AnalysisMode::Unanalysed},
                             {u"menu加入分析失败项", AnalysisMode::Failed},
                             {u"menu选中加入", AnalysisMode::Selected},
                             {u"menu全部加入", AnalysisMode::All}};
    for (const Entry& e : entries) {
        if (QAction* action = window.claimAction(QString::fromUtf16(e.name))) {
            const AnalysisMode mode = e.mode;
            connect(action, &QAction::triggered, this, [this, mode] { m_runner.runAnalysis(mode); });
        }
    }

    if (QAbstractButton* command2 = window.claimButton(u"Command2"_s)) {
        connect(command2, &QAbstractButton::clicked, this, [this] {
            m_runner.startClicked([this]() -> std::optional<AnalysisMode> {
                // The picked entry runs its mode before the popup returns.
                if (QMenu* popup = m_window.menu(u"menu加入"_s))
                    popup->exec(QCursor::pos());
                return std::nullopt;
            });
        });
        connect(&m_runner, &AnalysisRunner::startEnabledChanged, command2, &QWidget::setEnabled);
    }
    if (QCheckBox* check7 = window.checkBox(u"Check7"_s)) {
        connect(check7, &QCheckBox::clicked, this, [this](bool on) { m_runner.setAutoAnalysis(on); });
        connect(&m_runner, &AnalysisRunner::autoAnalysisChanged, check7, [check7](bool on) {
            const QSignalBlocker block(check7);
            check7->setChecked(on);
        });
    }
    if (QAbstractButton* command5 = window.claimButton(u"Command5"_s))
        connect(command5, &QAbstractButton::clicked, this, [this] { m_runner.stop(); });
    connect(&m_runner, &AnalysisRunner::progressShown, this, [this](const QString& text) {
        QFrame* panel = m_window.progressPanel();
        if (auto* label11 = panel->findChild<QLabel*>(u"Label11"_s))
            label11->setText(text);
        panel->show();
        panel->raise();
    });
    // A long run counts its rows on the panel and in the status bar.
    connect(&m_runner, &AnalysisRunner::progressCounted, this, [this](const QString& text) {
        if (auto* label11 = m_window.progressPanel()->findChild<QLabel*>(u"Label11"_s))
            label11->setText(text);
        m_window.statusBar1()->setText(3, text);
        m_countShown = true;
    });
    connect(&m_runner, &AnalysisRunner::progressHidden, this, [this] {
        m_window.progressPanel()->hide();
        if (m_countShown)
            m_window.statusBar1()->setText(3, QString());
        m_countShown = false;
    });
    connect(&m_runner, &AnalysisRunner::analysisStoppedChanged, this,
            [this](bool stopped) { m_window.state().setAnalysisStopped(stopped); });
    connect(&window, &SearchWindow::closing, this, [this] { m_runner.setAutoAnalysis(false); });

    if (QAction* settings = window.claimAction(u"menu设置"_s))
        connect(settings, &QAction::triggered, this, &AnalysisPanel::openOptions);
    if (QAction* usage = window.claimAction(u"menu使用方法"_s))
        connect(usage, &QAction::triggered, this,
                [this] { SearchMenuCommands::showUsage(m_context.prompts); });
    if (QAction* source = window.claimAction(u"menu网页源码另存为"_s))
        connect(source, &QAction::triggered, this, &AnalysisPanel::savePageSource);
}

void AnalysisPanel::openOptions() {
    OptionDialog dialog(m_context, m_downloads.loadedSession(), &m_window);
    dialog.showResolverInUse(m_window.config().doiResolver);
    dialog.exec();
}

void AnalysisPanel::savePageSource() {
    const QString file = SearchMenuCommands::askPageSourceFile(m_context.prompts);
    if (file.isEmpty())
        return;
    QWebEnginePage* page = m_window.webBrowser1()->page();
    QPointer<AnalysisPanel> self(this);
    page->runJavaScript(u"document.documentElement.outerHTML"_s, [self, file](const QVariant& html) {
        if (self)
            SearchMenuCommands::writePageSource(file, html.toString(), self->m_context.codec,
                                                self->m_context.prompts);
    });
}

} // namespace mojing
