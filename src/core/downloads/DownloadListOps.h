#pragma once

#include <QObject>
#include <QString>
#include <functional>

namespace mojing {

class DownloadSession;
class TransferActivity;
struct DownloadRow;

// The commands of the download list menu that act on sets of rows: queueing rows again,
// removing rows, deleting their files, cancelling, checking files and shuffling.
// Rows are addressed by 0-based list position. Commands that move or remove rows refuse while
// downloads run, because running transfers find their rows by position.
class DownloadListOps : public QObject {
    Q_OBJECT
public:
    using RowPredicate = std::function<bool(const DownloadRow&)>;

    // Which context-menu entries are usable right now.
    struct MenuEnabling {
        bool selectAll = true;
        bool remove = true; // the "清除" submenu
        bool clear = true;  // "清空"
        bool stop = false;  // "停止下载"
    };

    static inline const QString kPlaceholderType = QStringLiteral("xxx");

    // What happens to the part of a broken-off transfer kept for resuming: the user's commands
    // start over; the automatic re-download keeps it, so that its next attempt asks for the rest.
    enum class Partial { Discard, Keep };

    explicit DownloadListOps(DownloadSession& session, QObject* parent = nullptr);

    // Resets one row for another download: gives up its file (RowFiles::release: only what the
    // row itself wrote is deleted), makes it Waiting, replaces a web-page type by "xxx" ("xml"
    // too when `xmlIsWebPage`), empties the progress columns and rotates the key's alternative
    // addresses.
    void requeueRow(int row, bool xmlIsWebPage = false, Partial partial = Partial::Discard);

    // Each returns the number of rows queued again.
    int requeueSelectedRows();
    int requeueFailedRows(Partial partial = Partial::Discard);
    int requeueWebPageRows(Partial partial = Partial::Discard);
    int requeueFailedAndWebPageRows();
    // Asks for a byte count and queues finished or failed rows that are complete and smaller.
    int requeueSmallRows();

    // Removes the qualifying rows (files stay on disk; parts kept for resuming go with the row).
    // False when refused because downloads run.
    bool removeRows(const RowPredicate& qualifies);
    bool removeSelectedRows();
    bool removeFailedRows();
    bool removeFinishedRows();
    // Asks first; true when the list was emptied.
    bool clearList();

    // Empties the progress columns of the qualifying rows and deletes the files they still own
    // (and the parts kept for resuming them).
    int deleteRowFiles(const RowPredicate& qualifies);
    int deleteFailedRowFiles();
    int deleteWebPageRowFiles();

    // Marks the selected waiting rows Failed so the scheduler passes them by.
    // Refused (false) while a transfer is busy.
    bool cancelSelectedRows();
    // Writes "不存在" into the percent column of every row whose file is missing.
    int checkRowFilesExist();
    // Moves every row to the end once, in uniformly random order. False when refused.
    bool shuffleRows(bool showDone);

    void selectAll();
    void selectNone();

    // The state of the guarded context-menu entries for the current transfer state.
    static MenuEnabling menuEnabling(const TransferActivity& activity);

    static bool isWebPageType(const QString& type, bool includeXml);

    // Removes the parts kept for resuming the row (any of its addresses).
    void discardKeptParts(int row);

signals:
    // The row count label ("N条") after a command changed the number of rows.
    void rowCountTextChanged(const QString& text);

private:
    DownloadSession& m_session;
};

} // namespace mojing
