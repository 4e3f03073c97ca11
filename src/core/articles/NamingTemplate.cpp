#include "NamingTemplate.h"

#include "AuthorName.h"
#include "platform/AnsiCodec.h"
#include "platform/FileHelpers.h"

#include <QStringList>

using namespace Qt::StringLiterals;

namespace mojing {

namespace {

constexpr int kAuthorsNamed = 3;

QChar closingBracket(QChar open) {
    switch (open.unicode()) {
    case u'(':
        return u')';
    case u'[':
        return u']';
    case u'（':
        return u'）';
    case u'【':
        return u'】';
    case u'《':
        return u'》';
    case u'「':
        return u'」';
    case u'『':
        return u'』';
    default:
        return {};
    }
}

// The name without the "[001]" counter a clash gave it.
QString withoutCounter(const QString& name) {
    if (!name.endsWith(u']'))
        return name;
    const qsizetype open = name.lastIndexOf(u'[');
    if (open < 0 || open + 2 >= name.size())
        return name;
    for (qsizetype i = open + 1; i < name.size() - 1; ++i) {
        if (!name.at(i).isDigit())
            return name;
    }
    return name.left(open);
}

QString withoutLeadingDots(QString text) {
    while (text.startsWith(u'.'))
        text.remove(0, 1);
    return text;
}

QString withoutTrailingDots(QString text) {
    while (text.endsWith(u'.'))
        text.chop(1);
    return text;
}

// `body` cut to `cut.size()` characters, ending at a word's end where one is near.
QString atWordEnd(const QString& cut, const QString& body) {
    constexpr qsizetype kLongestWord = 30;
    QString text = cut;
    if (text.size() < body.size() && body.at(text.size()).isLetterOrNumber() && !text.isEmpty() &&
        text.back().isLetterOrNumber()) {
        const qsizetype space = text.lastIndexOf(u' ');
        if (space > 0 && space >= text.size() - kLongestWord)
            text.truncate(space);
    }
    while (text.endsWith(u' '))
        text.chop(1);
    return text;
}

} // namespace

std::optional<NamingTemplate> NamingTemplate::parse(const QString& text, QString* error) {
    auto fail = [error](const QString& why) -> std::optional<NamingTemplate> {
        if (error)
            *error = why;
        return std::nullopt;
    };
    static const QList<std::pair<QString, Field>> names = {
        {u"title"_s, Field::Title}, {u"author"_s, Field::Author},   {u"authors"_s, Field::Authors},
        {u"year"_s, Field::Year},   {u"journal"_s, Field::Journal}, {u"doi"_s, Field::Doi}};

    NamingTemplate result;
    result.m_text = text.trimmed();
    if (result.m_text.isEmpty())
        return fail(u"文件命名不能为空。"_s);
    const QString& t = result.m_text;
    QString literal;
    bool anyField = false;
    for (qsizetype i = 0; i < t.size(); ++i) {
        if (t.at(i) == u'}')
            return fail(u"“}”前面缺少配对的“{”。"_s);
        if (t.at(i) != u'{') {
            literal += t.at(i);
            continue;
        }
        const qsizetype close = t.indexOf(u'}', i + 1);
        const qsizetype nextOpen = t.indexOf(u'{', i + 1);
        if (close < 0 || (nextOpen >= 0 && nextOpen < close))
            return fail(u"“{”后面缺少配对的“}”。"_s);
        const QString word = t.mid(i + 1, close - i - 1).trimmed().toLower();
        std::optional<Field> field;
        for (const auto& [fieldName, f] : names) {
            if (fieldName == word)
                field = f;
        }
        if (!field)
            return fail(u"不认识的字段 {"_s + t.mid(i + 1, close - i - 1) + u"}。"_s);
        result.m_parts.push_back({literal, field});
        literal.clear();
        anyField = true;
        i = close;
    }
    if (!anyField)
        return fail(u"至少要有一个字段，例如 {title}。"_s);
    result.m_parts.push_back({literal, std::nullopt});
    return result;
}

QString NamingTemplate::value(Field field, const ArticleMetadata& article) {
    switch (field) {
    case Field::Title:
        return article.title.simplified();
    case Field::Author:
        for (const QString& author : article.authors) {
            if (const QString family = AuthorName::parse(author).family; !family.isEmpty())
                return family;
        }
        return {};
    case Field::Authors: {
        QStringList families;
        for (const QString& author : article.authors) {
            if (const QString family = AuthorName::parse(author).family; !family.isEmpty())
                families << family;
        }
        const bool more = families.size() > kAuthorsNamed;
        return families.mid(0, kAuthorsNamed).join(u", "_s) + (more ? u" et al."_s : QString());
    }
    case Field::Year:
        return article.year.simplified();
    case Field::Journal:
        return article.journal.simplified();
    case Field::Doi:
        return article.doi.simplified().replace(u'/', u'_');
    }
    return {};
}

QString NamingTemplate::fileName(const ArticleMetadata& article, const QString& name,
                                 const AnsiCodec& codec) const {
    const QString metadataTitle = article.title.simplified();
    const bool titleFromName = metadataTitle.isEmpty();
    const size_t fields = m_parts.size() - 1;
    std::vector<QString> literals;
    std::vector<QString> values;
    for (const Part& part : m_parts) {
        literals.push_back(part.literal);
        if (!part.field)
            continue;
        if (*part.field == Field::Title)
            values.push_back(titleFromName ? name : metadataTitle);
        else
            values.push_back(value(*part.field, article));
    }

    // An empty field takes the brackets right around it, then the text between it and the field
    // kept before it (or, when none was kept before, the text after it).
    for (size_t i = 0; i < fields; ++i) {
        QString& before = literals[i];
        QString& after = literals[i + 1];
        if (values[i].isEmpty() && !before.isEmpty() && !after.isEmpty()) {
            const QChar close = closingBracket(before.back());
            if (!close.isNull() && after.front() == close) {
                before.chop(1);
                after.remove(0, 1);
            }
        }
    }
    std::vector<bool> literalKept(fields + 1, true);
    bool anyKept = false;
    for (size_t i = 0; i < fields; ++i) {
        if (!values[i].isEmpty())
            anyKept = true;
        else
            literalKept[anyKept ? i : i + 1] = false;
    }
    if (!anyKept)
        return FileHelpers::sanitizeFileName(name, codec);

    // The first title splits the name into what comes before it, the title, and what follows.
    QString head;
    QString body;
    QString tail;
    bool titleSeen = false;
    for (size_t i = 0; i <= fields; ++i) {
        QString& text = titleSeen ? tail : head;
        if (literalKept[i])
            text += literals[i];
        if (i == fields)
            break;
        if (!titleSeen && m_parts[i].field == Field::Title && !values[i].isEmpty()) {
            body = values[i];
            titleSeen = true;
        } else {
            text += values[i];
        }
    }
    head = FileHelpers::removeUnsafeCharacters(head);
    body = FileHelpers::removeUnsafeCharacters(body);
    tail = FileHelpers::removeUnsafeCharacters(tail);
    if (head.isEmpty() && tail.isEmpty())
        return FileHelpers::sanitizeFileName(body, codec);

    if (titleFromName && titleSeen) {
        // Named before (a retry, a second start): the name already is the title in its frame.
        const QString current = withoutCounter(FileHelpers::removeUnsafeCharacters(name));
        const QString front = withoutLeadingDots(head);
        const QString back = withoutTrailingDots(tail);
        if (current.size() > front.size() + back.size() && current.startsWith(front) &&
            current.endsWith(back))
            return FileHelpers::sanitizeFileName(name, codec);
    }

    QString whole = head + body + tail;
    if (FileHelpers::cutToNameLimits(whole, codec) != whole) {
        // Too long: the title gives way, the author, year and the rest stay readable.
        const QString cut = atWordEnd(FileHelpers::cutToNameLimits(body, codec, head + tail), body);
        if (!cut.isEmpty())
            whole = head + cut + tail;
    }
    const QString result = FileHelpers::sanitizeFileName(whole, codec);
    return result.isEmpty() ? FileHelpers::sanitizeFileName(name, codec) : result;
}

} // namespace mojing
