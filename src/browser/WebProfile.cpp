#include "WebProfile.h"

#include <QWebEngineProfile>

namespace mojing::WebProfile {

QWebEngineProfile* create(QObject* parent, const QString& name) {
    auto* profile = new QWebEngineProfile(name, parent);
    profile->setPersistentCookiesPolicy(QWebEngineProfile::AllowPersistentCookies);
    profile->setHttpCacheType(QWebEngineProfile::DiskHttpCache);
    return profile;
}

} // namespace mojing::WebProfile
