#pragma once

#include "program/BrowserConfig.h"
#include "search/SearchWindowState.h"

#include <QMainWindow>

class QAbstractButton;
class QAction;
class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QSplitter;
class QTableView;
class QWebEngineProfile;
class QWebEngineView;

namespace mojing {

struct AppContext;
class ArticleListModel;
class DesignControls;
class SilentPage;
class StatusPanels;
class WindowFlow;

// The search window fWebSearch: the embedded browser above, the article list below.
//
// The window itself only hosts controls and runs the browse menu, its load and close sequence.
// Harvesting, analysis and list commands attach to it from outside: find a control by its design
// name (objectName) or through the accessors, and take over a menu entry or button with
// claimAction()/claimButton(), which removes the "not available" placeholder it starts with.
// Helpers that live as long as the window should be QObjects parented to it.
class SearchWindow : public QMainWindow {
    Q_OBJECT
public:
    static inline const QString kDesignCaption = QStringLiteral("SAGE数据检索分析");
    static inline const QString kNotAvailable = QStringLiteral("该功能尚未提供。");

    SearchWindow(AppContext& context, WindowFlow& flow, QWebEngineProfile* profile,
                 const BrowserConfig& config, QWidget* parent = nullptr);
    ~SearchWindow() override;

    AppContext& context() const { return m_context; }
    WindowFlow& flow() const { return m_flow; }
    const BrowserConfig& config() const { return m_config; }
    SearchWindowState& state() { return m_state; }

    QWebEngineView* webBrowser1() const { return m_view; }
    SilentPage* page() const { return m_page; }
    ArticleListModel* articles() const { return m_articles; }
    QTableView* listView1() const { return m_list; }
    StatusPanels* statusBar1() const { return m_status; }
    QFrame* progressPanel() const { return m_progress; }

    // Control or menu entry by design name, e.g. action(u"menu清除选中项"_s), button(u"Command9"_s).
    QAction* action(const QString& name) const;
    QMenu* menu(const QString& name) const;
    QAbstractButton* button(const QString& name) const;
    QCheckBox* checkBox(const QString& name) const;

    // Takes over a menu entry or button: disconnects its "not available" placeholder and returns it
    // for the caller to connect. Null when there is no such control.
    QAction* claimAction(const QString& name);
    QAbstractButton* claimButton(const QString& name);

    // The options stored on close (Check1, Check3, Text1).
    SearchOptions options() const;
    void setOptions(const SearchOptions& options);

    // Browse menu.
    void openPlatformHome();
    void openAddressPrompt();
    void goBack();
    void goForward();
    // The counter Label1 shows the number of rows of the article list.
    void refreshArticleCount();

signals:
    // The close was accepted; emitted before the options are saved. Timers of the window stop here.
    void closing();

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildMenus();
    QWidget* buildListPanel();
    void applySplitterRule();
    void centreProgressPanel();

    AppContext& m_context;
    WindowFlow& m_flow;
    BrowserConfig m_config;
    DesignControls* m_controls;
    SearchWindowState m_state;

    QSplitter* m_splitter = nullptr;
    QWebEngineView* m_view = nullptr;
    SilentPage* m_page = nullptr;
    ArticleListModel* m_articles = nullptr;
    QTableView* m_list = nullptr;
    StatusPanels* m_status = nullptr;
    QFrame* m_progress = nullptr;
    QLabel* m_counter = nullptr;
    QCheckBox* m_check1 = nullptr;
    QCheckBox* m_check2 = nullptr;
    QCheckBox* m_check3 = nullptr;
    QLineEdit* m_text1 = nullptr;
    bool m_homeOpened = false;
    bool m_unloading = false;
    QPoint m_dragStart;
};

} // namespace mojing
