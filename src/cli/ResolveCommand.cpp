#include "CliCommand.h"

#include "ConsolePrompts.h"
#include "ConsoleShell.h"
#include "DownloadArguments.h"
#include "articles/ArticleResolver.h"
#include "downloads/DownloadEngine.h"
#include "downloads/DownloadPacing.h"
#include "downloads/DownloadSession.h"
#include "downloads/ReferenceExport.h"
#include "platform/AnsiCodec.h"
#include "platform/EventPump.h"
#include "platform/Timing.h"
#include "program/AppContext.h"
#include "program/ProgramState.h"
#include "settings/SettingsStore.h"
#include "transfer/NetworkLayer.h"

#include <QEventLoop>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <optional>

using namespace Qt::StringLiterals;

namespace mojing {

namespace {

const QString kUsage =
    u"resolve [--format tsv|json|bibtex|ris | --json] [--resolver URL] (--list FILE | INPUT...)"_s;

// How the results are written: one line per input (TSV, JSON), or one reference per resolved
// article, written together when every input is through (BibTeX keys are unique across them).
enum class ResolveFormat { Tsv, Json, BibTex, Ris };

std::optional<ResolveFormat> formatFromWord(const QString& word) {
    const QString w = word.trimmed().toLower();
    if (w == u"tsv"_s)
        return ResolveFormat::Tsv;
    if (w == u"json"_s)
        return ResolveFormat::Json;
    if (w == u"bibtex"_s || w == u"bib"_s)
        return ResolveFormat::BibTex;
    if (w == u"ris"_s)
        return ResolveFormat::Ris;
    return std::nullopt;
}

struct ResolveRequest {
    ResolveFormat format = ResolveFormat::Tsv;
    QString resolver; // empty: the setting
    QString listFile;
    QStringList inputs;
};

// A value for one TSV field: tabs and line breaks would split it.
QString field(QString text) {
    for (QChar& c : text) {
        if (c == u'\t' || c == u'\r' || c == u'\n')
            c = u' ';
    }
    return text;
}

QString stateWord(const ResolvedArticle& r) {
    return r.ok() ? u"ok"_s : u"failed"_s;
}

QString pageOf(const ResolvedArticle& r) {
    return r.outcome == ResolvedArticle::Outcome::File ? QString() : r.article.articlePage;
}

QString pdfOf(const ResolvedArticle& r) {
    return r.ok() ? r.address : QString();
}

// input, state, title, authors, year, journal, DOI, PDF address, article page, failure
QString tsvLine(const ResolvedArticle& r) {
    const QStringList fields{
        r.input.text,   stateWord(r),      r.article.title, r.article.authors.join(u"; "_s),
        r.article.year, r.article.journal, r.article.doi,   pdfOf(r),
        pageOf(r),      r.failure};
    QStringList cleaned;
    for (const QString& f : fields)
        cleaned << field(f);
    return cleaned.join(u'\t');
}

QString jsonLine(const ResolvedArticle& r) {
    const QJsonObject object{
        {u"input"_s, r.input.text},    {u"state"_s, stateWord(r)},
        {u"title"_s, r.article.title}, {u"authors"_s, QJsonArray::fromStringList(r.article.authors)},
        {u"year"_s, r.article.year},   {u"journal"_s, r.article.journal},
        {u"doi"_s, r.article.doi},     {u"pdfUrl"_s, pdfOf(r)},
        {u"articlePage"_s, pageOf(r)}, {u"failure"_s, r.failure},
    };
    return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact));
}

// The one place where the output format decides what a result looks like. References are only
// collected here; an input without an article says why on stderr instead.
void writeResult(ResolveFormat format, const ResolvedArticle& r, QTextStream& out, QTextStream& err,
                 ReferenceEntries& references) {
    switch (format) {
    case ResolveFormat::Tsv:
        out << tsvLine(r) << u'\n';
        break;
    case ResolveFormat::Json:
        out << jsonLine(r) << u'\n';
        break;
    case ResolveFormat::BibTex:
    case ResolveFormat::Ris:
        if (r.ok() && !r.article.isEmpty())
            references.push_back({r.article, {}});
        else
            err << u"mojing resolve: no article: "_s << (r.ok() ? u"a file"_s : r.failure) << u": "_s
                << r.input.text << u'\n';
        break;
    }
    out.flush();
}

void writeReferences(ResolveFormat format, const ReferenceEntries& references, QTextStream& out) {
    if (format != ResolveFormat::BibTex && format != ResolveFormat::Ris)
        return;
    const auto exportFormat =
        format == ResolveFormat::BibTex ? ReferenceExport::Format::BibTex : ReferenceExport::Format::Ris;
    out << QString::fromUtf8(ReferenceExport::render(exportFormat, references));
    out.flush();
}

std::optional<ResolveRequest> parseArguments(const QStringList& args, QString& error) {
    ResolveRequest request;
    for (int i = 0; i < args.size(); ++i) {
        QString arg = args.at(i);
        QString value;
        bool inlineValue = false;
        if (arg.startsWith(u"--"_s) && arg.contains(u'=')) {
            value = arg.section(u'=', 1);
            arg = arg.section(u'=', 0, 0);
            inlineValue = true;
        }
        auto takeValue = [&]() -> std::optional<QString> {
            if (inlineValue)
                return value;
            if (i + 1 >= args.size())
                return std::nullopt;
            return args.at(++i);
        };
        if (arg == u"--json"_s) {
            request.format = ResolveFormat::Json;
        } else if (arg == u"--format"_s) {
            const std::optional<QString> v = takeValue();
            const std::optional<ResolveFormat> format = v ? formatFromWord(*v) : std::nullopt;
            if (!format) {
                error = u"--format takes tsv, json, bibtex or ris"_s;
                return std::nullopt;
            }
            request.format = *format;
        } else if (arg == u"--resolver"_s) {
            const std::optional<QString> v = takeValue();
            if (!v || !ArticleInputParser::isResolverBase(*v)) {
                error = u"--resolver needs an http or https address"_s;
                return std::nullopt;
            }
            request.resolver = v->trimmed();
        } else if (arg == u"--list"_s) {
            const std::optional<QString> v = takeValue();
            if (!v || v->isEmpty()) {
                error = u"--list needs a file"_s;
                return std::nullopt;
            }
            request.listFile = *v;
        } else if (arg.startsWith(u"--"_s)) {
            error = u"unknown option: "_s + arg;
            return std::nullopt;
        } else {
            request.inputs << arg;
        }
    }
    if (request.listFile.isEmpty() == request.inputs.isEmpty()) {
        error = request.inputs.isEmpty() ? u"give --list FILE or at least one address or DOI"_s
                                         : u"give either --list FILE or inputs, not both"_s;
        return std::nullopt;
    }
    return request;
}

int runResolve(const QStringList& args, QTextStream& out, QTextStream& err) {
    QString error;
    const std::optional<ResolveRequest> request = parseArguments(args, error);
    auto refuse = [&err](const QString& why) {
        err << u"mojing resolve: "_s << why << u"\nusage: mojing "_s << kUsage << u'\n';
        return 2;
    };
    if (!request)
        return refuse(error);

    SettingsStore settings(SettingsStore::defaultPath());
    const AnsiCodec codec;
    QStringList items = request->inputs;
    if (!request->listFile.isEmpty()) {
        items = DownloadArguments::readFirstFields(request->listFile, codec, error);
        if (items.isEmpty())
            return refuse(error);
    }
    const ParsedInputs parsed = ArticleInputParser::parseAll(items);
    if (!parsed.unrecognised.isEmpty())
        return refuse(u"neither an address nor a DOI: "_s + parsed.unrecognised.first());
    if (parsed.inputs.empty())
        return refuse(u"no address or DOI given"_s);
    if (parsed.duplicates > 0)
        err << u"mojing resolve: "_s << parsed.duplicates << u" inputs given twice, resolved once\n"_s;

    ConsolePrompts prompts(err);
    ConsoleShell shell;
    EventPump pump;
    const Timing timing;
    ProgramState state;
    AppContext context{settings, prompts, shell, pump, timing, codec, state};
    // Requests are paced as a download run paces its transfers.
    DownloadSession session(context);
    NetworkLayer network;
    DownloadEngine engine(session, network);
    DownloadPacing pacing(session, engine.scheduler());
    ArticleResolver resolver(network, pacing, timing, codec);
    resolver.setResolverBase(request->resolver.isEmpty() ? ArticleResolver::storedResolverBase(settings)
                                                         : request->resolver);

    // Written in input order as soon as the inputs before them are through.
    std::vector<std::optional<ResolvedArticle>> results(parsed.inputs.size());
    size_t next = 0;
    bool allOk = true;
    ReferenceEntries references;
    QObject::connect(&resolver, &ArticleResolver::resolved, &resolver,
                     [&](int index, const ResolvedArticle& result) {
                         results[size_t(index)] = result;
                         while (next < results.size() && results[next]) {
                             allOk = allOk && results[next]->ok();
                             writeResult(request->format, *results[next], out, err, references);
                             ++next;
                         }
                     });
    QEventLoop loop;
    QObject::connect(&resolver, &ArticleResolver::finished, &loop, &QEventLoop::quit);
    resolver.resolve(parsed.inputs);
    loop.exec();
    writeReferences(request->format, references, out);
    return allOk ? 0 : 1;
}

} // namespace

CliCommand resolveCommand() {
    return {u"resolve"_s,
            kUsage + u"\nwhat each address or DOI leads to: one line per input with input, state (ok or "
                     "failed), title, authors, year, journal, DOI, PDF address, article page and the "
                     "reason of a failure, TAB-separated; --format json or --json: one JSON object per "
                     "line; --format bibtex or ris: one reference per article found, the failures on "
                     "stderr; --list reads the first field of each line"_s,
            runResolve};
}

} // namespace mojing
