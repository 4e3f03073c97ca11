#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>

namespace mojing {

class DownloadSession;
struct DownloadRow;

// Keeps a download window's list across sessions when "关闭后保留下载列表" is on: restores the saved
// list when the window opens, saves it after changes (at most once per Timing::listSave) and when
// the window closes. When the option is off nothing is saved and the old saved list goes at the
// close. A saved list that cannot be read is moved aside, never deleted, and the user is told; rows
// that cannot be read are skipped, the file is copied aside, and the user is told how many.
class DownloadListKeeper : public QObject {
    Q_OBJECT
public:
    static inline const QString kUnreadable =
        QStringLiteral("保存的下载列表无法读取，已经另存为：\n%1\n下载列表从空列表开始。");
    static inline const QString kRowsSkipped =
        QStringLiteral("保存的下载列表中有%1项无法读取，已跳过，其余各项照常恢复。原文件已经另存为：\n%2");

    DownloadListKeeper(DownloadSession& session, QString path, QObject* parent = nullptr);

    // Restored rows' addresses (each alternative of the key, the referring page, the article page)
    // pass through `rewrite` first: a platform that moved since the list was saved (the demo
    // platform on another port) takes its rows along.
    void setAddressRewrite(std::function<QString(const QString&)> rewrite) { m_rewrite = std::move(rewrite); }

    // Whether the option is on (read from the settings each time).
    bool enabled() const;
    // The window opens: the saved rows are appended to the list (keys already listed are skipped).
    // Returns the number of rows restored.
    int restore();
    // The window closes: the list is saved now (or the saved list removed when the option is off).
    void finish();
    // Saves now when a change is pending.
    void saveNow();

private:
    void changed();
    void rewriteAddresses(DownloadRow& row) const;

    DownloadSession& m_session;
    QString m_path;
    std::function<QString(const QString&)> m_rewrite;
    QTimer m_delay;
    bool m_dirty = false;
    bool m_restoring = false;
};

} // namespace mojing
