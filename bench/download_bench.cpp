// download_bench MODE URL FILE [N]: figures for HttpDownloader against a local server.
//   single URL FILE [repeats]  one transfer (thread count 1) against a bare libcurl transfer
//                              writing the same file, best of `repeats` each, interleaved: MB/s
//   parts URL FILE THREADS     one download with that thread count: seconds and parts used
//   bare URL FILE              the bare libcurl transfer alone: seconds
//   rss URL FILE               one download with the default thread count, then the peak
//                              resident memory of the process in KiB (native build only)
#include <curl/curl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "bench/timed_download.h"
#include "http/http_downloader.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/resource.h>
#endif

namespace {

using Clock = std::chrono::steady_clock;

struct Run {
    bool ok = false;
    double seconds = 0;
    int parts = 0;
};

// Starts a download and waits for its result callback.
Run Download(const std::string& url, const std::string& file, int threads) {
    HttpDownloader downloader;
    downloader.SetDownloadUrl(url);
    downloader.SetFilePath(file);
    if (threads > 0) downloader.SetThreadCount(threads);
    Run run;
    const double seconds = bench::TimedDownload(downloader);
    run.ok = seconds >= 0;
    run.seconds = run.ok ? seconds : 0;
    run.parts = downloader.GetThreadCount();
    return run;
}

size_t WriteFile(char* data, size_t size, size_t count, void* file) {
    return std::fwrite(data, size, count, static_cast<std::FILE*>(file));
}

// The same transfer on a bare easy handle writing the file sequentially, opening and closing
// it included as in the downloader; seconds or -1.
double BareDownload(const std::string& url, const std::string& file) {
    auto t0 = Clock::now();
    std::FILE* out = std::fopen(file.c_str(), "wb");
    if (!out) return -1;
    CURL* curl = curl_easy_init();
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &WriteFile);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, out);
    CURLcode rc = curl_easy_perform(curl);
    std::fclose(out);
    double seconds = std::chrono::duration<double>(Clock::now() - t0).count();
    curl_easy_cleanup(curl);
    return rc == CURLE_OK ? seconds : -1;
}

// User plus system time of the whole process so far: less disturbed by a busy machine than
// the wall clock.
double ProcessCpuSeconds() {
#ifdef _WIN32
    FILETIME created, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    auto seconds = [](const FILETIME& t) {
        return ((static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 1e7;
    };
    return seconds(kernel) + seconds(user);
#else
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
#endif
}

long FileSize(const std::string& file) {
    std::FILE* in = std::fopen(file.c_str(), "rb");
    if (!in) return -1;
    std::fseek(in, 0, SEEK_END);
    long size = std::ftell(in);
    std::fclose(in);
    return size;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: download_bench single|parts|rss URL FILE [N]\n");
        return 2;
    }
    const std::string mode = argv[1], url = argv[2], file = argv[3];
    const int n = argc > 4 ? std::atoi(argv[4]) : 0;
    curl_global_init(CURL_GLOBAL_ALL);
    int status = 0;

    if (mode == "single") {
        double best = 0, bestBare = 0, cpu = 1e9, cpuBare = 1e9;
        for (int i = 0; i < (n > 0 ? n : 3); ++i) {
            // Alternating which goes first, so neither always follows the other's clean-up.
            double bare = -1, bytes = 0;
            Run run;
            for (int turn = 0; turn < 2; ++turn) {
                const double cpu0 = ProcessCpuSeconds();
                if ((turn + i) % 2 == 0) {
                    bare = BareDownload(url, file);
                    bytes = static_cast<double>(FileSize(file));
                    cpuBare = std::min(cpuBare, ProcessCpuSeconds() - cpu0);
                } else {
                    run = Download(url, file, 1);
                    if (run.ok) bytes = static_cast<double>(FileSize(file));
                    cpu = std::min(cpu, ProcessCpuSeconds() - cpu0);
                }
                std::remove(file.c_str());
            }
            if (bare <= 0 || !run.ok) status = 1;
            if (bare > 0 && bytes / 1e6 / bare > bestBare) bestBare = bytes / 1e6 / bare;
            if (run.ok && bytes / 1e6 / run.seconds > best) best = bytes / 1e6 / run.seconds;
        }
        std::printf("single transfer, HttpDownloader: %7.1f MB/s  (CPU %.3f s)\n", best, cpu);
        std::printf("single transfer, bare libcurl:   %7.1f MB/s  (CPU %.3f s)\n", bestBare,
                    cpuBare);
        std::printf("HttpDownloader / bare:           %7.2f       (CPU %.2f)\n", best / bestBare,
                    cpu / cpuBare);
    } else if (mode == "parts") {
        Run run = Download(url, file, n);
        std::remove(file.c_str());
        if (!run.ok) status = 1;
        std::printf("%.2f %d\n", run.seconds, run.parts);
    } else if (mode == "bare") {
        double seconds = BareDownload(url, file);
        std::remove(file.c_str());
        if (seconds <= 0) status = 1;
        std::printf("%.2f\n", seconds);
    } else if (mode == "rss") {
        Run run = Download(url, file, 0);
        std::remove(file.c_str());
        if (!run.ok) status = 1;
#ifdef _WIN32
        std::printf("n/a\n");
#else
        rusage usage{};
        getrusage(RUSAGE_SELF, &usage);
        std::printf("%ld\n", usage.ru_maxrss);
#endif
    } else {
        status = 2;
    }
    curl_global_cleanup();
    return status;
}
