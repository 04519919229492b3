#pragma once
// Tables of the table-driven stages, kept from frame to frame in the pipeline's state and rebuilt
// only when the setting (or the frame width) they were built for changes, so that a steady
// stream of frames allocates nothing. A stage's caller value 2 points to a pointer to its
// tables; a call without them builds its own for that call alone.
// Portable: no Windows header.
#include <cstdint>
#include <vector>

#include "pipeline/stage_params.h"

// One curve of gamma, contrast or brightness. The vector forms are filled on first use after a
// rebuild; their capacity stays, so refilling them allocates nothing.
struct CurveTables {
    struct Key {
        int curve = -1;  // which stage's curve; -1: nothing built yet
        int32_t value = 0;
        int bits = 0;    // significant bits of 16-bit samples
        bool operator==(const Key&) const = default;
    };
    Key key;
    uint32_t builds = 0;            // rebuilds so far
    uint8_t curve8[256] = {};       // 8-bit samples
    std::vector<uint16_t> pairs;    // 8-bit: every pair of samples, mapped two per lookup
    std::vector<uint16_t> curve16;  // 16-bit: the significant range (gamma and contrast: one more entry)
    std::vector<uint16_t> full;     // 16-bit: every sample value
};

// The site gains of 8-bit gray mode 1.
struct GrayGainTables {
    static constexpr int kSites = 4;
    int32_t key[gray_params::kCount] = {};
    bool built = false;
    uint32_t builds = 0;
    uint8_t site[kSites][256] = {};
    std::vector<uint16_t> pairs;  // per row parity, every pair of samples; filled on first use
};

// The correction table of sharpening and the row sums sized by the frame's width.
struct SharpenTables {
    int32_t sharpness = 0;
    int32_t maxSample = -1;  // -1: nothing built yet
    uint32_t builds = 0;
    std::vector<int32_t> correction;
    std::vector<int32_t> columnSums;
    std::vector<int16_t> laneSums;
};

struct StageTables {
    CurveTables gamma;
    CurveTables contrast;
    CurveTables brightness;
    GrayGainTables grayGain;
    SharpenTables sharpen;
};

// The tables behind a stage's caller value 2, or `local` when the caller passes none.
template <typename T>
T& CallerTables(void* value2, T& local)
{
    return value2 ? **static_cast<T**>(value2) : local;
}
