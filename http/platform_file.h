// The downloader's file calls behind one small seam: DeleteFileA, MoveFileExA, fopen_s and
// _fseeki64 in the Windows build, their POSIX equivalents in the native build. Offsets are
// 64-bit so resources of 2 GiB and more are positioned correctly in the 32-bit program.
#pragma once

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
    // Opens for binary writing, truncating; null on failure.
    static FileHandle OpenForWriting(const std::string& path);
    // Flushes the stream and cuts the file to length 0; false when that failed.
    static bool Truncate(std::FILE* file);
    // Positions the stream from its start; 0 on success, like fseek.
    static int SeekTo(std::FILE* file, std::int64_t offset);
};
