#pragma once

#include <functional>
#include <memory>

namespace mojing {

struct AppContext;
class NetworkLayer;
class SiteLogin;

// The site login of `mojing download --login-url`: a browser page that logs in to the journal
// site and whose cookies reach the run's transfers. Only the desktop part of the program, which
// carries the browser engine, can make one.
class SiteLoginPage {
public:
    virtual ~SiteLoginPage() = default;
    virtual SiteLogin& login() = 0;
};

// Makes the page for a run whose transfers go through `network`.
using SiteLoginPageFactory =
    std::function<std::unique_ptr<SiteLoginPage>(NetworkLayer& network, AppContext& context)>;

} // namespace mojing
