#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <QString>

class QTcpServer;
class QTcpSocket;

namespace mojing {

// A journal site on loopback that wants a login, over real HTTP/1.1 ("Connection: close"):
//   GET  /login       the login form (fields "UserName" and "PassWord", a submit input)
//   POST /login       the right account sets the session cookie "sid" and redirects to /welcome;
//                     a wrong one gets the form again
//   GET  /ip          the IP-login page: a form whose submit button has the id "submitip"
//   POST /ip-login    sets the session cookie and redirects to /welcome
//   GET  /files/NAME  the file, to a live session only; otherwise the login page as text/html
// A session expires after a set number of files.
//
//   LoginSite site;
//   site.setAccount(u"reader"_s, u"secret"_s);
//   site.addFile(u"a.pdf"_s, pdfBytes);
//   ... site.loginUrl() ... site.fileUrl(u"a.pdf"_s) ...
class LoginSite : public QObject {
    Q_OBJECT
public:
    // What a login form sent.
    struct Attempt {
        QString user;
        QString password;
        bool accepted = false;
    };

    explicit LoginSite(QObject* parent = nullptr);
    ~LoginSite() override;

    void setAccount(const QString& user, const QString& password);
    // A session ends after serving this many files (0: never).
    void setFilesPerSession(int files) { m_filesPerSession = files; }
    // Replaces the page of GET /login (its form must post to /login).
    void setLoginPage(const QByteArray& html) { m_loginPage = html; }
    void addFile(const QString& name, const QByteArray& body,
                 const QByteArray& contentType = "application/pdf");

    QString origin() const;
    QString loginUrl() const { return origin() + QStringLiteral("/login"); }
    QString ipLoginUrl() const { return origin() + QStringLiteral("/ip"); }
    QString fileUrl(const QString& name) const { return origin() + QStringLiteral("/files/") + name; }

    // Sessions opened so far (account and IP logins).
    int sessionCount() const { return m_sessionCount; }
    const QList<Attempt>& attempts() const { return m_attempts; }
    int filesServed() const { return m_filesServed; }
    // File requests answered with the login page.
    int loginPagesInsteadOfFiles() const { return m_refused; }
    // Drops every session at once (the site logs everybody out).
    void expireSessions() { m_sessions.clear(); }

private:
    struct Request {
        QByteArray method;
        QByteArray path;
        QHash<QByteArray, QByteArray> headers; // lower-case names
        QByteArray body;
    };

    void readFrom(QTcpSocket* socket);
    void answer(QTcpSocket* socket, const Request& request);
    QByteArray openSession();
    // The live session named by the request's cookie, or empty.
    QByteArray sessionOf(const Request& request) const;

    QTcpServer* m_server;
    QString m_user;
    QString m_password;
    int m_filesPerSession = 0;
    QByteArray m_loginPage;
    QHash<QString, std::pair<QByteArray, QByteArray>> m_files; // name -> (type, body)
    QHash<QByteArray, int> m_sessions;                         // id -> files served
    int m_sessionCount = 0;
    QList<Attempt> m_attempts;
    int m_filesServed = 0;
    int m_refused = 0;
};

} // namespace mojing
