// Frame geometry, the single-frame read and the continuous transfer into the ring of CVLMSdkLib.
#include "device/vlm_sdk_lib.h"

#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {
constexpr int32_t kTransferGranule = 1024;  // image transfers move whole multiples of this many samples
constexpr int32_t kMinRingSize = 2;
constexpr int32_t kBufferSampleBytes = 2;    // buffers hold two-byte samples whatever the sample width
// Buffers are 2 × transferPixels bytes and their size travels as a 32-bit count.
constexpr int64_t kMaxTransferPixels = INT32_MAX / kBufferSampleBytes;

uint32_t AsBytes(int32_t value)
{
    return static_cast<uint32_t>(value);
}
}  // namespace

// --- Geometry ---

int CVLMSdkLib::SetFrameGeometry(int32_t newLineWidth, int32_t newXOffset, int32_t newWidth, int32_t newLineCount,
                                 int32_t newYOffset, int32_t newHeight, int32_t newRingSize)
{
    // The running thread writes into the ring that a new geometry frees.
    if (TransferRunning())
        return kStatusTransferRunning;
    if (newLineWidth <= 0 || newWidth <= 0 || newWidth > newLineWidth)
        return kStatusBadWidth;
    if (newLineCount <= 0 || newHeight <= 0 || newYOffset < 0 || newYOffset + int64_t{newHeight} > newLineCount)
        return kStatusBadHeight;
    if (newRingSize < kMinRingSize)
        return kStatusRingTooSmall;
    int64_t pixels = int64_t{newLineWidth} * (newYOffset + newHeight);
    pixels = (pixels + kTransferGranule - 1) / kTransferGranule * kTransferGranule;
    if (pixels > kMaxTransferPixels)
        return kStatusNoMemory;

    FreeFrameBuffers();
    lineWidth = newLineWidth;
    xOffset = newXOffset;
    width = newWidth;
    lineCount = newLineCount;
    yOffset = newYOffset;
    height = newHeight;
    ringSize = newRingSize;
    framePixels = newLineWidth * newLineCount;
    transferPixels = static_cast<int32_t>(pixels);
    bufferBytes = transferPixels * kBufferSampleBytes;
    // A new ring starts empty: indices of the old one may lie beyond it.
    transfer.writeIndex = 0;
    transfer.readIndex = 0;

    snapshotBuffer = static_cast<uint8_t*>(std::calloc(AsBytes(bufferBytes), 1));
    if (!snapshotBuffer)
        return kStatusNoMemory;
    ringTable = static_cast<RingEntry*>(std::calloc(AsBytes(ringSize), sizeof(RingEntry)));
    if (!ringTable) {
        FreeFrameBuffers();
        return kStatusNoMemory;
    }
    for (int32_t i = 0; i < ringSize; ++i) {
        HGLOBAL memory = GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, AsBytes(bufferBytes));
        void* data = memory ? GlobalLock(memory) : nullptr;
        ringTable[i] = {memory, static_cast<uint8_t*>(data)};
        if (!data) {
            FreeFrameBuffers();
            return kStatusNoMemory;
        }
        std::memset(data, 0, AsBytes(bufferBytes));
    }
    SendTransferLength();
    return kStatusOk;
}

void CVLMSdkLib::FreeFrameBuffers()
{
    std::free(snapshotBuffer);
    snapshotBuffer = nullptr;
    if (ringTable) {
        for (int32_t i = 0; i < ringSize; ++i) {
            if (ringTable[i].data)
                GlobalUnlock(ringTable[i].memory);
            if (ringTable[i].memory)
                GlobalFree(ringTable[i].memory);
        }
        std::free(ringTable);
        ringTable = nullptr;
    }
}

bool CVLMSdkLib::RingAllocated() const
{
    return ringTable && ringSize >= kMinRingSize && snapshotBuffer;
}

int CVLMSdkLib::CopyRawWindow(uint8_t* destination, const uint8_t* source)
{
    if (!destination || !source)
        return kStatusNoBuffer;
    const int64_t b = SampleBytes();
    // The geometry fields can change without new buffers (a device reset): never read past them.
    const int64_t lastSample = int64_t{yOffset + height - 1} * lineWidth + xOffset + width;
    if (xOffset < 0 || yOffset < 0 || width <= 0 || height <= 0 || lastSample * b > bufferBytes)
        return kStatusNoBuffer;

    if (height == lineCount && width == lineWidth) {
        std::memcpy(destination, source, static_cast<size_t>(width * b * height));
        return kStatusOk;
    }
    const size_t rowBytes = static_cast<size_t>(width * b);
    for (int32_t i = 0; i < height; ++i) {
        const int64_t from = (int64_t{i + yOffset} * lineWidth + xOffset) * b;
        std::memcpy(destination + i * rowBytes, source + from, rowBytes);
    }
    return kStatusOk;
}

// --- Single-frame read ---

int CVLMSdkLib::SnapFrame()
{
    const uint32_t bytes = AsBytes(transferPixels) * SampleBytes();
    if (!snapshotHandle) {
        snapshotHandle = OpenDevice(devicePath);
        if (!snapshotHandle) {
            lastStatus = kStatusTransferFailed;
            return kStatusOpenFailed;
        }
    }
    ArmTransfer();
    uint8_t request[kPacketBytes] = {cmd::kRequestFrame};
    uint32_t moved = 0;
    PipeTransfer(snapshotHandle, kPipeCommand, kPacketBytes, request, &moved, 1);
    moved = 0;
    const int result = snapshotUsesLargeCode
                           ? PipeTransferLarge(snapshotHandle, kPipeImage, bytes, snapshotBuffer, &moved)
                           : PipeTransfer(snapshotHandle, kPipeImage, bytes, snapshotBuffer, &moved, 1);
    if (result == kPipeOk && moved == bytes)
        return kStatusOk;
    lastStatus = kStatusTransferFailed;
    CloseSnapshot();
    return kStatusTransferFailed;
}

int CVLMSdkLib::GetSnapFrame(uint8_t* destination)
{
    if (!destination)
        return kStatusNoBuffer;
    return CopyRawWindow(destination, snapshotBuffer);
}

void CVLMSdkLib::CloseSnapshot()
{
    CloseDevice(snapshotHandle);
}

// --- Continuous transfer ---

unsigned long __stdcall CVLMSdkLib::TransferThreadMain(void* argument)
{
    TransferBlock& block = *static_cast<TransferBlock*>(argument);
    DriverPort& port = *block.port;
    const uint32_t bytes = AsBytes(block.transferBytes);
    const uint32_t readCode = block.useLargeCode ? kRequestLargeRead : kRequestWritePipe;
    const uint32_t commandPipe = kPipeCommand;
    const uint32_t imagePipe = kPipeImage;
    uint8_t request[kPacketBytes] = {cmd::kRequestFrame};

    int64_t status = kStatusOk;
    DriverHandle handle = port.Open(block.devicePathRef);
    if (!handle) {
        status = kStatusOpenFailed;
    } else {
        bool shortReadForgiven = false;
        while (block.stopFlag.load() != 1 && status != kStatusTransferFailed) {
            const int32_t slot = block.writeIndex.load();
            uint8_t* buffer = block.ringTableCopy[slot].data;
            uint32_t moved = 0;
            // The frame request of a continuous run travels with the read code; its outcome shows in the image read.
            port.Control(handle, kRequestReadPipe, &commandPipe, sizeof(commandPipe), request, kPacketBytes, &moved);
            moved = 0;
            const bool ok = port.Control(handle, readCode, &imagePipe, sizeof(imagePipe), buffer, bytes, &moved);
            if (!ok) {
                status = kStatusTransferFailed;
            } else if (moved != bytes) {
                // One short frame per run is a known hiccup of the link; the slot is simply refilled.
                if (!shortReadForgiven) {
                    shortReadForgiven = true;
                    continue;
                }
                status = kStatusTransferFailed;
            }
            int32_t next = slot + 1 == block.ringSizeCopy ? 0 : slot + 1;
            if (next == block.readIndex.load())
                next = next + 1 == block.ringSizeCopy ? 0 : next + 1;
            block.writeIndex.store(next);
            // Also after a failed transfer, so that a waiting consumer wakes and sees the error.
            SetEvent(block.frameEvent);
            if (block.stopFlag.load() == 1)
                break;
        }
        port.Close(handle);
    }
    block.transferStatus.store(status);
    block.errorFlag.store(status == kStatusTransferFailed ? 1 : 0);
    block.stopFlag.store(1);
    SetEvent(block.doneEvent);
    return 0;
}

int CVLMSdkLib::StartTransfer()
{
    if (transfer.stopFlag.load() == 0)
        return kStatusTransferRunning;
    if (!RingAllocated())
        return kStatusNoMemory;
    // A run that ended on its own (no device) leaves its thread and events for us to close.
    CloseTransferHandles();
    transfer.transferBytes = transferPixels * SampleBytes();
    transfer.transferStatus = kStatusOk;
    ArmTransfer();
    transfer.doneEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    transfer.frameEvent = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    if (!transfer.doneEvent || !transfer.frameEvent) {
        CloseTransferHandles();
        return kStatusNoMemory;
    }
    transfer.errorFlag = 0;
    transfer.writeIndex = 0;
    transfer.readIndex = 0;
    transfer.ringSizeCopy = ringSize;
    transfer.ringTableCopy = ringTable;
    transfer.devicePathRef = devicePath;
    transfer.port = &port_;
    transfer.stopFlag = 0;
    HANDLE thread = CreateThread(nullptr, 0, TransferThreadMain, &transfer, 0, nullptr);
    if (!thread) {
        transfer.stopFlag = 1;
        CloseTransferHandles();
        return kStatusNoMemory;
    }
    transferThread_ = thread;
    SetThreadPriority(thread, THREAD_PRIORITY_HIGHEST);
    return kStatusOk;
}

int CVLMSdkLib::WaitFrame()
{
    if (transfer.errorFlag.load() == 1)
        return kWaitFailed;
    if (transfer.stopFlag.load() == 1)
        return kWaitIdle;
    const int32_t r = transfer.readIndex.load();
    int32_t w = transfer.writeIndex.load();
    if (w < r)
        w += ringSize;
    if (w - r <= 0) {
        const DWORD waited = WaitForSingleObject(transfer.frameEvent, kFrameWaitMs);
        return waited == WAIT_OBJECT_0 ? kWaitSignalled : kWaitFailed;
    }
    int32_t newest = w - 1;
    if (newest < 0)
        newest += ringSize;
    else if (newest >= ringSize)
        newest -= ringSize;
    transfer.readIndex.store(newest);
    return kWaitReady;
}

int CVLMSdkLib::GetFrame(uint8_t* destination)
{
    if (!destination)
        return kStatusNoBuffer;
    const int32_t slot = transfer.readIndex.load();
    if (!ringTable || slot < 0 || slot >= ringSize)
        return kStatusNoBuffer;
    const int result = CopyRawWindow(destination, ringTable[slot].data);
    transfer.readIndex.store(slot + 1 == ringSize ? 0 : slot + 1);
    return result;
}

int CVLMSdkLib::StopTransfer()
{
    if (transfer.stopFlag.load() == 1 && transfer.errorFlag.load() == 0) {
        CloseTransferHandles();
        return kStatusOk;
    }
    if (transfer.stopFlag.load() == 0) {
        transfer.stopFlag.store(1);
        WaitForSingleObject(transfer.doneEvent, INFINITE);
    }
    CloseTransferHandles();
    transfer.stopFlag = 1;
    transfer.errorFlag = 0;
    return static_cast<int>(transfer.transferStatus.load());
}

void CVLMSdkLib::CloseTransferHandles()
{
    // The thread sets doneEvent as its last step: wait for it to be gone before closing anything it uses.
    if (transferThread_) {
        WaitForSingleObject(transferThread_, INFINITE);
        CloseHandle(transferThread_);
        transferThread_ = nullptr;
    }
    if (transfer.frameEvent)
        CloseHandle(transfer.frameEvent);
    if (transfer.doneEvent)
        CloseHandle(transfer.doneEvent);
    transfer.frameEvent = transfer.doneEvent = nullptr;
}
