// The process-wide libcurl set-up.
#include "http/http_global.h"

#include "http/download_registry.h"
#include "http/http_lock.h"

std::atomic<CURLSH*> HttpGlobal::share_{nullptr};
std::atomic<int> HttpGlobal::idCounter_{0};

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

HttpGlobal::HttpGlobal() {
    for (auto& lock : shareLocks_) lock = std::make_shared<HttpLock>();
    curl_global_init(CURL_GLOBAL_ALL);
    CURLSH* share = curl_share_init();
    if (share) {
        curl_share_setopt(share, CURLSHOPT_LOCKFUNC, &HttpGlobal::LockShare);
        curl_share_setopt(share, CURLSHOPT_UNLOCKFUNC, &HttpGlobal::UnlockShare);
        curl_share_setopt(share, CURLSHOPT_USERDATA, this);
        curl_share_setopt(share, CURLSHOPT_SHARE, CURL_LOCK_DATA_DNS);
    }
    share_.store(share);
}

HttpGlobal::~HttpGlobal() {
    CURLSH* share = share_.exchange(nullptr);
    if (share) curl_share_cleanup(share);
    curl_global_cleanup();
    DownloadRegistry::Clear();
}

void HttpGlobal::LockShare(CURL*, curl_lock_data data, curl_lock_access, void* user) {
    auto* self = static_cast<HttpGlobal*>(user);
    if (data >= 0 && data < CURL_LOCK_DATA_LAST) self->shareLocks_[data]->Enter();
}

void HttpGlobal::UnlockShare(CURL*, curl_lock_data data, void* user) {
    auto* self = static_cast<HttpGlobal*>(user);
    if (data >= 0 && data < CURL_LOCK_DATA_LAST) self->shareLocks_[data]->Leave();
}
