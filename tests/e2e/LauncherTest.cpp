#include "support/QtPrinters.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

// `mojing` alone, copied away from the desktop part it starts: the commands it runs itself still
// work, and what needs the windows or the browser engine ends with a message instead of a crash
// or a hang.
TEST(Launcher, AloneRunsItsCommandsAndNamesWhatIsMissing) {
    QTemporaryDir dir;
    const QString alone = dir.filePath(u"mojing"_s);
    ASSERT_TRUE(QFile::copy(QStringLiteral(MOJING_BINARY), alone));
    struct Case {
        const char* name;
        QStringList args;
        int code;
        QString message;
    } cases[] = {
        {"version", {u"--version"_s}, 0, {}},
        {"a command", {u"detect-type"_s, QStringLiteral(MOJING_BINARY)}, 0, {}},
#ifdef MOJING_WITH_BROWSER
        {"the windows", {}, 127, u"the desktop part of the program is missing"_s},
        {"the demo", {u"--demo"_s}, 127, u"the desktop part of the program is missing"_s},
        {"the site login",
         {u"download"_s, u"--login-url"_s, u"http://127.0.0.1:9/ip"_s, u"--ip-login"_s,
          u"http://127.0.0.1:9/a"_s},
         127,
         u"the desktop part of the program is missing"_s},
#else
        {"the windows", {}, 2, u"no desktop interface"_s},
#endif
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QProcess process;
        process.start(alone, c.args);
        ASSERT_TRUE(process.waitForFinished(30000)) << "did not end";
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(process.exitCode(), c.code);
        const QString err = QString::fromUtf8(process.readAllStandardError());
        if (!c.message.isEmpty()) {
            EXPECT_TRUE(err.contains(c.message)) << err.toStdString();
        }
    }
}

} // namespace
