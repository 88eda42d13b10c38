// CXmlNode: navigation over the element table and the lazily built attribute map.
#include "ui/core/XmlNode.h"

#include <cstring>

#include "ui/core/CodePage.h"

namespace SkinUI {

namespace {

inline bool IsSpace(char c) {
    unsigned char u = static_cast<unsigned char>(c);
    return u >= 0x01 && u <= 0x20;
}

}  // namespace

const char* CXmlNode::GetName() const {
    if (owner_ == nullptr) return nullptr;
    return owner_->text_.get() + owner_->elements_.get()[row_].name;
}

CXmlNode CXmlNode::FirstChild() const {
    if (owner_ == nullptr) return CXmlNode();
    std::uint32_t child = owner_->elements_.get()[row_].firstChild;
    return child == 0 ? CXmlNode() : CXmlNode(owner_, child);
}

CXmlNode CXmlNode::NextSibling() const {
    if (owner_ == nullptr) return CXmlNode();
    std::uint32_t next = owner_->elements_.get()[row_].nextSibling;
    return next == 0 ? CXmlNode() : CXmlNode(owner_, next);
}

bool CXmlNode::HasChildren() const {
    return owner_ != nullptr && owner_->elements_.get()[row_].firstChild != 0;
}

bool CXmlNode::HasAttributes() const {
    return AttributeCount() > 0;
}

int CXmlNode::AttributeCount() const {
    if (owner_ == nullptr) return 0;
    if (attributeCount_ == 0) MapAttributes();
    return attributeCount_;
}

const char* CXmlNode::AttributeName(int index) const {
    if (owner_ == nullptr) return nullptr;
    if (index < 0 || index >= AttributeCount()) return "";
    return owner_->text_.get() + attributes_[index].name;
}

const char* CXmlNode::AttributeValue(int index) const {
    if (owner_ == nullptr) return nullptr;
    if (index < 0 || index >= AttributeCount()) return "";
    return owner_->text_.get() + attributes_[index].value;
}

bool CXmlNode::CopyAttributeValue(const char* name, char* buffer, std::size_t size) const {
    if (owner_ == nullptr || name == nullptr) return false;
    int count = AttributeCount();
    const char* text = owner_->text_.get();
    for (int i = 0; i < count; ++i) {
        if (std::strcmp(text + attributes_[i].name, name) != 0) continue;
        if (buffer == nullptr || size == 0) return true;
        // Whole characters only, and always room for the final NUL.
        const char* value = text + attributes_[i].value;
        const char* p = value;
        while (*p != '\0') {
            const char* next = CharNextAnsi(p);
            if (static_cast<std::size_t>(next - value) > size - 1) break;
            p = next;
        }
        std::size_t n = static_cast<std::size_t>(p - value);
        std::memcpy(buffer, value, n);
        std::memset(buffer + n, 0, size - n);
        return true;
    }
    return false;
}

// The attribute area runs from just after the NUL that ends the element name up to the
// element's content. The parse left each name NUL-terminated and each value between a
// double quote and a NUL, with only whitespace between them.
void CXmlNode::MapAttributes() const {
    attributeCount_ = 0;
    const char* text = owner_->text_.get();
    const XmlElementRecord& r = owner_->elements_.get()[row_];
    std::size_t pos = r.name + std::strlen(text + r.name) + 1;
    const std::size_t end = r.content;
    while (pos < end) {
        while (IsSpace(text[pos])) ++pos;
        if (pos >= end) break;
        std::uint32_t name = static_cast<std::uint32_t>(pos);
        pos += std::strlen(text + pos) + 1;
        // Past the area is the content (or, past the text's final NUL, nothing at all),
        // never an attribute.
        if (pos >= end) break;
        while (IsSpace(text[pos])) ++pos;
        if (pos >= end || text[pos] != '"') break;
        std::uint32_t value = static_cast<std::uint32_t>(pos + 1);
        attributes_[attributeCount_].name = name;
        attributes_[attributeCount_].value = value;
        if (++attributeCount_ == kMaxXmlAttributes) break;
        pos = value + std::strlen(text + value) + 1;
    }
}

}  // namespace SkinUI
