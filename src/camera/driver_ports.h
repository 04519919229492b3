#pragma once
// The driver port of this process, chosen where the camera object is composed: the emulated
// cameras when VELMOR_EMULATION is set and not empty, the kernel driver otherwise.
#include "device/driver_port.h"

// Chosen once, on first use; never destroyed.
DriverPort& ProcessDriverPort();
