#include "BibTexWriter.h"

#include "AuthorName.h"

#include <QFileInfo>
#include <QSet>

using namespace Qt::StringLiterals;

namespace mojing::BibTexWriter {

namespace {

bool isEastAsian(QChar c) {
    const QChar::Script script = c.script();
    return script == QChar::Script_Han || script == QChar::Script_Hiragana ||
           script == QChar::Script_Katakana || script == QChar::Script_Hangul;
}

// Letters and digits of `text`, lower-cased, accents taken off ("Müller" gives "muller"): keys
// are typed in citations and must suit the oldest tools.
QString keyPart(const QString& text) {
    QString part;
    for (QChar c : text.normalized(QString::NormalizationForm_D)) {
        if (c.isLetterOrNumber())
            part += c.toLower();
    }
    return part.normalized(QString::NormalizationForm_C);
}

// The first word of a title that says something ("A", "An", "The" pass); in East Asian script,
// where words are not spaced, its first two characters.
QString firstTitleWord(const QString& title) {
    static const QSet<QString> articles = {u"a"_s, u"an"_s, u"the"_s};
    QString word;
    auto wordDone = [&] { return !word.isEmpty() && !articles.contains(word.toLower()); };
    for (QChar c : title) {
        if ((c == u'\'' || c == u'’') && !word.isEmpty())
            continue; // "O'Brien's" is one word
        if (c.isLetterOrNumber()) {
            word += c;
            if (isEastAsian(word.front()) && word.size() == 2)
                return word;
            continue;
        }
        if (wordDone())
            return word;
        word.clear();
    }
    return wordDone() ? word : QString();
}

QString baseKey(const ArticleMetadata& article) {
    QString family;
    for (const QString& author : article.authors) {
        family = AuthorName::parse(author).family;
        if (!family.isEmpty())
            break;
    }
    const QString key = keyPart(family) + keyPart(article.year) + keyPart(firstTitleWord(article.title));
    return key.isEmpty() ? u"ref"_s : key;
}

// "a" .. "z", "aa", "ab", ...
QString clashSuffix(int n) {
    QString suffix;
    do {
        suffix.prepend(QChar(u'a' + n % 26));
        n = n / 26 - 1;
    } while (n >= 0);
    return suffix;
}

bool containsAnd(const QString& part) {
    return part.split(u' ').contains(u"and"_s, Qt::CaseInsensitive);
}

// A family name that a parser must not split: one with spaces (a particle would be taken off),
// starting in lower case (a particle itself) or holding the word "and" (another author).
QString familyPart(const QString& family) {
    const QString text = escaped(family);
    const bool risky = family.contains(u' ') || family.front().isLower() || containsAnd(family);
    return risky ? u'{' + text + u'}' : text;
}

// Given names keep their spaces; a comma or "and" would start another part or another author.
QString givenPart(const QString& given) {
    const QString text = escaped(given);
    return given.contains(u',') || containsAnd(given) ? u'{' + text + u'}' : text;
}

QString authorField(const QString& written) {
    const AuthorName name = AuthorName::parse(written);
    if (name.family.isEmpty())
        return {};
    QString field = familyPart(name.family);
    if (!name.suffix.isEmpty())
        field += u", "_s + escaped(name.suffix);
    if (!name.given.isEmpty())
        field += u", "_s + givenPart(name.given);
    return field;
}

// Addresses and DOIs are read verbatim; only braces and backslashes, which would end or break
// the field, are percent-encoded.
QString verbatim(const QString& text) {
    QString out = text.simplified();
    out.replace(u'\\', u"%5C"_s).replace(u'{', u"%7B"_s).replace(u'}', u"%7D"_s);
    return out;
}

bool bracesBalanced(const QString& text) {
    int depth = 0;
    for (QChar c : text) {
        if (c == u'{')
            ++depth;
        else if (c == u'}' && --depth < 0)
            return false;
    }
    return depth == 0;
}

// "description:path:type", with the separators of that form escaped. Balanced braces (a title's
// "{study}") are written as they are, so the path still names the file; a lone brace would end
// the field and is escaped.
QString fileField(const QString& path) {
    QString escapedPath = path;
    escapedPath.replace(u'\\', u"\\\\"_s).replace(u':', u"\\:"_s).replace(u';', u"\\;"_s);
    if (!bracesBalanced(path))
        escapedPath.replace(u'{', u"\\{"_s).replace(u'}', u"\\}"_s);
    return u':' + escapedPath + u':' + QFileInfo(path).suffix().toUpper();
}

} // namespace

QString escaped(const QString& input) {
    const QString text = input.simplified();
    QString out;
    out.reserve(text.size() + 16);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        switch (c.unicode()) {
        case u'\\':
            out += u"\\textbackslash{}"_s;
            break;
        case u'{':
        case u'}':
        case u'%':
        case u'&':
        case u'#':
        case u'$':
        case u'_':
            out += u'\\';
            out += c;
            break;
        case u'~':
            out += u"\\textasciitilde{}"_s;
            break;
        case u'^':
            out += u"\\textasciicircum{}"_s;
            break;
        case u'`':
            out += u"\\`{}"_s;
            break;
        default:
            out += c;
            // TeX joins "--" into a dash, "''" into a quote, ",," "<<" ">>" into quotes: an
            // empty group between them keeps the characters.
            if (i + 1 < text.size() && text.at(i + 1) == c &&
                (c == u'-' || c == u'\'' || c == u',' || c == u'<' || c == u'>'))
                out += u"{}"_s;
        }
    }
    return out;
}

QStringList keys(const ReferenceEntries& entries) {
    QStringList result;
    QSet<QString> taken;
    for (const ReferenceEntry& entry : entries) {
        const QString base = baseKey(entry.article);
        QString key = base;
        for (int n = 0; taken.contains(key); ++n)
            key = base + clashSuffix(n);
        taken.insert(key);
        result << key;
    }
    return result;
}

QByteArray write(const ReferenceEntries& entries) {
    const QStringList citationKeys = keys(entries);
    QString out;
    for (size_t i = 0; i < entries.size(); ++i) {
        const ArticleMetadata& a = entries[i].article;
        QStringList fields;
        auto add = [&fields](const QString& name, const QString& value) {
            if (!value.isEmpty())
                fields << u"  "_s + name + u" = {"_s + value + u'}';
        };
        // Double braces: styles that lower-case titles leave this one as written.
        if (const QString title = escaped(a.title); !title.isEmpty())
            add(u"title"_s, u'{' + title + u'}');
        QStringList authors;
        for (const QString& author : a.authors) {
            if (const QString field = authorField(author); !field.isEmpty())
                authors << field;
        }
        add(u"author"_s, authors.join(u" and "_s));
        add(u"year"_s, escaped(a.year));
        add(u"journal"_s, escaped(a.journal));
        add(u"doi"_s, verbatim(a.doi));
        add(u"url"_s, verbatim(a.articlePage));
        if (!entries[i].filePath.isEmpty())
            add(u"file"_s, fileField(entries[i].filePath));
        out += u"@article{"_s + citationKeys[int(i)] + u",\n"_s + fields.join(u",\n"_s) + u"\n}\n\n"_s;
    }
    return out.toUtf8();
}

} // namespace mojing::BibTexWriter
