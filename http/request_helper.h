// The worker behind HttpRequest: one libcurl easy handle reused by every perform, the
// response of the last perform, and the result callback.
#pragma once

#include <curl/curl.h>

#include <atomic>
#include <memory>
#include <string>
#include <utility>

#include "http/http_callbacks.h"
#include "http/proxy_rule.h"
#include "http/retry_policy.h"
#include "http/transfer_bounds.h"

class RequestHelper {
public:
    RequestHelper();
    ~RequestHelper();
    RequestHelper(const RequestHelper&) = delete;
    RequestHelper& operator=(const RequestHelper&) = delete;

    void SetUrl(const std::string& url);
    void SetId(int id) { id_ = id; }
    void SetResultCallback(ResultCallback callback);
    // Overall limit for each perform in milliseconds; 0 (the default) means no limit.
    void SetTimeout(long milliseconds);
    // A full header line ("Name: value") sent with the next perform only.
    void AddHeader(const std::string& line);
    // Limits for every later perform (connect, stall, and all tries together); running out
    // is a failed request.
    void SetBounds(const TransferBounds& bounds) { bounds_ = bounds; }
    // Public-key pins in libcurl's form ("sha256//<base64>", several joined by ';'). Once set,
    // every connection of this worker must present one of those keys, and only https is
    // spoken (a redirect to plain http would leave the pin behind). Empty text changes nothing.
    void SetPinnedPublicKey(const std::string& pins);

    // The random draws of the back-off between tries (default: a source of the worker's own).
    void SetJitterSource(JitterSource source) { jitter_ = std::move(source); }
    // Told why and how long the worker waits before each further try.
    void SetRetryNote(RetryNote note) { retryNote_ = std::move(note); }
    // Asked for the route before each perform; without one libcurl decides as always.
    void SetProxyResolver(ProxyResolver resolver) { proxyResolver_ = std::move(resolver); }
    // Once the flag is set (from any thread), a running perform ends within about a second
    // (the transfer is aborted, a wait between tries cut short) and later ones fail at once.
    void SetCancelFlag(std::shared_ptr<const std::atomic<bool>> flag) { cancel_ = std::move(flag); }

    // Runs one request to its end (redirects and time-out retries included) and calls the
    // result callback; returns 0, 34 for a failed request, or the code of an early exit.
    int Perform();

    bool IsBusy() const { return busy_; }
    int Id() const { return id_; }
    long HttpStatus() const { return httpStatus_; }
    const std::string& Body() const { return body_; }
    const std::string& HeaderText() const { return headerText_; }
    const std::string& ErrorText() const { return errorText_; }

private:
    void IgnoreResult(int, bool, const std::string&) {}
    // After a try: how long to wait before the next one, or -1 when there is none to make.
    // why says what the wait is for.
    long NextWaitMs(CURLcode result, int retry, std::string& why);

    CURL* easy_ = nullptr;
    curl_slist* headerList_ = nullptr;
    int retryCount_ = 3;
    int id_;
    bool busy_ = false;
    long httpStatus_ = 0;
    std::string body_;
    std::string headerText_;
    std::string errorText_;
    ResultCallback resultCallback_;
    TransferBounds bounds_;
    JitterSource jitter_ = RetryPolicy::DefaultJitter();
    RetryNote retryNote_;
    std::string url_;
    ProxyResolver proxyResolver_;
    std::shared_ptr<const std::atomic<bool>> cancel_;
};
