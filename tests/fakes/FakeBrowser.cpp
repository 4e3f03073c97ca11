#include "FakeBrowser.h"

#include "dom/BrowserDocument.h"

#include <QFile>
#include <QTimer>
#include <algorithm>

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
    m_values.clear();
}

std::shared_ptr<const BrowserDocument> FakeBrowser::document() {
    if (m_url.isEmpty())
        return nullptr;
    ++m_snapshots;
    if (!m_cached) {
        std::weak_ptr<FakeBrowser*> alive = m_alive;
        m_cached = BrowserDocument::parse(
            m_html, m_url,
            [alive](const QString& tag, int index) {
                if (auto self = alive.lock(); self && *self)
                    (*self)->click(tag, index);
            },
            [alive](const QString& tag, int index, const QString& value) {
                if (auto self = alive.lock(); self && *self)
                    (*self)->setValue(tag, index, value);
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
    m_values.clear();
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
    m_clickedIds << element.getAttribute(u"id"_s);
    if (!element)
        return;
    const QString type = element.getAttribute(u"type"_s).toLower();
    const bool submits = (element.tagName() == u"INPUT"_s && type == u"submit"_s) ||
                         (element.tagName() == u"BUTTON"_s && (type.isEmpty() || type == u"submit"_s));
    if (submits && submitForm(*page, element))
        return;
    if (element.tagName() != u"A"_s || !element.hasAttribute(u"href"_s))
        return;
    navigate(element.href());
}

bool FakeBrowser::submitForm(const BrowserDocument& page, const DomElement& element) {
    for (const DomElement& form : page.getElementsByTagName(u"form"_s)) {
        const DomCollection inputs = form.getElementsByTagName(u"*"_s);
        if (std::find(inputs.begin(), inputs.end(), element) == inputs.end())
            continue;
        Submission submission;
        const QString action = form.getAttribute(u"action"_s);
        submission.action = action.isEmpty() ? m_url : page.resolve(action);
        const DomCollection fields = form.getElementsByTagName(u"input"_s);
        const DomCollection all = page.getElementsByTagName(u"input"_s);
        for (const DomElement& field : fields) {
            const QString name = field.getAttribute(u"name"_s);
            if (name.isEmpty())
                continue;
            const int position = int(std::find(all.begin(), all.end(), field) - all.begin());
            const QString key = u"input#"_s + QString::number(position);
            submission.fields.append({name, m_values.value(key, field.getAttribute(u"value"_s))});
        }
        m_submissions.append(submission);
        navigate(submission.action);
        return true;
    }
    return false;
}

void FakeBrowser::setValue(const QString& tagName, int index, const QString& value) {
    const QString key = tagName.toLower() + u'#' + QString::number(index);
    m_valueWrites << key + u'=' + value;
    m_values.insert(key, value);
}

void FakeBrowser::reload() {
    ++m_reloads;
    if (!m_url.isEmpty())
        load(m_url, false);
}

QString FakeBrowser::Submission::field(const QString& name) const {
    for (const auto& [n, v] : fields) {
        if (n == name)
            return v;
    }
    return {};
}

} // namespace mojing
