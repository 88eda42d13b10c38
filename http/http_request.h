// A synchronous HTTP/HTTPS GET whose outcome arrives through a result callback. A thin handle:
// copies share one worker.
#pragma once

#include <atomic>
#include <memory>
#include <string>

#include "http/http_callbacks.h"
#include "http/proxy_route.h"
#include "http/retry_policy.h"

class RequestHelper;

class HttpRequest {
public:
    HttpRequest();

    // Strings starting with the exact text "https" also turn certificate checks off.
    void SetRequestUrl(const std::string& url);
    void SetRequestId(int id);
    void SetResultCallback(ResultCallback callback);
    // Performs on the calling thread; the callback has run when this returns. Does nothing
    // while the worker is busy (for example from inside its own result callback).
    void PerformRequest();

    // Overall limit for each try in milliseconds (default 0: none).
    void SetTimeout(long milliseconds);
    // A full header line sent with the next perform only.
    void AddRequestHeader(const std::string& line);
    // Connect time-out, low-speed rule and overall limit (all tries together) for every later
    // perform; running out is a failed request. Default: none.
    void SetBounds(long connectMs, long stallSeconds, long totalMs);
    // Public-key pins ("sha256//<base64>", several joined by ';') every server of this request
    // must match; a mismatch fails the request. Also limits the request to https.
    void SetPinnedPublicKey(const std::string& pins);

    // Retries wait first: a time-out for a jittered back-off, a 429 or 503 with Retry-After
    // for what the server asked (within the overall limit); see retry_policy.h. The random
    // draws come from source (default: the worker's own), and note hears of every wait.
    void SetJitterSource(JitterSource source);
    void SetRetryNote(RetryNote note);
    // Decides the route (a proxy or none) before each perform; by default libcurl does.
    void SetProxyResolver(ProxyResolver resolver);
    // A flag another thread may set to end a running perform within about a second (a failed
    // request) and to fail every later one at once. Without one a perform runs to its end.
    void SetCancelFlag(std::shared_ptr<const std::atomic<bool>> flag);

    // The outcome of the last perform.
    int GetRequestId() const;
    long GetHttpStatus() const;
    std::string GetHeaderText() const;
    std::string GetErrorText() const;

private:
    std::shared_ptr<RequestHelper> helper_;
};
