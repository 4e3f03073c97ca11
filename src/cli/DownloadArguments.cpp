#include "DownloadArguments.h"

#include "articles/ArticleInputParser.h"
#include "articles/NamingTemplate.h"
#include "downloads/ArticleRows.h"
#include "downloads/DownloadListStore.h"
#include "downloads/DownloadSettings.h"
#include "downloads/SiteLogin.h"
#include "platform/AnsiCodec.h"
#include "platform/FileHelpers.h"
#include "settings/SettingKeys.h"
#include "settings/SettingsStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QUrl>
#include <algorithm>
#include <cstdio>
#include <termios.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace mojing {

namespace {

bool isWebAddress(const QString& text) {
    return ArticleInputParser::isWebAddress(text);
}

bool isDoi(const QString& text) {
    return !ArticleInputParser::doiOf(text).isEmpty();
}

QString decodedList(const QByteArray& bytes, const AnsiCodec& codec) {
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8.decode(bytes);
    return utf8.hasError() ? codec.decode(bytes) : text;
}

std::optional<DuplicatePolicy> policyFromWord(const QString& word) {
    const QString w = word.trimmed().toLower();
    if (w == u"skip"_s || w == u"跳过"_s)
        return DuplicatePolicy::Skip;
    if (w == u"overwrite"_s || w == u"覆盖"_s)
        return DuplicatePolicy::Overwrite;
    if (w == u"rename"_s || w == u"重命名"_s)
        return DuplicatePolicy::Rename;
    return std::nullopt;
}

QString absoluteFolder(const QString& folder) {
    return FileHelpers::withTrailingSeparator(QDir::cleanPath(QDir::current().absoluteFilePath(folder)));
}

// The rows of the download window's saved list that have not finished.
std::vector<DownloadArguments::Entry> savedListEntries(const QByteArray& bytes, const QString& path,
                                                       const QString& defaultFolder, const AnsiCodec& codec,
                                                       QString& error, int* skipped) {
    int unreadable = 0;
    const std::optional<std::vector<DownloadRow>> rows = DownloadListStore::parse(bytes, &unreadable);
    if (skipped)
        *skipped = unreadable;
    if (!rows || (rows->empty() && unreadable > 0)) {
        error = u"not a download list this program can read: "_s + path;
        return {};
    }
    std::vector<DownloadArguments::Entry> entries;
    for (const DownloadRow& row : *rows) {
        if (row.state == RowState::Finished)
            continue;
        const QString url = DownloadListModel::currentUrl(row.key).trimmed();
        const QStringList alternatives = row.key.trimmed().split(u'|');
        if (!std::all_of(alternatives.begin(), alternatives.end(), isWebAddress))
            continue;
        const QString folder =
            row.folder.trimmed().isEmpty() ? defaultFolder : absoluteFolder(row.folder.trimmed());
        DownloadArguments::Entry entry = DownloadArguments::entryForUrl(url, folder, codec);
        entry.url = row.key.trimmed();
        if (const QString name = FileHelpers::sanitizeFileName(row.name.trimmed(), codec); !name.isEmpty())
            entry.name = name;
        if (!row.type.trimmed().isEmpty())
            entry.type = ArticleRows::cleanType(row.type.trimmed());
        entry.referer = isWebAddress(row.tag) ? row.tag.trimmed() : QString();
        entry.article = row.article;
        entry.fromSavedList = true;
        entries.push_back(entry);
    }
    if (entries.empty())
        error = u"the saved list holds no rows left to download: "_s + path;
    return entries;
}

} // namespace

QString DownloadArguments::usage() {
    return u"download [--folder DIR] [--method 1|2] [--slots N] [--pause S] "
           "[--policy skip|overwrite|rename] [--max-size MB] [--proxy HOST:PORT] [--referer URL] "
           "[--auto-retry] [--manifest FILE] [--resolver URL] [--naming TEMPLATE] [--bibtex FILE] "
           "[--ris FILE] [--login-url URL (--account NAME --password-file FILE|- | --ip-login)] "
           "(--list FILE | URL|DOI...)"_s;
}

QString DownloadArguments::readPassword(const QString& path, QString& error) {
    QFile file;
    const bool fromStdin = path == u"-"_s;
    const bool opened = fromStdin ? file.open(stdin, QIODevice::ReadOnly)
                                  : (file.setFileName(path), file.open(QIODevice::ReadOnly));
    if (!opened) {
        error = u"cannot read the password file "_s + path;
        return {};
    }
    // Typed at a terminal: asked for, and not shown.
    termios saved = {};
    const bool typed = fromStdin && ::isatty(STDIN_FILENO) == 1 && ::tcgetattr(STDIN_FILENO, &saved) == 0;
    if (typed) {
        termios quiet = saved;
        quiet.c_lflag &= ~tcflag_t(ECHO);
        ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
        fputs("Password: ", stderr);
        fflush(stderr);
    }
    QByteArray line = file.readLine();
    if (typed) {
        ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved);
        fputs("\n", stderr);
    }
    while (line.endsWith('\n') || line.endsWith('\r'))
        line.chop(1);
    return QString::fromUtf8(line);
}

std::optional<DownloadArguments> DownloadArguments::parse(const QStringList& args,
                                                          const SettingsStore& settings, QString& error) {
    using namespace SettingKeys;
    DownloadArguments a;
    DownloadOptions& o = a.options;
    o.method = settings.read(kSectionSettings, kMethod).trimmed() == u"1"_s ? 1 : 2;
    o.slotCount = qBound(1, settings.read(kSectionDownload, kSlots).toInt() + 1, 6);
    o.policy = duplicatePolicyFromCaption(settings.read(kSectionDuplicate, kDuplicatePolicy));
    o.proxyEnabled = settings.read(kSectionSettings, kProxyEnabled).trimmed() == u"1"_s;
    o.proxyHost = settings.read(kSectionSettings, kProxyHost).trimmed();
    o.proxyPort = settings.read(kSectionSettings, kProxyPort).trimmed();
    bool sizeOk = false;
    const double storedSize = settings.read(kSectionSettings, kMaxFileSize).toDouble(&sizeOk);
    o.maxFileSizeMB = sizeOk && storedSize > 0 ? storedSize : 10.0;
    QString namingError;
    o.namingTemplate = DownloadSettings::namingTemplate(settings, &namingError);
    if (!namingError.isEmpty())
        a.warnings << u"the stored naming template is not used: "_s + namingError;
    QString folder = settings.read(kSectionSettings, kSaveFolder);
    if (folder.trimmed().isEmpty())
        folder = defaultSaveFolder();

    bool proxyGiven = false;
    auto fail = [&error](const QString& why) -> std::optional<DownloadArguments> {
        error = why;
        return std::nullopt;
    };

    for (int i = 0; i < args.size(); ++i) {
        QString arg = args[i];
        QString value;
        bool hasInlineValue = false;
        if (arg.startsWith(u"--"_s) && arg.contains(u'=')) {
            value = arg.section(u'=', 1);
            arg = arg.section(u'=', 0, 0);
            hasInlineValue = true;
        }
        auto takeValue = [&]() -> std::optional<QString> {
            if (hasInlineValue)
                return value;
            if (i + 1 >= args.size())
                return std::nullopt;
            return args[++i];
        };
        auto intValue = [&](int low, int high, int& out) -> bool {
            const std::optional<QString> v = takeValue();
            bool ok = false;
            const int n = v ? v->trimmed().toInt(&ok) : 0;
            if (!ok || n < low || n > high)
                return false;
            out = n;
            return true;
        };

        if (arg == u"--auto-retry"_s) {
            o.autoRetry = true;
        } else if (arg == u"--folder"_s) {
            const std::optional<QString> v = takeValue();
            if (!v || v->trimmed().isEmpty())
                return fail(u"--folder needs a folder"_s);
            folder = *v;
        } else if (arg == u"--method"_s) {
            if (!intValue(1, 2, o.method))
                return fail(u"--method must be 1 or 2"_s);
        } else if (arg == u"--slots"_s) {
            if (!intValue(1, 6, o.slotCount))
                return fail(u"--slots must be a number from 1 to 6"_s);
        } else if (arg == u"--pause"_s) {
            if (!intValue(0, 600, o.pauseSeconds))
                return fail(u"--pause must be a number of seconds from 0 to 600"_s);
        } else if (arg == u"--policy"_s) {
            const std::optional<QString> v = takeValue();
            const std::optional<DuplicatePolicy> p = v ? policyFromWord(*v) : std::nullopt;
            if (!p)
                return fail(u"--policy must be skip, overwrite or rename (跳过, 覆盖, 重命名)"_s);
            o.policy = *p;
        } else if (arg == u"--max-size"_s) {
            const std::optional<QString> v = takeValue();
            bool ok = false;
            const double mb = v ? v->trimmed().toDouble(&ok) : 0;
            if (!ok || mb <= 0)
                return fail(u"--max-size must be a positive number of megabytes"_s);
            o.maxFileSizeMB = mb;
        } else if (arg == u"--proxy"_s) {
            const std::optional<QString> v = takeValue();
            const QString host = v ? v->section(u':', 0, -2).trimmed() : QString();
            const QString port = v ? v->section(u':', -1).trimmed() : QString();
            bool ok = false;
            const int n = port.toInt(&ok);
            if (host.isEmpty() || !ok || n < 1 || n > 65535)
                return fail(u"--proxy must be HOST:PORT"_s);
            o.proxyEnabled = true;
            proxyGiven = true;
            o.proxyHost = host;
            o.proxyPort = port;
        } else if (arg == u"--referer"_s) {
            const std::optional<QString> v = takeValue();
            if (!v || !isWebAddress(*v))
                return fail(u"--referer needs an http or https address"_s);
            a.referer = v->trimmed();
        } else if (arg == u"--login-url"_s) {
            const std::optional<QString> v = takeValue();
            if (!v || v->trimmed().isEmpty())
                return fail(SiteLogin::kNoAddress);
            if (!isWebAddress(*v))
                return fail(u"--login-url needs an http or https address"_s);
            a.loginUrl = v->trimmed();
        } else if (arg == u"--account"_s) {
            a.account = takeValue().value_or(QString());
            if (a.account.trimmed().isEmpty())
                return fail(SiteLogin::kNoAccount);
        } else if (arg == u"--password-file"_s) {
            a.passwordFile = takeValue().value_or(QString());
            if (a.passwordFile.isEmpty())
                return fail(SiteLogin::kNoAccount);
        } else if (arg == u"--ip-login"_s) {
            a.ipLogin = true;
        } else if (arg == u"--password"_s) {
            return fail(u"--password is not accepted: other users can read a command line; "
                        "use --password-file FILE, or --password-file - to type it"_s);
        } else if (arg == u"--manifest"_s) {
            const std::optional<QString> v = takeValue();
            if (!v || v->isEmpty())
                return fail(u"--manifest needs a file"_s);
            a.manifest = *v;
        } else if (arg == u"--resolver"_s) {
            const std::optional<QString> v = takeValue();
            if (!v || !ArticleInputParser::isResolverBase(*v))
                return fail(u"--resolver needs an http or https address"_s);
            a.resolver = v->trimmed();
        } else if (arg == u"--naming"_s) {
            const std::optional<QString> v = takeValue();
            QString why = u"it needs a template such as \"{author} {year} {title}\""_s;
            const std::optional<NamingTemplate> naming = v ? NamingTemplate::parse(*v, &why) : std::nullopt;
            if (!naming)
                return fail(u"--naming: "_s + why);
            o.namingTemplate = naming->text();
        } else if (arg == u"--bibtex"_s || arg == u"--ris"_s) {
            const std::optional<QString> v = takeValue();
            if (!v || v->isEmpty())
                return fail(arg + u" needs a file"_s);
            const QFileInfo target(*v);
            if (target.isDir() || !QFileInfo(target.absolutePath()).isDir() ||
                !QFileInfo(target.absolutePath()).isWritable())
                return fail(u"cannot write "_s + *v);
            (arg == u"--bibtex"_s ? a.bibTexFile : a.risFile) = *v;
        } else if (arg == u"--list"_s) {
            const std::optional<QString> v = takeValue();
            if (!v || v->isEmpty())
                return fail(u"--list needs a file"_s);
            a.listFile = *v;
        } else if (arg.startsWith(u'-')) {
            return fail(u"unknown option: "_s + arg);
        } else {
            if (!isWebAddress(arg) && !isDoi(arg))
                return fail(u"neither an http or https address nor a DOI: "_s + arg);
            a.urls << arg.trimmed();
        }
    }
    const bool accountGiven = !a.account.isEmpty() || !a.passwordFile.isEmpty();
    if (a.loginUrl.isEmpty() && (accountGiven || a.ipLogin))
        return fail(SiteLogin::kNoAddress);
    if (a.ipLogin && accountGiven)
        return fail(u"give either --account with --password-file, or --ip-login"_s);
    if (!a.loginUrl.isEmpty() && !a.ipLogin && (a.account.isEmpty() || a.passwordFile.isEmpty()))
        return fail(SiteLogin::kNoAccount);
    if (a.listFile.isEmpty() == a.urls.isEmpty())
        return fail(a.urls.isEmpty() ? u"give --list FILE or at least one address or DOI"_s
                                     : u"give either --list FILE or addresses, not both"_s);
    if (proxyGiven && !o.usesMethod1())
        a.warnings << u"--proxy is a method-1 setting; method 2 follows the system proxy configuration"_s;
    a.folder = absoluteFolder(folder);
    return a;
}

DownloadArguments::Entry DownloadArguments::entryForUrl(const QString& url, const QString& folder,
                                                        const AnsiCodec& codec) {
    const ArticleRows::NameAndType named = ArticleRows::fromAddress(url, codec);
    return {url, named.name, named.type, folder, url};
}

DownloadArguments::Entry DownloadArguments::entryForInput(const QString& input, const QString& folder,
                                                          const AnsiCodec& codec) {
    if (!isDoi(input))
        return entryForUrl(input, folder, codec);
    Entry entry;
    entry.folder = folder;
    entry.input = input;
    return entry;
}

QStringList DownloadArguments::readFirstFields(const QString& path, const AnsiCodec& codec, QString& error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = u"cannot read the list file "_s + path;
        return {};
    }
    QStringList fields;
    for (const QString& line : decodedList(file.readAll(), codec).split(u'\n')) {
        const QString first = line.section(u'\t', 0, 0).trimmed();
        if (!first.isEmpty() && !first.startsWith(u'#'))
            fields << first;
    }
    if (fields.isEmpty())
        error = u"the list file holds no addresses: "_s + path;
    return fields;
}

std::vector<DownloadArguments::Entry> DownloadArguments::readList(const QString& path,
                                                                  const QString& defaultFolder,
                                                                  const AnsiCodec& codec, QString& error,
                                                                  int* skipped) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = u"cannot read the list file "_s + path;
        return {};
    }
    return parseList(file.readAll(), path, defaultFolder, codec, error, skipped);
}

std::vector<DownloadArguments::Entry>
DownloadArguments::parseList(const QByteArray& bytes, const QString& path, const QString& defaultFolder,
                             const AnsiCodec& codec, QString& error, int* skipped) {
    if (skipped)
        *skipped = 0;
    if (bytes.startsWith("#mojing-download-list\t"))
        return savedListEntries(bytes, path, defaultFolder, codec, error, skipped);
    const QString text = decodedList(bytes, codec);
    std::vector<Entry> entries;
    int lineNumber = 0;
    for (const QString& rawLine : text.split(u'\n')) {
        ++lineNumber;
        QString line = rawLine;
        if (line.endsWith(u'\r'))
            line.chop(1);
        if (line.trimmed().isEmpty() || line.trimmed().startsWith(u'#'))
            continue;
        const QStringList cells = line.split(u'\t');
        const QString first = cells.value(0).trimmed();
        if (!isWebAddress(first) && !isDoi(first)) {
            error = u"line "_s + QString::number(lineNumber) +
                    u": neither an http or https address nor a DOI: "_s + first;
            return {};
        }
        const QString folder =
            cells.value(3).trimmed().isEmpty() ? defaultFolder : absoluteFolder(cells.value(3).trimmed());
        Entry entry = entryForInput(first, folder, codec);
        const QString name = FileHelpers::sanitizeFileName(cells.value(1).trimmed(), codec);
        if (!name.isEmpty()) {
            entry.name = name;
            entry.named = true;
        }
        if (cells.size() > 2)
            entry.type = ArticleRows::cleanType(cells.value(2).trimmed());
        entries.push_back(entry);
    }
    if (entries.empty())
        error = u"the list file holds no addresses: "_s + path;
    return entries;
}

} // namespace mojing
