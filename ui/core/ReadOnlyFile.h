// A file opened for reading only (shared for reading, existing files only), for the skin
// parser and the zip reader. Windows uses CreateFileA; the host build uses POSIX files.
#pragma once

#include <cstddef>
#include <cstdint>

namespace SkinUI {

class CReadOnlyFile {
public:
    CReadOnlyFile() = default;
    ~CReadOnlyFile();
    CReadOnlyFile(const CReadOnlyFile&) = delete;
    CReadOnlyFile& operator=(const CReadOnlyFile&) = delete;

    // Opens an existing file by its narrow (ANSI) path; closes any file open before.
    bool Open(const char* path);
    void Close();
    bool IsOpen() const;

    // Size at the time of opening.
    std::uint64_t Size() const { return size_; }

    // Reads up to `count` bytes at `offset`; returns the number of bytes read (fewer at the
    // end of the file or on a read error).
    std::size_t ReadAt(std::uint64_t offset, void* buffer, std::size_t count);

private:
#ifdef _WIN32
    void* handle_ = nullptr;  // HANDLE; null when closed
#else
    int fd_ = -1;
#endif
    std::uint64_t size_ = 0;
};

}  // namespace SkinUI
