#include "DownloadArguments.h"
#include "downloads/DownloadListStore.h"
#include "downloads/SiteLogin.h"
#include "support/CliRun.h"
#include "support/QtPrinters.h"
#include "support/TestContext.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

using namespace mojing;
using namespace Qt::StringLiterals;

namespace {

TEST(DownloadArguments, BadArgumentsAreRefusedWithAReason) {
    struct Case {
        const char* name;
        QStringList args;
        QString errorPart;
    };
    const Case cases[] = {
        {"nothing to download", {}, u"--list FILE"_s},
        {"both list and addresses", {u"--list"_s, u"x.tsv"_s, u"http://h/a"_s}, u"not both"_s},
        {"method 3", {u"--method"_s, u"3"_s, u"http://h/a"_s}, u"--method"_s},
        {"seven slots", {u"--slots=7"_s, u"http://h/a"_s}, u"--slots"_s},
        {"zero slots", {u"--slots"_s, u"0"_s, u"http://h/a"_s}, u"--slots"_s},
        {"pause over 600", {u"--pause"_s, u"601"_s, u"http://h/a"_s}, u"--pause"_s},
        {"unknown policy", {u"--policy"_s, u"merge"_s, u"http://h/a"_s}, u"--policy"_s},
        {"negative size", {u"--max-size"_s, u"-1"_s, u"http://h/a"_s}, u"--max-size"_s},
        {"proxy without port", {u"--proxy"_s, u"localhost"_s, u"http://h/a"_s}, u"HOST:PORT"_s},
        {"proxy port not a number", {u"--proxy"_s, u"h:x"_s, u"http://h/a"_s}, u"HOST:PORT"_s},
        {"missing value at the end", {u"http://h/a"_s, u"--folder"_s}, u"--folder"_s},
        {"file address", {u"file:///etc/passwd"_s}, u"nor a DOI"_s},
        {"neither address nor DOI", {u"10.12/too-short"_s}, u"nor a DOI"_s},
        {"resolver that is no web address", {u"--resolver"_s, u"doi.org"_s, u"10.1000/x"_s}, u"--resolver"_s},
        {"unknown option", {u"--fast"_s, u"http://h/a"_s}, u"unknown option"_s},
        {"manifest without a file", {u"http://h/a"_s, u"--manifest"_s}, u"--manifest"_s},
        {"naming with an unknown field", {u"--naming"_s, u"{autor}"_s, u"http://h/a"_s}, u"{autor}"_s},
        {"naming without a template", {u"http://h/a"_s, u"--naming"_s}, u"--naming"_s},
        {"BibTeX into a missing folder",
         {u"--bibtex"_s, u"/nonexistent/x.bib"_s, u"http://h/a"_s},
         u"cannot write"_s},
        {"RIS onto a folder", {u"--ris"_s, u"/tmp"_s, u"http://h/a"_s}, u"cannot write"_s},
    };
    for (const Case& c : cases) {
        TestContext t;
        QString error;
        EXPECT_FALSE(DownloadArguments::parse(c.args, t.settings, error).has_value()) << c.name;
        EXPECT_TRUE(error.contains(c.errorPart)) << c.name << ": " << error.toStdString();
    }
}

TEST(DownloadArguments, StoredSettingsAreTheDefaults) {
    TestContext t;
    t.settings.write(u"设置"_s, u"下载方式"_s, u"1"_s);
    t.settings.write(u"下载"_s, u"线程"_s, u"4"_s);
    t.settings.write(u"专利下载"_s, u"重复文件名设置"_s, u"跳过"_s);
    t.settings.write(u"设置"_s, u"文件最大值"_s, u"0.5"_s);
    t.settings.write(u"设置"_s, u"下载文件保存路径"_s, t.path(u"stored"_s));
    QString error;
    const auto a = DownloadArguments::parse({u"http://h/a.pdf"_s}, t.settings, error);
    ASSERT_TRUE(a.has_value()) << error.toStdString();
    EXPECT_EQ(a->options.method, 1);
    EXPECT_EQ(a->options.slotCount, 5);
    EXPECT_EQ(a->options.policy, DuplicatePolicy::Skip);
    EXPECT_DOUBLE_EQ(a->options.maxFileSizeMB, 0.5);
    EXPECT_EQ(a->folder, t.path(u"stored"_s) + QDir::separator());

    const auto b = DownloadArguments::parse({u"--method=2"_s, u"--slots"_s, u"6"_s, u"--policy"_s,
                                             u"重命名"_s, u"--proxy"_s, u"127.0.0.1:3128"_s, u"--folder"_s,
                                             t.path(u"x/"_s), u"--pause"_s, u"3"_s, u"--auto-retry"_s,
                                             u"--manifest=m.tsv"_s, u"http://h/a.pdf"_s},
                                            t.settings, error);
    ASSERT_TRUE(b.has_value()) << error.toStdString();
    EXPECT_EQ(b->options.method, 2);
    EXPECT_EQ(b->options.slotCount, 6);
    EXPECT_EQ(b->options.policy, DuplicatePolicy::Rename);
    EXPECT_TRUE(b->options.proxyEnabled);
    EXPECT_EQ(b->options.proxyHost, u"127.0.0.1"_s);
    EXPECT_EQ(b->options.proxyPort, u"3128"_s);
    EXPECT_EQ(b->options.pauseSeconds, 3);
    EXPECT_TRUE(b->options.autoRetry);
    EXPECT_EQ(b->manifest, u"m.tsv"_s);
    EXPECT_EQ(b->folder, t.path(u"x"_s) + QDir::separator());
}

TEST(DownloadArguments, ProxyWithMethodTwoIsSaidToHaveNoEffect) {
    TestContext t;
    t.settings.write(u"设置"_s, u"下载方式"_s, u"2"_s);
    struct Case {
        const char* name;
        QStringList args;
        bool warned;
    } cases[] = {
        {"method 2 from the settings", {u"--proxy"_s, u"h:1"_s, u"http://h/a"_s}, true},
        {"method 2 given after the proxy",
         {u"--proxy"_s, u"h:1"_s, u"--method"_s, u"2"_s, u"http://h/a"_s},
         true},
        {"method 1", {u"--method"_s, u"1"_s, u"--proxy"_s, u"h:1"_s, u"http://h/a"_s}, false},
        {"no proxy option", {u"http://h/a"_s}, false},
    };
    for (const Case& c : cases) {
        QString error;
        const auto a = DownloadArguments::parse(c.args, t.settings, error);
        ASSERT_TRUE(a.has_value()) << c.name << error.toStdString();
        EXPECT_EQ(!a->warnings.isEmpty(), c.warned) << c.name;
    }
}

TEST(DownloadArguments, NamesFromAddressesStayInsideTheFolder) {
    struct Case {
        const char* name;
        QString url;
        QString expectedName;
        QString expectedType;
    };
    const Case cases[] = {
        {"plain file", u"http://h/doc/paper.pdf"_s, u"paper"_s, u"pdf"_s},
        {"query is not part of the name", u"http://h/get/report.PDF?id=3"_s, u"report"_s, u"PDF"_s},
        {"percent-encoded Chinese", u"http://h/%E8%AE%BA%E6%96%87.pdf"_s, u"论文"_s, u"pdf"_s},
        {"no extension", u"http://h/download/12345"_s, u"12345"_s, QString()},
        {"trailing slash uses the host", u"http://example.org/"_s, u"example.org"_s, QString()},
        {"encoded slashes and dots", u"http://h/a/..%2F..%2Fetc%2Fpasswd"_s, u"passwd"_s, QString()},
        {"only dots", u"http://h/%2E%2E"_s, u"h"_s, QString()},
        {"odd extension is kept in the name", u"http://h/a.b c"_s, u"a.b c"_s, QString()},
    };
    TestContext t;
    for (const Case& c : cases) {
        const DownloadArguments::Entry e = DownloadArguments::entryForUrl(c.url, u"/out/"_s, t.codec);
        EXPECT_EQ(e.name, c.expectedName) << c.name;
        EXPECT_EQ(e.type, c.expectedType) << c.name;
        EXPECT_FALSE(e.name.contains(u'/')) << c.name;
    }
}

TEST(DownloadArguments, ListFileColumns) {
    TestContext t;
    const QString path = t.path(u"list.tsv"_s);
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("# comment\r\n"
            "http://h/a.pdf\r\n"
            "http://h/b.pdf\t\xE6\xA0\x87\xE9\xA2\x98:one\r\n"
            "\n"
            "http://h/c\tthree\thtml\t" +
            t.path(u"sub"_s).toUtf8() +
            "\n"
            "doi:10.1000/xyz\n"
            "10.1000/named\tmy name\n");
    f.close();
    QString error;
    const auto entries = DownloadArguments::readList(path, u"/def/"_s, t.codec, error);
    ASSERT_EQ(entries.size(), 5u) << error.toStdString();
    EXPECT_EQ(entries[0].name, u"a"_s);
    EXPECT_EQ(entries[0].type, u"pdf"_s);
    EXPECT_EQ(entries[0].folder, u"/def/"_s);
    EXPECT_EQ(entries[1].name, u"标题one"_s) << "names are cleaned";
    EXPECT_EQ(entries[1].type, u"pdf"_s) << "type from the address when the column is missing";
    EXPECT_EQ(entries[2].type, u"html"_s);
    EXPECT_EQ(entries[2].folder, t.path(u"sub"_s) + QDir::separator());
    EXPECT_EQ(entries[3].input, u"doi:10.1000/xyz"_s);
    EXPECT_TRUE(entries[3].url.isEmpty()) << "a DOI names no address before it is resolved";
    EXPECT_FALSE(entries[3].named);
    EXPECT_EQ(entries[4].name, u"my name"_s);
    EXPECT_TRUE(entries[4].named);
}

// The download window's saved list continues from the command line: rows not yet finished, with
// their folders, referring pages and article metadata.
TEST(DownloadArguments, SavedDownloadListIsAList) {
    TestContext t;
    DownloadRow waiting;
    waiting.key = u"http://h/1.pdf|http://m/1.pdf"_s;
    waiting.name = u"First"_s;
    waiting.type = u"pdf"_s;
    waiting.folder = t.path(u"papers"_s) + u'/';
    waiting.tag = u"http://h/article/1"_s;
    waiting.article.title = u"First article"_s;
    waiting.article.authors = QStringList{u"Smith, John"_s};
    waiting.article.doi = u"10.1000/1"_s;
    DownloadRow finished = waiting;
    finished.key = u"http://h/2.pdf"_s;
    finished.state = RowState::Finished;
    DownloadRow failedWithoutFolder;
    failedWithoutFolder.key = u"http://h/3.pdf"_s;
    failedWithoutFolder.name = u"../Third"_s;
    failedWithoutFolder.state = RowState::Failed;
    DownloadRow notWeb = waiting;
    notWeb.key = u"http://h/4.pdf|ftp://h/4.pdf"_s;
    QString error;
    const auto entries = DownloadArguments::parseList(
        DownloadListStore::serialize({waiting, finished, failedWithoutFolder, notWeb}), u"saved"_s,
        u"/def/"_s, t.codec, error);
    ASSERT_EQ(entries.size(), 2u) << error.toStdString();
    EXPECT_EQ(entries[0].url, waiting.key);
    EXPECT_EQ(entries[0].name, u"First"_s);
    EXPECT_EQ(entries[0].folder, waiting.folder);
    EXPECT_EQ(entries[0].referer, waiting.tag);
    EXPECT_EQ(entries[0].article, waiting.article);
    EXPECT_EQ(entries[1].name, u"Third"_s);
    EXPECT_EQ(entries[1].type, u"pdf"_s);
    EXPECT_EQ(entries[1].folder, u"/def/"_s);

    EXPECT_TRUE(DownloadArguments::parseList(DownloadListStore::serialize({finished}), u"saved"_s, u"/def/"_s,
                                             t.codec, error)
                    .empty());
    EXPECT_TRUE(error.contains(u"no rows left"_s)) << error.toStdString();
    EXPECT_TRUE(DownloadArguments::parseList("#mojing-download-list\t2\nbroken\n", u"saved"_s, u"/def/"_s,
                                             t.codec, error)
                    .empty());
    EXPECT_TRUE(error.contains(u"not a download list"_s)) << error.toStdString();
    // A row that cannot be read costs that row only, and is counted.
    int skipped = -1;
    const auto rest = DownloadArguments::parseList(DownloadListStore::serialize({waiting}) + "1\tbroken\n",
                                                   u"saved"_s, u"/def/"_s, t.codec, error, &skipped);
    EXPECT_EQ(rest.size(), 1u);
    EXPECT_EQ(skipped, 1);
}

TEST(DownloadArguments, ListFileProblems) {
    struct Case {
        const char* name;
        QByteArray content;
        QString errorPart;
        size_t rows;
    };
    const Case cases[] = {
        {"bad address names its line", "http://h/a\nftp://h/b\n", u"line 2"_s, 0},
        {"empty file", "\n# only a comment\n", u"no addresses"_s, 0},
        {"GBK text is read as ANSI", "http://h/a\t\xD6\xD0\xCE\xC4\n", QString(), 1},
    };
    for (const Case& c : cases) {
        TestContext t;
        QFile f(t.path(u"l.tsv"_s));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(c.content);
        f.close();
        QString error;
        const auto entries = DownloadArguments::readList(f.fileName(), u"/d/"_s, t.codec, error);
        EXPECT_EQ(entries.size(), c.rows) << c.name;
        if (c.errorPart.isEmpty()) {
            EXPECT_EQ(entries.at(0).name, u"中文"_s) << c.name;
        } else {
            EXPECT_TRUE(error.contains(c.errorPart)) << c.name << ": " << error.toStdString();
        }
    }
    TestContext t;
    QString error;
    EXPECT_TRUE(DownloadArguments::readList(t.path(u"missing"_s), u"/d/"_s, t.codec, error).empty());
    EXPECT_TRUE(error.contains(u"cannot read"_s));
}

TEST(DownloadArguments, SiteLoginNeedsItsAccountDataAndNeverAPasswordOnTheCommandLine) {
    const QString url = u"http://h/a.pdf"_s;
    const QString login = u"http://site/login"_s;
    struct Case {
        const char* name;
        QStringList args;
        QString error; // empty: accepted
    };
    const Case cases[] = {
        {"account login",
         {u"--login-url"_s, login, u"--account"_s, u"r"_s, u"--password-file"_s, u"-"_s, url},
         {}},
        {"IP login", {u"--login-url="_s + login, u"--ip-login"_s, url}, {}},
        {"no password file", {u"--login-url"_s, login, u"--account"_s, u"r"_s, url}, SiteLogin::kNoAccount},
        {"no account", {u"--login-url"_s, login, u"--password-file"_s, u"p"_s, url}, SiteLogin::kNoAccount},
        {"neither account nor IP login", {u"--login-url"_s, login, url}, SiteLogin::kNoAccount},
        {"blank account", {u"--login-url"_s, login, u"--account"_s, u" "_s, url}, SiteLogin::kNoAccount},
        {"account without a login address",
         {u"--account"_s, u"r"_s, u"--password-file"_s, u"p"_s, url},
         SiteLogin::kNoAddress},
        {"IP login without a login address", {u"--ip-login"_s, url}, SiteLogin::kNoAddress},
        {"empty login address", {u"--login-url="_s, u"--ip-login"_s, url}, SiteLogin::kNoAddress},
        {"login address not a web address",
         {u"--login-url"_s, u"site/login"_s, u"--ip-login"_s, url},
         u"--login-url needs"_s},
        {"both ways to log in",
         {u"--login-url"_s, login, u"--ip-login"_s, u"--account"_s, u"r"_s, u"--password-file"_s, u"p"_s,
          url},
         u"either"_s},
        {"password on the command line",
         {u"--login-url"_s, login, u"--password"_s, u"secret"_s, url},
         u"--password-file"_s},
    };
    for (const Case& c : cases) {
        TestContext t;
        QString error;
        const auto a = DownloadArguments::parse(c.args, t.settings, error);
        EXPECT_EQ(a.has_value(), c.error.isEmpty()) << c.name;
        EXPECT_TRUE(error.contains(c.error)) << c.name << ": " << error.toStdString();
        EXPECT_FALSE(error.contains(u"secret"_s)) << c.name;
    }
}

TEST(DownloadArguments, PasswordIsTheFirstLineOfItsFile) {
    const std::pair<QByteArray, QString> cases[] = {
        {"secret\n", u"secret"_s},
        {"pass word \r\nsecond line\n", u"pass word "_s},
        {"no newline", u"no newline"_s},
        {"\n", u""_s},
        {"\xE5\xAF\x86\xE7\xA0\x81\n", u"密码"_s},
    };
    for (const auto& [content, expected] : cases) {
        TestContext t;
        QFile f(t.path(u"pw"_s));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(content);
        f.close();
        QString error;
        EXPECT_EQ(DownloadArguments::readPassword(f.fileName(), error), expected);
        EXPECT_TRUE(error.isEmpty());
    }
    TestContext t;
    QString error;
    EXPECT_TRUE(DownloadArguments::readPassword(t.path(u"missing"_s), error).isEmpty());
    EXPECT_TRUE(error.contains(u"cannot read"_s));
}

// A site login that cannot run stops the command before any transfer or browser page.
TEST(DownloadCommand, LoginThatCannotRunStopsBeforeAnyTransfer) {
    TestContext t;
    const QString empty = t.path(u"pw"_s);
    QFile f(empty);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    int pagesMade = 0;
    CliServices withEngine;
    withEngine.siteLoginPage = [&pagesMade](NetworkLayer&, AppContext&) -> std::unique_ptr<SiteLoginPage> {
        ++pagesMade;
        return nullptr;
    };
    struct Case {
        const char* name;
        QStringList args;
        CliServices services;
        QString message;
    } cases[] = {
        {"empty password",
         {u"--login-url"_s, u"http://127.0.0.1:9/login"_s, u"--account"_s, u"r"_s, u"--password-file"_s,
          empty},
         withEngine,
         SiteLogin::kNoAccount},
        {"no browser engine",
         {u"--login-url"_s, u"http://127.0.0.1:9/ip"_s, u"--ip-login"_s},
         {},
         u"needs the browser engine"_s},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const CliRun r =
            runCliCommand(u"download"_s, c.args + QStringList{u"http://127.0.0.1:9/a.pdf"_s}, c.services);
        EXPECT_EQ(r.code, 2);
        EXPECT_TRUE(r.err.contains(c.message)) << r.err.toStdString();
        EXPECT_TRUE(r.out.isEmpty());
    }
    EXPECT_EQ(pagesMade, 0);
}

} // namespace
