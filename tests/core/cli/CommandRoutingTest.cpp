#include "CliCommand.h"

#include <gtest/gtest.h>

using namespace mojing;
using namespace Qt::StringLiterals;

namespace {

// `mojing` runs commands itself and hands the rest to its desktop part; a command sent there by
// mistake would pay for the browser engine, one kept by mistake would miss it.
TEST(CommandRouting, OnlyTheWindowsAndTheSiteLoginNeedTheBrowserEngine) {
    struct Case {
        const char* name;
        QStringList args; // after the program
        bool desktop;
        bool engine;
    } cases[] = {
        {"no arguments", {}, true, true},
        {"demo", {u"--demo"_s}, true, true},
        {"version", {u"--version"_s}, false, false},
        {"help", {u"--help"_s}, false, false},
        {"download", {u"download"_s, u"http://h/a.pdf"_s}, false, false},
        {"download with a login",
         {u"download"_s, u"--login-url"_s, u"http://h/l"_s, u"--ip-login"_s},
         false,
         true},
        {"login given with =", {u"download"_s, u"--login-url=http://h/l"_s, u"--ip-login"_s}, false, true},
        {"login option of another command", {u"harvest"_s, u"--login-url"_s, u"x.html"_s}, false, false},
        {"empty first argument", {u""_s}, false, false},
        {"cache", {u"cache"_s, u"list"_s}, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QStringList arguments = QStringList{u"mojing"_s} + c.args;
        EXPECT_EQ(startsDesktopProgram(arguments), c.desktop);
        EXPECT_EQ(needsBrowserEngine(arguments), c.engine);
    }
}

} // namespace
