#include "DownloadListModel.h"

#include "platform/FileHelpers.h"

#include <QCollator>
#include <algorithm>
#include <cmath>
#include <optional>

using namespace Qt::StringLiterals;

namespace mojing {

DownloadListModel::DownloadListModel(QObject* parent, int coalesceMs) : QAbstractTableModel(parent) {
    m_flush.setSingleShot(true);
    m_flush.setInterval(coalesceMs);
    connect(&m_flush, &QTimer::timeout, this, &DownloadListModel::flushChanges);
}

bool DownloadListModel::addRow(const QString& key, const QString& name, const QString& type,
                               const QString& folder, const QString& tag) {
    DownloadRow row;
    row.key = key;
    row.name = name;
    row.type = type;
    row.folder = folder;
    row.tag = tag;
    return appendRow(row);
}

bool DownloadListModel::appendRow(const DownloadRow& row) {
    if (m_keys.contains(row.key))
        return false;
    const int position = count();
    beginInsertRows({}, position, position);
    m_rows.push_back(row);
    m_rows.back().selected = false;
    m_keys.insert(row.key);
    endInsertRows();
    return true;
}

int DownloadListModel::appendRows(std::vector<DownloadRow> rows) {
    std::vector<DownloadRow> fresh;
    fresh.reserve(rows.size());
    QSet<QString> seen;
    for (DownloadRow& row : rows) {
        if (m_keys.contains(row.key) || seen.contains(row.key))
            continue;
        seen.insert(row.key);
        row.selected = false;
        fresh.push_back(std::move(row));
    }
    if (fresh.empty())
        return 0;
    const int first = count();
    beginInsertRows({}, first, first + int(fresh.size()) - 1);
    m_keys.unite(seen);
    m_rows.insert(m_rows.end(), std::make_move_iterator(fresh.begin()), std::make_move_iterator(fresh.end()));
    endInsertRows();
    return int(fresh.size());
}

#define MOJING_SETTER(fn, field)                                                                             \
    void DownloadListModel::fn(int index, const QString& value) {                                            \
        if (!isValidIndex(index) || m_rows[size_t(index)].field == value)                                    \
            return;                                                                                          \
        m_rows[size_t(index)].field = value;                                                                 \
        touch(index);                                                                                        \
    }
MOJING_SETTER(setName, name)
MOJING_SETTER(setType, type)
MOJING_SETTER(setSize, size)
MOJING_SETTER(setReceived, received)
MOJING_SETTER(setPercent, percent)
MOJING_SETTER(setFolder, folder)
MOJING_SETTER(setTag, tag)
#undef MOJING_SETTER

bool DownloadListModel::setKey(int index, const QString& value) {
    if (!isValidIndex(index))
        return false;
    DownloadRow& row = m_rows[size_t(index)];
    if (row.key == value)
        return true;
    if (m_keys.contains(value))
        return false;
    m_keys.remove(row.key);
    row.key = value;
    m_keys.insert(value);
    touch(index);
    return true;
}

void DownloadListModel::setState(int index, RowState state) {
    if (!isValidIndex(index) || m_rows[size_t(index)].state == state)
        return;
    m_rows[size_t(index)].state = state;
    touch(index);
}

void DownloadListModel::setSelected(int index, bool selected) {
    if (isValidIndex(index))
        m_rows[size_t(index)].selected = selected;
}

void DownloadListModel::setOwned(int index, const OwnedFile& owned) {
    if (!isValidIndex(index) || m_rows[size_t(index)].owned == owned)
        return;
    m_rows[size_t(index)].owned = owned;
    touch(index); // kept in the saved list
}

bool DownloadListModel::isErrorPageStatus(int httpStatus) {
    return httpStatus == 404 || httpStatus == 410 || (httpStatus >= 500 && httpStatus <= 599);
}

QString DownloadListModel::errorPageText(int httpStatus) {
    return QString::number(httpStatus) + u" 网页"_s;
}

bool DownloadListModel::isErrorPageText(const QString& size) {
    if (size.size() != 6 || !size.endsWith(u" 网页"_s))
        return false;
    bool ok = false;
    return isErrorPageStatus(size.left(3).toInt(&ok)) && ok;
}

bool DownloadListModel::isWebPageType(const QString& type) {
    return type.compare(u"htm"_s, Qt::CaseInsensitive) == 0 ||
           type.compare(u"html"_s, Qt::CaseInsensitive) == 0 ||
           type.compare(u"xml"_s, Qt::CaseInsensitive) == 0;
}

RowIcon DownloadListModel::iconOf(const DownloadRow& row) {
    switch (row.state) {
    case RowState::Waiting:
        return RowIcon::Waiting;
    case RowState::Downloading:
        return RowIcon::Downloading;
    case RowState::Failed:
        return RowIcon::Failed;
    case RowState::Finished:
        break;
    }
    if (isErrorPageText(row.size))
        return RowIcon::ErrorPage;
    return isWebPageType(row.type) ? RowIcon::WebPage : RowIcon::Finished;
}

void DownloadListModel::clearProgress(int index) {
    setSize(index, {});
    setReceived(index, {});
    setPercent(index, {});
}

void DownloadListModel::removeAt(int index) {
    if (!isValidIndex(index))
        return;
    flushChanges();
    beginRemoveRows({}, index, index);
    m_keys.remove(m_rows[size_t(index)].key);
    m_rows.erase(m_rows.begin() + index);
    endRemoveRows();
}

void DownloadListModel::clear() {
    m_flush.stop();
    m_dirtyFirst = m_dirtyLast = -1;
    beginResetModel();
    m_rows.clear();
    m_keys.clear();
    endResetModel();
}

namespace {

// The value of a number cell: blanks around it are ignored, a percent cell drops its "%" signs.
// Status texts ("未知", "大文件，跳过", ...) and empty cells are no numbers.
std::optional<double> numberIn(QString text, bool percent) {
    if (percent)
        text.remove(u'%');
    text = text.trimmed();
    if (text.isEmpty())
        return std::nullopt;
    bool ok = false;
    const double value = text.toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

} // namespace

QString& DownloadListModel::cell(DownloadRow& row, int column) {
    switch (column) {
    case TypeCol:
        return row.type;
    case SizeCol:
        return row.size;
    case ReceivedCol:
        return row.received;
    case PercentCol:
        return row.percent;
    case FolderCol:
        return row.folder;
    case BCol:
        return row.b;
    default:
        return row.name;
    }
}

void DownloadListModel::sort(int column, Qt::SortOrder order) {
    if (column < 0 || column >= kColumnCount)
        return;
    flushChanges();
    const bool numeric = column == SizeCol || column == ReceivedCol || column == PercentCol;
    const bool percent = column == PercentCol;
    const int n = count();

    // One key per row: its rank (empty, number, text), its number, its collation key.
    struct Key {
        int rank = 0;
        double number = 0;
        int text = -1;
    };
    std::vector<Key> keys(size_t(n), Key{});
    std::vector<QCollatorSortKey> texts;
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    for (int i = 0; i < n; ++i) {
        DownloadRow& row = m_rows[size_t(i)];
        QString& text = cell(row, column);
        Key& key = keys[size_t(i)];
        if (text.isEmpty())
            continue;
        if (numeric) {
            if (const std::optional<double> value = numberIn(text, percent)) {
                key.rank = 1;
                key.number = *value;
                // Written back plain, as a whole number (a percent with its sign).
                if (std::abs(*value) < 1e15)
                    text = QString::number(std::llround(*value)) + (percent ? u"%"_s : QString());
                continue;
            }
        }
        key.rank = 2;
        key.text = int(texts.size());
        texts.push_back(collator.sortKey(text));
    }

    auto less = [&](int a, int b) {
        const Key& x = keys[size_t(a)];
        const Key& y = keys[size_t(b)];
        if (x.rank != y.rank)
            return x.rank < y.rank;
        if (x.rank == 1)
            return x.number < y.number;
        if (x.rank == 2)
            return texts[size_t(x.text)].compare(texts[size_t(y.text)]) < 0;
        return false;
    };
    std::vector<int> positions(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i)
        positions[size_t(i)] = i;
    if (order == Qt::AscendingOrder)
        std::stable_sort(positions.begin(), positions.end(), less);
    else
        std::stable_sort(positions.begin(), positions.end(), [&](int a, int b) { return less(b, a); });

    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    std::vector<int> newPosition(static_cast<size_t>(n));
    std::vector<DownloadRow> sorted;
    sorted.reserve(size_t(n));
    for (int i = 0; i < n; ++i) {
        newPosition[size_t(positions[size_t(i)])] = i;
        sorted.push_back(std::move(m_rows[size_t(positions[size_t(i)])]));
    }
    m_rows.swap(sorted);
    // Selections and the current row of views follow their rows.
    const QModelIndexList from = persistentIndexList();
    QModelIndexList to;
    to.reserve(from.size());
    for (const QModelIndex& index : from)
        to << this->index(newPosition[size_t(index.row())], index.column());
    changePersistentIndexList(from, to);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

QString DownloadListModel::filePathOf(const DownloadRow& row) {
    QString path = FileHelpers::withTrailingSeparator(row.folder) + row.name;
    if (!row.type.isEmpty())
        path += u'.' + row.type;
    return path;
}

QString DownloadListModel::filePath(int index) const {
    return isValidIndex(index) ? filePathOf(at(index)) : QString();
}

QString DownloadListModel::currentUrl(const QString& key) {
    return key.section(u'|', 0, 0);
}

QString DownloadListModel::rotateUrls(const QString& key) {
    const QStringList parts = key.split(u'|');
    if (parts.size() == 2)
        return parts[1] + u'|' + parts[0];
    if (parts.size() == 3)
        return parts[2] + u'|' + parts[0] + u'|' + parts[1];
    return key;
}

int DownloadListModel::countNotStarted() const {
    int n = 0;
    for (const DownloadRow& row : m_rows) {
        if (row.size.isEmpty() && row.received.isEmpty() && row.percent.isEmpty())
            ++n;
    }
    return n;
}

bool DownloadListModel::isListFinished() const {
    for (const DownloadRow& row : m_rows) {
        if (row.state != RowState::Finished && row.state != RowState::Failed)
            return false;
    }
    return true;
}

int DownloadListModel::countFailedOrWebRows() const {
    int n = 0;
    for (const DownloadRow& row : m_rows) {
        const bool web = row.type.compare(u"htm"_s, Qt::CaseInsensitive) == 0 ||
                         row.type.compare(u"html"_s, Qt::CaseInsensitive) == 0;
        if (web || row.state == RowState::Failed)
            ++n;
    }
    return n;
}

int DownloadListModel::countInState(RowState state) const {
    int n = 0;
    for (const DownloadRow& row : m_rows) {
        if (row.state == state)
            ++n;
    }
    return n;
}

QString DownloadListModel::countsText() const {
    int byState[5] = {0, 0, 0, 0, 0};
    for (const DownloadRow& row : m_rows)
        ++byState[int(row.state)];
    return u"总数:"_s + QString::number(count()) + u" 正在下载:"_s + QString::number(byState[2]) +
           u" 等待:"_s + QString::number(byState[1]) + u" 已完成:"_s + QString::number(byState[3]) +
           u" 失败:"_s + QString::number(byState[4]);
}

QString DownloadListModel::rowCountText() const {
    return QString::number(count()) + u"条"_s;
}

void DownloadListModel::touch(int index) {
    if (m_dirtyFirst < 0 || index < m_dirtyFirst)
        m_dirtyFirst = index;
    if (index > m_dirtyLast)
        m_dirtyLast = index;
    if (!m_flush.isActive())
        m_flush.start();
}

void DownloadListModel::flushChanges() {
    m_flush.stop();
    if (m_dirtyFirst < 0)
        return;
    const int first = std::min(m_dirtyFirst, count() - 1);
    const int last = std::min(m_dirtyLast, count() - 1);
    m_dirtyFirst = m_dirtyLast = -1;
    if (first >= 0 && last >= first)
        emit dataChanged(index(first, 0), index(last, kColumnCount - 1));
}

int DownloadListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : count();
}

int DownloadListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumnCount;
}

QVariant DownloadListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= count())
        return {};
    const DownloadRow& row = m_rows[size_t(index.row())];
    switch (role) {
    case Qt::DisplayRole:
        if (index.column() < 0 || index.column() >= kColumnCount)
            return {};
        return cell(row, index.column());
    case Qt::ToolTipRole:
        return u"双击鼠标：下载当前项或者打开文件"_s;
    case StateRole:
        return int(row.state);
    case IconRole:
        return int(iconOf(row));
    case StripeRole:
        return index.row() % 2;
    case KeyRole:
        return row.key;
    default:
        return {};
    }
}

QVariant DownloadListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    static const QString headers[kColumnCount] = {u"名称"_s,   u"类型"_s,     u"文件大小"_s, u"已下载数"_s,
                                                  u"百分比"_s, u"保存路径"_s, u"B"_s};
    return (section >= 0 && section < kColumnCount) ? headers[section] : QVariant();
}

Qt::ItemFlags DownloadListModel::flags(const QModelIndex& index) const {
    return index.isValid() ? (Qt::ItemIsEnabled | Qt::ItemIsSelectable) : Qt::NoItemFlags;
}

} // namespace mojing
