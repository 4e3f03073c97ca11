#pragma once

class QWidget;

namespace mojing {

struct GuiServices;
class SearchWindow;

// Where the subsystems plug their windows and controllers into the desktop program. The
// application calls these; each subsystem adds its own lines.

// Called once for every search window right after it is built (before it is shown). Harvesting,
// list commands and analysis attach their controllers here (parented to the window).
void wireSearchWindow(SearchWindow& window, GuiServices& services);

// Builds the download window fFileDownload (objectName "fFileDownload"), not shown. Null while
// the program has none.
QWidget* createDownloadWindow(GuiServices& services);

} // namespace mojing
