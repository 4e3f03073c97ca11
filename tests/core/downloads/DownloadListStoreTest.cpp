#include "downloads/DownloadListStore.h"
#include "DemoPlatformServer.h"
#include "downloads/DownloadListKeeper.h"
#include "downloads/DownloadSession.h"
#include "settings/SettingKeys.h"
#include "support/QtPrinters.h"
#include "support/TestContext.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QTcpServer>
#include <gtest/gtest.h>

using namespace mojing;
using namespace Qt::StringLiterals;

namespace {

DownloadRow row(RowState state, const QString& key, const QString& name, const QString& percent = {}) {
    DownloadRow r;
    r.state = state;
    r.key = key;
    r.name = name;
    r.type = u"pdf"_s;
    r.size = percent.isEmpty() ? QString() : u"2048"_s;
    r.received = percent.isEmpty() ? QString() : u"1024"_s;
    r.percent = percent;
    r.folder = u"/home/u/12345/"_s;
    r.tag = u"https://j.example/toc"_s;
    return r;
}

TEST(DownloadListStore, RowsComeBackAsTheyWere) {
    struct Case {
        const char* name;
        DownloadRow saved;
        RowState stateBack;
        QString percentBack;
    };
    DownloadRow odd =
        row(RowState::Failed, u"http://a/x?q=1|http://b/x"_s, u"名称\twith\\tab\nand\r\nbreaks"_s);
    odd.tag.clear();
    odd.type.clear();
    DownloadRow described = row(RowState::Finished, u"http://a/5"_s, u"五"_s, u"100%"_s);
    described.owned = {u"/home/u/12345/五.pdf"_s, 2048,
                       QDateTime::fromMSecsSinceEpoch(1765300000123, Qt::UTC)};
    described.article = {u"A\ttitle"_s,      {u"Doe, Jane"_s, u"Li Wei"_s},
                         u"2019"_s,          u"J. Tests"_s,
                         u"10.1000/x;(1)"_s, u"https://j.example/doi/full/10.1000/x"_s};
    const Case cases[] = {
        {"waiting", row(RowState::Waiting, u"http://a/1"_s, u"一"_s), RowState::Waiting, {}},
        {"finished keeps its columns", row(RowState::Finished, u"http://a/2"_s, u"二"_s, u"100%"_s),
         RowState::Finished, u"100%"_s},
        {"failed with status text", row(RowState::Failed, u"http://a/3"_s, u"三"_s, u"下载失败"_s),
         RowState::Failed, u"下载失败"_s},
        {"downloading comes back waiting, emptied",
         row(RowState::Downloading, u"http://a/4"_s, u"四"_s, u"37%"_s),
         RowState::Waiting,
         {}},
        {"separators, backslashes and empty fields", odd, RowState::Failed, {}},
        {"its own file and the article's metadata", described, RowState::Finished, u"100%"_s},
    };
    for (const Case& c : cases) {
        const auto back = DownloadListStore::parse(DownloadListStore::serialize({c.saved}));
        ASSERT_TRUE(back.has_value()) << c.name;
        ASSERT_EQ(back->size(), 1u) << c.name;
        const DownloadRow& r = back->front();
        EXPECT_EQ(r.state, c.stateBack) << c.name;
        EXPECT_EQ(r.key, c.saved.key) << c.name;
        EXPECT_EQ(r.name, c.saved.name) << c.name;
        EXPECT_EQ(r.type, c.saved.type) << c.name;
        EXPECT_EQ(r.folder, c.saved.folder) << c.name;
        EXPECT_EQ(r.tag, c.saved.tag) << c.name;
        EXPECT_EQ(r.percent, c.percentBack) << c.name;
        EXPECT_EQ(r.received.isEmpty(), c.percentBack.isEmpty()) << c.name;
        EXPECT_EQ(r.owned, c.saved.owned) << c.name;
        EXPECT_EQ(r.article, c.saved.article) << c.name;
    }
}

TEST(DownloadListStore, TextsThatAreNotASavedListAndRowsThatCannotBeRead) {
    const QByteArray header = "#mojing-download-list\t2\n";
    const QByteArray goodV1 = "1\thttp://a/1\tn\tpdf\t\t\t\t/f/\t\n";
    const QByteArray good = goodV1.chopped(1) + "\t\t\t\t\t\t\t\t\t\n";
    const QByteArray good2 = "3\thttp://a/2\tm\tpdf\t\t\t\t/f/\t\t\t\t\t\t\t\t\t\t\n";
    struct Case {
        const char* name;
        QByteArray text;
        bool readable;
        int rows;
        int skipped = 0;
    };
    const Case cases[] = {
        {"header and one row", header + good, true, 1},
        {"header only", header, true, 0},
        {"blank lines are skipped", header + "\n" + good + "\n", true, 1},
        {"duplicate keys keep the first", header + good + good, true, 1},
        {"no header", good, false, 0},
        {"the older nine-field format", "#mojing-download-list\t1\n" + goodV1, true, 1},
        {"another format", "#mojing-download-list\t3\n" + good, false, 0},
        {"empty file", "", false, 0},
        // A row that cannot be read costs that row only.
        {"nine fields under the newer header", header + goodV1 + good2, true, 1, 1},
        {"eighteen fields under the older header", "#mojing-download-list\t1\n" + good, true, 0, 1},
        {"cut in the middle of the last line", header + good2 + good.left(10), true, 1, 1},
        {"too few fields", header + "1\thttp://a/1\tn\n" + good2, true, 1, 1},
        {"too many fields", header + good.chopped(1) + "\textra\n" + good2, true, 1, 1},
        {"unknown state", header + "5" + good.mid(1) + good2, true, 1, 1},
        {"state zero", header + "0" + good.mid(1) + good2, true, 1, 1},
        {"empty key", header + "1\t\tn\tpdf\t\t\t\t/f/\t\t\t\t\t\t\t\t\t\t\n" + good2, true, 1, 1},
        {"empty first address", header + "1\t|http://b/1\tn\tpdf\t\t\t\t/f/\t\t\t\t\t\t\t\t\t\t\n", true, 0,
         1},
        {"unknown escape", header + "1\thttp://a/1\tn\\q\tpdf\t\t\t\t/f/\t\t\t\t\t\t\t\t\t\t\n", true, 0, 1},
        {"lone backslash at the end", header + good2 + good.chopped(1) + "\\\n", true, 1, 1},
    };
    for (const Case& c : cases) {
        int skipped = -1;
        const auto rows = DownloadListStore::parse(c.text, &skipped);
        EXPECT_EQ(rows.has_value(), c.readable) << c.name;
        if (rows) {
            EXPECT_EQ(int(rows->size()), c.rows) << c.name;
            EXPECT_EQ(skipped, c.skipped) << c.name;
        }
    }
}

// A download window's list with its keeper, over a temporary data folder.
struct KeeperRig {
    KeeperRig() : ctx(t.context()), path(t.path(u"DownloadList.tsv"_s)) {}
    std::unique_ptr<DownloadSession> open() {
        auto session = std::make_unique<DownloadSession>(ctx);
        keeper = std::make_unique<DownloadListKeeper>(*session, path);
        keeper->setAddressRewrite(rewrite);
        restored = keeper->restore();
        return session;
    }
    bool waitForFile() {
        return t.pump.waitUntil([this] { return QFile::exists(path); }, Millis(5000));
    }

    TestContext t{0.01}; // the save delay is 10 ms
    AppContext ctx;
    QString path;
    std::unique_ptr<DownloadListKeeper> keeper;
    std::function<QString(const QString&)> rewrite;
    int restored = -1;
};

TEST(DownloadListKeeper, ListSurvivesClosingAndOpening) {
    KeeperRig rig;
    {
        auto session = rig.open();
        EXPECT_EQ(rig.restored, 0);
        DownloadListModel& list = session->list();
        list.addRow(u"http://a/1"_s, u"一"_s, u"pdf"_s, u"/f/"_s, {});
        list.addRow(u"http://a/2"_s, u"二"_s, u"pdf"_s, u"/f/"_s, {});
        list.setState(1, RowState::Downloading);
        list.setPercent(1, u"40%"_s);
        EXPECT_TRUE(rig.waitForFile()) << "saved after a change, without closing";
        rig.keeper->finish();
        rig.keeper.reset();
    }
    auto session = rig.open();
    EXPECT_EQ(rig.restored, 2);
    ASSERT_EQ(session->list().count(), 2);
    EXPECT_EQ(session->list().at(1).state, RowState::Waiting);
    EXPECT_EQ(session->list().at(1).percent, QString());
    EXPECT_TRUE(rig.t.prompts.shown.empty());
}

TEST(DownloadListKeeper, ChangesAreSavedOncePerDelay) {
    KeeperRig rig;
    auto session = rig.open();
    for (int i = 0; i < 200; ++i)
        session->list().addRow(u"http://a/"_s + QString::number(i), u"n"_s, u"pdf"_s, u"/f/"_s, {});
    EXPECT_FALSE(QFile::exists(rig.path)) << "nothing is written while changes keep coming within the delay";
    ASSERT_TRUE(rig.waitForFile());
    std::vector<DownloadRow> rows;
    EXPECT_EQ(DownloadListStore::load(rig.path, rows), DownloadListStore::LoadResult::Loaded);
    EXPECT_EQ(rows.size(), 200u);
}

TEST(DownloadListKeeper, ClearingEmptiesTheSavedList) {
    KeeperRig rig;
    {
        auto session = rig.open();
        session->list().addRow(u"http://a/1"_s, u"一"_s, u"pdf"_s, u"/f/"_s, {});
        rig.keeper->finish();
        session->list().clear(); // "清空"
        rig.keeper->finish();
        rig.keeper.reset();
    }
    auto session = rig.open();
    EXPECT_EQ(session->list().count(), 0);
    EXPECT_TRUE(QFile::exists(rig.path));
}

TEST(DownloadListKeeper, OptionOffKeepsNothing) {
    KeeperRig rig;
    {
        auto session = rig.open();
        session->list().addRow(u"http://a/1"_s, u"一"_s, u"pdf"_s, u"/f/"_s, {});
        rig.keeper->finish();
        ASSERT_TRUE(QFile::exists(rig.path));
        rig.t.settings.write(SettingKeys::kSectionDownload, SettingKeys::kKeepList, u"0"_s);
        session->list().addRow(u"http://a/2"_s, u"二"_s, u"pdf"_s, u"/f/"_s, {});
        rig.keeper->finish();
        rig.keeper.reset();
    }
    EXPECT_FALSE(QFile::exists(rig.path)) << "the old saved list goes at the close";
    auto session = rig.open();
    EXPECT_EQ(session->list().count(), 0);
}

TEST(DownloadListKeeper, RowsThatCannotBeReadAreSkippedAndTheRestRestored) {
    KeeperRig rig;
    const QByteArray text = "#mojing-download-list\t2\n"
                            "3\thttp://a/1\tone\tpdf\t\t\t\t/f/\t\t\t\t\t\t\t\t\t\t\n"
                            "1\t\tempty\tpdf\t\t\t\t/f/\t\t\t\t\t\t\t\t\t\t\n"
                            "1\thttp://a/3\tthree\tpdf\t\t\t\t/f/\t\t\t\t\t\t\t\t\t\t\n";
    QFile saved(rig.path);
    ASSERT_TRUE(saved.open(QIODevice::WriteOnly));
    saved.write(text);
    saved.close();
    auto session = rig.open();
    EXPECT_EQ(rig.restored, 2);
    ASSERT_EQ(session->list().count(), 2);
    EXPECT_EQ(session->list().at(1).name, u"three"_s);
    const QStringList aside =
        QDir(rig.t.dir.path()).entryList({u"DownloadList.tsv.unreadable-*"_s}, QDir::Files);
    ASSERT_EQ(aside.size(), 1) << "the whole file is kept beside, the unreadable row with it";
    QFile kept(rig.t.dir.filePath(aside.first()));
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), text);
    EXPECT_EQ(rig.t.prompts.lastMessage(),
              DownloadListKeeper::kRowsSkipped.arg(1).arg(rig.t.dir.filePath(aside.first())));
    EXPECT_EQ(rig.t.prompts.lastIcon(), MessageIcon::Warning);
}

TEST(DownloadListKeeper, UnreadableListIsMovedAsideAndReported) {
    KeeperRig rig;
    QFile broken(rig.path);
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write("not a list\n");
    broken.close();
    auto session = rig.open();
    EXPECT_EQ(session->list().count(), 0);
    EXPECT_FALSE(QFile::exists(rig.path));
    const QStringList aside =
        QDir(rig.t.dir.path()).entryList({u"DownloadList.tsv.unreadable-*"_s}, QDir::Files);
    ASSERT_EQ(aside.size(), 1);
    QFile kept(rig.t.dir.filePath(aside.first()));
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), QByteArray("not a list\n")) << "kept as it was";
    EXPECT_EQ(rig.t.prompts.lastMessage(),
              DownloadListKeeper::kUnreadable.arg(rig.t.dir.filePath(aside.first())));
    EXPECT_EQ(rig.t.prompts.lastIcon(), MessageIcon::Error);
}

TEST(DownloadListKeeper, DemoRowsFollowTheDemoPlatformToItsNextPort) {
    KeeperRig rig;
    quint16 firstPort = 0;
    QString otherHost = u"http://10.0.0.1/doi/pdf/10.5555/demo.2"_s;
    {
        DemoPlatformServer first;
        ASSERT_TRUE(first.startPreferring());
        firstPort = quint16(first.baseUrl().port());
        auto session = rig.open();
        DownloadListModel& list = session->list();
        const QString pdf = first.baseUrl().resolved(QUrl(DemoPlatformServer::pdfPath(0))).toString();
        list.addRow(pdf + u"|"_s + otherHost, u"一"_s, u"pdf"_s, u"/f/"_s,
                    first.searchUrl(u"soil"_s, 0).toString());
        list.addRow(otherHost, u"二"_s, u"pdf"_s, u"/f/"_s, {});
        rig.keeper->finish();
        rig.keeper.reset();
    } // "退出软件"

    // The next start finds its old port taken and listens elsewhere.
    QTcpServer holder;
    ASSERT_TRUE(holder.listen(QHostAddress::LocalHost, firstPort));
    DemoPlatformServer next;
    ASSERT_TRUE(next.startPreferring());
    ASSERT_NE(next.baseUrl().port(), int(firstPort));
    rig.rewrite = [&next](const QString& address) { return next.rebased(address); };
    auto session = rig.open();
    ASSERT_EQ(session->list().count(), 2);
    const DownloadRow& moved = session->list().at(0);
    const QString pdf = next.baseUrl().resolved(QUrl(DemoPlatformServer::pdfPath(0))).toString();
    EXPECT_EQ(moved.key, pdf + u"|"_s + otherHost);
    EXPECT_EQ(moved.tag, next.searchUrl(u"soil"_s, 0).toString());
    EXPECT_EQ(session->list().at(1).key, otherHost);

    // The moved row downloads from the running demo.
    QNetworkAccessManager manager;
    QNetworkReply* reply = manager.get(QNetworkRequest(QUrl(DownloadListModel::currentUrl(moved.key))));
    ASSERT_TRUE(rig.t.pump.waitUntil([reply] { return reply->isFinished(); }, Millis(10000)));
    EXPECT_EQ(reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(), 200);
    EXPECT_TRUE(reply->readAll().startsWith("%PDF-"));
    delete reply;
}

} // namespace
