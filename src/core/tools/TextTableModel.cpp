#include "TextTableModel.h"

#include <algorithm>
#include <numeric>

namespace mojing {

TextTableModel::TextTableModel(QStringList headers, int numericColumn, QObject* parent)
    : QAbstractTableModel(parent), m_headers(std::move(headers)), m_numericColumn(numericColumn) {}

void TextTableModel::clear() {
    beginResetModel();
    m_rows.clear();
    endResetModel();
}

void TextTableModel::append(const QStringList& row) {
    const int at = int(m_rows.size());
    beginInsertRows({}, at, at);
    m_rows.append(row);
    endInsertRows();
}

int TextTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_rows.size());
}

int TextTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_headers.size());
}

QVariant TextTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= m_rows.size())
        return {};
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole)
        return m_rows.at(index.row()).value(index.column());
    if (role == Qt::TextAlignmentRole && index.column() == m_numericColumn)
        return int(Qt::AlignRight | Qt::AlignVCenter);
    return {};
}

QVariant TextTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole)
        return m_headers.value(section);
    return QAbstractTableModel::headerData(section, orientation, role);
}

Qt::ItemFlags TextTableModel::flags(const QModelIndex& index) const {
    return QAbstractTableModel::flags(index) & ~Qt::ItemIsEditable;
}

void TextTableModel::sort(int column, Qt::SortOrder order) {
    if (column < 0 || column >= m_headers.size())
        return;
    const bool numeric = column == m_numericColumn;
    auto less = [this, column, numeric](int a, int b) {
        const QString x = m_rows.at(a).value(column);
        const QString y = m_rows.at(b).value(column);
        if (numeric) {
            // Empty sizes first, then by value: what twelve-digit padding gives a text sort.
            const qint64 vx = x.isEmpty() ? -1 : x.toLongLong();
            const qint64 vy = y.isEmpty() ? -1 : y.toLongLong();
            return vx < vy;
        }
        return x.compare(y, Qt::CaseInsensitive) < 0;
    };
    QList<int> rows(m_rows.size());
    std::iota(rows.begin(), rows.end(), 0);
    if (order == Qt::AscendingOrder)
        std::stable_sort(rows.begin(), rows.end(), less);
    else
        std::stable_sort(rows.begin(), rows.end(), [&less](int a, int b) { return less(b, a); });

    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    QList<QStringList> sorted;
    sorted.reserve(m_rows.size());
    QList<int> newRowOf(m_rows.size());
    for (int i = 0; i < rows.size(); ++i) {
        sorted.append(m_rows.at(rows.at(i)));
        newRowOf[rows.at(i)] = i;
    }
    m_rows = std::move(sorted);
    // Selections and the current row follow their rows.
    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex& index : before)
        after.append(this->index(newRowOf.at(index.row()), index.column()));
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

} // namespace mojing
