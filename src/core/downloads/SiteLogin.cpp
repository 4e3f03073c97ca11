#include "SiteLogin.h"

#include "dom/Browser.h"
#include "dom/BrowserDocument.h"
#include "platform/Prompts.h"

#include <QPointer>

using namespace Qt::StringLiterals;

namespace mojing {

namespace {

bool isUserNameField(const QString& name) {
    return name == u"userid"_s || name == u"user"_s || name == u"username"_s || name == u"useruid"_s;
}

bool isPasswordField(const QString& name) {
    return name == u"pass"_s || name == u"password"_s || name == u"passwd"_s;
}

} // namespace

QString LoginAccount::missingData() const {
    if (address.trimmed().isEmpty())
        return SiteLogin::kNoAddress;
    if (mode == LoginMode::Account && (account.trimmed().isEmpty() || password.trimmed().isEmpty()))
        return SiteLogin::kNoAccount;
    return {};
}

SiteLogin::SiteLogin(Browser& browser, Prompts& prompts, const Timing& timing, QObject* parent)
    : QObject(parent), m_browser(browser), m_prompts(prompts), m_timing(timing) {
    m_poll.setInterval(std::max<int>(1, int(timing.pagePoll.count())));
    connect(&m_poll, &QTimer::timeout, this, &SiteLogin::poll);
    m_pause.setSingleShot(true);
    connect(&m_pause, &QTimer::timeout, this, &SiteLogin::end);
    m_snapshotLimit.setSingleShot(true);
    connect(&m_snapshotLimit, &QTimer::timeout, this, [this] {
        ++m_snapshotRequest;
        pause();
    });
}

SiteLogin::~SiteLogin() = default;

void SiteLogin::run(const LoginAccount& account, bool showMessages) {
    const QString missing = account.missingData();
    if (!missing.isEmpty()) {
        if (showMessages)
            m_prompts.message(missing, MessageIcon::Error);
        emit autoLoginCleared();
        return;
    }
    if (isRunning())
        return;
    m_account = account;
    m_phase = Phase::LoadingPage;
    emit runningChanged(true);
    openLoginPage(account.address);
}

bool SiteLogin::openLoginPage(const QString& address) {
    const QString url = address.trimmed();
    if (url.isEmpty())
        return false;
    m_openStartedMs = m_timing.nowMs();
    setOpeningPage(true);
    m_browser.setNavigationPending(true);
    m_browser.navigate(url);
    updatePolling();
    return true;
}

bool SiteLogin::pageLoaded() const {
    return !m_browser.busy() && !m_browser.navigationPending();
}

bool SiteLogin::waitedLongerThan(qint64 since, Millis limit) const {
    return m_timing.nowMs() - since > limit.count();
}

void SiteLogin::poll() {
    if (m_openingPage && (pageLoaded() || waitedLongerThan(m_openStartedMs, m_timing.loginWait))) {
        setOpeningPage(false);
        if (m_phase == Phase::LoadingPage)
            readPage();
    }
    if (m_phase == Phase::Submitted && (pageLoaded() || waitedLongerThan(m_submittedMs, m_timing.loginWait)))
        pause();
    updatePolling();
}

void SiteLogin::updatePolling() {
    const bool waiting = m_openingPage || m_phase == Phase::Submitted;
    if (waiting && !m_poll.isActive())
        m_poll.start();
    else if (!waiting)
        m_poll.stop();
}

void SiteLogin::readPage() {
    m_phase = Phase::ReadingPage;
    const quint64 request = ++m_snapshotRequest;
    m_snapshotLimit.start(m_timing.snapshotLimit);
    QPointer<SiteLogin> self = this;
    m_browser.requestDocument([self, request](std::shared_ptr<const BrowserDocument> page) {
        if (!self || request != self->m_snapshotRequest || self->m_phase != Phase::ReadingPage)
            return;
        self->m_snapshotLimit.stop();
        self->fill(page);
    });
}

void SiteLogin::fill(const std::shared_ptr<const BrowserDocument>& page) {
    if (!page) {
        pause();
        return;
    }
    if (m_account.mode == LoginMode::Account) {
        int filled = 0;
        const DomCollection inputs = page->getElementsByTagName(u"input"_s);
        for (int i = 0; i < inputs.length(); ++i) {
            const DomElement input = inputs.item(i);
            if (!input)
                continue;
            const QString name = input.getAttribute(u"name"_s).toLower();
            if (isUserNameField(name)) {
                input.setValue(m_account.account.trimmed());
                ++filled;
            }
            if (isPasswordField(name)) {
                input.setValue(m_account.password.trimmed());
                ++filled;
            }
            // A submit button before both fields are filled is passed over.
            if (input.getAttribute(u"type"_s).toLower() == u"submit"_s && filled > 1) {
                submitWith(input);
                return;
            }
        }
    } else if (m_account.mode == LoginMode::Ip) {
        if (const DomElement button = page->getElementById(u"submitip"_s)) {
            submitWith(button);
            return;
        }
    }
    pause();
}

void SiteLogin::submitWith(const DomElement& element) {
    m_phase = Phase::Submitted;
    m_submittedMs = m_timing.nowMs();
    m_browser.setNavigationPending(true);
    element.click();
    updatePolling();
}

void SiteLogin::pause() {
    m_phase = Phase::Pausing;
    updatePolling();
    m_pause.start(m_timing.loginShortWait);
}

void SiteLogin::end() {
    m_phase = Phase::Idle;
    m_account = {}; // the password is kept no longer than a run needs it
    updatePolling();
    emit runningChanged(false);
    emit finished();
}

void SiteLogin::setOpeningPage(bool opening) {
    if (m_openingPage == opening)
        return;
    m_openingPage = opening;
    emit openingPageChanged(opening);
}

} // namespace mojing
