// LoaderWnd's install discovery: the client's Uninstall entry and its executable's version
// resource. Every failure ends in the empty text.
#include <shlwapi.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

#include "loader/loader_wnd.h"
#include "loader/publisher_settings.h"

namespace {

constexpr char kUninstallPrefix[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
constexpr char kLocationValue[] = "InstallLocation";
// KEY_READ | KEY_WRITE: the loader runs elevated, so the machine-wide key grants it. Always
// the 32-bit view, where a 32-bit client's installer writes its entry: a 64-bit build of the
// loader would otherwise read the 64-bit view and never find the client.
constexpr REGSAM kUninstallAccess = 0x2001F | KEY_WOW64_32KEY;
constexpr DWORD kLocationBufferSize = 260;
constexpr std::size_t kSubBlockPathSize = 128;

class RegistryKey {
public:
    explicit RegistryKey(HKEY key) : key_(key) {}
    ~RegistryKey() { RegCloseKey(key_); }
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;
    HKEY get() const { return key_; }

private:
    HKEY key_;
};

}  // namespace

std::string LoaderWnd::FindInstallLocation() {
    const std::string subkey = std::string(kUninstallPrefix) + loader::kUninstallKey;
    HKEY opened = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, subkey.c_str(), 0, kUninstallAccess, &opened) !=
        ERROR_SUCCESS) {
        return {};
    }
    RegistryKey key(opened);

    char location[kLocationBufferSize] = {};
    DWORD size = kLocationBufferSize;
    if (RegQueryValueExA(key.get(), kLocationValue, nullptr, nullptr,
                         reinterpret_cast<BYTE*>(location), &size) != ERROR_SUCCESS) {
        // A value too long for the buffer leaves it with undefined contents: go on with the
        // empty text instead.
        std::memset(location, 0, sizeof(location));
    }
    // A stored text without its own terminator still ends inside the buffer.
    location[kLocationBufferSize - 1] = '\0';

    const std::string probe = std::string(location) + loader::kClientExecutable;
    return PathFileExistsA(probe.c_str()) ? std::string(location) : std::string();
}

std::string LoaderWnd::ReadInstalledVersion() {
    const std::string file = installDir + loader::kClientExecutable;
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeA(file.c_str(), &handle);
    if (size == 0) return {};
    std::unique_ptr<char[]> block(new (std::nothrow) char[size]);
    if (!block || !GetFileVersionInfoA(file.c_str(), handle, size, block.get())) return {};

    void* translation = nullptr;
    UINT translationLength = 0;
    if (!VerQueryValueA(block.get(), "\\VarFileInfo\\Translation", &translation,
                        &translationLength) ||
        translation == nullptr || translationLength < 2 * sizeof(WORD)) {
        // An empty translation list has no first entry to read.
        return {};
    }
    // Only the first language / code page pair is consulted.
    const WORD* pair = static_cast<const WORD*>(translation);
    const unsigned long languageAndCodePage = (static_cast<unsigned long>(pair[0]) << 16) | pair[1];

    std::unique_ptr<char[]> subBlock(new (std::nothrow) char[kSubBlockPathSize]);
    if (!subBlock) return {};
    std::snprintf(subBlock.get(), kSubBlockPathSize, "\\StringFileInfo\\%08lx\\%s",
                  languageAndCodePage, "ProductVersion");

    void* value = nullptr;
    UINT valueLength = 0;
    if (!VerQueryValueA(block.get(), subBlock.get(), &value, &valueLength) || value == nullptr) {
        return {};
    }
    // The text ends at its NUL, and never beyond the block it points into.
    const char* text = static_cast<const char*>(value);
    const char* blockEnd = block.get() + size;
    if (text < block.get() || text >= blockEnd) return {};
    return std::string(text, strnlen(text, static_cast<std::size_t>(blockEnd - text)));
}
