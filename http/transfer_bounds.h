// Limits on how long one HTTP exchange may wait: a connect time-out, the low-speed rule (under
// 1 byte/s for stallSeconds ends a try) and an overall limit that covers every try together,
// so that time-out retries cannot stretch it.
#pragma once

#include <curl/curl.h>

#include <chrono>

class TransferBounds {
public:
    TransferBounds() = default;
    TransferBounds(long connectMs, long stallSeconds, long totalMs)
        : connectMs_(connectMs), stallSeconds_(stallSeconds), totalMs_(totalMs) {}

    // No limits at all (libcurl's defaults).
    bool Unbounded() const { return totalMs_ <= 0 && connectMs_ <= 0 && stallSeconds_ <= 0; }

    // Starts the overall clock.
    void Start();
    // Gives easy the limits for its next try; false when the overall limit has run out.
    bool ApplyForNextTry(CURL* easy) const;
    // Milliseconds left of the overall limit (0 when it has run out); -1 without one.
    long RemainingMs() const;

private:
    long connectMs_ = 0;
    long stallSeconds_ = 0;
    long totalMs_ = 0;
    std::chrono::steady_clock::time_point started_;
};
