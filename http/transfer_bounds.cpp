// Bounded waits for one HTTP exchange (see transfer_bounds.h).
#include "http/transfer_bounds.h"

#include "http/curl_option_seam.h"

void TransferBounds::Start() {
    started_ = std::chrono::steady_clock::now();
}

long TransferBounds::RemainingMs() const {
    if (totalMs_ <= 0) return -1;
    const auto spent = std::chrono::duration_cast<std::chrono::milliseconds>(
                           std::chrono::steady_clock::now() - started_)
                           .count();
    const long remaining = totalMs_ - static_cast<long>(spent);
    return remaining > 0 ? remaining : 0;
}

bool TransferBounds::ApplyForNextTry(CURL* easy) const {
    if (Unbounded()) return true;
    long remaining = 0;
    if (totalMs_ > 0) {
        remaining = RemainingMs();
        if (remaining <= 0) return false;
    }
    CurlOptionSeam::SetLong(easy, CURLOPT_CONNECTTIMEOUT_MS, connectMs_);
    if (stallSeconds_ > 0) {
        CurlOptionSeam::SetLong(easy, CURLOPT_LOW_SPEED_LIMIT, 1L);
        CurlOptionSeam::SetLong(easy, CURLOPT_LOW_SPEED_TIME, stallSeconds_);
    }
    CurlOptionSeam::SetLong(easy, CURLOPT_TIMEOUT_MS, remaining);
    return true;
}
