#pragma once
// The emulated cameras' set-up, parsed from the value of VELMOR_EMULATION: `key=value` items
// separated by ';'. An item with an unknown key or a bad value is skipped; the others still apply.
#include <cstdint>

namespace emu {

enum class SourceKind : uint8_t { Bars, Flat, Raw };
enum class Timing : uint8_t { Real, Fast };

constexpr int kDeviceNumbers = 32;        // device numbers 0..31 can answer
constexpr int kMaxShortReads = 64;        // entries of short_read_at
constexpr int kMaxPathBytes = 1024;       // raw:PATH, terminator included
constexpr uint16_t kMaxSample = 1023;     // 10-bit samples
constexpr uint32_t kDefaultTriggerPeriodMs = 200;

struct EmulatorConfig {
    uint32_t deviceMask = 1;  // bit n set: device number n answers
    SourceKind source = SourceKind::Bars;
    uint16_t flatValue = 0;
    char rawPath[kMaxPathBytes] = {};
    // The source before the last raw:PATH item, used when that file cannot be read.
    SourceKind fallbackSource = SourceKind::Bars;
    uint16_t fallbackFlatValue = 0;
    Timing timing = Timing::Real;
    uint32_t triggerPeriodMs = kDefaultTriggerPeriodMs;
    bool unplugs = false;
    uint32_t unplugAfterFrames = 0;
    bool replugs = false;  // after an unplug the camera comes back, once
    uint32_t replugAfterMs = 0;
    uint32_t shortReadCount = 0;
    uint32_t shortReadAt[kMaxShortReads] = {};  // 1-based transfer numbers within a run
    uint32_t ignoredItems = 0;                  // items skipped for an unknown key or a bad value
};

// Parses `text` (null counts as empty) over the defaults already in `config`. Never fails.
void ParseEmulatorConfig(const char* text, EmulatorConfig& config);

// True when image transfer `number` (1-based, within a run) is to be short.
bool IsShortReadAt(const EmulatorConfig& config, uint32_t number);

}  // namespace emu
