#include "DownloadListStore.h"

#include "settings/SettingKeys.h"

#include <QDateTime>
#include <QFile>
#include <QSaveFile>
#include <QSet>

using namespace Qt::StringLiterals;

namespace mojing::DownloadListStore {

namespace {

// Format 1 had the nine fields up to the tag; format 2 adds the file the row wrote (path, size,
// modification time in milliseconds since 1970 UTC) and the article's metadata (title, authors
// joined by LF, year, journal, DOI, article page).
constexpr char kHeaderV1[] = "#mojing-download-list\t1";
constexpr char kHeader[] = "#mojing-download-list\t2";
constexpr int kFieldsV1 = 9;
constexpr int kFields = 18;

bool needsEscape(QStringView text) {
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (u == u'\\' || u == u'\t' || u == u'\n' || u == u'\r')
            return true;
    }
    return false;
}

// Appends the field to the line being built: the common field has nothing to escape and is
// copied as it is.
void appendEscaped(QString& line, const QString& text) {
    if (!needsEscape(text)) {
        line += text;
        return;
    }
    for (QChar c : text) {
        switch (c.unicode()) {
        case u'\\':
            line += u"\\\\";
            break;
        case u'\t':
            line += u"\\t";
            break;
        case u'\n':
            line += u"\\n";
            break;
        case u'\r':
            line += u"\\r";
            break;
        default:
            line += c;
        }
    }
}

std::optional<QString> unescaped(QByteArrayView field) {
    if (!field.contains('\\'))
        return QString::fromUtf8(field);
    QByteArray out;
    out.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        const char c = field[i];
        if (c != '\\') {
            out += c;
            continue;
        }
        if (++i >= field.size())
            return std::nullopt;
        switch (field[i]) {
        case '\\':
            out += '\\';
            break;
        case 't':
            out += '\t';
            break;
        case 'n':
            out += '\n';
            break;
        case 'r':
            out += '\r';
            break;
        default:
            return std::nullopt;
        }
    }
    return QString::fromUtf8(out);
}

} // namespace

QString defaultPath() {
    return SettingKeys::dataFolder() + u"DownloadList.tsv"_s;
}

QByteArray serialize(const std::vector<DownloadRow>& rows) {
    QByteArray out;
    out.reserve(qsizetype(rows.size()) * 256 + 64);
    out += kHeader;
    out += '\n';
    // One UTF-8 conversion per line: far cheaper than one per field.
    QString line;
    for (const DownloadRow& r : rows) {
        line.clear();
        line += QChar(u'0' + int(r.state));
        const QString ownedSize = r.owned.isEmpty() ? QString() : QString::number(r.owned.size);
        const QString ownedTime = r.owned.isEmpty() || !r.owned.modified.isValid()
                                      ? QString()
                                      : QString::number(r.owned.modified.toMSecsSinceEpoch());
        const QString authors = r.article.authors.join(u'\n');
        for (const QString* field :
             {&r.key, &r.name, &r.type, &r.size, &r.received, &r.percent, &r.folder, &r.tag, &r.owned.path,
              &ownedSize, &ownedTime, &r.article.title, &authors, &r.article.year, &r.article.journal,
              &r.article.doi, &r.article.articlePage}) {
            line += u'\t';
            appendEscaped(line, *field);
        }
        line += u'\n';
        out += line.toUtf8();
    }
    return out;
}

namespace {
// One saved line as a row; std::nullopt when it cannot be read (a wrong number of fields, an
// unknown state, a bad escape or an empty address).
std::optional<DownloadRow> parseRow(QByteArrayView line, int fieldCount) {
    QByteArrayView parts[kFields];
    int n = 0;
    qsizetype from = 0;
    for (;;) {
        const qsizetype tab = line.indexOf('\t', from);
        if (n == fieldCount)
            return std::nullopt;
        parts[n++] = line.sliced(from, (tab < 0 ? line.size() : tab) - from);
        if (tab < 0)
            break;
        from = tab + 1;
    }
    if (n != fieldCount || parts[0].size() != 1 || parts[0][0] < '1' || parts[0][0] > '4')
        return std::nullopt;
    DownloadRow row;
    row.state = RowState(parts[0][0] - '0');
    QString ownedSize;
    QString ownedTime;
    QString authors;
    QString* fields[] = {&row.key,
                         &row.name,
                         &row.type,
                         &row.size,
                         &row.received,
                         &row.percent,
                         &row.folder,
                         &row.tag,
                         &row.owned.path,
                         &ownedSize,
                         &ownedTime,
                         &row.article.title,
                         &authors,
                         &row.article.year,
                         &row.article.journal,
                         &row.article.doi,
                         &row.article.articlePage};
    for (int i = 0; i < fieldCount - 1; ++i) {
        std::optional<QString> value = unescaped(parts[i + 1]);
        if (!value)
            return std::nullopt;
        *fields[i] = std::move(*value);
    }
    if (!row.owned.path.isEmpty()) {
        bool sizeOk = false;
        row.owned.size = ownedSize.toLongLong(&sizeOk);
        bool timeOk = false;
        const qint64 ms = ownedTime.toLongLong(&timeOk);
        if (!sizeOk || row.owned.size < 0)
            row.owned = {}; // a file the row cannot describe is not one it may touch
        else if (timeOk)
            row.owned.modified = QDateTime::fromMSecsSinceEpoch(ms, Qt::UTC);
    }
    if (!authors.isEmpty())
        row.article.authors = authors.split(u'\n');
    if (DownloadListModel::currentUrl(row.key).trimmed().isEmpty())
        return std::nullopt;
    if (row.state == RowState::Downloading) {
        // Its transfer ended with the program; what it had written was removed then.
        row.state = RowState::Waiting;
        row.size.clear();
        row.received.clear();
        row.percent.clear();
    }
    return row;
}
} // namespace

std::optional<std::vector<DownloadRow>> parse(const QByteArray& text, int* skipped) {
    if (skipped)
        *skipped = 0;
    qsizetype lineStart = text.indexOf('\n');
    if (lineStart < 0)
        return std::nullopt;
    const QByteArrayView header = QByteArrayView(text).first(lineStart);
    int fieldCount = 0;
    if (header == QByteArrayView(kHeader))
        fieldCount = kFields;
    else if (header == QByteArrayView(kHeaderV1))
        fieldCount = kFieldsV1;
    else
        return std::nullopt;
    ++lineStart;
    std::vector<DownloadRow> rows;
    QSet<QString> keys;
    while (lineStart < text.size()) {
        qsizetype lineEnd = text.indexOf('\n', lineStart);
        if (lineEnd < 0)
            lineEnd = text.size(); // every line ends with LF: the file was cut in its last line
        const QByteArrayView line(text.constData() + lineStart, lineEnd - lineStart);
        const bool cut = lineEnd == text.size();
        lineStart = lineEnd + 1;
        if (line.isEmpty())
            continue;
        std::optional<DownloadRow> row = cut ? std::nullopt : parseRow(line, fieldCount);
        if (!row) {
            // One row that cannot be read costs that row, not the list.
            if (skipped)
                ++*skipped;
            continue;
        }
        if (keys.contains(row->key))
            continue;
        keys.insert(row->key);
        rows.push_back(std::move(*row));
    }
    return rows;
}

bool save(const DownloadListModel& list, const QString& path) {
    std::vector<DownloadRow> rows;
    rows.reserve(size_t(list.count()));
    for (int i = 0; i < list.count(); ++i)
        rows.push_back(list.at(i));
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const QByteArray text = serialize(rows);
    if (file.write(text) != text.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

LoadResult load(const QString& path, std::vector<DownloadRow>& rows, int* skipped) {
    if (skipped)
        *skipped = 0;
    QFile file(path);
    if (!file.exists())
        return LoadResult::Missing;
    if (!file.open(QIODevice::ReadOnly))
        return LoadResult::Unreadable;
    std::optional<std::vector<DownloadRow>> parsed = parse(file.readAll(), skipped);
    if (!parsed)
        return LoadResult::Unreadable;
    rows = std::move(*parsed);
    return LoadResult::Loaded;
}

namespace {
QString asidePath(const QString& path) {
    const QString stamp = QDateTime::currentDateTime().toString(u"yyyyMMdd-HHmmss"_s);
    QString target = path + u".unreadable-"_s + stamp;
    for (int n = 1; QFile::exists(target); ++n)
        target = path + u".unreadable-"_s + stamp + u'-' + QString::number(n);
    return target;
}
} // namespace

QString moveAside(const QString& path) {
    const QString target = asidePath(path);
    return QFile::rename(path, target) ? target : QString();
}

QString copyAside(const QString& path) {
    const QString target = asidePath(path);
    return QFile::copy(path, target) ? target : QString();
}

} // namespace mojing::DownloadListStore
