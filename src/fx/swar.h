// Eight pixels at a time in a 64-bit word.
#pragma once
#include <cstdint>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

constexpr uint64_t swar_high_bits = 0x8080808080808080ull;
constexpr uint64_t swar_low_bits = 0x7f7f7f7f7f7f7f7full;
constexpr uint64_t swar_ones = 0x0101010101010101ull;

// Byte-wise a + b, each byte capped at 255.
inline uint64_t swar_add_saturate(uint64_t a, uint64_t b)
{
    const uint64_t low = (a & swar_low_bits) + (b & swar_low_bits);
    const uint64_t sum = low ^ ((a ^ b) & swar_high_bits);
    const uint64_t carry = ((a & b) | ((a | b) & ~sum)) & swar_high_bits;
    return sum | ((carry >> 7) * 0xff);
}

inline uint64_t swar_load(const uint8_t *p)
{
    uint64_t v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

inline void swar_store(uint8_t *p, uint64_t v) { std::memcpy(p, &v, sizeof v); }

// dst[i] = min(dst[i] + src[i], 255) for n bytes, n a multiple of 8: sixteen at a time where the
// processor has SSE2 (every x86-64), eight in a word elsewhere.
inline void add_saturate_bytes(uint8_t *dst, const uint8_t *src, int n)
{
    int i = 0;
#if defined(__SSE2__)
    for (; i + 16 <= n; i += 16) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i *>(dst + i));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i *>(src + i));
        _mm_storeu_si128(reinterpret_cast<__m128i *>(dst + i), _mm_adds_epu8(a, b));
    }
#endif
    for (; i < n; i += 8) swar_store(dst + i, swar_add_saturate(swar_load(dst + i), swar_load(src + i)));
}
