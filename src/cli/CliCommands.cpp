#include "CliCommand.h"
#include "DownloadCommand.h"

namespace mojing {

std::vector<CliCommand> allCliCommands() {
    std::vector<CliCommand> commands;
    // Sub-commands are added here as they are built.
    commands.push_back(downloadCommand());
    return commands;
}

} // namespace mojing
