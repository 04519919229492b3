#include "recording_port.h"

#include <chrono>
#include <cstring>

namespace {
void CopyPacket(PortEvent& event, const void* data, uint32_t bytes)
{
    if (data)
        std::memcpy(event.packet.data(), data, bytes < kPacketBytes ? bytes : kPacketBytes);
}
}  // namespace

DriverHandle RecordingDriverPort::Open(const char* path)
{
    PortEvent event;
    event.kind = PortEvent::Kind::Open;
    event.path = path ? path : "";
    if (ShouldFail(event)) {
        event.injected = true;
    } else {
        event.handle = inner_.Open(path);
        event.ok = event.handle != nullptr;
    }
    const DriverHandle handle = event.handle;
    Log(std::move(event));
    return handle;
}

bool RecordingDriverPort::Control(DriverHandle handle, uint32_t code, const void* in, uint32_t inBytes, void* out,
                                  uint32_t outBytes, uint32_t* returned)
{
    PortEvent event;
    event.handle = handle;
    event.code = code;
    if (in && inBytes == sizeof(uint32_t))
        std::memcpy(&event.pipe, in, sizeof(uint32_t));
    event.length = outBytes;
    event.buffer = out;
    const bool sends = event.pipe == kPipeCommand;
    if (sends)
        CopyPacket(event, out, outBytes);
    if (ShouldFail(event)) {
        event.injected = true;
        if (returned)
            *returned = 0;
    } else {
        uint32_t moved = 0;
        event.ok = inner_.Control(handle, code, in, inBytes, out, outBytes, &moved);
        event.returned = moved;
        if (returned)
            *returned = moved;
        if (!sends)
            CopyPacket(event, out, moved < outBytes ? moved : outBytes);
    }
    const bool ok = event.ok;
    Log(std::move(event));
    return ok;
}

void RecordingDriverPort::Close(DriverHandle handle)
{
    PortEvent event;
    event.kind = PortEvent::Kind::Close;
    event.handle = handle;
    inner_.Close(handle);
    event.ok = true;
    Log(std::move(event));
}

void RecordingDriverPort::FailWhen(Rule rule)
{
    std::lock_guard<std::mutex> lock(mutex_);
    fail_ = std::move(rule);
}

std::vector<PortEvent> RecordingDriverPort::Events() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return events_;
}

void RecordingDriverPort::Clear()
{
    std::lock_guard<std::mutex> lock(mutex_);
    events_.clear();
}

bool RecordingDriverPort::WaitFor(const Rule& match, size_t count, uint32_t timeoutMs)
{
    std::unique_lock<std::mutex> lock(mutex_);
    return logged_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] {
        size_t seen = 0;
        for (const PortEvent& event : events_)
            seen += match(event) ? 1 : 0;
        return seen >= count;
    });
}

bool RecordingDriverPort::ShouldFail(const PortEvent& event) const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return fail_ && fail_(event);
}

void RecordingDriverPort::Log(PortEvent event)
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        events_.push_back(std::move(event));
    }
    logged_.notify_all();
}
