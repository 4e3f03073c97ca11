#pragma once

#include "tools/EngineCache.h"

#include <QPointer>
#include <QString>

class QWebEngineProfile;

namespace mojing {

// The disk cache of a running browser profile as the cache tool sees it: where its entry files lie.
class ProfileCache : public EngineCache {
public:
    explicit ProfileCache(QWebEngineProfile* profile);

    // The folder of the profile's HTTP cache ("Cache" below the profile's cache path).
    static QString httpCacheFolder(const QWebEngineProfile& profile);

    QString folder() const override;

private:
    QPointer<QWebEngineProfile> m_profile;
};

} // namespace mojing
