#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <optional>

namespace mojing {

class ArticleListModel;
class Browser;
class OperationGate;
class BrowserDocument;
class DomElement;
struct AppContext;

// The search window's harvesting commands: "加入本页到列表" harvests the page shown, "加入全部到列表"
// walks the result pages by clicking each page's own "next" link, harvesting every page, with a
// load limit and a pause per page. Everything runs on the UI thread; the run lets the event loop
// run between steps, so the stop click arrives while the run is still looping.
class SearchController : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString addAllCaption READ addAllCaption NOTIFY controlsChanged)
    Q_PROPERTY(bool addAllHighlighted READ addAllHighlighted NOTIFY controlsChanged)
    Q_PROPERTY(bool addAllStopped READ addAllStopped NOTIFY controlsChanged)
    Q_PROPERTY(bool pageLimitEditable READ pageLimitEditable NOTIFY controlsChanged)
    Q_PROPERTY(bool addPageEnabled READ addPageEnabled NOTIFY controlsChanged)
    Q_PROPERTY(QString progressText READ progressText NOTIFY progressChanged)
public:
    static inline const QString kCaptionAddAll = QStringLiteral("加入全部到列表");
    static inline const QString kCaptionStop = QStringLiteral("停止加入全部");
    static inline const QString kLimitNotNumeric = QStringLiteral("最大页码数必须是数字！");
    // The origin ("TYPE") of a row read from an article's own page.
    static inline const QString kOriginArticlePage = QStringLiteral("网页");
    static inline const QString kProgressPage = QStringLiteral("正在加入第%1页…");
    static inline const QString kProgressDone = QStringLiteral("加入全部结束，本次加入%1条");

    SearchController(AppContext& context, Browser& browser, ArticleListModel& list,
                     QObject* parent = nullptr);

    // Mirrors of the window's controls: Check3 (only open-access entries), Check1 (stop at the page
    // limit) and Text1 (the page limit text).
    bool openAccessOnly() const { return m_openAccessOnly; }
    void setOpenAccessOnly(bool on) { m_openAccessOnly = on; }
    bool pageLimitEnabled() const { return m_pageLimitEnabled; }
    void setPageLimitEnabled(bool on) { m_pageLimitEnabled = on; }
    QString pageLimitText() const { return m_pageLimitText; }
    void setPageLimitText(const QString& text) { m_pageLimitText = text; }

    QString addAllCaption() const { return m_addAllCaption; }
    // The add-all button is shown red while a run is active.
    bool addAllHighlighted() const { return m_addAllHighlighted; }
    // True when no run is active or its stop was requested (the window refuses to close otherwise).
    bool addAllStopped() const { return m_addAllStopped; }
    bool pageLimitEditable() const { return m_pageLimitEditable; }
    bool addPageEnabled() const { return m_addPageEnabled; }
    // How far an add-all run is, for the status bar: "正在加入第N页…" (N counts the pages of this
    // run), the page limit when it applies and the rows this run added so far; at its end, what
    // the run added. Empty before the first run.
    QString progressText() const { return m_progressText; }

    // Shows the save-folder dialog modally and leaves the choice in the program state. Without one,
    // the current save folder comes from the settings.
    void setSaveFolderPrompt(std::function<void()> prompt) { m_saveFolderPrompt = std::move(prompt); }
    // The window's gate: while a command runs, the window is not unloaded.
    void setOperationGate(OperationGate* gate) { m_gate = gate; }

    int harvestCurrentPage(const QString& saveFolder);
    QString saveFolderForHarvest() const;
    // 「从url获取startPage」 The number after "startPage=" in an address (up to the next "&"); 0 when absent
    // or not numeric.
    static int startPageFromUrl(const QString& url);
    // 「提取当前页码数」 One less than the page number in the address of the page's "next" pager link; 0
    // without one.
    int currentPageNumber();
    static int currentPageNumberOf(const BrowserDocument& document);
    // 「下一页」 Harvests, clicks "next", waits for the new page, pauses, harvests again. True when the
    // browser moved on to a page with a larger startPage number.
    bool nextPage();

    // "加入本页到列表": the result page's articles; on an article page of any platform (one that
    // names itself with citation_title and names a PDF), that article with its metadata.
    void addCurrentPage();
    // Adds the article of an article page; false when the page is none.
    bool addArticlePage(const BrowserDocument& document, const QString& saveFolder);
    // "加入全部到列表" starts a run; the same button during a run ("停止加入全部") stops it.
    void addAllPages();

    // The number a text box holds, as the program reads numbers typed by the user: blanks around it
    // are allowed; nothing else. std::nullopt when the text is not a number.
    static std::optional<double> numericValue(const QString& text);
    // The first "next" link of the page's own pager (text "next", class "nextpage").
    static DomElement nextPageLink(const BrowserDocument& document);

signals:
    void controlsChanged();
    void progressChanged(const QString& text);
    // The article list's columns should be fitted to their contents.
    void autoSizeColumnsRequested();

private:
    void ensureSaveFolder();
    void showProgress();

    AppContext& m_context;
    Browser& m_browser;
    ArticleListModel& m_list;
    std::function<void()> m_saveFolderPrompt;
    OperationGate* m_gate = nullptr;

    bool m_openAccessOnly = true;
    bool m_pageLimitEnabled = true;
    QString m_pageLimitText = QStringLiteral("100");

    QString m_addAllCaption = kCaptionAddAll;
    bool m_addAllHighlighted = false;
    bool m_addAllStopped = true;
    bool m_pageLimitEditable = true;
    bool m_addPageEnabled = true;

    int m_runPage = 0; // the page of the running add-all run, counted from 1; 0 between runs
    int m_runStartCount = 0;
    QString m_progressText;
};

} // namespace mojing
