#include "CliCommand.h"

#include "dom/BrowserDocument.h"
#include "dom/HtmlText.h"
#include "platform/AnsiCodec.h"
#include "search/ArticleListModel.h"
#include "search/Harvester.h"

#include <QFile>
#include <QFileInfo>
#include <QUrl>

using namespace Qt::StringLiterals;

namespace mojing {

namespace {

const QString kUsage =
    u"usage: mojing harvest [--open-access-only] [--save-folder DIR] [--base-url URL] FILE...\n"_s;

// A value for one TSV field: tabs and line breaks would split it.
QString field(QString text) {
    for (QChar& c : text) {
        if (c == u'\t' || c == u'\r' || c == u'\n')
            c = u' ';
    }
    return text;
}

int runHarvest(const QStringList& args, QTextStream& out, QTextStream& err) {
    bool openAccessOnly = false;
    QString saveFolder;
    QString baseUrl;
    QStringList files;
    for (int i = 0; i < args.size(); ++i) {
        const QString& arg = args.at(i);
        auto value = [&](const QString& name) -> std::optional<QString> {
            if (arg.startsWith(name + u'='))
                return arg.mid(name.size() + 1);
            if (i + 1 < args.size())
                return args.at(++i);
            err << u"mojing harvest: "_s << name << u" needs a value\n"_s << kUsage;
            return std::nullopt;
        };
        if (arg == u"--open-access-only"_s) {
            openAccessOnly = true;
        } else if (arg == u"--save-folder"_s || arg.startsWith(u"--save-folder="_s)) {
            const auto v = value(u"--save-folder"_s);
            if (!v)
                return 2;
            saveFolder = *v;
        } else if (arg == u"--base-url"_s || arg.startsWith(u"--base-url="_s)) {
            const auto v = value(u"--base-url"_s);
            if (!v)
                return 2;
            baseUrl = *v;
        } else if (arg == u"--help"_s || arg == u"-h"_s) {
            out << kUsage
                << u"Prints one line per article offering a PDF: title, PDF address, page address\n"
                   "(and the save folder when given), separated by tabs. Duplicates are dropped.\n"_s;
            return 0;
        } else if (arg.startsWith(u"--"_s) && arg.size() > 2) {
            err << u"mojing harvest: unknown option "_s << arg << u'\n' << kUsage;
            return 2;
        } else {
            files << arg;
        }
    }
    if (files.isEmpty()) {
        err << u"mojing harvest: no page file given\n"_s << kUsage;
        return 2;
    }

    // Every file is read before anything is printed, so a bad file leaves no partial output.
    const AnsiCodec ansi;
    std::vector<std::pair<QString, QString>> pages; // (page address, text)
    bool failed = false;
    for (const QString& path : files) {
        QFile file(path);
        if (QFileInfo(path).isDir() || !file.open(QIODevice::ReadOnly)) {
            err << u"mojing harvest: cannot read "_s << path << u": "_s
                << (QFileInfo(path).isDir() ? u"is a folder"_s : file.errorString()) << u'\n';
            failed = true;
            continue;
        }
        const QString address =
            baseUrl.isEmpty() ? QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()).toString() : baseUrl;
        pages.emplace_back(address, HtmlText::decode(file.readAll(), ansi));
    }
    if (failed)
        return 2;

    ArticleListModel list;
    for (const auto& [address, text] : pages)
        Harvester::harvest(*BrowserDocument::parse(text, address), openAccessOnly, saveFolder, list);
    for (int i = 0; i < list.count(); ++i) {
        const ArticleRow& row = list.at(i);
        out << field(row.title) << u'\t' << field(row.key) << u'\t' << field(row.tag);
        if (!saveFolder.isEmpty())
            out << u'\t' << field(row.saveFolder);
        out << u'\n';
    }
    return 0;
}

} // namespace

CliCommand harvestCommand() {
    return CliCommand{u"harvest"_s,
                      u"harvest [--open-access-only] [--save-folder DIR] [--base-url URL] FILE...\n"
                      "list the articles of saved result pages that offer a PDF: title, PDF address, "
                      "page address and save folder, TAB-separated"_s,
                      runHarvest};
}

} // namespace mojing
