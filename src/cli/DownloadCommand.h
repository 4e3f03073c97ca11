#pragma once

#include "CliCommand.h"
#include "SiteLoginPage.h"

namespace mojing {

// `mojing download ...`: fetches addresses with the download list, the scheduler and the transfer
// methods of the download window, without a window. Without `siteLoginPage`, --login-url is refused.
CliCommand downloadCommand(SiteLoginPageFactory siteLoginPage);

} // namespace mojing
