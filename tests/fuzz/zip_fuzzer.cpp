// libFuzzer target for the zip reader: the input is written as an archive file, opened,
// and every entry looked up by name and unzipped, whole and into a short buffer.
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "ui/core/ZipArchive.h"

using SkinUI::CZipArchive;

namespace {

// One scratch file per fuzzing process.
const std::string& ScratchPath() {
    static const std::string path = [] {
        const char* dir = std::getenv("TMPDIR");
        return std::string(dir != nullptr ? dir : "/tmp") + "/zip_fuzzer." +
               std::to_string(getpid()) + ".zip";
    }();
    return path;
}

bool WriteScratch(const std::uint8_t* data, std::size_t size) {
    std::FILE* f = std::fopen(ScratchPath().c_str(), "wb");
    if (f == nullptr) return false;
    bool ok = std::fwrite(data, 1, size, f) == size;
    return std::fclose(f) == 0 && ok;
}

bool KnownResult(int r) {
    return r == CZipArchive::kOk || r == CZipArchive::kMoreData || r == CZipArchive::kBadArgument ||
           r == CZipArchive::kReadError || r == CZipArchive::kCorrupt ||
           r == CZipArchive::kUnsupported;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (!WriteScratch(data, size)) return 0;
    CZipArchive zip;
    if (!zip.Open(ScratchPath().c_str())) return 0;
    // Sizes come from untrusted headers: cap what one input may make us allocate.
    constexpr std::uint32_t kCap = 256u << 10;
    std::vector<unsigned char> buffer;
    for (int i = 0; i < zip.EntryCount() && i < 64; ++i) {
        // Found by its own name: the index of this or another entry of that name (a name
        // holding a NUL is asked for by its part before the NUL).
        int index = -1;
        std::uint32_t entrySize = 0;
        if (zip.FindEntry(zip.EntryName(i), index, entrySize) &&
            (index < 0 || index >= zip.EntryCount()))
            std::abort();
        // Whole, into a buffer of the claimed size as the parser allocates it.
        buffer.resize(std::min(entrySize, kCap) + 1);
        int whole = zip.Unzip(index < 0 ? i : index, buffer.data(), buffer.size() - 1);
        unsigned char small[7];
        int part = zip.Unzip(i, small, sizeof(small));
        if (!KnownResult(whole) || !KnownResult(part)) std::abort();
    }
    zip.Close();
    return 0;
}
