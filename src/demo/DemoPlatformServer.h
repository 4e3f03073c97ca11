#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <initializer_list>

class QTcpServer;
class QTcpSocket;

namespace mojing {

// A small offline journal platform on 127.0.0.1: a home page with a search form, result pages
// with open-access and restricted entries (some without a PDF), pager links, article pages with
// the standard scholarly metadata, a DOI resolver for its articles' DOIs and small generated PDF
// files. It lets the program be tried and tested without the network.
class DemoPlatformServer : public QObject {
    Q_OBJECT
public:
    explicit DemoPlatformServer(QObject* parent = nullptr);
    ~DemoPlatformServer() override;

    // Number of result pages and entries per page of every search (before start()).
    void setLayout(int pages, int perPage);
    int pages() const { return m_pages; }
    int perPage() const { return m_perPage; }

    // The port the desktop program's demo platform asks for first, so that its addresses stay
    // the same from one start to the next: a kept download list names them.
    static constexpr quint16 kPreferredPort = 27183;

    // Listens on 127.0.0.1 (port 0: any free port).
    bool start(quint16 port = 0);
    // Listens on `preferred`, or on any free port when another program holds that one.
    bool startPreferring(quint16 preferred = kPreferredPort);
    // An address on the demo platform of an earlier start (127.0.0.1 on another port) moved to
    // this one; any other address comes back unchanged.
    QString rebased(const QString& address) const;
    // Whether the address has the shape of the demo platform's pages, articles and PDFs.
    static bool isDemoAddress(const QUrl& url);
    QUrl homeUrl() const;
    QUrl baseUrl() const;
    // The address of a result page (startPage counts from 0).
    QUrl searchUrl(const QString& query, int startPage) const;
    // The platform's DOI resolver: a DOI appended to it redirects to the article's page.
    QUrl doiResolverUrl() const;

    // Entry n (0-based, over all pages) of every search.
    static QString articleTitle(int n);
    static bool isOpenAccess(int n) { return n % 3 != 2; }
    static bool offersPdf(int n) { return n % 4 != 3; }
    static QString articlePath(int n);
    static QString pdfPath(int n);
    static QString articleDoi(int n);
    // "Family, Given" or "Given Family", as platforms write them.
    static QStringList articleAuthors(int n);
    static QString articleYear(int n);
    static inline const QString kJournal = QStringLiteral("Journal of Demonstration Studies");

    // The pages as served, for headless use.
    QString homePage() const;
    QString resultPage(const QString& query, int startPage) const;
    // A valid one-page PDF file showing the title.
    static QByteArray pdfFile(const QString& title);

    // Paths requested so far, in order.
    QStringList requestedPaths() const { return m_requested; }

private:
    struct Response {
        int status = 200;
        QByteArray contentType;
        QByteArray body;
        QByteArray location; // of a redirect
    };
    bool listen(std::initializer_list<quint16> ports);
    void onNewConnection();
    void onReadyRead(QTcpSocket* socket);
    Response respond(const QUrl& target) const;
    QString articlePage(int n) const;
    // Entry n exists on this platform.
    bool hasArticle(int n) const { return n >= 0 && n < m_pages * m_perPage; }

    QTcpServer* m_server = nullptr;
    int m_pages = 3;
    int m_perPage = 5;
    QStringList m_requested;
};

} // namespace mojing
