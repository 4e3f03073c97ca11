#include "LoginSite.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <QUrlQuery>

using namespace Qt::StringLiterals;

namespace mojing {

namespace {

const QByteArray kDefaultLoginPage =
    "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>Sign in</title></head><body>"
    "<h1>Sign in to read</h1>"
    "<form method=\"post\" action=\"/login\">"
    "<p>User <input type=\"text\" name=\"UserName\"></p>"
    "<p>Password <input type=\"password\" name=\"PassWord\"></p>"
    "<p><input type=\"submit\" value=\"Sign in\"></p>"
    "</form></body></html>";

const QByteArray kIpPage =
    "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>Institution</title></head>"
    "<body><h1>Access through your institution</h1>"
    "<form method=\"post\" action=\"/ip-login\">"
    "<input type=\"submit\" id=\"submitip\" value=\"Go\"></form></body></html>";

const QByteArray kWelcomePage =
    "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>Welcome</title></head>"
    "<body><h1>Signed in</h1></body></html>";

QByteArray response(const QByteArray& status, const QByteArray& type, const QByteArray& body,
                    const QByteArray& extraHeaders = {}) {
    return "HTTP/1.1 " + status + "\r\nContent-Type: " + type +
           "\r\nContent-Length: " + QByteArray::number(body.size()) + "\r\nCache-Control: no-store\r\n" +
           extraHeaders + "Connection: close\r\n\r\n" + body;
}

QByteArray htmlPage(const QByteArray& body) {
    return response("200 OK", "text/html; charset=utf-8", body);
}

} // namespace

LoginSite::LoginSite(QObject* parent)
    : QObject(parent), m_server(new QTcpServer(this)), m_loginPage(kDefaultLoginPage) {
    m_server->listen(QHostAddress::LocalHost, 0);
    connect(m_server, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket* socket = m_server->nextPendingConnection()) {
            connect(socket, &QTcpSocket::readyRead, this, [this, socket] { readFrom(socket); });
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        }
    });
}

LoginSite::~LoginSite() = default;

void LoginSite::setAccount(const QString& user, const QString& password) {
    m_user = user;
    m_password = password;
}

void LoginSite::addFile(const QString& name, const QByteArray& body, const QByteArray& contentType) {
    m_files.insert(name, {contentType, body});
}

QString LoginSite::origin() const {
    return u"http://127.0.0.1:"_s + QString::number(m_server->serverPort());
}

void LoginSite::readFrom(QTcpSocket* socket) {
    QByteArray buffer = socket->property("buffer").toByteArray() + socket->readAll();
    socket->setProperty("buffer", buffer);
    const qsizetype headerEnd = buffer.indexOf("\r\n\r\n");
    if (headerEnd < 0 || socket->property("answered").toBool())
        return;
    Request request;
    const QList<QByteArray> lines = buffer.left(headerEnd).split('\n');
    const QList<QByteArray> requestLine = lines.value(0).trimmed().split(' ');
    request.method = requestLine.value(0);
    request.path = requestLine.value(1);
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const qsizetype colon = lines[i].indexOf(':');
        if (colon > 0)
            request.headers.insert(lines[i].left(colon).trimmed().toLower(),
                                   lines[i].mid(colon + 1).trimmed());
    }
    const qsizetype length = request.headers.value("content-length").toLongLong();
    request.body = buffer.mid(headerEnd + 4);
    if (request.body.size() < length)
        return; // the rest of the form is on its way
    request.body.truncate(length);
    socket->setProperty("answered", true);
    answer(socket, request);
    socket->disconnectFromHost();
}

void LoginSite::answer(QTcpSocket* socket, const Request& request) {
    const QByteArray path = request.path.split('?').constFirst();
    const bool post = request.method == "POST";
    if (path == "/login" && post) {
        const QUrlQuery form(QString::fromUtf8(request.body).replace(u'+', u' '));
        Attempt attempt;
        for (const auto& [name, value] : form.queryItems(QUrl::FullyDecoded)) {
            if (name.compare(u"username"_s, Qt::CaseInsensitive) == 0)
                attempt.user = value;
            else if (name.compare(u"password"_s, Qt::CaseInsensitive) == 0)
                attempt.password = value;
        }
        attempt.accepted = !m_user.isEmpty() && attempt.user == m_user && attempt.password == m_password;
        m_attempts.append(attempt);
        if (!attempt.accepted) {
            socket->write(htmlPage(QByteArray(m_loginPage).replace("</h1>", "</h1><p>Wrong account</p>")));
            return;
        }
        socket->write(
            response("302 Found", "text/html", "",
                     "Set-Cookie: sid=" + openSession() + "; Path=/; HttpOnly\r\nLocation: /welcome\r\n"));
    } else if (path == "/ip-login" && post) {
        socket->write(response("302 Found", "text/html", "",
                               "Set-Cookie: sid=" + openSession() + "; Path=/\r\nLocation: /welcome\r\n"));
    } else if (path == "/login") {
        socket->write(htmlPage(m_loginPage));
    } else if (path == "/ip") {
        socket->write(htmlPage(kIpPage));
    } else if (path == "/welcome") {
        socket->write(htmlPage(kWelcomePage));
    } else if (path.startsWith("/files/") && m_files.contains(QString::fromUtf8(path.mid(7)))) {
        const QByteArray session = sessionOf(request);
        if (session.isEmpty()) {
            ++m_refused;
            socket->write(htmlPage(m_loginPage));
            return;
        }
        if (m_filesPerSession > 0 && ++m_sessions[session] >= m_filesPerSession)
            m_sessions.remove(session); // this was its last file
        ++m_filesServed;
        const auto& [type, body] = m_files.value(QString::fromUtf8(path.mid(7)));
        socket->write(response("200 OK", type, body));
    } else {
        socket->write(response("404 Not Found", "text/html", "<html><body>not found</body></html>"));
    }
}

QByteArray LoginSite::openSession() {
    const QByteArray id = "s" + QByteArray::number(++m_sessionCount);
    m_sessions.insert(id, 0);
    return id;
}

QByteArray LoginSite::sessionOf(const Request& request) const {
    for (const QByteArray& part : request.headers.value("cookie").split(';')) {
        const QByteArray cookie = part.trimmed();
        if (cookie.startsWith("sid=") && m_sessions.contains(cookie.mid(4)))
            return cookie.mid(4);
    }
    return {};
}

} // namespace mojing
