#include "driver/kernel_host.h"

namespace vcam {
namespace {

constexpr LONGLONG kTicksPerMicro = 10;  // kernel waits count 100 ns ticks
constexpr uint64_t kLongestSleepMicros = 0x7FFFFFFFFFFFFFFFull / kTicksPerMicro;
constexpr ULONG kLongestRead = 0x40000000;
constexpr char kNtPathPrefix[] = "\\??\\";
constexpr size_t kMaxPathChars = 1100;  // the longest raw:PATH with the prefix

}  // namespace

void* KernelHost::Allocate(size_t bytes)
{
    if (bytes == 0)
        bytes = 1;
    void* memory = ExAllocatePoolWithTag(NonPagedPool, bytes, kPoolTag);
    if (memory)
        RtlZeroMemory(memory, bytes);
    return memory;
}

void KernelHost::Free(void* memory)
{
    if (memory)
        ExFreePoolWithTag(memory, kPoolTag);
}

uint64_t KernelHost::NowMicros()
{
    LARGE_INTEGER frequency;
    const LARGE_INTEGER count = KeQueryPerformanceCounter(&frequency);
    return emu::MicrosOfTicks(static_cast<uint64_t>(count.QuadPart), static_cast<uint64_t>(frequency.QuadPart));
}

void KernelHost::SleepMicros(uint64_t micros)
{
    if (micros > kLongestSleepMicros)
        micros = kLongestSleepMicros;
    LARGE_INTEGER due;
    due.QuadPart = -static_cast<LONGLONG>(micros) * kTicksPerMicro;  // negative: relative to now
    KeWaitForSingleObject(stop_, Executive, KernelMode, FALSE, &due);
}

// A synchronisation event, signalled while free: one waiter takes it, Unlock hands it on.
void* KernelHost::CreateLock()
{
    auto* event = static_cast<KEVENT*>(Allocate(sizeof(KEVENT)));
    if (event)
        KeInitializeEvent(event, SynchronizationEvent, TRUE);
    return event;
}

void KernelHost::DestroyLock(void* lock) { Free(lock); }

void KernelHost::Lock(void* lock)
{
    KeWaitForSingleObject(static_cast<KEVENT*>(lock), Executive, KernelMode, FALSE, nullptr);
}

void KernelHost::Unlock(void* lock) { KeSetEvent(static_cast<KEVENT*>(lock), IO_NO_INCREMENT, FALSE); }

int64_t KernelHost::ReadFile(const char* path, void* buffer, uint64_t bytes)
{
    char full[kMaxPathChars];
    const size_t prefix = sizeof(kNtPathPrefix) - 1;
    const size_t length = strlen(path);
    if (length + prefix >= sizeof(full))
        return -1;
    memcpy(full, kNtPathPrefix, prefix);
    memcpy(full + prefix, path, length + 1);

    ANSI_STRING ansi;
    RtlInitAnsiString(&ansi, full);
    UNICODE_STRING name;
    if (!NT_SUCCESS(RtlAnsiStringToUnicodeString(&name, &ansi, TRUE)))
        return -1;
    OBJECT_ATTRIBUTES attributes;
    InitializeObjectAttributes(&attributes, &name, OBJ_CASE_INSENSITIVE | OBJ_KERNEL_HANDLE, nullptr, nullptr);
    IO_STATUS_BLOCK io;
    HANDLE file = nullptr;
    const NTSTATUS opened = ZwCreateFile(&file, GENERIC_READ | SYNCHRONIZE, &attributes, &io, nullptr,
                                         FILE_ATTRIBUTE_NORMAL, FILE_SHARE_READ, FILE_OPEN,
                                         FILE_SYNCHRONOUS_IO_NONALERT | FILE_NON_DIRECTORY_FILE, nullptr, 0);
    RtlFreeUnicodeString(&name);
    if (!NT_SUCCESS(opened))
        return -1;

    uint64_t total = 0;
    auto* out = static_cast<uint8_t*>(buffer);
    while (total < bytes) {
        const uint64_t left = bytes - total;
        const ULONG chunk = left > kLongestRead ? kLongestRead : static_cast<ULONG>(left);
        if (!NT_SUCCESS(ZwReadFile(file, nullptr, nullptr, nullptr, &io, out + total, chunk, nullptr, nullptr)) ||
            io.Information == 0)
            break;
        total += io.Information;
    }
    ZwClose(file);
    return static_cast<int64_t>(total);
}

void KernelHost::Log(const char* message) { DbgPrint("velmor virtual camera: %s\n", message); }

}  // namespace vcam
