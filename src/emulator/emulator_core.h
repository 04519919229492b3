#pragma once
// The emulated cameras behind the driver's request protocol: device paths, the four request codes,
// pipes 0, 1 and 2, 64-byte command and reply packets, image reads. Portable and free of
// exceptions, RTTI and hosted library parts; everything outside comes through EmuHost.
//
// Thread-safe: one lock guards the cameras' state and the handle table. An image read waits for
// its frame without the lock and fills the caller's buffer under its camera's render lock.
#include <cstdint>

#include "emulator/emu_config.h"
#include "emulator/emu_host.h"
#include "emulator/sensor_model.h"

namespace emu {

constexpr int kMaxHandles = 256;  // open handles at one time, all cameras together
constexpr uint32_t kReplyBytes = 64;
constexpr uint32_t kDefaultDriverWaitMs = 3000;

class EmulatorCore {
public:
    // Null when the host has no memory or no lock to give.
    static EmulatorCore* Create(EmuHost& host, const char* settings);
    static void Destroy(EmulatorCore* core);

    void* Open(const char* path);
    bool Control(void* handle, uint32_t code, const void* in, uint32_t inBytes, void* out, uint32_t outBytes,
                 uint32_t* returned);
    void Close(void* handle);

    const EmulatorConfig& Config() const { return config_; }
    // True when the device answers now: configured and plugged in (replugged when its time has come).
    bool Answers(int device);
    // The free-running frame period of a device from its current registers; 0 when it does not answer.
    uint64_t FramePeriodNanos(int device);

private:
    struct Camera {
        explicit Camera(EmuHost& host) : renderer(host) {}

        RegisterFile regs;
        RegisterFile renderRegs;  // the registers of the frame being rendered; under renderLock
        FrameRenderer renderer;
        void* renderLock = nullptr;
        // From here on, what a power-up (the first, or a replug) sets anew.
        uint64_t anchorMicros = 0;  // start of the free-running frame and trigger sequences
        uint32_t driverWaitMs = kDefaultDriverWaitMs;
        bool frameRequested = false;
        uint32_t transfers = 0;     // image transfers since power-up
        uint32_t runTransfers = 0;  // image transfers since the last ArmTransfer
        uint32_t frameNumber = 0;
        // The camera's reply pipe: the reply of its last command, for handles that sent none.
        bool hasReply = false;
        uint8_t reply[kReplyBytes] = {};
        // Unplugging and replugging (a power-up clears only `unplugged`); it comes back at most once.
        bool unplugged = false;
        bool replugged = false;
        uint64_t unpluggedMicros = 0;
        uint32_t plugIns = 0;  // handles opened before the last replug stay dead
    };
    // The reply of the last command sent on a handle stays with that handle, so that exchanges
    // of different threads on their own handles never read each other's replies.
    struct HandleSlot {
        uint64_t id;  // 0: free
        int device;
        uint32_t plugIns;  // of its camera when it was opened
        bool sentCommand;
        bool hasReply;
        uint8_t reply[kReplyBytes];
    };

    explicit EmulatorCore(EmuHost& host) : host_(host) {}
    ~EmulatorCore() = default;
    bool Start(const char* settings);
    void LoadRawSource();

    static void PowerUp(Camera& camera, uint64_t now);
    static void Unplug(Camera& camera, uint64_t now);
    void ReplugIfDue(Camera& camera);

    int FindSlot(void* handle) const;
    // The camera when it answers (replugging it when its time has come), else null.
    Camera* LiveCamera(int device);
    // The camera of an open handle, when it answers and the handle dates from its last plug-in.
    Camera* SlotCamera(const HandleSlot& slot);
    void Command(HandleSlot& slot, Camera& camera, const uint8_t* data, uint32_t bytes, uint32_t* returned);
    bool ReadReply(const HandleSlot& slot, const Camera& camera, uint8_t* out, uint32_t outBytes, uint32_t* returned);
    // Entered with the lock held; returns with it released.
    bool ReadImage(void* handle, Camera& camera, uint8_t* out, uint32_t outBytes, uint32_t* returned);
    uint64_t NextFrameMicros(const Camera& camera, uint64_t now) const;

    EmuHost& host_;
    EmulatorConfig config_;
    void* lock_ = nullptr;
    uint16_t* raw_ = nullptr;  // the raw:PATH samples, read once
    Camera* cameras_[kDeviceNumbers] = {};
    HandleSlot slots_[kMaxHandles] = {};
    uint64_t nextId_ = 1;
};

}  // namespace emu
