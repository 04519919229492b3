#pragma once
// The demosaic kernel: the colour at the centre of the 2 x 2 raw block ending at (x, y), red and
// blue interpolated bilinearly from their four nearest samples and scaled by fixed-point gains.
// Shared by the demosaic passes and the colour test of the 8-bit defect filter.
#include <cstdint>

struct BayerLimits {
    int32_t maxSample;   // 255 or 1023
    int32_t capProduct;  // gain x sum at or above this gives maxSample
};
constexpr BayerLimits kBayerLimits8{255, 1 << 19};
constexpr BayerLimits kBayerLimits10{1023, 1 << 21};

struct Rgb {
    int32_t red;
    int32_t green;
    int32_t blue;
};

// rows[0..3] are raw rows y-2 .. y+1; col(c) maps a raw column (identity inside the frame, a fold
// at the border). RS and CS are the row and column state of (x, y).
template <bool RS, bool CS, typename S, typename ColumnMap>
inline Rgb BayerPixel(const S* const rows[4], int32_t x, ColumnMap col, int32_t gainRed, int32_t gainBlue,
                      BayerLimits limits)
{
    const S* rowY = rows[2];
    const S* rowAbove = rows[1];
    // Red sits in row state 1 and column state 0, blue in row state 0 and column state 1.
    const S* redRow = RS ? rows[2] : rows[1];
    const S* redPartnerRow = RS ? rows[0] : rows[3];
    const S* blueRow = RS ? rows[1] : rows[2];
    const S* bluePartnerRow = RS ? rows[3] : rows[0];
    const int32_t redCol = col(CS ? x - 1 : x);
    const int32_t redPartnerCol = col(CS ? x + 1 : x - 2);
    const int32_t blueCol = col(CS ? x : x - 1);
    const int32_t bluePartnerCol = col(CS ? x - 2 : x + 1);
    const int32_t xm1 = col(x - 1);
    const int32_t x0 = col(x);

    const int32_t greenSum = RS == CS ? rowY[x0] + rowAbove[xm1] : rowY[xm1] + rowAbove[x0];
    const int32_t redSum = 9 * redRow[redCol] + 3 * redRow[redPartnerCol] + 3 * redPartnerRow[redCol] +
                           redPartnerRow[redPartnerCol];
    const int32_t blueSum = 9 * blueRow[blueCol] + 3 * blueRow[bluePartnerCol] + 3 * bluePartnerRow[blueCol] +
                            bluePartnerRow[bluePartnerCol];
    const int32_t redProduct = gainRed * redSum;
    const int32_t blueProduct = gainBlue * blueSum;
    const int32_t green = greenSum >> 1;
    return Rgb{redProduct >= limits.capProduct ? limits.maxSample : redProduct >> 11,
               green > limits.maxSample ? limits.maxSample : green,
               blueProduct >= limits.capProduct ? limits.maxSample : blueProduct >> 11};
}

// The same with the states known only at run time.
template <typename S, typename ColumnMap>
inline Rgb BayerPixelAt(const S* const rows[4], int32_t x, int rowState, int columnState, ColumnMap col,
                        int32_t gainRed, int32_t gainBlue, BayerLimits limits)
{
    if (rowState)
        return columnState ? BayerPixel<true, true>(rows, x, col, gainRed, gainBlue, limits)
                           : BayerPixel<true, false>(rows, x, col, gainRed, gainBlue, limits);
    return columnState ? BayerPixel<false, true>(rows, x, col, gainRed, gainBlue, limits)
                       : BayerPixel<false, false>(rows, x, col, gainRed, gainBlue, limits);
}

struct SameColumn {
    int32_t operator()(int32_t c) const { return c; }
};
