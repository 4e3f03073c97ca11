#pragma once

#include "ArticleMetadata.h"

#include <QString>
#include <optional>
#include <vector>

namespace mojing {

class AnsiCodec;

// How downloaded files are named: a template such as "{author} {year} {title}" over the article's
// metadata. Fields: {title}, {author} (the first author's family name), {authors} (up to three
// family names joined by ", ", then " et al."), {year}, {journal} and {doi} ("/" written "_").
// Field names ignore letter case. An empty field goes together with the text that separates it
// from its neighbour, and with brackets right around it: "{author} ({year}) {title}" without a
// year gives "Smith Title".
class NamingTemplate {
public:
    static inline const QString kDefault = QStringLiteral("{title}");

    // The template, or std::nullopt with `error` saying what is wrong (an unknown field, a brace
    // without its partner, no field at all), in words for the user.
    static std::optional<NamingTemplate> parse(const QString& text, QString* error = nullptr);

    QString text() const { return m_text; }

    // The file name (without extension) for a row named `name` with the metadata `article`. The
    // title is the metadata's, or else the row's name; a name that already has the template's
    // form around its title is kept, so that naming a row twice changes nothing. The result is
    // cleaned like any file name; when it is too long the title is shortened and the other fields
    // stay whole. A template that yields nothing keeps the row's (cleaned) name.
    QString fileName(const ArticleMetadata& article, const QString& name, const AnsiCodec& codec) const;

private:
    enum class Field { Title, Author, Authors, Year, Journal, Doi };
    struct Part {
        QString literal; // the text before the field (or the text after the last one)
        std::optional<Field> field;
    };
    static QString value(Field field, const ArticleMetadata& article);

    QString m_text;
    std::vector<Part> m_parts;
};

} // namespace mojing
