#pragma once

#include <QObject>

class QNetworkCookie;
class QWebEngineCookieStore;

namespace mojing {

class SharedCookieJar;

// Keeps the transfers' cookie jar and the browsers' cookie store in step, both ways: a login in
// either browser authorises downloads, and cookies set by downloads reach the browsers.
class CookieBridge : public QObject {
    Q_OBJECT
public:
    // Imports the store's cookies at once and follows both sides from then on.
    CookieBridge(QWebEngineCookieStore* store, SharedCookieJar& jar, QObject* parent = nullptr);

private:
    void pushToStore(const QNetworkCookie& cookie, bool remove);

    QWebEngineCookieStore* m_store;
    SharedCookieJar& m_jar;
};

} // namespace mojing
