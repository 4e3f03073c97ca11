#include "DemoPlatformServer.h"

#include <QHostAddress>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUrlQuery>

using namespace Qt::StringLiterals;

namespace mojing {

namespace {

// Tiny icons: the open-access mark, the restricted-access mark and the PDF icon.
const QByteArray kOpenAccessGif = QByteArray::fromHex(
    "4749463839610e000e00810000ffffff00823c78d28c0000002c000000000e000e0000026f0408102040800001020488306140"
    "800001224c983061408000134a94283121408011254a94a81020c28812254a54181061448912252a0c8830a24489121506441851"
    "a244890a03028c2851a244850001269428516242800011264c98302040800011260c08102040800001020408b0003b");
const QByteArray kRestrictedGif = QByteArray::fromHex(
    "4749463839610e000e00810000ffffffaaaaaadcdcdc0000002c000000000e000e0000026f0408102040800001020488306140"
    "800001224c98306140800013264c98302140800913264c981020c2840913264c181061c2840913260c883061c284091306449830"
    "61"
    "c2840903024c983061c2840001264c98306142800011264c98302040800011260c08102040800001020408b0003b");
const QByteArray kPdfIconPng = QByteArray::fromHex(
    "89504e470d0a1a0a0000000d49484452000000100000001408020000000b002a20000000334944415478da63a86060200981f009"
    "111122d148d6f0ffffff1360922003660371aa8124c206222da19b934693064d3490840022eb66c6b02545d50000000049454e44"
    "ae426082");

const char* const kTopics[] = {
    "Soil Moisture Dynamics in Semi-Arid Grasslands",
    "Teacher Feedback and Student Motivation",
    "Urban Heat Islands and Public Health",
    "Supply Chain Resilience after Disruptions",
    "Bilingual Reading Development in Early Childhood",
    "Machine Learning for Early Sepsis Detection",
    "Community Policing and Neighbourhood Trust",
    "Microfinance and Rural Household Income",
};

const char* const kFamilyNames[] = {"Zhang", "Garcia", "Okafor", "Lindqvist", "Tanaka", "Novak", "Silva"};
const char* const kGivenNames[] = {"Wei", "Maria", "Chidi", "Anna", "Yuki", "Petr", "Lucas"};

const char* const kStyle = R"(
body { font-family: sans-serif; margin: 0; color: #222; }
header { background: #0b3d5c; color: #fff; padding: 10px 18px; }
header a { color: #fff; text-decoration: none; font-weight: bold; }
main { padding: 12px 18px; }
ol.search-results li { margin: 8px 0; padding: 6px; border-bottom: 1px solid #ddd; }
ol.search-results img { vertical-align: middle; margin-right: 4px; }
.pager a { margin-right: 12px; }
)";

QString htmlEscape(const QString& text) {
    return text.toHtmlEscaped();
}

QString pageShell(const QString& title, const QString& body, const QString& head = {}) {
    return u"<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>"_s + htmlEscape(title) +
           u"</title>"_s + head + u"<style>"_s + QString::fromLatin1(kStyle) +
           u"</style></head><body><header><a href=\"/\">Demo Journal Platform</a></header><main>"_s + body +
           u"</main></body></html>\n"_s;
}

// Text inside a PDF string literal: backslashes and parentheses escaped, ASCII only.
QByteArray pdfString(const QString& text) {
    QByteArray out;
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (u == u'\\' || u == u'(' || u == u')')
            out += '\\';
        out += (u >= 0x20 && u < 0x7F) ? char(u) : '?';
    }
    return out;
}

} // namespace

DemoPlatformServer::DemoPlatformServer(QObject* parent) : QObject(parent) {}

DemoPlatformServer::~DemoPlatformServer() = default;

void DemoPlatformServer::setLayout(int pages, int perPage) {
    m_pages = std::max(1, pages);
    m_perPage = std::max(1, perPage);
}

bool DemoPlatformServer::start(quint16 port) {
    return listen({port});
}

bool DemoPlatformServer::startPreferring(quint16 preferred) {
    return listen({preferred, 0});
}

bool DemoPlatformServer::listen(std::initializer_list<quint16> ports) {
    if (m_server)
        return m_server->isListening();
    m_server = new QTcpServer(this);
    connect(m_server, &QTcpServer::newConnection, this, &DemoPlatformServer::onNewConnection);
    for (quint16 port : ports) {
        if (m_server->listen(QHostAddress::LocalHost, port))
            return true;
    }
    return false;
}

bool DemoPlatformServer::isDemoAddress(const QUrl& url) {
    if (url.scheme() != u"http"_s || url.host() != u"127.0.0.1"_s)
        return false;
    const QString path = url.path();
    return path.startsWith(u"/doi/"_s) || path.startsWith(u"/page/"_s) || path == u"/action/doSearch"_s;
}

QString DemoPlatformServer::rebased(const QString& address) const {
    if (!m_server || !m_server->isListening())
        return address;
    // Only the port is replaced; the rest of the address stays exactly as it was written.
    static const QRegularExpression origin(u"^http://127\\.0\\.0\\.1:(\\d+)(?=/)"_s);
    const QRegularExpressionMatch m = origin.match(address);
    if (!m.hasMatch() || m.captured(1).toUInt() == m_server->serverPort() || !isDemoAddress(QUrl(address)))
        return address;
    return u"http://127.0.0.1:"_s + QString::number(m_server->serverPort()) + address.mid(m.capturedEnd());
}

QUrl DemoPlatformServer::baseUrl() const {
    const quint16 port = m_server ? m_server->serverPort() : 0;
    return QUrl(u"http://127.0.0.1:%1/"_s.arg(port));
}

QUrl DemoPlatformServer::homeUrl() const {
    return baseUrl();
}

QUrl DemoPlatformServer::searchUrl(const QString& query, int startPage) const {
    QUrl url = baseUrl().resolved(QUrl(u"/action/doSearch"_s));
    QUrlQuery q;
    q.addQueryItem(u"AllField"_s, query);
    q.addQueryItem(u"startPage"_s, QString::number(startPage));
    q.addQueryItem(u"pageSize"_s, QString::number(m_perPage));
    url.setQuery(q);
    return url;
}

QString DemoPlatformServer::articleTitle(int n) {
    const int topics = int(std::size(kTopics));
    return QString::fromLatin1(kTopics[n % topics]) + u", Study "_s + QString::number(n + 1);
}

QString DemoPlatformServer::articlePath(int n) {
    return u"/doi/full/10.5555/demo.%1"_s.arg(n + 1);
}

QString DemoPlatformServer::pdfPath(int n) {
    return u"/doi/pdf/10.5555/demo.%1"_s.arg(n + 1);
}

QString DemoPlatformServer::articleDoi(int n) {
    return u"10.5555/demo.%1"_s.arg(n + 1);
}

QStringList DemoPlatformServer::articleAuthors(int n) {
    const int names = int(std::size(kFamilyNames));
    QStringList authors;
    for (int i = 0; i < 2 + n % 2; ++i) {
        const int k = (n + 3 * i) % names;
        const QString family = QString::fromLatin1(kFamilyNames[k]);
        const QString given = QString::fromLatin1(kGivenNames[(k + i) % names]);
        authors << (i == 2 ? QString(given + u' ' + family) : QString(family + u", "_s + given));
    }
    return authors;
}

QString DemoPlatformServer::articleYear(int n) {
    return QString::number(2015 + n % 9);
}

QUrl DemoPlatformServer::doiResolverUrl() const {
    return baseUrl().resolved(QUrl(u"/resolve/"_s));
}

QString DemoPlatformServer::homePage() const {
    QString dois;
    for (int n = 0; n < std::min(8, m_pages * m_perPage); ++n) {
        if (offersPdf(n))
            dois += u"<li>"_s + articleDoi(n) + u"</li>"_s;
    }
    return pageShell(
        u"Demo Journal Platform"_s,
        u"<h1>Search the journals</h1>"
        "<form action=\"/action/doSearch\" method=\"get\">"
        "<input type=\"text\" name=\"AllField\" value=\"health\" size=\"40\"> "
        "<input type=\"submit\" value=\"Search\"></form>"
        "<p>Every search returns the same demonstration articles.</p>"
        "<p>DOIs of demonstration articles, to paste into the download list:</p><ul class=\"dois\">"_s +
            dois + u"</ul>"_s);
}

QString DemoPlatformServer::resultPage(const QString& query, int startPage) const {
    const QString q = QString::fromLatin1(QUrl::toPercentEncoding(query));
    QString body = u"<h1>Search results for &ldquo;"_s + htmlEscape(query) + u"&rdquo;</h1>"_s;
    body += u"<ul class=\"facets\"><li>All content</li><li>Journals</li></ul>"_s;
    body += u"<p>Page %1 of %2</p>"_s.arg(startPage + 1).arg(m_pages);
    body += u"<ol class=\"search-results\">\n"_s;
    if (startPage >= 0 && startPage < m_pages) {
        for (int i = 0; i < m_perPage; ++i) {
            const int n = startPage * m_perPage + i;
            const QString access = isOpenAccess(n)
                                       ? u"<img src=\"/images/access_free.gif\" alt=\"Free access\">"_s
                                       : u"<img src=\"/images/access_no.gif\" alt=\"Restricted access\">"_s;
            body += u"<li><div class=\"entry\">"_s + access + u"<span class=\"art-title\"><a href=\""_s +
                    articlePath(n) + u"\">"_s + htmlEscape(articleTitle(n)) + u"</a></span>"_s;
            if (offersPdf(n))
                body += u"<div class=\"links\"><a href=\""_s + pdfPath(n) +
                        u"\"><img src=\"/images/pdf-icon-large.png\" alt=\"PDF\"> PDF</a></div>"_s;
            body += u"</div></li>\n"_s;
        }
    }
    body += u"</ol>\n<div class=\"pager\">"_s;
    if (startPage > 0)
        body +=
            u"<a class=\"prevPage\" href=\"/action/doSearch?AllField=%1&amp;startPage=%2&amp;pageSize=%3\">"
            "previous</a>"_s.arg(q)
                .arg(startPage - 1)
                .arg(m_perPage);
    if (startPage + 1 < m_pages) {
        body +=
            u"<a class=\"nextPage\" href=\"/action/doSearch?AllField=%1&amp;startPage=%2&amp;pageSize=%3\">"
            "next</a>"_s.arg(q)
                .arg(startPage + 1)
                .arg(m_perPage);
        body +=
            u"<a class=\"next\" title=\"next\" href=\"/page/%1?query=%2\">&raquo;</a>"_s.arg(startPage + 2)
                .arg(q);
    }
    body += u"</div>"_s;
    return pageShell(u"Search results"_s, body);
}

QString DemoPlatformServer::articlePage(int n) const {
    auto meta = [](const QString& name, const QString& value) -> QString {
        return u"<meta name=\""_s + name + u"\" content=\""_s + htmlEscape(value) + u"\">"_s;
    };
    QString head = meta(u"citation_title"_s, articleTitle(n));
    for (const QString& author : articleAuthors(n))
        head += meta(u"citation_author"_s, author);
    head += meta(u"citation_publication_date"_s, articleYear(n) + u"/03/05"_s);
    head += meta(u"citation_journal_title"_s, kJournal);
    head += meta(u"citation_doi"_s, articleDoi(n));
    if (offersPdf(n))
        head += meta(u"citation_pdf_url"_s, pdfPath(n));
    QString body = u"<h1>"_s + htmlEscape(articleTitle(n)) + u"</h1><p class=\"authors\">"_s +
                   htmlEscape(articleAuthors(n).join(u"; "_s)) + u"</p><p>"_s + kJournal + u", "_s +
                   articleYear(n) + u". DOI: "_s + articleDoi(n) +
                   u"</p><p>Abstract of a demonstration article.</p>"_s;
    if (offersPdf(n))
        body += u"<p><a href=\""_s + pdfPath(n) + u"\">Download PDF</a></p>"_s;
    return pageShell(articleTitle(n), body, head);
}

QByteArray DemoPlatformServer::pdfFile(const QString& title) {
    const QByteArray text = pdfString(title);
    const QByteArray content = "BT /F1 16 Tf 72 760 Td (" + text + ") Tj ET\n";
    const QByteArray objects[] = {
        "<< /Type /Catalog /Pages 2 0 R >>",
        "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
        "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 595 842] /Resources << /Font << /F1 4 0 R >> >> "
        "/Contents 5 0 R >>",
        "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>",
        "<< /Length " + QByteArray::number(content.size()) + " >>\nstream\n" + content + "endstream",
        "<< /Title (" + text + ") /Producer (Demo Journal Platform) >>",
    };
    QByteArray pdf = "%PDF-1.4\n%\xE2\xE3\xCF\xD3\n";
    QList<qsizetype> offsets;
    int number = 1;
    for (const QByteArray& object : objects) {
        offsets << pdf.size();
        pdf += QByteArray::number(number++) + " 0 obj\n" + object + "\nendobj\n";
    }
    const qsizetype xref = pdf.size();
    pdf += "xref\n0 " + QByteArray::number(offsets.size() + 1) + "\n0000000000 65535 f \n";
    for (qsizetype offset : offsets)
        pdf += QByteArray::number(offset).rightJustified(10, '0') + " 00000 n \n";
    pdf += "trailer\n<< /Size " + QByteArray::number(offsets.size() + 1) + " /Root 1 0 R /Info 6 0 R >>\n";
    pdf += "startxref\n" + QByteArray::number(xref) + "\n%%EOF\n";
    return pdf;
}

DemoPlatformServer::Response DemoPlatformServer::respond(const QUrl& target) const {
    const QString path = target.path();
    const QUrlQuery query(target);
    auto html = [](const QString& page) { return Response{200, "text/html; charset=utf-8", page.toUtf8()}; };
    static const QRegularExpression article(u"^/doi/(full|pdf)/10\\.5555/demo\\.(\\d+)$"_s);
    static const QRegularExpression pageNumber(u"^/page/(\\d+)$"_s);
    static const QRegularExpression resolver(u"^/resolve/10\\.5555/demo\\.(\\d+)$"_s,
                                             QRegularExpression::CaseInsensitiveOption);

    if (path == u"/"_s || path == u"/index.html"_s)
        return html(homePage());
    if (path == u"/action/doSearch"_s) {
        const QString text = query.queryItemValue(u"AllField"_s, QUrl::FullyDecoded);
        return html(resultPage(text, query.queryItemValue(u"startPage"_s).toInt()));
    }
    if (const auto m = pageNumber.match(path); m.hasMatch())
        return html(
            resultPage(query.queryItemValue(u"query"_s, QUrl::FullyDecoded), m.captured(1).toInt() - 1));
    if (const auto m = article.match(path); m.hasMatch()) {
        const int n = m.captured(2).toInt() - 1;
        if (n >= 0 && n < m_pages * m_perPage) {
            if (m.captured(1) == u"full"_s)
                return html(articlePage(n));
            if (offersPdf(n))
                return Response{200, "application/pdf", pdfFile(articleTitle(n))};
        }
    }
    if (const auto m = resolver.match(path); m.hasMatch()) {
        const int n = m.captured(1).toInt() - 1;
        if (hasArticle(n))
            return Response{302, "text/html; charset=utf-8", {}, articlePath(n).toUtf8()};
    }
    if (path == u"/images/access_free.gif"_s)
        return Response{200, "image/gif", kOpenAccessGif};
    if (path == u"/images/access_no.gif"_s)
        return Response{200, "image/gif", kRestrictedGif};
    if (path == u"/images/pdf-icon-large.png"_s)
        return Response{200, "image/png", kPdfIconPng};
    return Response{404, "text/html; charset=utf-8",
                    pageShell(u"Not found"_s, u"<h1>Page not found</h1>"_s).toUtf8()};
}

void DemoPlatformServer::onNewConnection() {
    while (QTcpSocket* socket = m_server->nextPendingConnection()) {
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { onReadyRead(socket); });
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    }
}

void DemoPlatformServer::onReadyRead(QTcpSocket* socket) {
    // Requests are small; wait until the header block is complete, answer once, then close.
    QByteArray buffer = socket->property("buffer").toByteArray() + socket->readAll();
    if (buffer.size() > 64 * 1024) {
        socket->abort();
        return;
    }
    const qsizetype end = buffer.indexOf("\r\n\r\n");
    if (end < 0) {
        socket->setProperty("buffer", buffer);
        return;
    }
    socket->setProperty("buffer", QByteArray());
    const QList<QByteArray> requestLine = buffer.left(buffer.indexOf("\r\n")).split(' ');
    const QByteArray method = requestLine.value(0);
    const QUrl target = baseUrl().resolved(QUrl::fromEncoded(requestLine.value(1)));
    Response response;
    if (method != "GET" && method != "HEAD") {
        response = Response{405, "text/plain", "method not allowed\n"};
    } else {
        m_requested << target.path();
        response = respond(target);
    }
    const QByteArray reason = response.status == 200   ? "OK"
                              : response.status == 302 ? "Found"
                              : response.status == 404 ? "Not Found"
                                                       : "Error";
    QByteArray head = "HTTP/1.1 " + QByteArray::number(response.status) + ' ' + reason + "\r\n";
    head += "Content-Type: " + response.contentType + "\r\n";
    if (!response.location.isEmpty())
        head += "Location: " + response.location + "\r\n";
    head += "Content-Length: " + QByteArray::number(response.body.size()) + "\r\n";
    // Pages, pictures and PDFs go into the browser's disk cache (where the cache tool finds
    // them) but are asked for again on every visit, so the platform always sees the requests.
    head += response.status == 200 ? "Cache-Control: no-cache\r\n" : "Cache-Control: no-store\r\n";
    head += "Connection: close\r\n\r\n";
    socket->write(head);
    if (method != "HEAD")
        socket->write(response.body);
    socket->disconnectFromHost();
}

} // namespace mojing
