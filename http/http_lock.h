// The downloader's lock and its scope guard. On Windows a critical section; in the native
// build (sanitizer and benchmark runs on the host) a standard mutex stands in for it.
#pragma once

#include <memory>

#ifdef _WIN32
#include <windows.h>
#else
#include <mutex>
#endif

// Always created with new and shared through std::shared_ptr, never held by value, so a guard
// can keep it alive for as long as it is entered.
class HttpLock {
public:
    HttpLock();
    ~HttpLock();
    HttpLock(const HttpLock&) = delete;
    HttpLock& operator=(const HttpLock&) = delete;

    void Enter();
    void Leave();

private:
#ifdef _WIN32
    CRITICAL_SECTION section_;
#else
    std::mutex mutex_;
#endif
};

class ScopedHttpLock {
public:
    explicit ScopedHttpLock(std::shared_ptr<HttpLock> lock);
    ~ScopedHttpLock();
    ScopedHttpLock(const ScopedHttpLock&) = delete;
    ScopedHttpLock& operator=(const ScopedHttpLock&) = delete;

private:
    std::shared_ptr<HttpLock> lock_;
};
