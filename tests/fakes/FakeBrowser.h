#pragma once

#include "dom/Browser.h"
#include "dom/DomElement.h"
#include "platform/Timing.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>
#include <memory>

namespace mojing {

// A headless browser over HTML held in memory or read from files. Navigation (also by clicking a
// link of a snapshot) completes after a configurable delay on the event loop, so code that waits
// for loads runs as it would against a live page. Clicking a submit input or button inside a form
// submits the form: the values written into its fields are recorded and its action is loaded.
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
    void setValue(const QString& tagName, int index, const QString& value) override;
    void reload() override;

    // One form submission: the form's action (resolved) and its named fields with their values.
    struct Submission {
        QString action;
        QList<std::pair<QString, QString>> fields;
        QString field(const QString& name) const;
    };

    QString currentUrl() const { return m_url; }
    // Every address navigated to, in order.
    QStringList navigations() const { return m_navigations; }
    int clickCount() const { return m_clicks; }
    // The id attribute of every clicked element, in order (empty for elements without one).
    QStringList clickedIds() const { return m_clickedIds; }
    const QList<Submission>& submissions() const { return m_submissions; }
    // Every value written, as "tag#index=value", in order.
    QStringList valueWrites() const { return m_valueWrites; }
    int reloadCount() const { return m_reloads; }
    // How many snapshots were taken.
    int snapshotCount() const { return m_snapshots; }

signals:
    // A navigation finished and the page is shown.
    void pageShown(const QString& url);

private:
    void load(const QString& url, bool addToHistory);
    void finishLoad(const QString& url, quint64 generation);
    // Submits the form holding `element`; false when it is not in a form.
    bool submitForm(const BrowserDocument& page, const DomElement& element);

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
    int m_reloads = 0;
    QStringList m_clickedIds;
    QStringList m_valueWrites;
    QList<Submission> m_submissions;
    QHash<QString, QString> m_values; // "tag#index" -> value written on the page shown
    int m_snapshots = 0;
    std::shared_ptr<const BrowserDocument> m_cached;
    // Snapshots route clicks through this token, so a snapshot that outlives the browser is inert.
    std::shared_ptr<FakeBrowser*> m_alive;
};

} // namespace mojing
