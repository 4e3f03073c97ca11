#include "FinalResponseHeaders.h"

#include <QNetworkReply>
#include <algorithm>

namespace mojing {

namespace {
int statusOf(const QNetworkReply& reply) {
    return reply.attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
}

bool standsAtRedirect(const QNetworkReply& reply) {
    return FinalResponseHeaders::isRedirectStatus(statusOf(reply)) && reply.hasRawHeader("Location");
}
} // namespace

bool FinalResponseHeaders::isRedirectStatus(int code) {
    return code == 301 || code == 302 || code == 303 || code == 305 || code == 307 || code == 308;
}

FinalResponseHeaders::Pairs FinalResponseHeaders::withoutLeftovers(const Pairs& current,
                                                                   const Pairs& leftovers) {
    Pairs own;
    for (const auto& header : current) {
        const QByteArray& name = header.first;
        const QByteArray& value = header.second;
        const auto left = std::find_if(leftovers.cbegin(), leftovers.cend(), [&name](const auto& pair) {
            return pair.first.compare(name, Qt::CaseInsensitive) == 0;
        });
        if (left == leftovers.cend() || left->second.isEmpty()) {
            own.append({name, value});
            continue;
        }
        const QByteArray& head = left->second;
        if (value == head)
            continue; // the redirect's alone
        // Qt joins repeated values with ", " (cookies with a line break).
        QByteArray ownValue = value;
        for (const QByteArrayView separator : {QByteArrayView(", "), QByteArrayView("\n")}) {
            const QByteArray joined = QByteArray(head).append(separator);
            if (value.startsWith(joined)) {
                ownValue = value.mid(joined.size());
                break;
            }
        }
        own.append({name, ownValue});
    }
    return own;
}

void FinalResponseHeaders::redirected(const QNetworkReply& reply) {
    m_leftovers = reply.rawHeaderPairs();
    m_followed = true;
}

void FinalResponseHeaders::metaDataChanged(const QNetworkReply& reply) {
    if (!reply.isFinished() && standsAtRedirect(reply))
        m_leftovers = reply.rawHeaderPairs();
}

bool FinalResponseHeaders::followingRedirect(const QNetworkReply& reply) const {
    return !reply.isFinished() && isRedirectStatus(statusOf(reply)) &&
           (m_followed || reply.hasRawHeader("Location"));
}

FinalResponseHeaders::Pairs FinalResponseHeaders::pairs(const QNetworkReply& reply) const {
    if (m_leftovers.isEmpty() || standsAtRedirect(reply))
        return reply.rawHeaderPairs();
    return withoutLeftovers(reply.rawHeaderPairs(), m_leftovers);
}

QByteArray FinalResponseHeaders::value(const QNetworkReply& reply, const QByteArray& name) const {
    for (const auto& [key, value] : pairs(reply)) {
        if (key.compare(name, Qt::CaseInsensitive) == 0)
            return value;
    }
    return {};
}

std::optional<qint64> FinalResponseHeaders::contentLength(const QNetworkReply& reply) const {
    const QByteArray text = value(reply, "Content-Length").trimmed();
    bool ok = false;
    const qint64 length = text.toLongLong(&ok);
    if (!ok || length < 0 || text.startsWith('+') || text.startsWith('-'))
        return std::nullopt;
    return length;
}

} // namespace mojing
