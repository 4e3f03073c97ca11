#include "DesktopPart.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <string>
#include <unistd.h>

namespace mojing {

namespace {

// The folder of the running executable, symbolic links resolved, so a link to the program
// elsewhere still finds the installed tree.
std::string ownFolder() {
    char path[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0)
        return {};
    const std::string executable(path, size_t(length));
    return executable.substr(0, executable.rfind('/'));
}

} // namespace

int runDesktopPart(char** argv) {
    const std::string folder = ownFolder();
    const std::string installed = folder + "/" MOJING_DESKTOP_PART_FOLDER "/" MOJING_DESKTOP_PART_NAME;
    const std::string besideInBuild = folder + "/" MOJING_DESKTOP_PART_NAME;
    for (const std::string& path : {installed, besideInBuild}) {
        ::execv(path.c_str(), argv);
        if (errno != ENOENT) {
            fprintf(stderr, "mojing: cannot start %s: %s\n", path.c_str(), strerror(errno));
            return 126;
        }
    }
    fprintf(stderr,
            "mojing: the desktop part of the program is missing (%s); the windows and the site login "
            "need it, the other commands work without it. Reinstall the program.\n",
            installed.c_str());
    return 127;
}

} // namespace mojing
