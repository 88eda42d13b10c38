// Plain-entry checks (see plain_entry.h).
#include "loader/plain_entry.h"

#include <vector>

#include "loader/owned_handle.h"

namespace loader {

std::wstring Widen(const std::string& text) {
    const int size =
        MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, text.c_str(), -1, nullptr, 0);
    if (size <= 1) return {};
    std::wstring wide(static_cast<std::size_t>(size), L'\0');
    MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, text.c_str(), -1, &wide[0], size);
    wide.resize(static_cast<std::size_t>(size - 1));
    return wide;
}

bool IsPlainEntryAt(HANDLE handle, const std::wstring& path, EntryKind kind, bool singleName) {
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE || path.empty()) return false;
    BY_HANDLE_FILE_INFORMATION info = {};
    if (!GetFileInformationByHandle(handle, &info)) return false;
    if ((info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) return false;
    const bool folder = (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    if (folder != (kind == EntryKind::Folder)) return false;
    if (!folder && singleName && info.nNumberOfLinks != 1) return false;
    const std::wstring expected = L"\\\\?\\" + path;
    std::vector<wchar_t> finalName(expected.size() + 16);
    const DWORD length = GetFinalPathNameByHandleW(handle, finalName.data(),
                                                   static_cast<DWORD>(finalName.size()), 0);
    return length == expected.size() &&
           CompareStringOrdinal(finalName.data(), static_cast<int>(length), expected.c_str(),
                                static_cast<int>(expected.size()), TRUE) == CSTR_EQUAL;
}

bool IsPlainEntryAt(HANDLE handle, const std::string& path, EntryKind kind, bool singleName) {
    return IsPlainEntryAt(handle, Widen(path), kind, singleName);
}

bool DeletePlainFile(const std::wstring& path) {
    const OwnedHandle file(CreateFileW(path.c_str(), DELETE | FILE_READ_ATTRIBUTES,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                       nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT,
                                       nullptr));
    if (!IsPlainEntryAt(file.get(), path, EntryKind::File)) return false;
    FILE_DISPOSITION_INFO disposition = {};
    disposition.DeleteFile = TRUE;
    return SetFileInformationByHandle(file.get(), FileDispositionInfo, &disposition,
                                      sizeof(disposition)) != FALSE;
}

bool DeletePlainFile(const std::string& path) {
    const std::wstring wide = Widen(path);
    return !wide.empty() && DeletePlainFile(wide);
}

}  // namespace loader
