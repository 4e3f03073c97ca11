#include "FileDownloadWindow.h"

#include "AboutDialog.h"
#include "DownloadRowDelegate.h"
#include "GapLabel.h"
#include "Icons.h"
#include "OptionDialog.h"
#include "StatusPanels.h"
#include "WindowFlow.h"
#include "analysis/ComboDropWidth.h"
#include "downloads/DownloadSession.h"
#include "downloads/DownloadSettings.h"
#include "downloads/FileTypeCorrector.h"
#include "platform/EventPump.h"
#include "platform/Prompts.h"
#include "platform/Shell.h"
#include "platform/Timing.h"
#include "program/ProgramState.h"
#include "settings/SettingKeys.h"
#include "settings/SettingsStore.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLinearGradient>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QVBoxLayout>
#include <cmath>

using namespace Qt::StringLiterals;

namespace mojing {

namespace {

QAction* addEntry(QMenu* menu, const QString& name, const QString& caption) {
    QAction* action = menu->addAction(caption);
    action->setObjectName(name);
    return action;
}

QMenu* addSubmenu(QMenu* parent, const QString& name, const QString& caption) {
    QMenu* menu = parent->addMenu(caption);
    menu->setObjectName(name);
    menu->menuAction()->setObjectName(name);
    return menu;
}

QLabel* makeLabel(QWidget* parent, const QString& name, const QString& caption) {
    auto* label = new QLabel(caption, parent);
    label->setObjectName(name);
    return label;
}

QCheckBox* makeCheck(QWidget* parent, const QString& name, const QString& caption) {
    auto* box = new QCheckBox(caption, parent);
    box->setObjectName(name);
    return box;
}

QComboBox* makeCombo(QWidget* parent, const QString& name, int first, int last) {
    auto* combo = new QComboBox(parent);
    combo->setObjectName(name);
    for (int i = first; i <= last; ++i)
        combo->addItem(QString::number(i));
    return combo;
}

// The option panel's background picture (Image1), stretched over the whole panel.
class PanelBackground : public QWidget {
public:
    explicit PanelBackground(QWidget* parent) : QWidget(parent) { setObjectName(u"Picture3"_s); }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        QLinearGradient g(0, 0, 0, height());
        g.setColorAt(0, QColor(236, 244, 252));
        g.setColorAt(1, QColor(208, 224, 242));
        p.fillRect(rect(), g);
        p.setPen(QColor(170, 190, 215));
        p.drawLine(0, height() - 1, width(), height() - 1);
    }
};

// The running indicator: a small green lamp.
class Indicator : public QWidget {
public:
    explicit Indicator(QWidget* parent) : QWidget(parent) {
        setObjectName(u"Shape1"_s);
        setFixedSize(16, 16);
        setToolTip(u"正在下载"_s);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QColor(20, 110, 40));
        p.setBrush(QColor(40, 200, 80));
        p.drawEllipse(QRectF(1.5, 1.5, width() - 3, height() - 3));
    }
};

} // namespace

FileDownloadWindow::FileDownloadWindow(const AppContext& context, WindowFlow* flow,
                                       const BrowserConfig& config, QWidget* parent)
    : QMainWindow(parent), m_context(context), m_flow(flow), m_config(config),
      m_session(new DownloadSession(context, this)) {
    setObjectName(u"fFileDownload"_s);
    setAttribute(Qt::WA_DeleteOnClose, false);
    setWindowTitle(kDesignCaption + u'-' + kApplicationTitle);
    setWindowIcon(Icons::programIcon());

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(buildOptionPanel());
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

    buildMenus();
    connectOptionControls();
    load();
}

FileDownloadWindow::~FileDownloadWindow() = default;

void FileDownloadWindow::load() {
    DownloadSettings::load(m_context.settings, m_session->options(), m_context.state.maxFileSizeMB);
    m_combo4->setCurrentIndex(0);
    ComboDropWidth::fitComboDropWidth(*m_combo4);
    m_session->lastTransferEndMs = m_context.timing.nowMs();
    m_session->list().clear();
    showOptions();
    resize(1000, 667);
}

QWidget* FileDownloadWindow::buildOptionPanel() {
    auto* panel = new PanelBackground(this);
    auto* grid = new QGridLayout(panel);
    grid->setContentsMargins(8, 6, 8, 6);
    grid->setHorizontalSpacing(10);
    grid->setVerticalSpacing(4);

    // First row: method, slots, pause, duplicate names.
    auto* row1 = new QHBoxLayout;
    m_label7 = makeLabel(panel, u"Label7"_s, DownloadSettings::methodLabel(2));
    auto* command26 = new QPushButton(u"切换"_s, panel);
    command26->setObjectName(u"Command26"_s);
    command26->setToolTip(u"更改下载方式"_s);
    connect(command26, &QPushButton::clicked, this, [this] {
        DownloadSettings::switchMethod(m_session->options());
        showOptions();
    });
    row1->addWidget(m_label7);
    row1->addWidget(command26);
    row1->addSpacing(12);
    row1->addWidget(makeLabel(panel, u"Label8"_s, u"线程数："_s));
    m_combo1 = makeCombo(panel, u"Combo1"_s, 1, DownloadSettings::kMaxSlots);
    row1->addWidget(m_combo1);
    row1->addSpacing(12);
    m_combo2 = makeCombo(panel, u"Combo2"_s, 0, DownloadSettings::kMaxPauseSeconds);
    m_combo2->setMaxVisibleItems(20);
    auto* label9 = new GapLabel(u"两个文件下载间隔：        秒"_s, m_combo2, panel);
    label9->setObjectName(u"Label9"_s);
    row1->addWidget(label9);
    row1->addSpacing(12);
    row1->addWidget(makeLabel(panel, u"Label10"_s, u"同名文件："_s));
    auto* group = new QButtonGroup(panel);
    const QString captions[3] = {u"跳过"_s, u"覆盖"_s, u"重命名"_s};
    for (int i = 0; i < 3; ++i) {
        m_option[i] = new QRadioButton(captions[i], panel);
        m_option[i]->setObjectName(u"Option"_s + QString::number(i + 1));
        group->addButton(m_option[i], i);
        row1->addWidget(m_option[i]);
    }
    row1->addStretch(1);

    // Second row: the automatic options.
    auto* row2 = new QHBoxLayout;
    m_check3 = makeCheck(panel, u"Check3"_s, u"自动重新下载："_s);
    m_combo4 = new QComboBox(panel);
    m_combo4->setObjectName(u"Combo4"_s);
    m_combo4->addItems({u"出错项"_s, u"文件类型为HTM和HTML项"_s, u"出错项和文件类型为HTM和HTML项"_s});
    m_combo4->setMinimumContentsLength(8);
    m_check4 = makeCheck(panel, u"Check4"_s, u"当有待下载项时，自动启动下载"_s);
    m_check5 = makeCheck(panel, u"Check5"_s, u"有5个以上下载出错或者网页文件，就停止下载"_s);
    m_check6 = makeCheck(panel, u"Check6"_s, u"声音提示"_s);
    row2->addWidget(m_check3);
    row2->addWidget(m_combo4);
    row2->addSpacing(12);
    row2->addWidget(m_check4);
    row2->addSpacing(12);
    row2->addWidget(m_check5);
    row2->addSpacing(12);
    row2->addWidget(m_check6);
    row2->addStretch(1);

    // Right: start, stop, the running lamp and the row count.
    auto* right = new QHBoxLayout;
    auto* command4 = new QPushButton(u"开始下载"_s, panel);
    command4->setObjectName(u"Command4"_s);
    auto* command31 = new QPushButton(u"停止下载"_s, panel);
    command31->setObjectName(u"Command31"_s);
    addPlaceholder(command4);
    addPlaceholder(command31);
    m_shape1 = new Indicator(panel);
    m_shape1->hide();
    m_label1 = makeLabel(panel, u"Label1"_s, u"0条"_s);
    m_label1->setMinimumWidth(60);
    right->addWidget(m_shape1);
    right->addWidget(command4);
    right->addWidget(command31);
    right->addWidget(m_label1);

    grid->addLayout(row1, 0, 0);
    grid->addLayout(row2, 1, 0);
    grid->addLayout(right, 0, 1, 2, 1, Qt::AlignVCenter);
    grid->setColumnStretch(0, 1);
    return panel;
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
    QMenuBar* bar = menuBar();
    m_listMenu = bar->addMenu(u"列表操作(&D)"_s);
    m_listMenu->setObjectName(u"menu下载"_s);
    QMenu* d = m_listMenu;
    connect(addEntry(d, u"menu全选专利列表"_s, u"全选"_s), &QAction::triggered, this,
            [this] { selectAll(true); });
    connect(addEntry(d, u"menu全不选"_s, u"全不选"_s), &QAction::triggered, this,
            [this] { selectAll(false); });
    addPlaceholder(addEntry(d, u"menu随机排序列表"_s, u"随机排序列表(打乱)"_s));
    addPlaceholder(addEntry(d, u"menu自动列宽"_s, u"自动调整列宽"_s));
    d->addSeparator();
    QMenu* again = addSubmenu(d, u"menu重新下载"_s, u"重新下载"_s);
    addPlaceholder(addEntry(again, u"menu重新下载选中项"_s, u"选中项"_s));
    addPlaceholder(addEntry(again, u"menu重新下载出错项"_s, u"出错项"_s));
    addPlaceholder(
        addEntry(again, u"menu重新下载文件类型为HTM和HTML项"_s, u"网页类型文件(HTM/HTML/xml)项"_s));
    addPlaceholder(addEntry(again, u"menu重新下载出错项和网页项"_s, u"重新下载出错项和网页类型文件项"_s));
    addPlaceholder(addEntry(again, u"menu重新下载文件大小小于指定数字的项"_s, u"文件大小小于指定数字的项"_s));
    d->addSeparator();
    QMenu* clear = addSubmenu(d, u"menu清除"_s, u"清除"_s);
    addPlaceholder(addEntry(clear, u"menu清除选中项"_s, u"选中项"_s));
    addPlaceholder(addEntry(clear, u"menu清除全部出错项"_s, u"全部出错项"_s));
    addPlaceholder(addEntry(clear, u"menu清除完成项"_s, u"完成项"_s));
    addPlaceholder(addEntry(d, u"menu清空"_s, u"清空"_s));
    QMenu* remove = addSubmenu(d, u"menu删除"_s, u"删除文件"_s);
    addPlaceholder(addEntry(remove, u"menu删除网页类型文件项"_s, u"网页类型文件(HTM/HTML/xml)项"_s));
    addPlaceholder(addEntry(remove, u"menu删除出错项"_s, u"出错项"_s));
    d->addSeparator();
    addPlaceholder(addEntry(d, u"menu下载全部"_s, u"开始下载"_s));
    addPlaceholder(addEntry(d, u"menu停止下载"_s, u"停止下载"_s));
    addPlaceholder(addEntry(d, u"menu取消下载选中项"_s, u"取消下载选中项"_s));
    d->addSeparator();
    addPlaceholder(addEntry(d, u"menu打开下载文件"_s, u"打开下载文件"_s));
    addPlaceholder(addEntry(d, u"menu打开文件所在文件夹"_s, u"打开所在文件夹"_s));
    addPlaceholder(addEntry(d, u"menu用记事本打开文件"_s, u"用记事本打开文件"_s));
    d->addSeparator();
    addPlaceholder(addEntry(d, u"menu复制名称"_s, u"复制名称"_s));
    addPlaceholder(addEntry(d, u"menu批量替换网址"_s, u"批量替换网址"_s));
    addPlaceholder(addEntry(d, u"menu打开网址"_s, u"打开网址"_s));
    QMenu* exportNames = addSubmenu(d, u"menu导出名称"_s, u"导出名称"_s);
    addPlaceholder(addEntry(exportNames, u"menu导出全部名称"_s, u"全部"_s));
    addPlaceholder(addEntry(exportNames, u"menu导出未完成项名称"_s, u"未完成项"_s));
    d->addSeparator();
    connect(addEntry(d, u"menu退出本下载窗口"_s, u"关闭本下载窗口"_s), &QAction::triggered, this,
            &FileDownloadWindow::closeWindow);

    QMenu* tools = bar->addMenu(u"工具(&T)"_s);
    tools->setObjectName(u"menu工具"_s);
    connect(addEntry(tools, u"menu设置"_s, u"设置"_s), &QAction::triggered, this, [this] {
        if (m_optionsOpener) {
            m_optionsOpener();
            return;
        }
        OptionDialog dialog(m_context, m_session, this);
        dialog.exec();
    });
    QAction* locate = addEntry(tools, u"menu自动定位到下载项"_s, u"自动定位到下载项"_s);
    locate->setCheckable(true);
    connect(locate, &QAction::toggled, this, [this](bool on) { m_session->options().autoLocate = on; });
    tools->addSeparator();
    addPlaceholder(addEntry(tools, u"menu检查文件是否存在"_s, u"检查文件是否存在"_s));
    connect(addEntry(tools, u"menu检查并纠正磁盘文件类型"_s, u"检查并纠正磁盘文件类型"_s),
            &QAction::triggered, this, [this] { FileTypeCorrector::correctFileTypesOnDisk(*m_session); });
    connect(addEntry(tools, u"menu打开文件判断类型"_s, u"打开文件判断类型"_s), &QAction::triggered, this,
            [this] { FileTypeCorrector::pickFileAndShowType(m_context.prompts, m_context.codec); });
    tools->addSeparator();
    addPlaceholder(addEntry(tools, u"menu清空IE浏览器缓存"_s, u"清空IE浏览器缓存"_s));

    QMenu* windows = bar->addMenu(u"窗口(&W)"_s);
    windows->setObjectName(u"menu窗口"_s);
    connect(addEntry(windows, u"menu资料检索分析窗口"_s, u"资料检索分析窗口"_s), &QAction::triggered, this,
            [this] {
                if (!m_flow || !m_flow->showForm(WindowFlow::kSearch))
                    m_context.prompts.message(kNotAvailable, MessageIcon::Information);
            });

    QMenu* help = bar->addMenu(u"帮助(&H)"_s);
    help->setObjectName(u"menu帮助"_s);
    connect(addEntry(help, u"menu关于"_s, u"关于(&A)"_s), &QAction::triggered, this, [this] {
        AboutDialog about(windowIcon(), this);
        about.exec();
    });
    help->addSeparator();
    for (const BrowserConfig::Link& link : std::as_const(m_config.makerLinks)) {
        const QString url = link.url;
        connect(addEntry(help, link.objectName, link.caption), &QAction::triggered, this,
                [this, url] { m_context.shell.openInBrowser(url); });
    }

    // The list menu is also the list's right-click menu.
    connect(m_list, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        applyContextMenuRules();
        m_listMenu->popup(m_list->viewport()->mapToGlobal(pos));
    });
}

void FileDownloadWindow::applyContextMenuRules() {
    const bool busy = m_session->schedulerRunning || m_session->transferBusy;
    action(u"menu全选专利列表"_s)->setEnabled(!busy);
    menu(u"menu清除"_s)->menuAction()->setEnabled(!busy);
    action(u"menu清空"_s)->setEnabled(!busy);
    action(u"menu停止下载"_s)->setEnabled(busy);
}

void FileDownloadWindow::selectAll(bool on) {
    if (on)
        m_list->selectAll();
    else
        m_list->clearSelection();
}

void FileDownloadWindow::connectOptionControls() {
    auto guarded = [this](auto&& apply) {
        return [this, apply](auto&&... args) {
            if (!m_showingOptions)
                apply(m_session->options(), args...);
        };
    };
    connect(m_combo1, &QComboBox::currentIndexChanged, this,
            guarded([](DownloadOptions& o, int index) { o.slotCount = std::max(1, index + 1); }));
    connect(m_combo2, &QComboBox::currentIndexChanged, this,
            guarded([](DownloadOptions& o, int index) { o.pauseSeconds = std::max(0, index); }));
    for (int i = 0; i < 3; ++i) {
        const DuplicatePolicy policy = DuplicatePolicy(i);
        connect(m_option[i], &QRadioButton::toggled, this, guarded([policy](DownloadOptions& o, bool on) {
                    if (on)
                        o.policy = policy;
                }));
    }
    connect(m_check3, &QCheckBox::toggled, this,
            guarded([](DownloadOptions& o, bool on) { o.autoRetry = on; }));
    connect(m_combo4, &QComboBox::currentIndexChanged, this,
            guarded([](DownloadOptions& o, int index) { o.autoRetryMode = std::max(0, index); }));
    connect(m_check4, &QCheckBox::toggled, this,
            guarded([](DownloadOptions& o, bool on) { o.autoStart = on; }));
    connect(m_check5, &QCheckBox::toggled, this,
            guarded([](DownloadOptions& o, bool on) { o.stopRule = on; }));
    connect(m_check6, &QCheckBox::toggled, this, guarded([](DownloadOptions& o, bool on) { o.sound = on; }));
}

void FileDownloadWindow::showOptions() {
    const DownloadOptions& o = m_session->options();
    m_showingOptions = true;
    m_label7->setText(DownloadSettings::methodLabel(o.method));
    m_combo1->setEnabled(!o.usesMethod1());
    m_combo1->setCurrentIndex(std::clamp(o.slotCount, 1, DownloadSettings::kMaxSlots) - 1);
    m_combo2->setCurrentIndex(std::clamp(o.pauseSeconds, 0, DownloadSettings::kMaxPauseSeconds));
    m_option[int(o.policy)]->setChecked(true);
    m_check3->setChecked(o.autoRetry);
    m_combo4->setCurrentIndex(std::clamp(o.autoRetryMode, 0, 2));
    m_check4->setChecked(o.autoStart);
    m_check5->setChecked(o.stopRule);
    m_check6->setChecked(o.sound);
    if (QAction* locate = action(u"menu自动定位到下载项"_s))
        locate->setChecked(o.autoLocate);
    m_showingOptions = false;
}

void FileDownloadWindow::setGeometryHandlers(std::function<void(QWidget&)> restore,
                                             std::function<void(const QWidget&)> save) {
    if (restore)
        restore(*this);
    m_saveGeometry = std::move(save);
}

void FileDownloadWindow::setSchedulerIndicator(bool visible) {
    m_shape1->setVisible(visible);
}

void FileDownloadWindow::refreshRowCount() {
    m_label1->setText(m_session->list().rowCountText());
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
    if (m_closed) {
        event->accept();
        return;
    }
    DownloadSettings::storePolicyAndMethod(m_context.settings, m_session->options());
    if (m_closeGuard && !m_closeGuard()) {
        event->ignore();
        return;
    }
    m_closed = true;
    emit closing();
    if (m_saveGeometry)
        m_saveGeometry(*this);
    DownloadSettings::storeSlots(m_context.settings, m_session->options());
    m_context.pump.pumpOnce();
    m_context.pump.pumpOnce();
    event->accept();
    if (m_flow)
        m_flow->formUnloaded(this);
}

void FileDownloadWindow::addPlaceholder(QObject* sender) {
    auto show = [this] { m_context.prompts.message(kNotAvailable, MessageIcon::Information); };
    QMetaObject::Connection c;
    if (auto* a = qobject_cast<QAction*>(sender))
        c = connect(a, &QAction::triggered, this, show);
    else if (auto* b = qobject_cast<QAbstractButton*>(sender))
        c = connect(b, &QAbstractButton::clicked, this, show);
    m_placeholders.insert(sender, c);
}

QAction* FileDownloadWindow::claimAction(const QString& name) {
    QAction* a = action(name);
    if (a && m_placeholders.contains(a))
        disconnect(m_placeholders.take(a));
    return a;
}

QAbstractButton* FileDownloadWindow::claimButton(const QString& name) {
    QAbstractButton* b = button(name);
    if (b && m_placeholders.contains(b))
        disconnect(m_placeholders.take(b));
    return b;
}

QAction* FileDownloadWindow::action(const QString& name) const {
    return findChild<QAction*>(name);
}
QMenu* FileDownloadWindow::menu(const QString& name) const {
    return findChild<QMenu*>(name);
}
QAbstractButton* FileDownloadWindow::button(const QString& name) const {
    return findChild<QAbstractButton*>(name);
}
QWidget* FileDownloadWindow::control(const QString& name) const {
    return findChild<QWidget*>(name);
}

} // namespace mojing
