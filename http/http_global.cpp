// The process-wide libcurl set-up.
#include "http/http_global.h"

#include <chrono>

#include "http/download_helper.h"
#include "http/download_registry.h"
#include "http/http_lock.h"
#include "http/platform_thread.h"

namespace {

// How long the clean-up at exit waits for cancelled downloads to end.
constexpr unsigned kExitWaitMs = 2000;

}  // namespace

std::atomic<CURLSH*> HttpGlobal::share_{nullptr};
std::atomic<int> HttpGlobal::idCounter_{0};
std::atomic<int> HttpGlobal::running_{0};
std::atomic<bool> HttpGlobal::abandoned_{false};

HttpGlobal& HttpGlobal::Instance() {
    static HttpGlobal global;
    idCounter_.fetch_add(1, std::memory_order_relaxed);
    return global;
}

CURLSH* HttpGlobal::ShareHandle() {
    return share_.load();
}

int HttpGlobal::CurrentId() {
    return idCounter_.load(std::memory_order_relaxed);
}

void HttpGlobal::TransferStarted() {
    running_.fetch_add(1);
}

void HttpGlobal::TransferEnded() {
    running_.fetch_sub(1);
}

bool HttpGlobal::StopTransfers(unsigned waitMs) {
    {
        ScopedHttpLock guard(DownloadRegistry::Lock());
        for (const auto& worker : DownloadRegistry::List()) {
            if (worker) worker->RequestCancel();
        }
    }
    if (abandoned_) return running_.load() == 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
    while (running_.load() != 0) {
        if (std::chrono::steady_clock::now() >= deadline) {
            abandoned_ = true;
            return false;
        }
        PlatformThread::Sleep(10);
    }
    return true;
}

HttpGlobal::HttpGlobal() : shareLocks_(new ShareLocks) {
    for (auto& lock : shareLocks_->locks) lock = std::make_shared<HttpLock>();
    curl_global_init(CURL_GLOBAL_ALL);
    CURLSH* share = curl_share_init();
    if (share) {
        curl_share_setopt(share, CURLSHOPT_LOCKFUNC, &HttpGlobal::LockShare);
        curl_share_setopt(share, CURLSHOPT_UNLOCKFUNC, &HttpGlobal::UnlockShare);
        curl_share_setopt(share, CURLSHOPT_USERDATA, shareLocks_.get());
        curl_share_setopt(share, CURLSHOPT_SHARE, CURL_LOCK_DATA_DNS);
    }
    share_.store(share);
}

HttpGlobal::~HttpGlobal() {
    if (!StopTransfers(kExitWaitMs)) {
        // A transfer still runs and may yet use the share handle, its locks and libcurl's
        // global state: leave all of them in place, the process is ending anyway.
        shareLocks_.release();
        return;
    }
    CURLSH* share = share_.exchange(nullptr);
    if (share) curl_share_cleanup(share);
    curl_global_cleanup();
    DownloadRegistry::Clear();
}

void HttpGlobal::LockShare(CURL*, curl_lock_data data, curl_lock_access, void* user) {
    auto* locks = static_cast<ShareLocks*>(user);
    if (data >= 0 && data < CURL_LOCK_DATA_LAST) locks->locks[data]->Enter();
}

void HttpGlobal::UnlockShare(CURL*, curl_lock_data data, void* user) {
    auto* locks = static_cast<ShareLocks*>(user);
    if (data >= 0 && data < CURL_LOCK_DATA_LAST) locks->locks[data]->Leave();
}
