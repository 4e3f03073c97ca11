#include "DemoPlatformServer.h"
#include "dom/HtmlText.h"
#include "platform/AnsiCodec.h"
#include "support/CliRun.h"
#include "support/QtPrinters.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace mojing;
using namespace Qt::StringLiterals;

namespace {

TEST(HarvestCommand, PrintsRowsOfSavedResultPages) {
    QTemporaryDir dir;
    DemoPlatformServer demo;
    const QString page0 = writeInputFile(dir, u"p0.html"_s, demo.resultPage(u"x"_s, 0).toUtf8());
    const QString page1 = writeInputFile(dir, u"p1.html"_s, demo.resultPage(u"x"_s, 1).toUtf8());
    struct Case {
        const char* name;
        QStringList args;
        int lines;
        QString firstLine;
    };
    const Case cases[] = {
        {"every PDF entry",
         {u"--base-url"_s, u"http://demo.test/s"_s, page0},
         4,
         DemoPlatformServer::articleTitle(0) +
             u"\thttp://demo.test/doi/pdf/10.5555/demo.1\thttp://demo.test/s"_s},
        {"open access only", {u"--open-access-only"_s, u"--base-url=http://demo.test/s"_s, page0}, 3, {}},
        {"two pages", {u"--base-url"_s, u"http://demo.test/s"_s, page0, page1}, 8, {}},
        {"same page twice drops duplicates", {u"--base-url"_s, u"http://demo.test/s"_s, page0, page0}, 4, {}},
        {"save folder column",
         {u"--save-folder"_s, u"/dl/"_s, u"--base-url"_s, u"http://demo.test/s"_s, page0},
         4,
         DemoPlatformServer::articleTitle(0) +
             u"\thttp://demo.test/doi/pdf/10.5555/demo.1\thttp://demo.test/s\t/dl/"_s},
    };
    for (const Case& c : cases) {
        const CliRun run = runCliCommand(u"harvest"_s, c.args);
        EXPECT_EQ(run.code, 0) << c.name;
        EXPECT_EQ(run.err, QString()) << c.name;
        const QStringList lines = run.out.split(u'\n', Qt::SkipEmptyParts);
        EXPECT_EQ(lines.size(), c.lines) << c.name;
        if (!c.firstLine.isEmpty()) {
            EXPECT_EQ(lines.value(0), c.firstLine) << c.name;
        }
    }
}

TEST(HarvestCommand, RelativeLinksResolveAgainstTheFileWithoutABaseUrl) {
    QTemporaryDir dir;
    DemoPlatformServer demo;
    const QString page = writeInputFile(dir, u"p.html"_s, demo.resultPage(u"x"_s, 0).toUtf8());
    const CliRun run = runCliCommand(u"harvest"_s, {page});
    ASSERT_EQ(run.code, 0);
    EXPECT_TRUE(run.out.startsWith(DemoPlatformServer::articleTitle(0) +
                                   u"\tfile:///doi/pdf/10.5555/demo.1\t"_s +
                                   QUrl::fromLocalFile(page).toString()));
}

TEST(HarvestCommand, BadInvocationsFailWithExitCode2) {
    QTemporaryDir dir;
    const QString good = writeInputFile(dir, u"ok.html"_s, "<ol class=\"search-results\"></ol>");
    struct Case {
        const char* name;
        QStringList args;
        QString errorPart;
    };
    const Case cases[] = {
        {"no file", {}, u"no page file"_s},
        {"missing file",
         {good, dir.filePath(u"missing.html"_s)},
         u"cannot read "_s + dir.filePath(u"missing.html"_s)},
        {"a folder", {dir.path()}, u"is a folder"_s},
        {"unknown option", {u"--fast"_s, good}, u"unknown option --fast"_s},
        {"option without value", {good, u"--base-url"_s}, u"--base-url needs a value"_s},
    };
    for (const Case& c : cases) {
        const CliRun run = runCliCommand(u"harvest"_s, c.args);
        EXPECT_EQ(run.code, 2) << c.name;
        EXPECT_TRUE(run.err.contains(c.errorPart)) << c.name << ": " << run.err.toStdString();
        EXPECT_EQ(run.out, QString()) << c.name;
    }
}

TEST(HtmlText, DecodesAnsiUnlessTheFileSaysOtherwise) {
    const AnsiCodec gbk(u"GBK"_s);
    const QString text = u"中文标题"_s;
    struct Case {
        const char* name;
        QByteArray bytes;
        QString expected;
    };
    const Case cases[] = {
        {"no declaration: ANSI", "<p>" + gbk.encode(text) + "</p>", u"<p>"_s + text + u"</p>"_s},
        {"meta charset utf-8", "<meta charset=\"UTF-8\"><p>" + text.toUtf8(),
         u"<meta charset=\"UTF-8\"><p>"_s + text},
        {"http-equiv content type",
         "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">" + text.toUtf8(),
         u"<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">"_s + text},
        {"byte-order mark", "\xEF\xBB\xBF" + text.toUtf8(), text},
        {"declared GBK", "<meta charset=gbk>" + gbk.encode(text), u"<meta charset=gbk>"_s + text},
        {"unknown charset falls back to ANSI", "<meta charset=\"x-nothing\">" + gbk.encode(text),
         u"<meta charset=\"x-nothing\">"_s + text},
    };
    for (const Case& c : cases)
        EXPECT_EQ(HtmlText::decode(c.bytes, gbk), c.expected) << c.name;
}

} // namespace
