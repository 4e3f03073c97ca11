#pragma once

#include <QString>
#include <functional>
#include <memory>

namespace mojing {

class BrowserDocument;

// What harvesting, page turning and site login need of an embedded browser. The live
// implementation wraps a WebEngine page; tests use a fake over HTML files.
class Browser {
public:
    virtual ~Browser() = default;
    using DocumentReceiver = std::function<void(std::shared_ptr<const BrowserDocument>)>;

    // A snapshot of the page shown now (its DOM serialised and parsed), or null when there is none.
    virtual std::shared_ptr<const BrowserDocument> document() = 0;
    // The same snapshot handed to `receive` without waiting for it here: a live page answers
    // later (or never, when the page goes away first), so `receive` must guard its own lifetime.
    virtual void requestDocument(DocumentReceiver receive) { receive(document()); }
    // True while the browser is loading.
    virtual bool busy() const = 0;
    virtual void navigate(const QString& url) = 0;
    // History navigation; false when there is no entry.
    virtual bool goBack() = 0;
    virtual bool goForward() = 0;
    // Performs the default click action of the `index`-th element (document order, 0-based) with
    // tag `tagName` on the live page. Does nothing when the page no longer has that element.
    virtual void click(const QString& tagName, int index) = 0;
    // Writes the `value` property of that element on the live page (form filling). Does nothing
    // when the page no longer has it.
    virtual void setValue(const QString& tagName, int index, const QString& value) = 0;
    // Loads the page shown again.
    virtual void reload() = 0;

    // Set before a navigation or click that someone waits for ("next" link, login page, login
    // submit); cleared when the top-level document completes (frames never clear it).
    bool navigationPending() const { return m_navigationPending; }
    void setNavigationPending(bool pending) { m_navigationPending = pending; }

private:
    bool m_navigationPending = false;
};

} // namespace mojing
