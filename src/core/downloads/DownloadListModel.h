#pragma once

#include "articles/ArticleMetadata.h"

#include <QAbstractTableModel>
#include <QDateTime>
#include <QSet>
#include <QString>
#include <QTimer>
#include <vector>

namespace mojing {

enum class RowState { Waiting = 1, Downloading = 2, Finished = 3, Failed = 4 };

// The picture in front of a row: its state, with finished rows told apart by what they hold.
enum class RowIcon { Waiting = 1, Downloading, Finished, Failed, WebPage, ErrorPage };

// The file a row wrote under its final name: a row deletes or replaces its file only while the
// file on disk is still this one (same path, size and modification time), never one that another
// row finished or the user put there.
struct OwnedFile {
    QString path;
    qint64 size = -1;
    QDateTime modified; // UTC, millisecond precision

    bool isEmpty() const { return path.isEmpty(); }
    bool operator==(const OwnedFile&) const = default;
};

// One file of the download window.
struct DownloadRow {
    QString key;      // one address, or up to three alternatives joined by '|'
    QString name;     // column 0 "名称": file name without extension
    QString type;     // column 1 "类型": extension without the dot
    QString size;     // column 2 "文件大小": bytes, or a status text
    QString received; // column 3 "已下载数"
    QString percent;  // column 4 "百分比": "37%", or a status text
    QString folder;   // column 5 "保存路径"
    QString b;        // column 6 "B": always empty
    QString tag;      // referring page, sent as Referer
    RowState state = RowState::Waiting;
    bool selected = false;
    OwnedFile owned;         // what this row wrote, if anything
    ArticleMetadata article; // what the article page said, if the row came from one
    // A name given on the command line's list: file-naming templates leave it as it is. The
    // window's rows are named after their articles, so the saved list does not keep it.
    bool nameGiven = false;
};

// The download list. Positions are 0-based here. Keys are unique (O(1) lookups). Cell updates are
// coalesced: views hear about changed rows at most once per repaint interval, so many progress
// updates per second over 100,000 rows stay cheap.
class DownloadListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Role { StateRole = Qt::UserRole + 1, StripeRole, KeyRole, IconRole };
    enum Column { NameCol, TypeCol, SizeCol, ReceivedCol, PercentCol, FolderCol, BCol, kColumnCount };

    static inline const QString kWaitAgain = QStringLiteral("等待重新下载");
    static inline const QString kUnknown = QStringLiteral("未知");
    static inline const QString kCancelled = QStringLiteral("下载取消");
    static inline const QString kFailed = QStringLiteral("下载失败");
    static inline const QString kTooLarge = QStringLiteral("大文件，跳过");
    static inline const QString kExists = QStringLiteral("已存在，跳过");
    static inline const QString kCannotReplace = QStringLiteral("无法替换");
    static inline const QString kMissing = QStringLiteral("不存在");
    static inline const QString kServerPause = QStringLiteral("服务器要求暂停下载");
    static inline const QString kIncomplete = QStringLiteral("文件不完整");

    explicit DownloadListModel(QObject* parent = nullptr, int coalesceMs = 100);

    // Appends a waiting row; a key already in the list adds nothing. Returns whether it was added.
    bool addRow(const QString& key, const QString& name, const QString& type, const QString& folder,
                const QString& tag);
    // Appends a full row (used when rows are moved, e.g. by the shuffle).
    bool appendRow(const DownloadRow& row);
    // Appends many rows at once (one insertion for the views); keys already listed are skipped.
    // Returns the number added.
    int appendRows(std::vector<DownloadRow> rows);

    int count() const { return int(m_rows.size()); }
    bool isValidIndex(int index) const { return index >= 0 && index < count(); }
    const DownloadRow& at(int index) const { return m_rows.at(size_t(index)); }
    bool containsKey(const QString& key) const { return m_keys.contains(key); }

    void setName(int index, const QString& value);
    void setType(int index, const QString& value);
    void setSize(int index, const QString& value);
    void setReceived(int index, const QString& value);
    void setPercent(int index, const QString& value);
    void setFolder(int index, const QString& value);
    void setTag(int index, const QString& value);
    // Replaces the key; refused (false) when another row already has the new key.
    bool setKey(int index, const QString& value);
    void setState(int index, RowState state);
    void setSelected(int index, bool selected);
    void setOwned(int index, const OwnedFile& owned);
    void clearProgress(int index); // size, received and percent become empty

    void removeAt(int index);
    void clear();

    // Sorts the rows once by one column (later changes do not keep them sorted). Empty cells come
    // first, then the numbers of the size, byte and percent columns by value, then other texts in
    // the locale's order, letter case ignored; descending reverses all of it. Equal cells keep
    // their order. Number cells are written back in plain form ("0999" reads "999", a percent
    // always ends in "%"); status texts stay as they are. Views keep their selection and current
    // row on the same rows.
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

    // folder (+ separator when missing) + name (+ "." + type when the type is not empty)
    QString filePath(int index) const;
    static QString filePathOf(const DownloadRow& row);

    // A finished row that holds a server's error page (404, 410, 5xx) shows the status where the
    // size goes: "404 网页".
    static bool isErrorPageStatus(int httpStatus);
    static QString errorPageText(int httpStatus);
    static bool isErrorPageText(const QString& size);
    static bool isWebPageType(const QString& type);
    // Finished rows: an error page, another web page (htm, html, xml) or a file.
    static RowIcon iconOf(const DownloadRow& row);

    // 「选择url」 The first address of a key ("a|b|c" gives "a").
    static QString currentUrl(const QString& key);
    // 「对调url」 Rotates alternatives: "a|b" gives "b|a", "a|b|c" gives "c|a|b"; other keys stay.
    static QString rotateUrls(const QString& key);
    // 「统计未下载项数目」 Rows whose size, received and percent columns are all empty.
    int countNotStarted() const;
    // 「检测是否下载列表完毕」 True when the list is empty or every row is Finished or Failed.
    bool isListFinished() const;
    // Rows of type htm/html (any state) plus failed rows of other types.
    int countFailedOrWebRows() const;
    int countInState(RowState state) const;
    // "总数:N 正在下载:N 等待:N 已完成:N 失败:N"
    QString countsText() const;
    // "N条"
    QString rowCountText() const;

    // Sends the pending coalesced change notifications now.
    void flushChanges();

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    void touch(int index);
    // The text of `column` in `row` (the name for columns out of range).
    static QString& cell(DownloadRow& row, int column);
    static const QString& cell(const DownloadRow& row, int column) {
        return cell(const_cast<DownloadRow&>(row), column);
    }

    std::vector<DownloadRow> m_rows;
    QSet<QString> m_keys;
    QTimer m_flush;
    int m_dirtyFirst = -1;
    int m_dirtyLast = -1;
};

} // namespace mojing
