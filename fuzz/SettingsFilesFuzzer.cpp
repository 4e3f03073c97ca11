// The files the program keeps between runs and users may edit or damage: the settings file
// (INI) and the folder history (SaveList.dat). Both are read from the same input.

#include "FuzzSupport.h"

#include "analysis/FolderHistory.h"
#include "downloads/DownloadOptions.h"
#include "downloads/DownloadSettings.h"
#include "platform/AnsiCodec.h"
#include "search/SearchWindowState.h"
#include "settings/SettingKeys.h"
#include "settings/SettingsStore.h"
#include "settings/WindowGeometry.h"

#include "DownloadArguments.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QSet>
#include <cmath>
#include <unistd.h>

using namespace mojing;
using namespace Qt::StringLiterals;

namespace {

// One scratch file per process, rewritten for every input. The settings layer keeps parsed files
// by name and reads one again only when its size or time stamp changed, so every input gets a
// time stamp of its own. (A fresh name per input would grow that cache and make every input a
// leak check.)
class ScratchFile {
public:
    ScratchFile()
        : m_path((QDir(u"/dev/shm"_s).exists() ? u"/dev/shm"_s : QDir::tempPath()) +
                 u"/mojing-fuzz-settings-"_s + QString::number(getpid()) + u".ini"_s) {}
    ~ScratchFile() { QFile::remove(m_path); }

    const QString& path() const { return m_path; }
    bool write(const QByteArray& content) {
        QFile file(m_path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return false;
        file.write(content);
        file.flush(); // a later write would stamp the file anew
        return file.setFileTime(QDateTime::fromSecsSinceEpoch(++m_stamp, Qt::UTC),
                                QFileDevice::FileModificationTime);
    }

private:
    const QString m_path;
    qint64 m_stamp = 1'000'000'000;
};

void checkSettings(const SettingsStore& store) {
    using namespace SettingKeys;
    for (const QString& section : {kSectionDownloadWindow, kSectionSearch, kSectionCopyMove}) {
        // The stored resolution as the current one, so that the numbers are read too.
        const QString resolution = store.read(section, kResolution, QString());
        const WindowGeometry::Restore r = WindowGeometry::restore(store, section, resolution);
        if (r.maximise)
            continue;
        FUZZ_CHECK(!r.top || *r.top >= 0, section);
        FUZZ_CHECK(!r.left || *r.left >= 0, section);
        FUZZ_CHECK(!r.width || *r.width >= WindowGeometry::kMinWidthTwips, section);
        FUZZ_CHECK(!r.height || *r.height >= WindowGeometry::kMinHeightTwips, section);
    }

    DownloadOptions options;
    DownloadSettings::load(store, options, 10.0);
    FUZZ_CHECK(options.slotCount >= 1 && options.slotCount <= DownloadSettings::kMaxSlots,
               QString::number(options.slotCount));
    FUZZ_CHECK(std::isfinite(options.maxFileSizeMB) && options.maxFileSizeMB >= 0,
               QString::number(options.maxFileSizeMB));

    (void)SearchOptions::load(store);

    // The command line takes its defaults from the same file; stored values never make it fail.
    QString error;
    const auto arguments = DownloadArguments::parse({u"--list"_s, u"list.txt"_s}, store, error);
    FUZZ_CHECK(arguments.has_value(), error);
    FUZZ_CHECK(arguments->options.slotCount >= 1 && arguments->options.slotCount <= 6,
               QString::number(arguments->options.slotCount));
    FUZZ_CHECK(arguments->options.maxFileSizeMB > 0, QString::number(arguments->options.maxFileSizeMB));
    FUZZ_CHECK(QDir::isAbsolutePath(arguments->folder) && arguments->folder.endsWith(u'/'),
               arguments->folder);
}

void checkFolderHistory(const QByteArray& content, const AnsiCodec& codec) {
    const QStringList folders = FolderHistory::parseFolderHistory(content, codec);
    FUZZ_CHECK(folders.size() <= FolderHistory::kMaxLines, QString::number(folders.size()));
    QSet<QString> seen;
    for (const QString& folder : folders) {
        FUZZ_CHECK(!folder.isEmpty() && folder == folder.trimmed(), folder);
        FUZZ_CHECK(!folder.contains(u'\n'), folder);
        FUZZ_CHECK(!seen.contains(folder.toCaseFolded()), folder);
        seen.insert(folder.toCaseFolded());
    }
    // What the program writes back reads as the same list, as long as every character has a
    // byte form in the code page (undecodable bytes came in as replacement characters).
    QString written;
    for (const QString& folder : folders)
        written += folder + u"\r\n"_s;
    if (codec.decode(codec.encode(written)) == written)
        FUZZ_CHECK(FolderHistory::parseFolderHistory(codec.encode(written), codec) == folders, written);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const AnsiCodec gbk(u"GBK"_s);
    const QByteArray content = fuzz::bytesOf(data, size);

    static ScratchFile scratch;
    if (scratch.write(content)) {
        const SettingsStore store(scratch.path());
        checkSettings(store);
    }
    checkFolderHistory(content, gbk);
    return 0;
}
