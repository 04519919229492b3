#pragma once
// A port that forwards to another one and logs every open, request and close, so that tests can
// assert the exact traffic; it can also fail chosen requests the way a broken link would.
#include "device/driver_port.h"

#include <array>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

struct PortEvent {
    enum class Kind { Open, Request, Close };
    static constexpr uint32_t kNoPipe = 0xFFFFFFFF;  // requests whose input is not a pipe index

    Kind kind = Kind::Request;
    std::string path;                // Open only
    DriverHandle handle = nullptr;   // opened (null when the open failed), used or closed
    uint32_t code = 0;
    uint32_t pipe = kNoPipe;
    uint32_t length = 0;             // bytes asked for
    std::array<uint8_t, kPacketBytes> packet{};  // first bytes of the data: as sent on pipe 0, as received otherwise
    const void* buffer = nullptr;    // the data buffer given to the request
    bool ok = false;
    uint32_t returned = 0;
    bool injected = false;           // failed by the test's rule, not forwarded
};

class RecordingDriverPort : public DriverPort {
public:
    using Rule = std::function<bool(const PortEvent&)>;

    explicit RecordingDriverPort(DriverPort& inner) : inner_(inner) {}

    DriverHandle Open(const char* path) override;
    bool Control(DriverHandle handle, uint32_t code, const void* in, uint32_t inBytes, void* out,
                 uint32_t outBytes, uint32_t* returned) override;
    void Close(DriverHandle handle) override;

    // Opens and requests for which `rule` holds (seen before forwarding, with ok still false)
    // fail without reaching the inner port; a null rule fails nothing.
    void FailWhen(Rule rule);
    std::vector<PortEvent> Events() const;
    void Clear();
    // Blocks until `count` logged events satisfy `match`, or `timeoutMs` passes; true when reached.
    bool WaitFor(const Rule& match, size_t count, uint32_t timeoutMs);

private:
    bool ShouldFail(const PortEvent& event) const;
    void Log(PortEvent event);

    DriverPort& inner_;
    mutable std::mutex mutex_;
    std::condition_variable logged_;
    std::vector<PortEvent> events_;
    Rule fail_;
};
