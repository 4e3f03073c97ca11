#pragma once

#include <QNetworkCookie>
#include <QNetworkCookieJar>

namespace mojing {

// The one cookie jar of every transfer. It reports what transfers store so that the browsers'
// cookie store can learn it, and takes the browsers' cookies without echoing them back.
class SharedCookieJar : public QNetworkCookieJar {
    Q_OBJECT
public:
    explicit SharedCookieJar(QObject* parent = nullptr);

    bool insertCookie(const QNetworkCookie& cookie) override;
    bool deleteCookie(const QNetworkCookie& cookie) override;

    // Cookies that come from the browsers: stored, not reported back.
    void insertFromBrowser(const QNetworkCookie& cookie);
    void deleteFromBrowser(const QNetworkCookie& cookie);

    QList<QNetworkCookie> cookies() const { return allCookies(); }

signals:
    void cookieInserted(const QNetworkCookie& cookie);
    void cookieDeleted(const QNetworkCookie& cookie);

private:
    bool m_quiet = false;
};

} // namespace mojing
