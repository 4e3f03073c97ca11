#pragma once

namespace mojing {

// Replaces this process with the desktop part of the program, the executable that carries the
// windows and the browser engine, with the same arguments (argv[0] included), environment,
// standard streams and process id. It lies in the package's private folder, found from this
// executable's own folder, or beside it in a build folder. Returns only when it cannot be started:
// the exit code (127 when it is missing), after a message on stderr.
int runDesktopPart(char** argv);

} // namespace mojing
