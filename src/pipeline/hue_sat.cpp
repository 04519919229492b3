// Hue rotation and saturation scaling in a fixed-point hue-lightness-saturation model on 8-bit
// channels: a hue circle of 1530 steps, lightness as max + min, chroma as max - min.
#include <algorithm>
#include <climits>
#include <cstdint>
#include <mutex>

#include "pipeline/hue_sat_sse2.h"
#include "pipeline/simd.h"
#include "imaging/pixel_area.h"
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


// A vector loop over the first pixels of a row (hue_sat_sse2.h); returns the first pixel left.
template <typename S>
using RowLanes = int32_t (*)(S* row, int32_t width, int step, const HueSatLanesCall& call);

// The vector loop of this level, or none.
template <typename S>
RowLanes<S> VectorRowLoop()
{
#if VELMOR_PIPELINE_SSE2
    if (PipelineSimd())
        return HueSatRowSse2;
#endif
    return nullptr;
}

template <typename S>
int HueSat(const PixelArea& area, void* value1)
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
    const RowLanes<S> lanes = lightness == 0 ? VectorRowLoop<S>() : nullptr;

    HueSatTables& tables = SharedTables();
    std::lock_guard<std::mutex> guard(tables.lock);
    Prepare(tables, saturation, lightness);
    const HueSatLanesCall lanesCall{tables.hueStep, hueOffset, saturation, shift};
    for (int32_t y = 0; y < area.height; ++y) {
        area.copyRowIfApart(y);
        S* row = area.dstRow<S>(y);
        int32_t x = lanes ? lanes(row, area.width, step, lanesCall) : 0;
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

int HueSat8(VELMOR_PIXEL_ARGS) { return HueSat<uint8_t>(VELMOR_PIXEL_AREA, value1); }
int HueSat10(VELMOR_PIXEL_ARGS) { return HueSat<uint16_t>(VELMOR_PIXEL_AREA, value1); }
