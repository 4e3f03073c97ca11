#include "CliCommand.h"
#include "platform/Timing.h"
#include "transfer/HttpRequestControl.h"
#include "transfer/HttpStatusTexts.h"
#include "transfer/NetworkLayer.h"

#include <QEventLoop>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace mojing {

namespace {
const QString kUsage = u"usage: mojing http-get [--method M] [--header \"K: V\"]... [--save FILE] URL\n"_s;

struct HttpGetArguments {
    QString method = u"GET"_s;
    QList<QPair<QString, QString>> headers;
    QString saveFile;
    QString url;
};

// Nullopt (after a message on `err`) for arguments that do not make a request.
std::optional<HttpGetArguments> parseArguments(const QStringList& args, QTextStream& err) {
    HttpGetArguments parsed;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args.at(i);
        const bool hasValue = i + 1 < args.size();
        if (a == u"--method"_s && hasValue) {
            parsed.method = args.at(++i).trimmed();
            if (parsed.method.isEmpty())
                return std::nullopt;
        } else if (a == u"--header"_s && hasValue) {
            const QString header = args.at(++i);
            const qsizetype colon = header.indexOf(u':');
            if (colon <= 0) {
                err << u"mojing http-get: a header is written \"Name: value\": "_s << header << u'\n';
                return std::nullopt;
            }
            parsed.headers.append({header.left(colon).trimmed(), header.mid(colon + 1).trimmed()});
        } else if (a == u"--save"_s && hasValue) {
            parsed.saveFile = args.at(++i);
        } else if (a.startsWith(u"--"_s) || !parsed.url.isEmpty()) {
            return std::nullopt;
        } else {
            parsed.url = a;
        }
    }
    if (parsed.url.isEmpty())
        return std::nullopt;
    return parsed;
}

// Sends one request with the HTTP request control and prints what came back: the status line
// "status TAB code TAB description", then the response headers. The control's events go to
// the error stream as they are raised. 0 after OnDateArrived, 1 after OnDateErr or when no
// answer arrived, 2 for bad arguments.
int runHttpGet(const QStringList& args, QTextStream& out, QTextStream& err) {
    const std::optional<HttpGetArguments> parsed = parseArguments(args, err);
    if (!parsed) {
        err << kUsage;
        return 2;
    }
    NetworkLayer network;
    const Timing timing;
    HttpRequestControl http(network, timing);
    if (!http.open(parsed->method, parsed->url, parsed->saveFile)) {
        err << u"mojing http-get: not an http or https address: "_s << parsed->url << u'\n';
        return 2;
    }
    for (const auto& [name, value] : parsed->headers)
        http.setRequestHeader(name, value);

    int code = 1;
    QEventLoop loop;
    QObject::connect(&http, &HttpRequestControl::dataArrived, &loop, [&] {
        err << u"OnDateArrived\n"_s;
        code = 0;
        loop.quit();
    });
    QObject::connect(&http, &HttpRequestControl::dataError, &loop, [&](const QString& description) {
        err << u"OnDateErr\t"_s << description << u'\n';
        code = 1;
        loop.quit();
    });
    // A completed request whose status has no event (beyond 600) ends the wait as well.
    QObject::connect(&http, &HttpRequestControl::readyStateChanged, &loop, [&] {
        QTimer::singleShot(0, &loop, [&] {
            if (http.downOk())
                loop.quit();
        });
    });
    http.send();
    loop.exec();
    err.flush();

    out << u"status\t"_s << http.status() << u'\t' << HttpStatusTexts::describe(http.status()) << u'\n';
    QString headers = http.allResponseHeaders();
    headers.replace(u"\r\n"_s, u"\n"_s);
    out << headers;
    return code;
}
} // namespace

CliCommand httpGetCommand() {
    return CliCommand{
        u"http-get"_s,
        u"http-get [--method M] [--header \"K: V\"]... [--save FILE] URL\n"
        "                         what a site answers: status TAB code TAB text, then the headers"_s,
        runHttpGet};
}

} // namespace mojing
