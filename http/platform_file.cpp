// The downloader's file calls: Win32/MSVCRT in the Windows build, POSIX in the native build.
#include "http/platform_file.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>
#endif

#ifdef _WIN32

bool PlatformFile::Delete(const std::string& path) {
    return DeleteFileA(path.c_str()) != 0;
}

bool PlatformFile::MoveReplacing(const std::string& from, const std::string& to) {
    return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
}

namespace {

// A stream on handle, which it then owns; null (and the handle closed) on failure.
std::FILE* StreamOn(HANDLE handle) {
    if (handle == INVALID_HANDLE_VALUE) return nullptr;
    const int descriptor = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_BINARY);
    if (descriptor < 0) {
        CloseHandle(handle);
        return nullptr;
    }
    std::FILE* file = _fdopen(descriptor, "wb");
    if (file == nullptr) _close(descriptor);  // closes the handle too
    return file;
}

}  // namespace

FileHandle PlatformFile::OpenForWriting(const std::string& path) {
    // Shared for reading only: the hash read back beside the download is of the only bytes
    // that can be in the file.
    return FileHandle(StreamOn(CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                           CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr)));
}

bool PlatformFile::Truncate(std::FILE* file) {
    return std::fflush(file) == 0 && _chsize_s(_fileno(file), 0) == 0;
}

FileHandle PlatformFile::OpenForResuming(const std::string& path) {
    return FileHandle(StreamOn(CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                           OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr)));
}

bool PlatformFile::SyncData(std::FILE* file) {
    return FlushFileBuffers(reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file)))) != 0;
}

std::int64_t PlatformFile::Size(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return -1;
    return static_cast<std::int64_t>((static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) |
                                     data.nFileSizeLow);
}

bool PlatformFile::ReplaceDurably(const std::string& path, const std::string& text) {
    const std::string fresh = path + ".new";
    HANDLE handle = CreateFileA(fresh.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool ok =
        WriteFile(handle, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
        written == text.size() && FlushFileBuffers(handle);
    CloseHandle(handle);
    if (!ok || !MoveFileExA(fresh.c_str(), path.c_str(),
                            MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteFileA(fresh.c_str());
        return false;
    }
    return true;
}

bool PlatformFile::ReadSmall(const std::string& path, std::size_t limit, std::string& text) {
    HANDLE handle = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return false;
    std::string buffer(limit + 1, '\0');
    DWORD read = 0;
    const bool ok =
        ReadFile(handle, &buffer[0], static_cast<DWORD>(buffer.size()), &read, nullptr) &&
        read <= limit;
    CloseHandle(handle);
    if (ok) text.assign(buffer.data(), read);
    return ok;
}

int PlatformFile::SeekTo(std::FILE* file, std::int64_t offset) {
    return _fseeki64(file, offset, SEEK_SET);
}

bool FileReader::Open(const std::string& path) {
    Close();
    // Every sharing allowed: the writer holds the file open for writing, and may rename or
    // delete it once it is done.
    HANDLE handle = CreateFileA(path.c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return false;
    handle_ = reinterpret_cast<std::intptr_t>(handle);
    return true;
}

void FileReader::Close() {
    if (handle_ != -1) CloseHandle(reinterpret_cast<HANDLE>(handle_));
    handle_ = -1;
}

long long FileReader::ReadAt(std::int64_t offset, void* buffer, std::size_t size) {
    if (handle_ == -1) return -1;
    OVERLAPPED at = {};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(static_cast<std::uint64_t>(offset) >> 32);
    DWORD read = 0;
    if (!ReadFile(reinterpret_cast<HANDLE>(handle_), buffer, static_cast<DWORD>(size), &read,
                  &at)) {
        return GetLastError() == ERROR_HANDLE_EOF ? 0 : -1;
    }
    return read;
}

#else

bool PlatformFile::Delete(const std::string& path) {
    return unlink(path.c_str()) == 0;
}

bool PlatformFile::MoveReplacing(const std::string& from, const std::string& to) {
    return std::rename(from.c_str(), to.c_str()) == 0;
}

FileHandle PlatformFile::OpenForWriting(const std::string& path) {
    return FileHandle(std::fopen(path.c_str(), "wb"));
}

bool PlatformFile::Truncate(std::FILE* file) {
    return std::fflush(file) == 0 && ftruncate(fileno(file), 0) == 0;
}

FileHandle PlatformFile::OpenForResuming(const std::string& path) {
    const int descriptor = open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
    if (descriptor < 0) return FileHandle();
    std::FILE* file = fdopen(descriptor, "wb");
    if (file == nullptr) close(descriptor);
    return FileHandle(file);
}

bool PlatformFile::SyncData(std::FILE* file) {
    return fdatasync(fileno(file)) == 0;
}

std::int64_t PlatformFile::Size(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0 ? static_cast<std::int64_t>(info.st_size) : -1;
}

bool PlatformFile::ReplaceDurably(const std::string& path, const std::string& text) {
    const std::string fresh = path + ".new";
    const int descriptor = open(fresh.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (descriptor < 0) return false;
    const bool ok =
        write(descriptor, text.data(), text.size()) == static_cast<ssize_t>(text.size()) &&
        fsync(descriptor) == 0;
    close(descriptor);
    if (!ok || std::rename(fresh.c_str(), path.c_str()) != 0) {
        unlink(fresh.c_str());
        return false;
    }
    return true;
}

bool PlatformFile::ReadSmall(const std::string& path, std::size_t limit, std::string& text) {
    const int descriptor = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0) return false;
    std::string buffer(limit + 1, '\0');
    const ssize_t read = ::read(descriptor, &buffer[0], buffer.size());
    close(descriptor);
    if (read < 0 || static_cast<std::size_t>(read) > limit) return false;
    text.assign(buffer.data(), static_cast<std::size_t>(read));
    return true;
}

int PlatformFile::SeekTo(std::FILE* file, std::int64_t offset) {
    return fseeko(file, static_cast<off_t>(offset), SEEK_SET);
}

bool FileReader::Open(const std::string& path) {
    Close();
    const int descriptor = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0) return false;
    handle_ = descriptor;
    return true;
}

void FileReader::Close() {
    if (handle_ != -1) close(static_cast<int>(handle_));
    handle_ = -1;
}

long long FileReader::ReadAt(std::int64_t offset, void* buffer, std::size_t size) {
    if (handle_ == -1) return -1;
    const ssize_t read = pread(static_cast<int>(handle_), buffer, size, static_cast<off_t>(offset));
    return read;
}

#endif
