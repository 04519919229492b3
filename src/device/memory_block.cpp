#include "device/memory_block.h"

#include <windows.h>

#include <cstdlib>

uint8_t* MemoryBlock::LoadFile(const char* name)
{
    Release();
    if (!name)
        return nullptr;
    HANDLE file = CreateFileA(name, GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return nullptr;
    fileHandle = file;

    const DWORD fileSize = GetFileSize(file, nullptr);
    // An empty file still yields a (zero-length) block so that callers can tell it from a missing one.
    uint8_t* buffer = fileSize == INVALID_FILE_SIZE ? nullptr : static_cast<uint8_t*>(std::malloc(fileSize ? fileSize : 1));
    DWORD read = 0;
    const bool ok = buffer && (fileSize == 0 || (ReadFile(file, buffer, fileSize, &read, nullptr) && read == fileSize));
    CloseHandle(file);
    fileHandle = nullptr;
    if (!ok) {
        // A short read would hand the caller bytes that are not in the file.
        std::free(buffer);
        return nullptr;
    }
    ownedBuffer = buffer;
    size = fileSize;
    data = cursor = buffer;
    end = buffer + fileSize;
    return data;
}

void MemoryBlock::Release()
{
    if (view)
        UnmapViewOfFile(view);
    if (mappingHandle)
        CloseHandle(mappingHandle);
    if (fileHandle)
        CloseHandle(fileHandle);
    std::free(ownedBuffer);
    fileHandle = mappingHandle = view = nullptr;
    data = end = cursor = ownedBuffer = nullptr;
    size = 0;
}
