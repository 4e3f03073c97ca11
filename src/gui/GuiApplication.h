#pragma once

namespace mojing {

// Starts the desktop program (arguments may include --demo). Returns the process exit code.
int runGuiApplication(int argc, char** argv);

} // namespace mojing
