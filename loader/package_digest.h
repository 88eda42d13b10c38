// The package checksum the version service names: a SHA-256 digest written as 64 hexadecimal
// digits (either case).
#pragma once

#include <array>
#include <string>

namespace loader {

using Sha256Digest = std::array<unsigned char, 32>;

// True when text is exactly 64 hexadecimal digits; digest then holds their bytes.
bool ParseSha256Hex(const std::string& text, Sha256Digest& digest);

}  // namespace loader
