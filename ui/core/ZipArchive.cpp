// CZipArchive: the central directory, entry look-up and inflating with zlib.
//
// Sections:
//   1. Little-endian fields and name comparison
//   2. Opening: end record and central directory
//   3. Reading an entry
#include "ui/core/ZipArchive.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <memory>

#include "ui/core/CodePage.h"

namespace SkinUI {

// ===========================================================================================
// 1. Little-endian fields and name comparison
// ===========================================================================================

namespace {

constexpr std::uint32_t kEndSignature = 0x06054b50;
constexpr std::uint32_t kCentralSignature = 0x02014b50;
constexpr std::uint32_t kLocalSignature = 0x04034b50;
constexpr std::size_t kEndSize = 22;
constexpr std::size_t kCentralSize = 46;
constexpr std::size_t kLocalSize = 30;
constexpr std::size_t kMaxComment = 0xFFFF;
// A central directory this large is not a skin archive; refusing it bounds the allocation.
constexpr std::uint32_t kMaxDirectory = 16u << 20;
constexpr std::uint16_t kFlagEncrypted = 0x0001;
constexpr std::uint16_t kFlagUtf8Name = 0x0800;
constexpr std::uint16_t kMethodStored = 0;
constexpr std::uint16_t kMethodDeflated = 8;

inline std::uint16_t Get16(const unsigned char* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

inline std::uint32_t Get32(const unsigned char* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

inline char FoldAscii(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

// Equal ignoring ASCII letter case; a double-byte character (whose trail byte may look like
// a letter) must match exactly.
bool EqualIgnoringCase(const char* a, const char* b) {
    while (*a != '\0' && *b != '\0') {
        const char* na = CharNextAnsi(a);
        const char* nb = CharNextAnsi(b);
        if (na - a != nb - b) return false;
        if (na - a == 1) {
            if (FoldAscii(*a) != FoldAscii(*b)) return false;
        } else if (std::memcmp(a, b, static_cast<std::size_t>(na - a)) != 0) {
            return false;
        }
        a = na;
        b = nb;
    }
    return *a == *b;
}

// Entry names flagged as UTF-8 are compared in the ANSI code page like the names asked for.
std::string NameToAnsi(const char* bytes, std::size_t length, bool utf8) {
    if (!utf8) return std::string(bytes, length);
    std::vector<char16_t> wide;
    std::unique_ptr<char[]> ansi;
    std::size_t ansiLength = 0;
    if (!Utf8ToUtf16(bytes, length, wide) ||
        !Utf16ToAnsi(wide.data(), wide.size(), ansi, ansiLength))
        return std::string(bytes, length);
    return std::string(ansi.get(), ansiLength);
}

}  // namespace

// ===========================================================================================
// 2. Opening: end record and central directory
// ===========================================================================================

bool CZipArchive::Open(const char* path) {
    Close();
    if (path == nullptr || !file_.Open(path)) return false;
    if (!ReadDirectory()) {
        Close();
        return false;
    }
    return true;
}

void CZipArchive::Close() {
    file_.Close();
    entries_.clear();
}

bool CZipArchive::ReadDirectory() {
    const std::uint64_t fileSize = file_.Size();
    if (fileSize < kEndSize) return false;

    // The end record sits in the last 22 bytes plus at most a 64 KiB comment.
    std::size_t tailSize =
        static_cast<std::size_t>(std::min<std::uint64_t>(fileSize, kEndSize + kMaxComment));
    std::vector<unsigned char> tail(tailSize);
    const std::uint64_t tailStart = fileSize - tailSize;
    if (file_.ReadAt(tailStart, tail.data(), tailSize) != tailSize) return false;

    const unsigned char* end = nullptr;
    for (std::size_t i = tailSize - kEndSize + 1; i-- > 0;) {
        const unsigned char* p = tail.data() + i;
        if (Get32(p) != kEndSignature) continue;
        // The comment length must account exactly for the bytes after the record.
        if (i + kEndSize + Get16(p + 20) != tailSize) continue;
        end = p;
        break;
    }
    if (end == nullptr) return false;
    const std::uint64_t endOffset = tailStart + static_cast<std::uint64_t>(end - tail.data());

    std::uint16_t disk = Get16(end + 4);
    std::uint16_t directoryDisk = Get16(end + 6);
    std::uint16_t entriesHere = Get16(end + 8);
    std::uint16_t entriesTotal = Get16(end + 10);
    std::uint32_t directorySize = Get32(end + 12);
    std::uint32_t directoryOffset = Get32(end + 16);
    // Spanned and zip64 archives are not skin archives.
    if (disk != 0 || directoryDisk != 0 || entriesHere != entriesTotal) return false;
    if (entriesTotal == 0xFFFF || directorySize == 0xFFFFFFFFu || directoryOffset == 0xFFFFFFFFu)
        return false;
    if (directorySize > kMaxDirectory) return false;
    if (std::uint64_t(directoryOffset) + directorySize > endOffset) return false;

    std::vector<unsigned char> directory(directorySize);
    if (directorySize != 0 &&
        file_.ReadAt(directoryOffset, directory.data(), directorySize) != directorySize)
        return false;

    entries_.clear();
    entries_.reserve(std::min<std::size_t>(entriesTotal, directorySize / kCentralSize));
    std::size_t pos = 0;
    for (unsigned n = 0; n < entriesTotal; ++n) {
        if (directorySize - pos < kCentralSize) return false;
        const unsigned char* h = directory.data() + pos;
        if (Get32(h) != kCentralSignature) return false;
        std::size_t nameLength = Get16(h + 28);
        std::size_t extraLength = Get16(h + 30);
        std::size_t commentLength = Get16(h + 32);
        std::size_t recordSize = kCentralSize + nameLength + extraLength + commentLength;
        if (directorySize - pos < recordSize) return false;
        Entry e;
        e.flags = Get16(h + 8);
        e.method = Get16(h + 10);
        e.crc = Get32(h + 16);
        e.compressedSize = Get32(h + 20);
        e.size = Get32(h + 24);
        e.localOffset = Get32(h + 42);
        e.name = NameToAnsi(reinterpret_cast<const char*>(h + kCentralSize), nameLength,
                            (e.flags & kFlagUtf8Name) != 0);
        entries_.push_back(std::move(e));
        pos += recordSize;
    }
    return true;
}

const char* CZipArchive::EntryName(int index) const {
    if (index < 0 || static_cast<std::size_t>(index) >= entries_.size()) return nullptr;
    return entries_[static_cast<std::size_t>(index)].name.c_str();
}

bool CZipArchive::FindEntry(const char* name, int& index, std::uint32_t& size) const {
    index = -1;
    size = 0;
    if (name == nullptr) return false;
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        // A name holding a NUL can never be asked for.
        if (std::strlen(entries_[i].name.c_str()) != entries_[i].name.size()) continue;
        if (EqualIgnoringCase(entries_[i].name.c_str(), name)) {
            index = static_cast<int>(i);
            size = entries_[i].size;
            return true;
        }
    }
    return false;
}

// ===========================================================================================
// 3. Reading an entry
// ===========================================================================================

int CZipArchive::Unzip(int index, void* buffer, std::size_t size) {
    if (!IsOpen() || index < 0 || static_cast<std::size_t>(index) >= entries_.size())
        return kBadArgument;
    if (buffer == nullptr && size != 0) return kBadArgument;
    const Entry& entry = entries_[static_cast<std::size_t>(index)];
    if ((entry.flags & kFlagEncrypted) != 0) return kUnsupported;
    std::uint64_t offset = 0;
    int result = DataOffset(entry, offset);
    if (result != kOk) return result;
    unsigned char* out = static_cast<unsigned char*>(buffer);
    if (entry.method == kMethodStored) return Copy(entry, offset, out, size);
    if (entry.method == kMethodDeflated) return Inflate(entry, offset, out, size);
    return kUnsupported;
}

// The data follows the local header, whose name and extra lengths may differ from the
// central directory's.
int CZipArchive::DataOffset(const Entry& entry, std::uint64_t& offset) {
    const std::uint64_t fileSize = file_.Size();
    if (std::uint64_t(entry.localOffset) + kLocalSize > fileSize) return kCorrupt;
    unsigned char h[kLocalSize];
    if (file_.ReadAt(entry.localOffset, h, kLocalSize) != kLocalSize) return kReadError;
    if (Get32(h) != kLocalSignature) return kCorrupt;
    offset = std::uint64_t(entry.localOffset) + kLocalSize + Get16(h + 26) + Get16(h + 28);
    if (offset + entry.compressedSize > fileSize) return kCorrupt;
    return kOk;
}

int CZipArchive::Copy(const Entry& entry, std::uint64_t offset, unsigned char* out,
                      std::size_t size) {
    if (entry.compressedSize != entry.size) return kCorrupt;
    std::size_t n = std::min<std::size_t>(size, entry.size);
    if (n != 0 && file_.ReadAt(offset, out, n) != n) return kReadError;
    if (n < entry.size) return kMoreData;
    uLong crc = crc32(0L, Z_NULL, 0);
    if (n != 0) crc = crc32(crc, out, static_cast<uInt>(n));
    return crc == entry.crc ? kOk : kCorrupt;
}

int CZipArchive::Inflate(const Entry& entry, std::uint64_t offset, unsigned char* out,
                         std::size_t size) {
    // Never write more than the entry claims, whatever the stream holds.
    const std::size_t limit = std::min<std::size_t>(size, entry.size);
    z_stream zs = {};
    if (inflateInit2(&zs, -MAX_WBITS) != Z_OK) return kCorrupt;
    struct Ender {
        z_stream* zs;
        ~Ender() { inflateEnd(zs); }
    } ender{&zs};

    unsigned char chunk[16384];
    std::uint32_t remaining = entry.compressedSize;
    unsigned char dummy = 0;
    zs.next_out = limit != 0 ? out : &dummy;
    zs.avail_out = static_cast<uInt>(limit);
    for (;;) {
        if (zs.avail_in == 0 && remaining != 0) {
            std::size_t n = std::min<std::size_t>(remaining, sizeof(chunk));
            if (file_.ReadAt(offset, chunk, n) != n) return kReadError;
            offset += n;
            remaining -= static_cast<std::uint32_t>(n);
            zs.next_in = chunk;
            zs.avail_in = static_cast<uInt>(n);
        }
        int ret = inflate(&zs, Z_NO_FLUSH);
        if (ret == Z_STREAM_END) break;
        if (ret != Z_OK && ret != Z_BUF_ERROR) return kCorrupt;
        if (ret == Z_BUF_ERROR) {
            // No progress: either the output is full or the input ran out.
            if (zs.avail_out == 0) return limit < entry.size ? kMoreData : kCorrupt;
            if (zs.avail_in == 0 && remaining == 0) return kCorrupt;
        }
    }
    if (zs.total_out != entry.size) return kCorrupt;
    uLong crc = crc32(0L, Z_NULL, 0);
    if (limit != 0) crc = crc32(crc, out, static_cast<uInt>(limit));
    return crc == entry.crc ? kOk : kCorrupt;
}

}  // namespace SkinUI
