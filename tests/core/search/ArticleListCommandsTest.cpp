#include "search/ArticleListCommands.h"
#include "fakes/FakeBrowser.h"
#include "search/ArticleListModel.h"
#include "support/QtPrinters.h"
#include "support/TestContext.h"

#include <QFile>
#include <gtest/gtest.h>

using namespace mojing;
using namespace Qt::StringLiterals;

namespace {

struct Row {
    QString title;
    QString status;
    bool selected = false;
};

struct Harness {
    explicit Harness(const std::vector<Row>& rows) {
        int n = 0;
        for (const Row& r : rows) {
            list.addArticle(r.title, u"https://j.example/pdf/%1"_s.arg(++n), u"page"_s, u"pdf"_s, QString(),
                            u"搜索"_s);
            list.setStatus(list.count() - 1, r.status);
            list.setSelected(list.count() - 1, r.selected);
        }
        QObject::connect(&list, &ArticleListModel::countRefreshed, &list, [this](int c) { counts << c; });
    }
    QStringList titles() const {
        QStringList out;
        for (int i = 0; i < list.count(); ++i)
            out << list.at(i).title;
        return out;
    }

    TestContext t;
    AppContext context = t.context();
    FakeBrowser browser;
    ArticleListModel list;
    ArticleListCommands commands{context, browser, list};
    QList<int> counts;
};

const std::vector<Row> kRows = {
    {u"Alpha study"_s, u"成功"_s, false},  {u"beta REPORT"_s, u"正在分析"_s, true},
    {u"Gamma report"_s, u"失败"_s, true},  {u"Delta"_s, QString(), false},
    {u"Epsilon study"_s, u"成功"_s, true},
};

TEST(ArticleListCommands, ClearCommands) {
    struct Case {
        const char* name;
        std::function<void(ArticleListCommands&)> run;
        std::optional<QString> answer;
        QStringList remaining;
        QList<int> counts;
        int selectedAfter; // a model reset leaves nothing selected, as in the view
    };
    const QStringList all{u"Alpha study"_s, u"beta REPORT"_s, u"Gamma report"_s, u"Delta"_s,
                          u"Epsilon study"_s};
    const Case cases[] = {
        {"selected rows, adjacent ones too",
         &ArticleListCommands::clearSelected,
         {},
         {u"Alpha study"_s, u"Delta"_s},
         {2},
         0},
        {"succeeded rows only",
         &ArticleListCommands::clearSucceeded,
         {},
         {u"beta REPORT"_s, u"Gamma report"_s, u"Delta"_s},
         {3},
         0},
        {"title containing, case ignored",
         &ArticleListCommands::clearTitleContaining,
         u"REPORT"_s,
         {u"Alpha study"_s, u"Delta"_s, u"Epsilon study"_s},
         {3},
         0},
        {"title not containing, case ignored",
         &ArticleListCommands::clearTitleNotContaining,
         u"REPORT"_s,
         {u"beta REPORT"_s, u"Gamma report"_s},
         {2},
         0},
        {"empty answer does nothing", &ArticleListCommands::clearTitleContaining, u""_s, all, {}, 3},
        {"cancelled answer does nothing",
         &ArticleListCommands::clearTitleNotContaining,
         std::nullopt,
         all,
         {},
         3},
        {"no match still refreshes", &ArticleListCommands::clearTitleContaining, u"zzz"_s, all, {5}, 3},
    };
    for (const Case& c : cases) {
        Harness h(kRows);
        h.t.prompts.inputAnswers.push_back(c.answer);
        c.run(h.commands);
        EXPECT_EQ(h.titles(), c.remaining) << c.name;
        EXPECT_EQ(h.counts, c.counts) << c.name;
        int selected = 0;
        for (int i = 0; i < h.list.count(); ++i)
            selected += h.list.at(i).selected ? 1 : 0;
        EXPECT_EQ(selected, c.selectedAfter) << c.name;
        EXPECT_TRUE(h.t.prompts.messages().isEmpty()) << c.name;
    }
}

TEST(ArticleListCommands, ClearAllAsksFirst) {
    Harness no(kRows);
    no.t.prompts.yesNoAnswers.push_back(false);
    no.commands.clearAll();
    EXPECT_EQ(no.list.count(), 5);
    EXPECT_TRUE(no.counts.isEmpty());
    EXPECT_EQ(no.t.prompts.texts(FakePrompts::Kind::YesNo),
              QStringList{ArticleListCommands::kConfirmClearAll});

    Harness yes(kRows);
    yes.t.prompts.yesNoAnswers.push_back(true);
    yes.commands.clearAll();
    EXPECT_EQ(yes.list.count(), 0);
    EXPECT_EQ(yes.counts, QList<int>{0});
    EXPECT_FALSE(yes.list.containsKey(u"https://j.example/pdf/1"_s));
}

TEST(ArticleListCommands, EveryClearIsRefusedDuringAnalysis) {
    const std::function<void(ArticleListCommands&)> commands[] = {
        &ArticleListCommands::clearSelected, &ArticleListCommands::clearSucceeded,
        &ArticleListCommands::clearTitleContaining, &ArticleListCommands::clearTitleNotContaining,
        &ArticleListCommands::clearAll};
    for (const auto& run : commands) {
        Harness h(kRows);
        h.commands.setAnalysisRunning([] { return true; });
        h.t.prompts.inputAnswers.push_back(u"a"_s);
        h.t.prompts.yesNoAnswers.push_back(true);
        run(h.commands);
        EXPECT_EQ(h.list.count(), 5);
        EXPECT_EQ(h.t.prompts.messages(), QStringList{ArticleListCommands::kBusyText});
        EXPECT_EQ(h.t.prompts.lastIcon(), MessageIcon::Error);
        EXPECT_TRUE(h.t.prompts.texts(FakePrompts::Kind::Input).isEmpty());
    }
}

TEST(ArticleListCommands, EmptyListIsLeftAloneWithoutRefreshing) {
    Harness h({});
    h.commands.clearSelected();
    h.commands.clearSucceeded();
    EXPECT_TRUE(h.counts.isEmpty());
    EXPECT_TRUE(h.t.prompts.shown.empty());
}

TEST(ArticleListCommands, OpeningAnArticleShowsItsPdfAddress) {
    Harness h(kRows);
    h.commands.openArticle(-1);
    EXPECT_TRUE(h.browser.navigations().isEmpty()) << "no selected row, nothing happens";
    h.commands.openArticle(2);
    EXPECT_EQ(h.browser.navigations(), QStringList{u"https://j.example/pdf/3"_s});
    EXPECT_EQ(h.list.count(), 5);
}

TEST(ArticleListCommands, KilobyteText) {
    const std::pair<qint64, QString> cases[] = {
        {0, u"0.0"_s},
        {2048, u"2.0"_s},
        {1536000, u"1,500.0"_s},
        {100, u"0.1"_s},
        {51, u"0.0"_s},
        {52, u"0.1"_s},
        {1023 * 1024 + 1000, u"1,024.0"_s},
        {1024LL * 1234567, u"1,234,567.0"_s},
    };
    for (const auto& [bytes, text] : cases)
        EXPECT_EQ(ArticleListCommands::kilobytesText(bytes), text) << bytes;
}

TEST(ArticleListCommands, ExportWritesAnsiLinesWithCrLf) {
    Harness h({{u"中文 title"_s, u"成功"_s}, {u"Second"_s, QString()}, {u"Third"_s, u"失败"_s}});
    const QString path = h.t.path(u"out.txt"_s);
    h.t.prompts.saveFileAnswers.push_back(path);
    h.commands.exportList();
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    const QByteArray expected =
        h.t.codec.encode(u"中文 title-【pdf】成功\r\nSecond-【pdf】\r\nThird-【pdf】失败\r\n"_s);
    EXPECT_EQ(bytes, expected);
    EXPECT_EQ(bytes.count("\r\n"), 3);
    EXPECT_EQ(h.t.prompts.messages(),
              QStringList{u"保存文件完毕："_s + ArticleListCommands::kilobytesText(bytes.size()) + u"KB"_s});
    EXPECT_EQ(h.t.prompts.lastIcon(), MessageIcon::Information);
    EXPECT_EQ(h.t.prompts.texts(FakePrompts::Kind::SaveFile), QStringList{u"*.txt|*.txt"_s});
}

TEST(ArticleListCommands, ExportReplacesAnExistingFile) {
    Harness h({{u"Only"_s, QString()}});
    const QString path = h.t.path(u"old.txt"_s);
    QFile old(path);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write(QByteArray(5000, 'x'));
    old.close();
    h.t.prompts.saveFileAnswers.push_back(path);
    h.commands.exportList();
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("Only-\xA1\xBEpdf\xA1\xBF\r\n"));
}

TEST(ArticleListCommands, ExportWithoutRowsOrFileDoesNothing) {
    Harness empty({});
    empty.commands.exportList();
    EXPECT_TRUE(empty.t.prompts.shown.empty()) << "no rows: not even the dialog";

    Harness cancelled({{u"A"_s, QString()}});
    cancelled.commands.exportList();
    EXPECT_TRUE(cancelled.t.prompts.messages().isEmpty());

    Harness unwritable({{u"A"_s, QString()}});
    unwritable.t.prompts.saveFileAnswers.push_back(unwritable.t.path(u"missing/dir/out.txt"_s));
    unwritable.commands.exportList();
    EXPECT_TRUE(unwritable.t.prompts.messages().isEmpty());
}

} // namespace
