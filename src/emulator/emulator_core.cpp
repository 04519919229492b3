#include "emulator/emulator_core.h"

#include <cstring>
#include <new>

#include "device/driver_port.h"

namespace emu {
namespace {


constexpr uint32_t kPipeIndexBytes = 4;
constexpr uint32_t kWaitInputBytes = 8;  // {1, wait ms}; the driver ignores what follows
constexpr int32_t kWaitInputTag = 1;
constexpr uint64_t kMicrosPerMilli = 1000;
constexpr uint64_t kNanosPerMicro = 1000;

// Command packets: byte 0 is the code.
namespace packet = cmd;

constexpr uint32_t kSromAddressMask = kSromBytes - 1;
constexpr uint32_t kRawSamples = uint32_t{kSensorColumns} * kSensorRows;
constexpr uint64_t kRawBytes = uint64_t{kRawSamples} * 2;

char Upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

// Skips `part` at the start of `text`, comparing without regard to case; null when it is not there.
const char* Skip(const char* text, const char* part)
{
    for (; *part; ++text, ++part) {
        if (*text == '\0' || Upper(*text) != Upper(*part))
            return nullptr;
    }
    return text;
}

// Device number of a path, or -1. Object names compare without regard to case, as Windows does.
int DeviceOfPath(const char* path)
{
    const char* rest = Skip(path, kDevicePathPrefix);
    rest = rest ? Skip(rest, kDeviceBaseName) : nullptr;
    rest = rest ? Skip(rest, "-") : nullptr;
    if (!rest || rest[0] == '\0' || rest[1] != '\0')
        return -1;
    const char* found = std::strchr(kDeviceSuffixes, Upper(rest[0]));
    return found ? static_cast<int>(found - kDeviceSuffixes) : -1;
}

uint32_t ReadLe32(const uint8_t* p)
{
    return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}

}  // namespace

EmulatorCore* EmulatorCore::Create(EmuHost& host, const char* settings)
{
    void* memory = host.Allocate(sizeof(EmulatorCore));
    if (!memory)
        return nullptr;
    EmulatorCore* core = new (memory) EmulatorCore(host);
    if (!core->Start(settings)) {
        Destroy(core);
        return nullptr;
    }
    return core;
}

void EmulatorCore::Destroy(EmulatorCore* core)
{
    if (!core)
        return;
    EmuHost& host = core->host_;
    for (Camera*& camera : core->cameras_) {
        if (!camera)
            continue;
        if (camera->renderLock)
            host.DestroyLock(camera->renderLock);
        camera->~Camera();
        host.Free(camera);
        camera = nullptr;
    }
    host.Free(core->raw_);
    if (core->lock_)
        host.DestroyLock(core->lock_);
    core->~EmulatorCore();
    host.Free(core);
}

bool EmulatorCore::Start(const char* settings)
{
    ParseEmulatorConfig(settings, config_);
    lock_ = host_.CreateLock();
    if (!lock_)
        return false;
    if (config_.source == SourceKind::Raw)
        LoadRawSource();
    if (config_.ignoredItems > 0)
        host_.Log("VELMOR_EMULATION: items with an unknown key or a bad value were ignored");

    const uint64_t now = host_.NowMicros();
    for (int device = 0; device < kDeviceNumbers; ++device) {
        if (!(config_.deviceMask & (1u << device)))
            continue;
        void* memory = host_.Allocate(sizeof(Camera));
        if (!memory)
            return false;
        Camera* camera = new (memory) Camera(host_);
        cameras_[device] = camera;
        camera->renderLock = host_.CreateLock();
        if (!camera->renderLock)
            return false;
        PowerUp(*camera, now);
        if (config_.unplugs && config_.unplugAfterFrames == 0)
            Unplug(*camera, now);
    }
    return true;
}

void EmulatorCore::PowerUp(Camera& camera, uint64_t now)
{
    camera.regs.Reset();
    camera.anchorMicros = now;
    camera.driverWaitMs = kDefaultDriverWaitMs;
    camera.frameRequested = false;
    camera.transfers = 0;
    camera.runTransfers = 0;
    camera.frameNumber = 0;
    camera.hasReply = false;
    std::memset(camera.reply, 0, sizeof(camera.reply));
    camera.unplugged = false;
}

void EmulatorCore::Unplug(Camera& camera, uint64_t now)
{
    camera.unplugged = true;
    camera.unpluggedMicros = now;
}

// A replugged camera is a new device: registers at their power-up values, old handles dead.
void EmulatorCore::ReplugIfDue(Camera& camera)
{
    if (!camera.unplugged || camera.replugged || !config_.replugs)
        return;
    const uint64_t now = host_.NowMicros();
    if (now - camera.unpluggedMicros < uint64_t{config_.replugAfterMs} * kMicrosPerMilli)
        return;
    PowerUp(camera, now);
    camera.replugged = true;
    ++camera.plugIns;
}

void EmulatorCore::LoadRawSource()
{
    raw_ = static_cast<uint16_t*>(host_.Allocate(kRawBytes));
    uint8_t* bytes = reinterpret_cast<uint8_t*>(raw_);
    if (raw_ && host_.ReadFile(config_.rawPath, raw_, kRawBytes) == static_cast<int64_t>(kRawBytes)) {
        // Little-endian words whatever the host's order; only 10 bits are significant.
        for (uint32_t i = 0; i < kRawSamples; ++i)
            raw_[i] = static_cast<uint16_t>((bytes[2 * i] | bytes[2 * i + 1] << 8) & kMaxSample);
        return;
    }
    host_.Log("VELMOR_EMULATION: the raw source file cannot be read whole; source ignored");
    host_.Free(raw_);
    raw_ = nullptr;
    config_.source = config_.fallbackSource;
    config_.flatValue = config_.fallbackFlatValue;
    ++config_.ignoredItems;
}

int EmulatorCore::FindSlot(void* handle) const
{
    const uint64_t id = reinterpret_cast<uintptr_t>(handle);
    if (id == 0)
        return -1;
    for (int i = 0; i < kMaxHandles; ++i) {
        if (slots_[i].id == id)
            return i;
    }
    return -1;
}

EmulatorCore::Camera* EmulatorCore::LiveCamera(int device)
{
    if (device < 0 || device >= kDeviceNumbers || !cameras_[device])
        return nullptr;
    Camera* camera = cameras_[device];
    ReplugIfDue(*camera);
    return camera->unplugged ? nullptr : camera;
}

EmulatorCore::Camera* EmulatorCore::SlotCamera(const HandleSlot& slot)
{
    Camera* camera = LiveCamera(slot.device);
    return camera && camera->plugIns == slot.plugIns ? camera : nullptr;
}

void* EmulatorCore::Open(const char* path)
{
    if (!path)
        return nullptr;
    const int device = DeviceOfPath(path);
    HostLockGuard guard(host_, lock_);
    const Camera* camera = LiveCamera(device);
    if (!camera)
        return nullptr;
    for (HandleSlot& slot : slots_) {
        if (slot.id != 0)
            continue;
        slot = HandleSlot{};
        slot.id = nextId_++;
        slot.device = device;
        slot.plugIns = camera->plugIns;
        return reinterpret_cast<void*>(static_cast<uintptr_t>(slot.id));
    }
    host_.Log("emulated driver: too many open handles");
    return nullptr;
}

void EmulatorCore::Close(void* handle)
{
    HostLockGuard guard(host_, lock_);
    const int index = FindSlot(handle);
    if (index >= 0)
        slots_[index] = HandleSlot{};
}

bool EmulatorCore::Control(void* handle, uint32_t code, const void* in, uint32_t inBytes, void* out,
                           uint32_t outBytes, uint32_t* returned)
{
    if (returned)
        *returned = 0;
    host_.Lock(lock_);
    const int index = FindSlot(handle);
    Camera* camera = index >= 0 ? SlotCamera(slots_[index]) : nullptr;
    if (!camera) {
        host_.Unlock(lock_);
        return false;
    }
    HandleSlot& slot = slots_[index];
    const uint8_t* input = static_cast<const uint8_t*>(in);
    uint8_t* data = static_cast<uint8_t*>(out);

    if (code == kRequestDriverWait) {
        const bool ok = input && inBytes >= kWaitInputBytes && static_cast<int32_t>(ReadLe32(input)) == kWaitInputTag;
        if (ok) {
            const int32_t ms = static_cast<int32_t>(ReadLe32(input + 4));
            camera->driverWaitMs = ms > 0 ? static_cast<uint32_t>(ms) : 0;
        }
        host_.Unlock(lock_);
        return ok;
    }
    const bool transferCode = code == kRequestReadPipe || code == kRequestWritePipe || code == kRequestLargeRead;
    if (!transferCode || !input || inBytes < kPipeIndexBytes || !data || outBytes == 0) {
        host_.Unlock(lock_);
        return false;
    }
    bool ok = false;
    switch (ReadLe32(input)) {
    case kPipeCommand:
        Command(slot, *camera, data, outBytes, returned);
        ok = true;
        break;
    case kPipeReply:
        ok = ReadReply(slot, *camera, data, outBytes, returned);
        break;
    case kPipeImage:
        if (code != kRequestLargeRead && outBytes >= kLargeTransferBytes)
            break;  // the ordinary codes cannot map a buffer this large
        return ReadImage(handle, *camera, data, outBytes, returned);
    default:
        break;
    }
    host_.Unlock(lock_);
    return ok;
}

void EmulatorCore::Command(HandleSlot& slot, Camera& camera, const uint8_t* data, uint32_t bytes,
                           uint32_t* returned)
{
    // Bytes the caller did not send count as zero.
    uint8_t p[kPacketBytes] = {};
    const uint32_t used = bytes < kPacketBytes ? bytes : kPacketBytes;
    std::memcpy(p, data, used);
    if (returned)
        *returned = used;

    RegisterFile& regs = camera.regs;
    slot.hasReply = false;
    std::memset(slot.reply, 0, sizeof(slot.reply));
    switch (p[0]) {
    case packet::kArmTransfer:
        camera.runTransfers = 0;
        break;
    case packet::kRequestFrame:
        camera.frameRequested = true;
        break;
    case packet::kWriteSensorRegister:
        regs.sensor[p[1]] = static_cast<uint16_t>(p[2] << 8 | p[3]);
        break;
    case packet::kInitDevice:
        break;
    case packet::kSetTransferLength:
        regs.transferSamples = ReadLe32(p + 1);
        break;
    case packet::kSetSampleWidth:
        regs.twoByteSamples = p[1] != 0;
        break;
    case packet::kReadSensorRegister:
        slot.reply[0] = static_cast<uint8_t>(regs.sensor[p[1]] >> 8);
        slot.reply[1] = static_cast<uint8_t>(regs.sensor[p[1]] & 0xFF);
        slot.hasReply = true;
        break;
    case packet::kWriteControlRegister:
        regs.WriteControl(p[1], p[2]);
        break;
    case packet::kReadControlRegister:
        slot.reply[0] = regs.control[p[1]];
        slot.hasReply = true;
        break;
    case packet::kSromWrite:
        if (p[1] == packet::kSromChipAddress)
            regs.srom[(uint32_t{p[3]} << 8 | p[4]) & kSromAddressMask] = p[5];
        break;
    case packet::kSromRead:
        if (p[1] == packet::kSromChipAddress) {
            slot.reply[0] = regs.srom[(uint32_t{p[4]} << 8 | p[5]) & kSromAddressMask];
            slot.hasReply = true;
        }
        break;
    default:
        break;  // unknown commands are accepted and do nothing
    }
    slot.sentCommand = true;
    camera.hasReply = slot.hasReply;
    std::memcpy(camera.reply, slot.reply, kReplyBytes);
}

bool EmulatorCore::ReadReply(const HandleSlot& slot, const Camera& camera, uint8_t* out, uint32_t outBytes,
                             uint32_t* returned)
{
    // The reply stays until the next command, so it can be read any number of times.
    const bool hasReply = slot.sentCommand ? slot.hasReply : camera.hasReply;
    if (!hasReply || outBytes < kReplyBytes)
        return false;
    std::memcpy(out, slot.sentCommand ? slot.reply : camera.reply, kReplyBytes);
    if (returned)
        *returned = kReplyBytes;
    return true;
}

uint64_t EmulatorCore::NextFrameMicros(const Camera& camera, uint64_t now) const
{
    const uint64_t elapsed = now - camera.anchorMicros;
    if (camera.regs.TriggerMode()) {
        const uint64_t period = uint64_t{config_.triggerPeriodMs} * kMicrosPerMilli;
        return camera.anchorMicros + (elapsed / period + 1) * period;
    }
    if (config_.timing == Timing::Fast)
        return now;
    const uint64_t periodNanos = emu::FramePeriodNanos(camera.regs);
    if (periodNanos == 0)
        return now;
    const uint64_t boundary = (elapsed * kNanosPerMicro / periodNanos + 1) * periodNanos;
    return camera.anchorMicros + (boundary + kNanosPerMicro - 1) / kNanosPerMicro;
}

bool EmulatorCore::ReadImage(void* handle, Camera& camera, uint8_t* out, uint32_t outBytes, uint32_t* returned)
{
    // Without a frame request no frame comes: the read ends with the driver's wait.
    const bool requested = camera.frameRequested;
    camera.frameRequested = false;
    const uint64_t now = host_.NowMicros();
    const uint64_t limit = now + uint64_t{camera.driverWaitMs} * kMicrosPerMilli;
    const uint64_t ready = requested ? NextFrameMicros(camera, now) : limit + 1;
    host_.Unlock(lock_);

    if (ready > limit) {
        host_.SleepMicros(limit - now);
        return false;
    }
    if (ready > now)
        host_.SleepMicros(ready - now);

    HostLockGuard render(host_, camera.renderLock);
    host_.Lock(lock_);
    const int index = FindSlot(handle);
    if (index < 0 || SlotCamera(slots_[index]) != &camera) {
        host_.Unlock(lock_);
        return false;
    }
    ++camera.transfers;
    const uint32_t number = ++camera.runTransfers;
    const uint32_t frame = camera.frameNumber++;
    if (config_.unplugs && !camera.replugged && camera.transfers >= config_.unplugAfterFrames)
        Unplug(camera, host_.NowMicros());  // this transfer still completes
    camera.renderRegs = camera.regs;
    const FrameRenderer::Source source{config_.source, config_.flatValue, raw_};
    host_.Unlock(lock_);

    // A read ends with the frame: asking for more than the transfer length moves the frame only.
    const uint64_t frameBytes = uint64_t{camera.renderRegs.transferSamples} * (camera.renderRegs.twoByteSamples ? 2 : 1);
    uint64_t moved = outBytes < frameBytes ? outBytes : frameBytes;
    if (IsShortReadAt(config_, number))
        moved /= 2;
    camera.renderer.Render(source, camera.renderRegs, frame, out, moved);
    if (returned)
        *returned = static_cast<uint32_t>(moved);
    return true;
}

bool EmulatorCore::Answers(int device)
{
    HostLockGuard guard(host_, lock_);
    return LiveCamera(device) != nullptr;
}

uint64_t EmulatorCore::FramePeriodNanos(int device)
{
    HostLockGuard guard(host_, lock_);
    if (device < 0 || device >= kDeviceNumbers || !cameras_[device])
        return 0;
    return emu::FramePeriodNanos(cameras_[device]->regs);
}

}  // namespace emu
