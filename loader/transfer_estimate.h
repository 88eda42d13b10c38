// The download's speed and time left as the player sees them: an exponential average of the
// rate over a few seconds, refreshed at most twice a second, and nothing at all until enough
// of the transfer has been seen for the figures to mean something. No window and no clock of
// its own (the caller passes the time), so it builds and is tested in both trees.
#pragma once

#include <cstdint>
#include <string>

namespace loader {

struct TransferEstimate {
    bool ready = false;  // false: nothing worth showing yet (or any more)
    double bytesPerSecond = 0;
    double secondsLeft = 0;
};

class RateEstimator {
public:
    // A new figure at most this often: a number changing faster cannot be read.
    static constexpr std::uint64_t kRefreshMs = 500;
    // The average's time constant: long enough to calm a bursty connection, short enough to
    // follow a real change of speed within a few seconds.
    static constexpr double kTimeConstantSeconds = 3.0;
    // How much of the transfer must have been seen before the first estimate.
    static constexpr std::uint64_t kWarmUpMs = 2000;
    // Below this the time left would be meaningless (a stalled transfer).
    static constexpr double kSlowestShownBytesPerSecond = 1.0;

    // The transfer's state at nowMs (milliseconds of any steady clock): bytes done of total
    // (total 0 or less: unknown). True when Estimate() changed. The estimate starts with the
    // first byte, and afresh when done is smaller than before (the transfer started over).
    bool Observe(std::uint64_t nowMs, double done, double total);
    const TransferEstimate& Estimate() const { return estimate_; }
    void Reset() { *this = RateEstimator(); }

private:
    bool started_ = false;
    std::uint64_t startMs_ = 0;
    std::uint64_t lastMs_ = 0;
    double lastDone_ = 0;
    bool averaged_ = false;
    double average_ = 0;
    TransferEstimate estimate_;
};

// "512 B/s", "300 KB/s", "1.5 MB/s" (units of 1024).
std::string FormatRate(double bytesPerSecond);
// "0:07", "12:30", "1:02:03" (rounded up to whole seconds).
std::string FormatDuration(double seconds);
// pattern with every "{speed}" and "{left}" replaced by the estimate's figures, as above.
std::string FillEstimate(const std::string& pattern, const TransferEstimate& estimate);

}  // namespace loader
