// Driver that feeds every file of a corpus folder to a fuzz target once, so the host test
// tree replays seeds and past findings without libFuzzer.
#include <dirent.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

bool ReadFile(const std::string& path, std::vector<std::uint8_t>& out) {
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return false;
    std::uint8_t buffer[65536];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
        out.insert(out.end(), buffer, buffer + got);
    }
    std::fclose(file);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s CORPUS_DIR\n", argv[0]);
        return 2;
    }
    DIR* dir = opendir(argv[1]);
    if (!dir) {
        std::fprintf(stderr, "cannot open %s\n", argv[1]);
        return 2;
    }
    int count = 0;
    while (dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..") continue;
        std::vector<std::uint8_t> data;
        if (!ReadFile(std::string(argv[1]) + "/" + name, data)) continue;
        LLVMFuzzerTestOneInput(data.data(), data.size());
        ++count;
    }
    closedir(dir);
    std::printf("%d inputs replayed\n", count);
    return count > 0 ? 0 : 1;
}
