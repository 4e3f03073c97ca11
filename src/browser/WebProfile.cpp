#include "WebProfile.h"

#include <QWebEngineProfile>
#include <QWebEngineSettings>

namespace mojing::WebProfile {

QWebEngineProfile* create(QObject* parent, const QString& name) {
    auto* profile = new QWebEngineProfile(name, parent);
    profile->setPersistentCookiesPolicy(QWebEngineProfile::AllowPersistentCookies);
    profile->setHttpCacheType(QWebEngineProfile::DiskHttpCache);
    // Every browser of the program shows a PDF it is sent (an article in the search window, a
    // finished row in the login panel). The engine's PDF viewer is a plugin, off unless enabled;
    // without it the PDF would turn into a download request and the page would stay blank.
    QWebEngineSettings* settings = profile->settings();
    settings->setAttribute(QWebEngineSettings::PluginsEnabled, true);
    settings->setAttribute(QWebEngineSettings::PdfViewerEnabled, true);
    return profile;
}

} // namespace mojing::WebProfile
