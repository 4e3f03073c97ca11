#pragma once

namespace mojing {

// Runs the command line on an application that can hold browser pages (offscreen unless a
// platform is chosen), with the site login of `mojing download --login-url`. Returns the process
// exit code.
int runCliWithBrowserEngine(int argc, char** argv);

} // namespace mojing
