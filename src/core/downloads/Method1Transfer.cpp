#include "Method1Transfer.h"

#include "DownloadSession.h"
#include "FileTypeCorrector.h"
#include "Naming.h"
#include "platform/AnsiCodec.h"
#include "platform/EventPump.h"
#include "platform/FileHelpers.h"
#include "platform/Timing.h"
#include "transfer/HeaderHelpers.h"
#include "transfer/InetControl.h"

#include <QElapsedTimer>
#include <QFile>
#include <QSaveFile>

using namespace Qt::StringLiterals;

namespace mojing {

namespace {

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
    : QObject(parent), m_session(session),
      m_inet(std::make_unique<InetControl>(network, session.context().pump)) {
    connect(m_inet.get(), &InetControl::stateChanged, this, [this](int state) {
        m_session.showStatus(3, stateText(state, m_inet->responseCode(), m_inet->responseInfo()));
    });
}

Method1Transfer::~Method1Transfer() = default;

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

void Method1Transfer::downloadCurrentRow(int row) {
    DownloadListModel& list = m_session.list();
    if (m_inet->stillExecuting() || m_running) {
        list.setState(row, RowState::Waiting);
        list.setSize(row, DownloadListModel::kWaitAgain);
        return;
    }
    downloadRow(row);
}

bool Method1Transfer::downloadRow(int row) {
    DownloadListModel& list = m_session.list();
    if (!list.isValidIndex(row))
        return false;
    AppContext& ctx = m_session.context();
    const Timing& timing = ctx.timing;
    const DownloadOptions& options = m_session.options();
    InetControl& inet = *m_inet;

    const QString url = DownloadListModel::currentUrl(list.at(row).key);
    setupConnection(url);
    m_running = true;
    m_session.showStatus(2, u"正在下载:"_s + list.at(row).name);

    const QString tag = list.at(row).tag;
    const QString headers = u"Referer: "_s + (tag.isEmpty() ? siteRoot(url) : tag) + u"\r\n"_s;
    inet.execute(url, u"GET"_s, QString(), headers);
    ctx.pump.pumpOnce();
    // Waiting for the response headers; the body is read below, chunk by chunk.
    ctx.pump.waitUntil([&inet] { return !inet.stillExecuting() || inet.headersAvailable(); },
                       timing.headerWait);

    bool result = false;
    bool correct = false;
    const QString block = inet.getHeader();
    auto fail = [&](const QString& sizeText) {
        inet.cancel();
        if (!sizeText.isNull())
            list.setSize(row, sizeText);
        list.setState(row, RowState::Failed);
        result = false;
    };

    [&] {
        if (block.isEmpty()) {
            fail(QString());
            return;
        }
        const qint64 size = asNumber(inet.getHeader(u"Content-Length"_s)).value_or(0);
        if (megabytes(size) > options.maxFileSizeMB) {
            inet.cancel();
            list.setState(row, RowState::Finished);
            list.setPercent(row, DownloadListModel::kTooLarge);
            result = true;
            return;
        }

        const HeaderHelpers::ContentType contentType =
            HeaderHelpers::splitContentType(inet.getHeader(u"Content-Type"_s).trimmed());
        QString extension = HeaderHelpers::mimeTypeToExtension(contentType.mimeType);
        const QString disposition = HeaderHelpers::dispositionFromHeader(block);
        const QString dispositionExtension =
            HeaderHelpers::dispositionFileName(disposition, ctx.codec).extension;
        if (extension.isEmpty() && !dispositionExtension.isEmpty())
            extension = dispositionExtension;
        if (extension.isEmpty() && !contentType.charset.isEmpty())
            extension = u"htm"_s;
        const bool success = HeaderHelpers::isSuccessStatus(block);

        list.setName(row, FileHelpers::sanitizeFileName(list.at(row).name, ctx.codec));
        const QString folder = FileHelpers::createFolderPath(list.at(row).folder, ctx.codec, &ctx.prompts);
        list.setFolder(row, FileHelpers::withTrailingSeparator(folder));
        if (!extension.isEmpty())
            list.setType(row, extension);
        if (folder.isEmpty()) {
            // No usable folder: nothing is written anywhere else (such as the file system root).
            fail(DownloadListModel::kFailed);
            return;
        }

        QString path;
        if (options.policy == DuplicatePolicy::Rename) {
            const Naming::TargetChoice choice = Naming::chooseTarget(list.at(row).folder, list.at(row).name,
                                                                     list.at(row).type, options.policy);
            list.setName(row, choice.name);
            path = choice.path;
        } else {
            path = list.filePath(row);
        }

        if (QFile::exists(path)) {
            QFile::remove(path);
            if (QFile::exists(path)) {
                const QString length = QString::number(QFile(path).size());
                list.setSize(row, length);
                list.setReceived(row, length);
                list.setPercent(row, DownloadListModel::kCannotReplace);
                fail(QString());
                return;
            }
        }

        if (size > 0) {
            list.setSize(row, QString::number(size));
        } else if (success) {
            list.setSize(row, DownloadListModel::kUnknown);
        } else {
            result = openUrlFallback(row, path);
            correct = true;
            return;
        }

        // Streaming.
        list.setReceived(row, u"0"_s);
        ctx.pump.pumpOnce();
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        if (!file.exists()) {
            fail(DownloadListModel::kFailed);
            return;
        }
        auto abandon = [&](const QString& sizeText) {
            file.close();
            file.remove();
            fail(sizeText);
        };
        qint64 length = 0;
        qint64 lastProgressMs = timing.nowMs();
        QElapsedTimer sinceYield;
        sinceYield.start();
        for (;;) {
            const QByteArray chunk = inet.getChunk(kChunkBytes, timing.tick);
            // Events run between chunks; from a fast server many chunks arrive within one
            // millisecond, and one turn of the event loop per millisecond keeps the window as
            // responsive while the loop itself no longer dominates the transfer.
            if (sinceYield.elapsed() >= 1) {
                ctx.pump.pumpOnce();
                sinceYield.restart();
            }
            if (!chunk.isEmpty() && file.write(chunk) == chunk.size()) {
                length += chunk.size();
                lastProgressMs = timing.nowMs();
                list.setReceived(row, QString::number(length));
                const auto total = asNumber(list.at(row).size);
                if (total && *total > 0)
                    list.setPercent(row, QString::number(length * 100 / *total) + u'%');
            }
            // Nothing more can arrive once the response has ended and its data has been read.
            const bool stopped = inet.cancelled();
            const bool drained = chunk.isEmpty() && inet.responseEnded() && inet.bytesBuffered() == 0;
            if (size > 0 && length >= size)
                break;
            if (size == 0 && drained && !stopped && !inet.transportFailed())
                break;
            if (size == 0 && megabytes(length) > options.maxFileSizeMB) {
                inet.cancel();
                file.close();
                list.setState(row, RowState::Finished);
                list.setPercent(row, DownloadListModel::kTooLarge);
                result = true;
                return;
            }
            if (stopped) {
                abandon(DownloadListModel::kCancelled);
                return;
            }
            if (drained) {
                // The connection ended before the announced size arrived (or broke off): waiting
                // out the stall limit cannot bring the rest.
                abandon(DownloadListModel::kFailed);
                return;
            }
            if (timing.nowMs() - lastProgressMs > timing.stallLimit.count()) {
                abandon(DownloadListModel::kFailed);
                return;
            }
        }
        file.close();
        list.setState(row, RowState::Finished);
        if (asNumber(list.at(row).received) && list.at(row).size == DownloadListModel::kUnknown) {
            list.setSize(row, list.at(row).received);
            list.setPercent(row, u"100%"_s);
        }
        result = true;
        correct = true;
    }();

    if (correct)
        FileTypeCorrector::correctRowFileType(list, row, ctx.codec);
    finishRow(row);
    m_running = false;
    return result;
}

void Method1Transfer::finishRow(int row) {
    DownloadListModel& list = m_session.list();
    m_inet->cancel();
    m_session.showStatus(2, u"完成下载:"_s + list.at(row).name);
    m_session.markTransferEnded();
    const QString type = list.at(row).type;
    if (isWebType(type, true))
        m_session.playSound(101);
    if (list.at(row).state == RowState::Failed)
        m_session.playSound(103);
    if (m_session.options().siteLogin && isWebType(type, true))
        emit m_session.siteLoginRequested(row);
}

bool Method1Transfer::openUrlFallback(int row, const QString& path) {
    DownloadListModel& list = m_session.list();
    AppContext& ctx = m_session.context();
    list.setSize(row, DownloadListModel::kUnknown);
    while (m_inet->stillExecuting()) {
        m_inet->cancel();
        ctx.pump.pumpOnce();
    }
    ctx.pump.pumpOnce();
    const QByteArray data =
        m_inet->openUrl(DownloadListModel::currentUrl(list.at(row).key), ctx.timing.stallLimit);
    if (!data.isEmpty()) {
        QSaveFile file(path);
        if (file.open(QIODevice::WriteOnly)) {
            file.write(data);
            file.commit();
        }
        list.setSize(row, QString::number(QFile(path).size()));
        list.setReceived(row, QString::number(data.size()));
        list.setPercent(row, u"100%"_s);
        list.setState(row, RowState::Finished);
        return true;
    }
    list.setSize(row, QString());
    list.setReceived(row, QString());
    list.setPercent(row, QString());
    list.setState(row, RowState::Failed);
    return false;
}

} // namespace mojing
