#pragma once

#include "articles/ReferenceEntry.h"

#include <QByteArray>
#include <QString>
#include <functional>

namespace mojing {

class DownloadListModel;
class DownloadSession;
struct DownloadRow;

// 「导出BibTeX」「导出RIS」 The download window's reference export: one entry per finished row
// whose file is there, with the row's article metadata (a row without it is described by its
// name) and the path of its file.
class ReferenceExport {
public:
    static inline const QString kNothingToExport = QStringLiteral("列表中没有已下载完成的文件，无法导出。");
    static inline const QString kProposedName = QStringLiteral("参考文献");

    enum class Format { BibTex, Ris };

    explicit ReferenceExport(DownloadSession& session) : m_session(session) {}

    // Asks for a file (*.bib or *.ris), offering "参考文献.bib" beside the first file, and writes it
    // whole; the status bar says how many entries went where. Says so when no row has a file yet;
    // a file that cannot be written is reported with the system's words and the old one stays.
    // Returns whether a file was written.
    bool exportTo(Format format);
    // The file the save dialog offers: kProposedName + suffix in the folder of the first entry's file.
    static QString proposedPath(const ReferenceEntries& entries, const QString& suffix);
    // "已导出N条文献：PATH"
    static QString exportedText(int count, const QString& path);

    // The entry for a row, as both exports and `mojing download` write it.
    static ReferenceEntry entryOf(const DownloadRow& row, const QString& filePath);
    // The row's article title, or else its name without the "[001]" a name clash gave it.
    static QString titleOf(const DownloadRow& row);
    // The entries of the finished rows whose file exists and that `accept` takes (all by default).
    static ReferenceEntries finishedEntries(const DownloadListModel& list,
                                            const std::function<bool(int row)>& accept = {});
    static QByteArray render(Format format, const ReferenceEntries& entries);
    // Replaces `path` whole with `bytes`; false with `error` set when that failed.
    static bool saveWhole(const QString& path, const QByteArray& bytes, QString& error);

private:
    DownloadSession& m_session;
};

} // namespace mojing
