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
    bool busy() const override { return m_busy; }
    void navigate(const QString& url) override;
    bool goBack() override;
    bool goForward() override;
    void click(const QString& tagName, int index) override;

    QWebEnginePage* page() const { return m_page; }

private:
    // Clicks only when the page's address is still `documentUrl` (empty: any page).
    void clickOn(const QString& documentUrl, const QString& tagName, int index);

    QPointer<QWebEnginePage> m_page;
    EventPump& m_pump;
    const Timing& m_timing;
    bool m_busy = false;
    std::shared_ptr<LiveBrowser*> m_alive;
};

} // namespace mojing
