// SSE2 interior rows of the demosaic: the kernel on sixteen output pixels per step in 16-bit
// lanes split by column parity.
#include "pipeline/demosaic_sse2.h"

#include <algorithm>

#include "pipeline/bayer_rows.h"
#include "pipeline/sse2_pixels.h"

#if VELMOR_PIPELINE_SSE2

namespace {

// The kernel on sixteen output pixels x .. x + 15 at once (x even from column 2), in 16-bit
// lanes split by column parity: "even" lanes hold columns x + 2k, "odd" lanes x + 2k + 1, so each
// raw colour sits in one kind of lane. Red and blue products come from the high half of an
// unsigned 16 x 16 multiply, with sum and gain pre-shifted so that it equals (gain x sum) >> 11;
// that needs samples within the limits' range and gains up to kMaxLaneGain (the caller checks
// both; stored gains give at most 512).

struct EvenOdd {
    __m128i even;  // columns c, c + 2, .., c + 14
    __m128i odd;   // columns c + 1, .., c + 15
};

inline EvenOdd LoadEvenOdd(const uint8_t* p)
{
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    return EvenOdd{_mm_and_si128(v, _mm_set1_epi16(0x00FF)), _mm_srli_epi16(v, 8)};
}
inline EvenOdd LoadEvenOdd(const uint16_t* p)  // samples of at most 10 bits: the packs do not saturate
{
    const __m128i a = LoadWords(p);
    const __m128i b = LoadWords(p + 8);
    const __m128i low = _mm_set1_epi32(0xFFFF);
    return EvenOdd{_mm_packs_epi32(_mm_and_si128(a, low), _mm_and_si128(b, low)),
                   _mm_packs_epi32(_mm_srli_epi32(a, 16), _mm_srli_epi32(b, 16))};
}

inline __m128i Times3(__m128i v) { return _mm_add_epi16(v, _mm_slli_epi16(v, 1)); }
// Three times the sample plus its vertical partner: the column part of the 9/3/3/1 weights.
inline __m128i Vertical(__m128i row, __m128i partner) { return _mm_add_epi16(Times3(row), partner); }

struct LanePair {
    __m128i even;
    __m128i odd;
};

template <typename S, int Step>
inline void SixteenPixels(const LaneRows<S>& r, S* out, int32_t x, __m128i gainRed, __m128i gainBlue)
{
    constexpr int kSumShift = sizeof(S) == 1 ? 4 : 2;  // 4080 << 4, 16368 << 2: the sums fill 16 bits
    // Even-column colour: output x + 2k reads columns x + 2k (x 3) and x + 2k - 2; output x + 2k + 1
    // reads x + 2k (x 3) and x + 2k + 2.
    const __m128i left = Vertical(LoadEvenOdd(r.evenColour + x - 2).even, LoadEvenOdd(r.evenPartner + x - 2).even);
    const __m128i here = Vertical(LoadEvenOdd(r.evenColour + x).even, LoadEvenOdd(r.evenPartner + x).even);
    const __m128i right = Vertical(LoadEvenOdd(r.evenColour + x + 2).even, LoadEvenOdd(r.evenPartner + x + 2).even);
    const LanePair evenSum{_mm_add_epi16(Times3(here), left), _mm_add_epi16(Times3(here), right)};
    // Odd-column colour: output x + 2k reads x + 2k - 1 (x 3) and x + 2k + 1; output x + 2k + 1 the reverse.
    const EvenOdd oddRowLeft = LoadEvenOdd(r.oddColour + x - 2);
    const EvenOdd oddPartnerLeft = LoadEvenOdd(r.oddPartner + x - 2);
    const __m128i before = Vertical(oddRowLeft.odd, oddPartnerLeft.odd);
    const __m128i after = Vertical(LoadEvenOdd(r.oddColour + x).odd, LoadEvenOdd(r.oddPartner + x).odd);
    const LanePair oddSum{_mm_add_epi16(Times3(before), after), _mm_add_epi16(Times3(after), before)};

    const LanePair& redSum = r.redEven ? evenSum : oddSum;
    const LanePair& blueSum = r.redEven ? oddSum : evenSum;
    auto scale = [](__m128i sum, __m128i gain) {
        const __m128i v = _mm_mulhi_epu16(_mm_slli_epi16(sum, kSumShift), gain);
        // 8-bit: 256 and more store as 255 (the cap) through the saturating pack.
        return sizeof(S) == 1 ? v : _mm_min_epi16(v, _mm_set1_epi16(1023));
    };
    const __m128i greenHere = LoadEvenOdd(r.greenEven + x).even;
    const __m128i greenLeft = LoadEvenOdd(r.greenOdd + x - 2).odd;
    const __m128i greenRight = LoadEvenOdd(r.greenOdd + x).odd;
    const LanePair green{_mm_srli_epi16(_mm_add_epi16(greenHere, greenLeft), 1),
                         _mm_srli_epi16(_mm_add_epi16(greenHere, greenRight), 1)};
    const LanePair red{scale(redSum.even, gainRed), scale(redSum.odd, gainRed)};
    const LanePair blue{scale(blueSum.even, gainBlue), scale(blueSum.odd, gainBlue)};

    // Back to column order, eight pixels per store.
    auto first = [](const LanePair& p) { return _mm_unpacklo_epi16(p.even, p.odd); };
    auto second = [](const LanePair& p) { return _mm_unpackhi_epi16(p.even, p.odd); };
    if constexpr (sizeof(S) == 1 && Step == 3) {
        const __m128i even[3] = {blue.even, green.even, red.even};
        const __m128i odd[3] = {blue.odd, green.odd, red.odd};
        StoreSixteen8(out + x * Step, even, odd);
    } else if constexpr (sizeof(S) == 1) {
        StoreEight8<Step>(out + x * Step, first(blue), first(green), first(red));
        StoreEight8<Step>(out + (x + 8) * Step, second(blue), second(green), second(red));
    } else {
        StoreEight16<Step>(out + x * Step, first(blue), first(green), first(red));
        StoreEight16<Step>(out + (x + 8) * Step, second(blue), second(green), second(red));
    }
}

// Sixteen pixels at a time from column 2 while the loads (to column x + 17) and the stores'
// overrun (two pixels) stay on interior pixels still to be written by this pass; returns the
// first column left to the scalar loop.
template <typename S, int Step>
int32_t InteriorRowLanes(const S* const rows[4], S* out, int32_t width, int32_t gainRedFixed,
                         int32_t gainBlueFixed, bool rowState, bool columnState)
{
    constexpr int32_t kLanes = 16;
    constexpr int32_t kReach = 2;    // columns read past the last output column
    constexpr int32_t kOverrun = 2;  // pixels written past it (4 bytes of 3-sample pixels)
    constexpr int kGainShift = sizeof(S) == 1 ? 1 : 3;  // with the sum's shift: 16 - 11 in all
    const LaneRows<S> laneRows = MakeLaneRows(rows, rowState, columnState);
    const __m128i gainRed = _mm_set1_epi16(static_cast<int16_t>(gainRedFixed << kGainShift));
    const __m128i gainBlue = _mm_set1_epi16(static_cast<int16_t>(gainBlueFixed << kGainShift));
    int32_t x = 2;
    for (; x + kLanes + std::max(kReach, kOverrun + 2) <= width; x += kLanes)
        SixteenPixels<S, Step>(laneRows, out, x, gainRed, gainBlue);
    return x;
}

}  // namespace

int32_t DemosaicRowSse2(const uint8_t* const rows[4], uint8_t* out, int32_t width, int step, int32_t gainRed,
                        int32_t gainBlue, bool rowState, bool columnState)
{
    return step == 4 ? InteriorRowLanes<uint8_t, 4>(rows, out, width, gainRed, gainBlue, rowState, columnState)
                     : InteriorRowLanes<uint8_t, 3>(rows, out, width, gainRed, gainBlue, rowState, columnState);
}

int32_t DemosaicRowSse2(const uint16_t* const rows[4], uint16_t* out, int32_t width, int step, int32_t gainRed,
                        int32_t gainBlue, bool rowState, bool columnState)
{
    return step == 4 ? InteriorRowLanes<uint16_t, 4>(rows, out, width, gainRed, gainBlue, rowState, columnState)
                     : InteriorRowLanes<uint16_t, 3>(rows, out, width, gainRed, gainBlue, rowState, columnState);
}

#endif
