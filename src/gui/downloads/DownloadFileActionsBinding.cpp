#include "DownloadFileActionsBinding.h"

#include "FileDownloadWindow.h"
#include "downloads/DownloadSession.h"
#include "platform/FileHelpers.h"
#include "platform/Shell.h"
#include "tools/UrlReplaceDialog.h"
#include "widgets/StatusPanels.h"

#include <QAction>
#include <QHeaderView>
#include <QLabel>
#include <QMouseEvent>
#include <QTableView>

using namespace Qt::StringLiterals;

namespace mojing {

DownloadFileActionsBinding::DownloadFileActionsBinding(FileDownloadWindow& window)
    : QObject(&window), m_window(window), m_actions(window.session()), m_references(window.session()),
      m_sorter(window.session()) {
    setObjectName(u"DownloadFileActionsBinding"_s);
    claimMenuEntries();
    bindList();
}

int DownloadFileActionsBinding::selectedRow() const {
    const QTableView* list = m_window.listView3();
    const QItemSelectionModel* selection = list->selectionModel();
    const QModelIndex current = list->currentIndex();
    if (current.isValid() && selection->isSelected(current))
        return current.row();
    const QModelIndexList rows = selection->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

void DownloadFileActionsBinding::claimMenuEntries() {
    auto bind = [this](const QString& name, auto&& command) {
        if (QAction* a = m_window.claimAction(name))
            connect(a, &QAction::triggered, this, [this, command] {
                command();
                m_window.refreshList();
            });
    };
    bind(u"menu打开下载文件"_s, [this] { m_actions.openFile(selectedRow()); });
    bind(u"menu打开文件所在文件夹"_s, [this] { m_actions.openFolder(selectedRow()); });
    bind(u"menu用记事本打开文件"_s, [this] { m_actions.openInTextEditor(selectedRow()); });
    bind(u"menu复制名称"_s, [this] { m_actions.copyName(selectedRow()); });
    bind(u"menu打开网址"_s, [this] { m_actions.openAddress(selectedRow()); });
    bind(u"menu导出全部名称"_s, [this] { m_actions.exportNames(false); });
    bind(u"menu导出未完成项名称"_s, [this] { m_actions.exportNames(true); });
    bind(u"menu导出BibTeX"_s, [this] { m_references.exportTo(ReferenceExport::Format::BibTex); });
    bind(u"menu导出RIS"_s, [this] { m_references.exportTo(ReferenceExport::Format::Ris); });
    bind(u"menu自动列宽"_s, [this] { autoSizeColumns(); });
    bind(u"menu批量替换网址"_s, [this] { replaceUrls(); });
}

void DownloadFileActionsBinding::bindList() {
    QTableView* list = m_window.listView3();
    connect(list, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& index) {
        m_actions.activateRow(index.row());
        m_window.refreshList();
    });
    connect(list, &QAbstractItemView::clicked, this,
            [this](const QModelIndex& index) { m_shownPath = m_actions.showRowPath(index.row()); });
    DownloadListModel* rows = &m_window.session().list();
    connect(rows, &QAbstractItemModel::rowsRemoved, this, &DownloadFileActionsBinding::forgetVanishedPath);
    connect(rows, &QAbstractItemModel::dataChanged, this, &DownloadFileActionsBinding::forgetVanishedPath);
    connect(rows, &QAbstractItemModel::modelReset, this, &DownloadFileActionsBinding::forgetVanishedPath);
    connect(rows, &QAbstractItemModel::layoutChanged, this, &DownloadFileActionsBinding::forgetVanishedPath);
    connect(list->horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int column) {
        if (m_sorter.headerClicked(column))
            m_window.refreshList();
    });
    for (int number : {1, 2}) {
        if (QLabel* panel = m_window.statusBar1()->panel(number))
            panel->installEventFilter(this);
    }
}

bool DownloadFileActionsBinding::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        StatusPanels* status = m_window.statusBar1();
        if (watched == status->panel(1))
            m_window.session().context().shell.openInBrowser(m_window.config().productPage);
        else if (watched == status->panel(2))
            m_actions.openPanelPath(status->text(2));
    }
    return QObject::eventFilter(watched, event);
}

void DownloadFileActionsBinding::forgetVanishedPath() {
    if (m_shownPath.isEmpty() || m_window.statusBar1()->text(2) != m_shownPath)
        return;
    if (!FileHelpers::fileExists(m_shownPath)) {
        m_shownPath.clear();
        m_window.session().showStatus(2, QString());
    }
}

void DownloadFileActionsBinding::autoSizeColumns() {
    // Each column as wide as the wider of its header and its widest cell; the row bands are
    // painted again as after a resize.
    QTableView* list = m_window.listView3();
    list->resizeColumnsToContents();
    list->viewport()->update();
}

void DownloadFileActionsBinding::replaceUrls() {
    UrlReplaceDialog dialog(m_window.session(), &m_window);
    dialog.exec();
}

} // namespace mojing
