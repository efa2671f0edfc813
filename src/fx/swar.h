// Pixels a machine word at a time: eight on a 64-bit machine, four on the 32-bit handheld.
#pragma once
#include <cstdint>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

using swar_word = std::uintptr_t;
constexpr int swar_bytes = (int)sizeof(swar_word);
constexpr swar_word swar_ones = ~(swar_word)0 / 0xff; // 0x0101...01
constexpr swar_word swar_high_bits = swar_ones * 0x80;
constexpr swar_word swar_low_bits = swar_ones * 0x7f;

// Byte-wise a + b, each byte capped at 255.
inline swar_word swar_add_saturate(swar_word a, swar_word b) {
    const swar_word low = (a & swar_low_bits) + (b & swar_low_bits);
    const swar_word sum = low ^ ((a ^ b) & swar_high_bits);
    const swar_word carry = ((a & b) | ((a | b) & ~sum)) & swar_high_bits;
    // each carried byte becomes 0xff: 0x100 - 0x01 at its place, without a multiply
    return sum | ((carry << 1) - (carry >> 7));
}

// Loads and stores at word-aligned addresses (the Canvases and the row buffers are aligned).
inline swar_word swar_load(const uint8_t *p) {
    swar_word v;
    std::memcpy(&v, __builtin_assume_aligned(p, sizeof(swar_word)), sizeof v);
    return v;
}

inline void swar_store(uint8_t *p, swar_word v) {
    std::memcpy(__builtin_assume_aligned(p, sizeof(swar_word)), &v, sizeof v);
}

// dst[i] = min(dst[i] + src[i], 255) for n bytes, n a multiple of 8, both word-aligned: sixteen at
// a time where the processor has SSE2 (every x86-64), a word at a time elsewhere.
inline void add_saturate_bytes(uint8_t *dst, const uint8_t *src, int n) {
    int i = 0;
#if defined(__SSE2__)
    for (; i + 16 <= n; i += 16) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i *>(dst + i));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i *>(src + i));
        _mm_storeu_si128(reinterpret_cast<__m128i *>(dst + i), _mm_adds_epu8(a, b));
    }
#endif
    for (; i < n; i += swar_bytes)
        swar_store(dst + i, swar_add_saturate(swar_load(dst + i), swar_load(src + i)));
}
