#pragma once
// The process-shared block "KORVANE_USBCAMERA" and its per-device claim records, through which
// every process using the SDK sees which cameras are busy with a running acquisition.
#include <cstdint>

class SharedRegion {
public:
    static constexpr char kName[] = "KORVANE_USBCAMERA";
    static constexpr uint32_t kSize = 0x4C0000;
    static constexpr uint32_t kClearedBytes = 0x8000;   // zeroed by the process that creates the block
    static constexpr uint32_t kClaimTableOffset = 1955328;
    static constexpr uint32_t kClaimRecordSize = 152;
    static constexpr int kClaimRecords = 33;              // device numbers 0..32
    static constexpr char kOwnerText[] = "VelmorSdk_520QK_ZRX.dll";

    SharedRegion() = default;
    ~SharedRegion() { Close(); }
    SharedRegion(const SharedRegion&) = delete;
    SharedRegion& operator=(const SharedRegion&) = delete;

    // Maps an existing block; false when none exists.
    bool Open(const char* name);
    // Maps an existing block or creates one of `size` bytes, clearing its head only when it was created here.
    bool OpenOrCreate(const char* name, uint32_t size);
    // Unmaps the view and closes the handles; returns 1.
    int Close();

    // Claims a device for the camera object whose notification window is `owner`. 0 without a view.
    int ClaimDevice(void* owner, int device);
    // Clears the record when `owner` (and this process) claimed it; 1 either way, 0 without a view.
    int ReleaseDevice(void* owner, int device);
    bool IsDeviceClaimed(int device) const;

    uint8_t* view() const { return view_; }

    struct ClaimRecord;  // 152 bytes per device number

private:
    ClaimRecord* Record(int device) const;

    void* mapping_ = nullptr;
    void* secondHandle_ = nullptr;  // never opened by this SDK; closed if set
    uint8_t* view_ = nullptr;
};
