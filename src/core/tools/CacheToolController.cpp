#include "CacheToolController.h"

#include "CacheEntryFile.h"
#include "CacheListing.h"
#include "EngineCache.h"
#include "TextTableModel.h"
#include "platform/LinkFreePath.h"
#include "platform/Prompts.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <numeric>

using namespace Qt::StringLiterals;

namespace mojing {

namespace {
QString canonicalFolder(const QString& folder) {
    return QFileInfo(folder).canonicalFilePath();
}

bool isCookieAddress(const QString& address) {
    return address.contains(u"cookie"_s, Qt::CaseInsensitive);
}

bool belongsToCookieEntry(const QString& path) {
    const QString entry = CacheEntryFile::entryFileOf(path);
    QString key;
    return !entry.isEmpty() && CacheEntryFile::readKey(entry, &key) == CacheEntryFile::Result::Entry &&
           isCookieAddress(CacheEntryFile::addressFromKey(key));
}

void sortUnique(QList<int>& rows, int count) {
    rows.removeIf([count](int r) { return r < 0 || r >= count; });
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
}
} // namespace

CacheToolController::CacheToolController(Prompts& prompts, CacheLocations locations, EngineCache* engine,
                                         QObject* parent)
    : QObject(parent), m_prompts(prompts), m_locations(std::move(locations)), m_engine(engine),
      m_entries(new TextTableModel({u"URL"_s, u"TYPE"_s, u"SIZE(Byte)"_s, u"FilePath"_s}, SizeColumn, this)),
      m_users(new TextTableModel({u"用户名"_s, u"文件夹"_s}, -1, this)),
      m_folders(new TextTableModel({u"文件夹"_s}, -1, this)) {}

CacheToolController::~CacheToolController() = default;

void CacheToolController::setCount(int count, bool failed) {
    m_countText = (failed ? u"出错!!!共有"_s : u"共有"_s) + QString::number(count) + u" 个文件"_s;
}

CacheToolController::CacheRoot CacheToolController::myRoot() const {
    const QString folder = QDir::cleanPath(m_locations.currentUserFolder);
    return {folder, LinkFreePath::anchorOf(folder, m_locations.homeFolders())};
}

void CacheToolController::listMine() {
    m_entries->clear();
    const CacheRoot mine = myRoot();
    const CacheListing::EntryScan scan = LinkFreePath::isLinkFree(mine.anchor, mine.folder)
                                             ? CacheListing::scanEntries(mine.folder)
                                             : CacheListing::EntryScan();
    for (const CacheListing::Row& row : scan.rows)
        m_entries->append({row.text, row.type, row.size, row.path});
    m_listFailed = scan.failed;
    setCount(m_entries->rowCount(), scan.failed);
    m_tag = kMineTag;
    emit changed();
}

void CacheToolController::listAllUsers() {
    m_entries->clear();
    m_users->clear();
    m_folders->clear();
    m_profileFolders.clear();
    m_cacheFolders.clear();
    m_roots.clear();

    m_profileFolders = m_locations.homeFolders();
    QStringList seen;
    auto addUser = [this, &seen](const QString& user, const QString& folder, const QString& anchor) {
        const QString canonical = canonicalFolder(folder);
        if (canonical.isEmpty() || seen.contains(canonical) || !LinkFreePath::isLinkFree(anchor, folder))
            return;
        seen << canonical;
        m_users->append({user, folder});
        m_roots.append({QDir::cleanPath(folder), anchor});
        CacheListing::collectSubfolders(folder, m_cacheFolders, true);
    };
    for (const QString& home : std::as_const(m_profileFolders))
        addUser(QFileInfo(home).fileName(), QDir(home).filePath(m_locations.homeSubPath), home);
    // The user running the program, when the cache lies elsewhere than below the home folder.
    const CacheRoot mine = myRoot();
    addUser(QDir::home().dirName(), m_locations.currentUserFolder, mine.anchor);

    for (const QString& folder : std::as_const(m_cacheFolders))
        m_folders->append({folder});
    for (int u = 0; u < m_users->rowCount(); ++u) {
        QStringList files;
        CacheListing::collectFiles(m_users->text(u, 1), files, true);
        const QString text = kUserPrefix + m_users->text(u, 0);
        for (const QString& path : std::as_const(files))
            m_entries->append(
                {text, CacheListing::extensionFromUrl(path), QString::number(QFileInfo(path).size()), path});
    }
    setCount(m_entries->rowCount(), false);
    m_tag = kAllTag;
    emit changed();
}

void CacheToolController::deleteAll() {
    QList<int> rows(m_entries->rowCount());
    std::iota(rows.begin(), rows.end(), 0);
    deleteRows(rows);
}

void CacheToolController::deleteRows(QList<int> rows) {
    sortUnique(rows, m_entries->rowCount());
    QStringList doomed;
    for (int r : std::as_const(rows)) {
        const QString text = m_entries->text(r, UrlColumn);
        const QString type = m_entries->text(r, TypeColumn);
        const QString path = m_entries->text(r, PathColumn);
        if (text.startsWith(kUserPrefix)) {
            // A file of the all-users view; text files (cookies) and the files of a cookie entry
            // stay.
            if (type.compare(u"txt"_s, Qt::CaseInsensitive) != 0 && !path.isEmpty() &&
                !belongsToCookieEntry(path))
                doomed << path;
        } else if (!text.isEmpty() && !isCookieAddress(text)) {
            if (!path.isEmpty())
                doomed << CacheEntryFile::entryFiles(path);
        }
    }
    const CacheRoot mine = myRoot();
    for (const QString& path : std::as_const(doomed)) {
        if (!path.endsWith(u".txt"_s, Qt::CaseInsensitive))
            forceDelete(path, mine);
    }
    deleteEmptyFolders();
    if (m_tag == kMineTag)
        listMine();
    else if (m_tag == kAllTag)
        listAllUsers();
}

const CacheToolController::CacheRoot* CacheToolController::rootOf(const QString& path,
                                                                  const CacheRoot& mine) const {
    const QString clean = QDir::cleanPath(path);
    auto holds = [&clean](const CacheRoot& root) {
        return !root.folder.isEmpty() && clean.startsWith(root.folder + u'/');
    };
    if (holds(mine))
        return &mine;
    const auto it = std::find_if(m_roots.cbegin(), m_roots.cend(), holds);
    return it == m_roots.cend() ? nullptr : &*it;
}

// 「强制删除」 Only a regular file reached from its cache folder without a link on the way. (Its own
// permissions do not matter: deleting asks the folder.)
void CacheToolController::forceDelete(const QString& path, const CacheRoot& mine) const {
    if (const CacheRoot* root = rootOf(path, mine))
        LinkFreePath::removeFile(root->anchor, path);
}

// 「删除空文件夹」 Deepest first, so that a folder emptied of empty folders goes too.
void CacheToolController::deleteEmptyFolders() const {
    // A running engine keeps the folders it works in: taken away under it, they leave it unable
    // to load pages.
    const QString engineRoot = m_engine ? canonicalFolder(m_engine->folder()) : QString();
    const CacheRoot mine = myRoot();
    for (auto it = m_cacheFolders.crbegin(); it != m_cacheFolders.crend(); ++it) {
        if (it->isEmpty())
            continue;
        if (!engineRoot.isEmpty() && canonicalFolder(QFileInfo(*it).absolutePath()) == engineRoot)
            continue;
        if (const CacheRoot* root = rootOf(*it, mine))
            LinkFreePath::removeEmptyFolder(root->anchor, *it); // removes only an empty folder
    }
}

QStringList CacheToolController::filePaths(QList<int> rows) const {
    sortUnique(rows, m_entries->rowCount());
    QStringList paths;
    for (int r : std::as_const(rows)) {
        const QString path = m_entries->text(r, PathColumn);
        if (!path.isEmpty())
            paths << path;
    }
    return paths;
}

void CacheToolController::sortByColumn(int column) {
    m_ascending = !m_ascending;
    m_entries->sort(column, m_ascending ? Qt::AscendingOrder : Qt::DescendingOrder);
}

void CacheToolController::clearBrowserCache(bool showMessage) {
    listMine();
    deleteAll();
    listAllUsers();
    deleteAll();
    if (showMessage)
        m_prompts.message(kCleared, MessageIcon::Information);
}

} // namespace mojing
