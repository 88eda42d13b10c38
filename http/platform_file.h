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
    // Opens an existing file (or makes a new one) for binary writing without cutting it, with
    // the same sharing as OpenForWriting; null on failure.
    static FileHandle OpenForResuming(const std::string& path);
    // What was written to the file (not what waits in the stream's buffer, which is the
    // caller's to flush) on the disk itself, as a power cut would find it; false on failure.
    // Safe beside writes of other threads.
    static bool SyncData(std::FILE* file);
    // The file's length, or -1.
    static std::int64_t Size(const std::string& path);
    // Replaces path with text in one step: written and synced beside it first, then renamed
    // over it, so a reader finds the old text or the new, never a mixture.
    static bool ReplaceDurably(const std::string& path, const std::string& text);
    // Up to limit bytes of a small file; false when it cannot be read or is longer.
    static bool ReadSmall(const std::string& path, std::size_t limit, std::string& text);
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
