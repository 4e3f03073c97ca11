#pragma once

#include "CacheLocations.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

namespace mojing {

class EngineCache;
class Prompts;
class TextTableModel;

// 「fIEcache」 The cache window's state and commands: the entries of the user's browser cache,
// or the files of every user's cache folder; deleting them (never a cookie entry, never a .txt
// file, never anything outside the cache folders); handing files to the copy tool; and the
// one-step clearing both work windows offer. The window only mirrors it.
//
// Symbolic links are never followed: a cache folder that is a link, or lies below one inside its
// home folder, is neither listed nor cleared (another user may have pointed it at someone's
// papers), and only regular files reached without a link from a cache folder are deleted.
class CacheToolController : public QObject {
    Q_OBJECT
public:
    static inline const QString kCaption = QStringLiteral("IE浏览器Cookie 缓存和历史列表");
    static inline const QString kMineTag = QStringLiteral("我的缓存");
    static inline const QString kAllTag = QStringLiteral("所有缓存");
    static inline const QString kUserPrefix = QStringLiteral("用户:");
    static inline const QString kCleared = QStringLiteral("IE缓存清空完毕！");
    // Columns of ListView1.
    enum Column { UrlColumn, TypeColumn, SizeColumn, PathColumn };

    // `engine` may be null (no browser engine runs): deleting then removes files only.
    CacheToolController(Prompts& prompts, CacheLocations locations, EngineCache* engine,
                        QObject* parent = nullptr);
    ~CacheToolController() override;

    TextTableModel* entries() const { return m_entries; } // ListView1
    TextTableModel* users() const { return m_users; }     // ListView2
    TextTableModel* folders() const { return m_folders; } // ListView3
    // Label1.
    QString countText() const { return m_countText; }
    // The current view: kMineTag, kAllTag, or empty before the first listing.
    QString viewTag() const { return m_tag; }
    const CacheLocations& locations() const { return m_locations; }

    // 「查看我的缓存」 One row per entry of the current user's cache.
    void listMine();
    // 「查看所有用户缓存」 The users whose cache folder exists, every folder and file below them.
    void listAllUsers();
    // 「删除所选文件」 Deletes what the given rows of ListView1 stand for, then removes emptied cache
    // folders and lists the current view again.
    void deleteRows(QList<int> rows);
    // 「全部删除」 The same for every row.
    void deleteAll();
    // 「复制选中...」 The non-empty "FilePath" values of the given rows, in list order.
    QStringList filePaths(QList<int> rows) const;
    // A click on a column header: sorts ListView1 by that column, ascending and descending in
    // turn.
    void sortByColumn(int column);
    // The order of the last sort.
    Qt::SortOrder sortOrder() const { return m_ascending ? Qt::AscendingOrder : Qt::DescendingOrder; }

    // 「ClearBrowserCache」 Deletes every entry of the current user's cache and every file of all
    // users' cache folders (cookies and .txt files excepted); when asked, says "IE缓存清空完毕！".
    void clearBrowserCache(bool showMessage);

signals:
    // The lists or the count text changed.
    void changed();

private:
    // A cache folder and the home folder it is judged from.
    struct CacheRoot {
        QString folder;
        QString anchor;
    };

    void setCount(int count, bool failed);
    CacheRoot myRoot() const;
    // The cache folder `path` lies in, or nullptr for a path outside every cache folder.
    const CacheRoot* rootOf(const QString& path, const CacheRoot& mine) const;
    void forceDelete(const QString& path, const CacheRoot& mine) const;
    void deleteEmptyFolders() const;

    Prompts& m_prompts;
    CacheLocations m_locations;
    EngineCache* m_engine;
    TextTableModel* m_entries;
    TextTableModel* m_users;
    TextTableModel* m_folders;
    QStringList m_profileFolders; // ProfileFolderList
    QStringList m_cacheFolders;   // CacheFolderList
    QList<CacheRoot> m_roots;     // the users' cache folders listed, each free of links
    QString m_countText;
    QString m_tag;
    bool m_listFailed = false; // the last listing of my cache ended at an unreadable entry
    bool m_ascending = false;  // the next header click sorts ascending
};

} // namespace mojing
