// Retry decisions and waits (see retry_policy.h).
#include "http/retry_policy.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>
#include <random>

#include "http/platform_thread.h"

namespace RetryPolicy {

namespace {

constexpr long kWaitSliceMs = 50;

// Days from 1970-01-01 to the given civil date (proleptic Gregorian).
long long DaysFromCivil(long long y, unsigned m, unsigned d) {
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long long>(doe) - 719468;
}

bool ParseHttpDate(const std::string& value, long long& seconds) {
    static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    char weekday[4] = {}, month[4] = {}, zone[4] = {};
    int day = 0, year = 0, hour = 0, minute = 0, second = 0, used = 0;
    if (std::sscanf(value.c_str(), "%3[A-Za-z], %2d %3[A-Za-z] %4d %2d:%2d:%2d %3[A-Z]%n", weekday,
                    &day, month, &year, &hour, &minute, &second, zone, &used) != 8 ||
        static_cast<std::size_t>(used) != value.size() || std::strcmp(zone, "GMT") != 0) {
        return false;
    }
    unsigned m = 0;
    while (m < 12 && std::strcmp(kMonths[m], month) != 0) ++m;
    if (m == 12 || day < 1 || day > 31 || hour > 23 || minute > 59 || second > 60) return false;
    seconds = DaysFromCivil(year, m + 1, static_cast<unsigned>(day)) * 86400 + hour * 3600 +
              minute * 60 + second;
    return true;
}

// The back-off window of the retry-th retry: kBaseMs * 2^retry, at most kLongestWindowMs.
long BackOffWindowMs(int retry) {
    long window = kBaseMs;
    for (int k = 0; k < retry && window < kLongestWindowMs; ++k) window *= 2;
    return window > kLongestWindowMs ? kLongestWindowMs : window;
}

// A draw outside [0, 1) (NaN as well) counts as 0.
double UsableDraw(double draw) {
    return draw >= 0.0 && draw < 1.0 ? draw : 0.0;
}

}  // namespace

long JitteredWaitMs(int retry, double draw) {
    return static_cast<long>(UsableDraw(draw) * static_cast<double>(BackOffWindowMs(retry)));
}

bool ParseRetryAfter(const std::string& value, long long nowSeconds, long long& delayMs) {
    std::string text = value;
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.pop_back();
    std::size_t begin = text.find_first_not_of(" \t");
    if (begin == std::string::npos) return false;
    text = text.substr(begin);
    if (text.find_first_not_of("0123456789") == std::string::npos) {
        // More than a day is as good as for ever here; the cap decides.
        if (text.size() > 9) text = "999999999";
        delayMs = std::stoll(text) * 1000;
        return true;
    }
    long long when = 0;
    if (!ParseHttpDate(text, when)) return false;
    delayMs = when > nowSeconds ? (when - nowSeconds) * 1000 : 0;
    return true;
}

bool HonoursRetryAfter(long status) {
    return status == 429 || status == 503;
}

long RetryAfterWaitMs(long long retryAfterMs, int retry, double draw, long capMs) {
    if (retryAfterMs < 0) retryAfterMs = 0;
    if (retryAfterMs > capMs) return capMs;  // also keeps the doubling below from overflowing
    const long long scaled = retryAfterMs << (retry < 0 ? 0 : retry > 3 ? 3 : retry);
    const long long window = std::max<long long>(scaled, BackOffWindowMs(retry));
    const long long wait =
        scaled + static_cast<long long>(UsableDraw(draw) * static_cast<double>(window));
    return wait > capMs ? capMs : static_cast<long>(wait);
}

JitterSource DefaultJitter() {
    struct Engine {
        std::mutex lock;
        std::mt19937_64 random;
    };
    auto engine = std::make_shared<Engine>();
    std::random_device device;
    const auto clock = static_cast<unsigned long long>(
        std::chrono::high_resolution_clock::now().time_since_epoch().count());
    // The clock alone differs between loaders started together; the device adds what a
    // platform with a deterministic one would lack.
    std::seed_seq seed{static_cast<unsigned>(clock), static_cast<unsigned>(clock >> 32), device(),
                       device()};
    engine->random.seed(seed);
    return [engine] {
        std::lock_guard<std::mutex> hold(engine->lock);
        return std::uniform_real_distribution<double>(0.0, 1.0)(engine->random);
    };
}

bool Wait(long milliseconds, const std::atomic<bool>* cancel) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    for (;;) {
        if (cancel != nullptr && *cancel) return false;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                              end - std::chrono::steady_clock::now())
                              .count();
        if (left <= 0) return true;
        PlatformThread::Sleep(static_cast<unsigned>(left < kWaitSliceMs ? left : kWaitSliceMs));
    }
}

}  // namespace RetryPolicy
