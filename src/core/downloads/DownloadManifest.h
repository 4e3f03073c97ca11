#pragma once

#include "RowOutcome.h"

#include <QDateTime>
#include <QFile>
#include <QHash>
#include <QObject>
#include <QString>

namespace mojing {

class DownloadSession;
struct DownloadRow;

// A record of every row that ended, appended to a text file one tab-separated line at a time as
// the rows end, so that a run that is interrupted keeps what it finished:
//
//   time  state  requested address  final address  HTTP status  Content-Type  bytes  SHA-256  path
//   DOI  title
//
// The time is ISO 8601 with the UTC offset; the state is the row's 1-4 (4 for a file skipped as
// over the size limit: it was not downloaded); the final address is the one after redirects;
// status, type and final address are empty when no answer came. Bytes and SHA-256 are those of
// the file on disk for a finished row that wrote it or found it already there (SHA-256 empty
// when there is no such file), otherwise bytes are what arrived. DOI and title are the article's
// (the title is the row's name, without a clash counter, when the row has no metadata); they come
// last, so readers of the first nine fields go on working. UTF-8; tabs and line breaks inside a
// field become spaces.
class DownloadManifest : public QObject {
    Q_OBJECT
public:
    explicit DownloadManifest(DownloadSession& session, QObject* parent = nullptr);

    // Opens `path` for appending (created when missing); false with `error` set when it cannot be.
    bool open(const QString& path, QString& error);
    // The row keyed `key` was asked for as `input` (a DOI or an article page): its lines name
    // that as the requested address.
    void setRequestedAddress(const QString& key, const QString& input) { m_inputs.insert(key, input); }

    // The line for a row (without the line break).
    static QString line(const DownloadRow& row, const QString& path, const RowOutcome& outcome,
                        const QDateTime& time);
    // Lower-case hexadecimal SHA-256 of a file, empty when it cannot be read.
    static QString sha256Of(const QString& path);

private:
    void onRowEnded(const RowOutcome& outcome);

    DownloadSession& m_session;
    QFile m_file;
    QHash<QString, QString> m_inputs; // row key -> what was asked for
};

} // namespace mojing
