#include "search/SearchHarvesting.h"

#include "LiveBrowser.h"
#include "SilentPage.h"
#include "program/AppContext.h"
#include "search/ArticleListCommands.h"
#include "search/ArticleListModel.h"
#include "search/SearchController.h"
#include "search/SearchWindow.h"
#include "widgets/StatusPanels.h"

#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QTableView>

using namespace Qt::StringLiterals;

namespace mojing {

SearchHarvesting* SearchHarvesting::attach(SearchWindow* window) {
    return new SearchHarvesting(window);
}

SearchHarvesting::SearchHarvesting(SearchWindow* window) : QObject(window), m_window(window) {
    setObjectName(u"SearchHarvesting"_s);
    AppContext& context = window->context();
    ArticleListModel& list = *window->articles();
    m_browser = new LiveBrowser(window->page(), context.pump, context.timing, this);
    m_controller = new SearchController(context, *m_browser, list, this);
    m_controller->setOperationGate(&window->state().operations());
    m_commands = new ArticleListCommands(context, *m_browser, list, this);
    m_commands->setAnalysisRunning([window] { return !window->state().analysisStopped(); });

    // The options are read from their controls whenever they change, so every harvest sees the
    // state shown.
    QCheckBox* check1 = window->checkBox(u"Check1"_s);
    QCheckBox* check3 = window->checkBox(u"Check3"_s);
    auto* text1 = window->findChild<QLineEdit*>(u"Text1"_s);
    m_controller->setPageLimitEnabled(check1->isChecked());
    m_controller->setOpenAccessOnly(check3->isChecked());
    m_controller->setPageLimitText(text1->text());
    connect(check1, &QCheckBox::toggled, m_controller, &SearchController::setPageLimitEnabled);
    connect(check3, &QCheckBox::toggled, m_controller, &SearchController::setOpenAccessOnly);
    connect(text1, &QLineEdit::textChanged, m_controller, &SearchController::setPageLimitText);

    connect(window->claimButton(u"Command9"_s), &QAbstractButton::clicked, m_controller,
            &SearchController::addCurrentPage);
    connect(window->claimButton(u"Command4"_s), &QAbstractButton::clicked, m_controller,
            &SearchController::addAllPages);
    connect(window->claimButton(u"Command7"_s), &QAbstractButton::clicked, m_commands,
            &ArticleListCommands::exportList);
    connect(m_controller, &SearchController::controlsChanged, this, &SearchHarvesting::showControls);
    connect(m_controller, &SearchController::autoSizeColumnsRequested, this,
            [window] { window->listView1()->resizeColumnsToContents(); });
    connect(&list, &ArticleListModel::countRefreshed, window, &SearchWindow::refreshArticleCount);
    connect(m_controller, &SearchController::progressChanged, window,
            [window](const QString& text) { window->statusBar1()->setText(3, text); });

    const std::pair<const char16_t*, void (ArticleListCommands::*)()> menu[] = {
        {u"menu清除选中项", &ArticleListCommands::clearSelected},
        {u"menu清除分析成功项", &ArticleListCommands::clearSucceeded},
        {u"menu清除标题含指定字符项", &ArticleListCommands::clearTitleContaining},
        {u"menu清除标题不含指定字符项", &ArticleListCommands::clearTitleNotContaining},
        {u"menu清空全部", &ArticleListCommands::clearAll},
    };
    for (const auto& [name, command] : menu) {
        if (QAction* action = window->claimAction(QString::fromUtf16(name)))
            connect(action, &QAction::triggered, m_commands, command);
    }

    // A double click shows the article's PDF in the browser (its page has the PDF viewer on).
    QTableView* view = window->listView1();
    connect(view, &QAbstractItemView::doubleClicked, this, [this, view] {
        // The selected row: the current one when it is selected, else the first selected one.
        const QItemSelectionModel* selection = view->selectionModel();
        int row = -1;
        if (selection->currentIndex().isValid() &&
            selection->isRowSelected(selection->currentIndex().row(), {}))
            row = selection->currentIndex().row();
        else if (!selection->selectedRows().isEmpty())
            row = selection->selectedRows().first().row();
        m_commands->openArticle(row);
    });
    showControls();
}

void SearchHarvesting::showControls() {
    QAbstractButton* command4 = m_window->button(u"Command4"_s);
    command4->setText(m_controller->addAllCaption());
    command4->setStyleSheet(m_controller->addAllHighlighted() ? u"background-color: rgb(255, 0, 0);"_s
                                                              : QString());
    m_window->button(u"Command9"_s)->setEnabled(m_controller->addPageEnabled());
    m_window->findChild<QLineEdit*>(u"Text1"_s)->setEnabled(m_controller->pageLimitEditable());
    m_window->state().setAddAllStopped(m_controller->addAllStopped());
}

} // namespace mojing
