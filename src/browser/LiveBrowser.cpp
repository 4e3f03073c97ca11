#include "LiveBrowser.h"

#include "dom/BrowserDocument.h"
#include "platform/EventPump.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonValue>
#include <QWebEngineHistory>
#include <QWebEngineScript>

using namespace Qt::StringLiterals;

namespace mojing {

namespace {
QString jsString(const QString& text) {
    // A JSON string is a valid script string literal.
    const QByteArray json = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(json.mid(1, json.size() - 2));
}
} // namespace

LiveBrowser::LiveBrowser(QWebEnginePage* page, EventPump& pump, const Timing& timing, QObject* parent)
    : QObject(parent), m_page(page), m_pump(pump), m_timing(timing),
      m_alive(std::make_shared<LiveBrowser*>(this)) {
    connect(page, &QWebEnginePage::loadStarted, this, [this] { m_busy = true; });
    // loadFinished reports the top-level document only; frames never end a pending navigation.
    connect(page, &QWebEnginePage::loadFinished, this, [this](bool) {
        m_busy = false;
        setNavigationPending(false);
    });
}

LiveBrowser::~LiveBrowser() {
    *m_alive = nullptr;
}

std::shared_ptr<const BrowserDocument> LiveBrowser::document() {
    if (!m_page)
        return nullptr;
    // The answer may arrive after we gave up waiting; it then lands in this shared slot harmlessly.
    struct Answer {
        bool arrived = false;
        QVariant value;
    };
    auto answer = std::make_shared<Answer>();
    m_page->runJavaScript(
        u"[document.URL, document.documentElement ? document.documentElement.outerHTML : '']"_s,
        QWebEngineScript::ApplicationWorld, [answer](const QVariant& value) {
            answer->arrived = true;
            answer->value = value;
        });
    m_pump.waitUntil([answer] { return answer->arrived; }, m_timing.snapshotLimit);
    const QVariantList parts = answer->value.toList();
    if (!answer->arrived || parts.size() != 2)
        return nullptr;
    const QString url = parts.at(0).toString();
    std::weak_ptr<LiveBrowser*> alive = m_alive;
    return BrowserDocument::parse(parts.at(1).toString(), url, [alive, url](const QString& tag, int index) {
        if (auto self = alive.lock(); self && *self)
            (*self)->clickOn(url, tag, index);
    });
}

void LiveBrowser::navigate(const QString& url) {
    if (m_page)
        m_page->load(QUrl::fromUserInput(url));
}

bool LiveBrowser::goBack() {
    if (!m_page || !m_page->history()->canGoBack())
        return false;
    m_page->triggerAction(QWebEnginePage::Back);
    return true;
}

bool LiveBrowser::goForward() {
    if (!m_page || !m_page->history()->canGoForward())
        return false;
    m_page->triggerAction(QWebEnginePage::Forward);
    return true;
}

void LiveBrowser::click(const QString& tagName, int index) {
    clickOn(QString(), tagName, index);
}

void LiveBrowser::clickOn(const QString& documentUrl, const QString& tagName, int index) {
    if (!m_page || index < 0)
        return;
    const QString guard = documentUrl.isEmpty() ? u"true"_s : u"document.URL === "_s + jsString(documentUrl);
    m_page->runJavaScript(u"(function () { if (!("_s + guard +
                              u")) return; var e = document.getElementsByTagName("_s + jsString(tagName) +
                              u")["_s + QString::number(index) + u"]; if (e) e.click(); })()"_s,
                          QWebEngineScript::ApplicationWorld);
}

} // namespace mojing
