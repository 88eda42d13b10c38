// Package checksum text (see package_digest.h).
#include "loader/package_digest.h"

namespace loader {

namespace {

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

bool ParseSha256Hex(const std::string& text, Sha256Digest& digest) {
    if (text.size() != digest.size() * 2) return false;
    Sha256Digest bytes{};
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const int high = HexValue(text[2 * i]);
        const int low = HexValue(text[2 * i + 1]);
        if (high < 0 || low < 0) return false;
        bytes[i] = static_cast<unsigned char>(high * 16 + low);
    }
    digest = bytes;
    return true;
}

}  // namespace loader
