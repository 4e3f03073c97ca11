#include "search/SearchWindow.h"

#include "SilentPage.h"
#include "platform/EventPump.h"
#include "platform/Prompts.h"
#include "platform/Shell.h"
#include "program/AppContext.h"
#include "program/ProgramState.h"
#include "search/AddressPrompt.h"
#include "search/ArticleListModel.h"
#include "settings/SettingKeys.h"
#include "settings/SettingsStore.h"
#include "shell/AboutDialog.h"
#include "shell/WindowFlow.h"
#include "widgets/DesignControls.h"
#include "widgets/Icons.h"
#include "widgets/StatusPanels.h"
#include "widgets/StripeDelegate.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>
#include <QSplitter>
#include <QTableView>
#include <QVBoxLayout>
#include <QWebEngineView>

using namespace Qt::StringLiterals;

namespace mojing {

namespace {
constexpr int kRowHeight = 13;
// 9000 x 5000 twips.
constexpr QSize kMinimumSize{9000 / 15, 5000 / 15};

} // namespace

SearchWindow::SearchWindow(AppContext& context, WindowFlow& flow, QWebEngineProfile* profile,
                           const BrowserConfig& config, QWidget* parent)
    : QMainWindow(parent), m_context(context), m_flow(flow), m_config(config),
      m_controls(new DesignControls(*this, context.prompts)) {
    setObjectName(WindowFlow::kSearch);
    setAttribute(Qt::WA_DeleteOnClose, false); // the flow deletes the window once it is unloaded
    setWindowTitle(kApplicationTitle + u'-' + kDesignCaption);
    setWindowIcon(m_flow.cover() ? m_flow.cover()->windowIcon() : Icons::programIcon());
    setMinimumSize(kMinimumSize);
    resize(1100, 760);

    m_articles = new ArticleListModel(this);
    m_articles->setObjectName(u"ArticleList"_s);

    // Upper part: the browser.
    auto* web = new QWidget;
    web->setObjectName(u"PicPanWeb"_s);
    m_view = new QWebEngineView(web);
    m_view->setObjectName(u"WebBrowser1"_s);
    m_page = new SilentPage(profile, m_view);
    m_view->setPage(m_page);
    auto* webLayout = new QVBoxLayout(web);
    webLayout->setContentsMargins(0, 0, 0, 0);
    webLayout->addWidget(m_view);

    m_splitter = new QSplitter(Qt::Vertical);
    m_splitter->setObjectName(u"PicBar"_s);
    m_splitter->setChildrenCollapsible(false);
    m_splitter->setHandleWidth(5);
    m_splitter->addWidget(web);
    m_splitter->addWidget(buildListPanel());
    m_splitter->setStretchFactor(0, 3);
    m_splitter->setStretchFactor(1, 2);
    // The browser takes the larger upper part; the splitter scales these to the real height.
    m_splitter->setSizes({600, 400});
    web->setMinimumHeight(40);
    setCentralWidget(m_splitter);
    connect(m_splitter, &QSplitter::splitterMoved, this, [this] { applySplitterRule(); });

    // Panel 3 shows how far an add-all or analysis run is.
    m_status = new StatusPanels({2, 4, 3}, this);
    m_status->setObjectName(u"StatusBar1"_s);
    setStatusBar(m_status);

    buildMenus();

    // Browser events.
    connect(m_page, &SilentPage::statusTextChanged, this,
            [this](const QString& text) { m_status->setText(2, text); });
    connect(m_page, &SilentPage::navigationStarting, this, [this](const QUrl& url, bool isMainFrame) {
        if (isMainFrame)
            m_status->setVisible(!m_config.isMakerAddress(url.toString()));
    });
    connect(m_page, &QWebEnginePage::titleChanged, this,
            [this](const QString& title) { m_status->setText(1, title); });

    // Load sequence.
    m_context.state.promptSaveFolderOnHarvest =
        m_context.settings.read(SettingKeys::kSectionSettings, SettingKeys::kPromptFolderOnHarvest).toInt();
    m_check2->setChecked(true);
    setOptions(SearchOptions::load(m_context.settings));
    m_page->setUrl(QUrl(u"about:blank"_s));
    m_context.pump.pumpOnce();
    m_state.setAnalysisStopped(true);
    m_state.setAddAllStopped(true);
}

SearchWindow::~SearchWindow() {
    // The page belongs to the process-wide profile and must be gone before it.
    m_view->setPage(nullptr);
    delete m_page;
}

QWidget* SearchWindow::buildListPanel() {
    auto* panel = new QWidget;
    panel->setObjectName(u"PicPanList"_s);
    panel->setMinimumHeight(90);

    m_check1 = makeNamed<QCheckBox>(panel, u"Check1"_s, u"加到最大页码数："_s);
    m_text1 = new QLineEdit(panel);
    m_text1->setObjectName(u"Text1"_s);
    m_text1->setFixedWidth(48);
    m_check2 = makeNamed<QCheckBox>(panel, u"Check2"_s, u"禁止弹出脚本提示"_s);
    m_check3 = makeNamed<QCheckBox>(panel, u"Check3"_s, u"只加入含"_s);
    auto* image2 = makeNamed<QLabel>(panel, u"Image2"_s, QString());
    image2->setPixmap(Icons::openAccessPixmap());
    auto* label4 = makeNamed<QLabel>(panel, u"Label4"_s, u"的资料"_s);
    auto* image1 = makeNamed<QLabel>(panel, u"Image1"_s, QString());
    image1->setPixmap(Icons::openAccessPixmap());
    auto* label3 = makeNamed<QLabel>(panel, u"Label3"_s, u"属于开放下载的资料"_s);
    auto* check7 = makeNamed<QCheckBox>(panel, u"Check7"_s, u"自动分析未分析项"_s);
    auto* label2 = makeNamed<QLabel>(panel, u"Label2"_s, u"待分析列表："_s);
    m_counter = makeNamed<QLabel>(panel, u"Label1"_s, u"0"_s);
    m_counter->setMinimumWidth(40);

    auto* command9 = makeNamed<QPushButton>(panel, u"Command9"_s, u"加入本页到列表"_s);
    auto* command4 = makeNamed<QPushButton>(panel, u"Command4"_s, u"加入全部到列表"_s);
    auto* command2 = makeNamed<QPushButton>(panel, u"Command2"_s, u"开始分析"_s);
    auto* command7 = makeNamed<QPushButton>(panel, u"Command7"_s, u"导出数据..."_s);
    for (QPushButton* b : {command9, command4, command2, command7})
        m_controls->addPlaceholder(b);

    connect(m_check2, &QCheckBox::toggled, this, [this](bool on) { m_page->setSilent(on); });

    auto* row1 = new QHBoxLayout;
    row1->addWidget(command9);
    row1->addWidget(command4);
    row1->addSpacing(8);
    row1->addWidget(m_check1);
    row1->addWidget(m_text1);
    row1->addSpacing(8);
    row1->addWidget(m_check3);
    row1->addWidget(image2);
    row1->addWidget(label4);
    row1->addSpacing(8);
    row1->addWidget(m_check2);
    row1->addStretch(1);

    auto* row2 = new QHBoxLayout;
    row2->addWidget(command2);
    row2->addWidget(command7);
    row2->addSpacing(8);
    row2->addWidget(check7);
    row2->addSpacing(8);
    row2->addWidget(image1);
    row2->addWidget(label3);
    row2->addStretch(1);
    row2->addWidget(label2);
    row2->addWidget(m_counter);

    m_list = new QTableView(panel);
    m_list->setObjectName(u"ListView1"_s);
    m_list->setModel(m_articles);
    m_list->setItemDelegate(new StripeDelegate(ArticleListModel::StripeRole, m_list));
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->setShowGrid(false);
    m_list->setWordWrap(false);
    m_list->setToolTip(u"双击浏览选中的文章"_s);
    m_list->verticalHeader()->hide();
    m_list->verticalHeader()->setMinimumSectionSize(kRowHeight);
    m_list->verticalHeader()->setDefaultSectionSize(kRowHeight);
    m_list->horizontalHeader()->setHighlightSections(false);
    m_list->horizontalHeader()->setStretchLastSection(true);
    QFont listFont = m_list->font();
    listFont.setPixelSize(11);
    m_list->setFont(listFont);
    m_list->setContextMenuPolicy(Qt::CustomContextMenu);
    // The list's selection is the rows' selected state that the list commands work on.
    connect(m_list->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        const QItemSelectionModel* selection = m_list->selectionModel();
        for (int row = 0; row < m_articles->count(); ++row)
            m_articles->setSelected(row, selection->isRowSelected(row, {}));
    });

    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(4, 4, 4, 0);
    layout->setSpacing(3);
    layout->addLayout(row1);
    layout->addLayout(row2);
    layout->addWidget(m_list, 1);

    // The analysis progress panel floats over the list, centred, and can be dragged.
    m_progress = new QFrame(panel);
    m_progress->setObjectName(u"PicPanPrograss"_s);
    m_progress->setFrameShape(QFrame::Panel);
    m_progress->setFrameShadow(QFrame::Raised);
    m_progress->setAutoFillBackground(true);
    auto* label11 = makeNamed<QLabel>(m_progress, u"Label11"_s, u"正在分析，请稍候..."_s);
    auto* command5 = makeNamed<QPushButton>(m_progress, u"Command5"_s, u"停止"_s);
    m_controls->addPlaceholder(command5);
    auto* progressLayout = new QHBoxLayout(m_progress);
    progressLayout->addWidget(label11, 1);
    progressLayout->addWidget(command5);
    m_progress->resize(380, 48); // room for the count of a long run
    m_progress->hide();
    m_progress->installEventFilter(this);
    label11->installEventFilter(this);
    return panel;
}

void SearchWindow::buildMenus() {
    using E = MenuEntry;
    const E sep = E::separator();
    QMenuBar* bar = menuBar();

    // Popup of "开始分析" only.
    QMenu* add = m_controls->addMenu(bar, u"menu加入"_s, u"加入"_s,
                                     {{u"menu分析未分析项"_s, u"分析未分析项"_s},
                                      {u"menu加入分析失败项"_s, u"分析失败项"_s},
                                      {u"menu选中加入"_s, u"分析选中项"_s},
                                      {u"menu全部加入"_s, u"分析全部"_s}});
    add->menuAction()->setVisible(false);

    m_controls->addMenu(bar, u"menu浏览"_s, u"浏览(&B)"_s,
                        {{u"menu打开查询首页"_s, u"打开SAGE首页"_s, [this] { openPlatformHome(); }},
                         {u"menu打开指定网址"_s, u"打开指定网址..."_s, [this] { openAddressPrompt(); }},
                         sep,
                         {u"menu后退"_s, u"后退"_s, [this] { goBack(); }},
                         {u"menu前进"_s, u"前进"_s, [this] { goForward(); }},
                         sep,
                         {u"menu关闭本窗口"_s, u"关闭本窗口"_s, [this] { close(); }}});

    QMenu* clear = m_controls->addMenu(bar, u"menu清除"_s, u"清除(&C)"_s,
                                       {{u"menu清除选中项"_s, u"清除选中项"_s},
                                        {u"menu清除分析成功项"_s, u"清除分析成功项"_s},
                                        {u"menu清除标题含指定字符项"_s, u"清除标题含指定字符项"_s},
                                        {u"menu清除标题不含指定字符项"_s, u"清除标题不含指定字符项"_s},
                                        {u"menu清空全部"_s, u"清空全部"_s}});
    // The clear menu is also the list's right-click menu.
    connect(m_list, &QWidget::customContextMenuRequested, this,
            [this, clear](const QPoint& pos) { clear->popup(m_list->viewport()->mapToGlobal(pos)); });

    m_controls->addMenu(bar, u"menu工具"_s, u"工具(&T)"_s,
                        {{u"menu设置"_s, u"设置"_s},
                         {u"menu打开下载窗口"_s, u"打开下载窗口"_s,
                          [this] {
                              if (!m_flow.showForm(WindowFlow::kDownload))
                                  m_context.prompts.message(kNotAvailable, MessageIcon::Information);
                          }},
                         sep,
                         {u"menu查看IE浏览器缓存"_s, u"查看IE浏览器缓存"_s},
                         {u"menu清空IE浏览器缓存"_s, u"清空IE浏览器缓存"_s},
                         {u"menu网页源码另存为"_s, u"网页源码另存为"_s}});

    std::vector<E> help{{u"menu关于"_s, u"关于(&A)"_s,
                         [this] {
                             AboutDialog about(windowIcon(), this);
                             about.exec();
                         }},
                        {u"menu使用方法"_s, u"使用方法"_s},
                        sep};
    for (const BrowserConfig::Link& link : std::as_const(m_config.makerLinks)) {
        const QString url = link.url;
        help.push_back({link.objectName, link.caption, [this, url] { m_context.shell.openInBrowser(url); }});
    }
    m_controls->addMenu(bar, u"menu帮助"_s, u"帮助(&H)"_s, help);
}

QAction* SearchWindow::action(const QString& name) const {
    return m_controls->action(name);
}
QMenu* SearchWindow::menu(const QString& name) const {
    return m_controls->menu(name);
}
QAbstractButton* SearchWindow::button(const QString& name) const {
    return m_controls->button(name);
}
QCheckBox* SearchWindow::checkBox(const QString& name) const {
    return findChild<QCheckBox*>(name);
}
QAction* SearchWindow::claimAction(const QString& name) {
    return m_controls->claimAction(name);
}
QAbstractButton* SearchWindow::claimButton(const QString& name) {
    return m_controls->claimButton(name);
}

SearchOptions SearchWindow::options() const {
    SearchOptions o;
    o.addToMaxPage = m_check1->isChecked();
    o.openAccessOnly = m_check3->isChecked();
    o.maxPageText = m_text1->text();
    return o;
}

void SearchWindow::setOptions(const SearchOptions& options) {
    m_check1->setChecked(options.addToMaxPage);
    m_check3->setChecked(options.openAccessOnly);
    m_text1->setText(options.maxPageText);
}

void SearchWindow::openPlatformHome() {
    m_check2->setChecked(true);
    m_splitter->widget(0)->raise();
    m_page->setUrl(QUrl::fromUserInput(m_config.homePage));
}

void SearchWindow::openAddressPrompt() {
    const AddressRequest request = AddressRequest::ask(m_context.prompts);
    m_check2->setChecked(request.silent);
    if (!request.address.isEmpty())
        m_page->setUrl(QUrl::fromUserInput(request.address));
}

void SearchWindow::goBack() {
    m_page->triggerAction(QWebEnginePage::Back);
}
void SearchWindow::goForward() {
    m_page->triggerAction(QWebEnginePage::Forward);
}

void SearchWindow::refreshArticleCount() {
    m_counter->setText(QString::number(m_articles->count()));
}

void SearchWindow::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!m_homeOpened) {
        m_homeOpened = true;
        openPlatformHome();
    }
    centreProgressPanel();
}

void SearchWindow::closeEvent(QCloseEvent* event) {
    if (m_flow.isEnding()) {
        event->accept();
        return;
    }
    if (m_unloading) {
        event->accept();
        return;
    }
    if (!m_state.confirmClose(m_context.prompts)) {
        event->ignore();
        return;
    }
    m_unloading = true;
    emit closing();
    m_context.pump.pumpOnce();
    options().save(m_context.settings);
    event->accept();
    // A harvest or analysis that was stopped may still be on the stack (waiting for a page
    // snapshot, converting its last row): the window goes once it has returned.
    m_state.operations().whenIdle([this] { m_flow.formUnloaded(this); });
}

void SearchWindow::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    applySplitterRule();
    centreProgressPanel();
}

void SearchWindow::applySplitterRule() {
    const QList<int> sizes = m_splitter->sizes();
    if (sizes.size() != 2)
        return;
    const int height = m_splitter->height();
    const int position = SearchWindowState::splitterPosition(sizes.at(0), height);
    if (position != sizes.at(0))
        m_splitter->setSizes({position, height - position - m_splitter->handleWidth()});
}

void SearchWindow::centreProgressPanel() {
    if (!m_progress || !m_progress->parentWidget())
        return;
    const QSize area = m_progress->parentWidget()->size();
    m_progress->move((area.width() - m_progress->width()) / 2, (area.height() - m_progress->height()) / 2);
    m_progress->raise();
}

bool SearchWindow::eventFilter(QObject* watched, QEvent* event) {
    // Dragging the progress panel by any point of it.
    if (event->type() == QEvent::MouseButtonPress) {
        auto* e = static_cast<QMouseEvent*>(event);
        if (e->button() == Qt::LeftButton) {
            m_dragStart = e->globalPosition().toPoint() - m_progress->pos();
            return false;
        }
    } else if (event->type() == QEvent::MouseMove) {
        auto* e = static_cast<QMouseEvent*>(event);
        if (e->buttons() & Qt::LeftButton) {
            m_progress->move(e->globalPosition().toPoint() - m_dragStart);
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

} // namespace mojing
