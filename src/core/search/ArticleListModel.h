#pragma once

#include "articles/ArticleMetadata.h"

#include <QAbstractTableModel>
#include <QSet>
#include <QString>
#include <functional>
#include <vector>

namespace mojing {

// One article found on a result page.
struct ArticleRow {
    QString title;      // column 0 "标题"
    QString fileType;   // column 1 "类型"
    QString status;     // column 2 "分析状态": "", "正在分析", "成功", "失败"
    QString saveFolder; // column 3 "保存路径"
    QString origin;     // column 4 "TYPE"
    QString key;        // the PDF address; unique within the list
    QString tag;        // the result page the row came from
    bool selected = false;
    ArticleMetadata article; // what the article's own page said, when the row came from it
};

// The search window's article list. Positions are 0-based here. Keys are unique and compared
// exactly (addresses are case-sensitive); lookups are O(1).
class ArticleListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Role { StripeRole = Qt::UserRole + 1, KeyRole, TagRole };
    static constexpr int kColumnCount = 5;
    static inline const QString kStatusAnalysing = QStringLiteral("正在分析");
    static inline const QString kStatusDone = QStringLiteral("成功");
    static inline const QString kStatusFailed = QStringLiteral("失败");

    explicit ArticleListModel(QObject* parent = nullptr);

    // 「加入LV1」 Appends a row; a key already in the list adds nothing (the first row stays as it was).
    // Returns whether the row was added. A row read from an article's own page keeps its metadata.
    bool addArticle(const QString& title, const QString& key, const QString& tag, const QString& fileType,
                    const QString& saveFolder, const QString& origin, const ArticleMetadata& article = {});

    int count() const { return int(m_rows.size()); }
    const ArticleRow& at(int index) const { return m_rows.at(size_t(index)); }
    bool containsKey(const QString& key) const { return m_keys.contains(key); }

    void setStatus(int index, const QString& status);
    void setSelected(int index, bool selected);
    bool hasSelection() const;
    void removeAt(int index);
    void clear();
    // Removes every row the predicate holds for, keeping the order of the others; one model reset
    // instead of one removal per row, so large lists stay fast. The reset deselects every row, as
    // it does in the view. Returns the number removed.
    int removeRowsWhere(const std::function<bool(const ArticleRow&)>& predicate);
    // The row counter shown beside the list is refreshed only at these calls (once per harvested
    // page or removal command), never on every single add.
    void refreshCount() { emit countRefreshed(count()); }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

signals:
    void countRefreshed(int count);

private:
    std::vector<ArticleRow> m_rows;
    QSet<QString> m_keys;
};

} // namespace mojing
