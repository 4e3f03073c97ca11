#pragma once

#include "dom/Browser.h"
#include "platform/Timing.h"

#include <QHash>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>
#include <memory>

namespace mojing {

// A headless browser over HTML held in memory or read from files. Navigation (also by clicking a
// link of a snapshot) completes after a configurable delay on the event loop, so code that waits
// for loads runs as it would against a live page.
class FakeBrowser : public QObject, public Browser {
    Q_OBJECT
public:
    explicit FakeBrowser(QObject* parent = nullptr);
    ~FakeBrowser() override;

    void addPage(const QString& url, const QString& html);
    // Reads the file as UTF-8.
    bool addPageFile(const QString& url, const QString& path);
    // Loads a page at once, without a delay (test setup).
    void show(const QString& url);
    // How long a navigation takes before the new page is shown (0: at the next event loop turn).
    void setLoadDelay(Millis delay) { m_loadDelay = delay; }
    // Navigations to this address never finish: the browser stays busy on the old page.
    void setStalling(const QString& url) { m_stalling.insert(url); }

    std::shared_ptr<const BrowserDocument> document() override;
    bool busy() const override { return m_busy; }
    void navigate(const QString& url) override;
    bool goBack() override;
    bool goForward() override;
    void click(const QString& tagName, int index) override;

    QString currentUrl() const { return m_url; }
    // Every address navigated to, in order.
    QStringList navigations() const { return m_navigations; }
    int clickCount() const { return m_clicks; }
    // How many snapshots were taken.
    int snapshotCount() const { return m_snapshots; }

signals:
    // A navigation finished and the page is shown.
    void pageShown(const QString& url);

private:
    void load(const QString& url, bool addToHistory);
    void finishLoad(const QString& url, quint64 generation);

    QHash<QString, QString> m_pages;
    QSet<QString> m_stalling;
    QString m_url;
    QString m_html;
    QStringList m_history;
    int m_historyIndex = -1;
    QStringList m_navigations;
    bool m_busy = false;
    quint64 m_generation = 0;
    Millis m_loadDelay{0};
    int m_clicks = 0;
    int m_snapshots = 0;
    std::shared_ptr<const BrowserDocument> m_cached;
    // Snapshots route clicks through this token, so a snapshot that outlives the browser is inert.
    std::shared_ptr<FakeBrowser*> m_alive;
};

} // namespace mojing
