// AVX2 interior rows of the demosaic: byte weights (maddubs) on 32 output pixels per step for
// 8-bit samples, merged colour rows on 16 per step for 16-bit ones, byte shuffles interleaving
// the stores.
// This file is built for AVX2 and runs only after the run-time check, so it shares no inline
// function or template with other files (one emitted here with AVX2 instructions could be
// picked by the linker for callers without the check): every helper stays in the anonymous
// namespace, and the row selection of bayer_rows.h has internal linkage.
#include "pipeline/demosaic_avx2.h"

#include "pipeline/bayer_rows.h"

#include <immintrin.h>

namespace {

constexpr int32_t kPixels = 32;  // output pixels per step of 8-bit samples
constexpr int32_t kReach = 2;    // columns read past the last output pixel of a step or block
constexpr int kOddWords = 0xAA;  // blend mask of the odd 16-bit lanes of each 128-bit half

// For the helpers that return several vectors: as calls they would return them through memory.
#define VELMOR_VECTORS_INLINE [[gnu::always_inline]] inline

__m256i Load(const void* p) { return _mm256_loadu_si256(static_cast<const __m256i*>(p)); }

// Red and blue sums of output pixels x + 2k ("even") and x + 2k + 1 ("odd") in 16-bit lanes.
struct LanePair {
    __m256i even;
    __m256i odd;
};

__m256i Times3(__m256i v) { return _mm256_add_epi16(v, _mm256_slli_epi16(v, 1)); }

// ---- 8-bit samples ----

// maddubs multiplies bytes by signed byte weights and adds each pair into a 16-bit lane: with a
// weight of 0 on one byte of the pair it picks the even or odd columns and weights them at once.
// The sums come out 8 times the scalar ones (8 x 4080 fits 16 bits, and no pair reaches the
// signed saturation of maddubs), so that with the gain times 4 the high half of the 16 x 16
// multiply is (gain x sum) >> 11.
constexpr int kSumScale8 = 8;
constexpr int kGainShift8 = 2;

__m256i EvenWeight(int w) { return _mm256_set1_epi16(static_cast<int16_t>(w * kSumScale8)); }
__m256i OddWeight(int w) { return _mm256_set1_epi16(static_cast<int16_t>(w * kSumScale8 << 8)); }
__m256i Weighted(const uint8_t* p, __m256i weight) { return _mm256_maddubs_epi16(Load(p), weight); }

// The colour of the even columns: output x + 2k reads columns x + 2k (x 3) and x + 2k - 2, output
// x + 2k + 1 reads x + 2k (x 3) and x + 2k + 2; each in its row (x 3) and the partner row.
VELMOR_VECTORS_INLINE LanePair EvenColourSums(const uint8_t* row, const uint8_t* partner, int32_t x)
{
    auto pair = [row, partner](int32_t c, int rowWeight, int partnerWeight) {
        return _mm256_add_epi16(Weighted(row + c, EvenWeight(rowWeight)),
                                Weighted(partner + c, EvenWeight(partnerWeight)));
    };
    const __m256i here = pair(x, 9, 3);
    const __m256i left = pair(x - 2, 3, 1);
    const __m256i right = pair(x + 2, 3, 1);
    return LanePair{_mm256_add_epi16(here, left), _mm256_add_epi16(here, right)};
}

// The colour of the odd columns: output x + 2k reads x + 2k - 1 (x 3) and x + 2k + 1; output
// x + 2k + 1 the reverse.
VELMOR_VECTORS_INLINE LanePair OddColourSums(const uint8_t* row, const uint8_t* partner, int32_t x)
{
    auto pair = [row, partner](int32_t c) {
        return _mm256_add_epi16(Weighted(row + c, OddWeight(3)), Weighted(partner + c, OddWeight(1)));
    };
    const __m256i before = pair(x - 2);
    const __m256i after = pair(x);
    return LanePair{_mm256_add_epi16(Times3(before), after), _mm256_add_epi16(Times3(after), before)};
}

// Scaled and saturated to bytes by the pack (256 and more store as 255, the cap): in each
// 128-bit half the even pixels in bytes 0-7, the odd ones in bytes 8-15.
__m256i ScaledBytes(const LanePair& sum, __m256i gain)
{
    return _mm256_packus_epi16(_mm256_mulhi_epu16(sum.even, gain), _mm256_mulhi_epu16(sum.odd, gain));
}

// Halves of two bytes, rounded down: the rounded-up average less the dropped bit.
__m256i FloorAverage8(__m256i a, __m256i b)
{
    return _mm256_sub_epi8(_mm256_avg_epu8(a, b), _mm256_and_si256(_mm256_xor_si256(a, b), _mm256_set1_epi8(1)));
}

struct Pixels8 {
    __m256i blue;   // parity-split halves as ScaledBytes gives them
    __m256i green;  // column order
    __m256i red;    // parity-split
};

template <bool RedEven>
VELMOR_VECTORS_INLINE Pixels8 ThirtyTwoPixels8(const LaneRows<uint8_t>& r, int32_t x, __m256i gainRed, __m256i gainBlue)
{
    const LanePair evenSum = EvenColourSums(r.evenColour, r.evenPartner, x);
    const LanePair oddSum = OddColourSums(r.oddColour, r.oddPartner, x);
    const __m256i oddColumns = _mm256_set1_epi16(static_cast<int16_t>(0xFF00));
    auto blend = [oddColumns](__m256i even, __m256i odd) { return _mm256_blendv_epi8(even, odd, oddColumns); };
    // Green, in column order, is half the sum of the two greens of the 2 x 2 block ending at each
    // column, one from each green row. Merged by column parity (greenEven in even columns), the
    // rows hold both side by side: at the column and the one before, where the parities swap.
    const __m256i greens = blend(Load(r.greenEven + x), Load(r.greenOdd + x));
    const __m256i greensLeft = blend(Load(r.greenOdd + x - 1), Load(r.greenEven + x - 1));
    return Pixels8{ScaledBytes(RedEven ? oddSum : evenSum, gainBlue), FloorAverage8(greensLeft, greens),
                   ScaledBytes(RedEven ? evenSum : oddSum, gainRed)};
}

// ---- 16-bit samples (at most 10 bits) ----

// Sixteen columns per vector, in column order. At each column one colour is sited (its row has it
// there) and the other is not: the sited one sums 3 x its vertical sum there and 1 x the one two
// columns to the left, the other 3 x its vertical sum one column to the left and 1 x the one to
// the right. With the two colour rows merged by column parity, both sums take the same form at
// every column, whichever colour each gives; the neighbours' sums come from the vectors of the
// blocks before and after, so each block loads its own columns only.

// Three times the sample plus its vertical partner: the column part of the 9/3/3/1 weights.
__m256i Vertical(__m256i row, __m256i partner) { return _mm256_add_epi16(Times3(row), partner); }

// The 16 columns from c (even): the vertical sum of the colour sited at each column, and the green
// of each column (a colour row holds green in the columns of the other parity).
struct Columns16 {
    __m256i sums;
    __m256i greens;
};

Columns16 LoadColumns16(const LaneRows<uint16_t>& r, int32_t c)
{
    const __m256i even = Load(r.evenColour + c);
    const __m256i odd = Load(r.oddColour + c);
    const __m256i partner = _mm256_blend_epi16(Load(r.evenPartner + c), Load(r.oddPartner + c), kOddWords);
    return Columns16{Vertical(_mm256_blend_epi16(even, odd, kOddWords), partner),
                     _mm256_blend_epi16(odd, even, kOddWords)};
}

// Stand-ins for the blocks before and after a block, where those cannot be loaded whole: the
// block reads only the last two words of the one before and the first two of the one after, which
// the 16 columns two before (their words 0, 1) and two after (words 14, 15) hold.
__m256i LastTwoOf(__m256i fromTwoBefore)
{
    const __m256i v = _mm256_bslli_epi128(fromTwoBefore, 12);  // words 0, 1 to 6, 7
    return _mm256_permute2x128_si256(v, v, 0x00);              // and to 14, 15
}
__m256i FirstTwoOf(__m256i fromTwoAfter)
{
    const __m256i v = _mm256_bsrli_epi128(fromTwoAfter, 12);  // words 14, 15 to 8, 9
    return _mm256_permute2x128_si256(v, v, 0x11);             // and to 0, 1
}
Columns16 BlockBefore(const LaneRows<uint16_t>& r, int32_t c)
{
    const Columns16 v = LoadColumns16(r, c - 2);
    return Columns16{LastTwoOf(v.sums), LastTwoOf(v.greens)};
}
Columns16 BlockAfter(const LaneRows<uint16_t>& r, int32_t c)
{
    const Columns16 v = LoadColumns16(r, c + 2);
    return Columns16{FirstTwoOf(v.sums), FirstTwoOf(v.greens)};
}

// The vector `words` columns to the left (1 or 2) or right (-1) of `here`, within 16 + 16 + 16.
template <int Words>
__m256i Shifted(__m256i before, __m256i here, __m256i after)
{
    if constexpr (Words > 0)
        return _mm256_alignr_epi8(here, _mm256_permute2x128_si256(before, here, 0x21), 16 - 2 * Words);
    else
        return _mm256_alignr_epi8(_mm256_permute2x128_si256(here, after, 0x21), here, -2 * Words);
}

// Sum and gain pre-shifted so that the high half of the multiply is (gain x sum) >> 11, capped
// at the largest sample as the scalar products are.
constexpr int kSumShift16 = 2;   // 16368 << 2 fills 16 bits
constexpr int kGainShift16 = 3;  // with the sum's shift: 16 - 11
__m256i Scaled16(__m256i sum, __m256i gain)
{
    return _mm256_min_epu16(_mm256_mulhi_epu16(_mm256_slli_epi16(sum, kSumShift16), gain), _mm256_set1_epi16(1023));
}

struct Pixels16 {
    __m256i blue;
    __m256i green;
    __m256i red;
};

// Output columns c .. c + 15 from the columns of the block and its neighbours. gainSite: the
// gain of the colour sited at each column, gainOther of the other one.
template <bool RedEven>
VELMOR_VECTORS_INLINE Pixels16 SixteenPixels16(const Columns16& before, const Columns16& here,
                                               const Columns16& after, __m256i gainSite, __m256i gainOther)
{
    const __m256i site = _mm256_add_epi16(Times3(here.sums), Shifted<2>(before.sums, here.sums, after.sums));
    const __m256i other = _mm256_add_epi16(Times3(Shifted<1>(before.sums, here.sums, after.sums)),
                                           Shifted<-1>(before.sums, here.sums, after.sums));
    const __m256i siteScaled = Scaled16(site, gainSite);
    const __m256i otherScaled = Scaled16(other, gainOther);
    // Green is half the sum of the two greens of the 2 x 2 block ending at each column.
    const __m256i greensLeft = Shifted<1>(before.greens, here.greens, after.greens);
    const __m256i green = _mm256_srli_epi16(_mm256_add_epi16(greensLeft, here.greens), 1);
    // Red is sited in the even columns when RedEven.
    const __m256i evenSite = _mm256_blend_epi16(siteScaled, otherScaled, kOddWords);
    const __m256i oddSite = _mm256_blend_epi16(otherScaled, siteScaled, kOddWords);
    return Pixels16{RedEven ? oddSite : evenSite, green, RedEven ? evenSite : oddSite};
}

// Stores three vectors, each holding 48 bytes split over its 128-bit halves, as 96 bytes:
// lows first (thirds 0, 1, 2 of the low half), then the highs.
void StoreThirds(void* out, __m256i third0, __m256i third1, __m256i third2)
{
    __m256i* p = static_cast<__m256i*>(out);
    _mm256_storeu_si256(p, _mm256_permute2x128_si256(third0, third1, 0x20));
    _mm256_storeu_si256(p + 1, _mm256_permute2x128_si256(third2, third0, 0x30));
    _mm256_storeu_si256(p + 2, _mm256_permute2x128_si256(third1, third2, 0x31));
}

// Replaces the first three samples of each pixel and keeps the fourth (bgr: mask of the three).
void StoreKeeping8(uint8_t* out, __m256i pixels, __m256i bgr)
{
    __m256i* p = reinterpret_cast<__m256i*>(out);
    _mm256_storeu_si256(p, _mm256_blendv_epi8(_mm256_loadu_si256(p), pixels, bgr));
}
void StoreKeeping16(uint16_t* out, __m256i pixels)
{
    constexpr int kBgrWords = 0x77;  // words 0-2 and 4-6 of each 128-bit half
    __m256i* p = reinterpret_cast<__m256i*>(out);
    _mm256_storeu_si256(p, _mm256_blend_epi16(_mm256_loadu_si256(p), pixels, kBgrWords));
}

__m256i BothHalves(__m128i v) { return _mm256_broadcastsi128_si256(v); }

// 32 pixels of 3 bytes. In each 128-bit half's 48 bytes, every byte position of a 16-byte third
// takes a different plane in each third: one shuffle per plane puts its samples at their
// positions, and blends pick the plane per third. Blue and red come parity-split (ScaledBytes),
// green in column order.
void StorePixels3(uint8_t* out, const Pixels8& p)
{
    // The byte of the plane that lands at each position.
    const __m256i b =
        _mm256_shuffle_epi8(p.blue, BothHalves(_mm_setr_epi8(0, 13, 3, 8, 6, 11, 1, 14, 4, 9, 7, 12, 2, 15, 5, 10)));
    const __m256i g =
        _mm256_shuffle_epi8(p.green, BothHalves(_mm_setr_epi8(5, 0, 11, 6, 1, 12, 7, 2, 13, 8, 3, 14, 9, 4, 15, 10)));
    const __m256i r =
        _mm256_shuffle_epi8(p.red, BothHalves(_mm_setr_epi8(5, 10, 0, 13, 3, 8, 6, 11, 1, 14, 4, 9, 7, 12, 2, 15)));
    // Byte positions i with i % 3 == 0, 1, 2.
    const __m256i m0 = BothHalves(_mm_setr_epi8(-1, 0, 0, -1, 0, 0, -1, 0, 0, -1, 0, 0, -1, 0, 0, -1));
    const __m256i m1 = BothHalves(_mm_setr_epi8(0, -1, 0, 0, -1, 0, 0, -1, 0, 0, -1, 0, 0, -1, 0, 0));
    const __m256i m2 = BothHalves(_mm_setr_epi8(0, 0, -1, 0, 0, -1, 0, 0, -1, 0, 0, -1, 0, 0, -1, 0));
    StoreThirds(out, _mm256_blendv_epi8(_mm256_blendv_epi8(b, g, m1), r, m2),
                _mm256_blendv_epi8(_mm256_blendv_epi8(b, g, m0), r, m1),
                _mm256_blendv_epi8(_mm256_blendv_epi8(b, g, m2), r, m0));
}

// 32 pixels of 4 bytes, the fourth kept. Unpacks interleave within halves: pixels 0-3 | 16-19 and so on.
void StorePixels4(uint8_t* out, const Pixels8& p)
{
    const __m256i columnOrder = BothHalves(_mm_setr_epi8(0, 8, 1, 9, 2, 10, 3, 11, 4, 12, 5, 13, 6, 14, 7, 15));
    const __m256i blue = _mm256_shuffle_epi8(p.blue, columnOrder);
    const __m256i red = _mm256_shuffle_epi8(p.red, columnOrder);
    const __m256i zero = _mm256_setzero_si256();
    const __m256i bgLow = _mm256_unpacklo_epi8(blue, p.green);   // pixels 0-7 | 16-23
    const __m256i bgHigh = _mm256_unpackhi_epi8(blue, p.green);  // 8-15 | 24-31
    const __m256i r0Low = _mm256_unpacklo_epi8(red, zero);
    const __m256i r0High = _mm256_unpackhi_epi8(red, zero);
    const __m256i q0 = _mm256_unpacklo_epi16(bgLow, r0Low);      // 0-3 | 16-19
    const __m256i q1 = _mm256_unpackhi_epi16(bgLow, r0Low);      // 4-7 | 20-23
    const __m256i q2 = _mm256_unpacklo_epi16(bgHigh, r0High);    // 8-11 | 24-27
    const __m256i q3 = _mm256_unpackhi_epi16(bgHigh, r0High);    // 12-15 | 28-31
    const __m256i bgr = _mm256_set1_epi32(0x00FFFFFF);
    StoreKeeping8(out, _mm256_permute2x128_si256(q0, q1, 0x20), bgr);
    StoreKeeping8(out + 32, _mm256_permute2x128_si256(q2, q3, 0x20), bgr);
    StoreKeeping8(out + 64, _mm256_permute2x128_si256(q0, q1, 0x31), bgr);
    StoreKeeping8(out + 96, _mm256_permute2x128_si256(q2, q3, 0x31), bgr);
}

// 16 pixels of three 16-bit samples from planes in column order (8 per half), the same way
// as the bytes: word positions i % 3 == 0, 1, 2 of a third are the blend masks.
void StorePixels3(uint16_t* out, __m256i blue, __m256i green, __m256i red)
{
    constexpr int kWords0 = 0x49;  // words 0, 3, 6
    constexpr int kWords1 = 0x92;  // words 1, 4, 7
    constexpr int kWords2 = 0x24;  // words 2, 5
    // The word of the plane that lands at each position, as byte pairs.
    const __m256i b =
        _mm256_shuffle_epi8(blue, BothHalves(_mm_setr_epi8(0, 1, 6, 7, 12, 13, 2, 3, 8, 9, 14, 15, 4, 5, 10, 11)));
    const __m256i g =
        _mm256_shuffle_epi8(green, BothHalves(_mm_setr_epi8(10, 11, 0, 1, 6, 7, 12, 13, 2, 3, 8, 9, 14, 15, 4, 5)));
    const __m256i r =
        _mm256_shuffle_epi8(red, BothHalves(_mm_setr_epi8(4, 5, 10, 11, 0, 1, 6, 7, 12, 13, 2, 3, 8, 9, 14, 15)));
    StoreThirds(out, _mm256_blend_epi16(_mm256_blend_epi16(b, g, kWords1), r, kWords2),
                _mm256_blend_epi16(_mm256_blend_epi16(b, g, kWords2), r, kWords0),
                _mm256_blend_epi16(_mm256_blend_epi16(b, g, kWords0), r, kWords1));
}

// 16 pixels of four 16-bit samples, the fourth kept.
void StorePixels4(uint16_t* out, __m256i blue, __m256i green, __m256i red)
{
    const __m256i zero = _mm256_setzero_si256();
    const __m256i bgLow = _mm256_unpacklo_epi16(blue, green);   // pixels 0-3 | 8-11
    const __m256i bgHigh = _mm256_unpackhi_epi16(blue, green);  // 4-7 | 12-15
    const __m256i r0Low = _mm256_unpacklo_epi16(red, zero);
    const __m256i r0High = _mm256_unpackhi_epi16(red, zero);
    const __m256i q0 = _mm256_unpacklo_epi32(bgLow, r0Low);     // 0-1 | 8-9
    const __m256i q1 = _mm256_unpackhi_epi32(bgLow, r0Low);     // 2-3 | 10-11
    const __m256i q2 = _mm256_unpacklo_epi32(bgHigh, r0High);   // 4-5 | 12-13
    const __m256i q3 = _mm256_unpackhi_epi32(bgHigh, r0High);   // 6-7 | 14-15
    StoreKeeping16(out, _mm256_permute2x128_si256(q0, q1, 0x20));
    StoreKeeping16(out + 16, _mm256_permute2x128_si256(q2, q3, 0x20));
    StoreKeeping16(out + 32, _mm256_permute2x128_si256(q0, q1, 0x31));
    StoreKeeping16(out + 48, _mm256_permute2x128_si256(q2, q3, 0x31));
}

// One step of 32 output pixels from column x.
template <int Step, bool RedEven>
VELMOR_VECTORS_INLINE void ThirtyTwoPixels(const LaneRows<uint8_t>& r, uint8_t* out, int32_t x, __m256i gainRed,
                                            __m256i gainBlue)
{
    const Pixels8 p = ThirtyTwoPixels8<RedEven>(r, x, gainRed, gainBlue);
    if constexpr (Step == 4)
        StorePixels4(out + x * Step, p);
    else
        StorePixels3(out + x * Step, p);
}

template <int Step, bool RedEven>
int32_t InteriorRow(const uint8_t* const rows[4], uint8_t* out, int32_t width, int32_t gainRed, int32_t gainBlue,
                    bool rowState, bool columnState)
{
    const LaneRows<uint8_t> laneRows = MakeLaneRows(rows, rowState, columnState);
    const __m256i red = _mm256_set1_epi16(static_cast<int16_t>(gainRed << kGainShift8));
    const __m256i blue = _mm256_set1_epi16(static_cast<int16_t>(gainBlue << kGainShift8));
    int32_t x = 2;
    for (; x + kPixels + kReach <= width; x += kPixels)
        ThirtyTwoPixels<Step, RedEven>(laneRows, out, x, red, blue);
    // The rest of the row, if at least one step fitted: one more step ending at the last even
    // column it can, rewriting some pixels with the same values instead of up to 33 scalar ones.
    const int32_t last = (width - kPixels - kReach) & ~1;
    if (x > 2 && x <= width - 3 && last > x - kPixels) {
        ThirtyTwoPixels<Step, RedEven>(laneRows, out, last, red, blue);
        x = last + kPixels;
    }
    return x;
}

template <int Step>
void StorePixels16(uint16_t* out, const Pixels16& p)
{
    if constexpr (Step == 4)
        StorePixels4(out, p.blue, p.green, p.red);
    else
        StorePixels3(out, p.blue, p.green, p.red);
}

// Blocks of 16 columns, each block's vectors kept for its neighbours while the block after it can
// be loaded whole; the last blocks read their neighbours' columns directly.
template <int Step, bool RedEven>
int32_t InteriorRow(const uint16_t* const rows[4], uint16_t* out, int32_t width, int32_t gainRed,
                    int32_t gainBlue, bool rowState, bool columnState)
{
    constexpr int32_t kBlock = 16;
    const LaneRows<uint16_t> r = MakeLaneRows(rows, rowState, columnState);
    const __m256i red = _mm256_set1_epi16(static_cast<int16_t>(gainRed << kGainShift16));
    const __m256i blue = _mm256_set1_epi16(static_cast<int16_t>(gainBlue << kGainShift16));
    // Per column the gain of the sited colour and of the other one; red is sited in even columns
    // when RedEven.
    const __m256i evenRed = _mm256_blend_epi16(red, blue, kOddWords);
    const __m256i evenBlue = _mm256_blend_epi16(blue, red, kOddWords);
    const __m256i gainSite = RedEven ? evenRed : evenBlue;
    const __m256i gainOther = RedEven ? evenBlue : evenRed;
    auto edgeBlock = [&](int32_t c) {
        const Pixels16 p = SixteenPixels16<RedEven>(BlockBefore(r, c), LoadColumns16(r, c), BlockAfter(r, c),
                                                    gainSite, gainOther);
        StorePixels16<Step>(out + c * Step, p);
    };
    int32_t c = 2;
    if (c + kBlock + kReach > width)
        return c;
    Columns16 before = BlockBefore(r, c);
    Columns16 here = LoadColumns16(r, c);
    for (; c + 2 * kBlock <= width; c += kBlock) {
        const Columns16 after = LoadColumns16(r, c + kBlock);
        StorePixels16<Step>(out + c * Step, SixteenPixels16<RedEven>(before, here, after, gainSite, gainOther));
        before = here;
        here = after;
    }
    for (; c + kBlock + kReach <= width; c += kBlock)
        edgeBlock(c);
    // The rest: one more block ending at the last even column it can, rewriting some pixels with
    // the same values.
    const int32_t last = (width - kBlock - kReach) & ~1;
    if (c <= width - 3 && last > c - kBlock) {
        edgeBlock(last);
        c = last + kBlock;
    }
    return c;
}

// Red is the colour of the even columns where their column state is 0; chosen once per row.
template <typename S, int Step>
int32_t InteriorRowAt(const S* const rows[4], S* out, int32_t width, int32_t gainRed, int32_t gainBlue,
                      bool rowState, bool columnState)
{
    return columnState ? InteriorRow<Step, false>(rows, out, width, gainRed, gainBlue, rowState, columnState)
                       : InteriorRow<Step, true>(rows, out, width, gainRed, gainBlue, rowState, columnState);
}

}  // namespace

int32_t DemosaicRowAvx2(const uint8_t* const rows[4], uint8_t* out, int32_t width, int step, int32_t gainRed,
                        int32_t gainBlue, bool rowState, bool columnState)
{
    return step == 4 ? InteriorRowAt<uint8_t, 4>(rows, out, width, gainRed, gainBlue, rowState, columnState)
                     : InteriorRowAt<uint8_t, 3>(rows, out, width, gainRed, gainBlue, rowState, columnState);
}

int32_t DemosaicRowAvx2(const uint16_t* const rows[4], uint16_t* out, int32_t width, int step, int32_t gainRed,
                        int32_t gainBlue, bool rowState, bool columnState)
{
    return step == 4 ? InteriorRowAt<uint16_t, 4>(rows, out, width, gainRed, gainBlue, rowState, columnState)
                     : InteriorRowAt<uint16_t, 3>(rows, out, width, gainRed, gainBlue, rowState, columnState);
}
