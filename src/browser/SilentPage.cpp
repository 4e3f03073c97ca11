#include "SilentPage.h"

#include <QWebEngineNewWindowRequest>
#include <QWebEngineSettings>

namespace mojing {

SilentPage::SilentPage(QWebEngineProfile* profile, QObject* parent) : QWebEnginePage(profile, parent) {
    // A PDF it is sent shows in the engine's own viewer (an article in the search window, a
    // finished row in the login panel). The viewer is a plugin, off unless enabled; without it
    // the PDF would turn into a download request and the page would stay blank.
    settings()->setAttribute(QWebEngineSettings::PluginsEnabled, true);
    settings()->setAttribute(QWebEngineSettings::PdfViewerEnabled, true);
    // Every new window opens here instead; the request itself is dropped.
    connect(this, &QWebEnginePage::newWindowRequested, this, [this](QWebEngineNewWindowRequest& request) {
        // A script's window without an address arrives as "about:blank" (an empty one as
        // "about:blank#blocked"); loaded here it would only blank the page the login works on.
        const QUrl address = request.requestedUrl();
        const bool blank = address.toString().trimmed().isEmpty() ||
                           (address.scheme().compare(u"about", Qt::CaseInsensitive) == 0 &&
                            address.path().compare(u"blank", Qt::CaseInsensitive) == 0);
        if (!m_followBlankWindows && blank)
            return; // no window is made for a request nobody takes
        setUrl(request.requestedUrl());
    });
    // window.close() only emits windowCloseRequested; leaving it unanswered is the veto.
    connect(this, &QWebEnginePage::linkHovered, this, &SilentPage::statusTextChanged);
    // loadFinished is reported for the top-level document only; frame loads do not emit it.
    connect(this, &QWebEnginePage::loadFinished, this,
            [this](bool ok) { emit topLevelDocumentComplete(url(), ok); });
}

void SilentPage::javaScriptAlert(const QUrl& securityOrigin, const QString& msg) {
    if (m_silent) {
        ++m_suppressed;
        return;
    }
    QWebEnginePage::javaScriptAlert(securityOrigin, msg);
}

bool SilentPage::javaScriptConfirm(const QUrl& securityOrigin, const QString& msg) {
    if (m_silent) {
        ++m_suppressed;
        return false;
    }
    return QWebEnginePage::javaScriptConfirm(securityOrigin, msg);
}

bool SilentPage::javaScriptPrompt(const QUrl& securityOrigin, const QString& msg, const QString& defaultValue,
                                  QString* result) {
    if (m_silent) {
        ++m_suppressed;
        return false;
    }
    return QWebEnginePage::javaScriptPrompt(securityOrigin, msg, defaultValue, result);
}

void SilentPage::javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString& message,
                                          int lineNumber, const QString& sourceID) {
    // Script errors of foreign pages are not the user's business in silent mode.
    if (m_silent)
        return;
    QWebEnginePage::javaScriptConsoleMessage(level, message, lineNumber, sourceID);
}

bool SilentPage::acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) {
    emit navigationStarting(url, isMainFrame);
    return QWebEnginePage::acceptNavigationRequest(url, type, isMainFrame);
}

} // namespace mojing
