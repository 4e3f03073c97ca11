#include "articles/BibTexWriter.h"
#include "articles/RisWriter.h"
#include "support/QtPrinters.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>
#include <gtest/gtest.h>

using namespace mojing;
using namespace Qt::StringLiterals;

namespace {

ReferenceEntry entry(const QString& title, const QStringList& authors, const QString& year,
                     const QString& journal = {}, const QString& doi = {}, const QString& page = {},
                     const QString& file = {}) {
    ReferenceEntry e;
    e.article.title = title;
    e.article.authors = authors;
    e.article.year = year;
    e.article.journal = journal;
    e.article.doi = doi;
    e.article.articlePage = page;
    e.filePath = file;
    return e;
}

// Titles and names that BibTeX, TeX or a careless writer would change.
ReferenceEntries trickyEntries() {
    return {
        entry(u"Deep Learning for DNA & RNA: 50% of $x_1{y}# ~^ back\\slash"_s,
              {u"Smith, John"_s, u"Ann Lee"_s, u"van Beethoven, Ludwig"_s}, u"2019"_s,
              u"Journal of AI & Data_Science"_s, u"10.1000/xyz_1"_s, u"https://example.org/a?b=1&c=2%20x"_s,
              u"/tmp/papers/Smith 2019 Deep.pdf"_s),
        entry(u"A--B and C---D, ''quoted'' ,,low`` <<x>>"_s, {u"王小明"_s, u"欧阳修"_s}, u"2020"_s),
        entry(u"Über Ökologie — naïve café, 深度学习在蛋白质结构中的应用"_s,
              {u"Müller-Lüdenscheidt, K. A."_s, u"Seán Ó Dálaigh"_s}, u"2018"_s),
        entry(u"Tom and Jerry: a {brace} left } open"_s,
              {u"Smith and Sons, Ltd"_s, u"Martin Luther King Jr."_s, u"de la Cruz, Ana"_s}, u"2017"_s),
        entry(u"O'Brien's theorem"_s, {u"O'Brien, Seán"_s}, u"2016"_s),
    };
}

struct ReadName {
    QString family;
    QString given;
    QString suffix;
    bool operator==(const ReadName&) const = default;
};

void PrintTo(const ReadName& n, std::ostream* os) {
    *os << n.family.toStdString() << " / " << n.given.toStdString() << " / " << n.suffix.toStdString();
}

// TeX prints an apostrophe as a closing quote, and the parser says so; the text is the same.
QString plainQuotes(QString text) {
    return text.replace(u'’', u'\'');
}

TEST(BibTexWriter, ParserReadsBackTheSameTitlesNamesAndYears) {
    const QString pandoc = QStandardPaths::findExecutable(u"pandoc"_s);
    if (pandoc.isEmpty())
        GTEST_SKIP() << "pandoc is not installed (scripts/deps.sh installs it): the BibTeX is not read back";
    const ReferenceEntries entries = trickyEntries();
    QProcess process;
    process.start(pandoc, {u"-f"_s, u"bibtex"_s, u"-t"_s, u"csljson"_s});
    ASSERT_TRUE(process.waitForStarted(10000));
    process.write(BibTexWriter::write(entries));
    process.closeWriteChannel();
    ASSERT_TRUE(process.waitForFinished(60000));
    ASSERT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    const QJsonArray read = QJsonDocument::fromJson(process.readAllStandardOutput()).array();
    ASSERT_EQ(read.size(), qsizetype(entries.size()));

    // The names as the writer meant them: family, given and suffix.
    const QList<QList<ReadName>> names = {
        {{u"Smith"_s, u"John"_s, {}}, {u"Lee"_s, u"Ann"_s, {}}, {u"van Beethoven"_s, u"Ludwig"_s, {}}},
        {{u"王"_s, u"小明"_s, {}}, {u"欧阳"_s, u"修"_s, {}}},
        {{u"Müller-Lüdenscheidt"_s, u"K. A."_s, {}}, {u"Dálaigh"_s, u"Seán Ó"_s, {}}},
        {{u"Smith and Sons"_s, u"Ltd"_s, {}},
         {u"King"_s, u"Martin Luther"_s, u"Jr."_s},
         {u"de la Cruz"_s, u"Ana"_s, {}}},
        {{u"O'Brien"_s, u"Seán"_s, {}}},
    };
    const QStringList keys = BibTexWriter::keys(entries);
    for (qsizetype i = 0; i < read.size(); ++i) {
        const QJsonObject item = read[i].toObject();
        const ArticleMetadata& a = entries[size_t(i)].article;
        SCOPED_TRACE(a.title.toStdString());
        EXPECT_EQ(item[u"id"_s].toString(), keys[i]);
        EXPECT_EQ(plainQuotes(item[u"title"_s].toString()), a.title);
        EXPECT_EQ(item[u"issued"_s][u"date-parts"_s][0][0].toInt(), a.year.toInt());
        EXPECT_EQ(item[u"container-title"_s].toString(), a.journal);
        EXPECT_EQ(item[u"DOI"_s].toString(), a.doi);
        EXPECT_EQ(item[u"URL"_s].toString(), a.articlePage);
        QList<ReadName> readNames;
        for (const QJsonValue& author : item[u"author"_s].toArray()) {
            // The parser may take a particle apart from the family name; together they are it.
            QStringList family;
            for (const QString& part : {u"dropping-particle"_s, u"non-dropping-particle"_s, u"family"_s}) {
                if (!author[part].toString().isEmpty())
                    family << author[part].toString();
            }
            readNames << ReadName{plainQuotes(family.join(u' ')), author[u"given"_s].toString(),
                                  author[u"suffix"_s].toString()};
        }
        EXPECT_EQ(readNames, names[i]);
    }
}

TEST(BibTexWriter, KeysAreUniqueAndStable) {
    const QStringList smith = {u"Smith, John"_s};
    const ReferenceEntries entries = {
        entry(u"Deep nets"_s, smith, u"2019"_s),
        entry(u"Deep nets, again"_s, smith, u"2019"_s),
        entry(u"Deeper still"_s, {u"John Smith"_s}, u"2019"_s),
        entry(u"Deep"_s, smith, u"2019"_s),
        entry(u"The art of naming"_s, smith, u"2019"_s),
        entry(u"A study"_s, {}, {}),
        entry({}, {}, {}),
        entry(u"深度学习研究"_s, {u"王小明"_s}, u"2020"_s),
        entry(u"On \"quotes\""_s, {u"O'Brien, S."_s}, u"2016"_s),
        entry({}, {}, {}),
        entry(u"Über Ökologie"_s, {u"Müller-Lüdenscheidt, K."_s}, u"2018"_s),
        entry(u"O'Brien's theorem"_s, {u"O'Brien, S."_s}, u"2016"_s),
    };
    const QStringList expected = {u"smith2019deep"_s,
                                  u"smith2019deepa"_s,
                                  u"smith2019deeper"_s,
                                  u"smith2019deepb"_s,
                                  u"smith2019art"_s,
                                  u"study"_s,
                                  u"ref"_s,
                                  u"王2020深度"_s,
                                  u"obrien2016on"_s,
                                  u"refa"_s,
                                  u"mullerludenscheidt2018uber"_s,
                                  u"obrien2016obriens"_s};
    EXPECT_EQ(BibTexWriter::keys(entries), expected);
    // Rows added later do not change the keys of the rows before them.
    const ReferenceEntries firstFour(entries.begin(), entries.begin() + 4);
    EXPECT_EQ(BibTexWriter::keys(firstFour), expected.mid(0, 4));
}

TEST(BibTexWriter, FileAndAddressFieldsStayReadable) {
    const ReferenceEntries entries = {entry(u"T"_s, {}, u"2019"_s, {}, u"10.1000/{odd}"_s, u"https://h/a}b"_s,
                                            u"/data/论文: 第1篇;v2.pdf"_s)};
    const QString bib = QString::fromUtf8(BibTexWriter::write(entries));
    EXPECT_TRUE(bib.startsWith(u"@article{2019t,\n"_s)) << bib.toStdString();
    EXPECT_TRUE(bib.contains(u"  file = {:/data/论文\\: 第1篇\\;v2.pdf:PDF}"_s)) << bib.toStdString();
    EXPECT_TRUE(bib.contains(u"  doi = {10.1000/%7Bodd%7D}"_s)) << bib.toStdString();
    EXPECT_TRUE(bib.contains(u"  url = {https://h/a%7Db}"_s)) << bib.toStdString();
    EXPECT_FALSE(bib.contains(u"journal"_s)) << "empty fields are left out";

    // Braces of a title stay in the path that names the file, unless one alone would end the field.
    const std::pair<QString, QString> paths[] = {
        {u"/d/a {b} c.pdf"_s, u"file = {:/d/a {b} c.pdf:PDF}"_s},
        {u"/d/a } c {.pdf"_s, u"file = {:/d/a \\} c \\{.pdf:PDF}"_s},
    };
    for (const auto& [path, field] : paths) {
        const QString text =
            QString::fromUtf8(BibTexWriter::write({entry(u"T"_s, {}, {}, {}, {}, {}, path)}));
        EXPECT_TRUE(text.contains(field)) << text.toStdString();
    }
}

// A reader as reference managers read RIS: "XX  - value" lines ending in CR LF, records from TY to
// ER.
struct RisRecord {
    QMultiMap<QString, QString> tags;
    QStringList all(const QString& tag) const {
        QStringList values = tags.values(tag);
        std::reverse(values.begin(), values.end()); // QMultiMap lists the latest first
        return values;
    }
};

QList<RisRecord> readRis(const QByteArray& bytes, QString& problem) {
    QList<RisRecord> records;
    const QString text = QString::fromUtf8(bytes);
    if (!text.endsWith(u"\r\n"_s)) {
        problem = u"the text does not end with CR LF"_s;
        return {};
    }
    QStringList lines = text.split(u"\r\n"_s);
    lines.removeLast();
    RisRecord* open = nullptr;
    for (const QString& line : lines) {
        if (line.contains(u'\n') || line.contains(u'\r') || line.size() < 6 || line.mid(2, 4) != u"  - "_s) {
            problem = u"not a RIS line: "_s + line;
            return {};
        }
        const QString tag = line.left(2);
        const QString value = line.mid(6);
        if (tag == u"TY"_s) {
            records.append(RisRecord());
            open = &records.last();
        } else if (!open) {
            problem = u"a tag outside a record: "_s + line;
            return {};
        }
        if (tag == u"ER"_s)
            open = nullptr;
        else
            open->tags.insert(tag, value);
    }
    if (open)
        problem = u"a record without ER"_s;
    return records;
}

TEST(RisWriter, ReaderGetsEveryFieldBack) {
    ReferenceEntries entries = trickyEntries();
    entries.push_back(entry(u"Two\nlines"_s, {}, {}));
    QString problem;
    const QList<RisRecord> records = readRis(RisWriter::write(entries), problem);
    ASSERT_TRUE(problem.isEmpty()) << problem.toStdString();
    ASSERT_EQ(records.size(), qsizetype(entries.size()));

    const RisRecord& first = records[0];
    EXPECT_EQ(first.all(u"TY"_s), QStringList{u"JOUR"_s});
    EXPECT_EQ(first.all(u"TI"_s), QStringList{entries[0].article.title});
    EXPECT_EQ(first.all(u"AU"_s), (QStringList{u"Smith, John"_s, u"Lee, Ann"_s, u"van Beethoven, Ludwig"_s}));
    EXPECT_EQ(first.all(u"PY"_s), QStringList{u"2019"_s});
    EXPECT_EQ(first.all(u"T2"_s), QStringList{u"Journal of AI & Data_Science"_s});
    EXPECT_EQ(first.all(u"DO"_s), QStringList{u"10.1000/xyz_1"_s});
    EXPECT_EQ(first.all(u"UR"_s), QStringList{u"https://example.org/a?b=1&c=2%20x"_s});
    ASSERT_EQ(first.all(u"L1"_s).size(), 1);
    EXPECT_EQ(QUrl(first.all(u"L1"_s).first()).toLocalFile(), u"/tmp/papers/Smith 2019 Deep.pdf"_s);

    EXPECT_EQ(records[1].all(u"AU"_s), (QStringList{u"王, 小明"_s, u"欧阳, 修"_s}));
    EXPECT_EQ(records[3].all(u"AU"_s),
              (QStringList{u"Smith and Sons, Ltd"_s, u"King, Martin Luther, Jr."_s, u"de la Cruz, Ana"_s}));
    EXPECT_FALSE(records[1].tags.contains(u"L1"_s)) << "no file, no link";
    EXPECT_EQ(records.last().all(u"TI"_s), QStringList{u"Two lines"_s});
}

} // namespace
