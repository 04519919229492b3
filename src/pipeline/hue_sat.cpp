// Hue rotation and saturation scaling in a fixed-point hue-lightness-saturation model on 8-bit
// channels: a hue circle of 1530 steps, lightness as max + min, chroma as max - min.
#include <algorithm>
#include <climits>
#include <cstdint>
#include <mutex>

#include "pipeline/simd.h"
#include "pipeline/sse2_pixels.h"
#include "pipeline/stage_area.h"
#include "pipeline/stage_params.h"
#include "pipeline/stages.h"

namespace {

constexpr int32_t kHueSteps = 1530;  // 6 sextants of 255
constexpr int kSextantRows = 12;
constexpr int32_t kMask[kSextantRows] = {0xFF00FF, 0xFF0000, 0xFFFF00, 0x00FF00, 0x00FFFF, 0x0000FF,
                                         0xFF00FF, 0xFF0000, 0xFFFF00, 0x00FF00, 0x00FFFF, 0x0000FF};
constexpr int32_t kDelta[kSextantRows] = {-1, 256, -65536, 1, -256, 65536, -1, 256, -65536, 1, -256, 65536};

// Shared by every camera object in the process; `lock` is held while the tables are prepared
// and for the whole pixel loop, so a rebuild never runs under another camera's frame.
struct HueSatTables {
    std::mutex lock;
    bool built = false;
    int32_t gray[256];
    int32_t reciprocal[256];
    int32_t saturation[256];
    int32_t lightness[512];
    int32_t limit[512];
    // The hue step (l x reciprocal[C] + 0x8000) >> 16 by C x 256 + l, for the SSE2 loop, which has
    // no gather for the reciprocal; l <= C in every pixel, so each entry used is 0..255.
    uint8_t hueStep[256 * 256];
    int64_t saturationKey = INT64_MIN;  // no build yet
    int64_t lightnessKey = INT64_MIN;
};

HueSatTables& SharedTables()
{
    static HueSatTables tables;
    return tables;
}

void Prepare(HueSatTables& t, int32_t saturation, int32_t lightness)
{
    if (!t.built) {
        for (int32_t k = 0; k < 256; ++k) {
            t.gray[k] = k * 0x010101;
            t.reciprocal[k] = k ? 0xFF0000 / k : 0;
        }
        for (int32_t chroma = 0; chroma < 256; ++chroma)
            for (int32_t l = 0; l < 256; ++l) {
                const int64_t step = (int64_t{l} * t.reciprocal[chroma] + 0x8000) >> 16;
                t.hueStep[chroma * 256 + l] = static_cast<uint8_t>(step < 255 ? step : 255);
            }
        t.built = true;
    }
    const int32_t a = (saturation + 256) * 256;
    const int32_t lightnessKey = lightness * 256;
    if (a == t.saturationKey && lightnessKey == t.lightnessKey)
        return;
    t.saturationKey = a;
    t.lightnessKey = lightnessKey;
    for (int32_t i = 0; i < 256; ++i)
        t.saturation[i] = (a * i + 0x8000) >> 16;
    const int32_t b = lightnessKey + 128;
    int32_t c = b >> 8;
    const bool darker = c == 0 || b < 0;
    c = darker ? c + 256 : 256 - c;
    for (int32_t j = 0; j < 512; ++j) {
        const int32_t d = darker ? (c * j + 128) >> 8 : ((c * (511 ^ j) + 128) >> 8) ^ 511;
        t.lightness[j] = d;
        t.limit[j] = d < 256 ? d : 511 - d;
    }
}

// Hue offset on the 1530-step circle.
int32_t HueOffset(int32_t hue)
{
    const int64_t turned = int64_t{hue} * 65536 / 360;  // truncates toward zero
    const int32_t u = static_cast<int32_t>(turned & 0xFFFF);
    const int32_t k = (u * 6) >> 8;
    const int32_t r = k & 511;
    const int32_t a = r < 256 ? r : r - 512;
    const int32_t q = ((k + 256) >> 9) % 3;
    int32_t h = a + 510 * q;
    if (h < 0)
        h += kHueSteps;
    if (h > kHueSteps - 1)
        h -= kHueSteps;
    return h;
}

struct Bgr {
    int32_t blue;
    int32_t green;
    int32_t red;
};

inline Bgr HueSatPixel(const HueSatTables& t, int32_t hueOffset, int32_t blue, int32_t green, int32_t red)
{
    int32_t hi;
    int32_t lo;
    int32_t sector;
    int32_t l;
    if (red >= green) {
        hi = red, lo = green, sector = 1, l = green - blue;
    } else {
        hi = green, lo = red, sector = 3, l = blue - red;
    }
    int32_t max;
    if (hi < blue) {
        max = blue, sector = 5, l = red - green;
    } else {
        max = hi;
    }
    const int32_t min = std::min(blue, lo);
    const int32_t sum = max + min;
    const int32_t chroma = max - min;
    if (l < 0) {
        sector -= 1;
        l += chroma;
    }
    const int32_t newChroma = std::min(t.limit[sum], t.saturation[chroma]);
    const int32_t newSum = t.lightness[sum];
    const int32_t newMin = (newSum - newChroma) >> 1;
    int32_t packed = t.gray[newMin];
    if (chroma != 0) {
        int32_t v = ((l * t.reciprocal[chroma] + 0x8000) >> 16) + hueOffset % 255;
        const int row = sector + hueOffset / 255 + (v > 254 ? 1 : 0);
        if (v >= 255)
            v -= 255;
        const int32_t w = ((newSum + newChroma) >> 1) - newMin;
        packed += (t.gray[w] & kMask[row]) + ((w * v + 128) >> 8) * kDelta[row];
    }
    return Bgr{packed & 0xFF, (packed >> 8) & 0xFF, (packed >> 16) & 0xFF};
}

#if VELMOR_PIPELINE_SSE2
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

inline void HueSatEight(const HueSatTables& t, const HueLanes& k, __m128i& blue, __m128i& green, __m128i& red)
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
        step[i] = t.hueStep[index[i]];
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
int32_t HueSatRowLanes24(const HueSatTables& t, const HueLanes& k, uint8_t* row, int32_t width)
{
    constexpr int32_t kGroup = 16;
    int32_t x = 0;
    for (; x + kGroup <= width; x += kGroup) {
        __m128i even[3];
        __m128i odd[3];
        LoadSixteen8(row + 3 * x, even, odd);
        HueSatEight(t, k, even[0], even[1], even[2]);
        HueSatEight(t, k, odd[0], odd[1], odd[2]);
        StoreSixteen8(row + 3 * x, even, odd);
    }
    return x;
}

// 48-bit rows sixteen pixels at a time: the samples down to 8-bit channels, the byte transpose
// of the 24-bit path, and exact stores. Returns the first pixel left.
int32_t HueSatRowLanes48(const HueSatTables& t, const HueLanes& k, uint16_t* row, int32_t width, int shift)
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
        HueSatEight(t, k, even[0], even[1], even[2]);
        HueSatEight(t, k, odd[0], odd[1], odd[2]);
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
int32_t HueSatRowLanes4(const HueSatTables& t, const HueLanes& k, S* row, int32_t width, int shift)
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
        HueSatEight(t, k, blue, green, red);
        if constexpr (sizeof(S) == 1)
            StoreEight8<4>(p, blue, green, red);
        else
            StoreEight16<4>(p, _mm_sll_epi16(blue, bits), _mm_sll_epi16(green, bits), _mm_sll_epi16(red, bits));
    }
    return x;
}
#endif

template <typename S>
int HueSat(const StageArea& area, void* value1)
{
    const int32_t* params = StageBlock(value1);
    // Settings outside the setters' ranges would index outside the tables: limit them.
    const int32_t saturation = std::clamp(params[hue_sat_params::kSaturation], -255, 255);
    const int32_t lightness = std::clamp(params[hue_sat_params::kLightness], -255, 255);
    const int shift = sizeof(S) == 1 ? 0 : ClampBits(params[hue_sat_params::kBits]) - 8;
    const int32_t hueOffset = HueOffset(params[hue_sat_params::kHue]);
    const int step = area.dstBytesPerPixel / static_cast<int>(sizeof(S));
    // A 16-bit sample above the significant bits counts as full scale.
    auto channel = [shift](S s) { return static_cast<int16_t>(std::min<int32_t>(s >> shift, 255)); };
    // The lanes compute the lightness-0 tables (the only lightness the pipeline passes) themselves.
    const bool lanes = PipelineSimd() && lightness == 0;
#if VELMOR_PIPELINE_SSE2
    const HueLanes hueLanes{_mm_set1_epi16(static_cast<int16_t>(hueOffset % 255)),
                            _mm_set1_epi16(static_cast<int16_t>(hueOffset / 255)),
                            _mm_set1_epi16(static_cast<int16_t>(saturation + 256))};
#endif

    HueSatTables& tables = SharedTables();
    std::lock_guard<std::mutex> guard(tables.lock);
    Prepare(tables, saturation, lightness);
    for (int32_t y = 0; y < area.height; ++y) {
        area.copyRowIfApart(y);
        S* row = area.dstRow<S>(y);
        int32_t x = 0;
#if VELMOR_PIPELINE_SSE2
        if (lanes) {
            if (step == 4)
                x = HueSatRowLanes4(tables, hueLanes, row, area.width, shift);
            else if constexpr (sizeof(S) == 1)
                x = HueSatRowLanes24(tables, hueLanes, row, area.width);
            else
                x = HueSatRowLanes48(tables, hueLanes, row, area.width, shift);
        }
#endif
        // Each pixel is read whole before it is written.
        for (; x < area.width; ++x) {
            S* p = row + step * x;
            const Bgr out = HueSatPixel(tables, hueOffset, channel(p[0]), channel(p[1]), channel(p[2]));
            p[0] = static_cast<S>(out.blue << shift);
            p[1] = static_cast<S>(out.green << shift);
            p[2] = static_cast<S>(out.red << shift);
        }
    }
    return 1;
}

}  // namespace

int HueSat8(VELMOR_STAGE_ARGS) { return HueSat<uint8_t>(VELMOR_STAGE_AREA, value1); }
int HueSat10(VELMOR_STAGE_ARGS) { return HueSat<uint16_t>(VELMOR_STAGE_AREA, value1); }
