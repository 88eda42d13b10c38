// The ANSI code page seam for the host build. Stepping follows the lead-byte ranges of the
// Windows double-byte code pages; UTF-8 is decoded here (malformed input becomes U+FFFD as
// MultiByteToWideChar does) and the ANSI side goes through iconv, one "?" per character the
// code page lacks.
#include "ui/core/CodePage.h"

#include <iconv.h>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <string>

namespace SkinUI {

namespace {

// Stands in for the system's ANSI code page, which is process-wide on Windows too.
std::atomic<unsigned> g_codePage{936};

bool IsLeadByte(unsigned codePage, unsigned char c) {
    switch (codePage) {
        case 932:
            return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
        case 936:
        case 949:
        case 950:
            return c >= 0x81 && c <= 0xFE;
        default:
            return false;
    }
}

std::string IconvName(unsigned codePage) {
    return "CP" + std::to_string(codePage);
}

class Iconv {
public:
    Iconv(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Iconv() {
        if (ok()) iconv_close(cd_);
    }
    Iconv(const Iconv&) = delete;
    Iconv& operator=(const Iconv&) = delete;
    bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
    iconv_t get() const { return cd_; }

private:
    iconv_t cd_;
};

constexpr char16_t kReplacement = 0xFFFD;

bool IsContinuation(unsigned char c) {
    return (c & 0xC0) == 0x80;
}

}  // namespace

bool SetHostAnsiCodePage(unsigned codePage) {
    Iconv probe(IconvName(codePage).c_str(), "UTF-16LE");
    if (!probe.ok()) return false;
    g_codePage.store(codePage);
    return true;
}

unsigned GetHostAnsiCodePage() {
    return g_codePage.load();
}

const char* PlatformCharNext(const char* p) {
    if (*p == '\0') return p;
    if (IsLeadByte(g_codePage.load(std::memory_order_relaxed), static_cast<unsigned char>(*p)) &&
        p[1] != '\0')
        return p + 2;
    return p + 1;
}

bool Utf8ToUtf16(const char* bytes, std::size_t length, std::vector<char16_t>& out) {
    out.clear();
    out.reserve(length);
    const unsigned char* s = reinterpret_cast<const unsigned char*>(bytes);
    std::size_t i = 0;
    while (i < length) {
        unsigned char c = s[i];
        if (c < 0x80) {
            out.push_back(c);
            ++i;
            continue;
        }
        // Sequence length and the allowed range of the second byte (excludes overlong
        // forms, surrogates and values above U+10FFFF).
        int need;
        unsigned char lo = 0x80, hi = 0xBF;
        std::uint32_t cp;
        if (c >= 0xC2 && c <= 0xDF) {
            need = 1;
            cp = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            need = 2;
            cp = c & 0x0F;
            if (c == 0xE0) lo = 0xA0;
            if (c == 0xED) hi = 0x9F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            need = 3;
            cp = c & 0x07;
            if (c == 0xF0) lo = 0x90;
            if (c == 0xF4) hi = 0x8F;
        } else {
            out.push_back(kReplacement);
            ++i;
            continue;
        }
        ++i;
        bool bad = false;
        for (int k = 0; k < need; ++k) {
            if (i >= length) {
                bad = true;
                break;
            }
            unsigned char t = s[i];
            if (k == 0 ? (t < lo || t > hi) : !IsContinuation(t)) {
                bad = true;
                break;
            }
            cp = (cp << 6) | (t & 0x3F);
            ++i;
        }
        // A malformed sequence yields one replacement; the byte that broke it starts anew.
        if (bad) {
            out.push_back(kReplacement);
            continue;
        }
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(cp));
        }
    }
    return true;
}

bool Utf16ToAnsi(const char16_t* units, std::size_t count, std::unique_ptr<char[]>& out,
                 std::size_t& length) {
    length = 0;
    Iconv cd(IconvName(g_codePage.load()).c_str(), "UTF-16LE");
    if (!cd.ok()) return false;
    // Double-byte code pages need two bytes per UTF-16 code unit; four leaves room for any
    // multi-byte one iconv may be given.
    std::size_t capacity = count * 4 + 1;
    out.reset(new char[capacity]);
    std::vector<char> in(count * 2);
    for (std::size_t k = 0; k < count; ++k) {
        in[2 * k] = static_cast<char>(units[k] & 0xFF);
        in[2 * k + 1] = static_cast<char>(units[k] >> 8);
    }
    char* src = in.data();
    std::size_t srcLeft = in.size();
    char* dst = out.get();
    std::size_t dstLeft = capacity - 1;
    while (srcLeft > 0) {
        if (iconv(cd.get(), &src, &srcLeft, &dst, &dstLeft) != static_cast<std::size_t>(-1)) break;
        if (errno == E2BIG || dstLeft == 0) return false;
        // Unmappable or unpaired: one "?" per code unit, as the system's default char (a
        // pair outside the code page gives two).
        *dst++ = '?';
        --dstLeft;
        std::size_t skip = srcLeft < 2 ? srcLeft : 2;
        src += skip;
        srcLeft -= skip;
        iconv(cd.get(), nullptr, nullptr, nullptr, nullptr);
    }
    length = static_cast<std::size_t>(dst - out.get());
    out[length] = '\0';
    return true;
}

}  // namespace SkinUI
