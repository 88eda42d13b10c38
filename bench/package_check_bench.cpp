// package_check_bench URL FILE [repeats]: what the package check costs against the download.
// Downloads URL into FILE as the loader does (HttpDownloader, one connection): plainly; then
// hashed while downloading, held and checked as the loader does; and, for comparison, the
// check of the whole file after its download (CNG SHA-256 of the held file). Best of
// `repeats` each, interleaved. Prints: download seconds, verified download seconds, their
// ratio, the after-download check's seconds and its processor seconds.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "bench/timed_download.h"
#include "http/http_downloader.h"
#include "loader/held_package.h"

namespace {

using Clock = std::chrono::steady_clock;

double ProcessCpuSeconds() {
    FILETIME created, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    auto seconds = [](const FILETIME& t) {
        return ((static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 1e7;
    };
    return seconds(kernel) + seconds(user);
}

// Seconds of one download, or -1 when it failed. With verify, hashed while it downloads and
// then held and checked as the loader checks it (digest receives the hash).
double Download(const std::string& url, const std::string& file, bool verify,
                Sha256Digest& digest) {
    HttpDownloader downloader;
    downloader.SetDownloadUrl(url);
    downloader.SetFilePath(file);
    downloader.SetThreadCount(1);
    downloader.SetHashWhileDownloading(verify);
    const auto t0 = Clock::now();
    if (bench::TimedDownload(downloader) < 0) return -1;
    if (verify) {
        HeldPackage package;
        if (!package.Hold(file) || !downloader.GetSha256(digest) ||
            package.Size() != static_cast<long long>(downloader.GetDownloadedBytes())) {
            return -1;
        }
    }
    return std::chrono::duration<double>(Clock::now() - t0).count();
}

// Seconds of holding and hashing file after its download, or -1; cpu receives the processor
// seconds.
double Check(const std::string& file, double& cpu, loader::Sha256Digest& digest) {
    const double cpu0 = ProcessCpuSeconds();
    const auto t0 = Clock::now();
    HeldPackage package;
    if (!package.Hold(file) || !package.ComputeSha256(digest)) return -1;
    cpu = ProcessCpuSeconds() - cpu0;
    return std::chrono::duration<double>(Clock::now() - t0).count();
}

}  // namespace

// Resuming: a download with a record kept every 2 s against the same download without
// (the records' cost), and the bytes a run fetches after one that stopped at 60 %.
int Resume(const std::string& url, const std::string& file, int repeats) {
    const std::string partial = file + ".part", record = file + ".state";
    double plain = 1e9, kept = 1e9;
    // Which goes first alternates: here the disk is slower for the download after another.
    for (int i = 0; i < repeats; ++i) {
        for (int turn = 0; turn < 2; ++turn) {
            const bool withRecords = (turn + i) % 2 == 1;
            HttpDownloader downloader;
            downloader.SetDownloadUrl(url);
            downloader.SetFilePath(file);
            if (withRecords) downloader.SetResume(partial, record, "bench");
            const double seconds = bench::TimedDownload(downloader);
            if (seconds < 0) return 1;
            double& best = withRecords ? kept : plain;
            best = std::min(best, seconds);
        }
    }
    // Stopped at 60 % (as a closed window stops it), then finished by a second run.
    HttpDownloader first;
    first.SetDownloadUrl(url);
    first.SetFilePath(file);
    first.SetResume(partial, record, "bench");
    first.SetProgressCallback(
        [](double total, double done, void*) { return total > 0 && done >= 0.6 * total ? 1 : 0; });
    bench::TimedDownload(first);
    HttpDownloader second;
    second.SetDownloadUrl(url);
    second.SetFilePath(file);
    second.SetResume(partial, record, "bench");
    if (bench::TimedDownload(second) < 0) return 1;
    const double total = second.GetTotalSize() > 0 ? second.GetTotalSize() : 1;
    long long keptBytes = 0, fetchedBytes = 0;
    std::sscanf(second.GetResumeText().c_str(),
                "resumed: %lld bytes kept from an earlier run, %lld", &keptBytes, &fetchedBytes);
    std::printf("%.3f %.3f %.4f %.3f %.3f\n", plain, kept, kept / plain,
                static_cast<double>(keptBytes) / total, static_cast<double>(fetchedBytes) / total);
    return 0;
}

int main(int argc, char** argv) {
    if (argc > 3 && std::string(argv[1]) == "resume") {
        return Resume(argv[2], argv[3], argc > 4 ? std::atoi(argv[4]) : 3);
    }
    if (argc < 3) {
        std::fprintf(stderr, "usage: package_check_bench [resume] URL FILE [repeats]\n");
        return 2;
    }
    const int repeats = argc > 3 ? std::atoi(argv[3]) : 3;
    double download = 1e9, verified = 1e9, check = 1e9, checkCpu = 1e9;
    for (int i = 0; i < repeats; ++i) {
        double cpu = 0;
        Sha256Digest streamed{};
        loader::Sha256Digest whole{};
        const double d = Download(argv[1], argv[2], false, streamed);
        const double c = Check(argv[2], cpu, whole);
        const double v = Download(argv[1], argv[2], true, streamed);
        if (d < 0 || c < 0 || v < 0) return 1;
        if (streamed != whole) {
            std::fprintf(stderr, "the hash made while downloading differs from the file's\n");
            return 1;
        }
        download = std::min(download, d);
        verified = std::min(verified, v);
        check = std::min(check, c);
        checkCpu = std::min(checkCpu, cpu);
    }
    std::printf("%.3f %.3f %.3f %.3f %.3f\n", download, verified, verified / download, check,
                checkCpu);
    return 0;
}
