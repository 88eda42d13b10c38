// patchday_bench MODE ...: figures for the loader's behaviour on a patch day.
//   storm URL N           N version queries started at once, each with the loader's bounds
//                         (15 s to connect, 15 s stalled, 30 s in all), against URL (the
//                         script points it at a service that answers 503 with Retry-After
//                         for a while); prints "<ok> <seconds>" (the server counts requests)
//   failover BAD GOOD FILE [repeats]
//                         the package from GOOD alone against BAD first with GOOD as its
//                         mirror, best of `repeats` each, interleaved: seconds and the ratio
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "bench/timed_download.h"
#include "http/http_downloader.h"
#include "http/http_request.h"

namespace {

using Clock = std::chrono::steady_clock;

double Since(Clock::time_point t0) {
    return std::chrono::duration<double>(Clock::now() - t0).count();
}

int Storm(const std::string& url, int count) {
    std::atomic<int> ok{0};
    std::vector<std::thread> loaders;
    const auto t0 = Clock::now();
    for (int k = 0; k < count; ++k) {
        loaders.emplace_back([&ok, &url, k] {
            HttpRequest request;
            request.SetRequestUrl(url + "&loader=" + std::to_string(k));
            request.SetBounds(15000, 15, 30000);
            request.SetResultCallback([&ok](int, bool success, const std::string&) {
                if (success) ++ok;
            });
            request.PerformRequest();
        });
    }
    for (std::thread& loader : loaders) loader.join();
    std::printf("%d %.2f\n", ok.load(), Since(t0));
    return ok.load() == count ? 0 : 1;
}

// Seconds for one download (thread count 1, as the loader's default), or -1.
double Download(const std::string& url, const std::vector<std::string>& mirrors,
                const std::string& file) {
    HttpDownloader downloader;
    downloader.SetDownloadUrl(url);
    downloader.SetMirrorUrls(mirrors);
    downloader.SetFilePath(file);
    downloader.SetThreadCount(1);
    return bench::TimedDownload(downloader);
}

int Failover(const std::string& bad, const std::string& good, const std::string& file,
             int repeats) {
    double alone = 1e9, failing = 1e9;
    for (int i = 0; i < repeats; ++i) {
        const double a = Download(good, {}, file);
        const double b = Download(bad, {good}, file);
        if (a < 0 || b < 0) return 1;
        alone = std::min(alone, a);
        failing = std::min(failing, b);
    }
    std::printf(
        "good host alone: %.3f s; first host failing, then the good one: %.3f s; "
        "ratio %.3f\n",
        alone, failing, failing / alone);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "storm" && argc == 4) return Storm(argv[2], std::atoi(argv[3]));
    if (mode == "failover" && argc >= 5) {
        return Failover(argv[2], argv[3], argv[4], argc > 5 ? std::atoi(argv[5]) : 3);
    }
    std::fprintf(stderr, "usage: patchday_bench storm URL N | failover BAD GOOD FILE [repeats]\n");
    return 2;
}
