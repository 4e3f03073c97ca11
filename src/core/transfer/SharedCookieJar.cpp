#include "SharedCookieJar.h"

#include <QNetworkCookie>

namespace mojing {

SharedCookieJar::SharedCookieJar(QObject* parent) : QNetworkCookieJar(parent) {}

bool SharedCookieJar::insertCookie(const QNetworkCookie& cookie) {
    const bool inserted = QNetworkCookieJar::insertCookie(cookie);
    if (inserted && !m_quiet)
        emit cookieInserted(cookie);
    return inserted;
}

bool SharedCookieJar::deleteCookie(const QNetworkCookie& cookie) {
    const bool deleted = QNetworkCookieJar::deleteCookie(cookie);
    if (deleted && !m_quiet)
        emit cookieDeleted(cookie);
    return deleted;
}

void SharedCookieJar::insertFromBrowser(const QNetworkCookie& cookie) {
    m_quiet = true;
    insertCookie(cookie);
    m_quiet = false;
}

void SharedCookieJar::deleteFromBrowser(const QNetworkCookie& cookie) {
    m_quiet = true;
    deleteCookie(cookie);
    m_quiet = false;
}

} // namespace mojing
