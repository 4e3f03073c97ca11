#include "support/ArticleSite.h"
#include "support/CliRun.h"
#include "support/FaultServer.h"
#include "support/QtPrinters.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace mojing;
using namespace Qt::StringLiterals;

namespace {

class ResolveCommandTest : public ::testing::Test {
public:
    void SetUp() override {
        server.route(u"/doi/10.5555/a"_s, FaultServer::redirect("/article/a"));
        server.route(u"/article/a"_s, articlePageReply(articlePageHtml(u"Article A"_s, u"/pdf/a"_s,
                                                                       {u"Li, Na"_s, u"Ola Berg"_s},
                                                                       u"2021/02/01"_s, u"10.5555/a"_s)));
        server.route(u"/doi/10.5555/b"_s, FaultServer::redirect("/article/b"));
        server.route(u"/article/b"_s, articlePageReply(articlePageHtml(u"Article B"_s, QString())));
    }
    QStringList withResolver(const QStringList& args) const {
        return QStringList{u"--resolver"_s, server.url(u"/doi/"_s)} + args;
    }

    FaultServer server;
    QTemporaryDir dir;
};

TEST_F(ResolveCommandTest, OneLinePerInputInTheirOrder) {
    const CliRun tsv = runCliCommand(u"resolve"_s, withResolver({u"doi:10.5555/a"_s}));
    EXPECT_EQ(tsv.code, 0) << tsv.err.toStdString();
    EXPECT_EQ(tsv.out,
              u"doi:10.5555/a\tok\tArticle A\tLi, Na; Ola Berg\t2021\tJournal of Tests\t10.5555/a\t"_s +
                  server.url(u"/pdf/a"_s) + u'\t' + server.url(u"/article/a"_s) + u"\t\n"_s);

    const QString list = writeInputFile(dir, u"list.tsv"_s,
                                        "# DOIs of my reading list\n"
                                        "10.5555/b\tnamed in the list\n"
                                        "\n"
                                        "https://doi.org/10.5555/a\r\n"
                                        "10.5555/missing\n");
    const CliRun json = runCliCommand(u"resolve"_s, withResolver({u"--json"_s, u"--list"_s, list}));
    EXPECT_EQ(json.code, 1) << "an input failed";
    const QStringList lines = json.out.split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 3) << json.out.toStdString();
    struct Expected {
        const char* input;
        const char* state;
        const char* failure;
    };
    const Expected expected[] = {
        {"10.5555/b", "failed", "未找到PDF地址"},
        {"https://doi.org/10.5555/a", "ok", ""},
        {"10.5555/missing", "failed", "DOI无法解析"},
    };
    for (int i = 0; i < 3; ++i) {
        const QJsonObject object = QJsonDocument::fromJson(lines[i].toUtf8()).object();
        EXPECT_EQ(object.value(u"input"_s).toString(), QString::fromUtf8(expected[i].input)) << i;
        EXPECT_EQ(object.value(u"state"_s).toString(), QString::fromUtf8(expected[i].state)) << i;
        EXPECT_EQ(object.value(u"failure"_s).toString(), QString::fromUtf8(expected[i].failure)) << i;
    }
    const QJsonObject b = QJsonDocument::fromJson(lines[0].toUtf8()).object();
    EXPECT_EQ(b.value(u"title"_s).toString(), u"Article B"_s) << "a failed page still says what it is";
    EXPECT_EQ(b.value(u"pdfUrl"_s).toString(), QString());
    const QJsonObject a = QJsonDocument::fromJson(lines[1].toUtf8()).object();
    EXPECT_EQ(a.value(u"authors"_s).toArray().size(), 2);
    EXPECT_EQ(a.value(u"pdfUrl"_s).toString(), server.url(u"/pdf/a"_s));
}

TEST_F(ResolveCommandTest, ReferencesOfTheArticlesFoundFailuresOnStderr) {
    const QStringList inputs{u"10.5555/a"_s, u"10.5555/missing"_s};
    const CliRun bib =
        runCliCommand(u"resolve"_s, withResolver(QStringList{u"--format"_s, u"bibtex"_s} + inputs));
    EXPECT_EQ(bib.code, 1) << "an input failed";
    EXPECT_EQ(bib.out.count(u"@article{"_s), 1) << bib.out.toStdString();
    EXPECT_TRUE(bib.out.contains(u"{{Article A}}"_s)) << bib.out.toStdString();
    EXPECT_TRUE(bib.out.contains(u"author = {Li, Na and Berg, Ola}"_s)) << bib.out.toStdString();
    EXPECT_FALSE(bib.out.contains(u"file ="_s)) << "nothing was downloaded";
    EXPECT_TRUE(bib.err.contains(u"DOI无法解析: 10.5555/missing"_s)) << bib.err.toStdString();

    const CliRun ris = runCliCommand(u"resolve"_s, withResolver({u"--format=ris"_s, u"10.5555/a"_s}));
    EXPECT_EQ(ris.code, 0) << ris.err.toStdString();
    EXPECT_TRUE(ris.out.startsWith(u"TY  - JOUR\r\n"_s)) << ris.out.toStdString();
    EXPECT_TRUE(ris.out.contains(u"DO  - 10.5555/a\r\n"_s)) << ris.out.toStdString();
    EXPECT_TRUE(ris.out.endsWith(u"ER  - \r\n"_s)) << ris.out.toStdString();
}

TEST_F(ResolveCommandTest, BadArgumentsExitWithTwo) {
    const QString list = writeInputFile(dir, u"empty.tsv"_s, "# nothing\n");
    const QStringList cases[] = {
        {},
        {u"--resolver"_s, u"ftp://r/"_s, u"10.5555/a"_s},
        {u"References"_s},
        {u"--list"_s, list},
        {u"--list"_s, dir.filePath(u"missing"_s)},
        {u"--list"_s, list, u"10.5555/a"_s},
        {u"--format"_s, u"xml"_s, u"10.5555/a"_s},
    };
    for (const QStringList& args : cases) {
        const CliRun r = runCliCommand(u"resolve"_s, args);
        EXPECT_EQ(r.code, 2) << args.join(u' ').toStdString();
        EXPECT_TRUE(r.err.contains(u"usage: mojing resolve"_s)) << r.err.toStdString();
        EXPECT_TRUE(r.out.isEmpty());
    }
    EXPECT_TRUE(server.requests().isEmpty());
}

} // namespace
