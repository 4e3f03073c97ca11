#pragma once

#include "RowOutcome.h"

#include <QObject>
#include <QString>
#include <array>

namespace mojing {

class Downloader;
class DownloadSession;
class NetworkLayer;

// Method 2: several rows at once, one Downloader per busy slot (1..6). Slot 0 is never used.
// A slot's downloader exists only while it serves a row and is discarded when the download ends,
// whatever the outcome. Each slot remembers the row (0-based position) it serves.
class Method2Slots : public QObject {
    Q_OBJECT
public:
    static constexpr int kMaxSlots = 6;

    Method2Slots(DownloadSession& session, NetworkLayer& network, QObject* parent = nullptr);
    ~Method2Slots() override;

    // 「多线程下载」 Starts `row` on `slot` (the scheduler has chosen the path).
    void startDownload(int slot, int row, const QString& url, const QString& path);

    bool isBusy(int slot) const;
    // The first free slot among 1..slotCount, or 0 when all are busy.
    int freeSlot(int slotCount) const;
    int busyCount() const;
    // Stop: discards every running download (no events follow).
    void unloadAll();

    Downloader* downloader(int slot) const;

    // The downloader events of a slot (public so that tests can drive them).
    void onProgress(int slot, qint64 bytesRead, qint64 bytesMax);
    void onComplete(int slot, qint64 bytesRead, qint64 bytesMax);
    void onError(int slot, const QString& description);

private:
    void unload(int slot);
    int rowOf(int slot) const;
    RowOutcome outcomeOf(int slot, int row) const;

    DownloadSession& m_session;
    NetworkLayer& m_network;
    std::array<Downloader*, kMaxSlots + 1> m_slots{};
    std::array<int, kMaxSlots + 1> m_rows{};
};

} // namespace mojing
