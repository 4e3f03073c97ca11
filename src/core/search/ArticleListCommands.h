#pragma once

#include <QObject>
#include <QString>
#include <functional>

namespace mojing {

class ArticleListModel;
class Browser;
struct ArticleRow;
struct AppContext;

// The article list's own commands: the clear menu, opening an article, and the export to a text
// file. None of them lets the event loop run, so no rows arrive while one is in progress.
class ArticleListCommands : public QObject {
    Q_OBJECT
public:
    static inline const QString kBusyText = QStringLiteral("正在分析，不能清除！");
    static inline const QString kAskText = QStringLiteral("请输入指定字符：");
    static inline const QString kConfirmClearAll = QStringLiteral("您确定要清空辛辛苦苦搜索的列表数据吗？");
    static inline const QString kExportDone = QStringLiteral("保存文件完毕：");

    ArticleListCommands(AppContext& context, Browser& browser, ArticleListModel& list,
                        QObject* parent = nullptr);

    // Tells whether an analysis run is active; clearing is refused meanwhile.
    void setAnalysisRunning(std::function<bool()> running) { m_analysisRunning = std::move(running); }

    // Removes every row the predicate holds for and refreshes the counter; an empty list is left
    // alone without refreshing it.
    void removeRowsWhere(const std::function<bool(const ArticleRow&)>& predicate);

    void clearSelected();
    void clearSucceeded();
    void clearTitleContaining();
    void clearTitleNotContaining();
    void clearAll();
    // Double click: shows the selected row's article (its PDF address) in the browser.
    void openArticle(int row);
    // "导出数据...": one line per row, written in the ANSI code page with CR LF line ends.
    void exportList();

    // One export line: title-【type】status followed by CR LF.
    static QString exportLine(const ArticleRow& row);
    // A byte count in kilobytes with thousands separators and one decimal ("1,500.0").
    static QString kilobytesText(qint64 bytes);

private:
    bool refuseWhileAnalysing();
    void clearByTitle(bool containing);

    AppContext& m_context;
    Browser& m_browser;
    ArticleListModel& m_list;
    std::function<bool()> m_analysisRunning;
};

} // namespace mojing
