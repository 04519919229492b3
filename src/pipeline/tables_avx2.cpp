// Tables looked up a whole vector at a time, and luminance from colour. Built for AVX2; the byte
// permutes of AVX-512 VBMI are enabled per function. Every function here runs only after the
// pipeline's processor check (simd.h), so nothing from this file may run on an older processor.
#include "pipeline/tables_avx2.h"

#include <immintrin.h>

#define VELMOR_VBMI __attribute__((target("avx512f,avx512bw,avx512vbmi")))

namespace {

constexpr int kVbmiBytes = 64;
constexpr uint64_t kEvenBytes = 0x5555555555555555ull;
constexpr uint64_t kFirstThreeOfFour = 0x7777777777777777ull;

// A 256-entry byte table in four registers of 64 entries.
struct VbmiTable {
    __m512i part[4];
};

VELMOR_VBMI VbmiTable LoadTable(const uint8_t* table)
{
    VbmiTable t;
    for (int i = 0; i < 4; ++i)
        t.part[i] = _mm512_loadu_si512(table + kVbmiBytes * i);
    return t;
}

// Two permutes of 128 entries each (bits 0..6 of the byte), the top bit picks between them.
VELMOR_VBMI inline __m512i Lookup(__m512i v, const VbmiTable& t)
{
    const __m512i low = _mm512_permutex2var_epi8(t.part[0], v, t.part[1]);
    const __m512i high = _mm512_permutex2var_epi8(t.part[2], v, t.part[3]);
    return _mm512_mask_blend_epi8(_mm512_movepi8_mask(v), low, high);
}

template <bool Alternate>
VELMOR_VBMI inline __m512i MapVector(__m512i v, const VbmiTable& even, const VbmiTable& odd)
{
    const __m512i mapped = Lookup(v, even);
    if constexpr (!Alternate)
        return mapped;
    return _mm512_mask_blend_epi8(kEvenBytes, Lookup(v, odd), mapped);
}

// Blocks start at multiples of 64 bytes from p, so byte parity and pixel position repeat per block.
template <bool Alternate>
VELMOR_VBMI void MapBlocks(uint8_t* p, int32_t count, const VbmiTable& even, const VbmiTable& odd, uint64_t changed)
{
    int32_t i = 0;
    for (; i + kVbmiBytes <= count; i += kVbmiBytes) {
        const __m512i v = _mm512_loadu_si512(p + i);
        _mm512_storeu_si512(p + i, _mm512_mask_blend_epi8(changed, v, MapVector<Alternate>(v, even, odd)));
    }
    if (i < count) {
        // Masked loads and stores touch only the bytes of the row, and fault on none past it.
        const __mmask64 tail = changed & ((uint64_t{1} << (count - i)) - 1);
        const __m512i v = _mm512_maskz_loadu_epi8(tail, p + i);
        _mm512_mask_storeu_epi8(p + i, tail, MapVector<Alternate>(v, even, odd));
    }
}

constexpr int kGrayPixels = 32;  // per step: four groups of eight
constexpr int kGroupBytes = 24;
// Each group is read as two 16-byte halves at 0 and 12: the last one reads 4 bytes past its pixels.
constexpr int32_t kGrayReadBytes = 3 * kGrayPixels + 4;

// Sums of eight pixels as 32-bit lanes: lane half 0 holds pixels 0..3, half 1 pixels 4..7.
inline __m256i LumaSums(const uint8_t* p)
{
    const __m256i v = _mm256_inserti128_si256(
        _mm256_castsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p))),
        _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 12)), 1);
    // (blue, green, red) -> (blue, green, red, 0), then pairs of products and their sum.
    const __m256i spread = _mm256_setr_epi8(0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1, 0, 1, 2, -1, 3, 4,
                                            5, -1, 6, 7, 8, -1, 9, 10, 11, -1);
    const __m256i weights = _mm256_set1_epi32(kLumaBlue | kLumaGreen << 8 | kLumaRed << 16);
    const __m256i pairs = _mm256_maddubs_epi16(_mm256_shuffle_epi8(v, spread), weights);
    return _mm256_madd_epi16(pairs, _mm256_set1_epi16(1));
}

inline __m256i DivideBy100(__m256i sums)
{
    return _mm256_srli_epi16(_mm256_mulhi_epu16(sums, _mm256_set1_epi16(kLumaReciprocal)), kLumaReciprocalShift);
}

constexpr int kVbmiWords = 32;               // 16-bit samples per register
constexpr int kVbmiPermuteEntries = 128;     // bytes one two-register permute looks up
constexpr int kVbmiGroups = kVbmiWordTable / kVbmiPermuteEntries;
constexpr uint32_t kFirstThreeWordsOfFour = 0x77777777u;

// The low and the high bytes of a word table, in groups of 128 entries.
struct VbmiWordTable {
    int groups;
    __m512i low[2 * kVbmiGroups];
    __m512i high[2 * kVbmiGroups];
};

VELMOR_VBMI void SplitWordTable(const uint16_t* table, int32_t size, VbmiWordTable& t)
{
    uint8_t low[kVbmiWordTable];
    uint8_t high[kVbmiWordTable];
    for (int32_t i = 0; i < size; ++i) {
        low[i] = static_cast<uint8_t>(table[i]);
        high[i] = static_cast<uint8_t>(table[i] >> 8);
    }
    t.groups = size / kVbmiPermuteEntries;
    for (int i = 0; i < 2 * t.groups; ++i) {
        t.low[i] = _mm512_loadu_si512(low + kVbmiBytes * i);
        t.high[i] = _mm512_loadu_si512(high + kVbmiBytes * i);
    }
}

// Byte orders for the permutes between two registers of samples and two byte planes.
struct VbmiWordOrders {
    __m512i lowBytes;     // 0, 2, .., 126: the low byte of each sample of two registers
    __m512i firstWords;   // low[0], high[0], low[1], high[1], .. low[31], high[31]
    __m512i secondWords;  // the same from entry 32 on
};

VELMOR_VBMI VbmiWordOrders MakeWordOrders()
{
    uint8_t order[3][kVbmiBytes];
    for (int i = 0; i < kVbmiBytes; ++i) {
        order[0][i] = static_cast<uint8_t>(2 * i);
        order[1][i] = static_cast<uint8_t>(i / 2 + (i & 1) * kVbmiBytes);
        order[2][i] = static_cast<uint8_t>(kVbmiWords + i / 2 + (i & 1) * kVbmiBytes);
    }
    return VbmiWordOrders{_mm512_loadu_si512(order[0]), _mm512_loadu_si512(order[1]), _mm512_loadu_si512(order[2])};
}

// 64 samples, all below the table's size, in two registers: the low 7 bits of each sample pick
// the entry inside a group of 128 (one permute per byte plane), the bits above pick the group.
VELMOR_VBMI inline void LookupWords(__m512i& a, __m512i& b, const VbmiWordTable& t, const VbmiWordOrders& o)
{
    const __m512i entry = _mm512_permutex2var_epi8(a, o.lowBytes, b);
    const __m512i group =
        _mm512_permutex2var_epi8(_mm512_srli_epi16(a, 7), o.lowBytes, _mm512_srli_epi16(b, 7));
    __m512i low = _mm512_permutex2var_epi8(t.low[0], entry, t.low[1]);
    __m512i high = _mm512_permutex2var_epi8(t.high[0], entry, t.high[1]);
    for (int g = 1; g < t.groups; ++g) {
        const __mmask64 in = _mm512_cmpeq_epi8_mask(group, _mm512_set1_epi8(static_cast<char>(g)));
        low = _mm512_mask_mov_epi8(low, in, _mm512_permutex2var_epi8(t.low[2 * g], entry, t.low[2 * g + 1]));
        high = _mm512_mask_mov_epi8(high, in, _mm512_permutex2var_epi8(t.high[2 * g], entry, t.high[2 * g + 1]));
    }
    a = _mm512_permutex2var_epi8(low, o.firstWords, high);
    b = _mm512_permutex2var_epi8(low, o.secondWords, high);
}

// One row of MapWordRowsVbmi.
VELMOR_VBMI void MapWordsVbmi(uint16_t* p, int32_t count, const uint16_t* full, const VbmiWordTable& table,
                              const VbmiWordOrders& orders, bool keepFourth)
{
    const __m512i limit = _mm512_set1_epi16(static_cast<short>(table.groups * kVbmiPermuteEntries));
    const __mmask32 changed = keepFourth ? kFirstThreeWordsOfFour : ~uint32_t{0};
    int32_t i = 0;
    for (; i + 2 * kVbmiWords <= count; i += 2 * kVbmiWords) {
        const __m512i a = _mm512_loadu_si512(p + i);
        const __m512i b = _mm512_loadu_si512(p + i + kVbmiWords);
        if ((_mm512_cmpge_epu16_mask(a, limit) | _mm512_cmpge_epu16_mask(b, limit)) != 0) {
            // A sample above the curve's range (a faulty device): the whole table, one at a time.
            for (int32_t k = i; k < i + 2 * kVbmiWords; ++k)
                if (!keepFourth || (k & 3) != 3)
                    p[k] = full[p[k]];
            continue;
        }
        __m512i mappedA = a;
        __m512i mappedB = b;
        LookupWords(mappedA, mappedB, table, orders);
        _mm512_storeu_si512(p + i, _mm512_mask_blend_epi16(changed, a, mappedA));
        _mm512_storeu_si512(p + i + kVbmiWords, _mm512_mask_blend_epi16(changed, b, mappedB));
    }
    for (; i < count; ++i)
        if (!keepFourth || (i & 3) != 3)
            p[i] = full[p[i]];
}

}  // namespace

int32_t GrayFromColorAvx2(const uint8_t* in, uint8_t* out, int32_t width)
{
    int32_t x = 0;
    for (; 3 * (width - x) >= kGrayReadBytes; x += kGrayPixels) {
        const uint8_t* p = in + 3 * x;
        // The packs work per 128-bit half, so the dwords of four pixels end up as 0, 2, 4, 6, 1, 3, 5, 7.
        const __m256i first = DivideBy100(_mm256_packus_epi32(LumaSums(p), LumaSums(p + kGroupBytes)));
        const __m256i second =
            DivideBy100(_mm256_packus_epi32(LumaSums(p + 2 * kGroupBytes), LumaSums(p + 3 * kGroupBytes)));
        const __m256i bytes = _mm256_packus_epi16(first, second);
        const __m256i inOrder = _mm256_permutevar8x32_epi32(bytes, _mm256_setr_epi32(0, 4, 1, 5, 2, 6, 3, 7));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + x), inOrder);
    }
    return x;
}

int32_t GainRow16Avx2(uint16_t* row, int32_t width, const int32_t* gain, const int32_t* offset, int32_t limit)
{
    constexpr int kSamples = 16;
    const __m256i gains = _mm256_set1_epi32(gain[0] | gain[1] << 16);
    const __m256i offsets = _mm256_setr_epi32(offset[0], offset[1], offset[0], offset[1], offset[0], offset[1],
                                              offset[0], offset[1]);
    const __m256i zero = _mm256_setzero_si256();
    const __m256i limits = _mm256_set1_epi32(limit);
    auto finish = [&](__m256i product) {
        const __m256i v = _mm256_add_epi32(_mm256_srli_epi32(product, kGrayGainShift), offsets);
        return _mm256_min_epi32(_mm256_max_epi32(v, zero), limits);
    };
    int32_t x = 0;
    for (; x + kSamples <= width; x += kSamples) {
        __m256i* at = reinterpret_cast<__m256i*>(row + x);
        const __m256i s = _mm256_loadu_si256(at);
        const __m256i low = _mm256_mullo_epi16(s, gains);
        const __m256i high = _mm256_mulhi_epu16(s, gains);
        // Unpacks and pack work per 128-bit half alike, so the samples come back in order.
        const __m256i first = finish(_mm256_unpacklo_epi16(low, high));
        const __m256i second = finish(_mm256_unpackhi_epi16(low, high));
        _mm256_storeu_si256(at, _mm256_packus_epi32(first, second));
    }
    return x;
}

VELMOR_VBMI void MapBytesVbmi(uint8_t* p, int32_t count, const uint8_t* even, const uint8_t* odd, bool keepFourth)
{
    const VbmiTable evenTable = LoadTable(even);
    const uint64_t changed = keepFourth ? kFirstThreeOfFour : ~uint64_t{0};
    if (even == odd) {
        MapBlocks<false>(p, count, evenTable, evenTable, changed);
    } else {
        MapBlocks<true>(p, count, evenTable, LoadTable(odd), changed);
    }
}


VELMOR_VBMI void MapWordRowsVbmi(uint8_t* rows, int32_t stride, int32_t height, int32_t count, const uint16_t* full,
                                 int32_t size, bool keepFourth)
{
    VbmiWordTable table;
    SplitWordTable(full, size, table);
    const VbmiWordOrders orders = MakeWordOrders();
    for (int32_t y = 0; y < height; ++y)
        MapWordsVbmi(reinterpret_cast<uint16_t*>(rows + static_cast<intptr_t>(y) * stride), count, full, table, orders,
                     keepFourth);
}
