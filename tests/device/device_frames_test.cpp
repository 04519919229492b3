// Frames delivered by the single-frame read and by the ring are the sensor window of a raw file,
// bit for bit, in one- and two-byte mode and in every sub-sampling mode.
#include "device/velmor_520qk.h"
#include "device_test_support.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <random>
#include <vector>

namespace {

constexpr int kColumns = CVelmor520QKZRXSdk::kSensorColumns;
constexpr int kRows = CVelmor520QKZRXSdk::kSensorRows;
constexpr uint16_t kSampleMask = 0x3FF;

struct Window {
    int x, y, w, h, mode;
    bool wide;
};

// The window as the camera delivers it, computed from the file: skipping keeps pairs of rows and
// columns (a Bayer cell) every 2 × step; binning averages each sample with its same-colour
// neighbours two columns and two rows on, truncating.
std::vector<uint8_t> Expected(const std::vector<uint16_t>& raw, const Window& win)
{
    const bool binning = win.mode == 17 || win.mode == 18;
    const int step = win.mode == 1 || win.mode == 17 ? 2 : win.mode == 2 || win.mode == 18 ? 4 : 1;
    const int outW = win.w / step, outH = win.h / step;
    std::vector<uint8_t> out;
    out.reserve(size_t(outW) * outH * 2);
    for (int r = 0; r < outH; ++r) {
        const int row = win.y + r / 2 * 2 * step + r % 2;
        for (int c = 0; c < outW; ++c) {
            const int col = win.x + c / 2 * 2 * step + c % 2;
            uint32_t v = raw[size_t(row) * kColumns + col];
            if (binning) {
                v += raw[size_t(row) * kColumns + col + 2] + raw[size_t(row + 2) * kColumns + col] +
                     raw[size_t(row + 2) * kColumns + col + 2];
                v /= 4;
            }
            if (win.wide) {
                out.push_back(uint8_t(v & 0xFF));
                out.push_back(uint8_t(v >> 8));
            } else {
                out.push_back(uint8_t(v >> 2));
            }
        }
    }
    return out;
}

class DeviceFrames : public ::testing::TestWithParam<Window> {
protected:
    static void SetUpTestSuite()
    {
        file_ = new TempFile("velmor_device_frames.raw");
        raw_ = new std::vector<uint16_t>(size_t(kColumns) * kRows);
        std::mt19937 random(520);
        for (uint16_t& v : *raw_)
            v = uint16_t(random() & kSampleMask);
        FILE* out = std::fopen(file_->path().c_str(), "wb");
        ASSERT_NE(nullptr, out);
        for (uint16_t v : *raw_) {
            const uint8_t le[2] = {uint8_t(v & 0xFF), uint8_t(v >> 8)};
            std::fwrite(le, 1, 2, out);
        }
        std::fclose(out);
        rig_ = new EmulatedRig("devices=0;timing=fast;source=raw:" + file_->path());
        device_ = new CVelmor520QKZRXSdk(rig_->port);
    }
    static void TearDownTestSuite()
    {
        delete device_;
        delete rig_;
        delete raw_;
        delete file_;
    }

    static TempFile* file_;
    static std::vector<uint16_t>* raw_;
    static EmulatedRig* rig_;
    static CVelmor520QKZRXSdk* device_;
};

TempFile* DeviceFrames::file_ = nullptr;
std::vector<uint16_t>* DeviceFrames::raw_ = nullptr;
EmulatedRig* DeviceFrames::rig_ = nullptr;
CVelmor520QKZRXSdk* DeviceFrames::device_ = nullptr;

TEST_P(DeviceFrames, SingleFrameAndRingDeliverTheWindow)
{
    const Window win = GetParam();
    CVelmor520QKZRXSdk& device = *device_;
    device.SetSampleWidth(win.wide ? 1 : 0);
    ASSERT_EQ(kStatusOk, device.SetSensorWindow(win.x, win.y, win.w, win.h, win.mode));
    const std::vector<uint8_t> expected = Expected(*raw_, win);
    ASSERT_EQ(expected.size(), size_t(device.DeliveredBytes()));

    std::vector<uint8_t> frame(expected.size());
    ASSERT_EQ(kStatusOk, device.SnapFrame());
    ASSERT_EQ(kStatusOk, device.GetSnapFrame(frame.data()));
    EXPECT_TRUE(frame == expected) << "single-frame read";

    std::fill(frame.begin(), frame.end(), 0);
    ASSERT_EQ(kStatusOk, device.StartTransfer());
    int result = kWaitSignalled;
    for (int i = 0; i < 100 && result != kWaitReady; ++i)
        result = device.WaitFrame();
    ASSERT_EQ(kWaitReady, result);
    EXPECT_EQ(kStatusOk, device.GetFrame(frame.data()));
    EXPECT_EQ(kStatusOk, device.StopTransfer());
    EXPECT_TRUE(frame == expected) << "continuous transfer";
    device.CloseSnapshot();
    EXPECT_EQ(0, OpenHandles(rig_->port.Events()));
}

INSTANTIATE_TEST_SUITE_P(Windows, DeviceFrames,
                         ::testing::Values(Window{0, 0, kColumns, kRows, 0, false},
                                           Window{0, 0, kColumns, kRows, 0, true},
                                           Window{200, 104, 640, 480, 0, false},
                                           Window{200, 104, 640, 480, 0, true},
                                           Window{64, 32, 1024, 768, 1, false},
                                           Window{64, 32, 1024, 768, 1, true},
                                           Window{64, 32, 1024, 768, 2, false},
                                           Window{64, 32, 1024, 768, 2, true},
                                           Window{64, 32, 1024, 768, 17, false},
                                           Window{64, 32, 1024, 768, 17, true},
                                           Window{64, 32, 1024, 768, 18, false},
                                           Window{1016, 760, 1024, 768, 18, true}));

}  // namespace
