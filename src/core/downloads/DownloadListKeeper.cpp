#include "DownloadListKeeper.h"

#include "DownloadListModel.h"
#include "DownloadListStore.h"
#include "DownloadSession.h"
#include "platform/Prompts.h"
#include "platform/Timing.h"
#include "settings/SettingKeys.h"
#include "settings/SettingsStore.h"

#include <QFile>

using namespace Qt::StringLiterals;

namespace mojing {

DownloadListKeeper::DownloadListKeeper(DownloadSession& session, QString path, QObject* parent)
    : QObject(parent), m_session(session), m_path(std::move(path)) {
    m_delay.setSingleShot(true);
    m_delay.setInterval(session.context().timing.listSave);
    connect(&m_delay, &QTimer::timeout, this, &DownloadListKeeper::saveNow);
    DownloadListModel& list = session.list();
    connect(&list, &QAbstractItemModel::rowsInserted, this, &DownloadListKeeper::changed);
    connect(&list, &QAbstractItemModel::rowsRemoved, this, &DownloadListKeeper::changed);
    connect(&list, &QAbstractItemModel::rowsMoved, this, &DownloadListKeeper::changed);
    connect(&list, &QAbstractItemModel::modelReset, this, &DownloadListKeeper::changed);
    connect(&list, &QAbstractItemModel::layoutChanged, this, &DownloadListKeeper::changed);
    connect(&list, &QAbstractItemModel::dataChanged, this, &DownloadListKeeper::changed);
}

bool DownloadListKeeper::enabled() const {
    return m_session.context().settings.read(SettingKeys::kSectionDownload, SettingKeys::kKeepList) != u"0"_s;
}

int DownloadListKeeper::restore() {
    if (!enabled())
        return 0;
    std::vector<DownloadRow> rows;
    int skipped = 0;
    switch (DownloadListStore::load(m_path, rows, &skipped)) {
    case DownloadListStore::LoadResult::Missing:
        return 0;
    case DownloadListStore::LoadResult::Unreadable: {
        const QString aside = DownloadListStore::moveAside(m_path);
        m_session.context().prompts.message(kUnreadable.arg(aside.isEmpty() ? m_path : aside),
                                            MessageIcon::Error);
        return 0;
    }
    case DownloadListStore::LoadResult::Loaded:
        break;
    }
    if (skipped > 0) {
        const QString copy = DownloadListStore::copyAside(m_path);
        m_session.context().prompts.message(kRowsSkipped.arg(skipped).arg(copy.isEmpty() ? m_path : copy),
                                            MessageIcon::Warning);
    }
    if (m_rewrite) {
        for (DownloadRow& row : rows)
            rewriteAddresses(row);
    }
    m_restoring = true;
    const int added = m_session.list().appendRows(std::move(rows));
    m_restoring = false;
    return added;
}

void DownloadListKeeper::rewriteAddresses(DownloadRow& row) const {
    QStringList alternatives = row.key.split(u'|');
    for (QString& address : alternatives)
        address = m_rewrite(address);
    row.key = alternatives.join(u'|');
    if (!row.tag.isEmpty())
        row.tag = m_rewrite(row.tag);
    if (!row.article.articlePage.isEmpty())
        row.article.articlePage = m_rewrite(row.article.articlePage);
}

void DownloadListKeeper::changed() {
    if (m_restoring || !enabled())
        return;
    m_dirty = true;
    if (!m_delay.isActive())
        m_delay.start();
}

void DownloadListKeeper::saveNow() {
    m_delay.stop();
    if (!m_dirty)
        return;
    m_dirty = false;
    m_session.list().flushChanges();
    DownloadListStore::save(m_session.list(), m_path);
}

void DownloadListKeeper::finish() {
    if (!enabled()) {
        m_delay.stop();
        m_dirty = false;
        QFile::remove(m_path);
        return;
    }
    m_dirty = true;
    saveNow();
}

} // namespace mojing
