#pragma once
// SSE2 helpers shared by the stages: lane selection and the stores of eight pixels from planar
// blue, green and red lanes into 3- or 4-sample pixels. Internal to the pipeline.
#include <cstdint>

#include "pipeline/simd.h"

#if VELMOR_PIPELINE_SSE2

// Lanes of `a` where `mask` is set, of `b` elsewhere.
inline __m128i Select(__m128i mask, __m128i a, __m128i b)
{
    return _mm_or_si128(_mm_and_si128(mask, a), _mm_andnot_si128(mask, b));
}

inline __m128i LoadBytesAsWords(const uint8_t* p)
{
    return _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p)), _mm_setzero_si128());
}
inline __m128i LoadWords(const uint16_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }

// Four pixels of (sample, sample, sample, 0) packed into 12 bytes at the start of the vector.
inline __m128i PackFourPixels8(__m128i bgr0)
{
    const __m128i low3 = _mm_set1_epi64x(0x0000000000FFFFFFll);
    const __m128i high3 = _mm_set1_epi64x(0x0000FFFFFF000000ll);
    // Each 64-bit half: pixel 0 stays, pixel 1 moves down one byte; then the upper half moves down two.
    const __m128i halves = _mm_or_si128(_mm_and_si128(bgr0, low3), _mm_and_si128(_mm_srli_epi64(bgr0, 8), high3));
    const __m128i lowHalf = _mm_set_epi32(0, 0, -1, -1);
    return _mm_or_si128(_mm_and_si128(halves, lowHalf), _mm_srli_si128(_mm_andnot_si128(lowHalf, halves), 2));
}

// Two pixels of 16-bit (blue, green, red, 0) packed into 12 bytes at the start of the vector.
inline __m128i PackTwoPixels16(__m128i bgr0)
{
    const __m128i firstThree = _mm_set_epi32(0, 0, 0x0000FFFF, -1);
    const __m128i nextThree = _mm_set_epi32(0, -1, static_cast<int>(0xFFFF0000u), 0);
    return _mm_or_si128(_mm_and_si128(bgr0, firstThree), _mm_and_si128(_mm_srli_si128(bgr0, 2), nextThree));
}

// Keeps the fourth sample of each destination pixel: `samples` bits from the new pixels, the rest from dst.
inline void StoreKeeping(void* dst, __m128i pixels, __m128i samples)
{
    __m128i* p = static_cast<__m128i*>(dst);
    _mm_storeu_si128(p, Select(samples, pixels, _mm_loadu_si128(p)));
}

// Eight pixels from 16-bit lanes holding 0..255 (larger values saturate to 255). With Step 3 the
// stores run 4 bytes past the eighth pixel: the caller writes those pixels afterwards.
template <int Step>
inline void StoreEight8(uint8_t* out, __m128i blue, __m128i green, __m128i red)
{
    const __m128i zero = _mm_setzero_si128();
    const __m128i bg = _mm_unpacklo_epi8(_mm_packus_epi16(blue, blue), _mm_packus_epi16(green, green));
    const __m128i r0 = _mm_unpacklo_epi8(_mm_packus_epi16(red, red), zero);
    const __m128i first = _mm_unpacklo_epi16(bg, r0);
    const __m128i second = _mm_unpackhi_epi16(bg, r0);
    if constexpr (Step == 4) {
        const __m128i bgr = _mm_set1_epi32(0x00FFFFFF);
        StoreKeeping(out, first, bgr);
        StoreKeeping(out + 16, second, bgr);
    } else {
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out), PackFourPixels8(first));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 12), PackFourPixels8(second));
    }
}

// Eight pixels of 16-bit samples as four vectors of two (blue, green, red, 0) pixels each.
inline void PixelPairs16(__m128i blue, __m128i green, __m128i red, __m128i (&pairs)[4])
{
    const __m128i zero = _mm_setzero_si128();
    const __m128i bgLow = _mm_unpacklo_epi16(blue, green);
    const __m128i bgHigh = _mm_unpackhi_epi16(blue, green);
    const __m128i r0Low = _mm_unpacklo_epi16(red, zero);
    const __m128i r0High = _mm_unpackhi_epi16(red, zero);
    pairs[0] = _mm_unpacklo_epi32(bgLow, r0Low);
    pairs[1] = _mm_unpackhi_epi32(bgLow, r0Low);
    pairs[2] = _mm_unpacklo_epi32(bgHigh, r0High);
    pairs[3] = _mm_unpackhi_epi32(bgHigh, r0High);
}

// Eight pixels of 16-bit samples. With Step 3 the stores run 4 bytes past the eighth pixel.
template <int Step>
inline void StoreEight16(uint16_t* out, __m128i blue, __m128i green, __m128i red)
{
    __m128i pairs[4];
    PixelPairs16(blue, green, red, pairs);
    if constexpr (Step == 4) {
        const __m128i bgr = _mm_set1_epi64x(0x0000FFFFFFFFFFFFll);
        for (int i = 0; i < 4; ++i)
            StoreKeeping(out + 8 * i, pairs[i], bgr);
    } else {
        for (int i = 0; i < 4; ++i)
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 6 * i), PackTwoPixels16(pairs[i]));
    }
}

// Eight pixels of three 16-bit samples, exactly 48 bytes: the four 12-byte pairs joined.
inline void StoreEight16Exact(uint16_t* out, __m128i blue, __m128i green, __m128i red)
{
    __m128i pairs[4];
    PixelPairs16(blue, green, red, pairs);
    const __m128i q0 = PackTwoPixels16(pairs[0]);
    const __m128i q1 = PackTwoPixels16(pairs[1]);
    const __m128i q2 = PackTwoPixels16(pairs[2]);
    const __m128i q3 = PackTwoPixels16(pairs[3]);
    __m128i* p = reinterpret_cast<__m128i*>(out);
    _mm_storeu_si128(p, _mm_or_si128(q0, _mm_slli_si128(q1, 12)));
    _mm_storeu_si128(p + 1, _mm_or_si128(_mm_srli_si128(q1, 4), _mm_slli_si128(q2, 8)));
    _mm_storeu_si128(p + 2, _mm_or_si128(_mm_srli_si128(q2, 8), _mm_slli_si128(q3, 4)));
}

// Sixteen 3-byte pixels held in three vectors (48 bytes) split into planes of 16-bit lanes, even
// pixels (0, 2, .., 14) in even[c] and odd ones in odd[c], c the sample: a byte transpose by
// shifts and unpacks.
inline void TransposeSixteen8(__m128i a, __m128i f, __m128i b, __m128i (&even)[3], __m128i (&odd)[3])
{
    // Each round interleaves the halves of the previous one; three rounds sort 48 bytes by sample.
    __m128i g = _mm_srli_si128(a, 8);
    a = _mm_unpackhi_epi8(_mm_slli_si128(a, 8), f);
    g = _mm_unpacklo_epi8(g, b);
    f = _mm_unpackhi_epi8(_mm_slli_si128(f, 8), b);
    __m128i d = _mm_srli_si128(a, 8);
    a = _mm_unpackhi_epi8(_mm_slli_si128(a, 8), g);
    d = _mm_unpacklo_epi8(d, f);
    g = _mm_unpackhi_epi8(_mm_slli_si128(g, 8), f);
    __m128i e = _mm_srli_si128(a, 8);
    a = _mm_unpackhi_epi8(_mm_slli_si128(a, 8), d);
    e = _mm_unpacklo_epi8(e, g);
    d = _mm_unpackhi_epi8(_mm_slli_si128(d, 8), g);
    // a: sample 0 even | sample 1 even; e: sample 2 even | sample 0 odd; d: sample 1 odd | sample 2 odd.
    const __m128i zero = _mm_setzero_si128();
    even[0] = _mm_unpacklo_epi8(a, zero);
    even[1] = _mm_unpackhi_epi8(a, zero);
    even[2] = _mm_unpacklo_epi8(e, zero);
    odd[0] = _mm_unpackhi_epi8(e, zero);
    odd[1] = _mm_unpacklo_epi8(d, zero);
    odd[2] = _mm_unpackhi_epi8(d, zero);
}

inline void LoadSixteen8(const uint8_t* p, __m128i (&even)[3], __m128i (&odd)[3])
{
    const __m128i* v = reinterpret_cast<const __m128i*>(p);
    TransposeSixteen8(_mm_loadu_si128(v), _mm_loadu_si128(v + 1), _mm_loadu_si128(v + 2), even, odd);
}

// The inverse of LoadSixteen8: sixteen 3-byte pixels from even and odd lanes (16-bit lanes
// holding 0..255; larger values saturate to 255), stored exactly, 48 bytes.
inline void StoreSixteen8(uint8_t* p, const __m128i (&even)[3], const __m128i (&odd)[3])
{
    const __m128i low = _mm_set1_epi16(0x00FF);
    // Undoes one transpose round: splits each vector's bytes by parity and regroups the halves.
    auto unround = [low](__m128i& x, __m128i& y, __m128i& z) {
        const __m128i evens = _mm_packus_epi16(_mm_and_si128(x, low), _mm_and_si128(y, low));
        const __m128i odds = _mm_packus_epi16(_mm_srli_epi16(x, 8), _mm_srli_epi16(y, 8));
        const __m128i third = _mm_packus_epi16(_mm_and_si128(z, low), _mm_srli_epi16(z, 8));
        x = evens;
        y = _mm_unpacklo_epi64(third, odds);
        z = _mm_unpackhi_epi64(odds, third);
    };
    __m128i a = _mm_packus_epi16(even[0], even[1]);
    __m128i b = _mm_packus_epi16(even[2], odd[0]);
    __m128i c = _mm_packus_epi16(odd[1], odd[2]);
    for (int round = 0; round < 3; ++round)
        unround(a, b, c);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p), a);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p + 16), b);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p + 32), c);
}

#endif
