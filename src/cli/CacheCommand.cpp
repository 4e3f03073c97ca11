#include "CacheCommand.h"

#include "ConsolePrompts.h"
#include "tools/CacheLocations.h"
#include "tools/CacheToolController.h"
#include "tools/TextTableModel.h"

using namespace Qt::StringLiterals;

namespace mojing {

namespace {
const QString kUsage = u"usage: mojing cache list [--all-users]\n       mojing cache clear\n"_s;
} // namespace

int runCacheCommand(const QStringList& args, QTextStream& out, QTextStream& err,
                    const CacheLocations& locations) {
    const QString action = args.value(0);
    const QStringList options = args.mid(1);
    ConsolePrompts prompts(err);
    // No browser engine runs here: clearing removes the cache files only.
    CacheToolController tool(prompts, locations, nullptr);

    if (action == u"clear"_s && options.isEmpty()) {
        tool.clearBrowserCache(false);
        out << CacheToolController::kCleared << u'\n';
        return 0;
    }
    const bool allUsers = options == QStringList{u"--all-users"_s};
    if (action != u"list"_s || (!options.isEmpty() && !allUsers)) {
        err << kUsage;
        return 2;
    }
    if (allUsers)
        tool.listAllUsers();
    else
        tool.listMine();
    const TextTableModel& rows = *tool.entries();
    for (int r = 0; r < rows.rowCount(); ++r)
        out << rows.row(r).join(u'\t') << u'\n';
    err << tool.countText() << u'\n';
    return tool.countText().startsWith(u"出错"_s) ? 1 : 0;
}

CliCommand cacheCommand() {
    return CliCommand{
        u"cache"_s,
        u"cache list [--all-users] | cache clear\n"
        "                         the browser's cached files (address or 用户:NAME, type, size, path) / clear them"_s,
        [](const QStringList& args, QTextStream& out, QTextStream& err) {
            return runCacheCommand(args, out, err, CacheLocations::forThisMachine());
        }};
}

} // namespace mojing
