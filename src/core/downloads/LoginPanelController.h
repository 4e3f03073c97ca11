#pragma once

#include "SiteLogin.h"

#include <QObject>
#include <QTimer>

namespace mojing {

class Browser;
class DownloadSession;

// The login panel PicWebBK of a download window: its fields, "自动登录" (Check2), "自动刷新
// (每分钟)" (Check1) with its minute reload (Timer2), showing and hiding the panel, and the
// automatic login after transfers that produced a web page. Nothing of it is stored: each window
// starts with empty fields, account login selected and both boxes clear.
class LoginPanelController : public QObject {
    Q_OBJECT
public:
    // `browser` is the panel's own browser (Web1); it must outlive the controller.
    LoginPanelController(DownloadSession& session, Browser& browser, QObject* parent = nullptr);

    SiteLogin& login() { return m_login; }
    const LoginAccount& fields() const { return m_fields; }
    void setAddress(const QString& text) { m_fields.address = text; }
    void setAccountName(const QString& text) { m_fields.account = text; }
    void setPassword(const QString& text) { m_fields.password = text; }
    void setMode(LoginMode mode) { m_fields.mode = mode; }

    // 「Check2」 A tick stays only when the fields allow a login; otherwise the error box says what
    // is missing and the box is cleared again (`autoLoginChanged(false)`).
    void setAutoLogin(bool ticked);
    bool autoLogin() const { return m_autoLogin; }
    // 「Check1」 The minute reload of the panel's page runs exactly while this is ticked.
    void setAutoRefresh(bool ticked);
    bool autoRefresh() const { return m_refresh.isActive(); }

    // 「网页登录」 Shows the panel. With neither box ticked, the browser shows what `selectedRow`'s
    // address returns (-1: no row selected), so the user can log in by hand.
    void showPanel(int selectedRow);
    // 「关闭(隐藏)」 Hides the panel; the page stays only while the minute reload is on.
    void hidePanel();
    bool panelVisible() const { return m_panelVisible; }

    // 「测试登录」
    void testLogin() { m_login.run(m_fields, true); }
    // 「浏览」
    void browse() { m_login.openLoginPage(m_fields.address); }

    // The browser's status text goes to status panel 3, except the blank page's address.
    void showBrowserStatus(const QString& text);
    // Stops the minute reload for good (the window closes).
    void stop();

signals:
    void autoLoginChanged(bool ticked);
    void panelVisibleChanged(bool visible);

private:
    void applyAutoLogin(bool on);

    DownloadSession& m_session;
    Browser& m_browser;
    SiteLogin m_login;
    LoginAccount m_fields;
    bool m_autoLogin = false;
    bool m_panelVisible = false;
    QTimer m_refresh; // Timer2
};

} // namespace mojing
