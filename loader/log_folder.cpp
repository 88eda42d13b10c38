// The diagnostic log's folder (see log_folder.h).
#include "loader/log_folder.h"

#include <shlobj.h>

#include <vector>

#include "loader/plain_entry.h"

namespace {

constexpr DWORD kShareNoDelete = FILE_SHARE_READ | FILE_SHARE_WRITE;
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

std::string KnownLocalAppData() {
    PWSTR wide = nullptr;
    std::string path;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_LocalAppData, 0, nullptr, &wide))) {
        const int length = WideCharToMultiByte(CP_ACP, 0, wide, -1, nullptr, 0, nullptr, nullptr);
        if (length > 1) {
            std::vector<char> narrow(static_cast<size_t>(length));
            WideCharToMultiByte(CP_ACP, 0, wide, -1, narrow.data(), length, nullptr, nullptr);
            path = narrow.data();
        }
    }
    CoTaskMemFree(wide);
    return path;
}

HANDLE OpenFolder(const std::string& path) {
    // Without delete sharing: while it is open, nobody can rename it or put a link in its place.
    return CreateFileA(path.c_str(), FILE_LIST_DIRECTORY | FILE_TRAVERSE | FILE_READ_ATTRIBUTES,
                       kShareNoDelete, nullptr, OPEN_EXISTING,
                       FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
}

bool Valid(HANDLE handle) {
    return handle != nullptr && handle != INVALID_HANDLE_VALUE;
}

// The path the system resolves an open handle to, without the "\\?\" prefix; empty when unknown.
std::string FinalPath(HANDLE handle) {
    char buffer[MAX_PATH * 2];
    const DWORD length =
        GetFinalPathNameByHandleA(handle, buffer, sizeof(buffer), FILE_NAME_NORMALIZED);
    if (length == 0 || length >= sizeof(buffer)) return "";
    std::string path(buffer, length);
    if (path.compare(0, 4, "\\\\?\\") == 0) path.erase(0, 4);
    return path;
}

// Whether handle (opened without following reparse points) is a plain folder or file that the
// system resolves to expected: not a reparse point itself, and, for a file, its only name.
bool PlainAt(HANDLE handle, const std::string& expected, bool folder) {
    return loader::IsPlainEntryAt(handle, expected,
                                  folder ? loader::EntryKind::Folder : loader::EntryKind::File,
                                  /*singleName=*/true);
}

// The log folder under parent (already open and checked to be base), created when missing.
HANDLE CreateAndOpen(HANDLE parent, const std::string& base, const std::string& path) {
    if (!PlainAt(parent, base, true)) return INVALID_HANDLE_VALUE;
    if (!CreateDirectoryA(path.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
        return INVALID_HANDLE_VALUE;
    }
    return OpenFolder(path);
}

}  // namespace

LogFolder::LogFolder(const std::string& folderName) : LogFolder(KnownLocalAppData(), folderName) {}

LogFolder::LogFolder(const std::string& base, const std::string& folderName)
    : path_(base + "\\" + folderName),
      parent_(base.empty() ? INVALID_HANDLE_VALUE : OpenFolder(base)),
      folder_(CreateAndOpen(parent_.get(), base, path_)),
      finalPath_(FinalPath(folder_.get())) {
    usable_ = PlainAt(folder_.get(), FinalPath(parent_.get()) + "\\" + folderName, true);
}

HANDLE LogFolder::OpenForAppend(const std::string& fileName) const {
    if (!usable_) return INVALID_HANDLE_VALUE;
    const std::string path = path_ + "\\" + fileName;
    constexpr DWORD kAccess = FILE_APPEND_DATA | FILE_READ_ATTRIBUTES;
    constexpr DWORD kFlags = FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT;
    // An existing name is opened as it is; only a missing one is created, and never through
    // a link that points nowhere yet.
    HANDLE file =
        CreateFileA(path.c_str(), kAccess, kShareAll, nullptr, OPEN_EXISTING, kFlags, nullptr);
    if (!Valid(file) && GetLastError() == ERROR_FILE_NOT_FOUND) {
        file = CreateFileA(path.c_str(), kAccess, kShareAll, nullptr, CREATE_NEW, kFlags, nullptr);
    }
    if (!Valid(file)) return INVALID_HANDLE_VALUE;
    if (!PlainAt(file, finalPath_ + "\\" + fileName, false)) {
        CloseHandle(file);
        return INVALID_HANDLE_VALUE;
    }
    return file;
}

bool LogFolder::Rename(const std::string& from, const std::string& to) const {
    if (!usable_) return false;
    const std::string source = path_ + "\\" + from;
    {
        const OwnedHandle check(CreateFileA(source.c_str(), FILE_READ_ATTRIBUTES, kShareAll,
                                            nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT,
                                            nullptr));
        if (!PlainAt(check.get(), finalPath_ + "\\" + from, false)) return false;
    }
    // A rename moves the name itself, never what a link points to, and the folder cannot
    // change while it is held open; a link put in place of the target is simply replaced.
    return MoveFileExA(source.c_str(), (path_ + "\\" + to).c_str(), MOVEFILE_REPLACE_EXISTING) !=
           FALSE;
}
