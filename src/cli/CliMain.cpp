#include "CliCommand.h"

#include <QCoreApplication>
#include <cstdio>

using namespace Qt::StringLiterals;

namespace mojing {

namespace {
// The words of text; a bracketed group such as "[--policy skip|overwrite|rename]" stays one word.
QStringList wordsOf(const QString& text) {
    QStringList words;
    int depth = 0;
    for (const QString& piece : text.split(u' ', Qt::SkipEmptyParts)) {
        if (depth > 0)
            words.last() += u' ' + piece;
        else
            words << piece;
        depth += int(piece.count(u'[') + piece.count(u'(') - piece.count(u']') - piece.count(u')'));
    }
    return words;
}

// Columns a word takes on a terminal: Chinese characters take two.
int widthOf(const QString& word) {
    int width = 0;
    for (QChar c : word)
        width += c.unicode() >= 0x2E80 ? 2 : 1;
    return width;
}

// Writes text from column `indent` on (the first line from `firstIndent`, when given), wrapped
// before column 80. Continuation lines keep the indent so that the manual page generated from this
// help joins them into one paragraph.
void writeWrapped(QTextStream& out, const QString& text, int indent, int firstIndent = -1) {
    int column = -1; // nothing on the line yet
    for (const QString& word : wordsOf(text)) {
        if (column >= 0 && column + 1 + widthOf(word) > 79) {
            out << u'\n' << QString(indent, u' ') << word;
            column = indent + widthOf(word);
        } else if (column < 0) {
            const int first = firstIndent >= 0 ? firstIndent : indent;
            out << QString(first, u' ') << word;
            column = first + widthOf(word);
        } else {
            out << u' ' << word;
            column += 1 + widthOf(word);
        }
    }
    out << u'\n';
}

// The one description of the command line: `--help` prints it and the manual page is made from it.
void printHelp(QTextStream& out, const std::vector<CliCommand>& commands) {
    out << u"Usage: mojing [--demo]\n"
           "  or:  mojing COMMAND [ARGUMENT]...\n"_s;
    writeWrapped(
        out,
        u"墨鲸文献助手 (Mojing) "_s + QStringLiteral(MOJING_VERSION) +
            u", a desktop assistant for researchers. Inside an embedded browser you search a journal "
            "platform; the program harvests the result pages into an article list, turns the "
            "articles into a download list, and a download manager fetches the files into the "
            "folders you choose, named after the titles. Without a command the desktop program "
            "starts; it needs a display. A command runs one part of the program without a window."_s,
        0);
    out << u"\nOptions:\n"
           "  --demo      start the desktop program on the built-in offline demo platform\n"
           "  --version   print the version\n"
           "  --help      print this help\n"
           "\nCommands:\n"_s;
    for (const CliCommand& command : commands) {
        const qsizetype split = command.synopsis.indexOf(u'\n');
        writeWrapped(out, command.synopsis.left(split), 2);
        if (split >= 0)
            writeWrapped(out, command.synopsis.mid(split + 1), 6);
    }
    out << u"\nFiles:\n"
           "  ~/.config/mojing/墨鲸文献助手.ini\n"
           "      the settings\n"
           "  ~/.local/share/mojing/\n"
           "      the folder history, notification sounds and the browser's cookies\n"
           "  ~/.cache/mojing/\n"
           "      the browser's page cache\n"_s;
}

// `mojing COMMAND --help`: that command's usage and what it does.
void printCommandHelp(QTextStream& out, const CliCommand& command) {
    const qsizetype split = command.synopsis.indexOf(u'\n');
    writeWrapped(out, u"Usage: mojing "_s + command.synopsis.left(split), 7, 0);
    if (split >= 0)
        writeWrapped(out, command.synopsis.mid(split + 1), 2);
}

bool asksForHelp(const QStringList& commandArguments) {
    return commandArguments.size() == 1 &&
           (commandArguments[0] == u"--help"_s || commandArguments[0] == u"-h"_s);
}
} // namespace

bool startsDesktopProgram(const QStringList& arguments) {
    return arguments.size() < 2 || arguments[1] == u"--demo"_s;
}

bool needsBrowserEngine(const QStringList& arguments) {
    if (startsDesktopProgram(arguments))
        return true;
    if (arguments[1] != u"download"_s)
        return false;
    // An option's value that reads "--login-url" sends the run to the desktop part too, which
    // runs every command: it only costs that part's start.
    for (const QString& argument : arguments) {
        if (argument == u"--login-url"_s || argument.startsWith(u"--login-url="_s))
            return true;
    }
    return false;
}

int runCli(const QStringList& arguments, const CliServices& services) {
    QTextStream out(stdout);
    QTextStream err(stderr);
    if (startsDesktopProgram(arguments))
        return -1;
    const QString first = arguments[1];
    if (first == u"--version"_s || first == u"-v"_s) {
        out << u"mojing "_s << QStringLiteral(MOJING_VERSION) << u'\n';
        return 0;
    }
    const std::vector<CliCommand> commands = allCliCommands(services);
    const bool helpCommand = first == u"--help"_s || first == u"-h"_s || first == u"help"_s;
    if (helpCommand && arguments.size() == 2) {
        printHelp(out, commands);
        return 0;
    }
    // "mojing help download" as well as "mojing download --help".
    const QString named = helpCommand ? arguments[2] : first;
    for (const CliCommand& command : commands) {
        if (command.name != named)
            continue;
        if (helpCommand || asksForHelp(arguments.mid(2))) {
            printCommandHelp(out, command);
            return 0;
        }
        return command.run(arguments.mid(2), out, err);
    }
    err << u"mojing: unknown command or option: "_s << named << u"\n(see mojing --help)\n"_s;
    return 2;
}

} // namespace mojing
