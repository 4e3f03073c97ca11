#include "ArticleListModel.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace mojing {

ArticleListModel::ArticleListModel(QObject* parent) : QAbstractTableModel(parent) {}

bool ArticleListModel::addArticle(const QString& title, const QString& key, const QString& tag,
                                  const QString& fileType, const QString& saveFolder, const QString& origin,
                                  const ArticleMetadata& article) {
    if (m_keys.contains(key))
        return false;
    const int row = count();
    beginInsertRows({}, row, row);
    m_rows.push_back(ArticleRow{title, fileType, QString(), saveFolder, origin, key, tag, false, article});
    m_keys.insert(key);
    endInsertRows();
    return true;
}

void ArticleListModel::setStatus(int index, const QString& status) {
    if (index < 0 || index >= count())
        return;
    m_rows[size_t(index)].status = status;
    emit dataChanged(this->index(index, 2), this->index(index, 2));
}

void ArticleListModel::setSelected(int index, bool selected) {
    if (index >= 0 && index < count())
        m_rows[size_t(index)].selected = selected;
}

bool ArticleListModel::hasSelection() const {
    for (const ArticleRow& row : m_rows) {
        if (row.selected)
            return true;
    }
    return false;
}

void ArticleListModel::removeAt(int index) {
    if (index < 0 || index >= count())
        return;
    beginRemoveRows({}, index, index);
    m_keys.remove(m_rows[size_t(index)].key);
    m_rows.erase(m_rows.begin() + index);
    endRemoveRows();
}

void ArticleListModel::clear() {
    beginResetModel();
    m_rows.clear();
    m_keys.clear();
    endResetModel();
}

int ArticleListModel::removeRowsWhere(const std::function<bool(const ArticleRow&)>& predicate) {
    auto firstRemoved = std::find_if(m_rows.begin(), m_rows.end(), predicate);
    if (firstRemoved == m_rows.end())
        return 0;
    beginResetModel();
    auto kept = firstRemoved;
    int removed = 0;
    for (auto it = firstRemoved; it != m_rows.end(); ++it) {
        if (predicate(*it)) {
            m_keys.remove(it->key);
            ++removed;
        } else {
            *kept++ = std::move(*it);
        }
    }
    m_rows.erase(kept, m_rows.end());
    // A reset clears the view's selection without telling anyone; the rows follow it, so that no
    // later command acts on rows the user no longer sees selected.
    for (ArticleRow& row : m_rows)
        row.selected = false;
    endResetModel();
    return removed;
}

int ArticleListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : count();
}

int ArticleListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumnCount;
}

QVariant ArticleListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= count())
        return {};
    const ArticleRow& row = m_rows[size_t(index.row())];
    switch (role) {
    case Qt::DisplayRole:
        switch (index.column()) {
        case 0:
            return row.title;
        case 1:
            return row.fileType;
        case 2:
            return row.status;
        case 3:
            return row.saveFolder;
        case 4:
            return row.origin;
        default:
            return {};
        }
    case Qt::ToolTipRole:
        return u"双击浏览选中的文章"_s;
    case StripeRole:
        return index.row() % 2;
    case KeyRole:
        return row.key;
    case TagRole:
        return row.tag;
    default:
        return {};
    }
}

QVariant ArticleListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    static const QString headers[kColumnCount] = {u"标题"_s, u"类型"_s, u"分析状态"_s, u"保存路径"_s,
                                                  u"TYPE"_s};
    return (section >= 0 && section < kColumnCount) ? headers[section] : QVariant();
}

Qt::ItemFlags ArticleListModel::flags(const QModelIndex& index) const {
    // In-place editing of titles is refused.
    return index.isValid() ? (Qt::ItemIsEnabled | Qt::ItemIsSelectable) : Qt::NoItemFlags;
}

} // namespace mojing
