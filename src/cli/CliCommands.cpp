#include "CacheCommand.h"
#include "CliCommand.h"
#include "DownloadCommand.h"

namespace mojing {

CliCommand harvestCommand();
CliCommand detectTypeCommand();
CliCommand inspectHeadersCommand();
CliCommand httpGetCommand();
CliCommand resolveCommand();

std::vector<CliCommand> allCliCommands(const CliServices& services) {
    std::vector<CliCommand> commands;
    commands.push_back(harvestCommand());
    // Sub-commands are added here as they are built.
    commands.push_back(downloadCommand(services.siteLoginPage));
    commands.push_back(resolveCommand());
    commands.push_back(detectTypeCommand());
    commands.push_back(inspectHeadersCommand());
    commands.push_back(httpGetCommand());
    commands.push_back(cacheCommand());
    return commands;
}

} // namespace mojing
