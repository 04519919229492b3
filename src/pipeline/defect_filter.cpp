// Defect filter: isolated hot (and, in 16-bit frames, dead) samples replaced by the mean of their
// four same-colour neighbours two positions away. In place, top row first, so a replaced sample
// is read as replaced by the samples after it.
#include <cstdint>
#include <cstdlib>

#include "pipeline/bayer_kernel.h"
#include "imaging/pixel_area.h"
#include "pipeline/stage_params.h"
#include "pipeline/stages.h"

namespace {

constexpr int32_t kColourTestLimit = 30;
// Columns checked at once for a candidate before the exact scan; a block with none is left as is.
constexpr int32_t kBlock = 16;

inline int32_t SameColourMean(const int32_t up, const int32_t down, const int32_t left, const int32_t right)
{
    return (up + down + left + right) >> 2;
}

// True when no sample of columns x .. x + kBlock - 1 of the row stands out by the threshold
// (brighter only, or either way). Exact: nothing in the block changes unless one does.
template <typename S, bool BrighterOnly>
inline bool BlockIsQuiet(const S* above2, const S* row, const S* below2, int32_t x, int32_t threshold)
{
    int32_t hits = 0;
    for (int32_t i = x; i < x + kBlock; ++i) {
        const int32_t t = row[i];
        const int32_t d = t - SameColourMean(above2[i], below2[i], row[i - 2], row[i + 2]);
        hits |= BrighterOnly ? (d >= threshold) : (d >= threshold || -d >= threshold);
    }
    return hits == 0;
}

int32_t ReadThreshold(void* value2) { return value2 ? StageBlock(value2)[0] : 0; }

}  // namespace

int DefectFilter10(VELMOR_PIXEL_ARGS)
{
    const PixelArea area = VELMOR_PIXEL_AREA;
    const int32_t threshold = ReadThreshold(value2);
    area.bringSourceIn();
    for (int32_t y = 2; y <= area.height - 3; ++y) {
        uint16_t* above = area.dstRow<uint16_t>(y - 1);
        uint16_t* row = area.dstRow<uint16_t>(y);
        uint16_t* below = area.dstRow<uint16_t>(y + 1);
        const uint16_t* above2 = area.dstRow<uint16_t>(y - 2);
        const uint16_t* below2 = area.dstRow<uint16_t>(y + 2);
        int32_t x = 2;
        while (x <= area.width - 3) {
            if (x + kBlock <= area.width - 2 && BlockIsQuiet<uint16_t, false>(above2, row, below2, x, threshold)) {
                x += kBlock;
                continue;
            }
            const int32_t t = row[x];
            const int32_t m = SameColourMean(above2[x], below2[x], row[x - 2], row[x + 2]);
            if (std::abs(t - m) >= threshold) {
                const int32_t neighbours[8] = {above[x - 1], above[x], above[x + 1], row[x - 1],
                                               row[x + 1],   below[x - 1], below[x], below[x + 1]};
                bool isolated = true;
                for (int32_t n : neighbours)
                    if (std::abs(n - t) < threshold) {
                        isolated = false;
                        break;
                    }
                if (isolated)
                    row[x] = static_cast<uint16_t>(m);
            }
            ++x;
        }
    }
    return 0;
}

int DefectFilter8(VELMOR_PIXEL_ARGS)
{
    const PixelArea area = VELMOR_PIXEL_AREA;
    const int32_t threshold = ReadThreshold(value2);
    const int32_t* params = StageBlock(value1);
    const int phase = params[bayer_params::kPhase] & 3;
    const int32_t gainRed = FixedPointGain(params[bayer_params::kGainRed]);
    const int32_t gainBlue = FixedPointGain(params[bayer_params::kGainBlue]);
    area.bringSourceIn();
    int replaced = 0;
    for (int32_t y = 2; y <= area.height - 3; ++y) {
        const uint8_t* rows[4] = {area.dstRow<uint8_t>(y - 2), area.dstRow<uint8_t>(y - 1), area.dstRow<uint8_t>(y),
                                  area.dstRow<uint8_t>(y + 1)};
        uint8_t* row = area.dstRow<uint8_t>(y);
        const uint8_t* above2 = rows[0];
        const uint8_t* below2 = area.dstRow<uint8_t>(y + 2);
        const int rowState = RowState(phase, y);
        int32_t x = 2;
        while (x <= area.width - 3) {
            if (x + kBlock <= area.width - 2 && BlockIsQuiet<uint8_t, true>(above2, row, below2, x, threshold)) {
                x += kBlock;
                continue;
            }
            const int32_t t = row[x];
            const int32_t m = SameColourMean(above2[x], below2[x], row[x - 2], row[x + 2]);
            if (t - m >= threshold) {
                // Only a sample whose colour estimate is strongly coloured is taken for a defect.
                const Rgb c = BayerPixelAt(rows, x, rowState, ColumnState(phase, x), SameColumn{}, gainRed, gainBlue,
                                           kBayerLimits8);
                const int strong = (std::abs(c.green - c.blue) > kColourTestLimit) +
                                   (std::abs(c.red - c.blue) > kColourTestLimit) +
                                   (std::abs(c.red - c.green) > kColourTestLimit);
                if (strong >= 2) {
                    row[x] = static_cast<uint8_t>(m);
                    ++replaced;
                }
            }
            ++x;
        }
    }
    return replaced;
}
