// SHA-256 (see sha256.h): the portable rounds, and the same rounds on the SHA extensions.
#include "http/sha256.h"

#include <cstring>

#if defined(__GNUC__) && (defined(__i386__) || defined(__x86_64__))
#include <cpuid.h>
#include <immintrin.h>
#define LOADER_SHA_NI 1
#endif

namespace {

alignas(16) const std::uint32_t kRound[64] = {
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
    0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
    0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
    0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
    0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
    0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
    0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2};

const std::uint32_t kInitial[8] = {0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
                                   0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};

inline std::uint32_t Rotr(std::uint32_t x, int n) {
    return (x >> n) | (x << (32 - n));
}

void PortableBlocks(std::uint32_t* state, const unsigned char* data, std::size_t count) {
    for (; count > 0; --count, data += 64) {
        std::uint32_t w[64];
        for (int t = 0; t < 16; ++t) {
            w[t] = static_cast<std::uint32_t>(data[4 * t]) << 24 |
                   static_cast<std::uint32_t>(data[4 * t + 1]) << 16 |
                   static_cast<std::uint32_t>(data[4 * t + 2]) << 8 | data[4 * t + 3];
        }
        for (int t = 16; t < 64; ++t) {
            const std::uint32_t s0 = Rotr(w[t - 15], 7) ^ Rotr(w[t - 15], 18) ^ (w[t - 15] >> 3);
            const std::uint32_t s1 = Rotr(w[t - 2], 17) ^ Rotr(w[t - 2], 19) ^ (w[t - 2] >> 10);
            w[t] = w[t - 16] + s0 + w[t - 7] + s1;
        }
        std::uint32_t a = state[0], b = state[1], c = state[2], d = state[3], e = state[4],
                      f = state[5], g = state[6], h = state[7];
        for (int t = 0; t < 64; ++t) {
            const std::uint32_t s1 = Rotr(e, 6) ^ Rotr(e, 11) ^ Rotr(e, 25);
            const std::uint32_t choose = (e & f) ^ (~e & g);
            const std::uint32_t t1 = h + s1 + choose + kRound[t] + w[t];
            const std::uint32_t s0 = Rotr(a, 2) ^ Rotr(a, 13) ^ Rotr(a, 22);
            const std::uint32_t majority = (a & b) ^ (a & c) ^ (b & c);
            h = g;
            g = f;
            f = e;
            e = d + t1;
            d = c;
            c = b;
            b = a;
            a = t1 + s0 + majority;
        }
        state[0] += a;
        state[1] += b;
        state[2] += c;
        state[3] += d;
        state[4] += e;
        state[5] += f;
        state[6] += g;
        state[7] += h;
    }
}

#ifdef LOADER_SHA_NI

bool ProcessorHasSha() {
    unsigned a = 0, b = 0, c = 0, d = 0;
    if (!__get_cpuid(1, &a, &b, &c, &d)) return false;
    const bool ssse3 = (c & (1u << 9)) != 0, sse41 = (c & (1u << 19)) != 0;
    if (!__get_cpuid_count(7, 0, &a, &b, &c, &d)) return false;
    return ssse3 && sse41 && (b & (1u << 29)) != 0;
}

#ifdef __i386__
// A 32-bit Windows thread's stack is only 4-byte aligned; the vectors kept on it need 16.
#define LOADER_ALIGN_STACK __attribute__((force_align_arg_pointer))
#else
#define LOADER_ALIGN_STACK
#endif

// The rounds on the SHA extensions: the state is kept as the two halves ABEF and CDGH that
// the round instruction works on, four rounds of message schedule per step.
__attribute__((target("sha,sse4.1,ssse3"))) LOADER_ALIGN_STACK void ShaNiBlocks(
    std::uint32_t* state, const unsigned char* data, std::size_t count) {
    const __m128i byteSwap = _mm_set_epi64x(0x0c0d0e0f08090a0bULL, 0x0405060700010203ULL);
    __m128i dcba = _mm_loadu_si128(reinterpret_cast<const __m128i*>(state));
    __m128i hgfe = _mm_loadu_si128(reinterpret_cast<const __m128i*>(state + 4));
    const __m128i cdab = _mm_shuffle_epi32(dcba, 0xB1);
    const __m128i efgh = _mm_shuffle_epi32(hgfe, 0x1B);
    __m128i abef = _mm_alignr_epi8(cdab, efgh, 8);
    __m128i cdgh = _mm_blend_epi16(efgh, cdab, 0xF0);

    for (; count > 0; --count, data += 64) {
        const __m128i abefStart = abef, cdghStart = cdgh;
        __m128i message[4];
        for (int i = 0; i < 4; ++i) {
            message[i] = _mm_shuffle_epi8(
                _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + 16 * i)), byteSwap);
        }
        for (int step = 0; step < 16; ++step) {
            __m128i& words = message[step & 3];
            if (step >= 4) {
                // W[t] = W[t-16] + s0(W[t-15]) + W[t-7] + s1(W[t-2]), four at a time: words
                // holds W[t-16..t-13] until it is replaced.
                __m128i next = _mm_sha256msg1_epu32(words, message[(step + 1) & 3]);
                next = _mm_add_epi32(
                    next, _mm_alignr_epi8(message[(step + 3) & 3], message[(step + 2) & 3], 4));
                words = _mm_sha256msg2_epu32(next, message[(step + 3) & 3]);
            }
            __m128i sum = _mm_add_epi32(
                words, _mm_load_si128(reinterpret_cast<const __m128i*>(kRound + 4 * step)));
            cdgh = _mm_sha256rnds2_epu32(cdgh, abef, sum);
            sum = _mm_shuffle_epi32(sum, 0x0E);
            abef = _mm_sha256rnds2_epu32(abef, cdgh, sum);
        }
        abef = _mm_add_epi32(abef, abefStart);
        cdgh = _mm_add_epi32(cdgh, cdghStart);
    }

    const __m128i feba = _mm_shuffle_epi32(abef, 0x1B);
    const __m128i dchg = _mm_shuffle_epi32(cdgh, 0xB1);
    dcba = _mm_blend_epi16(feba, dchg, 0xF0);
    hgfe = _mm_alignr_epi8(dchg, feba, 8);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(state), dcba);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(state + 4), hgfe);
}

#endif

}  // namespace

Sha256::Sha256(bool allowAcceleration) {
#ifdef LOADER_SHA_NI
    static const bool hasSha = ProcessorHasSha();
    accelerated_ = allowAcceleration && hasSha;
#else
    (void)allowAcceleration;
#endif
    Reset();
}

void Sha256::Reset() {
    std::memcpy(state_, kInitial, sizeof(state_));
    pendingSize_ = 0;
    totalBytes_ = 0;
}

void Sha256::Blocks(const unsigned char* data, std::size_t count) {
#ifdef LOADER_SHA_NI
    if (accelerated_) {
        ShaNiBlocks(state_, data, count);
        return;
    }
#endif
    PortableBlocks(state_, data, count);
}

void Sha256::Update(const void* data, std::size_t size) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    totalBytes_ += size;
    if (pendingSize_ > 0) {
        const std::size_t take = size < 64 - pendingSize_ ? size : 64 - pendingSize_;
        std::memcpy(pending_ + pendingSize_, bytes, take);
        pendingSize_ += take;
        bytes += take;
        size -= take;
        if (pendingSize_ < 64) return;
        Blocks(pending_, 1);
        pendingSize_ = 0;
    }
    Blocks(bytes, size / 64);
    bytes += size / 64 * 64;
    size %= 64;
    std::memcpy(pending_, bytes, size);
    pendingSize_ = size;
}

Sha256Digest Sha256::Final() {
    const std::uint64_t bits = totalBytes_ * 8;
    unsigned char tail[128] = {};
    std::memcpy(tail, pending_, pendingSize_);
    tail[pendingSize_] = 0x80;
    const std::size_t length = pendingSize_ + 9 <= 64 ? 64 : 128;
    for (int i = 0; i < 8; ++i) tail[length - 1 - i] = static_cast<unsigned char>(bits >> (8 * i));
    Blocks(tail, length / 64);
    Sha256Digest digest;
    for (int i = 0; i < 8; ++i) {
        digest[4 * i] = static_cast<unsigned char>(state_[i] >> 24);
        digest[4 * i + 1] = static_cast<unsigned char>(state_[i] >> 16);
        digest[4 * i + 2] = static_cast<unsigned char>(state_[i] >> 8);
        digest[4 * i + 3] = static_cast<unsigned char>(state_[i]);
    }
    Reset();
    return digest;
}
