#pragma once
// The raw rows behind output row y of the demosaic's vector loops, split by column parity.
// Shared by files built for different instruction sets: the function has internal linkage, so
// each file keeps its own copy and the linker never mixes them.
#include <cstdint>

template <typename S>
struct LaneRows {
    const S* evenColour;  // the colour (red or blue) in even columns, and its vertical partner row
    const S* evenPartner;
    const S* oddColour;
    const S* oddPartner;
    const S* greenEven;   // greens: even lanes green = greenEven[x] + greenOdd[x - 1], odd lanes + greenOdd[x + 1]
    const S* greenOdd;
    bool redEven;         // red is the even-column colour
};

// rows are raw rows y - 2 .. y + 1; the states belong to (x, y) for an even x.
template <typename S>
static LaneRows<S> MakeLaneRows(const S* const rows[4], bool rowState, bool columnState)
{
    // Red sits in row state 1 (rows y, y - 2 as partner) or 0 (rows y - 1, y + 1), in columns of
    // column state 0; blue in the other rows and columns.
    const S* red = rowState ? rows[2] : rows[1];
    const S* redPartner = rowState ? rows[0] : rows[3];
    const S* blue = rowState ? rows[1] : rows[2];
    const S* bluePartner = rowState ? rows[3] : rows[0];
    const bool redEven = !columnState;
    const bool greenHere = rowState == columnState;  // green at (x, y) itself
    return LaneRows<S>{redEven ? red : blue,       redEven ? redPartner : bluePartner,
                       redEven ? blue : red,       redEven ? bluePartner : redPartner,
                       greenHere ? rows[2] : rows[1], greenHere ? rows[1] : rows[2],
                       redEven};
}
