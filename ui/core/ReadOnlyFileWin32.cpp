// CReadOnlyFile on Windows.
#include "ui/core/ReadOnlyFile.h"

#include <windows.h>

namespace SkinUI {

CReadOnlyFile::~CReadOnlyFile() {
    Close();
}

bool CReadOnlyFile::Open(const char* path) {
    Close();
    HANDLE h = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER size;
    if (!GetFileSizeEx(h, &size) || size.QuadPart < 0) {
        CloseHandle(h);
        return false;
    }
    handle_ = h;
    size_ = static_cast<std::uint64_t>(size.QuadPart);
    return true;
}

void CReadOnlyFile::Close() {
    if (handle_ != nullptr) {
        CloseHandle(static_cast<HANDLE>(handle_));
        handle_ = nullptr;
    }
    size_ = 0;
}

bool CReadOnlyFile::IsOpen() const {
    return handle_ != nullptr;
}

std::size_t CReadOnlyFile::ReadAt(std::uint64_t offset, void* buffer, std::size_t count) {
    if (handle_ == nullptr) return 0;
    std::size_t total = 0;
    char* out = static_cast<char*>(buffer);
    while (total < count) {
        OVERLAPPED at = {};
        std::uint64_t pos = offset + total;
        at.Offset = static_cast<DWORD>(pos & 0xFFFFFFFFu);
        at.OffsetHigh = static_cast<DWORD>(pos >> 32);
        DWORD chunk = count - total > 0x10000000u ? 0x10000000u : static_cast<DWORD>(count - total);
        DWORD got = 0;
        if (!ReadFile(static_cast<HANDLE>(handle_), out + total, chunk, &got, &at) || got == 0)
            break;
        total += got;
    }
    return total;
}

}  // namespace SkinUI
