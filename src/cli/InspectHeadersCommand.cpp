#include "CliCommand.h"
#include "platform/AnsiCodec.h"
#include "transfer/HeaderHelpers.h"

#include <QFile>
#include <cstdio>

using namespace Qt::StringLiterals;

namespace mojing {

namespace {
// Reads a raw response header block (status line first) from FILE or standard input and prints
// what a download would make of it, as key TAB value lines.
int runInspectHeaders(const QStringList& args, QTextStream& out, QTextStream& err) {
    QFile file;
    if (args.isEmpty() || args.first() == u"-"_s) {
        file.open(stdin, QIODevice::ReadOnly);
    } else {
        file.setFileName(args.first());
        if (!file.open(QIODevice::ReadOnly)) {
            err << u"mojing inspect-headers: cannot read "_s << args.first() << u'\n';
            return 1;
        }
    }
    // Saved blocks often have bare LF line ends; the helpers expect CR LF.
    QString block = QString::fromUtf8(file.readAll());
    block.replace(u"\r\n"_s, u"\n"_s);
    block = block.trimmed();
    const qsizetype bodyStart = block.indexOf(u"\n\n"_s);
    if (bodyStart >= 0)
        block.truncate(bodyStart);
    block.replace(u'\n', u"\r\n"_s);

    const AnsiCodec codec;
    const auto contentType =
        HeaderHelpers::splitContentType(HeaderHelpers::headerValue(block, u"Content-Type"_s));
    const QString disposition = HeaderHelpers::dispositionFromHeader(block);
    const auto name = HeaderHelpers::dispositionFileName(disposition, codec);
    out << u"status-ok\t"_s << (HeaderHelpers::isSuccessStatus(block) ? u"yes"_s : u"no"_s) << u'\n';
    out << u"mime-type\t"_s << contentType.mimeType << u'\n';
    out << u"mime-ext\t"_s << HeaderHelpers::mimeTypeToExtension(contentType.mimeType) << u'\n';
    out << u"charset\t"_s << contentType.charset << u'\n';
    out << u"disposition\t"_s << disposition << u'\n';
    out << u"disposition-name\t"_s << name.baseName << u'\n';
    out << u"disposition-ext\t"_s << name.extension << u'\n';
    return 0;
}
} // namespace

CliCommand inspectHeadersCommand() {
    return CliCommand{
        u"inspect-headers"_s,
        u"inspect-headers [FILE]\n"
        "what a raw response header block (file or stdin) tells a download: status-ok, mime-type, "
        "mime-ext, charset, disposition, disposition-name, disposition-ext (key TAB value lines)"_s,
        runInspectHeaders};
}

} // namespace mojing
