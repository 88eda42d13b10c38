// Helpers for downloader tests: a scratch folder, file reading, and a watch that records a
// download's callbacks and waits for it to end.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>

#include "http/http_downloader.h"

namespace dltest {

// A fresh folder under the system's temporary folder, removed with everything in it.
class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    // path + separator + name, as narrow text.
    std::string File(const std::string& name) const;

private:
    std::string path_;
};

bool Exists(const std::string& path);
bool IsDirectory(const std::string& path);
std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& content);

// Installs result and progress callbacks on a downloader and records what they saw. Must
// outlive the download it watches (wait for it before it goes).
class DownloadWatch {
public:
    explicit DownloadWatch(HttpDownloader& downloader);

    // Waits for the result callback and then for the worker to be idle; false on time-out.
    bool WaitForResult(std::chrono::seconds limit = std::chrono::seconds(60));
    // Waits only for the worker to be idle (for downloads that end without a callback).
    bool WaitForIdle(std::chrono::seconds limit = std::chrono::seconds(60));

    // Runs inside every progress report (under the downloader's lock); its result is the
    // callback's result.
    std::function<int(double total, double downloaded)> onProgress;
    // Runs inside the result callback, before it is recorded as arrived.
    std::function<void()> onResult;

    int resultCalls() const { return resultCalls_; }
    int id() const { return id_; }
    bool success() const { return success_; }
    const std::string& text() const { return text_; }
    int progressCalls() const { return progressCalls_; }
    double maxDownloaded() const { return maxDownloaded_; }
    double lastTotal() const { return lastTotal_; }
    bool progressOverlapped() const { return overlapped_; }
    void* progressUser() const { return progressUser_; }

private:
    HttpDownloader& downloader_;
    std::mutex mutex_;
    std::condition_variable arrived_;
    int resultCalls_ = 0;
    int id_ = -1;
    bool success_ = false;
    std::string text_;
    std::atomic<int> inProgress_{0};
    std::atomic<bool> overlapped_{false};
    int progressCalls_ = 0;
    double maxDownloaded_ = 0;
    double lastTotal_ = 0;
    void* progressUser_ = nullptr;
};

}  // namespace dltest
