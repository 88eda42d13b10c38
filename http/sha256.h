// SHA-256 (FIPS 180-4) over a stream of bytes, for checking a package while it downloads.
// The processor's SHA instructions are used where it has them (a package of a few GB is then
// hashed in a second or two, beside the download); otherwise a portable implementation.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

using Sha256Digest = std::array<unsigned char, 32>;

class Sha256 {
public:
    // allowAcceleration false: the portable implementation even where the processor has SHA
    // instructions (the tests compare the two).
    explicit Sha256(bool allowAcceleration = true);

    void Update(const void* data, std::size_t size);
    // The digest of everything given since construction or the last Reset.
    Sha256Digest Final();
    void Reset();

    // Whether this one uses the processor's SHA instructions.
    bool Accelerated() const { return accelerated_; }

private:
    void Blocks(const unsigned char* data, std::size_t count);

    std::uint32_t state_[8];
    unsigned char pending_[64];
    std::size_t pendingSize_ = 0;
    std::uint64_t totalBytes_ = 0;
    bool accelerated_ = false;
};
