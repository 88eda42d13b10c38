// One download of the benchmarks, timed: from StartDownload until its result, on a downloader
// the caller has set up (URL, mirrors, file, connections). Waits until the worker is idle
// again, so the next download may start on it at once.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <string>
#include <thread>

#include "http/http_downloader.h"

namespace bench {

// Seconds until the result, or -1 when the download failed (its text on stderr) or did not
// start.
inline double TimedDownload(HttpDownloader& downloader) {
    std::mutex mutex;
    std::condition_variable done;
    bool finished = false, ok = false;
    downloader.SetResultCallback([&](int, bool success, const std::string& text) {
        if (!success) std::fprintf(stderr, "download failed: %s\n", text.c_str());
        std::lock_guard<std::mutex> guard(mutex);
        ok = success;
        finished = true;
        done.notify_all();
    });
    const auto t0 = std::chrono::steady_clock::now();
    if (!downloader.StartDownload()) return -1;
    {
        std::unique_lock<std::mutex> lock(mutex);
        while (!done.wait_for(lock, std::chrono::milliseconds(5), [&] { return finished; })) {
            if (!downloader.IsBusy()) break;
        }
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    while (downloader.IsBusy()) std::this_thread::yield();
    return ok ? seconds : -1;
}

}  // namespace bench
