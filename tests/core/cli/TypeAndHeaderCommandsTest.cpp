#include "support/CliRun.h"
#include "support/QtPrinters.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace mojing;
using namespace Qt::StringLiterals;

namespace {

TEST(DetectTypeCommand, OneLinePerFile) {
    QTemporaryDir dir;
    const QString pdf = writeInputFile(dir, u"a.htm"_s, "%PDF-1.4\n" + QByteArray(40, 'x'));
    const QString text = writeInputFile(dir, u"b.pdf"_s, QByteArray(40, 'x'));
    const QString missing = dir.filePath(u"none"_s);
    const CliRun r = runCliCommand(u"detect-type"_s, {pdf, text, missing});
    EXPECT_EQ(r.out, u"pdf\t"_s + pdf + u"\n\t"_s + text + u"\n\t"_s + missing + u'\n');
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.err.contains(missing));
    EXPECT_EQ(runCliCommand(u"detect-type"_s, {}).code, 2);
}

TEST(InspectHeadersCommand, Table) {
    QTemporaryDir dir;
    struct Case {
        const char* name;
        QByteArray block;
        QString expected;
    } cases[] = {
        {"pdf attachment with LF line ends",
         "HTTP/1.1 200 OK\nContent-Type: application/octet-stream\n"
         "Content-Disposition: attachment; filename=\"report.PDF\"\n\nbody",
         u"status-ok\tyes\nmime-type\tapplication/octet-stream\nmime-ext\t\ncharset\t\n"
         "disposition\tattachment; filename=\"report.PDF\"\ndisposition-name\treport\ndisposition-ext\tPDF\n"_s},
        {"web page with charset", "HTTP/1.1 404 Not Found\r\nContent-Type: text/html; charset=gbk\r\n",
         u"status-ok\tno\nmime-type\ttext/html\nmime-ext\thtml\ncharset\tgbk\n"
         "disposition\t\ndisposition-name\t\ndisposition-ext\t\n"_s},
        {"UTF-8 escaped name",
         "HTTP/1.0 200 OK\r\nContent-Disposition: attachment; filename=%E4%B8%AD.caj; charset=utf-8\r\n",
         u"status-ok\tyes\nmime-type\t\nmime-ext\t\ncharset\t\n"
         "disposition\tattachment; filename=%E4%B8%AD.caj; charset=utf-8\ndisposition-name\t中\ndisposition-ext\tcaj\n"_s},
    };
    int i = 0;
    for (const Case& c : cases) {
        const QString path = writeInputFile(dir, u"h"_s + QString::number(i++), c.block);
        const CliRun r = runCliCommand(u"inspect-headers"_s, {path});
        EXPECT_EQ(r.code, 0) << c.name;
        EXPECT_EQ(r.out, c.expected) << c.name;
    }
    EXPECT_EQ(runCliCommand(u"inspect-headers"_s, {dir.filePath(u"missing"_s)}).code, 1);
}

} // namespace
