#include "CacheDialog.h"

#include "CopyMoveDialog.h"
#include "settings/SettingKeys.h"
#include "tools/CacheToolController.h"
#include "tools/TextTableModel.h"
#include "widgets/Icons.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QPushButton>
#include <QSplitter>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>

using namespace Qt::StringLiterals;

namespace mojing {

namespace {
QTableView* makeList(const QString& name, TextTableModel* model, QWidget* parent) {
    auto* view = new QTableView(parent);
    view->setObjectName(name);
    view->setModel(model);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setAlternatingRowColors(true);
    view->setWordWrap(false);
    view->verticalHeader()->hide();
    view->verticalHeader()->setDefaultSectionSize(view->fontMetrics().height() + 4);
    view->horizontalHeader()->setStretchLastSection(true);
    view->horizontalHeader()->setSectionsClickable(true);
    // Room for the sort arrow is kept in every header from the start, so a sort never clips a
    // header ("SIZE(Byte)"); no arrow shows until a header is clicked.
    view->horizontalHeader()->setSortIndicatorShown(true);
    view->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    return view;
}

QPushButton* makeButton(const QString& name, const QString& caption, QWidget* parent) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    return button;
}
} // namespace

CacheDialog::CacheDialog(const AppContext& context, const CacheLocations& locations, EngineCache* engine,
                         QWidget* parent)
    : QDialog(parent), m_context(context),
      m_controller(new CacheToolController(context.prompts, locations, engine, this)) {
    setObjectName(u"fIEcache"_s);
    setWindowTitle(CacheToolController::kCaption + u'-' + kApplicationTitle);
    setWindowIcon(Icons::programIcon());
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setWindowFlag(Qt::WindowMaximizeButtonHint, true);
    setModal(true);

    auto* command1 = makeButton(u"Command1"_s, u"查看我的缓存"_s, this);
    auto* command7 = makeButton(u"Command7"_s, u"查看所有用户缓存"_s, this);
    auto* command2 = makeButton(u"Command2"_s, u"删除所选文件"_s, this);
    auto* command3 = makeButton(u"Command3"_s, u"全部删除"_s, this);
    auto* command6 = makeButton(u"Command6"_s, u"复制选中..."_s, this);
    auto* command4 = makeButton(u"Command4"_s, u"关闭"_s, this);
    m_list1 = makeList(u"ListView1"_s, m_controller->entries(), this);
    m_list2 = makeList(u"ListView2"_s, m_controller->users(), this);
    m_list3 = makeList(u"ListView3"_s, m_controller->folders(), this);
    // Long cache paths keep their file name in sight.
    for (QTableView* view : {m_list1, m_list2, m_list3})
        view->setTextElideMode(Qt::ElideMiddle);
    // Widths until the lists are first filled.
    for (const auto& [view, widths] :
         {std::pair{m_list1, QList<int>{420, 60, 100}}, std::pair{m_list2, QList<int>{120}}}) {
        for (int column = 0; column < widths.size(); ++column)
            view->setColumnWidth(column, widths.at(column));
    }
    m_label1 = new QLabel(this);
    m_label1->setObjectName(u"Label1"_s);

    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {command1, command7, command2, command3, command6})
        buttons->addWidget(b);
    buttons->addStretch(1);
    buttons->addWidget(command4);
    auto* lower = new QSplitter(Qt::Horizontal, this);
    lower->addWidget(m_list2);
    lower->addWidget(m_list3);
    auto* lists = new QSplitter(Qt::Vertical, this);
    lists->addWidget(m_list1);
    lists->addWidget(lower);
    lists->setStretchFactor(0, 3);
    lists->setStretchFactor(1, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(lists, 1);
    layout->addWidget(m_label1);

    CacheToolController* c = m_controller;
    connect(command1, &QPushButton::clicked, c, &CacheToolController::listMine);
    connect(command7, &QPushButton::clicked, c, &CacheToolController::listAllUsers);
    connect(command2, &QPushButton::clicked, this, [this] { m_controller->deleteRows(selectedRows()); });
    connect(command3, &QPushButton::clicked, c, &CacheToolController::deleteAll);
    connect(command6, &QPushButton::clicked, this, &CacheDialog::copySelected);
    connect(command4, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_list1->horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int column) {
        m_controller->sortByColumn(column);
        m_list1->horizontalHeader()->setSortIndicator(column, m_controller->sortOrder());
    });
    connect(c, &CacheToolController::changed, this, &CacheDialog::showCount);

    resize(1000, 640);
}

CacheDialog::~CacheDialog() = default;

void CacheDialog::showCount() {
    m_label1->setText(m_controller->countText());
    // A rebuilt list is in listing order until the next header click.
    m_list1->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    // AutoSizeColumns on the lists that hold rows; an empty list keeps its widths rather than
    // shrinking its columns to their headers ("查看我的缓存" leaves the lower lists empty).
    // The last column fills the rest of the width (paths are shortened in the middle).
    for (QTableView* view : {m_list1, m_list2, m_list3}) {
        if (view->model()->rowCount() == 0)
            continue;
        for (int column = 0; column + 1 < view->model()->columnCount(); ++column)
            view->resizeColumnToContents(column);
    }
}

QList<int> CacheDialog::selectedRows() const {
    QList<int> rows;
    for (const QModelIndex& index : m_list1->selectionModel()->selectedRows())
        rows << index.row();
    std::sort(rows.begin(), rows.end());
    return rows;
}

void CacheDialog::copySelected() {
    const QStringList paths = m_controller->filePaths(selectedRows());
    CopyMoveDialog::run(m_context, paths, false,
                        u"复制文件："_s + QString::number(paths.size()) + u" 个文件..."_s, this);
}

} // namespace mojing
