#pragma once

#include <QObject>

class QWebEngineProfile;

namespace mojing {

class FileDownloadWindow;
class LiveBrowser;
class LoginPanel;
class LoginPanelController;

// Gives a download window its login panel: builds PicWebBK over the list (hidden), takes over
// "网页登录" (Command1), and joins the panel's controls, its browser's status text and the
// automatic login after web-page transfers to the core controller. Lives as a child of the window.
class LoginPanelBinding : public QObject {
    Q_OBJECT
public:
    LoginPanelBinding(FileDownloadWindow& window, QWebEngineProfile* profile);
    ~LoginPanelBinding() override;

    LoginPanel& panel() { return *m_panel; }
    LoginPanelController& controller() { return *m_controller; }

    // The binding attached to `window`, if any.
    static LoginPanelBinding* of(FileDownloadWindow& window);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void bindFields();
    void bindCommands();
    // The row "网页登录" shows: the list's current row when it is selected, else the first
    // selected row, else none (-1).
    int selectedRow() const;
    void coverList();

    FileDownloadWindow& m_window;
    LoginPanel* m_panel;
    LiveBrowser* m_browser;
    LoginPanelController* m_controller;
};

} // namespace mojing
