// The process-wide libcurl set-up shared by every request and downloader: libcurl's global
// initialisation, one share handle for the DNS cache, and the counter that hands out ids.
#pragma once

#include <curl/curl.h>

#include <atomic>
#include <memory>

class HttpLock;

class HttpGlobal {
public:
    // The one instance, created on first use (thread-safe) and destroyed at process exit.
    // Every call, the first included, advances the id counter by one.
    static HttpGlobal& Instance();

    // The share handle, or null while no Instance() call has happened yet. Does not create it.
    static CURLSH* ShareHandle();

    // The id the next request or downloader worker takes.
    static int CurrentId();

    // Download threads in flight: counted from just before a thread starts until it has let
    // go of everything the process-wide clean-up frees.
    static void TransferStarted();
    static void TransferEnded();
    // Cancels every registered download and waits up to waitMs for their threads; true when
    // none runs any more. After one wait that ran out it gives up at once.
    static bool StopTransfers(unsigned waitMs);

    ~HttpGlobal();
    HttpGlobal(const HttpGlobal&) = delete;
    HttpGlobal& operator=(const HttpGlobal&) = delete;

private:
    HttpGlobal();

    static void LockShare(CURL* handle, curl_lock_data data, curl_lock_access access, void* user);
    static void UnlockShare(CURL* handle, curl_lock_data data, void* user);

    // Easy handles on several threads use the share at once: one lock per kind of shared data.
    struct ShareLocks {
        std::shared_ptr<HttpLock> locks[CURL_LOCK_DATA_LAST];
    };
    std::unique_ptr<ShareLocks> shareLocks_;

    static std::atomic<CURLSH*> share_;
    static std::atomic<int> idCounter_;
    static std::atomic<int> running_;
    static std::atomic<bool> abandoned_;
};
