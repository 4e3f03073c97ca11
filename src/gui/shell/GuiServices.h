#pragma once

#include <QString>
#include <functional>

class QWebEngineProfile;

namespace mojing {

struct AppContext;
struct BrowserConfig;
class NetworkLayer;
class WindowFlow;

// What every window of the desktop program is built from. Owned by the application; outlives
// every window.
struct GuiServices {
    AppContext& context;
    WindowFlow& flow;
    QWebEngineProfile* profile; // the one browser profile of the process
    const BrowserConfig& config;
    NetworkLayer* network = nullptr; // the HTTP layer of every transfer, cookies shared with the profile
    QString downloadListPath = {}; // where the download list is kept between sessions; empty: the data folder
    // Applied to the addresses of a kept download list when it is restored (the demo platform
    // moves rows of an earlier start to its current port); empty: addresses stay as saved.
    std::function<QString(const QString&)> restoredAddress = {};
};

} // namespace mojing
