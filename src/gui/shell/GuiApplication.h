#pragma once

namespace mojing {

// Names, icon and desktop entry id of the running application. The product title is deliberately
// not the display name: the platform would append it to every window caption, and the captions
// already carry it where they should. Message boxes without a title take it (GuiPrompts).
void setApplicationIdentity();

// The program's locale is Chinese (China) whatever the system's: dates, numbers and Qt's own
// texts read as the interface does.
void setProgramLocale();

// Starts the desktop program (arguments may include --demo). Returns the process exit code.
int runGuiApplication(int argc, char** argv);

} // namespace mojing
