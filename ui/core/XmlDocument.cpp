// CXmlDocument: loading (string, buffer, file, zip entry), decoding into the ANSI code page
// and the in-place parse.
//
// Sections:
//   1. Character classes and small helpers
//   2. Loading and decoding
//   3. Parsing (levels, attributes, text decoding)
//   4. Errors
#include "ui/core/XmlDocument.h"

#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "ui/core/CodePage.h"
#include "ui/core/ReadOnlyFile.h"
#include "ui/core/SkinSource.h"
#include "ui/core/XmlNode.h"
#include "ui/core/ZipArchive.h"

namespace SkinUI {

// ===========================================================================================
// 1. Character classes and small helpers
// ===========================================================================================

namespace {

enum : unsigned char { kSpace = 1, kName = 2, kPlain = 4 };

struct CharClasses {
    unsigned char bits[256] = {};
    constexpr CharClasses() {
        for (int c = 0x01; c <= 0x20; ++c) bits[c] |= kSpace;
        for (int c = '0'; c <= '9'; ++c) bits[c] |= kName;
        for (int c = 'A'; c <= 'Z'; ++c) bits[c] |= kName;
        for (int c = 'a'; c <= 'z'; ++c) bits[c] |= kName;
        bits[static_cast<unsigned char>('_')] |= kName;
        bits[static_cast<unsigned char>(':')] |= kName;
        // Text bytes that need no attention while decoding: single-byte characters other
        // than NUL, the entity start and the two delimiters.
        for (int c = 0x01; c < 0x80; ++c) bits[c] |= kPlain;
        bits[static_cast<unsigned char>('&')] &= ~kPlain;
        bits[static_cast<unsigned char>('<')] &= ~kPlain;
        bits[static_cast<unsigned char>('"')] &= ~kPlain;
    }
};

constexpr CharClasses kClasses;

inline bool IsSpace(char c) {
    return (kClasses.bits[static_cast<unsigned char>(c)] & kSpace) != 0;
}

inline bool IsPlain(char c) {
    return (kClasses.bits[static_cast<unsigned char>(c)] & kPlain) != 0;
}

inline bool IsNameChar(char c) {
    return (kClasses.bits[static_cast<unsigned char>(c)] & kName) != 0;
}

// Whitespace and name characters are all single-byte, so these step byte by byte.
inline void SkipSpace(char*& p) {
    while (IsSpace(*p)) ++p;
}

inline void SkipName(char*& p) {
    // Four at a time; a name byte is never the NUL, so the next one is inside the text.
    while (IsNameChar(p[0]) && IsNameChar(p[1]) && IsNameChar(p[2]) && IsNameChar(p[3])) p += 4;
    while (IsNameChar(*p)) ++p;
}

// Decodes one entity after "&" (already stepped over) at `src`, writing its character at
// `dst`. Unknown ones write a literal "&" and leave the source where it is.
inline void DecodeEntity(char*& src, char*& dst) {
    // strncmp stops at the text's NUL, so none of these reads past the buffer.
    char value = 0;
    std::size_t length = 0;
    switch (*src) {
        case 'a':
            if (std::strncmp(src, "amp;", 4) == 0) {
                value = '&';
                length = 4;
            } else if (std::strncmp(src, "apos;", 5) == 0) {
                value = '\'';
                length = 5;
            }
            break;
        case 'g':
            if (std::strncmp(src, "gt;", 3) == 0) {
                value = '>';
                length = 3;
            }
            break;
        case 'l':
            if (std::strncmp(src, "lt;", 3) == 0) {
                value = '<';
                length = 3;
            }
            break;
        case 'q':
            if (std::strncmp(src, "quot;", 5) == 0) {
                value = '"';
                length = 5;
            }
            break;
        default:
            break;
    }
    if (length == 0) {
        *dst++ = '&';
        return;
    }
    src += length;
    *dst++ = value;
}

// Decodes text in place from `src` up to `stop` (or the end of the text), leaving `src` on
// the stop character or the NUL and `dst` just after the decoded text. The bytes a decoded
// entity freed become spaces so a later forward scan of the text still finds its pieces.
inline void DecodeText(char*& src, char*& dst, char stop) {
    char* s = src;
    // Until the first entity the text stays where it is: only scan.
    for (;;) {
        // Four at a time: a plain byte is never the NUL, so the next one is still inside
        // the text.
        if (IsPlain(s[0]) && IsPlain(s[1]) && IsPlain(s[2]) && IsPlain(s[3])) {
            s += 4;
            continue;
        }
        if (IsPlain(*s)) {
            ++s;
            continue;
        }
        if (*s == '\0' || *s == stop) {
            src = dst = s;
            return;
        }
        if (*s == '&') break;
        s = CharNextAnsi(s);  // a non-ASCII character or the other delimiter
    }
    char* d = s;
    while (*s != '\0') {
        if (IsPlain(*s)) {
            *d++ = *s++;
            continue;
        }
        if (*s == stop) break;
        if (*s == '&') {
            do {
                ++s;
                DecodeEntity(s, d);
            } while (*s == '&');
            if (*s == stop) break;
            continue;
        }
        char* next = CharNextAnsi(s);
        while (s < next) *d++ = *s++;
    }
    for (char* q = d; q < s; ++q) *q = ' ';
    src = s;
    dst = d;
}

// Copies at most size - 1 bytes of whole characters of `from` and a NUL.
void CopyWholeChars(char* to, std::size_t size, const char* from) {
    if (size == 0) return;
    const char* p = from;
    while (*p != '\0') {
        const char* next = CharNextAnsi(p);
        if (static_cast<std::size_t>(next - from) > size - 1) break;
        p = next;
    }
    std::size_t n = static_cast<std::size_t>(p - from);
    std::memcpy(to, from, n);
    to[n] = '\0';
}

}  // namespace

// ===========================================================================================
// 2. Loading and decoding
// ===========================================================================================

CXmlDocument::CXmlDocument(const char* text) {
    LoadFromString(text);
}

void CXmlDocument::Clear() {
    text_.reset();
    elements_.reset();
    elementCount_ = 0;
    elementCapacity_ = 0;
}

CXmlNode CXmlDocument::GetRootNode() const {
    if (elementCount_ < 2) return CXmlNode();
    return CXmlNode(this, 1);
}

bool CXmlDocument::LoadFromString(const char* text) {
    Clear();
    if (text == nullptr) return false;
    std::size_t length = std::strlen(text);
    std::unique_ptr<char[]> copy(new char[length + 1]);
    std::memcpy(copy.get(), text, length + 1);
    return TakeText(std::move(copy), length);
}

bool CXmlDocument::LoadFromBuffer(const void* bytes, std::size_t length, XmlEncoding encoding) {
    Clear();
    const unsigned char* b = static_cast<const unsigned char*>(bytes);
    if (b == nullptr && length != 0) return false;
    std::unique_ptr<char[]> text;
    std::size_t textLength = 0;
    if (encoding == XmlEncodingUtf8) {
        if (length >= 3 && b[0] == 0xEF && b[1] == 0xBB && b[2] == 0xBF) {
            b += 3;
            length -= 3;
        }
        std::vector<char16_t> wide;
        if (!Utf8ToUtf16(reinterpret_cast<const char*>(b), length, wide) ||
            !Utf16ToAnsi(wide.data(), wide.size(), text, textLength))
            return FailLoad("Could not convert the text");
    } else if (encoding == XmlEncodingUtf16) {
        bool bigEndian = length >= 2 && b[0] == 0xFE && b[1] == 0xFF;
        bool littleEndian = length >= 2 && b[0] == 0xFF && b[1] == 0xFE;
        if (!bigEndian && !littleEndian) return FailLoad("Missing UTF-16 byte order mark");
        // The units are assembled here rather than swapped in the caller's bytes, which may
        // be read-only (a locked resource) and need not be aligned.
        std::size_t count = length / 2 - 1;
        std::vector<char16_t> wide(count);
        const unsigned char* u = b + 2;
        for (std::size_t i = 0; i < count; ++i, u += 2) {
            wide[i] = bigEndian ? static_cast<char16_t>((u[0] << 8) | u[1])
                                : static_cast<char16_t>(u[0] | (u[1] << 8));
        }
        if (!Utf16ToAnsi(wide.data(), wide.size(), text, textLength))
            return FailLoad("Could not convert the text");
    } else {
        text.reset(new char[length + 1]);
        if (length != 0) std::memcpy(text.get(), b, length);
        text[length] = '\0';
        textLength = length;
    }
    return TakeText(std::move(text), textLength);
}

bool CXmlDocument::TakeText(std::unique_ptr<char[]> text, std::size_t length) {
    // Offsets in the element table are 32-bit.
    if (length >= std::numeric_limits<std::uint32_t>::max()) return FailLoad("File too large");
    text_ = std::move(text);
    if (Parse()) return true;
    Clear();
    return false;
}

bool CXmlDocument::LoadFromFile(const char* name, XmlEncoding encoding) {
    Clear();
    if (name == nullptr) return FailLoad("Error opening file");
    const TSkinSource& source = SkinSource();
    if (!source.resourceZip.empty()) return LoadFromZip(name, encoding);

    std::string path = source.resourcePath + name;
    CReadOnlyFile file;
    if (!file.Open(path.c_str())) return FailLoad("Error opening file");
    std::uint64_t size = file.Size();
    if (size == 0) return FailLoad("File is empty");
    if (size > kMaxFileSize) return FailLoad("File too large");
    std::unique_ptr<unsigned char[]> bytes(new unsigned char[size]);
    std::size_t got = file.ReadAt(0, bytes.get(), static_cast<std::size_t>(size));
    if (got < size) return FailLoad("Could not read file");
    file.Close();
    return LoadFromBuffer(bytes.get(), static_cast<std::size_t>(size), encoding);
}

bool CXmlDocument::LoadFromZip(const char* name, XmlEncoding encoding) {
    const TSkinSource& source = SkinSource();
    // An archive opened here is closed when `own` goes, whatever the outcome; a kept one
    // stays open.
    CZipArchive own;
    CZipArchive* zip = source.cachedZip;
    if (zip == nullptr || !zip->IsOpen()) {
        std::string path = source.resourcePath + source.resourceZip;
        if (!own.Open(path.c_str())) return FailLoad("Error opening zip file");
        zip = &own;
    }
    int index = -1;
    std::uint32_t size = 0;
    if (!zip->FindEntry(name, index, size)) return FailLoad("Could not find ziped file");
    if (size == 0) return FailLoad("File is empty");
    if (size > kMaxFileSize) return FailLoad("File too large");
    std::unique_ptr<unsigned char[]> bytes(new unsigned char[size]);
    int result = zip->Unzip(index, bytes.get(), size);
    if (result != CZipArchive::kOk && result != CZipArchive::kMoreData)
        return FailLoad("Could not unzip file");
    own.Close();
    return LoadFromBuffer(bytes.get(), size, encoding);
}

// ===========================================================================================
// 3. Parsing
// ===========================================================================================
//
// The parse walks the levels of the tree without recursion: the open elements are the
// chain of parent rows, so an arbitrarily deep document cannot exhaust the stack. A level
// (the children of one parent row) ends at the end of the text (allowed only for the
// top level and the root's children) or at "</"; the owning element then takes its end tag
// and its own level continues.

std::uint32_t CXmlDocument::NewRow(std::uint32_t parent, std::uint32_t previous, const char* name) {
    if (elementCount_ == elementCapacity_) {
        std::uint64_t capacity = std::uint64_t(elementCapacity_) + elementCapacity_ / 2 + 500;
        if (capacity > std::numeric_limits<std::uint32_t>::max())
            capacity = std::numeric_limits<std::uint32_t>::max();
        if (capacity <= elementCount_) std::abort();  // needs a text far above 4 GiB
        void* grown = std::realloc(elements_.get(), capacity * sizeof(XmlElementRecord));
        if (grown == nullptr) std::abort();
        elements_.release();
        elements_.reset(static_cast<XmlElementRecord*>(grown));
        elementCapacity_ = static_cast<std::uint32_t>(capacity);
    }
    std::uint32_t row = elementCount_++;
    XmlElementRecord& r = elements_.get()[row];
    r.name = static_cast<std::uint32_t>(name - text_.get());
    r.firstChild = 0;
    r.nextSibling = 0;
    r.parent = parent;
    r.content = 0;
    XmlElementRecord* rows = elements_.get();
    if (previous != 0) {
        rows[previous].nextSibling = row;
    } else if (parent != 0) {
        rows[parent].firstChild = row;
    }
    return row;
}

bool CXmlDocument::Parse() {
    ClearErrors();
    elementCount_ = 0;
    NewRow(0, 0, text_.get());  // row 0: reserved

    char* p = text_.get();
    std::uint32_t parent = 0;    // the level being parsed: children of this row
    std::uint32_t previous = 0;  // the level's last element so far
    SkipSpace(p);
    for (;;) {
        bool levelEnds = false;
        if (*p == '\0' && parent <= 1) {
            levelEnds = true;
        } else {
            SkipSpace(p);
            if (*p != '<') return Fail("Expected start tag", p);
            if (p[1] == '/') levelEnds = true;
        }
        if (levelEnds) {
            if (parent == 0) return true;
            // Back in the parent's own level, right after its content and children.
            std::uint32_t owner = parent;
            parent = elements_.get()[owner].parent;
            previous = owner;
            if (!CloseElement(p, owner)) return false;
            continue;
        }

        *p++ = '\0';  // ends any text before the tag
        SkipSpace(p);
        if (*p == '!' || *p == '?') {
            // Comments, declarations and processing instructions: skipped up to "->" or
            // "?>", whole characters at a time.
            char close = *p == '!' ? '-' : '?';
            while (*p != '\0' && !(p[0] == close && p[1] == '>')) p = CharNextAnsi(p);
            if (*p != '\0') p += 2;
            SkipSpace(p);
            continue;
        }

        SkipSpace(p);
        std::uint32_t row = NewRow(parent, previous, p);
        previous = row;
        SkipName(p);
        char* nameEnd = p;
        if (*p == '\0') return Fail("Error parsing element name", nameEnd);
        if (!ParseAttributes(p)) return false;

        SkipSpace(p);
        XmlElementRecord* rows = elements_.get();
        if (p[0] == '/' && p[1] == '>') {
            // An empty element: its content is the NUL written over "/".
            rows[row].content = static_cast<std::uint32_t>(p - text_.get());
            *p = '\0';
            p += 2;
            *nameEnd = '\0';
            SkipSpace(p);
            continue;
        }
        if (*p != '>') return Fail("Expected start-tag closing", p);
        ++p;
        rows[row].content = static_cast<std::uint32_t>(p - text_.get());
        // The byte at the name end ("<A>" or a NUL from the attributes) is no longer needed;
        // ending the name now keeps it terminated when the text ends inside the content.
        *nameEnd = '\0';
        char* contentEnd = nullptr;
        DecodeText(p, contentEnd, '<');
        // Ends the content now; when nothing was freed the "<" at the cursor gets its NUL
        // from the child or end tag that follows.
        if (contentEnd != p) *contentEnd = '\0';
        if (*p == '\0' && parent <= 1) {
            // The text ends inside the content of the root or of one of its children.
            if (parent == 0) return true;
            std::uint32_t owner = parent;
            parent = elements_.get()[owner].parent;
            previous = owner;
            if (!CloseElement(p, owner)) return false;
            continue;
        }
        if (*p != '<') return Fail("Expected end-tag start", p);
        if (p[1] != '/') {
            // Children: a new level under this element.
            parent = row;
            previous = 0;
            continue;
        }
        if (!CloseElement(p, row)) return false;
    }
}

// After an element's content and children: takes its end tag when the cursor is on "</",
// then moves on to whatever follows in the parent's level.
bool CXmlDocument::CloseElement(char*& p, std::uint32_t row) {
    if (p[0] == '<' && p[1] == '/') {
        *p = '\0';
        p += 2;
        SkipSpace(p);
        const char* name = text_.get() + elements_.get()[row].name;
        // Names are single-byte characters and NUL-terminated by now, so a byte compare that
        // stops at the first difference is exact and never runs past the text's end.
        std::size_t length = std::strlen(name);
        for (std::size_t i = 0; i < length; ++i) {
            if (p[i] != name[i]) return Fail("Unmatched closing tag", p);
        }
        p += length;
        SkipSpace(p);
        char c = *p;
        if (c != '>') return Fail("Unmatched closing tag", c == '\0' ? p : CharNextAnsi(p));
        ++p;
    }
    SkipSpace(p);
    return true;
}

bool CXmlDocument::ParseAttributes(char*& p) {
    if (*p == '>') return true;
    // "/>" right after the name is left for the caller's empty-element test.
    if (p[0] == '/' && p[1] == '>') return true;
    char* next = CharNextAnsi(p);
    *p = '\0';  // ends the element name
    p = next;
    for (;;) {
        SkipSpace(p);
        if (*p == '\0' || *p == '>' || *p == '/') return true;
        char* nameEnd = p;
        SkipName(nameEnd);
        p = nameEnd;
        SkipSpace(p);
        if (*p != '=') return Fail("Error while parsing attributes", p);
        *p++ = ' ';
        *nameEnd = '\0';
        SkipSpace(p);
        if (*p != '"') return Fail("Expected attribute value", *p == '\0' ? p : CharNextAnsi(p));
        ++p;
        char* valueEnd = nullptr;
        DecodeText(p, valueEnd, '"');
        if (*p == '\0') return Fail("Error while parsing attribute string", p);
        *valueEnd = '\0';
        if (valueEnd != p) *p = ' ';  // the closing quote, when an entity shortened the value
        ++p;
    }
}

// ===========================================================================================
// 4. Errors
// ===========================================================================================

void CXmlDocument::ClearErrors() {
    errorMessage_[0] = '\0';
    errorLocation_[0] = '\0';
}

bool CXmlDocument::Fail(const char* message, const char* at) {
    CopyWholeChars(errorMessage_, sizeof(errorMessage_), message);
    if (at != nullptr) {
        CopyWholeChars(errorLocation_, sizeof(errorLocation_), at);
    } else {
        errorLocation_[0] = '\0';
    }
    return false;
}

bool CXmlDocument::FailLoad(const char* message) {
    Fail(message, nullptr);
    Clear();
    return false;
}

}  // namespace SkinUI
