#pragma once

#include "program/AppContext.h"
#include "program/BrowserConfig.h"

#include <QMainWindow>
#include <functional>

class QAbstractButton;
class QAction;
class QMenu;
class QTableView;

namespace mojing {

class DesignControls;
class DownloadOptionPanel;
class DownloadSession;
class DownloadWindowClose;
class StatusPanels;
class WindowFlow;

// The download window fFileDownload: the option panel Picture3 on top, the download list
// ListView3 below, the status bar StatusBar1 at the bottom.
//
// The window owns the session (the list and the options). The scheduler, the transfer methods and
// the list commands attach from outside: find a control by its design name (action(), button(),
// control()) and take over a menu entry or button with claimAction()/claimButton(), which removes
// the "not available" notice it starts with. The close runs in the order closer() defines; what
// must stop when the close is accepted listens to closing().
class FileDownloadWindow : public QMainWindow {
    Q_OBJECT
public:
    static inline const QString kDesignCaption = QStringLiteral("文件下载");
    static inline const QString kNotAvailable = QStringLiteral("该功能尚未提供。");
    static inline const QString kListTip = QStringLiteral("双击鼠标：下载当前项或者打开文件");
    static constexpr int kRowHeight = 17;

    // `flow` may be null (tests): the window then just hides when it closes.
    FileDownloadWindow(const AppContext& context, WindowFlow* flow, const BrowserConfig& config = {},
                       QWidget* parent = nullptr);
    ~FileDownloadWindow() override;

    DownloadSession& session() const { return *m_session; }
    DownloadWindowClose& closer() const { return *m_close; }
    QTableView* listView3() const { return m_list; }
    StatusPanels* statusBar1() const { return m_status; }

    QAction* action(const QString& name) const;
    QMenu* menu(const QString& name) const;
    QAbstractButton* button(const QString& name) const;
    QWidget* control(const QString& name) const;
    QAction* claimAction(const QString& name);
    QAbstractButton* claimButton(const QString& name);

    // Asked when the window is about to close, after the policy and method were stored; false
    // keeps the window open (the scheduler's confirmation).
    void setCloseGuard(std::function<bool()> guard);
    // Restores the saved position and size now (before the window is first shown) and saves them
    // when the close is accepted.
    void setGeometryHandlers(std::function<void(QWidget&)> restore, std::function<void(const QWidget&)> save);
    // Opens the Options dialog (工具 › 设置); replaceable so the desktop can share one dialog.
    void setOptionsOpener(std::function<void()> opener) { m_optionsOpener = std::move(opener); }

    // The option controls show the session's options again (after code changed them).
    void showOptions();
    // Shape1: visible while the scheduler runs.
    void setSchedulerIndicator(bool visible);
    // Label1: the row count followed by "条".
    void refreshRowCount();
    // Repaints the list (after an analysis run).
    void refreshList();
    // Unloads the window as the title-bar button does; returns whether it closed.
    bool closeWindow();

signals:
    // The close was accepted: stop timers and transfers now. Emitted before the slot count and the
    // geometry are stored.
    void closing();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;

private:
    void buildList();
    void buildMenus();
    void openOptions();
    void applyContextMenuRules();
    void load();

    AppContext m_context;
    WindowFlow* m_flow;
    BrowserConfig m_config;
    DownloadSession* m_session;
    DownloadWindowClose* m_close;
    DesignControls* m_controls;
    DownloadOptionPanel* m_panel = nullptr;
    QTableView* m_list = nullptr;
    StatusPanels* m_status = nullptr;
    QMenu* m_listMenu = nullptr;
    std::function<void()> m_optionsOpener;
    std::function<void(const QWidget&)> m_saveGeometry;
};

} // namespace mojing
