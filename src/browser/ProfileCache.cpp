#include "ProfileCache.h"

#include <QWebEngineProfile>

using namespace Qt::StringLiterals;

namespace mojing {

ProfileCache::ProfileCache(QWebEngineProfile* profile) : m_profile(profile) {}

QString ProfileCache::httpCacheFolder(const QWebEngineProfile& profile) {
    return profile.cachePath() + u"/Cache"_s;
}

QString ProfileCache::folder() const {
    return m_profile ? httpCacheFolder(*m_profile) : QString();
}

} // namespace mojing
