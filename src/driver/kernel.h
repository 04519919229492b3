#pragma once
// The kernel's headers for the driver's C++ files. mingw-w64's intrinsics header and wdm.h both
// define two bit-test functions, which C++ refuses; wdm.h's definitions are the ones kept.
#define __INTRINSIC_DEFINED_InterlockedBitTestAndSet
#define __INTRINSIC_DEFINED_InterlockedBitTestAndReset
#include <ddk/wdm.h>

// Exported by the kernel; declared only in the file-system header, which the driver does not need.
extern "C" NTSYSAPI NTSTATUS NTAPI ZwWaitForSingleObject(HANDLE object, BOOLEAN alertable, PLARGE_INTEGER timeout);

// Pool tags read backwards in memory dumps: 'Vlcm' and 'Vlcd'.
constexpr ULONG kPoolTag = 0x6D636C56;
constexpr ULONG kStateTag = 0x64636C56;
