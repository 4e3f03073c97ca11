#pragma once

#include "DomElement.h"

#include <vector>

namespace mojing {

// A list of elements in document order, as getElementsByTagName returns it.
class DomCollection {
public:
    DomCollection() = default;
    explicit DomCollection(std::vector<DomElement> elements) : m_elements(std::move(elements)) {}

    int length() const { return int(m_elements.size()); }
    // The element at a 0-based index; a null element when out of range.
    DomElement item(int index) const {
        return (index >= 0 && index < length()) ? m_elements[size_t(index)] : DomElement();
    }

    auto begin() const { return m_elements.begin(); }
    auto end() const { return m_elements.end(); }

private:
    std::vector<DomElement> m_elements;
};

} // namespace mojing
