// The downloader's lock and its scope guard.
#include "http/http_lock.h"

#include <utility>

#ifdef _WIN32

HttpLock::HttpLock() {
    InitializeCriticalSection(&section_);
}
HttpLock::~HttpLock() {
    DeleteCriticalSection(&section_);
}
void HttpLock::Enter() {
    EnterCriticalSection(&section_);
}
void HttpLock::Leave() {
    LeaveCriticalSection(&section_);
}

#else

HttpLock::HttpLock() = default;
HttpLock::~HttpLock() = default;
void HttpLock::Enter() {
    mutex_.lock();
}
void HttpLock::Leave() {
    mutex_.unlock();
}

#endif

ScopedHttpLock::ScopedHttpLock(std::shared_ptr<HttpLock> lock) : lock_(std::move(lock)) {
    if (lock_) lock_->Enter();
}

ScopedHttpLock::~ScopedHttpLock() {
    // Leave first, then drop the reference: the lock may die with it.
    if (lock_) lock_->Leave();
}
