// The ANSI code page seam on Windows: the system's own stepping and conversions.
#include "ui/core/CodePage.h"

#include <windows.h>

#include <climits>

namespace SkinUI {

const char* PlatformCharNext(const char* p) {
    return CharNextA(p);
}

bool Utf8ToUtf16(const char* bytes, std::size_t length, std::vector<char16_t>& out) {
    out.clear();
    if (length == 0) return true;
    if (length > static_cast<std::size_t>(INT_MAX)) return false;
    int n = MultiByteToWideChar(CP_UTF8, 0, bytes, static_cast<int>(length), nullptr, 0);
    if (n <= 0) return false;
    out.resize(static_cast<std::size_t>(n));
    n = MultiByteToWideChar(CP_UTF8, 0, bytes, static_cast<int>(length),
                            reinterpret_cast<wchar_t*>(out.data()), n);
    if (n <= 0) return false;
    out.resize(static_cast<std::size_t>(n));
    return true;
}

bool Utf16ToAnsi(const char16_t* units, std::size_t count, std::unique_ptr<char[]>& out,
                 std::size_t& length) {
    length = 0;
    if (count > static_cast<std::size_t>(INT_MAX)) return false;
    if (count == 0) {
        out.reset(new char[1]);
        out[0] = '\0';
        return true;
    }
    const wchar_t* w = reinterpret_cast<const wchar_t*>(units);
    int n =
        WideCharToMultiByte(CP_ACP, 0, w, static_cast<int>(count), nullptr, 0, nullptr, nullptr);
    if (n <= 0) return false;
    out.reset(new char[static_cast<std::size_t>(n) + 1]);
    n = WideCharToMultiByte(CP_ACP, 0, w, static_cast<int>(count), out.get(), n, nullptr, nullptr);
    if (n <= 0) return false;
    out[n] = '\0';
    length = static_cast<std::size_t>(n);
    return true;
}

}  // namespace SkinUI
