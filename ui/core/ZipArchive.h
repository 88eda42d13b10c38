// A minimal reader of zip archives holding skin files: open by path, find an entry ignoring
// letter case, inflate an entry (stored or deflated) into a caller buffer, close. Archives
// are untrusted: every header field is checked against the file before it is used.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "ui/core/ReadOnlyFile.h"

namespace SkinUI {

class CZipArchive {
public:
    // Results of Unzip.
    static constexpr int kOk = 0;
    static constexpr int kMoreData = 0x600;       // the buffer was filled; the entry holds more
    static constexpr int kBadArgument = 0x10000;  // not open, bad index or no buffer
    static constexpr int kReadError = 0x10001;    // the archive could not be read
    static constexpr int kCorrupt = 0x10002;      // inconsistent headers, bad data or CRC
    static constexpr int kUnsupported = 0x10003;  // encrypted or an unknown method

    CZipArchive() = default;
    CZipArchive(const CZipArchive&) = delete;
    CZipArchive& operator=(const CZipArchive&) = delete;

    // Opens the archive and reads its central directory; false when the file is missing or
    // is not a readable single-disk zip archive. Closes any archive open before.
    bool Open(const char* path);
    void Close();
    bool IsOpen() const { return file_.IsOpen(); }

    int EntryCount() const { return static_cast<int>(entries_.size()); }
    // Name of entry `index` in the ANSI code page; null when out of range.
    const char* EntryName(int index) const;
    // Finds the first entry called `name`, ignoring ASCII letter case (double-byte
    // characters compare exactly); gives its index and uncompressed size.
    bool FindEntry(const char* name, int& index, std::uint32_t& size) const;

    // Inflates entry `index` into `buffer`: kOk when the whole entry fitted (its CRC
    // checked), kMoreData when `size` bytes were filled and the entry is longer (a later
    // call starts again from the entry's beginning), another result on failure.
    int Unzip(int index, void* buffer, std::size_t size);

private:
    struct Entry {
        std::string name;  // in the ANSI code page
        std::uint16_t flags;
        std::uint16_t method;
        std::uint32_t crc;
        std::uint32_t compressedSize;
        std::uint32_t size;
        std::uint32_t localOffset;
    };

    bool ReadDirectory();
    int DataOffset(const Entry& entry, std::uint64_t& offset);
    int Inflate(const Entry& entry, std::uint64_t offset, unsigned char* out, std::size_t size);
    int Copy(const Entry& entry, std::uint64_t offset, unsigned char* out, std::size_t size);

    CReadOnlyFile file_;
    std::vector<Entry> entries_;
};

}  // namespace SkinUI
