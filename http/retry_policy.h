// When a transfer is tried again and how long it waits first. A loader that retries at once
// multiplies the load on a service that is already overloaded, and a million loaders that
// wait the same time come back in one burst; so every wait is jittered, a service's
// Retry-After is honoured (within a cap), and a refusal (4xx) is final.
//
// The decisions are plain functions over plain values (the random draw is an argument), so
// tests can drive them with fixed values; RetryPolicy::Wait is the one that sleeps.
#pragma once

#include <atomic>
#include <functional>
#include <string>

// A uniform random value in [0, 1); called from whichever thread retries.
using JitterSource = std::function<double()>;

// What a retry wait is for, given to the transfer's owner (the loader logs it).
using RetryNote = std::function<void(const std::string& text)>;

namespace RetryPolicy {

// Base of the back-off: the first retry waits up to this long, every further one up to twice
// the previous window, and no window is longer than kLongestWindowMs.
constexpr long kBaseMs = 1000;
constexpr long kLongestWindowMs = 8000;
// Longest wait a package transfer grants a service's Retry-After (the version query's cap is
// what remains of its overall bound).
constexpr long kPackageRetryAfterCapMs = 20000;

// Full jitter: draw (in [0, 1)) times the window of the retry-th retry (0 for the first),
// kBaseMs * 2^retry but at most kLongestWindowMs.
long JitteredWaitMs(int retry, double draw);

// Reads a Retry-After value: delay-seconds ("120") or an HTTP date in the preferred form
// ("Sun, 06 Nov 1994 08:49:37 GMT"), the latter against nowSeconds (seconds since 1970,
// UTC). A date in the past means 0. False when the value is neither.
bool ParseRetryAfter(const std::string& value, long long nowSeconds, long long& delayMs);

// Whether a reply with this status may be tried again after its Retry-After: only 429 (too
// many requests) and 503 (unavailable); any other 4xx is the server's final word.
bool HonoursRetryAfter(long status);

// The wait for a Retry-After of retryAfterMs on the retry-th retry: never earlier than the
// service asked, and never longer than capMs. A service that is still busy when asked again
// gets twice as long each time (up to 8 times what it asked), and the jitter spreads the
// loaders it sent away over at least that long again, so they neither return together nor
// come back while the overload lasts.
long RetryAfterWaitMs(long long retryAfterMs, int retry, double draw, long capMs);

// A source of its own (seeded from the clock and the platform's random device), safe to call
// from several threads.
JitterSource DefaultJitter();

// Sleeps for milliseconds unless cancel (when given) is or becomes set, looking at it every
// 50 ms; false when the wait was cut short.
bool Wait(long milliseconds, const std::atomic<bool>* cancel);

}  // namespace RetryPolicy
