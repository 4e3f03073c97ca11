#include "articles/NamingTemplate.h"
#include "articles/AuthorName.h"
#include "platform/AnsiCodec.h"
#include "platform/FileHelpers.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

using namespace mojing;
using namespace Qt::StringLiterals;

namespace {

const AnsiCodec& gbk() {
    static const AnsiCodec codec(u"GBK"_s);
    return codec;
}

ArticleMetadata article(const QString& title, const QStringList& authors, const QString& year,
                        const QString& journal = {}, const QString& doi = {}) {
    ArticleMetadata a;
    a.title = title;
    a.authors = authors;
    a.year = year;
    a.journal = journal;
    a.doi = doi;
    return a;
}

QString named(const QString& text, const ArticleMetadata& a, const QString& rowName) {
    const std::optional<NamingTemplate> naming = NamingTemplate::parse(text);
    EXPECT_TRUE(naming.has_value()) << text.toStdString();
    return naming ? naming->fileName(a, rowName, gbk()) : QString();
}

TEST(NamingTemplate, TemplatesThatCannotBeUsedSayWhy) {
    struct Case {
        const char* name;
        QString text;
        QString errorPart; // empty: accepted
    };
    const Case cases[] = {
        {"the default", u"{title}"_s, {}},
        {"field names ignore case and spaces", u"{ Author } {YEAR} {Title}"_s, {}},
        {"every field", u"{authors}-{author}-{year}-{journal}-{doi}-{title}"_s, {}},
        {"empty", u"  "_s, u"不能为空"_s},
        {"unknown field", u"{autor} {title}"_s, u"{autor}"_s},
        {"brace left open", u"{author {title}"_s, u"“}”"_s},
        {"brace open at the end", u"{title} {"_s, u"“}”"_s},
        {"closing brace alone", u"{title}}"_s, u"“{”"_s},
        {"no field at all", u"paper"_s, u"至少要有一个字段"_s},
    };
    for (const Case& c : cases) {
        QString error;
        const std::optional<NamingTemplate> parsed = NamingTemplate::parse(c.text, &error);
        EXPECT_EQ(parsed.has_value(), c.errorPart.isEmpty()) << c.name;
        if (!c.errorPart.isEmpty()) {
            EXPECT_TRUE(error.contains(c.errorPart)) << c.name << ": " << error.toStdString();
        }
    }
}

TEST(NamingTemplate, FileNamesFromMetadata) {
    const QStringList three = {u"Smith, John"_s, u"Ann Lee"_s, u"Kim, Min-jun"_s};
    const QStringList four = three + QStringList{u"Garcia, Ana"_s};
    struct Case {
        const char* name;
        QString text;
        ArticleMetadata article;
        QString rowName;
        QString expected;
    };
    const Case cases[] = {
        {"default keeps the row's name when there is no metadata",
         u"{title}"_s,
         {},
         u"Harvested title"_s,
         u"Harvested title"_s},
        {"author year title", u"{author} {year} {title}"_s, article(u"Deep nets"_s, three, u"2019"_s),
         u"row"_s, u"Smith 2019 Deep nets"_s},
        {"missing author takes its separator", u"{author} {year} {title}"_s,
         article(u"Deep nets"_s, {}, u"2019"_s), u"row"_s, u"2019 Deep nets"_s},
        {"missing year in the middle", u"{author} {year} {title}"_s, article(u"Deep nets"_s, three, {}),
         u"row"_s, u"Smith Deep nets"_s},
        {"missing year takes its brackets", u"{author} ({year}) {title}"_s,
         article(u"Deep nets"_s, three, {}), u"row"_s, u"Smith Deep nets"_s},
        {"missing last field takes the separator before it", u"{title} - {journal}"_s,
         article(u"Deep nets"_s, three, u"2019"_s), u"row"_s, u"Deep nets"_s},
        {"no metadata: the row's name is the title",
         u"{author} {year} {title}"_s,
         {},
         u"Harvested"_s,
         u"Harvested"_s},
        {"no metadata and no title field keeps the name",
         u"{author} {year}"_s,
         {},
         u"Harvested"_s,
         u"Harvested"_s},
        {"metadata without a title uses the row's name", u"{author} {year} {title}"_s,
         article({}, three, u"2019"_s), u"Listed name"_s, u"Smith 2019 Listed name"_s},
        {"three authors", u"{authors} - {title}"_s, article(u"T"_s, three, u"2019"_s), u"row"_s,
         u"Smith, Lee, Kim - T"_s},
        {"more than three authors", u"{authors} - {title}"_s, article(u"T"_s, four, u"2019"_s), u"row"_s,
         u"Smith, Lee, Kim et al. - T"_s},
        {"slash in the DOI made safe", u"{doi}"_s, article(u"T"_s, {}, {}, {}, u"10.1000/abc/def"_s),
         u"row"_s, u"10.1000_abc_def"_s},
        {"characters not allowed in names go", u"{author} {title}"_s,
         article(u"Why? A: \"study\" of <x>|y*"_s, three, {}), u"row"_s, u"Smith Why A study of xy"_s},
        {"line breaks in metadata become spaces", u"{title}"_s, article(u"Two\nlines\r\n here"_s, {}, {}),
         u"row"_s, u"Two lines here"_s},
        {"Chinese name without spaces", u"{author} {year} {title}"_s,
         article(u"深度学习研究"_s, {u"王小明"_s}, u"2020"_s), u"row"_s, u"王 2020 深度学习研究"_s},
        {"Chinese compound surname", u"{author}{title}"_s, article(u"论文"_s, {u"欧阳修"_s}, {}), u"row"_s,
         u"欧阳论文"_s},
        {"a template that yields nothing keeps the name", u"{journal}"_s, article(u"T"_s, three, u"2019"_s),
         u"row name"_s, u"row name"_s},
        {"trailing et al. loses the dot at the end of a name", u"{title} {authors}"_s,
         article(u"T"_s, four, {}), u"row"_s, u"T Smith, Lee, Kim et al"_s},
    };
    for (const Case& c : cases)
        EXPECT_EQ(named(c.text, c.article, c.rowName), c.expected) << c.name;
}

// A row is named again when it starts again (a retry, a second run): the name must not grow.
TEST(NamingTemplate, NamingTwiceChangesNothing) {
    const QStringList authors = {u"Smith, John"_s};
    struct Case {
        const char* name;
        QString text;
        ArticleMetadata article;
        QString rowName;
    };
    const Case cases[] = {
        {"title from metadata", u"{author} {year} {title}"_s, article(u"Deep nets"_s, authors, u"2019"_s),
         u"row"_s},
        {"title from the row's name", u"{author} {year} {title}"_s, article({}, authors, u"2019"_s),
         u"Listed name"_s},
        {"text around the name's title", u"Paper {title} ({year})"_s, article({}, authors, u"2019"_s),
         u"Listed"_s},
        {"ending in et al.", u"{title} {authors}"_s,
         article({}, QStringList{u"A B"_s, u"C D"_s, u"E F"_s, u"G H"_s}, {}), u"Listed"_s},
        {"literal text without metadata", u"Paper {title}"_s, {}, u"Harvested"_s},
    };
    for (const Case& c : cases) {
        const QString once = named(c.text, c.article, c.rowName);
        EXPECT_EQ(named(c.text, c.article, once), once) << c.name;
        // A clash counter added after the first naming stays for the duplicate-name rules.
        EXPECT_EQ(named(c.text, c.article, once + u"[001]"_s),
                  c.article.title.isEmpty() ? once + u"[001]"_s : once)
            << c.name;
    }
}

TEST(NamingTemplate, LongTitlesGiveWayToTheOtherFields) {
    const QString longLatin = QString(u"word "_s).repeated(60).trimmed(); // 299 characters
    const QString longChinese = QString(u"研"_s).repeated(150);
    struct Case {
        const char* name;
        QString text;
        ArticleMetadata article;
        QString expectedStart;
        QString expectedEnd;
    };
    const Case cases[] = {
        {"prefix stays, title cut", u"{author} {year} {title}"_s,
         article(longLatin, {u"Smith, J"_s}, u"2019"_s), u"Smith 2019 word word"_s, u"word"_s},
        {"suffix stays, title cut after a whole word", u"{title} ({year})"_s,
         article(longLatin, {}, u"2019"_s), u"word word"_s, u"word word (2019)"_s},
        {"Chinese title cut in whole characters", u"{author} {title}"_s,
         article(longChinese, {u"王小明"_s}, {}), u"王 研研"_s, u"研研"_s},
    };
    const AnsiCodec utf8(u"UTF-8"_s);
    for (const Case& c : cases) {
        const QString name = named(c.text, c.article, u"row"_s);
        EXPECT_TRUE(name.startsWith(c.expectedStart)) << c.name << ": " << name.toStdString();
        EXPECT_TRUE(name.endsWith(c.expectedEnd)) << c.name << ": " << name.toStdString();
        EXPECT_LE(gbk().byteLength(name), 200) << c.name;
        EXPECT_LE(utf8.byteLength(name), 235) << c.name;
        EXPECT_TRUE(gbk().byteLength(name) >= 190 || utf8.byteLength(name) >= 225)
            << c.name << ": the title is cut no further than needed";
        EXPECT_EQ(FileHelpers::sanitizeFileName(name, gbk()), name) << c.name << ": a clean name";
    }
    // The default template keeps the sanitiser's cut exactly.
    EXPECT_EQ(named(u"{title}"_s, {}, longChinese), FileHelpers::sanitizeFileName(longChinese, gbk()));
    EXPECT_EQ(named(u"{title}"_s, article(longChinese, {}, {}), u"row"_s),
              FileHelpers::sanitizeFileName(longChinese, gbk()));
}

TEST(AuthorName, FamilyAndGivenNames) {
    struct Case {
        const char* name;
        QString written;
        AuthorName expected;
    };
    const Case cases[] = {
        {"family first with a comma", u"Smith, John A."_s, {u"Smith"_s, u"John A."_s, {}}},
        {"given first", u"John A. Smith"_s, {u"Smith"_s, u"John A."_s, {}}},
        {"single word", u"Aristotle"_s, {u"Aristotle"_s, {}, {}}},
        {"particle with comma stays with the family",
         u"van Beethoven, Ludwig"_s,
         {u"van Beethoven"_s, u"Ludwig"_s, {}}},
        {"generational suffix passed over",
         u"Martin Luther King Jr."_s,
         {u"King"_s, u"Martin Luther"_s, u"Jr."_s}},
        {"suffix in the comma form",
         u"King, Jr., Martin Luther"_s,
         {u"King"_s, u"Martin Luther"_s, u"Jr."_s}},
        {"Chinese without spaces", u"王小明"_s, {u"王"_s, u"小明"_s, {}}},
        {"Chinese compound surname", u"欧阳修"_s, {u"欧阳"_s, u"修"_s, {}}},
        {"Chinese with a space: family first", u"王 小明"_s, {u"王"_s, u"小明"_s, {}}},
        {"Korean", u"김민수"_s, {u"김"_s, u"민수"_s, {}}},
        {"extra spaces", u"  John   Smith "_s, {u"Smith"_s, u"John"_s, {}}},
        {"stray comma in front", u", John Smith"_s, {u"Smith"_s, u"John"_s, {}}},
        {"empty", u" "_s, {}},
    };
    for (const Case& c : cases) {
        const AuthorName n = AuthorName::parse(c.written);
        EXPECT_EQ(n.family, c.expected.family) << c.name;
        EXPECT_EQ(n.given, c.expected.given) << c.name;
        EXPECT_EQ(n.suffix, c.expected.suffix) << c.name;
    }
}

} // namespace
