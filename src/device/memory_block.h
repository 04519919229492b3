#pragma once
// A whole file read into memory; also the holder of the AVI writer's output file handle.
#include <cstdint>

class MemoryBlock {
public:
    MemoryBlock() = default;
    ~MemoryBlock() { Release(); }
    MemoryBlock(const MemoryBlock&) = delete;
    MemoryBlock& operator=(const MemoryBlock&) = delete;

    // Reads the whole file; returns the data, or null when the file cannot be opened or read.
    uint8_t* LoadFile(const char* name);
    // Closes the file and the mapping and frees the buffer: every field back to null or zero.
    void Release();

    void* fileHandle = nullptr;     // a Win32 HANDLE; null (never INVALID_HANDLE_VALUE) when closed
    void* mappingHandle = nullptr;
    void* view = nullptr;
    uint8_t* data = nullptr;
    uint8_t* end = nullptr;
    uint8_t* cursor = nullptr;
    uint32_t size = 0;
    uint8_t* ownedBuffer = nullptr;
};
