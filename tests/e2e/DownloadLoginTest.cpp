#include "DownloadProcess.h"
#include "platform/EventPump.h"
#include "support/LoginSite.h"
#include "support/NginxPeer.h"
#include "support/QtPrinters.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <csignal>
#include <gtest/gtest.h>

using namespace mojing;
using namespace Qt::StringLiterals;

namespace {

QByteArray pdf(int n) {
    return "%PDF-1.4\n% paper " + QByteArray::number(n) + "\n" + QByteArray(20000 + n, 'x') + "\n%%EOF\n";
}

using RunResult = DownloadRun;

// `mojing download --login-url` against the login site, which answers in this process: the event
// loop runs while the program works.
class DownloadLoginTest : public ::testing::Test {
protected:
    void SetUp() override {
        site.setAccount(u"reader"_s, u"s3cret pass"_s);
        for (int i = 1; i <= 4; ++i)
            site.addFile(u"p"_s + QString::number(i) + u".pdf"_s, pdf(i));
        out = home.filePath(u"out"_s);
    }

    QStringList fileUrls() const {
        QStringList urls;
        for (int i = 1; i <= 4; ++i)
            urls << site.fileUrl(u"p"_s + QString::number(i) + u".pdf"_s);
        return urls;
    }

    RunResult run(const QStringList& args, const QByteArray& input = {}) {
        return runDownloadServing(home, args, input, std::chrono::milliseconds(150000));
    }

    LoginSite site;
    QTemporaryDir home;
    QString out;
};

#ifdef MOJING_WITH_BROWSER

// The session ends after two files, so half of the list meets the login page; the automatic
// login renews it and the web-page rows are fetched again.
TEST_F(DownloadLoginTest, AccountLoginFetchesProtectedFilesAcrossAnExpiredSession) {
    site.setFilesPerSession(2);
    const QStringList args{u"--folder"_s,
                           out,
                           u"--slots"_s,
                           u"2"_s,
                           u"--auto-retry"_s,
                           u"--login-url"_s,
                           site.loginUrl(),
                           u"--account"_s,
                           u"reader"_s,
                           u"--password-file"_s,
                           u"-"_s};
    const RunResult r = run(args + fileUrls(), "s3cret pass\n");
    EXPECT_EQ(r.exitCode, 0) << r.out.toStdString() << r.err.toStdString();
    for (int i = 1; i <= 4; ++i)
        EXPECT_TRUE(fileContent(out + u"/p"_s + QString::number(i) + u".pdf"_s) == pdf(i)) << i;
    EXPECT_GE(site.sessionCount(), 2) << "the first login and at least one after the session expired";
    ASSERT_FALSE(site.attempts().isEmpty());
    EXPECT_EQ(site.attempts().first().user, u"reader"_s);
    EXPECT_EQ(site.attempts().first().password, u"s3cret pass"_s);
    EXPECT_FALSE(r.out.contains(u"s3cret"_s) || r.err.contains(u"s3cret"_s))
        << "the password is never printed";
    EXPECT_TRUE(r.err.contains(u"site login at "_s + site.loginUrl())) << r.err.toStdString();
}

TEST_F(DownloadLoginTest, IpLoginClicksTheSitesButton) {
    const RunResult r = run({u"--folder"_s, out, u"--method"_s, u"1"_s, u"--login-url"_s, site.ipLoginUrl(),
                             u"--ip-login"_s, fileUrls().at(0)});
    EXPECT_EQ(r.exitCode, 0) << r.out.toStdString() << r.err.toStdString();
    EXPECT_TRUE(fileContent(out + u"/p1.pdf"_s) == pdf(1));
    EXPECT_EQ(site.sessionCount(), 1);
    EXPECT_EQ(site.loginPagesInsteadOfFiles(), 0) << "the first row waited for the login";
}

TEST_F(DownloadLoginTest, WrongPasswordEndsWithTheLoginPagesAsFailures) {
    const QString passwordFile = home.filePath(u"pw"_s);
    QFile f(passwordFile);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("wrong\n");
    f.close();
    const RunResult r =
        run({u"--folder"_s, out, u"--auto-retry"_s, u"--login-url"_s, site.loginUrl(), u"--account"_s,
             u"reader"_s, u"--password-file"_s, passwordFile, fileUrls().at(0)});
    EXPECT_EQ(r.exitCode, 1) << r.out.toStdString() << r.err.toStdString();
    EXPECT_EQ(site.sessionCount(), 0);
    EXPECT_GE(site.attempts().size(), 2) << "each login page asked for another login";
    EXPECT_LE(site.loginPagesInsteadOfFiles(), 5) << "the retries give up";
}

TEST_F(DownloadLoginTest, MissingAccountDataExitsWithTwo) {
    const RunResult r =
        run({u"--login-url"_s, site.loginUrl(), u"--account"_s, u"reader"_s, fileUrls().at(0)});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(r.err.contains(u"帐号登录,必须先设置登录帐号和登录密码！"_s)) << r.err.toStdString();
    EXPECT_EQ(site.attempts().size(), 0);
}

// `mojing` hands a run with a site login to its desktop part in the same process: Ctrl-C still
// stops it like the stop button.
TEST_F(DownloadLoginTest, InterruptStopsARunWithASiteLogin) {
    if (!NginxPeer::available())
        GTEST_SKIP() << "nginx is not installed (scripts/deps.sh installs nginx-light)";
    NginxPeer nginx;
    nginx.putFile(u"slow/big.pdf"_s, pdf(400000));
    nginx.putFile(u"later.pdf"_s, pdf(5));
    ASSERT_TRUE(nginx.start(u"20k"_s)) << nginx.errorText().toStdString();
    QProcess process;
    startDownloadProcess(process, home,
                         {u"--folder"_s, out, u"--slots"_s, u"1"_s, u"--login-url"_s, site.ipLoginUrl(),
                          u"--ip-login"_s, nginx.url(u"slow/big.pdf"_s), nginx.url(u"later.pdf"_s)});
    EventPump pump;
    // Under way once the login is done and the first file's placeholder is there.
    EXPECT_TRUE(pump.waitUntil([&] { return QFile::exists(out + u"/big.pdf"_s); }, std::chrono::seconds(60)));
    pump.sleepFor(std::chrono::milliseconds(1000));
    ::kill(pid_t(process.processId()), SIGINT);
    EXPECT_TRUE(
        pump.waitUntil([&] { return process.state() == QProcess::NotRunning; }, std::chrono::seconds(30)));
    if (process.state() != QProcess::NotRunning) {
        process.kill();
        process.waitForFinished();
    }
    const RunResult r = downloadRunOf(process);
    EXPECT_EQ(r.exitCode, 1) << r.out.toStdString() << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(u"stopping"_s)) << r.err.toStdString();
    const QList<QStringList> rows = r.rows();
    ASSERT_EQ(rows.size(), 2) << r.out.toStdString();
    EXPECT_EQ(rows[0][0], u"4"_s);
    EXPECT_EQ(rows[1][0], u"1"_s) << "nothing starts after the stop";
    EXPECT_EQ(site.sessionCount(), 1);
}

#else

TEST_F(DownloadLoginTest, LoginNeedsTheBrowserEngine) {
    const RunResult r = run({u"--login-url"_s, site.ipLoginUrl(), u"--ip-login"_s, fileUrls().at(0)});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(r.err.contains(u"needs the browser engine"_s)) << r.err.toStdString();
    EXPECT_EQ(site.sessionCount(), 0);
}

#endif

} // namespace
