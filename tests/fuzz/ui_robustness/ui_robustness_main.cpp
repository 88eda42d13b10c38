// The robustness run of the UI framework: mutated skins and markup texts, derived from seed
// files, through the skin builder with a manager, layout, painting and the mouse, and through
// measuring and drawing markup text. Input number i is made from its number alone, so any
// finding can be written out again with --save.
//
//   ui_robustness --inputs N [--first I] [--key K] [--limit-ms MS] [--findings DIR]
//                 [--resources DIR] [--save I] seed-file-or-folder...
//
// Seeds ending in ".xml" are skins, all others markup texts. A watchdog thread turns an input
// that runs longer than the limit into a finding; a crash is reported by the unhandled-
// exception filter. Both write the input into the findings folder, name its number and end
// the process with a non-zero status.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "CMutator.h"
#include "CUiExercise.h"
#include "ui/core/CWindowManagerUI.h"

using uirobust::CMutator;
using uirobust::CUiExercise;

namespace {

struct TSeed {
    std::string name;
    std::string bytes;
    bool skin = false;
};

// What the watchdog and the crash filter need: the running input, kept outside the heap
// allocations they must not make.
struct TRunning {
    volatile LONG active = 0;  // an input is running
    volatile LONG index = -1;  // its number; -1 - k for seed k run as it is
    volatile DWORD started = 0;
    const std::string* input = nullptr;
    bool skin = false;
    char findings[MAX_PATH] = ".";
    DWORD limitMs = 10000;
};
TRunning g_running;

std::string WindowsPath(const std::string& path) {
    return !path.empty() && path[0] == '/' ? "Z:" + path : path;
}

bool ReadFile(const std::string& path, std::string& bytes) {
    FILE* f = std::fopen(WindowsPath(path).c_str(), "rb");
    if (f == nullptr) return false;
    char buffer[65536];
    size_t n;
    bytes.clear();
    while ((n = std::fread(buffer, 1, sizeof(buffer), f)) > 0) bytes.append(buffer, n);
    std::fclose(f);
    return true;
}

bool EndsWith(const std::string& s, const char* suffix) {
    const size_t n = std::strlen(suffix);
    return s.size() >= n && s.compare(s.size() - n, n, suffix) == 0;
}

void AddSeeds(const std::string& path, std::vector<TSeed>& seeds) {
    const std::string windows = WindowsPath(path);
    const DWORD attributes = ::GetFileAttributesA(windows.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        std::fprintf(stderr, "no seed at %s\n", path.c_str());
        return;
    }
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        TSeed seed;
        seed.name = path;
        seed.skin = EndsWith(path, ".xml");
        if (ReadFile(path, seed.bytes)) seeds.push_back(seed);
        return;
    }
    WIN32_FIND_DATAA found;
    HANDLE find = ::FindFirstFileA((windows + "\\*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return;
    std::vector<std::string> names;
    do {
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
            names.push_back(found.cFileName);
    } while (::FindNextFileA(find, &found));
    ::FindClose(find);
    std::sort(names.begin(), names.end());  // the same numbering on every run
    for (const auto& name : names) AddSeeds(path + "/" + name, seeds);
}

// Writes the running input as <findings>/<reason>-<index>.<xml|txt>; no heap use.
void WriteFinding(const char* reason) {
    char path[MAX_PATH + 64];
    std::snprintf(path, sizeof(path), "%s\\%s-%ld.%s", g_running.findings, reason,
                  static_cast<long>(g_running.index), g_running.skin ? "xml" : "txt");
    HANDLE file = ::CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        DWORD written = 0;
        if (g_running.input != nullptr)
            ::WriteFile(file, g_running.input->data(), static_cast<DWORD>(g_running.input->size()),
                        &written, nullptr);
        ::CloseHandle(file);
    }
    std::fprintf(stderr, "FINDING %s: input %ld (%s) written to %s\n", reason,
                 static_cast<long>(g_running.index), g_running.skin ? "skin" : "markup", path);
    std::fflush(stderr);
}

LONG WINAPI OnCrash(EXCEPTION_POINTERS* info) {
    std::fprintf(stderr, "exception 0x%08lX at %p\n",
                 static_cast<unsigned long>(info->ExceptionRecord->ExceptionCode),
                 info->ExceptionRecord->ExceptionAddress);
    WriteFinding("crash");
    ::TerminateProcess(::GetCurrentProcess(), 3);
    return EXCEPTION_EXECUTE_HANDLER;
}

DWORD WINAPI Watchdog(void*) {
    for (;;) {
        ::Sleep(200);
        const LONG index = g_running.index;
        if (!g_running.active) continue;
        if (::GetTickCount() - g_running.started > g_running.limitMs && g_running.active &&
            g_running.index == index) {
            WriteFinding("hang");
            ::TerminateProcess(::GetCurrentProcess(), 2);
        }
    }
}

// Input i: a seed picked and damaged, all from i and the run's key.
std::string MakeInput(const std::vector<TSeed>& seeds, const std::vector<std::string>& pool,
                      uint64_t key, long index, bool& skin, uint32_t& variant) {
    CMutator mutator(key ^ (static_cast<uint64_t>(index) << 20) ^ static_cast<uint64_t>(index));
    const TSeed& seed = seeds[mutator.Below(static_cast<uint32_t>(seeds.size()))];
    skin = seed.skin;
    variant = mutator.Next();
    // One input in sixteen is the seed itself, so the seeds stay checked too.
    if (mutator.Below(16) == 0) return seed.bytes;
    return mutator.Mutate(seed.bytes, pool, skin ? 64 * 1024 : 16 * 1024);
}

}  // namespace

int main(int argc, char** argv) {
    long inputs = 1000;
    long first = 0;
    long save = -1;
    uint64_t key = 1;
    std::string resources;
    std::vector<TSeed> seeds;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool more = i + 1 < argc;
        if (arg == "--inputs" && more) {
            inputs = std::atol(argv[++i]);
        } else if (arg == "--first" && more) {
            first = std::atol(argv[++i]);
        } else if (arg == "--key" && more) {
            key = std::strtoull(argv[++i], nullptr, 10);
        } else if (arg == "--limit-ms" && more) {
            g_running.limitMs = static_cast<DWORD>(std::atol(argv[++i]));
        } else if (arg == "--findings" && more) {
            std::snprintf(g_running.findings, sizeof(g_running.findings), "%s",
                          WindowsPath(argv[++i]).c_str());
        } else if (arg == "--resources" && more) {
            resources = WindowsPath(argv[++i]);
        } else if (arg == "--save" && more) {
            save = std::atol(argv[++i]);
        } else {
            AddSeeds(arg, seeds);
        }
    }
    if (seeds.empty()) {
        std::fprintf(stderr, "no seeds\n");
        return 1;
    }
    // The loader's own skin, from this program's resources, is a seed as well.
    if (HRSRC found = ::FindResourceA(nullptr, MAKEINTRESOURCEA(130), "XML")) {
        TSeed seed;
        seed.name = "resource 130";
        seed.skin = true;
        seed.bytes.assign(static_cast<const char*>(::LockResource(::LoadResource(nullptr, found))),
                          ::SizeofResource(nullptr, found));
        seeds.push_back(seed);
    }
    std::vector<std::string> pool;
    for (const auto& seed : seeds) pool.push_back(seed.bytes);
    if (!resources.empty()) {
        if (resources.back() != '\\' && resources.back() != '/') resources += '\\';
        SkinUI::CWindowManagerUI::SetResourcePath(resources);
    }

    if (save >= 0) {
        bool skin = false;
        uint32_t variant = 0;
        const std::string input = MakeInput(seeds, pool, key, save, skin, variant);
        g_running.index = save;
        g_running.input = &input;
        g_running.skin = skin;
        WriteFinding("saved");
        return 0;
    }

    CUiExercise exercise;
    if (!exercise.Ready()) {
        std::fprintf(stderr, "no window or device context\n");
        return 1;
    }
    ::SetUnhandledExceptionFilter(&OnCrash);
    ::CreateThread(nullptr, 0, &Watchdog, nullptr, 0, nullptr);
    long skins = 0, texts = 0;
    DWORD slowest = 0;
    long slowestIndex = -1;
    const DWORD began = ::GetTickCount();
    auto run = [&](long index, const std::string& input, bool skin, uint32_t variant) {
        g_running.input = &input;
        g_running.skin = skin;
        g_running.index = index;
        g_running.started = ::GetTickCount();
        g_running.active = 1;
        if (skin) {
            exercise.Skin(input, variant);
            ++skins;
        } else {
            exercise.Markup(input, variant);
            ++texts;
        }
        g_running.active = 0;
        const DWORD took = ::GetTickCount() - g_running.started;
        if (took > slowest) {
            slowest = took;
            slowestIndex = index;
        }
    };
    // Every seed as it is first, in a few variants, so past findings stay checked.
    for (size_t k = 0; k < seeds.size(); ++k)
        for (uint32_t variant = 0; variant < 8; ++variant)
            run(-1 - static_cast<long>(k), seeds[k].bytes, seeds[k].skin, variant * 13);
    for (long index = first; index < first + inputs; ++index) {
        bool skin = false;
        uint32_t variant = 0;
        const std::string input = MakeInput(seeds, pool, key, index, skin, variant);
        run(index, input, skin, variant);
        if ((index - first + 1) % 5000 == 0) {
            std::printf("%ld inputs (%ld skins, %ld markup texts), %lu s\n", index - first + 1,
                        skins, texts,
                        static_cast<unsigned long>((::GetTickCount() - began) / 1000));
            std::fflush(stdout);
        }
    }
    std::printf(
        "done: %ld inputs (%ld skins, %ld markup texts: the %zu seeds 8 times each, then %ld "
        "mutated) in %lu s; slowest input %ld took %lu ms; no findings\n",
        skins + texts, skins, texts, seeds.size(), inputs,
        static_cast<unsigned long>((::GetTickCount() - began) / 1000), slowestIndex,
        static_cast<unsigned long>(slowest));
    return 0;
}
