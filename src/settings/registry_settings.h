#pragma once
// Per-camera settings under HKEY_CURRENT_USER\Software\Korvane\Velmor520QKZRXSdk\Camera_NN.
// Every value is a REG_DWORD; signed values are stored as their two's-complement pattern.
#include "pipeline/filter_params.h"
#include "settings/camera_settings.h"

#include <vector>

namespace settings {

constexpr int kMaxPresets = 100;  // Size_00 .. Size_99

// First run (no root key): writes the defaults and returns 0 with `region` untouched.
// Otherwise reads the selected preset into `region` (missing values stay) and returns 1.
int LoadWindowPreset(int camera, CaptureRegion& region);
// Reads "Color", "SubSample", "WaitTime", "Clock"; missing values stay. 0 when the key is missing.
int LoadStreamSettings(int camera, StreamSettings& stream);

// The mirrors default to the device's current settings when the "Gain" key is missing.
int LoadAnalogSettings(int camera, AnalogSettings& analog, int32_t deviceMirrorV, int32_t deviceMirrorH);
int SaveAnalogSettings(int camera, const AnalogSettings& analog);
// Missing key: defaults (and the fields after the gray group zeroed), result 0.
int LoadFilterSettings(int camera, FilterParams& filter);
int SaveFilterSettings(int camera, const FilterParams& filter);
int LoadGraySettings(int camera, FilterParams& filter);
int SaveGraySettings(int camera, const FilterParams& filter);

// The first-run stream values ("Color", "SubSample", "WaitTime", "Clock").
StreamSettings FirstRunStreamSettings();

// The camera dialog's values: every stored preset, the selected one ("Size") and the stream
// values. A missing root or camera key leaves the arguments as they are.
void ReadCameraDialogSettings(int camera, std::vector<CaptureRegion>& presets, int32_t& size, StreamSettings& stream);
// Writes presets Size_00 .. up to the first key that cannot be made, then "Size" and the stream
// values; nothing when the camera key cannot be opened for writing.
void SaveCameraDialogSettings(int camera, const std::vector<CaptureRegion>& presets, int32_t size,
                              const StreamSettings& stream);

// Presets Size_00, Size_01, ... up to the first missing number, at most kMaxPresets.
// False when the root or camera key cannot be opened.
bool ReadWindowPresets(int camera, std::vector<CaptureRegion>& presets);

}  // namespace settings
