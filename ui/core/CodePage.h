// The ANSI code page seam of the skin parser: stepping over whole characters and the
// conversions into the ANSI code page. The Windows build calls the system (CharNextA,
// MultiByteToWideChar, WideCharToMultiByte); the host build follows the same rules for a
// chosen code page so the parser can run under sanitizers and fuzzers.
#pragma once

#include <cstddef>
#include <memory>
#include <vector>

namespace SkinUI {

// The platform's step over one non-ASCII character (CharNextA semantics): a lead byte is
// stepped over together with the byte after it unless that byte is NUL; at NUL it stays.
const char* PlatformCharNext(const char* p);

// One character forward in the ANSI code page. Bytes 0x01-0x7F are single characters in
// every ANSI code page, so they never reach the platform.
inline const char* CharNextAnsi(const char* p) {
    unsigned char c = static_cast<unsigned char>(*p);
    if (c - 1u < 0x7Fu) return p + 1;
    return PlatformCharNext(p);
}
inline char* CharNextAnsi(char* p) {
    return const_cast<char*>(CharNextAnsi(static_cast<const char*>(p)));
}

// UTF-8 to UTF-16; malformed sequences become U+FFFD. False only when the input is too
// large for the platform's conversion.
bool Utf8ToUtf16(const char* bytes, std::size_t length, std::vector<char16_t>& out);

// UTF-16 to the ANSI code page; characters the code page lacks become "?" (or the system's
// best fit). The result is NUL-terminated; `length` receives the converted length without it.
bool Utf16ToAnsi(const char16_t* units, std::size_t count, std::unique_ptr<char[]>& out,
                 std::size_t& length);

#ifndef _WIN32
// Host build only: the ANSI code page the conversions and the stepping follow. Double-byte
// code pages 932, 936, 949 and 950 and any single-byte code page iconv knows as "CP<n>"
// are supported; the default is 936. Returns false (and keeps the previous one) when the
// code page is not available.
bool SetHostAnsiCodePage(unsigned codePage);
unsigned GetHostAnsiCodePage();
#endif

}  // namespace SkinUI
