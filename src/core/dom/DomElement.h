#pragma once

#include <QString>
#include <memory>

namespace mojing {

class BrowserDocument;
class DomCollection;

// One element of a BrowserDocument, or none (isNull()). Cheap to copy; keeps its document alive.
class DomElement {
public:
    DomElement() = default;

    bool isNull() const { return !m_document; }
    explicit operator bool() const { return !isNull(); }

    // Upper-case tag name, as the DOM reports HTML tags.
    QString tagName() const;
    QString getAttribute(const QString& name) const;
    bool hasAttribute(const QString& name) const;
    QString className() const { return getAttribute(QStringLiteral("class")); }
    QString title() const { return getAttribute(QStringLiteral("title")); }
    // The href attribute resolved to an absolute address; empty when there is none.
    QString href() const;
    // The src attribute resolved to an absolute address; empty when there is none.
    QString src() const;
    // The element's text as rendered: whitespace runs collapsed, block boundaries as line breaks.
    QString innerText() const;
    QString innerHTML() const;
    QString outerHTML() const;
    // Descendants with that tag (letter case ignored), in document order.
    DomCollection getElementsByTagName(const QString& tag) const;
    // Performs the element's default click action on the live page.
    void click() const;
    // Writes the element's `value` property on the live page (the snapshot itself never changes).
    void setValue(const QString& value) const;

    bool operator==(const DomElement& other) const {
        return m_document == other.m_document && m_index == other.m_index;
    }

private:
    friend class BrowserDocument;
    DomElement(std::shared_ptr<const BrowserDocument> document, int index)
        : m_document(std::move(document)), m_index(index) {}

    std::shared_ptr<const BrowserDocument> m_document;
    int m_index = -1;
};

} // namespace mojing
