#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <optional>

class QNetworkReply;

namespace mojing {

// The headers of the response a reply ends with, after the redirects it followed.
//
// Qt 6.4 sometimes hands a followed redirect's headers on to the response after it (the
// redirect's metadata can arrive once more after Qt has set it aside): a header the final
// response lacks then keeps the redirect's value ("Content-Length: 145" of nginx's 302 page on a
// chunked file), and one it has is joined to it ("145, 30000"; "text/html, application/pdf").
// This follows a reply's redirects and takes their headers back out.
//
//   connect(reply, &QNetworkReply::redirected, [&] { headers.redirected(*reply); });
//   connect(reply, &QNetworkReply::metaDataChanged, [&] { headers.metaDataChanged(*reply); });
//   ... headers.contentLength(*reply)
class FinalResponseHeaders {
public:
    using Pairs = QList<QPair<QByteArray, QByteArray>>;

    static bool isRedirectStatus(int code);
    // `current` with what `leftovers` (the headers a redirect left on the reply) put into it
    // taken out: a value equal to the leftover is dropped, a joined one loses its leftover head.
    static Pairs withoutLeftovers(const Pairs& current, const Pairs& leftovers);

    // A new request on a new reply.
    void reset() {
        m_leftovers.clear();
        m_followed = false;
    }
    // On QNetworkReply::redirected: what the reply holds at this moment stays behind.
    void redirected(const QNetworkReply& reply);
    // On QNetworkReply::metaDataChanged: a redirect's headers arriving (again) will stay behind.
    void metaDataChanged(const QNetworkReply& reply);

    // The reply stands at a redirect Qt is following: the answer is still to come. Right after
    // QNetworkReply::redirected the reply still shows the redirect's status without its headers.
    bool followingRedirect(const QNetworkReply& reply) const;

    // The response's own headers; a response that is itself a redirect keeps all it carries.
    Pairs pairs(const QNetworkReply& reply) const;
    // One header's own value (case-insensitive name), or empty.
    QByteArray value(const QNetworkReply& reply, const QByteArray& name) const;
    // The response's own Content-Length, when it has a readable one.
    std::optional<qint64> contentLength(const QNetworkReply& reply) const;

private:
    Pairs m_leftovers;
    bool m_followed = false;
};

} // namespace mojing
