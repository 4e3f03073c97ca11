#include "CookieBridge.h"

#include "transfer/SharedCookieJar.h"

#include <QNetworkCookie>
#include <QUrl>
#include <QWebEngineCookieStore>

using namespace Qt::StringLiterals;

namespace mojing {

CookieBridge::CookieBridge(QWebEngineCookieStore* store, SharedCookieJar& jar, QObject* parent)
    : QObject(parent), m_store(store), m_jar(jar) {
    connect(store, &QWebEngineCookieStore::cookieAdded, this,
            [this](const QNetworkCookie& cookie) { m_jar.insertFromBrowser(cookie); });
    connect(store, &QWebEngineCookieStore::cookieRemoved, this,
            [this](const QNetworkCookie& cookie) { m_jar.deleteFromBrowser(cookie); });
    // The jar reports only what transfers stored, so nothing the store sent comes back to it.
    connect(&jar, &SharedCookieJar::cookieInserted, this,
            [this](const QNetworkCookie& cookie) { pushToStore(cookie, false); });
    connect(&jar, &SharedCookieJar::cookieDeleted, this,
            [this](const QNetworkCookie& cookie) { pushToStore(cookie, true); });
    store->loadAllCookies();
}

void CookieBridge::pushToStore(const QNetworkCookie& cookie, bool remove) {
    QString host = cookie.domain();
    if (host.startsWith(u'.'))
        host.remove(0, 1);
    const QUrl origin((cookie.isSecure() ? u"https://"_s : u"http://"_s) + host +
                      (cookie.path().isEmpty() ? u"/"_s : cookie.path()));
    if (remove)
        m_store->deleteCookie(cookie, origin);
    else
        m_store->setCookie(cookie, origin);
}

} // namespace mojing
