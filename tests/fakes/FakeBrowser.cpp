#include "FakeBrowser.h"

#include "dom/BrowserDocument.h"

#include <QFile>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace mojing {

FakeBrowser::FakeBrowser(QObject* parent) : QObject(parent), m_alive(std::make_shared<FakeBrowser*>(this)) {}

FakeBrowser::~FakeBrowser() {
    *m_alive = nullptr;
}

void FakeBrowser::addPage(const QString& url, const QString& html) {
    m_pages.insert(url, html);
}

bool FakeBrowser::addPageFile(const QString& url, const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    addPage(url, QString::fromUtf8(file.readAll()));
    return true;
}

void FakeBrowser::show(const QString& url) {
    ++m_generation;
    m_busy = false;
    m_history = m_history.mid(0, m_historyIndex + 1);
    m_history << url;
    m_historyIndex = int(m_history.size()) - 1;
    m_url = url;
    m_html = m_pages.value(url, u"<html><body><h1>Not Found</h1></body></html>"_s);
    m_cached.reset();
}

std::shared_ptr<const BrowserDocument> FakeBrowser::document() {
    if (m_url.isEmpty())
        return nullptr;
    ++m_snapshots;
    if (!m_cached) {
        std::weak_ptr<FakeBrowser*> alive = m_alive;
        m_cached = BrowserDocument::parse(m_html, m_url, [alive](const QString& tag, int index) {
            if (auto self = alive.lock(); self && *self)
                (*self)->click(tag, index);
        });
    }
    return m_cached;
}

void FakeBrowser::navigate(const QString& url) {
    load(url, true);
}

void FakeBrowser::load(const QString& url, bool addToHistory) {
    m_navigations << url;
    if (addToHistory) {
        m_history = m_history.mid(0, m_historyIndex + 1);
        m_history << url;
        m_historyIndex = int(m_history.size()) - 1;
    }
    m_busy = true;
    const quint64 generation = ++m_generation;
    if (m_stalling.contains(url))
        return;
    QTimer::singleShot(int(m_loadDelay.count()), this,
                       [this, url, generation] { finishLoad(url, generation); });
}

void FakeBrowser::finishLoad(const QString& url, quint64 generation) {
    if (generation != m_generation)
        return; // a later navigation replaced this one
    m_url = url;
    m_html = m_pages.value(url, u"<html><body><h1>Not Found</h1></body></html>"_s);
    m_cached.reset();
    m_busy = false;
    setNavigationPending(false);
    emit pageShown(url);
}

bool FakeBrowser::goBack() {
    if (m_historyIndex <= 0)
        return false;
    load(m_history.at(--m_historyIndex), false);
    return true;
}

bool FakeBrowser::goForward() {
    if (m_historyIndex + 1 >= m_history.size())
        return false;
    load(m_history.at(++m_historyIndex), false);
    return true;
}

void FakeBrowser::click(const QString& tagName, int index) {
    ++m_clicks;
    const auto page = BrowserDocument::parse(m_html, m_url);
    const DomElement element = page->getElementsByTagName(tagName).item(index);
    if (!element || element.tagName() != u"A"_s || !element.hasAttribute(u"href"_s))
        return;
    navigate(element.href());
}

} // namespace mojing
