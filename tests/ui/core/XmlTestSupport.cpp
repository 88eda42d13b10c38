// Helpers for the skin parser and zip reader tests.
#include "XmlTestSupport.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <dirent.h>
#include <unistd.h>

#include "ui/core/CodePage.h"
#endif

namespace xmltest {

namespace {

// LOADER_TEST_FIXTURES (a Unix path), else the folder CMake compiled in.
const char* FixturePath() {
    const char* dir = std::getenv("LOADER_TEST_FIXTURES");
    return dir != nullptr ? dir : XMLTEST_FIXTURES;
}

}  // namespace

#ifdef _WIN32

ScopedCodePage::ScopedCodePage(unsigned codePage) : active_(GetACP() == codePage) {}
ScopedCodePage::~ScopedCodePage() = default;

TempDir::TempDir() {
    char base[MAX_PATH];
    GetTempPathA(MAX_PATH, base);
    static unsigned counter = 0;
    for (;;) {
        char name[MAX_PATH];
        std::snprintf(name, sizeof(name), "%sxmltest-%lu-%u\\", base, GetCurrentProcessId(),
                      ++counter);
        if (CreateDirectoryA(name, nullptr)) {
            path_ = name;
            break;
        }
    }
}

TempDir::~TempDir() {
    WIN32_FIND_DATAA found;
    HANDLE h = FindFirstFileA((path_ + "*").c_str(), &found);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            DeleteFileA((path_ + found.cFileName).c_str());
        } while (FindNextFileA(h, &found));
        FindClose(h);
    }
    RemoveDirectoryA(path_.c_str());
}

std::string FixtureDir() {
    return std::string("Z:") + FixturePath() + "/";
}

int OpenFileCount() {
    return -1;
}

bool NothingHoldsOpen(const std::string& path, int) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    CloseHandle(h);
    return true;
}

#else

ScopedCodePage::ScopedCodePage(unsigned codePage) : previous_(SkinUI::GetHostAnsiCodePage()) {
    active_ = SkinUI::SetHostAnsiCodePage(codePage);
}

ScopedCodePage::~ScopedCodePage() {
    SkinUI::SetHostAnsiCodePage(previous_);
}

TempDir::TempDir() {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base != nullptr ? base : "/tmp") + "/xmltest-XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (mkdtemp(buffer.data()) != nullptr) path_ = std::string(buffer.data()) + "/";
}

TempDir::~TempDir() {
    if (DIR* d = opendir(path_.c_str())) {
        while (dirent* e = readdir(d)) {
            std::string name = e->d_name;
            if (name != "." && name != "..") unlink((path_ + name).c_str());
        }
        closedir(d);
    }
    rmdir(path_.c_str());
}

std::string FixtureDir() {
    return std::string(FixturePath()) + "/";
}

int OpenFileCount() {
    int count = 0;
    if (DIR* d = opendir("/proc/self/fd")) {
        while (readdir(d) != nullptr) ++count;
        closedir(d);
        return count;
    }
    return -1;
}

bool NothingHoldsOpen(const std::string&, int baseline) {
    return OpenFileCount() == baseline;
}

#endif

std::string TempDir::Write(const std::string& name, const std::string& data) const {
    std::string path = path_ + name;
    std::ofstream out(path, std::ios::binary);
    out.write(data.data(), static_cast<std::streamsize>(data.size()));
    return path;
}

}  // namespace xmltest
