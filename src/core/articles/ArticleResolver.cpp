#include "ArticleResolver.h"

#include "ArticleMetadataReader.h"
#include "RequestPacing.h"
#include "platform/Timing.h"
#include "settings/SettingKeys.h"
#include "settings/SettingsStore.h"
#include "transfer/HeaderHelpers.h"
#include "transfer/NetworkLayer.h"

#include <QNetworkReply>
#include <limits>

using namespace Qt::StringLiterals;

namespace mojing {

namespace {

// The name of a host without the "dx." or "www." that resolvers answer under as well.
QString bareHostName(const QString& host) {
    QString name = host.section(u':', 0, 0).toLower();
    for (const QString& prefix : {u"dx."_s, u"www."_s}) {
        if (name.startsWith(prefix))
            name = name.mid(prefix.size());
    }
    return name;
}

bool isPageType(const QString& mimeType) {
    return mimeType.isEmpty() || mimeType == u"text/html"_s || mimeType == u"application/xhtml+xml"_s;
}

// The extension the address's last segment names, when it names one the lists know.
QString extensionOf(const QUrl& url) {
    if (!ArticleInputParser::namesFile(url))
        return {};
    const QString segment = url.fileName(QUrl::FullyDecoded);
    return segment.mid(segment.lastIndexOf(u'.') + 1);
}

} // namespace

ArticleResolver::ArticleResolver(NetworkLayer& network, RequestPacing& pacing, const Timing& timing,
                                 const AnsiCodec& ansi, QObject* parent)
    : QObject(parent), m_network(network), m_pacing(pacing), m_timing(timing), m_ansi(ansi) {
    m_wake.setSingleShot(true);
    connect(&m_wake, &QTimer::timeout, this, &ArticleResolver::startJobs);
}

ArticleResolver::~ArticleResolver() {
    stop();
}

QString ArticleResolver::storedResolverBase(const SettingsStore& settings) {
    const QString stored = settings.read(SettingKeys::kSectionSettings, SettingKeys::kDoiResolver).trimmed();
    return ArticleInputParser::isResolverBase(stored) ? stored : kDefaultResolver;
}

bool ArticleResolver::isResolverHost(const QString& host) const {
    return bareHostName(host) == bareHostName(m_pacing.hostOf(m_resolverBase));
}

void ArticleResolver::resolve(const std::vector<ArticleInput>& inputs) {
    stop();
    for (const ArticleInput& input : inputs) {
        Job job;
        job.input = input;
        if (input.kind == ArticleInput::Kind::Doi) {
            job.firstAddress = ArticleInputParser::doiAddress(m_resolverBase, input.doi);
            job.url = QUrl::fromEncoded(job.firstAddress.toUtf8());
            job.atResolver = true;
        } else {
            job.firstAddress = input.url;
            job.url = QUrl(input.url);
        }
        job.host = m_pacing.hostOf(job.url.toString(QUrl::FullyEncoded));
        m_jobs.push_back(job);
    }
    m_running = true;
    if (m_jobs.empty()) {
        const quint64 generation = m_generation;
        QTimer::singleShot(0, this, [this, generation] {
            if (generation != m_generation || !m_running)
                return;
            m_running = false;
            emit finished();
        });
        return;
    }
    schedule();
}

void ArticleResolver::stop() {
    ++m_generation;
    m_running = false;
    m_wake.stop();
    for (Job& job : m_jobs) {
        if (QNetworkReply* reply = std::exchange(job.reply, nullptr)) {
            reply->disconnect(this);
            reply->abort();
            reply->deleteLater();
        }
    }
    m_jobs.clear();
    m_busyHosts.clear();
    m_inFlight = 0;
    m_done = 0;
    m_firstOpen = 0;
}

void ArticleResolver::schedule() {
    if (m_scheduled)
        return;
    m_scheduled = true;
    QTimer::singleShot(0, this, [this] {
        m_scheduled = false;
        startJobs();
    });
}

void ArticleResolver::startJobs() {
    if (!m_running)
        return;
    const quint64 generation = m_generation;
    // With a pause between files, articles are fetched one after the other, the pause between.
    const bool oneAtATime = m_pacing.pausesBetweenTransfers();
    qint64 wakeIn = 0;
    auto wakeAfter = [&wakeIn](qint64 ms) {
        if (wakeIn == 0 || ms < wakeIn)
            wakeIn = ms;
    };
    // Long lists: the inputs already through at the front are not looked at again.
    while (m_firstOpen < m_jobs.size() && m_jobs[m_firstOpen].done)
        ++m_firstOpen;
    for (size_t i = m_firstOpen; i < m_jobs.size(); ++i) {
        Job& job = m_jobs[i];
        if (job.done || job.reply)
            continue;
        if (job.input.kind == ArticleInput::Kind::FileAddress) {
            // Its address says what it is: nothing to ask.
            finishJob(i, file(job, job.url, {}), false);
            if (generation != m_generation)
                return;
            continue;
        }
        if (m_inFlight >= kMaxParallel)
            break;
        if (const qint64 rest = m_pacing.msUntilHostReady(job.host); rest > 0) {
            wakeAfter(rest);
            continue;
        }
        if (m_busyHosts.contains(job.host))
            continue; // the end of that host's request comes back here
        if (!job.started) {
            if (oneAtATime && m_inFlight > 0)
                continue; // its end comes back here
            if (const qint64 wait = m_pacing.msUntilNextTransfer(); wait > 0) {
                wakeAfter(wait);
                continue;
            }
        }
        send(i);
        if (generation != m_generation)
            return;
    }
    if (wakeIn > 0)
        m_wake.start(int(std::min<qint64>(wakeIn, std::numeric_limits<int>::max())));
}

void ArticleResolver::send(size_t index) {
    Job& job = m_jobs[index];
    job.started = true;
    job.decision = Decision::None;
    job.body.clear();
    job.contentType.clear();
    QNetworkReply* reply = m_network.getWithoutRedirects(
        job.url, {{"Accept", "text/html,application/xhtml+xml,application/xml;q=0.9,*/*;q=0.8"}});
    if (!reply) {
        finishJob(index, failed(job, ResolvedArticle::kNoAnswer), true);
        return;
    }
    job.reply = reply;
    m_busyHosts.insert(job.host);
    ++m_inFlight;
    // A server that stalls gets as long as a page has to load.
    auto* limit = new QTimer(reply);
    limit->setSingleShot(true);
    connect(limit, &QTimer::timeout, reply, &QNetworkReply::abort);
    limit->start(int(m_timing.pageLoadLimit.count()));
    connect(reply, &QNetworkReply::metaDataChanged, this, [this, index, reply] { onHeaders(index, reply); });
    connect(reply, &QNetworkReply::readyRead, this, [this, index, reply] { onData(index, reply); });
    connect(reply, &QNetworkReply::finished, this, [this, index, reply] { onFinished(index, reply); });
}

void ArticleResolver::onHeaders(size_t index, QNetworkReply* reply) {
    Job& job = m_jobs[index];
    if (job.reply != reply || job.decision != Decision::None)
        return;
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (status == 0)
        return;
    // Every answer but a page is decided on its headers; its body is not wanted. Redirects and
    // files are cut short (the abort finishes the reply, perhaps at once: nothing of the job is
    // touched after it); an error answer ends by itself, as the network layer reports an HTTP
    // error only once.
    if (status >= 300 && status < 400) {
        const QByteArray location = reply->rawHeader("Location").trimmed();
        if (location.isEmpty()) {
            job.decision = Decision::Failed;
            job.failure = ResolvedArticle::kNoAnswer;
        } else {
            job.decision = Decision::Redirect;
            job.redirectTarget = reply->url().resolved(QUrl::fromEncoded(location));
        }
        reply->abort();
        return;
    }
    if (HeaderHelpers::asksForPause(status)) {
        job.decision = Decision::Pause;
        m_pacing.hostAskedForPause(job.host, QString::fromLatin1(reply->rawHeader("Retry-After")));
        return;
    }
    if (status < 200 || status >= 400) {
        job.decision = Decision::Failed;
        job.failure = job.atResolver && (status == 404 || status == 410) ? ResolvedArticle::kUnknownDoi
                                                                         : ResolvedArticle::kNoAnswer;
        return;
    }
    job.contentType = reply->header(QNetworkRequest::ContentTypeHeader).toString();
    if (isPageType(job.contentType.section(u';', 0, 0).trimmed().toLower())) {
        job.decision = Decision::Page;
        return;
    }
    job.decision = Decision::File;
    reply->abort();
}

void ArticleResolver::onData(size_t index, QNetworkReply* reply) {
    Job& job = m_jobs[index];
    if (job.reply != reply)
        return;
    if (job.decision != Decision::Page) {
        reply->readAll();
        return;
    }
    job.body += reply->readAll();
    // The metadata stands in the head; a page beyond this size is read as far as it came.
    if (job.body.size() > kMaxPageBytes)
        reply->abort();
}

void ArticleResolver::onFinished(size_t index, QNetworkReply* reply) {
    Job& job = m_jobs[index];
    if (job.reply != reply)
        return;
    job.reply = nullptr;
    reply->disconnect(this);
    reply->deleteLater();
    m_busyHosts.remove(job.host);
    --m_inFlight;
    switch (job.decision) {
    case Decision::None:
        // No answer at all: refused, timed out, or the connection broke before the headers.
        finishJob(index, failed(job, ResolvedArticle::kNoAnswer), true);
        return;
    case Decision::Failed:
        finishJob(index, failed(job, job.failure), true);
        return;
    case Decision::Redirect:
        if (!followTo(job, job.redirectTarget)) {
            finishJob(index, failed(job, ResolvedArticle::kNoAnswer), true);
            return;
        }
        schedule();
        return;
    case Decision::Pause:
        if (job.pauseRetries++ >= kPauseRetries) {
            finishJob(index, failed(job, ResolvedArticle::kNoAnswer), true);
            return;
        }
        schedule(); // the host's rest holds the job back
        return;
    case Decision::File:
        finishJob(index, file(job, reply->url(), job.contentType), true);
        return;
    case Decision::Page:
        if (reply->error() == QNetworkReply::NoError)
            job.body += reply->readAll();
        if (job.body.isEmpty()) {
            finishJob(index, failed(job, ResolvedArticle::kNoAnswer), true);
            return;
        }
        finishPage(index, reply->url());
        return;
    }
}

bool ArticleResolver::followTo(Job& job, const QUrl& target) {
    if (job.hops >= kMaxHops || !NetworkLayer::isAllowedScheme(target) || target.host().isEmpty())
        return false;
    ++job.hops;
    job.url = target;
    job.host = m_pacing.hostOf(target.toString(QUrl::FullyEncoded));
    job.atResolver = job.atResolver && isResolverHost(job.host);
    job.decision = Decision::None;
    return true;
}

void ArticleResolver::finishPage(size_t index, const QUrl& pageUrl) {
    Job& job = m_jobs[index];
    // A server that sends a PDF as a web page.
    if (job.body.startsWith("%PDF-")) {
        finishJob(index, file(job, pageUrl, u"application/pdf"_s), true);
        return;
    }
    const QString pageAddress = pageUrl.toString(QUrl::FullyEncoded);
    const ArticlePage page = ArticleMetadataReader::readPage(job.body, job.contentType, pageAddress, m_ansi);
    job.body.clear();
    // Some landing pages send their readers on with a refresh element instead of a redirect.
    if (page.pdfUrl.isEmpty() && !page.hasCitationTitle && !page.refreshUrl.isEmpty() &&
        page.refreshUrl != pageAddress && followTo(job, QUrl(page.refreshUrl))) {
        schedule();
        return;
    }
    ResolvedArticle result;
    result.input = job.input;
    result.article = page.article;
    if (result.article.doi.isEmpty())
        result.article.doi = job.input.doi;
    if (page.pdfUrl.isEmpty()) {
        result.outcome = ResolvedArticle::Outcome::Failed;
        result.failure = ResolvedArticle::kNoPdf;
        result.address = job.firstAddress;
    } else {
        result.outcome = ResolvedArticle::Outcome::Article;
        result.address = page.pdfUrl;
    }
    finishJob(index, result, true);
}

void ArticleResolver::finishJob(size_t index, const ResolvedArticle& result, bool transferred) {
    m_jobs[index].done = true;
    if (transferred)
        m_pacing.transferEnded();
    ++m_done;
    const quint64 generation = m_generation;
    emit resolved(int(index), result);
    if (generation != m_generation)
        return; // stopped or replaced meanwhile
    if (m_done == int(m_jobs.size())) {
        m_running = false;
        m_wake.stop();
        emit finished();
        return;
    }
    schedule();
}

ResolvedArticle ArticleResolver::failed(const Job& job, const QString& text) const {
    ResolvedArticle result;
    result.input = job.input;
    result.outcome = ResolvedArticle::Outcome::Failed;
    result.failure = text;
    result.address = job.firstAddress;
    result.article.doi = job.input.doi;
    return result;
}

ResolvedArticle ArticleResolver::file(const Job& job, const QUrl& servedFrom,
                                      const QString& contentType) const {
    ResolvedArticle result;
    result.input = job.input;
    result.outcome = ResolvedArticle::Outcome::File;
    result.address = job.firstAddress;
    result.servedFrom = servedFrom.toString(QUrl::FullyEncoded);
    result.article.doi = job.input.doi;
    result.fileType = extensionOf(servedFrom);
    if (result.fileType.isEmpty())
        result.fileType = HeaderHelpers::mimeTypeToExtension(contentType.section(u';', 0, 0).trimmed());
    return result;
}

} // namespace mojing
