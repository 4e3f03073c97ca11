#pragma once

#include "platform/Timing.h"

#include <QObject>
#include <QString>
#include <QTimer>
#include <memory>

namespace mojing {

class Browser;
class BrowserDocument;
class DomElement;
class Prompts;

// How the site is logged in to: with an account and password filled into its form ("帐号登录："),
// by clicking its "submitip" button ("IP登录"), or neither (the page is only loaded).
enum class LoginMode { None, Account, Ip };

// What the login panel's fields hold. Lives in memory only: never stored.
struct LoginAccount {
    QString address;  // Text1
    QString account;  // Text2
    QString password; // Text3
    LoginMode mode = LoginMode::Account;

    // The error text that forbids a login with these fields ("必须先设置登录网址！" or "帐号登录,
    // 必须先设置登录帐号和登录密码！"); empty when they suffice.
    QString missingData() const;
};

// The site login of a browser: loads the login page, fills the account into fields whose names
// a login form uses (userid/user/username/useruid and pass/password/passwd, any letter case),
// submits once two fields are filled, or clicks the "submitip" element for an IP login, then
// pauses so the site can settle. Every wait is a timer on the event loop; nothing waits on the
// stack, so the owner may be deleted at any moment (its timers and pending answers die with it).
//
// A run reports no result: success shows in the browser and in later transfers that get
// documents. While a run is under way (`isRunning`, the disabled "测试登录") further runs are
// ignored, so automatic logins after several transfers never overlap.
class SiteLogin : public QObject {
    Q_OBJECT
public:
    static inline const QString kNoAddress = QStringLiteral("必须先设置登录网址！");
    static inline const QString kNoAccount = QStringLiteral("帐号登录,必须先设置登录帐号和登录密码！");

    SiteLogin(Browser& browser, Prompts& prompts, const Timing& timing, QObject* parent = nullptr);
    ~SiteLogin() override;

    // 「SiteLogin」 Starts a login with `account`. Missing data: the error box when
    // `showMessages`, and `autoLoginCleared` in every case. Ignored while a run is under way.
    void run(const LoginAccount& account, bool showMessages);
    // 「OpenLoginPage」 Loads the trimmed address and waits for the page (at most the login wait);
    // an empty address does nothing. Returns whether a load started.
    bool openLoginPage(const QString& address);

    // A run is under way (from the start to the end of the final pause).
    bool isRunning() const { return m_phase != Phase::Idle; }
    // OpenLoginPage is waiting for its page.
    bool isOpeningPage() const { return m_openingPage; }

signals:
    void runningChanged(bool running);
    void openingPageChanged(bool opening);
    // The account data were missing: automatic login must switch itself off.
    void autoLoginCleared();
    // A run ended after its final pause.
    void finished();

private:
    enum class Phase { Idle, LoadingPage, ReadingPage, Submitted, Pausing };

    void poll();
    void updatePolling();
    void readPage();
    void fill(const std::shared_ptr<const BrowserDocument>& page);
    void submitWith(const DomElement& element);
    void pause();
    void end();
    void setOpeningPage(bool opening);
    bool pageLoaded() const;
    bool waitedLongerThan(qint64 since, Millis limit) const;

    Browser& m_browser;
    Prompts& m_prompts;
    const Timing& m_timing;
    LoginAccount m_account;
    Phase m_phase = Phase::Idle;
    bool m_openingPage = false;
    qint64 m_openStartedMs = 0;
    qint64 m_submittedMs = 0;
    quint64 m_snapshotRequest = 0; // answers to older requests are dropped
    QTimer m_poll;                 // re-tests the page while a load is awaited
    QTimer m_pause;                // the final pause
    QTimer m_snapshotLimit;        // a page that never answers ends the filling
};

} // namespace mojing
