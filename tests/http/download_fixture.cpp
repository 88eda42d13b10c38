// Helpers for downloader tests.
#include "tests/http/download_fixture.h"

#include <filesystem>
#include <fstream>
#include <thread>

#include "support/test_env.h"

namespace dltest {

namespace fs = std::filesystem;

ScratchDir::ScratchDir() {
    fs::path dir = fs::temp_directory_path() / testenv::UniqueToken("loader-dl");
    fs::create_directories(dir);
    path_ = dir.string();
}

ScratchDir::~ScratchDir() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
}

std::string ScratchDir::File(const std::string& name) const {
    return (fs::path(path_) / name).string();
}

bool Exists(const std::string& path) {
    std::error_code ignored;
    return fs::exists(path, ignored);
}

bool IsDirectory(const std::string& path) {
    std::error_code ignored;
    return fs::is_directory(path, ignored);
}

std::string ReadFile(const std::string& path) {
    // One read of the whole file: byte-wise iteration is slow under the sanitizers.
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in) return std::string();
    std::string data(static_cast<size_t>(in.tellg()), '\0');
    in.seekg(0);
    in.read(&data[0], static_cast<std::streamsize>(data.size()));
    return data;
}

void WriteFile(const std::string& path, const std::string& content) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
}

DownloadWatch::DownloadWatch(HttpDownloader& downloader) : downloader_(downloader) {
    downloader_.SetResultCallback([this](int id, bool success, const std::string& text) {
        if (onResult) onResult();
        std::lock_guard<std::mutex> guard(mutex_);
        ++resultCalls_;
        id_ = id;
        success_ = success;
        text_ = text;
        arrived_.notify_all();
    });
    downloader_.SetProgressCallback([this](double total, double downloaded, void* user) {
        if (inProgress_.fetch_add(1) != 0) overlapped_ = true;
        ++progressCalls_;
        if (downloaded > maxDownloaded_) maxDownloaded_ = downloaded;
        lastTotal_ = total;
        progressUser_ = user;
        int result = onProgress ? onProgress(total, downloaded) : 0;
        std::this_thread::yield();
        inProgress_.fetch_sub(1);
        return result;
    });
}

bool DownloadWatch::WaitForResult(std::chrono::seconds limit) {
    {
        std::unique_lock<std::mutex> lock(mutex_);
        if (!arrived_.wait_for(lock, limit, [this] { return resultCalls_ > 0; })) return false;
    }
    return WaitForIdle(limit);
}

bool DownloadWatch::WaitForIdle(std::chrono::seconds limit) {
    auto deadline = std::chrono::steady_clock::now() + limit;
    while (downloader_.IsBusy()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

}  // namespace dltest
