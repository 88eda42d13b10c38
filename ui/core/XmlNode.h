// A read-only handle to one element of a CXmlDocument. A node owns nothing and is valid
// only while its document stays loaded and unchanged. Attributes are mapped on first use.
#pragma once

#include <cstddef>
#include <cstdint>

#include "ui/core/XmlDocument.h"

namespace SkinUI {

class CXmlNode {
public:
    CXmlNode() = default;  // an invalid node

    bool IsValid() const { return owner_ != nullptr; }
    // The element name; null for an invalid node.
    const char* GetName() const;
    CXmlNode FirstChild() const;
    CXmlNode NextSibling() const;
    bool HasChildren() const;

    bool HasAttributes() const;
    int AttributeCount() const;
    // Name or value of attribute `index`: "" when out of range, null for an invalid node.
    const char* AttributeName(int index) const;
    const char* AttributeValue(int index) const;
    // Copies the value of the first attribute called `name` into `buffer` and fills the rest
    // of its `size` bytes with NULs. The copy is cut, at a character boundary, so that it
    // always ends with a NUL. False when there is no such attribute or the node is invalid.
    bool CopyAttributeValue(const char* name, char* buffer, std::size_t size) const;

private:
    friend class CXmlDocument;

    struct Attribute {
        std::uint32_t name;
        std::uint32_t value;
    };

    CXmlNode(const CXmlDocument* owner, std::uint32_t row) : owner_(owner), row_(row) {}
    void MapAttributes() const;

    const CXmlDocument* owner_ = nullptr;
    std::uint32_t row_ = 0;
    mutable int attributeCount_ = 0;
    mutable Attribute attributes_[kMaxXmlAttributes] = {};
};

}  // namespace SkinUI
