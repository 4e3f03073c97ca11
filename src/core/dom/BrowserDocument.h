#pragma once

#include "DomCollection.h"
#include "DomElement.h"

#include <QString>
#include <QUrl>
#include <functional>
#include <memory>
#include <vector>

struct GumboInternalOutput;
struct GumboInternalNode;

namespace mojing {

// An immutable snapshot of a page: its serialised DOM parsed once, with the few operations that
// harvesting, page turning and site login use. Elements and collections keep the snapshot alive.
// A click on an element is handed back to the browser that produced the snapshot, which performs
// it on the live page by (tag, index in document order).
class BrowserDocument : public std::enable_shared_from_this<BrowserDocument> {
public:
    // Performs a click on the live page: the `index`-th element (0-based, document order) whose
    // lower-case tag is `tag`.
    using ClickRoute = std::function<void(const QString& tag, int index)>;
    // Writes the `value` property of that element on the live page.
    using ValueRoute = std::function<void(const QString& tag, int index, const QString& value)>;

    // Parses `html` (a whole document or a fragment; the parser adds html/head/body as needed).
    static std::shared_ptr<const BrowserDocument>
    parse(const QString& html, const QString& url, ClickRoute clickRoute = {}, ValueRoute valueRoute = {});
    ~BrowserDocument();
    BrowserDocument(const BrowserDocument&) = delete;
    BrowserDocument& operator=(const BrowserDocument&) = delete;

    // The document's address as the browser reported it.
    QString URL() const { return m_url; }
    DomElement documentElement() const;
    // Every element with that tag (letter case ignored; "*" for all), in document order.
    DomCollection getElementsByTagName(const QString& tag) const;
    // The first element whose id is exactly `id`, or a null element.
    DomElement getElementById(const QString& id) const;
    // Resolves a link or source attribute against the document's base address.
    QString resolve(const QString& reference) const;

private:
    friend class DomElement;
    BrowserDocument() = default;

    // The elements in document order; each element's descendants follow it up to subtreeEnd.
    struct Entry {
        const GumboInternalNode* node;
        QString tag; // lower case
        int subtreeEnd;
    };

    DomCollection collect(int from, int to, const QString& tag) const;
    void click(int elementIndex) const;
    void setValue(int elementIndex, const QString& value) const;
    // Position of the element among the elements with the same tag (the live page's index).
    int indexAmongTag(int elementIndex) const;

    QByteArray m_utf8; // the parser's strings point into this buffer
    GumboInternalOutput* m_output = nullptr;
    QString m_url;
    QUrl m_base;
    std::vector<Entry> m_elements;
    ClickRoute m_clickRoute;
    ValueRoute m_valueRoute;
};

} // namespace mojing
