// The certificate rule shared by requests and downloads.
#include "http/https_rule.h"

#include <atomic>

#include "http/curl_option_seam.h"

namespace {

std::atomic<bool> verifyPeers{false};

bool IsHttps(const std::string& url) {
    // Case-sensitive on purpose: only the lower-case scheme counts.
    return url.size() >= 5 && url.compare(0, 5, "https") == 0;
}

}  // namespace

void HttpsRule::SetVerifyPeers(bool verify) {
    verifyPeers.store(verify);
}

bool HttpsRule::VerifyPeers() {
    return verifyPeers.load();
}

void HttpsRule::Apply(CURL* easy, const std::string& url) {
    if (!IsHttps(url)) return;
    // Set explicitly either way, so a reused handle never keeps an earlier choice.
    const bool verify = verifyPeers.load();
    CurlOptionSeam::SetLong(easy, CURLOPT_SSL_VERIFYPEER, verify ? 1L : 0L);
    CurlOptionSeam::SetLong(easy, CURLOPT_SSL_VERIFYHOST, verify ? 2L : 0L);
}
