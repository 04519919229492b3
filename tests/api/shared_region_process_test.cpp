// The shared camera block between two real processes: the second one opens the block that the
// first created without clearing it, and sees and releases the first one's claims by the owner rule.
#include "device/shared_region.h"
#include "sdk_test_support.h"

#include <cstring>

using namespace sdktest;

namespace {

constexpr uint32_t kMarkerOffset = 0x100;  // inside the head that only a creator clears
constexpr uint8_t kMarker = 0xA5;
HWND const kOwner = reinterpret_cast<HWND>(0x777);
HWND const kStranger = reinterpret_cast<HWND>(0x999);
constexpr int kDevice = 2;
constexpr char kChildSwitch[] = "VELMOR_TEST_CHILD";

// The child's part: run in a second process with the same program.
int ChildMain()
{
    const int camera = Velmor_Initialize(nullptr);
    if (camera == 0)
        return 10;
    SharedRegion region;
    if (!region.Open(SharedRegion::kName))
        return 11;
    if (region.view()[kMarkerOffset] != kMarker)
        return 12;  // the block was cleared by the second process
    if (!region.IsDeviceClaimed(kDevice))
        return 13;
    region.ReleaseDevice(kStranger, kDevice);
    if (!region.IsDeviceClaimed(kDevice))
        return 14;
    region.ReleaseDevice(kOwner, kDevice);  // same window, same program image: the owner
    if (region.IsDeviceClaimed(kDevice))
        return 15;
    Velmor_Release(camera);
    return 0;
}

DWORD RunChild() { return RunSelfAsChild(kChildSwitch); }

}  // namespace

TEST_F(SdkTest, SecondProcessOpensTheBlockWithoutClearingIt)
{
    const int camera = NewCamera();  // creates the block in this process
    ASSERT_NE(camera, 0);
    SharedRegion region;
    ASSERT_TRUE(region.Open(SharedRegion::kName));
    region.view()[kMarkerOffset] = kMarker;
    ASSERT_EQ(region.ClaimDevice(kOwner, kDevice), 1);

    EXPECT_EQ(RunChild(), 0u);
    EXPECT_EQ(region.view()[kMarkerOffset], kMarker);
    EXPECT_FALSE(region.IsDeviceClaimed(kDevice));  // released by the child
}

int main(int argc, char** argv)
{
    char flag[4];
    if (GetEnvironmentVariableA(kChildSwitch, flag, sizeof(flag)) > 0)
        return ChildMain();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
