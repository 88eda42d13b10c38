// The worker behind HttpRequest.
#include "http/request_helper.h"

#include <ctime>
#include <utility>

#include "http/append_to_string.h"
#include "http/curl_option_seam.h"
#include "http/http_global.h"
#include "http/https_rule.h"
#include "http/proxy_rule.h"
#include "http/reply_headers.h"

namespace {

// libcurl's result for a completed transfer whose status was not 200.
constexpr int kRequestFailed = 34;
// What a try after a Retry-After wait is left at least, inside an overall limit.
constexpr long kShortestTryMs = 1000;

}  // namespace

RequestHelper::RequestHelper()
    : easy_(curl_easy_init()),
      id_(HttpGlobal::CurrentId()),
      resultCallback_(
          [this](int id, bool ok, const std::string& text) { IgnoreResult(id, ok, text); }) {
    if (easy_) {
        // Attaches whatever share handle exists now: none before the first HTTP object.
        CurlOptionSeam::SetPointer(easy_, CURLOPT_SHARE, HttpGlobal::ShareHandle());
        CurlOptionSeam::SetLong(easy_, CURLOPT_DNS_CACHE_TIMEOUT, 300L);
    }
}

RequestHelper::~RequestHelper() {
    if (easy_) curl_easy_cleanup(easy_);
    if (headerList_) curl_slist_free_all(headerList_);
}

void RequestHelper::SetUrl(const std::string& url) {
    if (!easy_) return;
    url_ = url;
    HttpsRule::Apply(easy_, url);
    CurlOptionSeam::SetText(easy_, CURLOPT_URL, url.c_str());
}

void RequestHelper::SetResultCallback(ResultCallback callback) {
    resultCallback_ = std::move(callback);
}

void RequestHelper::SetTimeout(long milliseconds) {
    if (easy_) CurlOptionSeam::SetLong(easy_, CURLOPT_TIMEOUT_MS, milliseconds);
}

void RequestHelper::SetPinnedPublicKey(const std::string& pins) {
    if (!easy_ || pins.empty()) return;
    // libcurl checks the pin itself, whatever the certificate checks are set to.
    CurlOptionSeam::SetText(easy_, CURLOPT_PINNEDPUBLICKEY, pins.c_str());
    CurlOptionSeam::SetText(easy_, CURLOPT_PROTOCOLS_STR, "https");
    CurlOptionSeam::SetText(easy_, CURLOPT_REDIR_PROTOCOLS_STR, "https");
}

void RequestHelper::AddHeader(const std::string& line) {
    curl_slist* grown = curl_slist_append(headerList_, line.c_str());
    if (grown) headerList_ = grown;
}

long RequestHelper::NextWaitMs(CURLcode result, int retry, std::string& why) {
    const double draw = jitter_ ? jitter_() : 0.0;
    if (result == CURLE_OPERATION_TIMEDOUT) {
        why = "timed out";
        return RetryPolicy::JitteredWaitMs(retry, draw);
    }
    if (result != CURLE_OK) return -1;
    long status = 0;
    curl_easy_getinfo(easy_, CURLINFO_RESPONSE_CODE, &status);
    if (!RetryPolicy::HonoursRetryAfter(status)) return -1;
    ReplyHeaders reply;
    reply.Lines(headerText_);
    long long afterMs = 0;
    if (!RetryPolicy::ParseRetryAfter(reply.retryAfter, static_cast<long long>(std::time(nullptr)),
                                      afterMs)) {
        return -1;  // without a readable Retry-After the status is the outcome, as always
    }
    why = "HTTP " + std::to_string(status) + " with Retry-After \"" + reply.retryAfter + "\"";
    // Capped by what is left of the overall limit, less a second for the try itself; a
    // service that asks for longer is not waited for at all. Without a limit the package's
    // cap applies.
    const long remaining = bounds_.RemainingMs();
    if (remaining < 0) {
        return RetryPolicy::RetryAfterWaitMs(afterMs, retry, draw,
                                             RetryPolicy::kPackageRetryAfterCapMs);
    }
    const long capMs = remaining - kShortestTryMs;
    if (afterMs > capMs) return remaining;  // does not fit: the caller ends the request
    return RetryPolicy::RetryAfterWaitMs(afterMs, retry, draw, capMs);
}

namespace {

// libcurl's progress hook while a cancel flag is set: non-zero aborts the transfer.
int AbortWhenCancelled(void* flag, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    return static_cast<const std::atomic<bool>*>(flag)->load() ? 1 : 0;
}

}  // namespace

int RequestHelper::Perform() {
    if (!easy_) return CURLE_FAILED_INIT;
    if (headerList_) {
        CURLcode set = CurlOptionSeam::SetPointer(easy_, CURLOPT_HTTPHEADER, headerList_);
        if (set != CURLE_OK) return set;
    }
    busy_ = true;

    CurlOptionSeam::SetLong(easy_, CURLOPT_MAXREDIRS, 5L);
    CurlOptionSeam::SetLong(easy_, CURLOPT_FOLLOWLOCATION, 1L);
    CurlOptionSeam::SetFunction(easy_, CURLOPT_HEADERFUNCTION, &AppendToString);
    CurlOptionSeam::SetPointer(easy_, CURLOPT_HEADERDATA, &headerText_);
    CurlOptionSeam::SetFunction(easy_, CURLOPT_WRITEFUNCTION, &AppendToString);
    CurlOptionSeam::SetPointer(easy_, CURLOPT_WRITEDATA, &body_);
    CurlOptionSeam::SetLong(easy_, CURLOPT_NOPROGRESS, 1L);
    CurlOptionSeam::SetLong(easy_, CURLOPT_NOSIGNAL, 1L);
    CurlOptionSeam::SetLong(easy_, CURLOPT_CONNECTTIMEOUT_MS, 0L);
    if (proxyResolver_) ProxyRule::Apply(easy_, proxyResolver_(url_));
    if (cancel_) {
        CurlOptionSeam::SetLong(easy_, CURLOPT_NOPROGRESS, 0L);
        CurlOptionSeam::SetFunction(easy_, CURLOPT_XFERINFOFUNCTION, &AbortWhenCancelled);
        CurlOptionSeam::SetPointer(easy_, CURLOPT_XFERINFODATA,
                                   const_cast<std::atomic<bool>*>(cancel_.get()));
    }

    // Each try starts empty, so a try cut short by a time-out leaves nothing in front of the
    // next try's body and headers. A retry waits first (see retry_policy.h), and the waits
    // count against the overall limit like the tries.
    int retriesLeft = retryCount_;
    CURLcode result = CURLE_OPERATION_TIMEDOUT;
    bounds_.Start();
    for (int retry = 0;; ++retry) {
        headerText_.clear();
        body_.clear();
        if (!bounds_.ApplyForNextTry(easy_)) break;  // the overall limit has run out
        if (cancel_ && cancel_->load()) {
            result = CURLE_ABORTED_BY_CALLBACK;
            break;
        }
        result = curl_easy_perform(easy_);
        if (result == CURLE_ABORTED_BY_CALLBACK) break;
        if (retriesLeft-- <= 0) break;
        std::string why;
        const long waitMs = NextWaitMs(result, retry, why);
        if (waitMs < 0) break;
        const int tries = retryCount_ + 1;
        const long remaining = bounds_.RemainingMs();
        if (remaining >= 0 && waitMs >= remaining) {
            // A try after the wait would have no time left: end now instead.
            if (retryNote_) {
                retryNote_(why + ", no further try: " + std::to_string(remaining) +
                           " ms are left of the time limit");
            }
            break;
        }
        if (retryNote_) {
            retryNote_(why + ", waiting " + std::to_string(waitMs) + " ms before try " +
                       std::to_string(retry + 2) + " of " + std::to_string(tries));
        }
        if (!RetryPolicy::Wait(waitMs, cancel_.get())) break;
    }

    long status = 0;
    curl_easy_getinfo(easy_, CURLINFO_RESPONSE_CODE, &status);
    httpStatus_ = status;

    const bool success = result == CURLE_OK && status == 200;
    if (!success) errorText_ = curl_easy_strerror(result) + ProxyRule::RefusalText(easy_);

    // A copy, so a callback that replaces the worker's callback does not destroy the one that
    // is running; an empty callback is treated as none rather than thrown at the caller.
    ResultCallback callback = resultCallback_;
    if (callback) callback(id_, success, body_);

    busy_ = false;
    if (headerList_) {
        // The handle must not keep pointing at the freed list for the next perform.
        CurlOptionSeam::SetPointer(easy_, CURLOPT_HTTPHEADER, nullptr);
        curl_slist_free_all(headerList_);
        headerList_ = nullptr;
    }
    return success ? CURLE_OK : kRequestFailed;
}
