#include "Method2Slots.h"

#include "DownloadSession.h"
#include "FileTypeCorrector.h"
#include "RowFiles.h"
#include "transfer/Downloader.h"
#include "transfer/KeptParts.h"
#include "transfer/PartFile.h"

#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace mojing {

namespace {
bool isWebType(const QString& type) {
    return type.compare(u"htm"_s, Qt::CaseInsensitive) == 0 ||
           type.compare(u"html"_s, Qt::CaseInsensitive) == 0;
}
} // namespace

Method2Slots::Method2Slots(DownloadSession& session, NetworkLayer& network, QObject* parent)
    : QObject(parent), m_session(session), m_network(network) {}

Method2Slots::~Method2Slots() {
    unloadAll();
}

bool Method2Slots::isBusy(int slot) const {
    return slot >= 1 && slot <= kMaxSlots && m_slots[size_t(slot)];
}

int Method2Slots::freeSlot(int slotCount) const {
    for (int slot = 1; slot <= std::min(slotCount, kMaxSlots); ++slot) {
        if (!isBusy(slot))
            return slot;
    }
    return 0;
}

int Method2Slots::busyCount() const {
    int n = 0;
    for (int slot = 1; slot <= kMaxSlots; ++slot)
        n += isBusy(slot) ? 1 : 0;
    return n;
}

Downloader* Method2Slots::downloader(int slot) const {
    return isBusy(slot) ? m_slots[size_t(slot)] : nullptr;
}

void Method2Slots::startDownload(int slot, int row, const QString& url, const QString& path) {
    if (slot < 1 || slot > kMaxSlots)
        return;
    unload(slot);
    AppContext& ctx = m_session.context();
    DownloadListModel& list = m_session.list();
    const QFileInfo existing(path);
    if ((existing.exists() || existing.isSymLink()) && !PartFile::canReplace(path)) {
        // The old file stays until the new one replaces it whole; one that could not be replaced
        // then fails the row before anything is fetched.
        const QString length = QString::number(existing.size());
        list.setState(row, RowState::Failed);
        list.setSize(row, length);
        list.setReceived(row, length);
        list.setPercent(row, DownloadListModel::kCannotReplace);
        m_session.markTransferEnded();
        RowOutcome outcome;
        outcome.row = row;
        outcome.requestedUrl = url;
        m_session.reportRowEnded(outcome);
        return;
    }
    auto* downloader = new Downloader(m_network, ctx.pump, ctx.timing, this);
    const AnsiCodec& codec = ctx.codec;
    downloader->setFileCheck(
        [&codec](const QString& file) { return RowFiles::wholeFileProblem(file, codec); });
    m_slots[size_t(slot)] = downloader;
    m_rows[size_t(slot)] = row;
    connect(downloader, &Downloader::downloadProgress, this,
            [this, slot](qint64 read, qint64 max, const QString&) { onProgress(slot, read, max); });
    connect(downloader, &Downloader::downloadComplete, this,
            [this, slot](qint64 read, qint64 max, const QString&) { onComplete(slot, read, max); });
    connect(downloader, &Downloader::downloadError, this,
            [this, slot](const QString& description, const QString&) { onError(slot, description); });

    list.setState(row, RowState::Downloading);
    if (m_session.options().autoLocate)
        emit m_session.scrollToRowRequested(row);
    list.clearProgress(row);
    downloader->beginDownload(url, path, list.isValidIndex(row) ? list.at(row).tag : QString());
}

RowOutcome Method2Slots::outcomeOf(int slot, int row) const {
    RowOutcome outcome;
    outcome.row = row;
    if (const Downloader* d = downloader(slot)) {
        outcome.requestedUrl = d->url();
        outcome.finalUrl = d->finalUrl();
        outcome.httpStatus = d->httpStatus();
        outcome.contentType = d->contentType();
        outcome.retryAfter = d->retryAfter();
    }
    return outcome;
}

int Method2Slots::rowOf(int slot) const {
    if (!isBusy(slot))
        return -1;
    const int row = m_rows[size_t(slot)];
    return m_session.list().isValidIndex(row) ? row : -1;
}

void Method2Slots::onProgress(int slot, qint64 bytesRead, qint64 bytesMax) {
    const int row = rowOf(slot);
    if (row < 0)
        return;
    DownloadListModel& list = m_session.list();
    if (bytesMax <= 0 || bytesMax < bytesRead)
        return;
    list.setSize(row, QString::number(bytesMax));
    list.setReceived(row, QString::number(bytesRead));
    list.setPercent(row, QString::number(bytesRead * 100 / bytesMax) + u'%');
    if (double(bytesMax) / 1024.0 / 1024.0 > m_session.options().maxFileSizeMB) {
        list.setState(row, RowState::Finished);
        list.setPercent(row, DownloadListModel::kTooLarge);
        m_session.markTransferEnded();
        const RowOutcome outcome = outcomeOf(slot, row);
        const QString saveFile = downloader(slot)->saveFile();
        unload(slot);
        // Skipped for good: nothing of it is kept for resuming either.
        KeptParts::discard(QFileInfo(saveFile).path(), outcome.requestedUrl);
        m_session.reportRowEnded(outcome);
    }
}

void Method2Slots::onComplete(int slot, qint64 bytesRead, qint64 bytesMax) {
    const int row = rowOf(slot);
    if (row < 0) {
        unload(slot);
        return;
    }
    DownloadListModel& list = m_session.list();
    if (bytesMax > 0 && bytesMax >= bytesRead) {
        list.setSize(row, QString::number(bytesMax));
        list.setReceived(row, QString::number(bytesRead));
        list.setPercent(row, QString::number(bytesRead * 100 / bytesMax) + u'%');
    }
    list.setState(row, list.at(row).percent == u"100%"_s ? RowState::Finished : RowState::Failed);
    const RowOutcome outcome = outcomeOf(slot, row);
    list.setOwned(row, RowFiles::describe(downloader(slot)->saveFile())); // it wrote that file
    unload(slot);
    FileTypeCorrector::correctRowFileType(list, row, m_session.context().codec);
    // A server's error page is kept as the row's web page, and says so where the size goes.
    if (list.at(row).state == RowState::Finished && DownloadListModel::isErrorPageStatus(outcome.httpStatus))
        list.setSize(row, DownloadListModel::errorPageText(outcome.httpStatus));
    m_session.showStatus(2, u"完成下载:"_s + list.at(row).name);
    const QString type = list.at(row).type;
    if (isWebType(type))
        m_session.playSound(101);
    if (list.at(row).state == RowState::Failed)
        m_session.playSound(103);
    if (m_session.options().siteLogin && isWebType(type))
        emit m_session.siteLoginRequested(row);
    m_session.markTransferEnded();
    m_session.reportRowEnded(outcome);
}

void Method2Slots::onError(int slot, const QString& description) {
    const int row = rowOf(slot);
    const RowOutcome outcome = outcomeOf(slot, row);
    if (row >= 0) {
        if (description == Downloader::kServerPause)
            m_session.list().setSize(row, DownloadListModel::kServerPause);
        else if (description == DownloadListModel::kIncomplete)
            m_session.list().setSize(row, DownloadListModel::kIncomplete);
        m_session.list().setState(row, RowState::Failed);
    }
    unload(slot);
    m_session.markTransferEnded();
    if (row >= 0)
        m_session.reportRowEnded(outcome);
}

void Method2Slots::unload(int slot) {
    if (!isBusy(slot))
        return;
    Downloader* downloader = m_slots[size_t(slot)];
    m_slots[size_t(slot)] = nullptr;
    m_rows[size_t(slot)] = -1;
    downloader->disconnect(this);
    downloader->cancelAsyncRead();
    downloader->deleteLater();
}

void Method2Slots::unloadAll() {
    for (int slot = 1; slot <= kMaxSlots; ++slot)
        unload(slot);
}

} // namespace mojing
