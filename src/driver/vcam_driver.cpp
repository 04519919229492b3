// The virtual 520QK camera as a kernel-mode driver. It creates a device object and a DOS link
// for every device number its settings name, so that CreateFileA("\\.\Velm520QKZRX-N") reaches it,
// and answers the camera's request codes through the emulator core: the same protocol, registers,
// frames, timing and faults as the cameras the SDK emulates in-process.
//
// Commands and reply reads are answered in the dispatch routine. An image read waits for its
// frame, so it is handed to a worker thread and completed there: a read of one process never
// holds up the commands of another thread or process.
//
// A camera that does not answer (unplugged by the settings' faults) has its device object but no
// DOS link, so that opening its path fails as with a camera that is not there. The image read that
// unplugs a camera removes its link before it completes; a watcher thread brings the links of
// replugged cameras back.
#include "driver/kernel.h"

#include <new>

#include "device/device_protocol.h"
#include "device/driver_port.h"
#include "driver/kernel_host.h"
#include "emulator/emulator_core.h"

namespace vcam {
namespace {

constexpr int kWorkers = 8;  // image reads answered at one time, all cameras and processes together
constexpr LONG kMaxQueued = 0x7FFFFFFF;
constexpr wchar_t kSettingsValue[] = L"Parameters";
constexpr ULONG kMaxSettingsBytes = 8192;  // UTF-16 bytes of the settings value
constexpr wchar_t kDeviceFolder[] = L"\\Device\\";
constexpr wchar_t kLinkFolder[] = L"\\DosDevices\\";
constexpr size_t kMaxNameChars = 64;
constexpr size_t kMaxPathChars = 32;
constexpr ULONG kPipeIndexBytes = 4;
constexpr LONGLONG kWatchPeriod = -200000;  // 20 ms, relative, in 100 ns ticks

struct DeviceExtension {
    int device;  // the device number
};

// One request as the core takes it.
struct Request {
    int device;
    void* handle;
    ULONG code;
    const void* in;
    ULONG inBytes;
    void* out;
    ULONG outBytes;
};

// Everything the driver owns, from DriverEntry to unload; freed in the reverse order of making.
struct Driver {
    KEVENT stop;  // signalled at unload: ends every wait of the core at once
    KEVENT idle;  // signalled when unloading and no dispatch routine runs any more
    KernelHost host{&stop};
    emu::EmulatorCore* core = nullptr;
    DEVICE_OBJECT* devices[emu::kDeviceNumbers] = {};
    void* linkLock = nullptr;
    bool linked[emu::kDeviceNumbers] = {};  // under linkLock
    KSEMAPHORE queued;  // a count per queued read, and one per worker at unload
    HANDLE workers[kWorkers] = {};
    HANDLE watcher = nullptr;
    void* lock = nullptr;
    // Under `lock`:
    LIST_ENTRY queue;     // image reads for the workers, linked through Tail.Overlay.ListEntry
    bool stopping = false;
    int active = 0;       // dispatch routines running
};

Driver* g_driver = nullptr;

NTSTATUS Complete(IRP* irp, NTSTATUS status, ULONG_PTR information)
{
    irp->IoStatus.Status = status;
    irp->IoStatus.Information = information;
    IoCompleteRequest(irp, IO_NO_INCREMENT);
    return status;
}

// The object name in `folder` of a device: its path without the "\\.\" prefix.
void ObjectName(const wchar_t* folder, int device, wchar_t* name)
{
    char path[kMaxPathChars];
    FormatDevicePath(kDeviceBaseName, device, path, sizeof(path));
    size_t n = 0;
    for (const wchar_t* p = folder; *p; ++p)
        name[n++] = *p;
    for (const char* p = path + sizeof(kDevicePathPrefix) - 1; *p; ++p)
        name[n++] = static_cast<wchar_t>(*p);
    name[n] = L'\0';
}

// The settings of the cameras: the service key's string value "Parameters", in the words of
// VELMOR_EMULATION. No value leaves `settings` empty: one camera, number 0, with the defaults.
void ReadSettings(Driver& driver, UNICODE_STRING* serviceKey, char* settings, ULONG size)
{
    settings[0] = '\0';
    OBJECT_ATTRIBUTES attributes;
    InitializeObjectAttributes(&attributes, serviceKey, OBJ_CASE_INSENSITIVE | OBJ_KERNEL_HANDLE, nullptr, nullptr);
    HANDLE key = nullptr;
    if (!NT_SUCCESS(ZwOpenKey(&key, KEY_READ, &attributes)))
        return;
    const ULONG infoBytes = sizeof(KEY_VALUE_PARTIAL_INFORMATION) + kMaxSettingsBytes;
    auto* info = static_cast<KEY_VALUE_PARTIAL_INFORMATION*>(driver.host.Allocate(infoBytes));
    UNICODE_STRING name;
    RtlInitUnicodeString(&name, kSettingsValue);
    ULONG got = 0;
    if (info && NT_SUCCESS(ZwQueryValueKey(key, &name, KeyValuePartialInformation, info, infoBytes, &got)) &&
        (info->Type == REG_SZ || info->Type == REG_EXPAND_SZ)) {
        UNICODE_STRING value;
        value.Buffer = reinterpret_cast<wchar_t*>(info->Data);
        ULONG chars = info->DataLength / sizeof(wchar_t);
        while (chars > 0 && value.Buffer[chars - 1] == L'\0')
            --chars;
        value.Length = value.MaximumLength = static_cast<USHORT>(chars * sizeof(wchar_t));
        ANSI_STRING text;
        text.Buffer = settings;
        text.Length = 0;
        text.MaximumLength = static_cast<USHORT>(size - 1);
        if (NT_SUCCESS(RtlUnicodeStringToAnsiString(&text, &value, FALSE)))
            settings[text.Length] = '\0';
    } else {
        driver.host.Log("no \"Parameters\" value: one camera, number 0, with the defaults");
    }
    driver.host.Free(info);
    ZwClose(key);
}

bool EnterDispatch(Driver& driver)
{
    driver.host.Lock(driver.lock);
    const bool open = !driver.stopping;
    if (open)
        ++driver.active;
    driver.host.Unlock(driver.lock);
    return open;
}

void LeaveDispatch(Driver& driver)
{
    driver.host.Lock(driver.lock);
    if (--driver.active == 0 && driver.stopping)
        KeSetEvent(&driver.idle, IO_NO_INCREMENT, FALSE);
    driver.host.Unlock(driver.lock);
}

// The buffers of a device control request by its transfer method. Only the driver's own codes are
// described: an unknown code is refused before any of its buffers is touched.
bool DescribeRequest(IRP* irp, Request& request)
{
    IO_STACK_LOCATION* stack = IoGetCurrentIrpStackLocation(irp);
    request.device = static_cast<DeviceExtension*>(stack->DeviceObject->DeviceExtension)->device;
    request.handle = stack->FileObject ? stack->FileObject->FsContext : nullptr;
    request.code = stack->Parameters.DeviceIoControl.IoControlCode;
    request.inBytes = stack->Parameters.DeviceIoControl.InputBufferLength;
    request.outBytes = stack->Parameters.DeviceIoControl.OutputBufferLength;
    switch (request.code) {
    case kRequestDriverWait:  // buffered: one system buffer for both directions
        request.in = irp->AssociatedIrp.SystemBuffer;
        request.out = irp->AssociatedIrp.SystemBuffer;
        break;
    case kRequestReadPipe:  // out-direct and in-direct: the pipe index buffered, the data mapped
    case kRequestWritePipe:
    case kRequestLargeRead:
        request.in = irp->AssociatedIrp.SystemBuffer;
        request.out = irp->MdlAddress ? MmGetSystemAddressForMdlSafe(irp->MdlAddress, NormalPagePriority) : nullptr;
        break;
    default:
        return false;
    }
    if (!request.in)
        request.inBytes = 0;
    if (!request.out)
        request.outBytes = 0;
    return true;
}

bool IsImageRead(const Request& request)
{
    if (request.code == kRequestDriverWait || request.inBytes < kPipeIndexBytes)
        return false;
    uint32_t pipe = 0;
    memcpy(&pipe, request.in, sizeof(pipe));
    return pipe == kPipeImage;
}

void FollowPlugging(Driver& driver, int device);

NTSTATUS Answer(Driver& driver, IRP* irp, const Request& request)
{
    uint32_t returned = 0;
    const bool ok = driver.core->Control(request.handle, request.code, request.in, request.inBytes, request.out,
                                         request.outBytes, &returned);
    // An image read can unplug its camera: the path stops opening before the read is seen to end.
    if (IsImageRead(request))
        FollowPlugging(driver, request.device);
    return Complete(irp, ok ? STATUS_SUCCESS : STATUS_UNSUCCESSFUL, ok ? returned : 0);
}

bool Enqueue(Driver& driver, IRP* irp)
{
    driver.host.Lock(driver.lock);
    const bool open = !driver.stopping;
    if (open) {
        IoMarkIrpPending(irp);
        InsertTailList(&driver.queue, &irp->Tail.Overlay.ListEntry);
    }
    driver.host.Unlock(driver.lock);
    if (open)
        KeReleaseSemaphore(&driver.queued, IO_NO_INCREMENT, 1, FALSE);
    return open;
}

// The next queued read, or null when the queue is empty (which happens only at unload);
// `stopping` tells whether the driver is unloading.
IRP* Dequeue(Driver& driver, bool& stopping)
{
    driver.host.Lock(driver.lock);
    IRP* irp = nullptr;
    if (!IsListEmpty(&driver.queue))
        irp = CONTAINING_RECORD(RemoveHeadList(&driver.queue), IRP, Tail.Overlay.ListEntry);
    stopping = driver.stopping;
    driver.host.Unlock(driver.lock);
    return irp;
}

void WorkerMain(void* context)
{
    Driver& driver = *static_cast<Driver*>(context);
    for (;;) {
        KeWaitForSingleObject(&driver.queued, Executive, KernelMode, FALSE, nullptr);
        bool stopping = false;
        IRP* irp = Dequeue(driver, stopping);
        if (!irp)
            break;
        Request request{};
        DescribeRequest(irp, request);  // queued reads were described once already
        if (stopping)
            Complete(irp, STATUS_DEVICE_NOT_CONNECTED, 0);
        else
            Answer(driver, irp, request);
    }
    PsTerminateSystemThread(STATUS_SUCCESS);
}

NTSTATUS DispatchCreate(DEVICE_OBJECT* device, IRP* irp)
{
    Driver& driver = *g_driver;
    if (!EnterDispatch(driver))
        return Complete(irp, STATUS_DEVICE_NOT_CONNECTED, 0);
    char path[kMaxPathChars];
    FormatDevicePath(kDeviceBaseName, static_cast<DeviceExtension*>(device->DeviceExtension)->device, path,
                     sizeof(path));
    void* handle = driver.core->Open(path);  // null: the camera does not answer (unplugged)
    NTSTATUS status = STATUS_NO_SUCH_DEVICE;
    FILE_OBJECT* file = IoGetCurrentIrpStackLocation(irp)->FileObject;
    if (handle && file) {
        file->FsContext = handle;
        status = STATUS_SUCCESS;
    } else if (handle) {
        driver.core->Close(handle);
    }
    LeaveDispatch(driver);
    return Complete(irp, status, 0);
}

// The core's handle ends with the application's last handle (cleanup), or at the latest when the
// file object goes (close): Wine does not always send the close.
NTSTATUS DispatchCloseOrCleanup(DEVICE_OBJECT*, IRP* irp)
{
    Driver& driver = *g_driver;
    FILE_OBJECT* file = IoGetCurrentIrpStackLocation(irp)->FileObject;
    if (file && file->FsContext && EnterDispatch(driver)) {
        driver.core->Close(file->FsContext);
        file->FsContext = nullptr;
        LeaveDispatch(driver);
    }
    return Complete(irp, STATUS_SUCCESS, 0);
}

NTSTATUS DispatchUnsupported(DEVICE_OBJECT*, IRP* irp) { return Complete(irp, STATUS_INVALID_DEVICE_REQUEST, 0); }

NTSTATUS DispatchControl(DEVICE_OBJECT*, IRP* irp)
{
    Driver& driver = *g_driver;
    Request request{};
    if (!DescribeRequest(irp, request))
        return Complete(irp, STATUS_INVALID_DEVICE_REQUEST, 0);
    if (!request.handle)
        return Complete(irp, STATUS_INVALID_HANDLE, 0);
    if (!EnterDispatch(driver))
        return Complete(irp, STATUS_DEVICE_NOT_CONNECTED, 0);
    NTSTATUS status = STATUS_PENDING;
    if (!IsImageRead(request))
        status = Answer(driver, irp, request);
    else if (!Enqueue(driver, irp))
        status = Complete(irp, STATUS_DEVICE_NOT_CONNECTED, 0);
    LeaveDispatch(driver);
    return status;
}

NTSTATUS CreateDevice(DRIVER_OBJECT* object, Driver& driver, int device)
{
    wchar_t deviceText[kMaxNameChars];
    ObjectName(kDeviceFolder, device, deviceText);
    UNICODE_STRING deviceName;
    RtlInitUnicodeString(&deviceName, deviceText);
    const NTSTATUS status = IoCreateDevice(object, sizeof(DeviceExtension), &deviceName, FILE_DEVICE_UNKNOWN, 0,
                                           FALSE, &driver.devices[device]);
    if (!NT_SUCCESS(status)) {
        driver.devices[device] = nullptr;
        return status;
    }
    static_cast<DeviceExtension*>(driver.devices[device]->DeviceExtension)->device = device;
    return STATUS_SUCCESS;
}

// Makes or removes the DOS link of a device so that its path opens exactly while it answers;
// called under linkLock, or when nothing else runs any more.
void LinkDevice(Driver& driver, int device, bool answers)
{
    if (answers == driver.linked[device])
        return;
    wchar_t deviceText[kMaxNameChars];
    wchar_t linkText[kMaxNameChars];
    ObjectName(kDeviceFolder, device, deviceText);
    ObjectName(kLinkFolder, device, linkText);
    UNICODE_STRING deviceName;
    UNICODE_STRING linkName;
    RtlInitUnicodeString(&deviceName, deviceText);
    RtlInitUnicodeString(&linkName, linkText);
    if (answers)
        driver.linked[device] = NT_SUCCESS(IoCreateSymbolicLink(&linkName, &deviceName));
    else
        driver.linked[device] = !NT_SUCCESS(IoDeleteSymbolicLink(&linkName));
}

void FollowPlugging(Driver& driver, int device)
{
    driver.host.Lock(driver.linkLock);
    LinkDevice(driver, device, driver.core->Answers(device));
    driver.host.Unlock(driver.linkLock);
}

void LinkAnsweringDevices(Driver& driver)
{
    for (int device = 0; device < emu::kDeviceNumbers; ++device) {
        if (driver.devices[device])
            FollowPlugging(driver, device);
    }
}

void WatcherMain(void* context)
{
    Driver& driver = *static_cast<Driver*>(context);
    LARGE_INTEGER period;
    period.QuadPart = kWatchPeriod;
    while (KeWaitForSingleObject(&driver.stop, Executive, KernelMode, FALSE, &period) == STATUS_TIMEOUT)
        LinkAnsweringDevices(driver);
    PsTerminateSystemThread(STATUS_SUCCESS);
}

void RemoveDevices(Driver& driver)
{
    for (int device = 0; device < emu::kDeviceNumbers; ++device) {
        LinkDevice(driver, device, false);
        if (driver.devices[device]) {
            IoDeleteDevice(driver.devices[device]);
            driver.devices[device] = nullptr;
        }
    }
}

// Lets every dispatch routine and worker finish, then frees the driver's state. Reads waiting for
// a frame end at once (the stop event) and fail; reads still queued fail without waiting.
void Shutdown(Driver* driver)
{
    if (driver->lock) {
        driver->host.Lock(driver->lock);
        driver->stopping = true;
        const bool idle = driver->active == 0;
        driver->host.Unlock(driver->lock);
        KeSetEvent(&driver->stop, IO_NO_INCREMENT, FALSE);
        if (!idle)
            KeWaitForSingleObject(&driver->idle, Executive, KernelMode, FALSE, nullptr);
    }
    if (driver->watcher) {
        ZwWaitForSingleObject(driver->watcher, FALSE, nullptr);
        ZwClose(driver->watcher);
        driver->watcher = nullptr;
    }
    int started = 0;
    for (HANDLE worker : driver->workers)
        started += worker ? 1 : 0;
    if (started > 0)
        KeReleaseSemaphore(&driver->queued, IO_NO_INCREMENT, started, FALSE);
    for (HANDLE& worker : driver->workers) {
        if (!worker)
            continue;
        ZwWaitForSingleObject(worker, FALSE, nullptr);
        ZwClose(worker);
        worker = nullptr;
    }
    RemoveDevices(*driver);
    emu::EmulatorCore::Destroy(driver->core);
    if (driver->linkLock)
        driver->host.DestroyLock(driver->linkLock);
    if (driver->lock)
        driver->host.DestroyLock(driver->lock);
    driver->~Driver();
    ExFreePoolWithTag(driver, kStateTag);
}

void Unload(DRIVER_OBJECT*)
{
    Driver* driver = g_driver;
    g_driver = nullptr;
    if (driver)
        Shutdown(driver);
}

NTSTATUS Start(DRIVER_OBJECT* object, UNICODE_STRING* serviceKey, Driver& driver)
{
    KeInitializeEvent(&driver.stop, NotificationEvent, FALSE);
    KeInitializeEvent(&driver.idle, NotificationEvent, FALSE);
    KeInitializeSemaphore(&driver.queued, 0, kMaxQueued);
    InitializeListHead(&driver.queue);
    driver.lock = driver.host.CreateLock();
    driver.linkLock = driver.host.CreateLock();
    if (!driver.lock || !driver.linkLock)
        return STATUS_INSUFFICIENT_RESOURCES;

    auto* settings = static_cast<char*>(driver.host.Allocate(kMaxSettingsBytes));
    if (!settings)
        return STATUS_INSUFFICIENT_RESOURCES;
    ReadSettings(driver, serviceKey, settings, kMaxSettingsBytes);
    driver.core = emu::EmulatorCore::Create(driver.host, settings);
    driver.host.Free(settings);
    if (!driver.core)
        return STATUS_INSUFFICIENT_RESOURCES;

    for (int i = 0; i < kWorkers; ++i) {
        const NTSTATUS status =
            PsCreateSystemThread(&driver.workers[i], THREAD_ALL_ACCESS, nullptr, nullptr, nullptr, WorkerMain, &driver);
        if (!NT_SUCCESS(status)) {
            driver.workers[i] = nullptr;
            return status;
        }
    }
    const uint32_t mask = driver.core->Config().deviceMask;
    for (int device = 0; device < emu::kDeviceNumbers; ++device) {
        if (mask & (1u << device)) {
            const NTSTATUS status = CreateDevice(object, driver, device);
            if (!NT_SUCCESS(status))
                return status;
        }
    }
    LinkAnsweringDevices(driver);
    const NTSTATUS status =
        PsCreateSystemThread(&driver.watcher, THREAD_ALL_ACCESS, nullptr, nullptr, nullptr, WatcherMain, &driver);
    if (!NT_SUCCESS(status))
        driver.watcher = nullptr;
    return status;
}

}  // namespace
}  // namespace vcam

// The core has abstract classes; a pure virtual function is never called.
extern "C" void __cxa_pure_virtual()
{
    KeBugCheckEx(0xE2, 0, 0, 0, 0);
}

extern "C" NTSTATUS DriverEntry(DRIVER_OBJECT* object, UNICODE_STRING* serviceKey)
{
    using namespace vcam;
    void* memory = ExAllocatePoolWithTag(NonPagedPool, sizeof(Driver), kStateTag);
    if (!memory)
        return STATUS_INSUFFICIENT_RESOURCES;
    RtlZeroMemory(memory, sizeof(Driver));
    Driver* driver = new (memory) Driver;
    const NTSTATUS status = Start(object, serviceKey, *driver);
    if (!NT_SUCCESS(status)) {
        Shutdown(driver);
        return status;
    }
    for (int i = 0; i <= IRP_MJ_MAXIMUM_FUNCTION; ++i)
        object->MajorFunction[i] = DispatchUnsupported;
    object->MajorFunction[IRP_MJ_CREATE] = DispatchCreate;
    object->MajorFunction[IRP_MJ_CLOSE] = DispatchCloseOrCleanup;
    object->MajorFunction[IRP_MJ_CLEANUP] = DispatchCloseOrCleanup;
    object->MajorFunction[IRP_MJ_DEVICE_CONTROL] = DispatchControl;
    object->DriverUnload = Unload;
    g_driver = driver;
    return STATUS_SUCCESS;
}
