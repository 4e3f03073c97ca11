#include "DomElement.h"

#include "BrowserDocument.h"

#include <gumbo.h>
#include <vector>

using namespace Qt::StringLiterals;

namespace mojing {

namespace {

const GumboAttribute* attributeOf(const GumboNode* node, const QString& name) {
    return gumbo_get_attribute(&node->v.element.attributes, name.toLower().toUtf8().constData());
}

bool isVoid(GumboTag tag) {
    switch (tag) {
    case GUMBO_TAG_AREA:
    case GUMBO_TAG_BASE:
    case GUMBO_TAG_BASEFONT:
    case GUMBO_TAG_BGSOUND:
    case GUMBO_TAG_BR:
    case GUMBO_TAG_COL:
    case GUMBO_TAG_EMBED:
    case GUMBO_TAG_FRAME:
    case GUMBO_TAG_HR:
    case GUMBO_TAG_IMG:
    case GUMBO_TAG_INPUT:
    case GUMBO_TAG_KEYGEN:
    case GUMBO_TAG_LINK:
    case GUMBO_TAG_META:
    case GUMBO_TAG_PARAM:
    case GUMBO_TAG_SOURCE:
    case GUMBO_TAG_TRACK:
    case GUMBO_TAG_WBR:
        return true;
    default:
        return false;
    }
}

// Elements whose text is written out unescaped.
bool isRawText(GumboTag tag) {
    switch (tag) {
    case GUMBO_TAG_STYLE:
    case GUMBO_TAG_SCRIPT:
    case GUMBO_TAG_XMP:
    case GUMBO_TAG_IFRAME:
    case GUMBO_TAG_NOEMBED:
    case GUMBO_TAG_NOFRAMES:
    case GUMBO_TAG_PLAINTEXT:
    case GUMBO_TAG_NOSCRIPT:
        return true;
    default:
        return false;
    }
}

// Elements that are not rendered, so they contribute no text.
bool isHidden(GumboTag tag) {
    switch (tag) {
    case GUMBO_TAG_SCRIPT:
    case GUMBO_TAG_STYLE:
    case GUMBO_TAG_NOSCRIPT:
    case GUMBO_TAG_TEMPLATE:
    case GUMBO_TAG_HEAD:
    case GUMBO_TAG_TITLE:
    case GUMBO_TAG_META:
    case GUMBO_TAG_LINK:
        return true;
    default:
        return false;
    }
}

// Elements that start and end a line of rendered text.
bool isBlock(GumboTag tag) {
    switch (tag) {
    case GUMBO_TAG_ADDRESS:
    case GUMBO_TAG_ARTICLE:
    case GUMBO_TAG_ASIDE:
    case GUMBO_TAG_BLOCKQUOTE:
    case GUMBO_TAG_BODY:
    case GUMBO_TAG_CAPTION:
    case GUMBO_TAG_DD:
    case GUMBO_TAG_DIV:
    case GUMBO_TAG_DL:
    case GUMBO_TAG_DT:
    case GUMBO_TAG_FIELDSET:
    case GUMBO_TAG_FIGCAPTION:
    case GUMBO_TAG_FIGURE:
    case GUMBO_TAG_FOOTER:
    case GUMBO_TAG_FORM:
    case GUMBO_TAG_H1:
    case GUMBO_TAG_H2:
    case GUMBO_TAG_H3:
    case GUMBO_TAG_H4:
    case GUMBO_TAG_H5:
    case GUMBO_TAG_H6:
    case GUMBO_TAG_HEADER:
    case GUMBO_TAG_HR:
    case GUMBO_TAG_LI:
    case GUMBO_TAG_MAIN:
    case GUMBO_TAG_NAV:
    case GUMBO_TAG_OL:
    case GUMBO_TAG_P:
    case GUMBO_TAG_PRE:
    case GUMBO_TAG_SECTION:
    case GUMBO_TAG_TABLE:
    case GUMBO_TAG_TR:
    case GUMBO_TAG_UL:
    case GUMBO_TAG_HTML:
        return true;
    default:
        return false;
    }
}

bool isCollapsible(QChar c) {
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f';
}

QString serializedName(const GumboNode* node) {
    const GumboElement& element = node->v.element;
    if (element.tag_namespace == GUMBO_NAMESPACE_SVG) {
        GumboStringPiece piece = element.original_tag;
        gumbo_tag_from_original_text(&piece);
        if (const char* svgName = gumbo_normalize_svg_tagname(&piece))
            return QString::fromLatin1(svgName);
    }
    if (element.tag != GUMBO_TAG_UNKNOWN)
        return QString::fromLatin1(gumbo_normalized_tagname(element.tag));
    GumboStringPiece piece = element.original_tag;
    gumbo_tag_from_original_text(&piece);
    return QString::fromUtf8(piece.data, qsizetype(piece.length)).toLower();
}

void escapeInto(QString& out, const QString& text, bool attributeMode) {
    for (QChar c : text) {
        switch (c.unicode()) {
        case u'&':
            out += u"&amp;"_s;
            break;
        case 0xA0:
            out += u"&nbsp;"_s;
            break;
        case u'"':
            out += attributeMode ? u"&quot;"_s : u"\""_s;
            break;
        case u'<':
            out += attributeMode ? u"<"_s : u"&lt;"_s;
            break;
        case u'>':
            out += attributeMode ? u">"_s : u"&gt;"_s;
            break;
        default:
            out += c;
        }
    }
}

const GumboNode* childOf(const GumboNode* node, unsigned index) {
    return static_cast<const GumboNode*>(node->v.element.children.data[index]);
}

// A walk over the tree below an element with an explicit stack instead of recursion: a page
// nested a few hundred thousand levels deep (a hostile or broken page, a saved file) must not
// exhaust the call stack. `enter` is called for every node in document order and returns whether
// to descend into it; `leave` follows the last descendant of every node descended into.
template <typename Enter, typename Leave> void walkBelow(const GumboNode* root, Enter enter, Leave leave) {
    struct Frame {
        const GumboNode* node;
        unsigned next;
    };
    std::vector<Frame> stack{{root, 0}};
    while (!stack.empty()) {
        const Frame top = stack.back();
        if (top.next >= top.node->v.element.children.length) {
            stack.pop_back();
            if (!stack.empty())
                leave(top.node);
            continue;
        }
        ++stack.back().next;
        const GumboNode* child = childOf(top.node, top.next);
        if (enter(child, top.node))
            stack.push_back({child, 0});
    }
}

// Writes a text or comment node; for an element, its start tag. Returns whether the element's
// content and end tag follow (not for void elements).
bool serializeStart(QString& out, const GumboNode* node, const GumboNode* parent) {
    switch (node->type) {
    case GUMBO_NODE_TEXT:
    case GUMBO_NODE_WHITESPACE:
    case GUMBO_NODE_CDATA: {
        const QString text = QString::fromUtf8(node->v.text.text);
        const bool raw = parent && (parent->type == GUMBO_NODE_ELEMENT) && isRawText(parent->v.element.tag);
        if (raw)
            out += text;
        else
            escapeInto(out, text, false);
        return false;
    }
    case GUMBO_NODE_COMMENT:
        out += u"<!--"_s + QString::fromUtf8(node->v.text.text) + u"-->"_s;
        return false;
    case GUMBO_NODE_ELEMENT:
    case GUMBO_NODE_TEMPLATE: {
        out += u'<';
        out += serializedName(node);
        const GumboVector& attributes = node->v.element.attributes;
        for (unsigned i = 0; i < attributes.length; ++i) {
            const auto* attr = static_cast<const GumboAttribute*>(attributes.data[i]);
            out += u' ';
            out += QString::fromUtf8(attr->name);
            out += u"=\""_s;
            escapeInto(out, QString::fromUtf8(attr->value), true);
            out += u'"';
        }
        out += u'>';
        return !(node->type == GUMBO_NODE_ELEMENT && isVoid(node->v.element.tag));
    }
    default:
        return false;
    }
}

void serializeEnd(QString& out, const GumboNode* node) {
    out += u"</"_s + serializedName(node) + u'>';
}

void serializeChildren(QString& out, const GumboNode* node) {
    walkBelow(
        node,
        [&out](const GumboNode* child, const GumboNode* parent) {
            return serializeStart(out, child, parent);
        },
        [&out](const GumboNode* done) { serializeEnd(out, done); });
}

void serializeNode(QString& out, const GumboNode* node, const GumboNode* parent) {
    if (!serializeStart(out, node, parent))
        return;
    serializeChildren(out, node);
    serializeEnd(out, node);
}

// Collects rendered text: runs of blanks become one space, block elements and <br> break lines.
class TextCollector {
public:
    // The text of everything below `node`.
    void addChildren(const GumboNode* node) {
        walkBelow(
            node, [this](const GumboNode* child, const GumboNode*) { return enter(child); },
            [this](const GumboNode* done) { leave(done); });
    }

    QString result() const {
        QString out = text;
        while (out.endsWith(u'\n'))
            out.chop(1);
        return out;
    }

private:
    // Returns whether the children of `node` are walked next.
    bool enter(const GumboNode* node) {
        switch (node->type) {
        case GUMBO_NODE_TEXT:
        case GUMBO_NODE_WHITESPACE:
        case GUMBO_NODE_CDATA:
            addText(QString::fromUtf8(node->v.text.text));
            return false;
        case GUMBO_NODE_ELEMENT: {
            const GumboTag tag = node->v.element.tag;
            if (isHidden(tag))
                return false;
            if (tag == GUMBO_TAG_BR) {
                lineBreak(true);
                return false;
            }
            if (tag == GUMBO_TAG_PRE) {
                lineBreak(false);
                addPreformatted(node);
                lineBreak(false);
                return false;
            }
            if (isBlock(tag))
                lineBreak(false);
            return true;
        }
        default:
            return false;
        }
    }

    void leave(const GumboNode* node) {
        const GumboTag tag = node->v.element.tag;
        if (isBlock(tag))
            lineBreak(false);
        else if (tag == GUMBO_TAG_TD || tag == GUMBO_TAG_TH)
            pendingSpace = !text.isEmpty() && !text.endsWith(u'\n');
    }

    void addText(const QString& piece) {
        for (QChar c : piece) {
            if (isCollapsible(c)) {
                pendingSpace = !text.isEmpty() && !text.endsWith(u'\n');
                continue;
            }
            if (pendingSpace)
                text += u' ';
            pendingSpace = false;
            text += c;
        }
    }

    // Text below a <pre> as written; elements inside contribute their text.
    void addPreformatted(const GumboNode* node) {
        walkBelow(
            node,
            [this](const GumboNode* child, const GumboNode*) {
                if (child->type == GUMBO_NODE_TEXT || child->type == GUMBO_NODE_WHITESPACE)
                    text += QString::fromUtf8(child->v.text.text);
                return child->type == GUMBO_NODE_ELEMENT;
            },
            [](const GumboNode*) {});
    }

    // A forced break (<br>) always adds a line; a block boundary only ends a non-empty line.
    void lineBreak(bool forced) {
        pendingSpace = false;
        if (forced || (!text.isEmpty() && !text.endsWith(u'\n')))
            text += u'\n';
    }

    QString text;
    bool pendingSpace = false;
};

} // namespace

QString DomElement::tagName() const {
    return isNull() ? QString() : m_document->m_elements[size_t(m_index)].tag.toUpper();
}

QString DomElement::getAttribute(const QString& name) const {
    if (isNull())
        return {};
    const GumboAttribute* attr = attributeOf(m_document->m_elements[size_t(m_index)].node, name);
    return attr ? QString::fromUtf8(attr->value) : QString();
}

bool DomElement::hasAttribute(const QString& name) const {
    return !isNull() && attributeOf(m_document->m_elements[size_t(m_index)].node, name) != nullptr;
}

QString DomElement::href() const {
    return hasAttribute(u"href"_s) ? m_document->resolve(getAttribute(u"href"_s)) : QString();
}

QString DomElement::src() const {
    return hasAttribute(u"src"_s) ? m_document->resolve(getAttribute(u"src"_s)) : QString();
}

QString DomElement::innerText() const {
    if (isNull())
        return {};
    const GumboNode* node = m_document->m_elements[size_t(m_index)].node;
    TextCollector collector;
    collector.addChildren(node);
    return collector.result();
}

QString DomElement::innerHTML() const {
    if (isNull())
        return {};
    QString out;
    serializeChildren(out, m_document->m_elements[size_t(m_index)].node);
    return out;
}

QString DomElement::outerHTML() const {
    if (isNull())
        return {};
    QString out;
    const GumboNode* node = m_document->m_elements[size_t(m_index)].node;
    serializeNode(out, node, node->parent);
    return out;
}

DomCollection DomElement::getElementsByTagName(const QString& tag) const {
    if (isNull())
        return {};
    return m_document->collect(m_index + 1, m_document->m_elements[size_t(m_index)].subtreeEnd, tag);
}

void DomElement::click() const {
    if (!isNull())
        m_document->click(m_index);
}

void DomElement::setValue(const QString& value) const {
    if (!isNull())
        m_document->setValue(m_index, value);
}

} // namespace mojing
