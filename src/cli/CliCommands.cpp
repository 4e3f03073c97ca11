#include "CliCommand.h"

namespace mojing {

std::vector<CliCommand> allCliCommands() {
    std::vector<CliCommand> commands;
    // Sub-commands are added here as they are built.
    return commands;
}

} // namespace mojing
