// The downloader's file calls: Win32/MSVCRT in the Windows build, POSIX in the native build.
#include "http/platform_file.h"

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
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

FileHandle PlatformFile::OpenForWriting(const std::string& path) {
    std::FILE* file = nullptr;
    if (fopen_s(&file, path.c_str(), "wb") != 0) return FileHandle();
    return FileHandle(file);
}

bool PlatformFile::Truncate(std::FILE* file) {
    return std::fflush(file) == 0 && _chsize_s(_fileno(file), 0) == 0;
}

int PlatformFile::SeekTo(std::FILE* file, std::int64_t offset) {
    return _fseeki64(file, offset, SEEK_SET);
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

int PlatformFile::SeekTo(std::FILE* file, std::int64_t offset) {
    return fseeko(file, static_cast<off_t>(offset), SEEK_SET);
}

#endif
