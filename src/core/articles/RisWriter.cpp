#include "RisWriter.h"

#include "AuthorName.h"

#include <QUrl>

using namespace Qt::StringLiterals;

namespace mojing::RisWriter {

namespace {

// "Family, Given, Suffix": the order RIS readers split.
QString authorValue(const QString& written) {
    const AuthorName name = AuthorName::parse(written);
    if (name.family.isEmpty())
        return {};
    QString value = name.family;
    if (!name.given.isEmpty() || !name.suffix.isEmpty())
        value += u", "_s + name.given;
    if (!name.suffix.isEmpty())
        value += u", "_s + name.suffix;
    return value;
}

} // namespace

QByteArray write(const ReferenceEntries& entries) {
    QString out;
    auto line = [&out](const char* tag, const QString& value) {
        // A value is one line; a reader takes a line break for the start of the next tag.
        out += QLatin1StringView(tag) + u"  - "_s + value.simplified() + u"\r\n"_s;
    };
    auto optional = [&line](const char* tag, const QString& value) {
        if (!value.simplified().isEmpty())
            line(tag, value);
    };
    for (const ReferenceEntry& entry : entries) {
        const ArticleMetadata& a = entry.article;
        line("TY", u"JOUR"_s);
        optional("TI", a.title);
        for (const QString& author : a.authors)
            optional("AU", authorValue(author));
        optional("PY", a.year);
        optional("T2", a.journal);
        optional("DO", a.doi);
        optional("UR", a.articlePage);
        if (!entry.filePath.isEmpty())
            line("L1", QUrl::fromLocalFile(entry.filePath).toString(QUrl::FullyEncoded));
        out += u"ER  - \r\n"_s;
    }
    return out.toUtf8();
}

} // namespace mojing::RisWriter
