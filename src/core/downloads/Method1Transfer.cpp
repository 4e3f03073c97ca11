#include "Method1Transfer.h"

#include "DownloadSession.h"
#include "FileTypeCorrector.h"
#include "Naming.h"
#include "RowFiles.h"
#include "platform/AnsiCodec.h"
#include "platform/FileHelpers.h"
#include "platform/Timing.h"
#include "transfer/HeaderHelpers.h"
#include "transfer/InetControl.h"
#include "transfer/PartFile.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace mojing {

namespace {

// Chunks are read for at most this long before the event loop gets its turn again: from a fast
// server many chunks are waiting, and one turn per chunk would make the loop, not the network,
// the limit, while a longer slice would make the window stutter.
constexpr qint64 kReadSliceMs = 4;

bool isWebType(const QString& type, bool withXml) {
    return type.compare(u"htm"_s, Qt::CaseInsensitive) == 0 ||
           type.compare(u"html"_s, Qt::CaseInsensitive) == 0 ||
           (withXml && type.compare(u"xml"_s, Qt::CaseInsensitive) == 0);
}

std::optional<qint64> asNumber(const QString& text) {
    bool ok = false;
    const qint64 value = text.trimmed().toLongLong(&ok);
    return ok ? std::optional<qint64>(value) : std::nullopt;
}

double megabytes(qint64 bytes) {
    return double(bytes) / 1024.0 / 1024.0;
}

} // namespace

Method1Transfer::Method1Transfer(DownloadSession& session, NetworkLayer& network, QObject* parent)
    : QObject(parent), m_session(session), m_inet(std::make_unique<InetControl>(network)) {
    InetControl* inet = m_inet.get();
    connect(inet, &InetControl::stateChanged, this, [this](int state) {
        m_session.showStatus(3, stateText(state, m_inet->responseCode(), m_inet->responseInfo()));
    });
    // The checks run from the event loop, never inside the network's own signal.
    connect(inet, &InetControl::headersArrived, this, [this] {
        if (m_phase == Phase::Headers)
            post(&Method1Transfer::onHeaders);
    });
    connect(inet, &InetControl::responseFinished, this, [this] {
        if (m_phase == Phase::Headers)
            post(&Method1Transfer::onHeaders);
        else if (m_phase == Phase::Streaming)
            scheduleRead();
    });
    connect(inet, &InetControl::bodyDataArrived, this, [this] {
        if (m_phase == Phase::Streaming)
            scheduleRead();
        else if (m_phase == Phase::Fallback)
            m_lastProgressMs = m_session.context().timing.nowMs();
    });
    connect(inet, &InetControl::openUrlFinished, this, [this](const QByteArray& body) {
        if (m_phase == Phase::Fallback)
            onFallbackBody(body);
    });
    m_headerTimer.setSingleShot(true);
    connect(&m_headerTimer, &QTimer::timeout, this, [this] {
        if (m_phase == Phase::Headers)
            onHeaders(); // the wait is over: whatever headers arrived decide
    });
    m_stallTimer.setInterval(int(session.context().timing.tick.count()));
    connect(&m_stallTimer, &QTimer::timeout, this, &Method1Transfer::onStallCheck);
}

Method1Transfer::~Method1Transfer() {
    // Nothing is reported any more: the session and the scheduler may be going too.
    ++m_generation;
    m_headerTimer.stop();
    m_stallTimer.stop();
    m_inet->disconnect(this);
    m_inet->cancel();
    m_part.reset(); // removes the part
}

QString Method1Transfer::siteRoot(const QString& url) {
    const qsizetype scheme = url.indexOf(u"://"_s);
    if (scheme >= 0) {
        const qsizetype slash = url.indexOf(u'/', scheme + 3);
        return slash < 0 ? url : url.left(slash);
    }
    const qsizetype slash = url.indexOf(u'/');
    return slash > 2 ? url.left(slash) : url;
}

QString Method1Transfer::stateText(int state, int responseCode, const QString& responseInfo) {
    const QString error = QString::number(responseCode) + u':' + responseInfo;
    switch (state) {
    case 0:
        return u"0 无状态可报告。"_s;
    case 1:
        return u"1 正在查询所指定的主机的 IP 地址..."_s;
    case 2:
        return u"2 已成功地找到所指定的主机的 IP 地址。"_s;
    case 3:
        return u"3 正在与主机连接..."_s;
    case 4:
        return u"4 已与主机连接成功。"_s;
    case 5:
        return u"5 正在向主机发送请求..."_s;
    case 6:
        return u"6 发送请求已成功。"_s;
    case 7:
        return u"7 正在接收主机的响应..."_s;
    case 8:
        return u"8 已成功地接收到主机的响应。"_s;
    case 9:
        return u"9 正在解除与主机的连接..."_s;
    case 10:
        return u"10 已成功地与主机解除了连接。"_s;
    case 11:
        return u"11 与主机通讯时出现了错误:"_s + error;
    case 12:
        return u"12 该请求已经完成，并且所有数据均已接收到。"_s;
    default:
        return error;
    }
}

void Method1Transfer::setupConnection(const QString& url) {
    const DownloadOptions& options = m_session.options();
    InetControl& inet = *m_inet;
    if (options.proxyEnabled) {
        inet.accessType = 2;
        if (const auto port = asNumber(options.proxyPort))
            inet.remotePort = int(*port);
        inet.proxy = options.proxyHost + u':' + options.proxyPort;
    } else {
        inet.accessType = 0;
        inet.proxy.clear();
        const qsizetype slash = url.indexOf(u'/', 8);
        inet.remotePort = 80;
        if (slash > 8) {
            const QStringList hostPort = url.mid(8, slash - 8).split(u':');
            if (hostPort.size() == 2) {
                if (const auto port = asNumber(hostPort.at(1)))
                    inet.remotePort = int(*port);
            }
        }
    }
    if (url.left(8).toLower() == u"https://"_s) {
        inet.protocol = 5;
        inet.remotePort = 443;
    } else {
        inet.protocol = 4;
    }
}

void Method1Transfer::post(void (Method1Transfer::*step)()) {
    QTimer::singleShot(0, this, [this, step, generation = m_generation] {
        if (generation == m_generation)
            (this->*step)();
    });
}

void Method1Transfer::downloadCurrentRow(int row) {
    if (m_inet->stillExecuting() || isRunning()) {
        // The transfer that holds the channel reports its own end.
        DownloadListModel& list = m_session.list();
        list.setState(row, RowState::Waiting);
        list.setSize(row, DownloadListModel::kWaitAgain);
        return;
    }
    downloadRow(row);
}

void Method1Transfer::downloadRow(int row) {
    DownloadListModel& list = m_session.list();
    if (!list.isValidIndex(row)) {
        emit rowFinished(row, false);
        return;
    }
    ++m_generation;
    m_row = row;
    m_readQueued = false;
    m_size = 0;
    m_length = 0;
    m_path.clear();
    m_resumeInfo.reset();
    m_phase = Phase::Headers;

    const QString url = DownloadListModel::currentUrl(list.at(row).key);
    m_outcome = RowOutcome();
    m_outcome.row = row;
    m_outcome.requestedUrl = url;
    setupConnection(url);
    m_session.showStatus(2, u"正在下载:"_s + list.at(row).name);
    const QString tag = list.at(row).tag;
    QString headers = u"Referer: "_s + (tag.isEmpty() ? siteRoot(url) : tag) + u"\r\n"_s;
    m_kept = KeptParts::find(list.at(row).folder, url);
    if (m_kept) {
        for (const auto& [name, value] : KeptParts::rangeHeaders(*m_kept))
            headers += QString::fromLatin1(name) + u": "_s + QString::fromUtf8(value) + u"\r\n"_s;
    }
    m_headerTimer.start(int(m_session.context().timing.headerWait.count()));
    m_inet->execute(url, u"GET"_s, QString(), headers);
}

void Method1Transfer::onHeaders() {
    if (m_phase != Phase::Headers)
        return;
    m_headerTimer.stop();
    DownloadListModel& list = m_session.list();
    if (!list.isValidIndex(m_row)) {
        fail(QString());
        return;
    }
    AppContext& ctx = m_session.context();
    const DownloadOptions& options = m_session.options();
    InetControl& inet = *m_inet;
    const int row = m_row;

    const QString block = inet.getHeader();
    if (block.isEmpty()) {
        fail(QString());
        return;
    }
    const int status = HeaderHelpers::statusCode(block);
    m_outcome.httpStatus = status;
    m_outcome.finalUrl = inet.finalUrl();
    m_outcome.contentType = inet.getHeader(u"Content-Type"_s);
    if (HeaderHelpers::asksForPause(status)) {
        // Nothing of the answer is written; a part kept earlier waits for the attempt after the
        // pause.
        m_outcome.retryAfter = inet.getHeader(u"Retry-After"_s);
        fail(DownloadListModel::kServerPause);
        return;
    }
    qint64 size = asNumber(inet.getHeader(u"Content-Length"_s)).value_or(0);
    bool resumed = false;
    if (m_kept) {
        resumed = status == 206 && KeptParts::continues(*m_kept, inet.getHeader(u"Content-Range"_s),
                                                        inet.getHeader(u"ETag"_s));
        if (resumed) {
            size = m_kept->info.total; // the whole file's length, not the rest's
            m_resumeInfo = m_kept->info;
        } else {
            // A 200 brings the whole file anew; any other answer is not the rest of this part.
            KeptParts::discard(*m_kept);
            m_kept.reset();
            if (status == 206) {
                fail(DownloadListModel::kFailed);
                return;
            }
        }
    }
    if (!resumed) {
        m_resumeInfo = KeptParts::fromResponse(DownloadListModel::currentUrl(list.at(row).key),
                                               inet.getHeader(u"Accept-Ranges"_s), inet.getHeader(u"ETag"_s),
                                               inet.getHeader(u"Last-Modified"_s), size);
    }
    if (megabytes(size) > options.maxFileSizeMB) {
        if (m_kept)
            KeptParts::discard(*m_kept);
        m_kept.reset();
        inet.cancel();
        list.setState(row, RowState::Finished);
        list.setPercent(row, DownloadListModel::kTooLarge);
        finish(true, false);
        return;
    }

    const HeaderHelpers::ContentType contentType =
        HeaderHelpers::splitContentType(inet.getHeader(u"Content-Type"_s).trimmed());
    QString extension = HeaderHelpers::mimeTypeToExtension(contentType.mimeType);
    const QString disposition = HeaderHelpers::dispositionFromHeader(block);
    const QString dispositionExtension = HeaderHelpers::dispositionFileName(disposition, ctx.codec).extension;
    if (extension.isEmpty() && !dispositionExtension.isEmpty())
        extension = dispositionExtension;
    if (extension.isEmpty() && !contentType.charset.isEmpty())
        extension = u"htm"_s;
    const bool success = HeaderHelpers::isSuccessStatus(block) || resumed;

    list.setName(row, FileHelpers::sanitizeFileName(list.at(row).name, ctx.codec));
    const quint64 generation = m_generation;
    // May ask the user (a modal message), during which Stop or a close can end this transfer.
    const QString folder = FileHelpers::createFolderPath(list.at(row).folder, ctx.codec, &ctx.prompts);
    if (generation != m_generation)
        return;
    list.setFolder(row, FileHelpers::withTrailingSeparator(folder));
    if (!extension.isEmpty())
        list.setType(row, extension);
    if (folder.isEmpty()) {
        // No usable folder: nothing is written anywhere else (such as the file system root).
        fail(DownloadListModel::kFailed);
        return;
    }

    if (options.policy == DuplicatePolicy::Rename) {
        const Naming::TargetChoice choice =
            Naming::chooseTarget(list.at(row).folder, list.at(row).name, list.at(row).type, options.policy);
        list.setName(row, choice.name);
        m_path = choice.path;
    } else {
        m_path = list.filePath(row);
    }

    // An existing file is overwritten only by the whole new one, renamed over it at the end; one
    // that could not be replaced then fails the row now, before any of the body is fetched.
    if ((QFileInfo::exists(m_path) || QFileInfo(m_path).isSymLink()) && !PartFile::canReplace(m_path)) {
        const QString length = QString::number(QFileInfo(m_path).size());
        list.setSize(row, length);
        list.setReceived(row, length);
        list.setPercent(row, DownloadListModel::kCannotReplace);
        fail(QString());
        return;
    }

    m_size = size;
    if (size > 0) {
        list.setSize(row, QString::number(size));
    } else if (success) {
        list.setSize(row, DownloadListModel::kUnknown);
    } else {
        startFallback();
        return;
    }
    startStreaming();
}

void Method1Transfer::startStreaming() {
    DownloadListModel& list = m_session.list();
    list.setReceived(m_row, u"0"_s);
    m_part = std::make_unique<PartFile>(m_path);
    // A resumed row appends to the part an earlier attempt kept.
    const bool opened = m_kept ? KeptParts::take(*m_kept, *m_part) : m_part->open();
    m_kept.reset();
    if (!opened) {
        fail(DownloadListModel::kFailed);
        return;
    }
    m_phase = Phase::Streaming;
    m_length = m_part->size();
    list.setReceived(m_row, QString::number(m_length));
    if (m_size > 0 && m_length > 0)
        list.setPercent(m_row, QString::number(m_length * 100 / m_size) + u'%');
    m_lastProgressMs = m_session.context().timing.nowMs();
    m_stallTimer.start();
    scheduleRead(); // part of the body may be waiting already
}

void Method1Transfer::scheduleRead() {
    if (m_readQueued)
        return;
    m_readQueued = true;
    QTimer::singleShot(0, this, [this, generation = m_generation] {
        if (generation != m_generation)
            return;
        m_readQueued = false;
        if (m_phase == Phase::Streaming)
            readChunks();
    });
}

void Method1Transfer::readChunks() {
    DownloadListModel& list = m_session.list();
    if (!list.isValidIndex(m_row)) {
        abandon(QString());
        return;
    }
    const Timing& timing = m_session.context().timing;
    const double maxMB = m_session.options().maxFileSizeMB;
    InetControl& inet = *m_inet;
    // The row learns what the file has grown to once per slice: nothing else runs between the
    // chunks of one slice, so it reads as if it were written after every chunk, without turning
    // a number into text (and the size back into a number) for every 2048 bytes.
    const qint64 lengthBefore = m_length;
    const std::optional<qint64> total = asNumber(list.at(m_row).size);
    auto showProgress = [&] {
        if (m_length == lengthBefore)
            return;
        m_lastProgressMs = timing.nowMs();
        list.setReceived(m_row, QString::number(m_length));
        if (total && *total > 0)
            list.setPercent(m_row, QString::number(m_length * 100 / *total) + u'%');
    };
    QElapsedTimer slice;
    slice.start();
    for (int chunks = 1;; ++chunks) {
        const QByteArray chunk = inet.getChunk(kChunkBytes);
        if (!chunk.isEmpty()) {
            if (!m_part->write(chunk)) {
                showProgress();
                abandon(DownloadListModel::kFailed); // the disk refuses more
                return;
            }
            m_length += chunk.size();
        }
        // Nothing more can arrive once the response has ended and its data has been read.
        const bool drained = chunk.isEmpty() && inet.responseEnded() && inet.bytesBuffered() == 0;
        if (m_size > 0 && m_length >= m_size) {
            showProgress();
            completeStream();
            return;
        }
        if (m_size == 0 && drained && !inet.transportFailed()) {
            showProgress();
            completeStream();
            return;
        }
        if (m_size == 0 && megabytes(m_length) > maxMB) {
            // Skipped, like a file announced as too large: no part of it stays to be taken for
            // the file by a later run.
            showProgress();
            inet.cancel();
            m_part.reset();
            list.setState(m_row, RowState::Finished);
            list.setPercent(m_row, DownloadListModel::kTooLarge);
            finish(true, false);
            return;
        }
        if (drained) {
            // The connection ended before the announced size arrived (or broke off): waiting
            // out the stall limit cannot bring the rest.
            showProgress();
            abandon(DownloadListModel::kFailed, true);
            return;
        }
        if (chunk.isEmpty()) {
            showProgress();
            return; // the next arrival continues
        }
        // The clock is read every 16 chunks (32 KB): often enough for the slice, rarely enough
        // not to cost more than the chunk.
        if (chunks % 16 == 0 && slice.elapsed() >= kReadSliceMs) {
            showProgress();
            scheduleRead(); // the event loop's turn
            return;
        }
    }
}

void Method1Transfer::completeStream() {
    DownloadListModel& list = m_session.list();
    if (!m_part->flush()) {
        abandon(DownloadListModel::kFailed);
        return;
    }
    const QString problem = RowFiles::wholeFileProblem(m_part->temporaryPath(), m_session.context().codec);
    if (!problem.isEmpty()) {
        abandon(problem); // nothing of it goes under the file's name
        return;
    }
    const bool placed = m_part->commit();
    m_part.reset();
    if (!placed) {
        fail(DownloadListModel::kFailed);
        return;
    }
    list.setOwned(m_row, RowFiles::describe(m_path));
    list.setState(m_row, RowState::Finished);
    if (asNumber(list.at(m_row).received) && list.at(m_row).size == DownloadListModel::kUnknown) {
        list.setSize(m_row, list.at(m_row).received);
        list.setPercent(m_row, u"100%"_s);
    }
    finish(true, true);
}

void Method1Transfer::startFallback() {
    m_phase = Phase::Fallback;
    m_session.list().setSize(m_row, DownloadListModel::kUnknown);
    m_inet->cancel();
    m_lastProgressMs = m_session.context().timing.nowMs();
    m_stallTimer.start();
    m_inet->openUrl(DownloadListModel::currentUrl(m_session.list().at(m_row).key));
}

void Method1Transfer::onFallbackBody(const QByteArray& body) {
    DownloadListModel& list = m_session.list();
    const int row = m_row;
    if (!list.isValidIndex(row)) {
        fail(QString());
        return;
    }
    if (body.isEmpty()) {
        list.setSize(row, QString());
        list.setReceived(row, QString());
        list.setPercent(row, QString());
        fail(QString());
        return;
    }
    PartFile file(m_path);
    if (!file.open() || !file.write(body) || !file.flush()) {
        // What arrived could not be written: the row is no finished file.
        list.setReceived(row, QString());
        list.setPercent(row, QString());
        fail(DownloadListModel::kFailed);
        return;
    }
    const QString problem = RowFiles::wholeFileProblem(file.temporaryPath(), m_session.context().codec);
    if (!problem.isEmpty() || !file.commit()) {
        list.setReceived(row, QString());
        list.setPercent(row, QString());
        fail(problem.isEmpty() ? DownloadListModel::kFailed : problem);
        return;
    }
    list.setOwned(row, RowFiles::describe(m_path));
    list.setSize(row, QString::number(QFileInfo(m_path).size()));
    list.setReceived(row, QString::number(body.size()));
    list.setPercent(row, u"100%"_s);
    list.setState(row, RowState::Finished);
    finish(true, true);
}

void Method1Transfer::onStallCheck() {
    const Timing& timing = m_session.context().timing;
    if (timing.nowMs() - m_lastProgressMs <= timing.stallLimit.count())
        return;
    if (m_phase == Phase::Streaming) {
        abandon(DownloadListModel::kFailed, true);
    } else if (m_phase == Phase::Fallback) {
        m_inet->cancel();
        onFallbackBody({});
    }
}

void Method1Transfer::cancel() {
    m_inet->cancel();
    switch (m_phase) {
    case Phase::Idle:
        return;
    case Phase::Headers:
        // Stopped rows start over: nothing is kept for them.
        if (m_kept)
            KeptParts::discard(*m_kept);
        m_kept.reset();
        fail(QString());
        return;
    case Phase::Streaming:
        abandon(DownloadListModel::kCancelled);
        return;
    case Phase::Fallback:
        onFallbackBody({});
        return;
    }
}

void Method1Transfer::abandon(const QString& sizeText, bool keepable) {
    if (keepable && m_part && m_resumeInfo && m_part->size() > 0 && m_part->size() < m_resumeInfo->total)
        KeptParts::keep(*m_part, *m_resumeInfo);
    m_part.reset(); // removes what arrived, unless it was kept
    fail(sizeText);
}

void Method1Transfer::fail(const QString& sizeText) {
    m_inet->cancel();
    DownloadListModel& list = m_session.list();
    if (list.isValidIndex(m_row)) {
        if (!sizeText.isNull())
            list.setSize(m_row, sizeText);
        list.setState(m_row, RowState::Failed);
    }
    finish(false, false);
}

void Method1Transfer::finish(bool ok, bool correctType) {
    const int row = m_row;
    ++m_generation; // steps still queued for this transfer do nothing
    m_phase = Phase::Idle;
    m_readQueued = false;
    m_headerTimer.stop();
    m_stallTimer.stop();
    m_part.reset();
    m_kept.reset(); // what was not taken stays in the folder for the next attempt
    m_inet->cancel();
    DownloadListModel& list = m_session.list();
    if (list.isValidIndex(row)) {
        if (correctType) {
            FileTypeCorrector::correctRowFileType(list, row, m_session.context().codec);
            // A server's error page is kept as the row's web page, and says so where the size goes.
            if (list.at(row).state == RowState::Finished &&
                DownloadListModel::isErrorPageStatus(m_outcome.httpStatus))
                list.setSize(row, DownloadListModel::errorPageText(m_outcome.httpStatus));
        }
        m_session.showStatus(2, u"完成下载:"_s + list.at(row).name);
        m_session.markTransferEnded();
        const QString type = list.at(row).type;
        if (isWebType(type, true))
            m_session.playSound(101);
        if (list.at(row).state == RowState::Failed)
            m_session.playSound(103);
        if (m_session.options().siteLogin && isWebType(type, true))
            emit m_session.siteLoginRequested(row);
        m_session.reportRowEnded(m_outcome);
    }
    emit rowFinished(row, ok);
}

} // namespace mojing
