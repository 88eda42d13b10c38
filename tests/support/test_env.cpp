// Test environment look-ups shared by the test executables of both trees.
#include "support/test_env.h"

#include <atomic>
#include <chrono>
#include <cstdlib>

namespace testenv {

std::string Env(const char* name, const std::string& fallback) {
    const char* value = std::getenv(name);
    return value && *value ? std::string(value) : fallback;
}

int ServerPort(bool https) {
    return std::atoi(Env(https ? "LOADER_TEST_HTTPS_PORT" : "LOADER_TEST_HTTP_PORT", "0").c_str());
}

std::string ServerUrl(bool https, const std::string& pathAndQuery) {
    return std::string(https ? "https" : "http") + "://127.0.0.1:" +
           std::to_string(ServerPort(https)) + pathAndQuery;
}

std::string UniqueToken(const char* prefix) {
    static std::atomic<unsigned> counter{0};
    auto now = std::chrono::steady_clock::now().time_since_epoch().count();
    return std::string(prefix) + "-" + std::to_string(now) + "-" + std::to_string(++counter);
}

std::size_t FirstPatternMismatch(const std::string& data, std::uint64_t offset) {
    for (std::size_t k = 0; k < data.size(); ++k) {
        if (static_cast<std::uint8_t>(data[k]) != PatternByte(offset + k)) return k;
    }
    return std::string::npos;
}

}  // namespace testenv
