// Parsing of VELMOR_EMULATION: each key, bad items skipped, random text.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "emu_test_support.h"
#include "emulator/emu_config.h"

using emu::EmulatorConfig;
using emu::ParseEmulatorConfig;

namespace {

EmulatorConfig Parse(const char* text)
{
    EmulatorConfig config;
    ParseEmulatorConfig(text, config);
    return config;
}

TEST(EmulationVariable, DefaultsForEmptyText)
{
    for (const char* text : {static_cast<const char*>(nullptr), "", ";;", "  ; "}) {
        const EmulatorConfig c = Parse(text);
        EXPECT_EQ(c.deviceMask, 1u);
        EXPECT_EQ(c.source, emu::SourceKind::Bars);
        EXPECT_EQ(c.timing, emu::Timing::Real);
        EXPECT_EQ(c.triggerPeriodMs, 200u);
        EXPECT_FALSE(c.unplugs);
        EXPECT_FALSE(c.replugs);
        EXPECT_EQ(c.shortReadCount, 0u);
        EXPECT_EQ(c.ignoredItems, 0u);
    }
}

TEST(EmulationVariable, EveryKey)
{
    const EmulatorConfig c = Parse(
        "devices=0,5,31; source=flat:1023 ;timing=fast;trigger_period_ms=50;unplug_after_frames=0;short_read_at=1,7,2;"
        "replug_after_ms=250");
    EXPECT_EQ(c.deviceMask, (1u << 0) | (1u << 5) | (1u << 31));
    EXPECT_EQ(c.source, emu::SourceKind::Flat);
    EXPECT_EQ(c.flatValue, 1023);
    EXPECT_EQ(c.timing, emu::Timing::Fast);
    EXPECT_EQ(c.triggerPeriodMs, 50u);
    EXPECT_TRUE(c.unplugs);
    EXPECT_EQ(c.unplugAfterFrames, 0u);
    EXPECT_TRUE(c.replugs);
    EXPECT_EQ(c.replugAfterMs, 250u);
    EXPECT_TRUE(Parse("replug_after_ms=0").replugs) << "back at once";
    ASSERT_EQ(c.shortReadCount, 3u);
    EXPECT_TRUE(emu::IsShortReadAt(c, 7));
    EXPECT_FALSE(emu::IsShortReadAt(c, 3));
    EXPECT_EQ(c.ignoredItems, 0u);

    const EmulatorConfig raw = Parse("source=raw:C:\\frames\\a=b.raw;timing=real");
    EXPECT_EQ(raw.source, emu::SourceKind::Raw);
    EXPECT_STREQ(raw.rawPath, "C:\\frames\\a=b.raw");
    EXPECT_EQ(raw.timing, emu::Timing::Real);
}

TEST(EmulationVariable, BadItemsAreSkippedAndTheRestApplies)
{
    const char* bad[] = {"devices=32",        "devices=",           "devices=1,,2",     "devices=-1",
                         "devices=0x1",       "source=flat:1024",   "source=flat:",     "source=raw:",
                         "source=Bars",       "timing=slow",        "trigger_period_ms=0", "trigger_period_ms=5ms",
                         "unplug_after_frames=-3", "short_read_at=0", "short_read_at=1,a", "colour=red",
                         "devices",           "=5",                 "unplug_after_frames=99999999999",
                         "replug_after_ms=",  "replug_after_ms=-1", "replug_after_ms=2s", "replug_after_ms=1,2"};
    for (const char* item : bad) {
        std::string text = item;
        text += ";timing=fast;devices=3";
        const EmulatorConfig c = Parse(text.c_str());
        EXPECT_EQ(c.ignoredItems, 1u) << item;
        EXPECT_EQ(c.timing, emu::Timing::Fast) << item;
        EXPECT_EQ(c.deviceMask, 1u << 3) << item;
        EXPECT_EQ(c.source, emu::SourceKind::Bars) << item;
        EXPECT_EQ(c.triggerPeriodMs, 200u) << item;
        EXPECT_FALSE(c.unplugs) << item;
        EXPECT_FALSE(c.replugs) << item;
        EXPECT_EQ(c.shortReadCount, 0u) << item;
    }
    // Too many short reads: the item goes, an earlier one stays.
    std::string many = "short_read_at=4;short_read_at=1";
    for (int i = 2; i <= 65; ++i) {
        many += ',';
        many += std::to_string(i);
    }
    const EmulatorConfig c = Parse(many.c_str());
    EXPECT_EQ(c.ignoredItems, 1u);
    ASSERT_EQ(c.shortReadCount, 1u);
    EXPECT_EQ(c.shortReadAt[0], 4u);
}

TEST(EmulationVariable, AnUnreadableRawFileLeavesTheEarlierSource)
{
    emutest::VirtualClockHost host;
    EmulatedDriverPort port("source=flat:256;source=raw:/nonexistent/velmor.raw;timing=fast", host);
    EXPECT_EQ(port.IgnoredItems(), 1u);
    emutest::Client client(port);
    std::vector<uint8_t> frame;
    ASSERT_TRUE(client.ReadFrame(frame, 2048 * 1536));
    EXPECT_EQ(frame[0], 256 >> 2);
    EXPECT_EQ(frame[2048 * 1536 - 1], 256 >> 2);
}

// Random text made of the pieces the grammar knows: parsing never fails, every output byte is
// defined, and the invariants of the result hold.
TEST(EmulationVariable, RandomTextNeverBreaksTheParserOrThePort)
{
    const char* pieces[] = {"devices", "source", "timing", "trigger_period_ms", "unplug_after_frames",
                            "short_read_at", "replug_after_ms", "=", ";", ",", ":", "raw", "flat", "bars", "real",
                            "fast", "0", "1", "31", "32", "1023", "4294967296", " ", "\t", "\\", "-", "x", "=="};
    std::mt19937 random(11);
    emutest::VirtualClockHost host;
    for (int i = 0; i < 3000; ++i) {
        std::string text;
        const int count = int(random() % 24);
        for (int j = 0; j < count; ++j)
            text += (random() % 8) ? pieces[random() % (sizeof(pieces) / sizeof(pieces[0]))]
                                   : std::string(1, char(random() % 255 + 1));
        EmulatorConfig c;
        ParseEmulatorConfig(text.c_str(), c);
        const unsigned char* bytes = reinterpret_cast<const unsigned char*>(&c);
        unsigned sum = 0;
        for (size_t k = 0; k < sizeof(c); ++k)
            sum += bytes[k];
        EXPECT_NE(sum, 0u);  // reads every byte; the default device mask alone makes it non-zero
        EXPECT_LE(c.flatValue, 1023);
        EXPECT_LE(c.shortReadCount, uint32_t(emu::kMaxShortReads));
        EXPECT_GE(c.triggerPeriodMs, 1u);
        EXPECT_NE(std::memchr(c.rawPath, '\0', sizeof(c.rawPath)), nullptr);
        if (i % 50 == 0) {
            EmulatedDriverPort port(text.c_str(), host);
            const std::string suffixes = "0123456789ABCDEFGHIJKLNMOPQRSTUV";
            // The virtual clock stands still here: a camera unplugged from the start is back only at 0 ms.
            const bool answers = !(c.unplugs && c.unplugAfterFrames == 0) || (c.replugs && c.replugAfterMs == 0);
            for (int n = 0; n < 32; ++n) {
                DriverHandle h = port.Open(emutest::DevicePath(suffixes[n]).c_str());
                EXPECT_EQ(h != nullptr, answers && ((c.deviceMask >> n) & 1)) << text << " device " << n;
                port.Close(h);
            }
        }
    }
}

}  // namespace
