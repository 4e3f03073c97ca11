#include "support/QtPrinters.h"

#include <QProcess>
#include <QRegularExpression>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

QString runMojing(const QStringList& args, int& exitCode) {
    QProcess process;
    process.start(QStringLiteral(MOJING_BINARY), args);
    process.waitForFinished(30000);
    exitCode = process.exitCode();
    return QString::fromUtf8(process.readAllStandardOutput());
}

int columnsOf(const QString& line) {
    int width = 0;
    for (QChar c : line)
        width += c.unicode() >= 0x2E80 ? 2 : 1;
    return width;
}

// The manual page is generated from this text (help2man), so its shape matters: a "Usage:"
// line for the synopsis, section headings, entries indented under them, nothing wider than a
// terminal.
TEST(HelpText, KeepsTheShapeTheManualPageIsMadeFrom) {
    int code = -1;
    const QString help = runMojing({u"--help"_s}, code);
    EXPECT_EQ(code, 0);
    const QStringList lines = help.split(u'\n');
    ASSERT_GT(lines.size(), 10);
    EXPECT_TRUE(lines[0].startsWith(u"Usage: mojing"_s)) << lines[0].toStdString();
    for (const QString& heading : {u"Options:"_s, u"Commands:"_s, u"Files:"_s})
        EXPECT_TRUE(lines.contains(heading)) << heading.toStdString();
    for (const QString& command : {u"harvest"_s, u"download"_s, u"detect-type"_s, u"inspect-headers"_s})
        EXPECT_TRUE(help.contains(QRegularExpression(u"\n  "_s + command + u"[ \n]"_s)))
            << command.toStdString();
    for (const QString& line : lines)
        EXPECT_LE(columnsOf(line), 79) << line.toStdString();
}

TEST(HelpText, EachCommandExplainsItself) {
    const std::pair<const char*, QStringList> asks[] = {
        {"command --help", {u"download"_s, u"--help"_s}},
        {"command -h", {u"download"_s, u"-h"_s}},
        {"help command", {u"help"_s, u"download"_s}},
    };
    for (const auto& [name, args] : asks) {
        int code = -1;
        const QString help = runMojing(args, code);
        EXPECT_EQ(code, 0) << name;
        EXPECT_TRUE(help.startsWith(u"Usage: mojing download [--folder DIR]"_s))
            << name << help.toStdString();
        EXPECT_TRUE(help.contains(u"[--resolver URL]"_s)) << name << help.toStdString();
        EXPECT_FALSE(help.contains(u"harvest"_s)) << name << "only the command asked about";
        for (const QString& line : help.split(u'\n'))
            EXPECT_LE(columnsOf(line), 79) << line.toStdString();
    }
    int code = -1;
    EXPECT_TRUE(runMojing({u"help"_s, u"nonsense"_s}, code).isEmpty());
    EXPECT_EQ(code, 2) << "an unknown command stays an error";
}

TEST(HelpText, VersionIsTheBuildsVersion) {
    int code = -1;
    EXPECT_EQ(runMojing({u"--version"_s}, code), u"mojing "_s + QStringLiteral(MOJING_VERSION) + u'\n');
    EXPECT_EQ(code, 0);
}

} // namespace
