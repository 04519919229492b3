#include "emulator/emu_config.h"

#include <cstring>

namespace emu {
namespace {

constexpr uint32_t kMaxNumber = 0x7FFFFFFF;

// A view of part of the variable's text.
struct Span {
    const char* begin;
    const char* end;

    size_t Size() const { return static_cast<size_t>(end - begin); }
    bool Equals(const char* word) const
    {
        const size_t length = std::strlen(word);
        return Size() == length && std::memcmp(begin, word, length) == 0;
    }
    bool StartsWith(const char* word) const
    {
        const size_t length = std::strlen(word);
        return Size() >= length && std::memcmp(begin, word, length) == 0;
    }
};

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

Span Trim(Span s)
{
    while (s.begin < s.end && IsSpace(*s.begin))
        ++s.begin;
    while (s.end > s.begin && IsSpace(s.end[-1]))
        --s.end;
    return s;
}

// Decimal digits only, at most `max`.
bool ParseNumber(Span s, uint32_t max, uint32_t& value)
{
    s = Trim(s);
    if (s.begin == s.end)
        return false;
    uint64_t v = 0;
    for (const char* p = s.begin; p < s.end; ++p) {
        if (*p < '0' || *p > '9')
            return false;
        v = v * 10 + static_cast<uint32_t>(*p - '0');
        if (v > max)
            return false;
    }
    value = static_cast<uint32_t>(v);
    return true;
}

// Calls `take` for each ','-separated number; false when any is bad or there is none.
template <typename Take>
bool ParseList(Span s, uint32_t max, Take take)
{
    if (Trim(s).begin == Trim(s).end)
        return false;
    const char* start = s.begin;
    for (const char* p = s.begin;; ++p) {
        if (p == s.end || *p == ',') {
            uint32_t value = 0;
            if (!ParseNumber(Span{start, p}, max, value) || !take(value))
                return false;
            if (p == s.end)
                return true;
            start = p + 1;
        }
    }
}

bool ParseDevices(Span value, EmulatorConfig& config)
{
    uint32_t mask = 0;
    if (!ParseList(value, kDeviceNumbers - 1, [&](uint32_t n) {
            mask |= 1u << n;
            return true;
        }))
        return false;
    config.deviceMask = mask;
    return true;
}

bool ParseSource(Span value, EmulatorConfig& config)
{
    if (value.Equals("bars")) {
        config.source = SourceKind::Bars;
        return true;
    }
    if (value.StartsWith("flat:")) {
        uint32_t level = 0;
        if (!ParseNumber(Span{value.begin + 5, value.end}, kMaxSample, level))
            return false;
        config.source = SourceKind::Flat;
        config.flatValue = static_cast<uint16_t>(level);
        return true;
    }
    if (value.StartsWith("raw:")) {
        const Span path = Trim(Span{value.begin + 4, value.end});
        if (path.Size() == 0 || path.Size() >= sizeof(config.rawPath))
            return false;
        if (config.source != SourceKind::Raw) {
            config.fallbackSource = config.source;
            config.fallbackFlatValue = config.flatValue;
        }
        std::memcpy(config.rawPath, path.begin, path.Size());
        config.rawPath[path.Size()] = '\0';
        config.source = SourceKind::Raw;
        return true;
    }
    return false;
}

bool ParseShortReads(Span value, EmulatorConfig& config)
{
    uint32_t count = 0;
    uint32_t numbers[kMaxShortReads] = {};
    if (!ParseList(value, kMaxNumber, [&](uint32_t n) {
            if (n == 0 || count == kMaxShortReads)
                return false;
            numbers[count++] = n;
            return true;
        }))
        return false;
    std::memcpy(config.shortReadAt, numbers, sizeof(numbers));
    config.shortReadCount = count;
    return true;
}

// A number that also switches its behaviour on (the keys whose default is "never").
bool ParseSwitchedNumber(Span value, bool& on, uint32_t& number)
{
    uint32_t parsed = 0;
    if (!ParseNumber(value, kMaxNumber, parsed))
        return false;
    on = true;
    number = parsed;
    return true;
}

bool ParseItem(Span key, Span value, EmulatorConfig& config)
{
    if (key.Equals("devices"))
        return ParseDevices(value, config);
    if (key.Equals("source"))
        return ParseSource(value, config);
    if (key.Equals("timing")) {
        if (value.Equals("real"))
            config.timing = Timing::Real;
        else if (value.Equals("fast"))
            config.timing = Timing::Fast;
        else
            return false;
        return true;
    }
    if (key.Equals("trigger_period_ms")) {
        uint32_t ms = 0;
        if (!ParseNumber(value, kMaxNumber, ms) || ms == 0)
            return false;
        config.triggerPeriodMs = ms;
        return true;
    }
    if (key.Equals("unplug_after_frames"))
        return ParseSwitchedNumber(value, config.unplugs, config.unplugAfterFrames);
    if (key.Equals("replug_after_ms"))
        return ParseSwitchedNumber(value, config.replugs, config.replugAfterMs);
    if (key.Equals("short_read_at"))
        return ParseShortReads(value, config);
    return false;
}

}  // namespace

void ParseEmulatorConfig(const char* text, EmulatorConfig& config)
{
    if (!text)
        return;
    const char* itemStart = text;
    for (const char* p = text;; ++p) {
        if (*p != ';' && *p != '\0')
            continue;
        const Span item = Trim(Span{itemStart, p});
        if (item.Size() > 0) {
            const char* equals = static_cast<const char*>(std::memchr(item.begin, '=', item.Size()));
            const bool ok = equals && ParseItem(Trim(Span{item.begin, equals}),
                                                Trim(Span{equals + 1, item.end}), config);
            if (!ok)
                ++config.ignoredItems;
        }
        if (*p == '\0')
            return;
        itemStart = p + 1;
    }
}

bool IsShortReadAt(const EmulatorConfig& config, uint32_t number)
{
    const uint32_t count = config.shortReadCount < kMaxShortReads ? config.shortReadCount : kMaxShortReads;
    for (uint32_t i = 0; i < count; ++i) {
        if (config.shortReadAt[i] == number)
            return true;
    }
    return false;
}

}  // namespace emu
