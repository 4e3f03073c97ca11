#pragma once

#include "CliCommand.h"

namespace mojing {

struct CacheLocations;

CliCommand cacheCommand();

// `mojing cache list [--all-users]` / `mojing cache clear` over the given cache folders.
int runCacheCommand(const QStringList& args, QTextStream& out, QTextStream& err,
                    const CacheLocations& locations);

} // namespace mojing
