// SSE2 rows of the hue and saturation stage: the per-pixel step of hue_sat.cpp on eight pixels
// of 16-bit lanes, each channel computed on its own.
#include "pipeline/hue_sat_sse2.h"

#include "pipeline/sse2_pixels.h"

#if VELMOR_PIPELINE_SSE2

namespace {

// The per-pixel step of HueSatPixel on eight pixels, for lightness 0 (new lightness = max + min,
// limit = the smaller of it and 511 - it). The packed sums of the scalar step never carry from one
// channel into another, so each channel is computed on its own: with r the sextant row mod 6
// (red as is, green r - 2, blue r - 4), a channel is newMin + (r <= 2 ? w : 0) - (r == 2 ? t : 0)
// + (r == 5 ? t : 0), t being the partial amount (w v + 128) >> 8.
struct HueLanes {
    __m128i hueRemainder;  // H mod 255
    __m128i hueSextant;    // H / 255
    __m128i saturation;    // (saturation + 256): sat[C] = (that x C + 128) >> 8
};

inline __m128i ChannelFromRow(__m128i row, __m128i newMin, __m128i w, __m128i t)
{
    const __m128i full = _mm_and_si128(_mm_cmplt_epi16(row, _mm_set1_epi16(3)), w);
    const __m128i less = _mm_and_si128(_mm_cmpeq_epi16(row, _mm_set1_epi16(2)), t);
    const __m128i more = _mm_and_si128(_mm_cmpeq_epi16(row, _mm_set1_epi16(5)), t);
    return _mm_add_epi16(newMin, _mm_sub_epi16(_mm_add_epi16(full, more), less));
}

inline __m128i Mod6(__m128i v)  // v in 0..11
{
    return _mm_sub_epi16(v, _mm_and_si128(_mm_cmpgt_epi16(v, _mm_set1_epi16(5)), _mm_set1_epi16(6)));
}

inline void HueSatEight(const uint8_t* hueStep, const HueLanes& k, __m128i& blue, __m128i& green, __m128i& red)
{
    const __m128i one = _mm_set1_epi16(1);
    const __m128i redFirst = _mm_xor_si128(_mm_cmpgt_epi16(green, red), _mm_set1_epi16(-1));  // red >= green
    const __m128i hi = _mm_max_epi16(red, green);
    const __m128i lo = _mm_min_epi16(red, green);
    __m128i sector = Select(redFirst, one, _mm_set1_epi16(3));
    __m128i l = Select(redFirst, _mm_sub_epi16(green, blue), _mm_sub_epi16(blue, red));
    const __m128i blueMax = _mm_cmpgt_epi16(blue, hi);
    sector = Select(blueMax, _mm_set1_epi16(5), sector);
    l = Select(blueMax, _mm_sub_epi16(red, green), l);
    const __m128i max = _mm_max_epi16(blue, hi);
    const __m128i min = _mm_min_epi16(blue, lo);
    const __m128i sum = _mm_add_epi16(max, min);
    const __m128i chroma = _mm_sub_epi16(max, min);
    const __m128i negative = _mm_cmplt_epi16(l, _mm_setzero_si128());
    sector = _mm_add_epi16(sector, negative);  // -1 where l < 0
    l = _mm_add_epi16(l, _mm_and_si128(negative, chroma));

    // sat[C] = (s C + 128) >> 8 from the 32-bit product in two halves; bit 7 of the low half rounds.
    const __m128i productLow = _mm_mullo_epi16(chroma, k.saturation);
    const __m128i productHigh = _mm_mulhi_epu16(chroma, k.saturation);
    const __m128i saturated = _mm_add_epi16(_mm_add_epi16(_mm_slli_epi16(productHigh, 8), _mm_srli_epi16(productLow, 8)),
                                            _mm_and_si128(_mm_srli_epi16(productLow, 7), one));
    const __m128i limit = _mm_min_epi16(sum, _mm_sub_epi16(_mm_set1_epi16(511), sum));
    const __m128i newChroma = _mm_min_epi16(limit, saturated);
    const __m128i newMin = _mm_srli_epi16(_mm_sub_epi16(sum, newChroma), 1);
    const __m128i w = _mm_sub_epi16(_mm_srli_epi16(_mm_add_epi16(sum, newChroma), 1), newMin);

    alignas(16) uint16_t index[8];
    alignas(16) uint16_t step[8];
    _mm_store_si128(reinterpret_cast<__m128i*>(index), _mm_or_si128(_mm_slli_epi16(chroma, 8), l));
    for (int i = 0; i < 8; ++i)
        step[i] = hueStep[index[i]];
    __m128i v = _mm_add_epi16(_mm_load_si128(reinterpret_cast<const __m128i*>(step)), k.hueRemainder);
    const __m128i over = _mm_cmpgt_epi16(v, _mm_set1_epi16(254));
    v = _mm_sub_epi16(v, _mm_and_si128(over, _mm_set1_epi16(255)));
    const __m128i row = Mod6(_mm_sub_epi16(_mm_add_epi16(sector, k.hueSextant), over));
    // w v <= 255 x 254, so the 16-bit sum with 128 does not wrap.
    const __m128i partial = _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(w, v), _mm_set1_epi16(128)), 8);

    red = ChannelFromRow(row, newMin, w, partial);
    green = ChannelFromRow(Mod6(_mm_add_epi16(row, _mm_set1_epi16(4))), newMin, w, partial);
    blue = ChannelFromRow(Mod6(_mm_add_epi16(row, _mm_set1_epi16(2))), newMin, w, partial);
}

// Samples shifted down to 8 bits and limited to 255 (unsigned: any 16-bit sample, any shift).
inline __m128i EightBitChannel(__m128i samples, __m128i shift)
{
    const __m128i v = _mm_srl_epi16(samples, shift);
    return _mm_sub_epi16(v, _mm_subs_epu16(v, _mm_set1_epi16(255)));
}

// 24-bit rows, the common case, sixteen pixels at a time: each group is read whole before it is written, and written exactly. Returns the first pixel left.
int32_t HueSatRowLanes24(const uint8_t* hueStep, const HueLanes& k, uint8_t* row, int32_t width)
{
    constexpr int32_t kGroup = 16;
    int32_t x = 0;
    for (; x + kGroup <= width; x += kGroup) {
        __m128i even[3];
        __m128i odd[3];
        LoadSixteen8(row + 3 * x, even, odd);
        HueSatEight(hueStep, k, even[0], even[1], even[2]);
        HueSatEight(hueStep, k, odd[0], odd[1], odd[2]);
        StoreSixteen8(row + 3 * x, even, odd);
    }
    return x;
}

// 48-bit rows sixteen pixels at a time: the samples down to 8-bit channels, the byte transpose
// of the 24-bit path, and exact stores. Returns the first pixel left.
int32_t HueSatRowLanes48(const uint8_t* hueStep, const HueLanes& k, uint16_t* row, int32_t width, int shift)
{
    constexpr int32_t kGroup = 16;
    const __m128i bits = _mm_cvtsi32_si128(shift);
    int32_t x = 0;
    for (; x + kGroup <= width; x += kGroup) {
        uint16_t* p = row + 3 * x;
        __m128i bytes[3];
        for (int i = 0; i < 3; ++i)
            bytes[i] = _mm_packus_epi16(EightBitChannel(LoadWords(p + 16 * i), bits),
                                        EightBitChannel(LoadWords(p + 16 * i + 8), bits));
        __m128i even[3];
        __m128i odd[3];
        TransposeSixteen8(bytes[0], bytes[1], bytes[2], even, odd);
        HueSatEight(hueStep, k, even[0], even[1], even[2]);
        HueSatEight(hueStep, k, odd[0], odd[1], odd[2]);
        __m128i first[3];
        __m128i second[3];
        for (int c = 0; c < 3; ++c) {
            const __m128i e = _mm_sll_epi16(even[c], bits);
            const __m128i o = _mm_sll_epi16(odd[c], bits);
            first[c] = _mm_unpacklo_epi16(e, o);
            second[c] = _mm_unpackhi_epi16(e, o);
        }
        StoreEight16Exact(p, first[0], first[1], first[2]);
        StoreEight16Exact(p + 24, second[0], second[1], second[2]);
    }
    return x;
}

// Eight pixels of four samples as 16-bit lanes, two pixels per vector.
struct FourSampleWords {
    __m128i v[4];
};
inline FourSampleWords LoadFourSamplePixels(const uint8_t* p)
{
    const __m128i zero = _mm_setzero_si128();
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16));
    return FourSampleWords{{_mm_unpacklo_epi8(a, zero), _mm_unpackhi_epi8(a, zero), _mm_unpacklo_epi8(b, zero),
                            _mm_unpackhi_epi8(b, zero)}};
}
inline FourSampleWords LoadFourSamplePixels(const uint16_t* p)
{
    return FourSampleWords{{LoadWords(p), LoadWords(p + 8), LoadWords(p + 16), LoadWords(p + 24)}};
}

// 32- and 64-bit rows eight pixels at a time: the samples regrouped by channel, down to 8-bit
// channels, and stored back keeping each fourth sample. Returns the first pixel left.
template <typename S>
int32_t HueSatRowLanes4(const uint8_t* hueStep, const HueLanes& k, S* row, int32_t width, int shift)
{
    constexpr int32_t kGroup = 8;
    const __m128i bits = _mm_cvtsi32_si128(shift);
    int32_t x = 0;
    for (; x + kGroup <= width; x += kGroup) {
        S* p = row + 4 * x;
        // Two rounds of unpacks give four samples of a channel together.
        const FourSampleWords in = LoadFourSamplePixels(p);
        const __m128i t0 = _mm_unpacklo_epi16(in.v[0], in.v[1]);
        const __m128i t1 = _mm_unpackhi_epi16(in.v[0], in.v[1]);
        const __m128i t2 = _mm_unpacklo_epi16(in.v[2], in.v[3]);
        const __m128i t3 = _mm_unpackhi_epi16(in.v[2], in.v[3]);
        const __m128i bg0 = _mm_unpacklo_epi16(t0, t1);  // blue 0-3, green 0-3
        const __m128i ra0 = _mm_unpackhi_epi16(t0, t1);  // red 0-3, fourth 0-3
        const __m128i bg4 = _mm_unpacklo_epi16(t2, t3);
        const __m128i ra4 = _mm_unpackhi_epi16(t2, t3);
        __m128i blue = EightBitChannel(_mm_unpacklo_epi64(bg0, bg4), bits);
        __m128i green = EightBitChannel(_mm_unpackhi_epi64(bg0, bg4), bits);
        __m128i red = EightBitChannel(_mm_unpacklo_epi64(ra0, ra4), bits);
        HueSatEight(hueStep, k, blue, green, red);
        if constexpr (sizeof(S) == 1)
            StoreEight8<4>(p, blue, green, red);
        else
            StoreEight16<4>(p, _mm_sll_epi16(blue, bits), _mm_sll_epi16(green, bits), _mm_sll_epi16(red, bits));
    }
    return x;
}

HueLanes MakeHueLanes(const HueSatLanesCall& call)
{
    return HueLanes{_mm_set1_epi16(static_cast<int16_t>(call.hueOffset % 255)),
                    _mm_set1_epi16(static_cast<int16_t>(call.hueOffset / 255)),
                    _mm_set1_epi16(static_cast<int16_t>(call.saturation + 256))};
}

}  // namespace

int32_t HueSatRowSse2(uint8_t* row, int32_t width, int step, const HueSatLanesCall& call)
{
    const HueLanes lanes = MakeHueLanes(call);
    return step == 4 ? HueSatRowLanes4(call.hueStep, lanes, row, width, 0)
                     : HueSatRowLanes24(call.hueStep, lanes, row, width);
}

int32_t HueSatRowSse2(uint16_t* row, int32_t width, int step, const HueSatLanesCall& call)
{
    const HueLanes lanes = MakeHueLanes(call);
    return step == 4 ? HueSatRowLanes4(call.hueStep, lanes, row, width, call.shift)
                     : HueSatRowLanes48(call.hueStep, lanes, row, width, call.shift);
}

#endif
