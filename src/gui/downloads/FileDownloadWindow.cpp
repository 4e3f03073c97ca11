#include "FileDownloadWindow.h"

#include "DownloadOptionPanel.h"
#include "DownloadRowDelegate.h"
#include "DownloadWindowBinding.h"
#include "LoginPanelBinding.h"
#include "OptionDialog.h"
#include "downloads/DownloadListOps.h"
#include "downloads/DownloadSession.h"
#include "downloads/DownloadSettings.h"
#include "downloads/DownloadWindowClose.h"
#include "downloads/FileTypeCorrector.h"
#include "platform/Prompts.h"
#include "platform/Shell.h"
#include "platform/Timing.h"
#include "program/ProgramState.h"
#include "settings/SettingKeys.h"
#include "shell/AboutDialog.h"
#include "shell/WindowFlow.h"
#include "widgets/DesignControls.h"
#include "widgets/Icons.h"
#include "widgets/StatusPanels.h"

#include <QAbstractButton>
#include <QAction>
#include <QCloseEvent>
#include <QHeaderView>
#include <QMenu>
#include <QMenuBar>
#include <QTableView>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace mojing {

FileDownloadWindow::FileDownloadWindow(const AppContext& context, WindowFlow* flow,
                                       const BrowserConfig& config, QWidget* parent)
    : QMainWindow(parent), m_context(context), m_flow(flow), m_config(config),
      m_session(new DownloadSession(context, this)), m_close(new DownloadWindowClose(*m_session, this)),
      m_controls(new DesignControls(*this, m_context.prompts)) {
    setObjectName(u"fFileDownload"_s);
    setAttribute(Qt::WA_DeleteOnClose, false);
    setWindowTitle(kDesignCaption + u'-' + kApplicationTitle);
    setWindowIcon(Icons::programIcon());

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_panel = new DownloadOptionPanel(*m_session, central);
    m_controls->addPlaceholder(m_controls->button(u"Command4"_s));
    m_controls->addPlaceholder(m_controls->button(u"Command31"_s));
    m_controls->addPlaceholder(m_controls->button(u"Command1"_s));
    layout->addWidget(m_panel);
    buildList();
    layout->addWidget(m_list, 1);
    setCentralWidget(central);

    m_status = new StatusPanels({2, 5, 2, 5}, this);
    m_status->setObjectName(u"StatusBar1"_s);
    setStatusBar(m_status);
    connect(m_session, &DownloadSession::statusTextChanged, m_status, &StatusPanels::setText);
    connect(m_session, &DownloadSession::optionsChanged, this, &FileDownloadWindow::showOptions);
    connect(m_session, &DownloadSession::scrollToRowRequested, this,
            [this](int row) { m_list->scrollTo(m_session->list().index(row, 0)); });
    auto& list = m_session->list();
    connect(&list, &QAbstractItemModel::rowsInserted, this, &FileDownloadWindow::refreshRowCount);
    connect(&list, &QAbstractItemModel::rowsRemoved, this, &FileDownloadWindow::refreshRowCount);
    connect(&list, &QAbstractItemModel::modelReset, this, &FileDownloadWindow::refreshRowCount);
    connect(m_close, &DownloadWindowClose::accepted, this, [this] {
        emit closing();
        if (m_saveGeometry)
            m_saveGeometry(*this);
    });

    buildMenus();
    load();
}

FileDownloadWindow::~FileDownloadWindow() {
    // The engine and the login work on the session: they go first.
    delete LoginPanelBinding::of(*this);
    delete DownloadWindowBinding::of(*this);
}

void FileDownloadWindow::load() {
    DownloadSettings::load(m_context.settings, m_session->options(), m_context.state.maxFileSizeMB);
    m_session->lastTransferEndMs = m_context.timing.nowMs();
    m_session->list().clear();
    showOptions();
    resize(1000, 667);
}

void FileDownloadWindow::buildList() {
    m_list = new QTableView(this);
    m_list->setObjectName(u"ListView3"_s);
    m_list->setModel(&m_session->list());
    m_list->setItemDelegate(new DownloadRowDelegate(m_list));
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setShowGrid(false);
    m_list->setWordWrap(false);
    m_list->setToolTip(kListTip);
    m_list->setContextMenuPolicy(Qt::CustomContextMenu);
    m_list->verticalHeader()->hide();
    // Fixed row heights: the view never measures rows, so long lists stay fast.
    m_list->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_list->verticalHeader()->setMinimumSectionSize(kRowHeight);
    m_list->verticalHeader()->setDefaultSectionSize(kRowHeight);
    m_list->setIconSize(QSize(14, 14));
    QHeaderView* header = m_list->horizontalHeader();
    header->setHighlightSections(false);
    header->setStretchLastSection(true);
    const int widths[] = {360, 50, 80, 80, 70, 240, 30};
    for (int i = 0; i < int(std::size(widths)); ++i)
        m_list->setColumnWidth(i, widths[i]);
    // The list's selection is the rows' selection flag, which the list commands read.
    connect(m_list->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this](const QItemSelection& selected, const QItemSelection& deselected) {
                DownloadListModel& list = m_session->list();
                for (const QItemSelectionRange& r : deselected)
                    for (int row = r.top(); row <= r.bottom(); ++row)
                        list.setSelected(row, false);
                for (const QItemSelectionRange& r : selected)
                    for (int row = r.top(); row <= r.bottom(); ++row)
                        list.setSelected(row, true);
            });
}

void FileDownloadWindow::buildMenus() {
    using E = MenuEntry;
    const E sep = E::separator();
    QMenuBar* bar = menuBar();
    m_listMenu = m_controls->addMenu(
        bar, u"menu下载"_s, u"列表操作(&D)"_s,
        {{u"menu添加网址或DOI"_s, u"添加网址或DOI..."_s},
         sep,
         {u"menu全选专利列表"_s, u"全选"_s, [this] { m_list->selectAll(); }},
         {u"menu全不选"_s, u"全不选"_s, [this] { m_list->clearSelection(); }},
         {u"menu随机排序列表"_s, u"随机排序列表(打乱)"_s},
         {u"menu自动列宽"_s, u"自动调整列宽"_s},
         sep,
         {u"menu重新下载"_s,
          u"重新下载"_s,
          {},
          {{u"menu重新下载选中项"_s, u"选中项"_s},
           {u"menu重新下载出错项"_s, u"出错项"_s},
           {u"menu重新下载文件类型为HTM和HTML项"_s, u"网页类型文件(HTM/HTML/xml)项"_s},
           {u"menu重新下载出错项和网页项"_s, u"重新下载出错项和网页类型文件项"_s},
           {u"menu重新下载文件大小小于指定数字的项"_s, u"文件大小小于指定数字的项"_s}}},
         sep,
         {u"menu清除"_s,
          u"清除"_s,
          {},
          {{u"menu清除选中项"_s, u"选中项"_s},
           {u"menu清除全部出错项"_s, u"全部出错项"_s},
           {u"menu清除完成项"_s, u"完成项"_s}}},
         {u"menu清空"_s, u"清空"_s},
         {u"menu删除"_s,
          u"删除文件"_s,
          {},
          {{u"menu删除网页类型文件项"_s, u"网页类型文件(HTM/HTML/xml)项"_s},
           {u"menu删除出错项"_s, u"出错项"_s}}},
         sep,
         {u"menu下载全部"_s, u"开始下载"_s},
         {u"menu停止下载"_s, u"停止下载"_s},
         {u"menu取消下载选中项"_s, u"取消下载选中项"_s},
         sep,
         {u"menu打开下载文件"_s, u"打开下载文件"_s},
         {u"menu打开文件所在文件夹"_s, u"打开所在文件夹"_s},
         {u"menu用记事本打开文件"_s, u"用记事本打开文件"_s},
         sep,
         {u"menu复制名称"_s, u"复制名称"_s},
         {u"menu批量替换网址"_s, u"批量替换网址"_s},
         {u"menu打开网址"_s, u"打开网址"_s},
         {u"menu导出名称"_s,
          u"导出名称"_s,
          {},
          {{u"menu导出全部名称"_s, u"全部"_s}, {u"menu导出未完成项名称"_s, u"未完成项"_s}}},
         {u"menu导出"_s,
          u"导出"_s,
          {},
          {{u"menu导出BibTeX"_s, u"导出BibTeX..."_s}, {u"menu导出RIS"_s, u"导出RIS..."_s}}},
         sep,
         {u"menu退出本下载窗口"_s, u"关闭本下载窗口"_s, [this] { closeWindow(); }}});

    m_controls->addMenu(
        bar, u"menu工具"_s, u"工具(&T)"_s,
        {{u"menu设置"_s, u"设置"_s, [this] { openOptions(); }},
         {u"menu自动定位到下载项"_s, u"自动定位到下载项"_s, {}, {}, true},
         sep,
         {u"menu检查文件是否存在"_s, u"检查文件是否存在"_s},
         {u"menu检查并纠正磁盘文件类型"_s, u"检查并纠正磁盘文件类型"_s,
          [this] { FileTypeCorrector::correctFileTypesOnDisk(*m_session); }},
         {u"menu打开文件判断类型"_s, u"打开文件判断类型"_s,
          [this] { FileTypeCorrector::pickFileAndShowType(m_context.prompts, m_context.codec); }},
         sep,
         {u"menu清空IE浏览器缓存"_s, u"清空IE浏览器缓存"_s}});
    QAction* locate = m_controls->claimAction(u"menu自动定位到下载项"_s);
    connect(locate, &QAction::toggled, this, [this](bool on) { m_session->options().autoLocate = on; });

    m_controls->addMenu(bar, u"menu窗口"_s, u"窗口(&W)"_s,
                        {{u"menu资料检索分析窗口"_s, u"资料检索分析窗口"_s, [this] {
                              if (!m_flow || !m_flow->showForm(WindowFlow::kSearch))
                                  m_context.prompts.message(kNotAvailable, MessageIcon::Information);
                          }}});

    std::vector<E> help{{u"menu关于"_s, u"关于(&A)"_s,
                         [this] {
                             AboutDialog about(windowIcon(), this);
                             about.exec();
                         }},
                        sep};
    for (const BrowserConfig::Link& link : std::as_const(m_config.makerLinks)) {
        const QString url = link.url;
        help.push_back({link.objectName, link.caption, [this, url] { m_context.shell.openInBrowser(url); }});
    }
    m_controls->addMenu(bar, u"menu帮助"_s, u"帮助(&H)"_s, help);

    // The list menu is also the list's right-click menu.
    connect(m_list, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        applyContextMenuRules();
        m_listMenu->popup(m_list->viewport()->mapToGlobal(pos));
    });
}

void FileDownloadWindow::openOptions() {
    if (m_optionsOpener) {
        m_optionsOpener();
        return;
    }
    OptionDialog dialog(m_context, m_session, this);
    dialog.showResolverInUse(config().doiResolver);
    dialog.exec();
}

void FileDownloadWindow::applyContextMenuRules() {
    const DownloadListOps::MenuEnabling e = DownloadListOps::menuEnabling(m_session->activity());
    action(u"menu全选专利列表"_s)->setEnabled(e.selectAll);
    menu(u"menu清除"_s)->menuAction()->setEnabled(e.remove);
    action(u"menu清空"_s)->setEnabled(e.clear);
    action(u"menu停止下载"_s)->setEnabled(e.stop);
}

void FileDownloadWindow::showOptions() {
    m_panel->showOptions();
    if (QAction* locate = action(u"menu自动定位到下载项"_s))
        locate->setChecked(m_session->options().autoLocate);
}

void FileDownloadWindow::setCloseGuard(std::function<bool()> guard) {
    m_close->setConfirmAndStop(std::move(guard));
}

void FileDownloadWindow::setGeometryHandlers(std::function<void(QWidget&)> restore,
                                             std::function<void(const QWidget&)> save) {
    if (restore)
        restore(*this);
    m_saveGeometry = std::move(save);
}

void FileDownloadWindow::setSchedulerIndicator(bool visible) {
    m_panel->setIndicator(visible);
}

void FileDownloadWindow::refreshRowCount() {
    m_panel->setRowCountText(m_session->list().rowCountText());
}

void FileDownloadWindow::refreshList() {
    m_session->list().flushChanges();
    m_list->viewport()->update();
    refreshRowCount();
}

bool FileDownloadWindow::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate)
        refreshRowCount();
    return QMainWindow::event(event);
}

bool FileDownloadWindow::closeWindow() {
    return close();
}

void FileDownloadWindow::closeEvent(QCloseEvent* event) {
    const bool first = !m_close->isAccepted();
    if (!m_close->run()) {
        event->ignore();
        return;
    }
    event->accept();
    if (first && m_flow)
        m_flow->formUnloaded(this);
}

QAction* FileDownloadWindow::claimAction(const QString& name) {
    return m_controls->claimAction(name);
}
QAbstractButton* FileDownloadWindow::claimButton(const QString& name) {
    return m_controls->claimButton(name);
}
QAction* FileDownloadWindow::action(const QString& name) const {
    return m_controls->action(name);
}
QMenu* FileDownloadWindow::menu(const QString& name) const {
    return m_controls->menu(name);
}
QAbstractButton* FileDownloadWindow::button(const QString& name) const {
    return m_controls->button(name);
}
QWidget* FileDownloadWindow::control(const QString& name) const {
    return findChild<QWidget*>(name);
}

} // namespace mojing
