#pragma once

#include "CliCommand.h"

namespace mojing {

// `mojing download ...`: fetches addresses with the download list, the scheduler and the transfer
// methods of the download window, without a window.
CliCommand downloadCommand();

} // namespace mojing
