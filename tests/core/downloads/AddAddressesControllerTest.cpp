// "添加网址或DOI": pasted DOIs and addresses become rows of the download list, and the rows
// download as any other.

#include "downloads/AddAddressesController.h"
#include "downloads/DownloadEngine.h"
#include "support/ArticleSite.h"
#include "support/QtPrinters.h"
#include "support/TransferFixture.h"

#include <QDir>
#include <gtest/gtest.h>

using namespace mojing;
using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

const QByteArray kPdf = "%PDF-1.4\n1 0 obj << >> endobj\n%%EOF\n";

class AddAddressesControllerTest : public TransferFixture {
public:
    void SetUp() override {
        TransferFixture::SetUp();
        t.timing.pageLoadLimit = 5000ms;
        controller.setResolverBase(server.url(u"/doi/"_s));
        QObject::connect(&controller, &AddAddressesController::finished, &controller,
                         [this](bool complete) { ends << complete; });
        QObject::connect(&controller, &AddAddressesController::progressChanged, &controller,
                         [this](int done, int total) { progress << u"%1/%2"_s.arg(done).arg(total); });
    }

    // An article on the platform: its DOI redirects to its page, which names its PDF; the PDF is
    // only given to readers who come from that page.
    void publish(const QString& id, const QString& title) {
        const QString page = u"/article/"_s + id;
        server.route(u"/doi/10.5555/"_s + id, FaultServer::redirect(server.url(page).toUtf8()));
        server.route(page, articlePageReply(articlePageHtml(title, u"/pdf/"_s + id, {u"Author, A"_s},
                                                            u"2020"_s, u"10.5555/"_s + id)));
        server.routeHandler(u"/pdf/"_s + id, [this, page](const FaultServer::Request& request) {
            if (request.header("Referer") != server.url(page).toUtf8()) {
                FaultServer::Reply refused = FaultServer::ok("<html>no</html>", "text/html");
                refused.status = 403;
                refused.reason = "Forbidden";
                return refused;
            }
            return FaultServer::ok(kPdf);
        });
    }

    bool waitForEnd() {
        return t.pump.waitUntil([this] { return !ends.isEmpty(); }, 20000ms);
    }

    DownloadEngine engine{session, network};
    AddAddressesController controller{session, engine.scheduler(), network};
    QList<bool> ends;
    QStringList progress;
};

TEST_F(AddAddressesControllerTest, PastedDoisBecomeRowsInOrderAndDownloadWithTheirPageAsReferer) {
    publish(u"s1"_s, u"Soil: Moisture / Heat"_s);
    publish(u"s2"_s, u"Second Study"_s);
    publish(u"s3"_s, u"Third Study"_s);
    controller.setText(u"10.5555/s1\n"
                       "https://doi.org/10.5555/S1\n" // the same DOI again
                       "References\n"
                       "doi:10.5555/s2\n"
                       "10.5555/gone\n"
                       "\n"
                       "https://doi.org/10.5555/s3\n"_s);
    ASSERT_TRUE(controller.add(folder));
    EXPECT_TRUE(controller.isRunning());
    ASSERT_TRUE(waitForEnd());

    DownloadListModel& list = session.list();
    ASSERT_EQ(list.count(), 4);
    struct Expected {
        QString name;
        QString key;
        QString tag;
        RowState state;
        QString size;
    };
    const Expected expected[] = {
        {u"Soil Moisture  Heat"_s,
         server.url(u"/pdf/s1"_s),
         server.url(u"/article/s1"_s),
         RowState::Waiting,
         {}},
        {u"Second Study"_s, server.url(u"/pdf/s2"_s), server.url(u"/article/s2"_s), RowState::Waiting, {}},
        {u"10.5555_gone"_s,
         server.url(u"/doi/10.5555/gone"_s),
         {},
         RowState::Failed,
         ResolvedArticle::kUnknownDoi},
        {u"Third Study"_s, server.url(u"/pdf/s3"_s), server.url(u"/article/s3"_s), RowState::Waiting, {}},
    };
    for (int i = 0; i < list.count(); ++i) {
        const DownloadRow& row = list.at(i);
        EXPECT_EQ(row.name, expected[i].name) << i;
        EXPECT_EQ(row.type, u"pdf"_s) << i;
        EXPECT_EQ(row.key, expected[i].key) << i;
        EXPECT_EQ(row.tag, expected[i].tag) << i;
        EXPECT_EQ(row.folder, folder) << i;
        EXPECT_EQ(row.state, expected[i].state) << i;
        EXPECT_EQ(row.size, expected[i].size) << i;
    }
    EXPECT_EQ(list.at(0).article.authors, QStringList{u"Author, A"_s}) << "the row keeps the metadata";
    EXPECT_EQ(list.at(0).article.doi, u"10.5555/s1"_s);
    EXPECT_EQ(t.prompts.lastMessage(), u"添加3项，2项无法解析"_s);
    EXPECT_EQ(ends, QList<bool>{false}) << "a line that is no input stays in the box";
    EXPECT_EQ(controller.text(), u"References"_s);
    EXPECT_EQ(progress.first(), u"0/4"_s);
    EXPECT_EQ(progress.last(), u"4/4"_s);

    // The rows download as any other; the PDFs arrive because their page is the Referer.
    engine.scheduler().setImmediate(true);
    engine.scheduler().start();
    ASSERT_TRUE(t.pump.waitUntil([&] { return list.countInState(RowState::Finished) == 3; }, 20000ms));
    for (const QString& name : {u"Soil Moisture  Heat.pdf"_s, u"Second Study.pdf"_s, u"Third Study.pdf"_s})
        EXPECT_EQ(contentOf(name), kPdf) << name.toStdString();
}

TEST_F(AddAddressesControllerTest, StopAddsWhatWasResolvedAndLeavesTheRestInTheBox) {
    publish(u"s1"_s, u"First"_s);
    FaultServer::Reply stalled = articlePageReply(articlePageHtml(u"Never Whole"_s, u"/x.pdf"_s));
    stalled.stallAfter = 10;
    server.route(u"/article/slow"_s, stalled);
    session.list().addRow(server.url(u"/pdf/s1"_s), u"listed before"_s, u"pdf"_s, folder, {});
    controller.setText(u"10.5555/s1\n"_s + server.url(u"/article/slow"_s) + u"\n10.5555/s2"_s);
    ASSERT_TRUE(controller.add(folder));
    // The slow page holds its host; stop once the first input is through.
    ASSERT_TRUE(t.pump.waitUntil([this] { return controller.doneCount() >= 1; }, 10000ms));
    controller.stop();
    ASSERT_TRUE(waitForEnd());
    EXPECT_EQ(ends, QList<bool>{false});
    EXPECT_FALSE(controller.isRunning());
    EXPECT_EQ(controller.text(), server.url(u"/article/slow"_s) + u"\n10.5555/s2"_s);
    EXPECT_EQ(session.list().count(), 1) << "the PDF already listed keeps its row";
    EXPECT_EQ(t.prompts.lastMessage(), u"添加0项，0项无法解析，1项已在列表中"_s)
        << "an article already listed is neither added nor unresolvable";
}

TEST_F(AddAddressesControllerTest, NothingToAdd) {
    controller.setText(u"\n# only a comment\n  \n"_s);
    EXPECT_FALSE(controller.add(folder));
    EXPECT_EQ(t.prompts.lastMessage(), AddAddressesController::kNothingToAdd);
    EXPECT_EQ(t.prompts.lastIcon(), MessageIcon::Error);
    EXPECT_FALSE(controller.isRunning());
    EXPECT_EQ(session.list().count(), 0);
}

} // namespace
