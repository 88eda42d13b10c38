// The downloader's file calls behind one small seam: DeleteFileA, MoveFileExA, CreateFileA and
// _fseeki64 in the Windows build, their POSIX equivalents in the native build. Offsets are
// 64-bit so resources of 2 GiB and more are positioned correctly in the 32-bit program.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

struct FileCloser {
    void operator()(std::FILE* file) const {
        if (file) std::fclose(file);
    }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

class PlatformFile {
public:
    // True when the file is gone afterwards for this call's doing.
    static bool Delete(const std::string& path);
    // Renames from onto to, replacing an existing file; false when it did not happen.
    static bool MoveReplacing(const std::string& from, const std::string& to);
    // Opens for binary writing, truncating; null on failure. Until it is closed, no other
    // handle may write to the file (Windows), so what is hashed as it is written stays so.
    static FileHandle OpenForWriting(const std::string& path);
    // Flushes the stream and cuts the file to length 0; false when that failed.
    static bool Truncate(std::FILE* file);
    // Positions the stream from its start; 0 on success, like fseek.
    static int SeekTo(std::FILE* file, std::int64_t offset);
};

// Reads a file at given offsets through a handle of its own, beside a writer that holds it
// open (the file's position, which the writer's stream relies on, is never moved).
class FileReader {
public:
    FileReader() = default;
    ~FileReader() { Close(); }
    FileReader(const FileReader&) = delete;
    FileReader& operator=(const FileReader&) = delete;

    bool Open(const std::string& path);
    void Close();
    // Bytes read into buffer (0 at the end), or -1 on an error.
    long long ReadAt(std::int64_t offset, void* buffer, std::size_t size);

private:
    std::intptr_t handle_ = -1;  // a HANDLE in the Windows build, a descriptor elsewhere
};
