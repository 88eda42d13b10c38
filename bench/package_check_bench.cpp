// package_check_bench URL FILE [repeats]: what the package check costs against the download
// it follows. Downloads URL into FILE as the loader does (HttpDownloader, one connection),
// then holds the file and hashes it with the loader's own check (CNG SHA-256), best of
// `repeats` each. Prints: download seconds, check seconds, check / download, and the check's
// processor seconds (less disturbed by a busy machine than the wall clock).
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "bench/timed_download.h"
#include "http/http_downloader.h"
#include "loader/held_package.h"

namespace {

using Clock = std::chrono::steady_clock;

// Seconds of one download, or -1 when it failed.
double Download(const std::string& url, const std::string& file) {
    HttpDownloader downloader;
    downloader.SetDownloadUrl(url);
    downloader.SetFilePath(file);
    downloader.SetThreadCount(1);
    return bench::TimedDownload(downloader);
}

double ProcessCpuSeconds() {
    FILETIME created, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    auto seconds = [](const FILETIME& t) {
        return ((static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 1e7;
    };
    return seconds(kernel) + seconds(user);
}

// Seconds of holding and hashing file, or -1; cpu receives the processor seconds.
double Check(const std::string& file, double& cpu) {
    const double cpu0 = ProcessCpuSeconds();
    const auto t0 = Clock::now();
    HeldPackage package;
    loader::Sha256Digest digest;
    if (!package.Hold(file) || !package.ComputeSha256(digest)) return -1;
    cpu = ProcessCpuSeconds() - cpu0;
    return std::chrono::duration<double>(Clock::now() - t0).count();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: package_check_bench URL FILE [repeats]\n");
        return 2;
    }
    const int repeats = argc > 3 ? std::atoi(argv[3]) : 3;
    double download = 1e9, check = 1e9, checkCpu = 1e9;
    for (int i = 0; i < repeats; ++i) {
        double cpu = 0;
        const double d = Download(argv[1], argv[2]);
        const double c = Check(argv[2], cpu);
        if (d < 0 || c < 0) return 1;
        if (d < download) download = d;
        if (c < check) check = c;
        if (cpu < checkCpu) checkCpu = cpu;
    }
    std::printf("%.3f %.3f %.3f %.3f\n", download, check, check / download, checkCpu);
    return 0;
}
