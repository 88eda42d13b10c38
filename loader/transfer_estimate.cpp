// The download's speed and time left (see transfer_estimate.h).
#include "loader/transfer_estimate.h"

#include <cmath>
#include <cstdio>

namespace loader {

bool RateEstimator::Observe(std::uint64_t nowMs, double done, double total) {
    if (!started_ || done < lastDone_ || !(lastDone_ > 0)) {
        // The first report, a transfer that started over (the next package host), or one
        // still waiting for its first byte: the time and bytes before say nothing about this
        // transfer's speed.
        const bool wasShown = estimate_.ready;
        Reset();
        started_ = true;
        startMs_ = lastMs_ = nowMs;
        lastDone_ = done;
        return wasShown;
    }
    if (nowMs - lastMs_ < kRefreshMs) return false;
    const double seconds = static_cast<double>(nowMs - lastMs_) / 1000.0;
    const double sample = (done - lastDone_) / seconds;
    if (!averaged_) {
        average_ = sample;
        averaged_ = true;
    } else {
        // Weighted by the time the sample covers, so an irregular refresh weighs the same.
        average_ += (1.0 - std::exp(-seconds / kTimeConstantSeconds)) * (sample - average_);
    }
    lastMs_ = nowMs;
    lastDone_ = done;

    TransferEstimate next;
    if (nowMs - startMs_ >= kWarmUpMs && total > 0 && average_ >= kSlowestShownBytesPerSecond) {
        next.ready = true;
        next.bytesPerSecond = average_;
        next.secondsLeft = (total > done ? total - done : 0) / average_;
    }
    const bool changed = next.ready != estimate_.ready ||
                         (next.ready && (next.bytesPerSecond != estimate_.bytesPerSecond ||
                                         next.secondsLeft != estimate_.secondsLeft));
    estimate_ = next;
    return changed;
}

std::string FormatRate(double bytesPerSecond) {
    char text[32];
    if (!(bytesPerSecond >= 0) || bytesPerSecond > 1e15) bytesPerSecond = 0;
    if (bytesPerSecond < 1024) {
        std::snprintf(text, sizeof(text), "%.0f B/s", bytesPerSecond);
    } else if (bytesPerSecond < 1024 * 1024) {
        std::snprintf(text, sizeof(text), "%.0f KB/s", bytesPerSecond / 1024);
    } else {
        std::snprintf(text, sizeof(text), "%.1f MB/s", bytesPerSecond / (1024 * 1024));
    }
    return text;
}

std::string FormatDuration(double seconds) {
    // At most 99:59:59: past that no figure helps, and the conversion must stay defined.
    constexpr double kLongest = 99 * 3600 + 59 * 60 + 59;
    const double whole = seconds > 0 ? std::ceil(seconds < kLongest ? seconds : kLongest) : 0;
    const unsigned total = static_cast<unsigned>(whole);
    char text[32];
    if (total >= 3600) {
        std::snprintf(text, sizeof(text), "%u:%02u:%02u", total / 3600, total / 60 % 60,
                      total % 60);
    } else {
        std::snprintf(text, sizeof(text), "%u:%02u", total / 60, total % 60);
    }
    return text;
}

std::string FillEstimate(const std::string& pattern, const TransferEstimate& estimate) {
    const std::string speed = FormatRate(estimate.bytesPerSecond);
    const std::string left = FormatDuration(estimate.secondsLeft);
    std::string text;
    for (std::size_t at = 0; at < pattern.size();) {
        if (pattern.compare(at, 7, "{speed}") == 0) {
            text += speed;
            at += 7;
        } else if (pattern.compare(at, 6, "{left}") == 0) {
            text += left;
            at += 6;
        } else {
            text += pattern[at++];
        }
    }
    return text;
}

}  // namespace loader
