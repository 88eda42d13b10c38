// The skin markup document: a small non-validating parser that cuts one ANSI text buffer
// in place into NUL-terminated names, values and content, and records every element in one
// table of fixed-size rows. Nodes (XmlNode.h) give read-only access to it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>

namespace SkinUI {

class CXmlNode;

// How LoadFromBuffer decodes its bytes; any other value behaves as XmlEncodingAnsi.
enum XmlEncoding {
    XmlEncodingUtf8 = 0,
    XmlEncodingUtf16 = 1,
    XmlEncodingAnsi = 2,
};

// At most this many attributes of one element are visible through a node.
constexpr int kMaxXmlAttributes = 64;

// One row of the element table. Row 0 is reserved; rows refer to each other by index.
struct XmlElementRecord {
    std::uint32_t name;         // text offset of the element name
    std::uint32_t firstChild;   // row, 0 = none
    std::uint32_t nextSibling;  // row, 0 = none
    std::uint32_t parent;       // row, 0 = top level
    std::uint32_t content;      // text offset of the element's content
};

class CXmlDocument {
public:
    // Files and zip entries above this size are refused.
    static constexpr std::size_t kMaxFileSize = 0x400000;

    CXmlDocument() = default;
    explicit CXmlDocument(const char* text);  // as LoadFromString
    ~CXmlDocument() = default;
    CXmlDocument(const CXmlDocument&) = delete;
    CXmlDocument& operator=(const CXmlDocument&) = delete;

    // Parses a copy of the NUL-terminated text (already in the ANSI code page).
    bool LoadFromString(const char* text);
    // Parses the bytes, decoded as `encoding` into the ANSI code page. The bytes are only
    // read; the caller keeps them.
    bool LoadFromBuffer(const void* bytes, std::size_t length, XmlEncoding encoding);
    // Parses the file `name` under the resource path, or the entry `name` of the resource
    // zip (SkinSource.h).
    bool LoadFromFile(const char* name, XmlEncoding encoding = XmlEncodingUtf8);
    // Frees the text and the element table; the error texts stay.
    void Clear();

    // The first element (row 1), or an invalid node when there is none.
    CXmlNode GetRootNode() const;

    // Diagnosis of the last failure: the message and a copy of the text where it happened
    // (empty when the failure has no position).
    const char* GetLastErrorMessage() const { return errorMessage_; }
    const char* GetLastErrorLocation() const { return errorLocation_; }

private:
    friend class CXmlNode;

    struct FreeDeleter {
        void operator()(void* p) const { std::free(p); }
    };

    bool LoadFromZip(const char* name, XmlEncoding encoding);
    bool TakeText(std::unique_ptr<char[]> text, std::size_t length);
    bool Parse();
    bool ParseAttributes(char*& p);
    bool CloseElement(char*& p, std::uint32_t row);
    std::uint32_t NewRow(std::uint32_t parent, std::uint32_t previous, const char* name);
    bool Fail(const char* message, const char* at);
    bool FailLoad(const char* message);
    void ClearErrors();

    std::unique_ptr<char[]> text_;
    std::unique_ptr<XmlElementRecord, FreeDeleter> elements_;
    std::uint32_t elementCount_ = 0;
    std::uint32_t elementCapacity_ = 0;
    char errorMessage_[100] = {};
    char errorLocation_[50] = {};
};

}  // namespace SkinUI
