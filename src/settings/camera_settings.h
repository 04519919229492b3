#pragma once
// The camera object's persisted setting groups, in the order their values are stored.
#include <cstdint>

#include "device/device_protocol.h"

// Capture region: one window preset ("TH", "TV", "EH", "EV", "EHS", "EVS", "Buf").
struct CaptureRegion {
    int32_t totalWidth = kSensorColumns;
    int32_t totalHeight = kSensorRows;
    int32_t width = kSensorColumns;
    int32_t height = kSensorRows;
    int32_t left = 0;
    int32_t top = 0;
    int32_t bufferCount = 4;
};

// Sensor gains, exposure, mirrors and the automatic exposure mode ("Gain" group).
struct AnalogSettings {
    int32_t globalGain = 0;
    int32_t gainG1 = 0;  // sensor register 43
    int32_t gainR = 0;   // register 45
    int32_t gainB = 0;   // register 44
    int32_t gainG2 = 0;  // register 46
    int32_t exposureLines = 0;
    int32_t mirrorV = 0;
    int32_t mirrorH = 0;
    int32_t autoIris = 0;
};

// The colour-site gains in the order the sensor takes them, and the field of each register.
inline constexpr int kColourGainRegisters[] = {sensor::kGainGreen1, sensor::kGainRed, sensor::kGainBlue,
                                               sensor::kGainGreen2};
constexpr int32_t AnalogSettings::* ColourGainField(int sensorRegister)
{
    switch (sensorRegister) {
    case sensor::kGainGreen1: return &AnalogSettings::gainG1;
    case sensor::kGainRed: return &AnalogSettings::gainR;
    case sensor::kGainBlue: return &AnalogSettings::gainB;
    case sensor::kGainGreen2: return &AnalogSettings::gainG2;
    default: return nullptr;
    }
}

// Values of the camera key that take effect at the next acquisition start.
struct StreamSettings {
    int32_t outputFormat = 0;  // "Color": output format index 0..5, not the bit count
    int32_t subSample = 0;
    int32_t waitTime = 10;
    int32_t clock = 0;
};
