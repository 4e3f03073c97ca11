#include "BrowserDocument.h"

#include <gumbo.h>

using namespace Qt::StringLiterals;

namespace mojing {

namespace {

QString fromPiece(const GumboStringPiece& piece) {
    return QString::fromUtf8(piece.data, qsizetype(piece.length));
}

// The lower-case name of an element, also for tags the parser does not know. Known names are
// built once and shared, which keeps snapshots of large pages cheap.
QString tagNameOf(const GumboNode* node) {
    static const std::vector<QString> known = [] {
        std::vector<QString> names;
        for (int tag = 0; tag < GUMBO_TAG_UNKNOWN; ++tag)
            names.push_back(QString::fromLatin1(gumbo_normalized_tagname(GumboTag(tag))));
        return names;
    }();
    const GumboElement& element = node->v.element;
    if (element.tag >= 0 && element.tag < GUMBO_TAG_UNKNOWN)
        return known[size_t(element.tag)];
    GumboStringPiece piece = element.original_tag;
    gumbo_tag_from_original_text(&piece);
    return fromPiece(piece).toLower();
}

bool isElement(const GumboNode* node) {
    return node->type == GUMBO_NODE_ELEMENT || node->type == GUMBO_NODE_TEMPLATE;
}

} // namespace

BrowserDocument::~BrowserDocument() {
    if (m_output)
        gumbo_destroy_output(&kGumboDefaultOptions, m_output);
}

std::shared_ptr<const BrowserDocument> BrowserDocument::parse(const QString& html, const QString& url,
                                                              ClickRoute clickRoute, ValueRoute valueRoute) {
    std::shared_ptr<BrowserDocument> doc(new BrowserDocument());
    doc->m_utf8 = html.toUtf8();
    doc->m_url = url;
    doc->m_clickRoute = std::move(clickRoute);
    doc->m_valueRoute = std::move(valueRoute);
    doc->m_output =
        gumbo_parse_with_options(&kGumboDefaultOptions, doc->m_utf8.constData(), size_t(doc->m_utf8.size()));
    doc->m_base = QUrl(url);

    // Flatten the element tree in document order with an explicit stack (deep pages must not
    // exhaust the call stack).
    struct Frame {
        const GumboNode* node;
        int entry;
        unsigned next;
    };
    std::vector<Frame> stack;
    auto push = [&](const GumboNode* node) {
        doc->m_elements.push_back(Entry{node, tagNameOf(node), 0});
        stack.push_back(Frame{node, int(doc->m_elements.size()) - 1, 0});
    };
    if (doc->m_output && doc->m_output->root)
        push(doc->m_output->root);
    bool baseSeen = false;
    while (!stack.empty()) {
        Frame& top = stack.back();
        const GumboVector& children = top.node->v.element.children;
        if (top.next >= children.length) {
            doc->m_elements[size_t(top.entry)].subtreeEnd = int(doc->m_elements.size());
            stack.pop_back();
            continue;
        }
        const auto* child = static_cast<const GumboNode*>(children.data[top.next++]);
        if (!isElement(child))
            continue;
        if (!baseSeen && child->v.element.tag == GUMBO_TAG_BASE) {
            if (const GumboAttribute* attr = gumbo_get_attribute(&child->v.element.attributes, "href")) {
                baseSeen = true;
                doc->m_base = doc->m_base.resolved(QUrl(QString::fromUtf8(attr->value).trimmed()));
            }
        }
        push(child);
        // With scripts on, the live page holds a <noscript> element's content as text and a
        // <template>'s content outside the document: neither counts for getElementsByTagName
        // there, so they do not here either, and (tag, index) pairs mean the same element on both.
        if (child->type == GUMBO_NODE_TEMPLATE || child->v.element.tag == GUMBO_TAG_NOSCRIPT)
            stack.back().next = child->v.element.children.length;
    }
    return doc;
}

DomElement BrowserDocument::documentElement() const {
    if (m_elements.empty())
        return {};
    return DomElement(shared_from_this(), 0);
}

DomCollection BrowserDocument::getElementsByTagName(const QString& tag) const {
    return collect(0, int(m_elements.size()), tag);
}

DomElement BrowserDocument::getElementById(const QString& id) const {
    if (id.isEmpty())
        return {};
    const QByteArray wanted = id.toUtf8();
    for (size_t i = 0; i < m_elements.size(); ++i) {
        const GumboNode* node = m_elements[i].node;
        if (!isElement(node))
            continue;
        const GumboAttribute* attr = gumbo_get_attribute(&node->v.element.attributes, "id");
        if (attr && wanted == attr->value)
            return DomElement(shared_from_this(), int(i));
    }
    return {};
}

QString BrowserDocument::resolve(const QString& reference) const {
    // An empty reference names the document itself without its fragment, as in a DOM (an empty
    // QUrl is not valid, so it would not resolve).
    if (reference.trimmed().isEmpty() && !m_base.isEmpty())
        return m_base.adjusted(QUrl::RemoveFragment).toString(QUrl::FullyEncoded);
    const QUrl relative(reference.trimmed(), QUrl::TolerantMode);
    if (!relative.isValid())
        return reference.trimmed();
    const QUrl absolute = m_base.isEmpty() ? relative : m_base.resolved(relative);
    return absolute.toString(QUrl::FullyEncoded);
}

DomCollection BrowserDocument::collect(int from, int to, const QString& tag) const {
    const QString wanted = tag.toLower();
    const bool any = wanted == u"*"_s;
    std::vector<DomElement> found;
    auto self = shared_from_this();
    for (int i = from; i < to; ++i) {
        if (any || m_elements[size_t(i)].tag == wanted)
            found.push_back(DomElement(self, i));
    }
    return DomCollection(std::move(found));
}

int BrowserDocument::indexAmongTag(int elementIndex) const {
    const QString& tag = m_elements[size_t(elementIndex)].tag;
    int sameTagBefore = 0;
    for (int i = 0; i < elementIndex; ++i) {
        if (m_elements[size_t(i)].tag == tag)
            ++sameTagBefore;
    }
    return sameTagBefore;
}

void BrowserDocument::click(int elementIndex) const {
    if (!m_clickRoute || elementIndex < 0 || elementIndex >= int(m_elements.size()))
        return;
    m_clickRoute(m_elements[size_t(elementIndex)].tag, indexAmongTag(elementIndex));
}

void BrowserDocument::setValue(int elementIndex, const QString& value) const {
    if (!m_valueRoute || elementIndex < 0 || elementIndex >= int(m_elements.size()))
        return;
    m_valueRoute(m_elements[size_t(elementIndex)].tag, indexAmongTag(elementIndex), value);
}

} // namespace mojing
