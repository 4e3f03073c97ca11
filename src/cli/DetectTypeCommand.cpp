#include "CliCommand.h"
#include "platform/AnsiCodec.h"
#include "platform/FileHelpers.h"
#include "tools/FileTypeDetector.h"

using namespace Qt::StringLiterals;

namespace mojing {

namespace {
// One line per file: the type its content shows (empty when unknown), a TAB, the path.
int runDetectType(const QStringList& args, QTextStream& out, QTextStream& err) {
    if (args.isEmpty()) {
        err << u"usage: mojing detect-type FILE...\n"_s;
        return 2;
    }
    const AnsiCodec codec;
    int status = 0;
    for (const QString& path : args) {
        if (!FileHelpers::fileExists(path)) {
            err << u"mojing detect-type: no such file: "_s << path << u'\n';
            status = 1;
        }
        out << FileTypeDetector::detectFileType(path, codec) << u'\t' << path << u'\n';
    }
    return status;
}
} // namespace

CliCommand detectTypeCommand() {
    return CliCommand{u"detect-type"_s,
                      u"detect-type FILE...\n"
                      "the type each file's content shows, a TAB, the path"_s,
                      runDetectType};
}

} // namespace mojing
