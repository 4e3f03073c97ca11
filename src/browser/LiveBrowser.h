#pragma once

#include "dom/Browser.h"
#include "platform/Timing.h"

#include <QObject>
#include <QPointer>
#include <QWebEnginePage>

namespace mojing {

class EventPump;

// The Browser of a live WebEngine page. A snapshot serialises the page's DOM with a script and
// parses it; clicks on snapshot elements run as scripts on the page, and only while the page still
// shows the snapshot's document, so a stale element never clicks something else.
class LiveBrowser : public QObject, public Browser {
    Q_OBJECT
public:
    LiveBrowser(QWebEnginePage* page, EventPump& pump, const Timing& timing, QObject* parent = nullptr);
    ~LiveBrowser() override;

    std::shared_ptr<const BrowserDocument> document() override;
    // Answers from the page's script callback; no event loop runs here.
    void requestDocument(DocumentReceiver receive) override;
    bool busy() const override { return m_busy; }
    void navigate(const QString& url) override;
    bool goBack() override;
    bool goForward() override;
    void click(const QString& tagName, int index) override;
    void setValue(const QString& tagName, int index, const QString& value) override;
    void reload() override;

    QWebEnginePage* page() const { return m_page; }

private:
    // Runs `action` on the `index`-th element with that tag, bound to `e`, only when the page's
    // address is still `documentUrl` (empty: any page).
    void actOn(const QString& documentUrl, const QString& tagName, int index, const QString& action);
    // A snapshot of the script answer [URL, outerHTML], or null.
    std::shared_ptr<const BrowserDocument> snapshotOf(const QVariant& answer);

    QPointer<QWebEnginePage> m_page;
    EventPump& m_pump;
    const Timing& m_timing;
    bool m_busy = false;
    std::shared_ptr<LiveBrowser*> m_alive;
};

} // namespace mojing
