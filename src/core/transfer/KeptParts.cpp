#include "KeptParts.h"

#include "HeaderHelpers.h"
#include "PartFile.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSaveFile>
#include <QSet>
#include <cstdio>

using namespace Qt::StringLiterals;

namespace mojing::KeptParts {

namespace {

// Both methods ask for the row's address with "&amp;" read as "&"; either spelling finds the part.
QString normalized(const QString& url) {
    return QString(url).replace(u"&amp;"_s, u"&"_s, Qt::CaseInsensitive).trimmed();
}

QString stem(const QString& folder, const QString& url) {
    const QByteArray digest = QCryptographicHash::hash(normalized(url).toUtf8(), QCryptographicHash::Sha256);
    return QDir(folder).filePath(u".mojing-"_s + QString::fromLatin1(digest.toHex().left(16)));
}

bool isStrongEtag(const QString& etag) {
    return etag.size() >= 2 && etag.startsWith(u'"') && etag.endsWith(u'"');
}

} // namespace

QString dataPath(const QString& folder, const QString& url) {
    return stem(folder, url) + u".part"_s;
}

QString infoPath(const QString& folder, const QString& url) {
    return stem(folder, url) + u".resume"_s;
}

std::optional<ResumeInfo> fromResponse(const QString& url, const QString& acceptRanges, const QString& etag,
                                       const QString& lastModified, qint64 total) {
    bool byteRanges = false;
    for (const QString& unit : acceptRanges.split(u','))
        byteRanges = byteRanges || unit.trimmed().compare(u"bytes"_s, Qt::CaseInsensitive) == 0;
    if (total <= 0 || !byteRanges)
        return std::nullopt;
    ResumeInfo info;
    info.url = normalized(url);
    info.total = total;
    if (isStrongEtag(etag.trimmed()))
        info.validator = etag.trimmed();
    else if (!lastModified.trimmed().isEmpty())
        info.validator = lastModified.trimmed();
    else
        return std::nullopt;
    return info;
}

std::optional<KeptPart> find(const QString& folder, const QString& url) {
    if (folder.trimmed().isEmpty() || url.isEmpty())
        return std::nullopt;
    QFile infoFile(infoPath(folder, url));
    if (!infoFile.open(QIODevice::ReadOnly))
        return std::nullopt;
    KeptPart part;
    for (const QByteArray& line : infoFile.readAll().split('\n')) {
        const qsizetype eq = line.indexOf('=');
        if (eq <= 0)
            continue;
        const QByteArray name = line.left(eq);
        const QString value = QString::fromUtf8(line.mid(eq + 1));
        if (name == "url")
            part.info.url = value;
        else if (name == "validator")
            part.info.validator = value;
        else if (name == "total")
            part.info.total = value.toLongLong();
    }
    infoFile.close();
    part.dataPath = dataPath(folder, url);
    part.have = QFileInfo(part.dataPath).size();
    const bool usable = part.info.url == normalized(url) && !part.info.validator.isEmpty() && part.have > 0 &&
                        part.have < part.info.total && QFileInfo(part.dataPath).isFile();
    if (!usable) {
        // Another address with the same key, a complete or empty part, or damaged information.
        if (part.info.url == normalized(url) || part.info.url.isEmpty())
            discard(folder, url);
        return std::nullopt;
    }
    return part;
}

HeaderList rangeHeaders(const KeptPart& part) {
    return {{"Range", "bytes=" + QByteArray::number(part.have) + '-'},
            {"If-Range", part.info.validator.toUtf8()}};
}

bool continues(const KeptPart& part, const QString& contentRange, const QString& etag) {
    const std::optional<HeaderHelpers::ContentRange> range = HeaderHelpers::parseContentRange(contentRange);
    if (!range || range->first != part.have || range->total != part.info.total ||
        range->last != part.info.total - 1)
        return false;
    // A validator that is an ETag must be the answer's own (nginx repeats it in a 206).
    const bool validatorIsEtag = part.info.validator.startsWith(u'"');
    return !validatorIsEtag || etag.trimmed().isEmpty() || etag.trimmed() == part.info.validator;
}

bool keep(PartFile& part, const ResumeInfo& info) {
    const QString folder = QFileInfo(part.target()).path();
    const QString bytes = part.release();
    if (bytes.isEmpty())
        return false;
    const QString data = dataPath(folder, info.url);
    QSaveFile infoFile(infoPath(folder, info.url));
    bool kept = std::rename(QFile::encodeName(bytes).constData(), QFile::encodeName(data).constData()) == 0;
    if (kept && infoFile.open(QIODevice::WriteOnly)) {
        infoFile.write("url=" + info.url.toUtf8() + "\nvalidator=" + info.validator.toUtf8() +
                       "\ntotal=" + QByteArray::number(info.total) + '\n');
        kept = infoFile.commit();
    } else {
        kept = false;
    }
    if (!kept) {
        QFile::remove(bytes);
        QFile::remove(data);
    }
    return kept;
}

bool take(const KeptPart& kept, PartFile& part) {
    const QString folder = QFileInfo(kept.dataPath).path();
    QFile::remove(infoPath(folder, kept.info.url));
    return part.adopt(kept.dataPath);
}

void discard(const QString& folder, const QString& url) {
    if (folder.trimmed().isEmpty() || url.isEmpty())
        return;
    QFile::remove(dataPath(folder, url));
    QFile::remove(infoPath(folder, url));
}

void discard(const KeptPart& part) {
    discard(QFileInfo(part.dataPath).path(), part.info.url);
}

void discardKey(const QString& folder, const QString& key) {
    for (const QString& url : key.split(u'|', Qt::SkipEmptyParts))
        discard(folder, url.trimmed());
}

void discardKeys(const std::vector<std::pair<QString, QString>>& folderKeys) {
    QHash<QString, QSet<QString>> keptIn; // folder -> names of kept files there
    for (const auto& [folder, key] : folderKeys) {
        if (folder.trimmed().isEmpty())
            continue;
        const QString dir = QDir::cleanPath(folder);
        auto found = keptIn.find(dir);
        if (found == keptIn.end()) {
            const QStringList names =
                QDir(dir).entryList({u".mojing-*.part"_s, u".mojing-*.resume"_s}, QDir::Files | QDir::Hidden);
            found = keptIn.insert(dir, QSet<QString>(names.begin(), names.end()));
        }
        if (found->isEmpty())
            continue;
        for (const QString& url : key.split(u'|', Qt::SkipEmptyParts)) {
            const QString data = QFileInfo(dataPath(dir, url.trimmed())).fileName();
            const QString info = QFileInfo(infoPath(dir, url.trimmed())).fileName();
            if (found->contains(data) || found->contains(info))
                discard(dir, url.trimmed());
        }
    }
}

} // namespace mojing::KeptParts
