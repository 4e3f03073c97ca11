#pragma once

#include "program/AppContext.h"
#include "program/BrowserConfig.h"

#include <QHash>
#include <QMainWindow>
#include <QMetaObject>
#include <functional>

class QAbstractButton;
class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QMenu;
class QRadioButton;
class QTableView;

namespace mojing {

class DownloadSession;
class StatusPanels;
class WindowFlow;

// The download window fFileDownload: the option panel Picture3 on top, the download list
// ListView3 below, the status bar StatusBar1 at the bottom.
//
// The window owns the session (the list and the options) and keeps its option controls and the
// session's options in step both ways. The scheduler, the transfer methods and the list commands
// attach from outside: find a control by its design name (action(), button(), control()) and take
// over a menu entry or button with claimAction()/claimButton(), which removes the "not available"
// placeholder it starts with. The close confirmation comes in through setCloseGuard(); what must
// stop when the close is accepted listens to closing().
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
    void setCloseGuard(std::function<bool()> guard) { m_closeGuard = std::move(guard); }
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
    QWidget* buildOptionPanel();
    void buildList();
    void buildMenus();
    void addPlaceholder(QObject* sender);
    void connectOptionControls();
    void applyContextMenuRules();
    void selectAll(bool on);
    void load();

    AppContext m_context;
    WindowFlow* m_flow;
    BrowserConfig m_config;
    DownloadSession* m_session;
    QTableView* m_list = nullptr;
    StatusPanels* m_status = nullptr;
    QLabel* m_label7 = nullptr;
    QLabel* m_label1 = nullptr;
    QWidget* m_shape1 = nullptr;
    QComboBox* m_combo1 = nullptr;
    QComboBox* m_combo2 = nullptr;
    QComboBox* m_combo4 = nullptr;
    QRadioButton* m_option[3] = {nullptr, nullptr, nullptr};
    QCheckBox* m_check3 = nullptr;
    QCheckBox* m_check4 = nullptr;
    QCheckBox* m_check5 = nullptr;
    QCheckBox* m_check6 = nullptr;
    QMenu* m_listMenu = nullptr;
    QHash<QObject*, QMetaObject::Connection> m_placeholders;
    std::function<bool()> m_closeGuard;
    std::function<void()> m_optionsOpener;
    std::function<void(const QWidget&)> m_saveGeometry;
    bool m_showingOptions = false;
    bool m_closed = false;
};

} // namespace mojing
