#pragma once

#include <QAbstractTableModel>
#include <QList>
#include <QStringList>

namespace mojing {

// A read-only table of texts with fixed column headers, for the cache window's three lists.
// Labels cannot be edited. Sorting compares texts, except in the one column marked as numeric,
// whose values compare as numbers (an empty value before every number).
class TextTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit TextTableModel(QStringList headers, int numericColumn = -1, QObject* parent = nullptr);

    void clear();
    void append(const QStringList& row);
    const QStringList& row(int index) const { return m_rows.at(index); }
    QString text(int row, int column) const { return m_rows.at(row).value(column); }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // Stable: rows with equal values keep their order.
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

private:
    QStringList m_headers;
    int m_numericColumn;
    QList<QStringList> m_rows;
};

} // namespace mojing
