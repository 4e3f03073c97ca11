#pragma once

#include "articles/ArticleMetadata.h"
#include "downloads/DownloadOptions.h"

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace mojing {

class AnsiCodec;
class SettingsStore;

// What `mojing download` was asked to do, with the stored settings filling the gaps.
struct DownloadArguments {
    QString folder; // ends with a separator
    DownloadOptions options;
    QString referer;
    QString listFile;
    QStringList urls; // addresses and DOIs, as given
    // The DOI resolver for this run (empty: the setting "DOI解析地址").
    QString resolver;
    // A record of every row that ended, appended as they end (empty: none).
    QString manifest;
    // References of the files that arrived, written whole when the run ends (empty: none).
    QString bibTexFile;
    QString risFile;
    // What the run should say before it starts (arguments that will have no effect).
    QStringList warnings;

    // Site login before the first transfer and after every transfer that ends as a web page.
    QString loginUrl;
    QString account;
    QString passwordFile; // "-": one line of standard input
    bool ipLogin = false;

    // One row to download. A DOI, and an address that may be an article page, are resolved
    // before the downloads start.
    struct Entry {
        QString url;  // the address; empty for a DOI
        QString name; // empty for a DOI the list did not name
        QString type;
        QString folder;
        QString input;              // the argument or the list's first field, as given
        bool named = false;         // the list named the file: its name stands over the article's title
        QString referer;            // empty: the run's --referer
        ArticleMetadata article;    // from a saved download list
        bool fromSavedList = false; // a row of the download window's list: fetched as it stands
    };

    static QString usage();

    // The password for the site login: the first line of `path`, or of standard input for "-".
    // Empty with a non-empty `error` when it cannot be read.
    static QString readPassword(const QString& path, QString& error);

    // Parses the arguments after "download". Defaults come from `settings`. On bad arguments the
    // result is empty and `error` says why.
    static std::optional<DownloadArguments> parse(const QStringList& args, const SettingsStore& settings,
                                                  QString& error);

    // The rows of a list file: one per line, "url<TAB>name[<TAB>type[<TAB>folder]]" where the
    // first field may also be a DOI; empty lines and lines starting with '#' are skipped. UTF-8,
    // or the ANSI code page when the file is not valid UTF-8. The download window's saved list
    // (DownloadList.tsv) is read too: its rows that have not finished, with their folders,
    // referring pages and article metadata; rows of it that cannot be read are skipped and counted
    // in `skipped`. An empty result with a non-empty
    // `error` means the file could not be used.
    static std::vector<Entry> readList(const QString& path, const QString& defaultFolder,
                                       const AnsiCodec& codec, QString& error, int* skipped = nullptr);
    // The same over the content of a list file; `path` only names it in messages.
    static std::vector<Entry> parseList(const QByteArray& content, const QString& path,
                                        const QString& defaultFolder, const AnsiCodec& codec, QString& error,
                                        int* skipped = nullptr);

    // The first field of every line of a list file (blank lines and '#' comments skipped), read
    // as readList() reads; empty with `error` set when the file cannot be read or holds none.
    static QStringList readFirstFields(const QString& path, const AnsiCodec& codec, QString& error);

    // A row for a bare address: the name and type come from the last path segment, cleaned so
    // that it can only name a file inside the folder.
    static Entry entryForUrl(const QString& url, const QString& folder, const AnsiCodec& codec);
    // A row for an argument: a DOI (named after its article once resolved) or an address.
    static Entry entryForInput(const QString& input, const QString& folder, const AnsiCodec& codec);
};

} // namespace mojing
