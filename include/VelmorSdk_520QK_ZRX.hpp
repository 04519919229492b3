/* A C++17 companion of VelmorSdk_520QK_ZRX.h for applications written in C++: a camera that owns
 * its handle, the error codes as an enum with their texts, frames as a pointer/size/stride view,
 * and the frame notification decoded. Header only: it adds nothing to the DLL and calls nothing
 * but the C functions, which any of its users may still call with handle(). */
#ifndef VELMOR_SDK_520QK_ZRX_HPP
#define VELMOR_SDK_520QK_ZRX_HPP

#include "VelmorSdk_520QK_ZRX.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace velmor {

enum class Error : int {
    None = VELMOR_ERROR_NONE,
    State = VELMOR_ERROR_STATE,
    DeviceBusy = VELMOR_ERROR_DEVICE_BUSY,
    Thread = VELMOR_ERROR_THREAD,
    Window = VELMOR_ERROR_WINDOW,
    Memory = VELMOR_ERROR_MEMORY,
    Register = VELMOR_ERROR_REGISTER,
    CaptureWindow = VELMOR_ERROR_CAPTURE_WINDOW,
    Transfer = VELMOR_ERROR_TRANSFER,
    Argument = VELMOR_ERROR_ARGUMENT,
    NotAvailable = VELMOR_ERROR_NOT_AVAILABLE,
    File = VELMOR_ERROR_FILE,
    NoFrame = VELMOR_ERROR_NO_FRAME,
};

/* What an error code means, in a short English sentence fragment. */
inline const char* ErrorText(Error error)
{
    switch (error) {
    case Error::None: return "no error";
    case Error::State: return "no device, or not allowed in this acquisition state";
    case Error::DeviceBusy: return "the camera is missing or used by another process";
    case Error::Thread: return "a thread or event could not be made";
    case Error::Window: return "the preview window could not be made";
    case Error::Memory: return "a buffer is too small or memory ran out";
    case Error::Register: return "the camera did not take a setting";
    case Error::CaptureWindow: return "the capture window does not fit the sensor";
    case Error::Transfer: return "a frame transfer failed";
    case Error::Argument: return "an argument is out of range";
    case Error::NotAvailable: return "this camera does not have that function";
    case Error::File: return "a file could not be written";
    case Error::NoFrame: return "no frame came: the camera was lost";
    }
    return "unknown error";
}

/* Bytes per row of a frame: rows are padded to 4 bytes. */
constexpr int FrameStride(int width, int bitsPerPixel) { return (width * (bitsPerPixel / 8) + 3) & ~3; }

/* A frame in memory: rows of `stride` bytes, `height` of them. It owns nothing. */
struct FrameView {
    const std::uint8_t* data = nullptr;
    std::size_t size = 0;
    int width = 0;
    int height = 0;
    int stride = 0;
    int bitsPerPixel = 0;

    const std::uint8_t* Row(int y) const { return data + static_cast<std::size_t>(y) * stride; }
    explicit operator bool() const { return data != nullptr; }
};

/* A VELMOR_WM_FRAME message: a frame (its record copied while the message is handled) or a
 * failure with its error code. */
struct FrameNotification {
    Error failure = Error::None;
    VELMOR_FRAME_INFO info = {};

    bool failed() const { return failure != Error::None; }
    /* The frame in the application buffer the preview was started with, if it had one. */
    FrameView View() const
    {
        if (failed() || !info.buffer)
            return {};
        const int stride = FrameStride(info.width, info.bitsPerPixel);
        return {info.buffer, static_cast<std::size_t>(stride) * info.height, info.width, info.height, stride,
                info.bitsPerPixel};
    }
};

/* Decodes a window message; empty for any message but VELMOR_WM_FRAME. */
inline std::optional<FrameNotification> DecodeFrameMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message != VELMOR_WM_FRAME)
        return std::nullopt;
    FrameNotification note;
    if (wParam)
        note.info = *reinterpret_cast<const VELMOR_FRAME_INFO*>(wParam);
    else
        note.failure = static_cast<Error>(lParam);
    return note;
}

/* One camera object of the SDK: made by the constructor, released by the destructor. Moving
 * hands the camera on; copying is not possible. A camera whose handle() is 0 could not be made. */
class Camera {
public:
    explicit Camera(HWND notifyWindow = nullptr) : handle_(Velmor_Initialize(notifyWindow)) {}
    ~Camera() { Release(); }
    Camera(const Camera&) = delete;
    Camera& operator=(const Camera&) = delete;
    Camera(Camera&& other) noexcept : handle_(std::exchange(other.handle_, 0)) {}
    Camera& operator=(Camera&& other) noexcept
    {
        if (this != &other) {
            Release();
            handle_ = std::exchange(other.handle_, 0);
        }
        return *this;
    }

    int handle() const { return handle_; }
    explicit operator bool() const { return handle_ != 0; }

    /* The error queue, newest first, emptied. */
    std::vector<Error> TakeErrors()
    {
        std::vector<Error> errors;
        for (int code; (code = Velmor_GetLastError(handle_)) != VELMOR_ERROR_NONE;)
            errors.push_back(static_cast<Error>(code));
        return errors;
    }

    /* The names of the cameras found, in device order. */
    std::vector<std::string> Devices()
    {
        std::vector<char> entries(VELMOR_MAX_DEVICES * VELMOR_DEVICE_ENTRY_BYTES);
        const int count = Velmor_EnumDevice(handle_, entries.data());
        std::vector<std::string> names;
        for (int i = 0; i < count; ++i)
            names.emplace_back(entries.data() + static_cast<std::size_t>(i) * VELMOR_DEVICE_ENTRY_BYTES);
        return names;
    }

    /* One frame into `buffer` (top row first), viewed with the current output format. */
    FrameView SnapShot(std::vector<std::uint8_t>& buffer)
    {
        const int bits = Velmor_GetColorMode(handle_);
        const int width = Velmor_Width(handle_) / SubSampleDivisor(), height = Velmor_Height(handle_) / SubSampleDivisor();
        const int stride = FrameStride(width, bits);
        buffer.resize(static_cast<std::size_t>(stride) * height);
        if (!Velmor_SnapShot(handle_, buffer.data(), static_cast<int>(buffer.size()), 1))
            return {};
        return {buffer.data(), buffer.size(), width, height, stride, bits};
    }

private:
    int SubSampleDivisor() const
    {
        switch (Velmor_GetSubSample(handle_)) {
        case 1:
        case 17: return 2;
        case 2:
        case 18: return 4;
        default: return 1;
        }
    }
    void Release()
    {
        if (handle_)
            Velmor_Release(handle_);
        handle_ = 0;
    }

    int handle_ = 0;
};

}  // namespace velmor

#endif
