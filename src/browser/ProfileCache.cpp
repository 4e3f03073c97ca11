#include "ProfileCache.h"

#include <QWebEngineProfile>

using namespace Qt::StringLiterals;

namespace mojing {

ProfileCache::ProfileCache(QWebEngineProfile* profile) : m_profile(profile) {}

QString ProfileCache::httpCacheFolder(const QWebEngineProfile& profile) {
    return profile.cachePath() + u"/Cache"_s;
}

void ProfileCache::clearHttpCache() {
    if (m_profile)
        m_profile->clearHttpCache();
}

} // namespace mojing
