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

// Writes the value as typing would leave it: pages that check their fields on input see it.
QString valueScript(const QString& value) {
    return u"e.value = "_s + jsString(value) +
           u"; e.dispatchEvent(new Event('input', {bubbles: true}));"
           u" e.dispatchEvent(new Event('change', {bubbles: true}));"_s;
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

namespace {
const QString kSnapshotScript =
    u"[document.URL, document.documentElement ? document.documentElement.outerHTML : '']"_s;
} // namespace

std::shared_ptr<const BrowserDocument> LiveBrowser::document() {
    if (!m_page)
        return nullptr;
    // The answer may arrive after we gave up waiting; it then lands in this shared slot harmlessly.
    struct Answer {
        bool arrived = false;
        QVariant value;
    };
    auto answer = std::make_shared<Answer>();
    m_page->runJavaScript(kSnapshotScript, QWebEngineScript::ApplicationWorld,
                          [answer](const QVariant& value) {
                              answer->arrived = true;
                              answer->value = value;
                          });
    m_pump.waitUntil([answer] { return answer->arrived; }, m_timing.snapshotLimit);
    return answer->arrived ? snapshotOf(answer->value) : nullptr;
}

void LiveBrowser::requestDocument(DocumentReceiver receive) {
    if (!m_page) {
        receive(nullptr);
        return;
    }
    std::weak_ptr<LiveBrowser*> alive = m_alive;
    m_page->runJavaScript(kSnapshotScript, QWebEngineScript::ApplicationWorld,
                          [alive, receive = std::move(receive)](const QVariant& value) {
                              // A page that goes away answers its pending scripts with nothing.
                              if (auto self = alive.lock(); self && *self)
                                  receive((*self)->snapshotOf(value));
                          });
}

std::shared_ptr<const BrowserDocument> LiveBrowser::snapshotOf(const QVariant& answer) {
    const QVariantList parts = answer.toList();
    if (parts.size() != 2)
        return nullptr;
    const QString url = parts.at(0).toString();
    std::weak_ptr<LiveBrowser*> alive = m_alive;
    return BrowserDocument::parse(
        parts.at(1).toString(), url,
        [alive, url](const QString& tag, int index) {
            if (auto self = alive.lock(); self && *self)
                (*self)->actOn(url, tag, index, u"e.click();"_s);
        },
        [alive, url](const QString& tag, int index, const QString& value) {
            if (auto self = alive.lock(); self && *self)
                (*self)->actOn(url, tag, index, valueScript(value));
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
    actOn(QString(), tagName, index, u"e.click();"_s);
}

void LiveBrowser::setValue(const QString& tagName, int index, const QString& value) {
    actOn(QString(), tagName, index, valueScript(value));
}

void LiveBrowser::reload() {
    if (m_page)
        m_page->triggerAction(QWebEnginePage::Reload);
}

void LiveBrowser::actOn(const QString& documentUrl, const QString& tagName, int index,
                        const QString& action) {
    if (!m_page || index < 0)
        return;
    const QString guard = documentUrl.isEmpty() ? u"true"_s : u"document.URL === "_s + jsString(documentUrl);
    // Scripts run in the page's order, so values written before a submit click are submitted.
    m_page->runJavaScript(u"(function () { if (!("_s + guard +
                              u")) return; var e = document.getElementsByTagName("_s + jsString(tagName) +
                              u")["_s + QString::number(index) + u"]; if (e) { "_s + action + u" } })()"_s,
                          QWebEngineScript::ApplicationWorld);
}

} // namespace mojing
