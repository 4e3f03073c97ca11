#include "downloads/DownloadListModel.h"
#include "downloads/DownloadSession.h"
#include "support/QtPrinters.h"
#include "support/TestContext.h"

#include <QDir>
#include <gtest/gtest.h>

using namespace mojing;
using namespace Qt::StringLiterals;

namespace {

TEST(DownloadListModel, AlternativesRotateFromTheBack) {
    QString key = u"a|b|c"_s;
    QStringList tried;
    for (int i = 0; i < 4; ++i) {
        tried << DownloadListModel::currentUrl(key);
        key = DownloadListModel::rotateUrls(key);
    }
    EXPECT_EQ(tried, (QStringList{u"a"_s, u"c"_s, u"b"_s, u"a"_s}));
}

struct RotateCase {
    const char* name;
    QString key;
    QString rotated;
};

TEST(DownloadListModel, RotationTable) {
    const RotateCase cases[] = {
        {"single address stays", u"http://x/1"_s, u"http://x/1"_s},
        {"two swap", u"a|b"_s, u"b|a"_s},
        {"three: last to front", u"a|b|c"_s, u"c|a|b"_s},
        {"four are left alone", u"a|b|c|d"_s, u"a|b|c|d"_s},
        {"empty stays", QString(), QString()},
        {"empty alternative rotates too", u"a|"_s, u"|a"_s},
    };
    for (const RotateCase& c : cases)
        EXPECT_EQ(DownloadListModel::rotateUrls(c.key), c.rotated) << c.name;
    EXPECT_EQ(DownloadListModel::currentUrl(u"http://x/a?q=1|http://y"_s), u"http://x/a?q=1"_s);
}

struct RowCells {
    RowState state;
    QString type;
    QString size;
    QString received;
    QString percent;
};

struct CountCase {
    const char* name;
    std::vector<RowCells> rows;
    int undownloaded;
    bool finished;
    int failedOrWeb;
    QString counts;
};

TEST(DownloadListModel, CountsTable) {
    using S = RowState;
    const CountCase cases[] = {
        {"empty list", {}, 0, true, 0, u"总数:0 正在下载:0 等待:0 已完成:0 失败:0"_s},
        {"fresh rows count as undownloaded",
         {{S::Waiting, u"pdf"_s, {}, {}, {}}, {S::Waiting, u"pdf"_s, {}, {}, {}}},
         2,
         false,
         0,
         u"总数:2 正在下载:0 等待:2 已完成:0 失败:0"_s},
        {"waiting again is not undownloaded",
         {{S::Waiting, u"pdf"_s, u"等待重新下载"_s, {}, {}}},
         0,
         false,
         0,
         u"总数:1 正在下载:0 等待:1 已完成:0 失败:0"_s},
        {"marked missing is not undownloaded",
         {{S::Waiting, u"pdf"_s, {}, {}, u"不存在"_s}},
         0,
         false,
         0,
         u"总数:1 正在下载:0 等待:1 已完成:0 失败:0"_s},
        {"finished and failed rows end the list",
         {{S::Finished, u"pdf"_s, u"10"_s, u"10"_s, u"100%"_s}, {S::Failed, u"pdf"_s, u"下载失败"_s, {}, {}}},
         0,
         true,
         1,
         u"总数:2 正在下载:0 等待:0 已完成:1 失败:1"_s},
        {"one downloading row keeps the list going",
         {{S::Finished, u"pdf"_s, u"1"_s, u"1"_s, u"100%"_s}, {S::Downloading, u"pdf"_s, {}, {}, {}}},
         1,
         false,
         0,
         u"总数:2 正在下载:1 等待:0 已完成:1 失败:0"_s},
        {"web pages count in any state, letter case ignored",
         {{S::Finished, u"HTM"_s, u"1"_s, u"1"_s, u"100%"_s},
          {S::Waiting, u"html"_s, {}, {}, {}},
          {S::Failed, u"htm"_s, {}, {}, {}},
          {S::Finished, u"xml"_s, u"1"_s, u"1"_s, u"100%"_s}},
         2,
         false,
         3,
         u"总数:4 正在下载:0 等待:1 已完成:2 失败:1"_s},
        {"an error page is still a finished web-page row",
         {{S::Finished, u"htm"_s, u"404 网页"_s, u"59"_s, u"100%"_s}},
         0,
         true,
         1,
         u"总数:1 正在下载:0 等待:0 已完成:1 失败:0"_s},
    };
    for (const CountCase& c : cases) {
        DownloadListModel list;
        int i = 0;
        for (const RowCells& r : c.rows) {
            list.addRow(u"k"_s + QString::number(i), u"n"_s, r.type, u"/f/"_s, QString());
            list.setState(i, r.state);
            list.setSize(i, r.size);
            list.setReceived(i, r.received);
            list.setPercent(i, r.percent);
            ++i;
        }
        EXPECT_EQ(list.countNotStarted(), c.undownloaded) << c.name;
        EXPECT_EQ(list.isListFinished(), c.finished) << c.name;
        EXPECT_EQ(list.countFailedOrWebRows(), c.failedOrWeb) << c.name;
        EXPECT_EQ(list.countsText(), c.counts) << c.name;
        EXPECT_EQ(list.rowCountText(), QString::number(c.rows.size()) + u"条"_s) << c.name;
    }
}

TEST(DownloadListModel, PictureOfARow) {
    using S = RowState;
    const struct {
        const char* name;
        RowState state;
        QString type, size;
        RowIcon icon;
    } cases[] = {
        {"waiting", S::Waiting, u"htm"_s, {}, RowIcon::Waiting},
        {"downloading", S::Downloading, u"pdf"_s, {}, RowIcon::Downloading},
        {"a finished paper", S::Finished, u"pdf"_s, u"3000"_s, RowIcon::Finished},
        {"a finished web page", S::Finished, u"HTML"_s, u"3000"_s, RowIcon::WebPage},
        {"xml is a web page too", S::Finished, u"xml"_s, u"30"_s, RowIcon::WebPage},
        {"a 404 page", S::Finished, u"htm"_s, u"404 网页"_s, RowIcon::ErrorPage},
        {"a 503 page", S::Finished, u"htm"_s, u"503 网页"_s, RowIcon::ErrorPage},
        {"a 403 page is a web page (the login answers it)", S::Finished, u"htm"_s, u"403 网页"_s,
         RowIcon::WebPage},
        {"failed web page", S::Failed, u"htm"_s, u"404 网页"_s, RowIcon::Failed},
        {"skipped as too large", S::Finished, u"pdf"_s, {}, RowIcon::Finished},
    };
    for (const auto& c : cases) {
        DownloadListModel list;
        list.addRow(u"k"_s, u"n"_s, c.type, u"/f/"_s, QString());
        list.setState(0, c.state);
        list.setSize(0, c.size);
        EXPECT_EQ(list.data(list.index(0, 0), DownloadListModel::IconRole).toInt(), int(c.icon)) << c.name;
    }
    EXPECT_EQ(DownloadListModel::errorPageText(410), u"410 网页"_s);
    for (const int status : {200, 206, 301, 401, 403, 429})
        EXPECT_FALSE(DownloadListModel::isErrorPageStatus(status)) << status;
}

TEST(DownloadListModel, FilePathAndDuplicateKeys) {
    DownloadListModel list;
    const QString sep = QDir::separator();
    EXPECT_TRUE(list.addRow(u"k"_s, u"name"_s, QString(), u"/f"_s, u"k"_s));
    EXPECT_FALSE(list.addRow(u"k"_s, u"other"_s, u"pdf"_s, u"/g"_s, u"k"_s));
    EXPECT_EQ(list.count(), 1);
    EXPECT_EQ(list.filePath(0), u"/f"_s + sep + u"name"_s) << "no trailing dot without a type";
    list.setType(0, u"pdf"_s);
    list.setFolder(0, u"/f"_s + sep);
    EXPECT_EQ(list.filePath(0), u"/f"_s + sep + u"name.pdf"_s);
    EXPECT_EQ(list.filePath(5), QString());
    ASSERT_TRUE(list.addRow(u"k2"_s, u"n"_s, QString(), QString(), QString()));
    EXPECT_FALSE(list.setKey(1, u"k"_s)) << "a key that another row has is refused";
    EXPECT_TRUE(list.setKey(1, u"k3"_s));
    EXPECT_TRUE(list.containsKey(u"k3"_s));
    EXPECT_FALSE(list.containsKey(u"k2"_s));
}

// The cells of one column, top to bottom.
QStringList column(const DownloadListModel& list, int col) {
    QStringList cells;
    for (int i = 0; i < list.count(); ++i)
        cells << list.data(list.index(i, col), Qt::DisplayRole).toString();
    return cells;
}

struct SortCase {
    const char* name;
    int column;
    Qt::SortOrder order;
    QStringList cells;
    QStringList sorted;
};

TEST(DownloadListModel, SortTable) {
    const auto up = Qt::AscendingOrder;
    const auto down = Qt::DescendingOrder;
    using L = DownloadListModel;
    const SortCase cases[] = {
        {"sizes are numbers: 999 before 1000",
         L::SizeCol,
         up,
         {u"1000"_s, u"999"_s, u"20"_s},
         {u"20"_s, u"999"_s, u"1000"_s}},
        {"sizes: empty first, status texts after the numbers",
         L::SizeCol,
         up,
         {u"下载失败"_s, u"1000"_s, QString(), u"未知"_s, u"999"_s},
         {QString(), u"999"_s, u"1000"_s, u"下载失败"_s, u"未知"_s}},
        {"sizes descending reverse all of it",
         L::SizeCol,
         down,
         {u"下载失败"_s, u"1000"_s, QString(), u"999"_s},
         {u"下载失败"_s, u"1000"_s, u"999"_s, QString()}},
        {"received bytes as numbers",
         L::ReceivedCol,
         up,
         {u"100"_s, u"99"_s, u"5"_s, QString()},
         {QString(), u"5"_s, u"99"_s, u"100"_s}},
        {"leading zeros and blanks are dropped", L::SizeCol, up, {u"0999"_s, u" 12 "_s}, {u"12"_s, u"999"_s}},
        {"percent: 100% stays, status texts untouched",
         L::PercentCol,
         up,
         {u"100%"_s, u"大文件，跳过"_s, u"9%"_s, QString(), u"37%"_s},
         {QString(), u"9%"_s, u"37%"_s, u"100%"_s, u"大文件，跳过"_s}},
        {"percent descending",
         L::PercentCol,
         down,
         {u"9%"_s, u"无法替换"_s, u"100%"_s, u"不存在"_s},
         {u"无法替换"_s, u"不存在"_s, u"100%"_s, u"9%"_s}},
        {"a whole number without its sign gets one",
         L::PercentCol,
         up,
         {u"50"_s, u"7%"_s},
         {u"7%"_s, u"50%"_s}},
        {"names ignore letter case, equal names keep their order",
         L::NameCol,
         up,
         {u"b"_s, u"A"_s, u"c"_s, u"a"_s},
         {u"A"_s, u"a"_s, u"b"_s, u"c"_s}},
        {"names descending", L::NameCol, down, {u"b"_s, u"a"_s, u"c"_s}, {u"c"_s, u"b"_s, u"a"_s}},
        {"names are text even when they look like numbers",
         L::NameCol,
         up,
         {u"10"_s, u"9"_s, u"100"_s},
         {u"10"_s, u"100"_s, u"9"_s}},
    };
    for (const SortCase& c : cases) {
        DownloadListModel list;
        for (int i = 0; i < c.cells.size(); ++i) {
            list.addRow(u"k"_s + QString::number(i), u"n"_s + QString::number(i), u"pdf"_s, u"/f/"_s, {});
            if (c.column == L::NameCol)
                list.setName(i, c.cells[i]);
            else if (c.column == L::SizeCol)
                list.setSize(i, c.cells[i]);
            else if (c.column == L::ReceivedCol)
                list.setReceived(i, c.cells[i]);
            else
                list.setPercent(i, c.cells[i]);
        }
        list.sort(c.column, c.order);
        EXPECT_EQ(column(list, c.column), c.sorted) << c.name;
    }
}

TEST(DownloadListModel, SortedRowsKeepTheirCellsKeysAndSelection) {
    DownloadListModel list;
    QStringList sizes{u"300"_s, u"100"_s, u"200"_s};
    for (int i = 0; i < 3; ++i) {
        list.addRow(u"key"_s + sizes[i], u"name"_s + sizes[i], u"pdf"_s, u"/f/"_s, u"tag"_s + sizes[i]);
        list.setSize(i, sizes[i]);
    }
    list.setSelected(0, true);
    list.setState(0, RowState::Failed);
    const QPersistentModelIndex current = list.index(0, 2);
    list.sort(DownloadListModel::SizeCol, Qt::AscendingOrder);
    EXPECT_EQ(column(list, DownloadListModel::NameCol),
              (QStringList{u"name100"_s, u"name200"_s, u"name300"_s}));
    const DownloadRow& moved = list.at(2);
    EXPECT_EQ(moved.key, u"key300"_s);
    EXPECT_EQ(moved.tag, u"tag300"_s);
    EXPECT_TRUE(moved.selected);
    EXPECT_EQ(moved.state, RowState::Failed);
    EXPECT_EQ(current.row(), 2) << "views follow their rows";
    EXPECT_EQ(current.column(), 2);
    EXPECT_FALSE(list.setKey(0, u"key300"_s)) << "the key index still knows every key";
    EXPECT_TRUE(list.setKey(2, u"key999"_s));
    EXPECT_FALSE(list.addRow(u"key100"_s, u"x"_s, u"pdf"_s, u"/f/"_s, {}));
    // One-shot: a row added later goes to the end.
    list.addRow(u"key050"_s, u"name050"_s, u"pdf"_s, u"/f/"_s, {});
    list.setSize(3, u"50"_s);
    EXPECT_EQ(column(list, DownloadListModel::SizeCol), (QStringList{u"100"_s, u"200"_s, u"300"_s, u"50"_s}));
}

TEST(DownloadListModel, ProgressUpdatesAreCoalesced) {
    DownloadListModel list(nullptr, 1000);
    for (int i = 0; i < 10; ++i)
        list.addRow(u"k"_s + QString::number(i), u"n"_s, u"pdf"_s, u"/f/"_s, QString());
    std::vector<std::pair<int, int>> spy;
    QObject::connect(&list, &QAbstractItemModel::dataChanged, &list,
                     [&](const QModelIndex& a, const QModelIndex& b) {
                         EXPECT_LT(b.row(), list.count()) << "an index past the end";
                         spy.emplace_back(a.row(), b.row());
                     });
    for (int n = 0; n < 100; ++n) {
        list.setReceived(2, QString::number(n));
        list.setReceived(7, QString::number(n));
    }
    EXPECT_EQ(spy.size(), 0u);
    list.flushChanges();
    ASSERT_EQ(spy.size(), 1u);
    EXPECT_EQ(spy[0], std::make_pair(2, 7));
    // A row removed before the flush does not send an index past the end.
    list.setReceived(9, u"x"_s);
    list.removeAt(9);
    list.flushChanges();
}

// The counts panel follows the rows as they change; nothing waits for the status tick.
TEST(DownloadSession, CountsFollowTheRowsWithoutATick) {
    TestContext t(0.01);
    DownloadSession session(t.context());
    DownloadListModel& list = session.list();
    QString panel4;
    QObject::connect(&session, &DownloadSession::statusTextChanged, &session,
                     [&](int panel, const QString& text) {
                         if (panel == 4)
                             panel4 = text;
                     });
    struct Step {
        const char* name;
        std::function<void()> change;
        QString counts;
    };
    const Step steps[] = {
        {"rows added",
         [&] {
             for (const char* k : {"a", "b", "c"})
                 list.addRow(QString::fromLatin1(k), u"n"_s, u"pdf"_s, u"/f/"_s, {});
         },
         u"总数:3 正在下载:0 等待:3 已完成:0 失败:0"_s},
        {"a row starts", [&] { list.setState(0, RowState::Downloading); },
         u"总数:3 正在下载:1 等待:2 已完成:0 失败:0"_s},
        {"it finishes and another fails",
         [&] {
             list.setState(0, RowState::Finished);
             list.setState(1, RowState::Failed);
         },
         u"总数:3 正在下载:0 等待:1 已完成:1 失败:1"_s},
        {"the failed row is queued again", [&] { list.setState(1, RowState::Waiting); },
         u"总数:3 正在下载:0 等待:2 已完成:1 失败:0"_s},
        {"a row removed", [&] { list.removeAt(2); }, u"总数:2 正在下载:0 等待:1 已完成:1 失败:0"_s},
        {"sorted", [&] { list.sort(DownloadListModel::NameCol); },
         u"总数:2 正在下载:0 等待:1 已完成:1 失败:0"_s},
        {"cleared", [&] { list.clear(); }, u"总数:0 正在下载:0 等待:0 已完成:0 失败:0"_s},
    };
    for (const Step& s : steps) {
        panel4.clear();
        s.change();
        EXPECT_TRUE(t.pump.waitUntil([&] { return panel4 == s.counts; }, Millis(2000)))
            << s.name << ": " << panel4.toStdString();
    }
}

} // namespace
