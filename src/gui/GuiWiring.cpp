#include "GuiWiring.h"

#include "GuiServices.h"
#include "SearchWindow.h"

namespace mojing {

void wireSearchWindow(SearchWindow& window, GuiServices& services) {
    // Harvesting and page turning attach here.
    // List commands and export attach here.
    // Analysis attaches here.
}

QWidget* createDownloadWindow(GuiServices& services) {
    return nullptr;
}

} // namespace mojing
