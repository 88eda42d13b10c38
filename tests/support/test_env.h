// Where a test finds the local test server and what its generated bodies contain.
// The test script starts the server and hands its ports over in environment variables
// (wine passes the Unix environment to Windows processes).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace testenv {

// Port of the local server: LOADER_TEST_HTTP_PORT / LOADER_TEST_HTTPS_PORT; 0 when unset.
int ServerPort(bool https);

// "http(s)://127.0.0.1:<port>" + pathAndQuery.
std::string ServerUrl(bool https, const std::string& pathAndQuery);

// A token unique to this process and call, for the server's per-test statistics.
std::string UniqueToken(const char* prefix);

// Byte i of every generated body (must match tests/support/test_server.py).
inline std::uint8_t PatternByte(std::uint64_t i) {
    return static_cast<std::uint8_t>((i * 7 + i / 251) & 0xFF);
}

// Index of the first byte of data that is not PatternByte(offset + k), or npos.
std::size_t FirstPatternMismatch(const std::string& data, std::uint64_t offset = 0);

// A value from the environment, or fallback when unset.
std::string Env(const char* name, const std::string& fallback = "");

}  // namespace testenv
