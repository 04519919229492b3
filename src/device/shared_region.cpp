#include "device/shared_region.h"

#include <windows.h>

#include <cstring>

struct SharedRegion::ClaimRecord {
    uint64_t ownerWindow;
    uint64_t ownerModule;
    uint64_t hold;  // a release proceeds only while this is 0
    char ownerText[128];
};
static_assert(sizeof(SharedRegion::ClaimRecord) == SharedRegion::kClaimRecordSize);
static_assert(SharedRegion::kClaimTableOffset + SharedRegion::kClaimRecords *
                      SharedRegion::kClaimRecordSize <= SharedRegion::kSize);

bool SharedRegion::Open(const char* name)
{
    Close();
    HANDLE mapping = OpenFileMappingA(FILE_MAP_ALL_ACCESS, FALSE, name);
    if (!mapping)
        return false;
    mapping_ = mapping;
    view_ = static_cast<uint8_t*>(MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, 0));
    if (!view_) {
        Close();
        return false;
    }
    return true;
}

bool SharedRegion::OpenOrCreate(const char* name, uint32_t size)
{
    if (Open(name))
        return true;
    HANDLE mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, size, name);
    if (!mapping)
        return false;
    // Another process may have created it between our open and our create: then it is not ours to clear.
    const bool created = GetLastError() != ERROR_ALREADY_EXISTS;
    mapping_ = mapping;
    view_ = static_cast<uint8_t*>(MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, 0));
    if (!view_) {
        Close();
        return false;
    }
    if (created)
        std::memset(view_, 0, kClearedBytes);
    return true;
}

int SharedRegion::Close()
{
    if (view_)
        UnmapViewOfFile(view_);
    if (secondHandle_)
        CloseHandle(secondHandle_);
    if (mapping_)
        CloseHandle(mapping_);
    view_ = nullptr;
    secondHandle_ = mapping_ = nullptr;
    return 1;
}

SharedRegion::ClaimRecord* SharedRegion::Record(int device) const
{
    if (!view_ || device < 0 || device >= kClaimRecords)
        return nullptr;
    return reinterpret_cast<ClaimRecord*>(view_ + kClaimTableOffset + kClaimRecordSize * device);
}

int SharedRegion::ClaimDevice(void* owner, int device)
{
    ClaimRecord* record = Record(device);
    if (!record)
        return 0;
    record->ownerWindow = reinterpret_cast<uintptr_t>(owner);
    record->ownerModule = reinterpret_cast<uintptr_t>(GetModuleHandleA(nullptr));
    record->hold = 0;
    std::memset(record->ownerText, 0, sizeof(record->ownerText));
    std::memcpy(record->ownerText, kOwnerText, sizeof(kOwnerText));
    return 1;
}

int SharedRegion::ReleaseDevice(void* owner, int device)
{
    ClaimRecord* record = Record(device);
    if (!record)
        return 0;
    if (record->ownerWindow == reinterpret_cast<uintptr_t>(owner) &&
        record->ownerModule == reinterpret_cast<uintptr_t>(GetModuleHandleA(nullptr)) && record->hold == 0) {
        record->ownerWindow = 0;
        record->ownerModule = 0;
        record->hold = 0;
        std::memset(record->ownerText, 0, sizeof(record->ownerText));
    }
    return 1;
}

bool SharedRegion::IsDeviceClaimed(int device) const
{
    const ClaimRecord* record = Record(device);
    return record && record->ownerWindow != 0;
}
