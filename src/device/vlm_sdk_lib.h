#pragma once
// CVLMSdkLib: the device object's base. It builds the driver's device paths, exchanges 64-byte
// command and reply packets with the camera, and reads image data, either one frame at a time or
// continuously on a transfer thread into a ring of locked buffers.
//
// Every command exchange opens its own handle and closes it again, so exchanges from different
// threads never share a handle. Only the single-frame read (snapshotHandle) and the transfer
// thread keep a handle open across requests. The class has no lock of its own: a camera object
// drives it from one thread at a time, and only the transfer block is shared with the thread.
//
// Transfer states: Idle (stopFlag 1, errorFlag 0) --StartTransfer--> Running (stopFlag 0)
//   Running --StopTransfer--> Idle;  Running --transfer error--> Failed (stopFlag 1, errorFlag 1)
//   Failed --StopTransfer (returns 19)--> Idle
#include "device/device_protocol.h"
#include "device/driver_port.h"

#include <atomic>
#include <cstdint>

class CVLMSdkLib {
public:
    static constexpr int kBaseNameBytes = 64;
    static constexpr int kPathBytes = 128;
    static constexpr uint32_t kDefaultDriverWaitMs = 3000;

    // One ring buffer: its global memory handle and the locked memory.
    struct RingEntry {
        void* memory = nullptr;
        uint8_t* data = nullptr;
    };

    // Shared between the consumer and the transfer thread. writeIndex is written only by the
    // thread, readIndex only by the consumer; the thread ends by storing the status, errorFlag and
    // stopFlag (in that order) and setting doneEvent. Atomics make those cross-thread reads defined.
    struct TransferBlock {
        int32_t transferBytes = 0;
        void* frameEvent = nullptr;       // auto-reset; set after each frame
        void* doneEvent = nullptr;        // manual-reset; set when the thread ends
        std::atomic<int64_t> transferStatus{0};
        std::atomic<int32_t> stopFlag{1};
        std::atomic<int32_t> errorFlag{0};
        int32_t ringSizeCopy = 0;
        RingEntry* ringTableCopy = nullptr;
        std::atomic<int32_t> writeIndex{0};
        std::atomic<int32_t> readIndex{0};
        int32_t useLargeCode = 0;
        const char* devicePathRef = nullptr;
        DriverPort* port = nullptr;
    };

    // `port` is borrowed and must outlive the object.
    explicit CVLMSdkLib(DriverPort& port);
    virtual ~CVLMSdkLib();
    CVLMSdkLib(const CVLMSdkLib&) = delete;
    CVLMSdkLib& operator=(const CVLMSdkLib&) = delete;

    // --- Virtual operations, in slot order ---
    // Copies the delivered window out of a raw transfer buffer. 0, or 14 when either buffer is
    // missing or the window does not lie inside the transferred data.
    virtual int CopyRawWindow(uint8_t* destination, const uint8_t* source);
    // Slots 1 to 3 serve data format 3 (4:2:2 luminance/chrominance, field-interleaved), which this
    // camera never delivers; they copy nothing and report kStatusNoBuffer.
    virtual int ConvertYuvWindow(uint8_t* destination, const uint8_t* source, int left, int top, int width,
                                 int height);
    virtual int ConvertYuvFrame(uint8_t* destination, const uint8_t* source);
    virtual int CopyInterlacedWindow(uint8_t* destination, const uint8_t* source);
    virtual int SetVariantCode(int code);
    virtual int SetSampleWidth(int wide);

    // --- Device paths and selection ---
    // Writes "\\.\<base>-<suffix>" for device number n (0..35) into `path` of `bytes` bytes.
    static bool FormatDevicePath(const char* baseName, int n, char* path, int bytes);
    int SelectDevice(int n);
    bool IsDevicePresent(int n) const;
    static int MaxDevices() { return kMaxDevices; }
    int GetDeviceNumber() const { return deviceNumber; }
    void ResetDefaults();
    int InitializeDevice(int n);

    // --- Packet primitives ---
    int PipeTransfer(DriverHandle handle, uint32_t pipe, uint32_t length, void* buffer, uint32_t* transferred,
                     int codeSelector);
    int PipeTransferLarge(DriverHandle handle, uint32_t pipe, uint32_t length, void* buffer, uint32_t* transferred);
    int WriteCommand(DriverHandle handle, const uint8_t* packet);
    int ReadReply(DriverHandle handle, uint8_t* packet);
    DriverHandle OpenDevice(const char* path);
    void CloseDevice(DriverHandle& handle);

    // --- Register, ROM and command operations (each on a short-lived handle) ---
    int ReadSensorRegister(int reg, uint16_t* value);
    int WriteSensorRegister(int reg, int value);
    int ReadControlRegister(int index, uint8_t* value);
    int WriteControlRegister(int index, int value);
    int ReadSrom(uint32_t address, uint8_t* data);
    int ReadSromId(int low, uint8_t* data);
    int WriteSromId(int low, int value);
    int ArmTransfer();
    int InitDevice();
    int SendTransferLength();
    void SetDriverWait(uint32_t ms);

    // --- Frame geometry and delivery ---
    int SetFrameGeometry(int32_t lineWidth, int32_t xOffset, int32_t width, int32_t lineCount, int32_t yOffset,
                         int32_t height, int32_t ringSize);
    int SnapFrame();
    int GetSnapFrame(uint8_t* destination);
    void CloseSnapshot();
    int StartTransfer();
    int WaitFrame();
    int GetFrame(uint8_t* destination);
    int StopTransfer();
    // Bytes of one delivered frame: width × height × (1 or 2).
    int32_t DeliveredBytes() const { return width * height * (sampleWidth16 ? 2 : 1); }
    bool TransferRunning() const { return transfer.stopFlag.load() == 0; }
    void* TransferThread() const { return transferThread_; }

    // --- Fields ---
    int32_t sampleWidth16 = 0;
    int32_t windowX = 0, windowY = 0, windowWidth = 0, windowHeight = 0;
    int32_t lineWidth = 1339;
    int32_t xOffset = 50;
    int32_t width = 1280;
    int32_t lineCount = 1040;
    int32_t yOffset = 10;
    int32_t height = 1028;
    int32_t framePixels = 0;
    int32_t transferPixels = 0;
    uint8_t* snapshotBuffer = nullptr;
    uint32_t driverWaitMs = kDefaultDriverWaitMs;
    int32_t bufferBytes = 0;
    int32_t ringSize = 0;
    int32_t dataFormat = 1;
    char deviceBaseName[kBaseNameBytes] = {};
    int32_t variantCode = 0;
    int32_t subsampleMode = 0;
    int16_t rowStart = 0, columnStart = 0, rowSize = 0, columnSize = 0;
    int32_t mirrorH = 0, mirrorV = 0;
    int32_t devicePresent[kMaxDevices] = {};
    int32_t deviceNumber = 0;
    int32_t triggerMode = 0;
    TransferBlock transfer;
    int64_t lastStatus = 0;
    int32_t snapshotUsesLargeCode = 0;
    RingEntry* ringTable = nullptr;
    char devicePath[kPathBytes] = {};
    DriverHandle snapshotHandle = nullptr;

    DriverPort& port() const { return port_; }

protected:
    // Sends a one-byte command with no further meaning bytes on a short-lived handle.
    int SendSimpleCommand(uint8_t code);
    // Writes `packet` and reads the reply twice; the second read decides. `readsAfterFailedWrite`
    // keeps the reads going when the write failed (the ROM read does). 1 on success.
    int Exchange(const uint8_t* packet, uint8_t* reply, bool readsAfterFailedWrite, uint32_t pauseMs);
    // Writes one packet on a short-lived handle; 1 when the write succeeded.
    int WriteOnce(const uint8_t* packet);

private:
    void FreeFrameBuffers();
    void CloseTransferHandles();
    bool RingAllocated() const;
    int32_t SampleBytes() const { return sampleWidth16 == 1 ? 2 : 1; }
    static unsigned long __stdcall TransferThreadMain(void* block);

    DriverPort& port_;
    void* transferThread_ = nullptr;
};
