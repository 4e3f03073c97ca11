#pragma once

#include <QUrl>
#include <QWebEnginePage>

namespace mojing {

// The page of an embedded browser of the program.
// - Silent mode: no alert, confirm or prompt boxes and no script error reports.
// - Pages cannot open windows: a new-window request (target="_blank", window.open) is loaded in
//   this page instead.
// - Pages cannot close the browser: window.close() is ignored.
// - Hovered links are reported as status text; navigation starts and top-level completions are
//   reported so the host can show/hide its status bar and clear its NavigationPending flag.
class SilentPage : public QWebEnginePage {
    Q_OBJECT
public:
    explicit SilentPage(QWebEngineProfile* profile, QObject* parent = nullptr);

    bool isSilent() const { return m_silent; }
    void setSilent(bool silent) { m_silent = silent; }

    // Number of script dialogs suppressed so far (silent mode).
    int suppressedDialogs() const { return m_suppressed; }

    // Whether a new-window request for an empty address or "about:blank" is loaded here too
    // (the login browsers drop it).
    void setFollowBlankWindows(bool follow) { m_followBlankWindows = follow; }
    bool followsBlankWindows() const { return m_followBlankWindows; }

signals:
    // Status text of the browser (the address of the hovered link, empty when none).
    void statusTextChanged(const QString& text);
    // A navigation is about to start (top-level document or frame).
    void navigationStarting(const QUrl& url, bool isMainFrame);
    // The top-level document finished loading. Frames inside the page never emit this.
    void topLevelDocumentComplete(const QUrl& url, bool ok);

protected:
    void javaScriptAlert(const QUrl& securityOrigin, const QString& msg) override;
    bool javaScriptConfirm(const QUrl& securityOrigin, const QString& msg) override;
    bool javaScriptPrompt(const QUrl& securityOrigin, const QString& msg, const QString& defaultValue,
                          QString* result) override;
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString& message, int lineNumber,
                                  const QString& sourceID) override;
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override;

private:
    bool m_silent = true;
    bool m_followBlankWindows = true;
    int m_suppressed = 0;
};

} // namespace mojing
