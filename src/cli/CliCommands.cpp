#include "CliCommand.h"
#include "DownloadCommand.h"

namespace mojing {

CliCommand harvestCommand();

std::vector<CliCommand> allCliCommands() {
    std::vector<CliCommand> commands;
    commands.push_back(harvestCommand());
    // Sub-commands are added here as they are built.
    commands.push_back(downloadCommand());
    return commands;
}

} // namespace mojing
