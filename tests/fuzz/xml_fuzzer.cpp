// libFuzzer target for the skin markup parser: LoadFromBuffer in all three encodings and
// in a double-byte and a single-byte code page, then every node and attribute read back.
//
// Input: byte 0 picks the encoding (low two bits; 3 is an unknown value, read as ANSI) and
// the code page (bit 2: 1252, else 936); the rest is the buffer.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "ui/core/CodePage.h"
#include "ui/core/XmlDocument.h"
#include "ui/core/XmlNode.h"

using SkinUI::CXmlDocument;
using SkinUI::CXmlNode;

namespace {

// Every string the document hands out must lie inside its text and be NUL-terminated
// there; reading it whole lets AddressSanitizer check that.
std::size_t Touch(const char* s) {
    if (s == nullptr) std::abort();
    return std::strlen(s);
}

void Visit(const CXmlNode& node) {
    Touch(node.GetName());
    int count = node.AttributeCount();
    if (count < 0 || count > SkinUI::kMaxXmlAttributes) std::abort();
    if (node.HasAttributes() != (count > 0)) std::abort();
    char small[5];
    for (int i = 0; i < count; ++i) {
        const char* name = node.AttributeName(i);
        Touch(name);
        Touch(node.AttributeValue(i));
        if (!node.CopyAttributeValue(name, small, sizeof(small))) std::abort();
        if (std::memchr(small, '\0', sizeof(small)) == nullptr) std::abort();
    }
    if (*node.AttributeName(count) != '\0' || *node.AttributeValue(-1) != '\0') std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::uint8_t mode = data[0];
    const unsigned codePage = (mode & 4) != 0 ? 1252 : 936;
    if (SkinUI::GetHostAnsiCodePage() != codePage) SkinUI::SetHostAnsiCodePage(codePage);
    // A copy of exactly the input, so reads past it are caught.
    std::vector<std::uint8_t> bytes(data + 1, data + size);
    CXmlDocument doc;
    bool loaded = doc.LoadFromBuffer(bytes.empty() ? nullptr : bytes.data(), bytes.size(),
                                     static_cast<SkinUI::XmlEncoding>(mode & 3));
    if (size > 1 && std::memcmp(bytes.data(), data + 1, size - 1) != 0) std::abort();
    if (!loaded) {
        if (doc.GetRootNode().IsValid()) std::abort();
        if (Touch(doc.GetLastErrorMessage()) > 99 || Touch(doc.GetLastErrorLocation()) > 49)
            std::abort();
        return 0;
    }
    // Walk the whole tree without recursion: each level's siblings, children depth first.
    std::vector<CXmlNode> stack;
    CXmlNode root = doc.GetRootNode();
    if (root.IsValid()) stack.push_back(root);
    std::size_t visited = 0;
    while (!stack.empty() && visited < 100000) {
        CXmlNode node = stack.back();
        stack.pop_back();
        Visit(node);
        ++visited;
        CXmlNode next = node.NextSibling();
        if (next.IsValid()) stack.push_back(next);
        CXmlNode child = node.FirstChild();
        if (child.IsValid() != node.HasChildren()) std::abort();
        if (child.IsValid()) stack.push_back(child);
    }
    return 0;
}
