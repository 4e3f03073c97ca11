#pragma once

#include "ResolvedArticle.h"

#include <QByteArray>
#include <QObject>
#include <QSet>
#include <QString>
#include <QTimer>
#include <QUrl>
#include <vector>

class QNetworkReply;

namespace mojing {

class AnsiCodec;
class NetworkLayer;
class RequestPacing;
class SettingsStore;
struct Timing;

// Turns inputs into articles: a DOI is asked of the DOI resolver and followed to its article
// page, a page address is read as an article page (or, when its answer is not a web page, taken
// as a file), a file address is taken as it is. Requests go out with the program's cookies, follow
// redirects (at most kMaxHops, to http and https only), and are paced like the downloads: at most
// one request per host at a time (kMaxParallel in all), with a pause between files one article
// after the other and the pause between them, nothing to a host that asked for a rest (a 429 or
// 503 answer is asked again after it, kPauseRetries times).
//
// Every step is driven by the network's signals; nothing waits inside a call.
class ArticleResolver : public QObject {
    Q_OBJECT
public:
    static constexpr int kMaxHops = 10;
    static constexpr int kMaxParallel = 4;
    static constexpr int kPauseRetries = 2;
    static constexpr qint64 kMaxPageBytes = 8 * 1024 * 1024;
    static inline const QString kDefaultResolver = QStringLiteral("https://doi.org/");

    ArticleResolver(NetworkLayer& network, RequestPacing& pacing, const Timing& timing, const AnsiCodec& ansi,
                    QObject* parent = nullptr);
    ~ArticleResolver() override;

    // The DOI resolver's address (the DOI is appended to it).
    void setResolverBase(const QString& base) { m_resolverBase = base; }
    QString resolverBase() const { return m_resolverBase; }
    // The setting "DOI解析地址", or the default when it is not an http(s) address.
    static QString storedResolverBase(const SettingsStore& settings);

    // Starts resolving `inputs` (a run still going is stopped first). resolved() reports each
    // input by its position once, finished() follows the last; an empty list finishes at once
    // (from the event loop).
    void resolve(const std::vector<ArticleInput>& inputs);
    // Abandons every input not resolved yet; nothing more is reported.
    void stop();
    bool isRunning() const { return m_running; }
    int total() const { return int(m_jobs.size()); }
    int doneCount() const { return m_done; }

signals:
    void resolved(int index, const mojing::ResolvedArticle& result);
    void finished();

private:
    // What a request's answer asked for, decided when its headers arrived.
    enum class Decision { None, Redirect, Pause, Page, File, Failed };

    struct Job {
        ArticleInput input;
        QString firstAddress; // what was asked first: the address, or the DOI at the resolver
        QUrl url;             // the next (or running) request
        QString host;
        int hops = 0;
        int pauseRetries = 0;
        bool started = false;    // its first request went out (the pause between files is behind it)
        bool atResolver = false; // the request goes to the DOI resolver: a 404 means an unknown DOI
        bool done = false;
        QNetworkReply* reply = nullptr;
        Decision decision = Decision::None;
        QUrl redirectTarget;
        QString failure;
        QString contentType;
        QByteArray body;
    };

    void schedule();
    void startJobs();
    void send(size_t index);
    void onHeaders(size_t index, QNetworkReply* reply);
    void onData(size_t index, QNetworkReply* reply);
    void onFinished(size_t index, QNetworkReply* reply);
    // The next hop of the job goes to `target`; false when it may not (too many hops, not http).
    bool followTo(Job& job, const QUrl& target);
    void finishPage(size_t index, const QUrl& pageUrl);
    void finishJob(size_t index, const ResolvedArticle& result, bool transferred);
    ResolvedArticle failed(const Job& job, const QString& text) const;
    ResolvedArticle file(const Job& job, const QUrl& servedFrom, const QString& contentType) const;
    bool isResolverHost(const QString& host) const;

    NetworkLayer& m_network;
    RequestPacing& m_pacing;
    const Timing& m_timing;
    const AnsiCodec& m_ansi;
    QString m_resolverBase = kDefaultResolver;
    std::vector<Job> m_jobs;
    QSet<QString> m_busyHosts;
    int m_inFlight = 0;
    int m_done = 0;
    size_t m_firstOpen = 0; // every job before it is done
    bool m_running = false;
    bool m_scheduled = false;
    quint64 m_generation = 0; // changes when a run is stopped or replaced
    QTimer m_wake;
};

} // namespace mojing
