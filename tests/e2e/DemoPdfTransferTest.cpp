#include "DemoPlatformServer.h"
#include "platform/EventPump.h"
#include "support/QtPrinters.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace mojing;
using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

// The program fetches an article PDF of the offline demo platform with either method, and the
// content detector recognises what arrived.
TEST(DemoPdfTransfer, BothMethodsFetchTheArticle) {
    DemoPlatformServer demo;
    ASSERT_TRUE(demo.start());
    const QString url = demo.baseUrl().resolved(QUrl(DemoPlatformServer::pdfPath(1))).toString();
    EventPump pump;
    struct Case {
        const char* name;
        QString method;
    } cases[] = {{"method 1", u"1"_s}, {"method 2", u"2"_s}};
    for (const Case& c : cases) {
        QTemporaryDir home;
        const QString out = home.filePath(u"out"_s);
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"XDG_CONFIG_HOME"_s, home.filePath(u"config"_s));
        env.insert(u"XDG_DATA_HOME"_s, home.filePath(u"data"_s));
        env.insert(u"HOME"_s, home.path());
        process.setProcessEnvironment(env);
        process.start(QStringLiteral(MOJING_BINARY),
                      {u"download"_s, u"--method"_s, c.method, u"--folder"_s, out, url});
        // The demo platform answers from this process, so its event loop keeps running meanwhile.
        ASSERT_TRUE(pump.waitUntil([&] { return process.state() == QProcess::NotRunning; }, 60000ms))
            << c.name;
        EXPECT_EQ(process.exitCode(), 0) << c.name << process.readAllStandardError().toStdString();
        const QStringList files = QDir(out).entryList(QDir::Files);
        ASSERT_EQ(files.size(), 1) << c.name;
        EXPECT_TRUE(files.first().endsWith(u".pdf"_s)) << c.name;
        QFile pdf(QDir(out).filePath(files.first()));
        ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
        EXPECT_TRUE(pdf.read(5) == "%PDF-") << c.name;

        QProcess detect;
        detect.start(QStringLiteral(MOJING_BINARY), {u"detect-type"_s, pdf.fileName()});
        ASSERT_TRUE(detect.waitForFinished(30000));
        EXPECT_TRUE(detect.readAllStandardOutput().startsWith("pdf\t")) << c.name;
    }
}

} // namespace
