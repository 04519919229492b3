// Pieces of the spine that the exports do not show directly: the ring's cursor, the configuration
// list, the preset store and the claim records.
#include "api/sdk_chain.h"
#include "camera/velmor.h"
#include "device/shared_region.h"
#include "settings/registry_settings.h"
#include "sdk_test_support.h"

#include <cstdio>

using namespace sdktest;

TEST(HandleRing, CursorRestsOnTheMatchAndEveryNodeIsComparedOnce)
{
    CSdkChain ring;
    EXPECT_EQ(ring.Find(1), 0);
    for (int32_t h : {10, 20, 30}) {
        CSDKDATA e{h, nullptr};
        ring.Add(e);
    }
    // Each Add inserts before the cursor and becomes it: following next from 30 gives 20, 10, 30.
    EXPECT_EQ(ring.count, 3);
    EXPECT_EQ(ring.current->data.handle, 30);
    EXPECT_EQ(ring.current->next->data.handle, 20);
    EXPECT_EQ(ring.current->next->next->next, ring.current);

    EXPECT_EQ(ring.Find(10), 1);
    EXPECT_EQ(ring.current->data.handle, 10);
    // A miss walks one full turn and leaves the cursor on the node before where it started.
    EXPECT_EQ(ring.Find(99), 0);
    EXPECT_EQ(ring.current->data.handle, 20);

    EXPECT_EQ(ring.Remove(20), 1);
    EXPECT_EQ(ring.count, 2);
    EXPECT_EQ(ring.current->data.handle, 10);  // the successor of the removed node
    EXPECT_EQ(ring.Remove(20), 0);
    ring.RemoveAll();
    EXPECT_EQ(ring.current, nullptr);
    EXPECT_EQ(ring.count, 0);
    EXPECT_EQ(ring.RemoveCurrent(), 0);
}

TEST(HandleRing, HandlesAreNeverZeroOrShared)
{
    CSdkChain ring;
    std::vector<int32_t> handles;
    for (int i = 0; i < 200; ++i) {
        const int32_t h = ring.CreateCamera();
        ASSERT_NE(h, 0);
        handles.push_back(h);
    }
    std::sort(handles.begin(), handles.end());
    EXPECT_EQ(std::adjacent_find(handles.begin(), handles.end()), handles.end());
    for (int32_t h : handles) {
        CVelmor* camera = ring.Detach(h);
        ASSERT_NE(camera, nullptr);
        camera->Drop();
    }
    EXPECT_EQ(ring.count, 0);
}

TEST(ConfigFile, WholePairsAreKeptAndARemainderIgnored)
{
    char folder[MAX_PATH];
    GetTempPathA(sizeof(folder), folder);
    const std::string path = std::string(folder) + "velmor_pairs.bin";
    const int32_t words[5] = {1, -2, 0x7FFFFFFF, 4, 5};
    FILE* f = std::fopen(path.c_str(), "wb");
    std::fwrite(words, sizeof(words), 1, f);  // 20 bytes: two pairs and a remainder of 4
    std::fclose(f);

    CVelmor camera;
    ASSERT_EQ(camera.LoadConfigFile(path.c_str()), 1);
    ASSERT_EQ(camera.configList.size(), 2u);
    EXPECT_EQ(camera.configList[0], std::make_pair(1, -2));
    EXPECT_EQ(camera.configList[1], std::make_pair(0x7FFFFFFF, 4));

    f = std::fopen(path.c_str(), "wb");
    std::fwrite(words, 7, 1, f);
    std::fclose(f);
    ASSERT_EQ(camera.LoadConfigFile(path.c_str()), 1);
    EXPECT_TRUE(camera.configList.empty());

    // A failed load leaves the previous list alone.
    std::fwrite(words, 8, 1, f = std::fopen(path.c_str(), "wb"));
    std::fclose(f);
    ASSERT_EQ(camera.LoadConfigFile(path.c_str()), 1);
    EXPECT_EQ(camera.LoadConfigFile("C:\\missing\\file.bin"), 0);
    EXPECT_EQ(camera.configList.size(), 1u);
    DeleteFileA(path.c_str());
}

TEST(PresetStore, StopsAtTheFirstGapAndAtAHundred)
{
    ClearSettings();
    const std::string camera = std::string(kRootKey) + "\\Camera_00";
    for (int n : {0, 1, 3}) {
        char key[64];
        std::snprintf(key, sizeof(key), "%s\\Size_%02d", camera.c_str(), n);
        WriteDword(key, "EH", 100 + n);
    }
    std::vector<CaptureRegion> presets;
    ASSERT_TRUE(settings::ReadWindowPresets(0, presets));
    ASSERT_EQ(presets.size(), 2u);
    EXPECT_EQ(presets[1].width, 101);
    EXPECT_EQ(presets[1].height, 1536);  // a missing value reads as the default

    for (int n = 2; n < 105; ++n) {
        char key[64];
        std::snprintf(key, sizeof(key), "%s\\Size_%02d", camera.c_str(), n);
        WriteDword(key, "EH", 100 + n);
    }
    ASSERT_TRUE(settings::ReadWindowPresets(0, presets));
    EXPECT_EQ(presets.size(), 100u);
    EXPECT_FALSE(settings::ReadWindowPresets(5, presets));
    ClearSettings();
}

TEST(ClaimRecords, OnlyTheOwnerReleasesAndNoWindowNeverClaims)
{
    SharedRegion region;
    ASSERT_TRUE(region.OpenOrCreate("VelmorTestRegion", SharedRegion::kSize));
    HWND owner = reinterpret_cast<HWND>(0x1234);
    HWND other = reinterpret_cast<HWND>(0x5678);
    EXPECT_FALSE(region.IsDeviceClaimed(3));
    EXPECT_EQ(region.ClaimDevice(owner, 3), 1);
    EXPECT_TRUE(region.IsDeviceClaimed(3));
    const uint8_t* record = region.view() + SharedRegion::kClaimTableOffset + 3 * SharedRegion::kClaimRecordSize;
    EXPECT_STREQ(reinterpret_cast<const char*>(record + 24), "VelmorSdk_520QK_ZRX.dll");

    EXPECT_EQ(region.ReleaseDevice(other, 3), 1);
    EXPECT_TRUE(region.IsDeviceClaimed(3));
    EXPECT_EQ(region.ReleaseDevice(owner, 3), 1);
    EXPECT_FALSE(region.IsDeviceClaimed(3));
    EXPECT_STREQ(reinterpret_cast<const char*>(record + 24), "");

    EXPECT_EQ(region.ClaimDevice(nullptr, 4), 1);
    EXPECT_FALSE(region.IsDeviceClaimed(4));

    // Numbers outside the table touch nothing.
    EXPECT_EQ(region.ClaimDevice(owner, 33), 0);
    EXPECT_EQ(region.ClaimDevice(owner, -1), 0);
    EXPECT_FALSE(region.IsDeviceClaimed(33));

    region.Close();
    EXPECT_EQ(region.ClaimDevice(owner, 3), 0);
    EXPECT_EQ(region.ReleaseDevice(owner, 3), 0);
    EXPECT_FALSE(region.IsDeviceClaimed(3));
}
