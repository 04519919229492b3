#include "settings/registry_settings.h"

#include <windows.h>

#include <array>
#include <cstdio>

#include "pipeline/filter_table.h"

namespace settings {
namespace {

constexpr char kRootKey[] = "Software\\Korvane\\Velmor520QKZRXSdk";
constexpr char kCameraKeyFormat[] = "Camera_%02d";
constexpr char kPresetKeyFormat[] = "Size_%02d";
constexpr char kGainKey[] = "Gain";
constexpr char kFilterKey[] = "Filter";
constexpr char kGrayKey[] = "Gray";

// A value of a group: its name, the field it fills and the default used when the key is missing.
template <typename Record>
struct Value {
    const char* name;
    int32_t Record::* field;
    int32_t fallback;
};

const Value<CaptureRegion> kPresetValues[] = {
    {"TH", &CaptureRegion::totalWidth, kSensorColumns}, {"TV", &CaptureRegion::totalHeight, kSensorRows},
    {"EH", &CaptureRegion::width, kSensorColumns},      {"EV", &CaptureRegion::height, kSensorRows},
    {"EHS", &CaptureRegion::left, 0},         {"EVS", &CaptureRegion::top, 0},
    {"Buf", &CaptureRegion::bufferCount, 4},
};

// First-run stream values: 24-bit colour, no sub-sampling, 1 ms poll, 48 MHz clock.
const Value<StreamSettings> kStreamValues[] = {
    {"Color", &StreamSettings::outputFormat, 2},
    {"SubSample", &StreamSettings::subSample, 0},
    {"WaitTime", &StreamSettings::waitTime, 1},
    {"Clock", &StreamSettings::clock, 2},
};

constexpr int32_t kNeutralSensorGain = 14;
constexpr int32_t kDefaultExposureLines = 1561;
const Value<AnalogSettings> kAnalogValues[] = {
    {"Global", &AnalogSettings::globalGain, kNeutralSensorGain},
    {"ColorG1", &AnalogSettings::gainG1, kNeutralSensorGain},
    {"ColorR", &AnalogSettings::gainR, kNeutralSensorGain},
    {"ColorB", &AnalogSettings::gainB, kNeutralSensorGain},
    {"ColorG2", &AnalogSettings::gainG2, kNeutralSensorGain},
    {"Exposure", &AnalogSettings::exposureLines, kDefaultExposureLines},
    {"V_Mirror", &AnalogSettings::mirrorV, 0},  // defaults of both mirrors come from the device
    {"H_Mirror", &AnalogSettings::mirrorH, 0},
    {"AutoIris", &AnalogSettings::autoIris, 0},
};

// The filter and gray groups: the stored filter values of each, from the filter table.
template <FilterGroup Group>
constexpr size_t GroupSize()
{
    size_t n = 0;
    for (const FilterValue& v : kFilterValues)
        n += v.group == Group && v.registryName;
    return n;
}

template <FilterGroup Group>
constexpr std::array<Value<FilterParams>, GroupSize<Group>()> GroupValues()
{
    std::array<Value<FilterParams>, GroupSize<Group>()> values{};
    size_t i = 0;
    for (const FilterValue& v : kFilterValues)
        if (v.group == Group && v.registryName)
            values[i++] = Value<FilterParams>{v.registryName, v.field, v.firstRun};
    return values;
}

constexpr auto kFilterGroupValues = GroupValues<FilterGroup::Filter>();
constexpr auto kGrayGroupValues = GroupValues<FilterGroup::Gray>();

// An open registry key, closed when it goes out of scope.
class RegKey {
public:
    RegKey() = default;
    ~RegKey() { Close(); }
    RegKey(const RegKey&) = delete;
    RegKey& operator=(const RegKey&) = delete;

    bool Open(HKEY parent, const char* name)
    {
        Close();
        return RegOpenKeyExA(parent, name, 0, KEY_READ, &key_) == ERROR_SUCCESS || (key_ = nullptr, false);
    }
    bool Create(HKEY parent, const char* name)
    {
        Close();
        char noClass[] = "";
        return RegCreateKeyExA(parent, name, 0, noClass, 0, KEY_ALL_ACCESS, nullptr, &key_, nullptr) ==
                   ERROR_SUCCESS ||
               (key_ = nullptr, false);
    }
    bool Read(const char* name, int32_t& value) const
    {
        DWORD data = 0;
        DWORD size = sizeof(data);
        // The stored type is not examined: a value enters the camera object as stored.
        if (RegQueryValueExA(key_, name, nullptr, nullptr, reinterpret_cast<BYTE*>(&data), &size) != ERROR_SUCCESS)
            return false;
        value = static_cast<int32_t>(data);
        return true;
    }
    bool Write(const char* name, int32_t value) const
    {
        const DWORD data = static_cast<DWORD>(value);
        return RegSetValueExA(key_, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data), sizeof(data)) ==
               ERROR_SUCCESS;
    }
    HKEY get() const { return key_; }

private:
    void Close()
    {
        if (key_)
            RegCloseKey(key_);
        key_ = nullptr;
    }
    HKEY key_ = nullptr;
};

void CameraKeyName(int camera, char (&name)[32]) { std::snprintf(name, sizeof(name), kCameraKeyFormat, camera); }

// Opens root\Camera_NN (and a group below it when given) for reading.
bool OpenForReading(int camera, const char* group, RegKey& root, RegKey& cameraKey, RegKey& groupKey)
{
    char name[32];
    CameraKeyName(camera, name);
    if (!root.Open(HKEY_CURRENT_USER, kRootKey) || !cameraKey.Open(root.get(), name))
        return false;
    return !group || groupKey.Open(cameraKey.get(), group);
}

bool CreateForWriting(int camera, const char* group, RegKey& root, RegKey& cameraKey, RegKey& groupKey)
{
    char name[32];
    CameraKeyName(camera, name);
    if (!root.Create(HKEY_CURRENT_USER, kRootKey) || !cameraKey.Create(root.get(), name))
        return false;
    return !group || groupKey.Create(cameraKey.get(), group);
}

template <typename Values, typename Record>
void ReadValues(const RegKey& key, const Values& values, Record& record)
{
    for (const auto& v : values)
        key.Read(v.name, record.*v.field);
}

template <typename Values, typename Record>
bool WriteValues(const RegKey& key, const Values& values, const Record& record)
{
    bool ok = true;
    for (const auto& v : values)
        ok = key.Write(v.name, record.*v.field) && ok;
    return ok;
}

template <typename Values, typename Record>
void SetDefaults(const Values& values, Record& record)
{
    for (const auto& v : values)
        record.*v.field = v.fallback;
}

template <typename Values, typename Record>
int SaveGroup(int camera, const char* group, const Values& values, const Record& record)
{
    RegKey root, cameraKey, groupKey;
    if (!CreateForWriting(camera, group, root, cameraKey, groupKey))
        return 0;
    return WriteValues(groupKey, values, record) ? 1 : 0;
}

void WriteFirstRunDefaults(int camera)
{
    SaveCameraDialogSettings(camera, {CaptureRegion{}}, 0, FirstRunStreamSettings());
}

}  // namespace

int LoadWindowPreset(int camera, CaptureRegion& region)
{
    RegKey root;
    if (!root.Open(HKEY_CURRENT_USER, kRootKey)) {
        WriteFirstRunDefaults(camera);
        return 0;
    }
    char name[32];
    CameraKeyName(camera, name);
    RegKey cameraKey, preset;
    int32_t selected = 0;
    if (!cameraKey.Open(root.get(), name) || !cameraKey.Read("Size", selected))
        return 0;
    std::snprintf(name, sizeof(name), kPresetKeyFormat, selected);
    if (!preset.Open(cameraKey.get(), name))
        return 0;
    ReadValues(preset, kPresetValues, region);
    return 1;
}

int LoadStreamSettings(int camera, StreamSettings& stream)
{
    RegKey root, cameraKey, unused;
    if (!OpenForReading(camera, nullptr, root, cameraKey, unused))
        return 0;
    ReadValues(cameraKey, kStreamValues, stream);
    return 1;
}

int LoadAnalogSettings(int camera, AnalogSettings& analog, int32_t deviceMirrorV, int32_t deviceMirrorH)
{
    RegKey root, cameraKey, gain;
    AnalogSettings loaded;
    SetDefaults(kAnalogValues, loaded);
    loaded.mirrorV = deviceMirrorV;
    loaded.mirrorH = deviceMirrorH;
    // A value missing from an existing group takes its default too: a gain of 0 would black out the image.
    if (OpenForReading(camera, kGainKey, root, cameraKey, gain))
        ReadValues(gain, kAnalogValues, loaded);
    analog = loaded;
    return 1;
}

int SaveAnalogSettings(int camera, const AnalogSettings& analog)
{
    return SaveGroup(camera, kGainKey, kAnalogValues, analog);
}

int LoadFilterSettings(int camera, FilterParams& filter)
{
    RegKey root, cameraKey, group;
    if (OpenForReading(camera, kFilterKey, root, cameraKey, group)) {
        ReadValues(group, kFilterGroupValues, filter);
        return 1;
    }
    SetDefaults(kFilterGroupValues, filter);
    filter.bayerGainAuto = filter.bayerAutoOnce1 = filter.bayerAutoOnce2 = filter.grayGainAuto = 0;
    return 0;
}

int SaveFilterSettings(int camera, const FilterParams& filter)
{
    return SaveGroup(camera, kFilterKey, kFilterGroupValues, filter);
}

int LoadGraySettings(int camera, FilterParams& filter)
{
    RegKey root, cameraKey, group;
    if (OpenForReading(camera, kGrayKey, root, cameraKey, group)) {
        ReadValues(group, kGrayGroupValues, filter);
        return 1;
    }
    SetDefaults(kGrayGroupValues, filter);
    return 0;
}

int SaveGraySettings(int camera, const FilterParams& filter)
{
    return SaveGroup(camera, kGrayKey, kGrayGroupValues, filter);
}

StreamSettings FirstRunStreamSettings()
{
    StreamSettings stream;
    SetDefaults(kStreamValues, stream);
    return stream;
}

void ReadCameraDialogSettings(int camera, std::vector<CaptureRegion>& presets, int32_t& size, StreamSettings& stream)
{
    RegKey root, cameraKey, unused;
    if (!OpenForReading(camera, nullptr, root, cameraKey, unused))
        return;
    ReadWindowPresets(camera, presets);
    cameraKey.Read("Size", size);
    ReadValues(cameraKey, kStreamValues, stream);
}

void SaveCameraDialogSettings(int camera, const std::vector<CaptureRegion>& presets, int32_t size,
                              const StreamSettings& stream)
{
    RegKey root, cameraKey, unused;
    if (!CreateForWriting(camera, nullptr, root, cameraKey, unused))
        return;
    for (size_t i = 0; i < presets.size(); ++i) {
        char name[32];
        std::snprintf(name, sizeof(name), kPresetKeyFormat, static_cast<int>(i));
        RegKey preset;
        if (!preset.Create(cameraKey.get(), name))
            break;
        WriteValues(preset, kPresetValues, presets[i]);
    }
    cameraKey.Write("Size", size);
    WriteValues(cameraKey, kStreamValues, stream);
}

bool ReadWindowPresets(int camera, std::vector<CaptureRegion>& presets)
{
    presets.clear();
    RegKey root, cameraKey, unused;
    if (!OpenForReading(camera, nullptr, root, cameraKey, unused))
        return false;
    for (int i = 0; i < kMaxPresets; ++i) {
        char name[32];
        std::snprintf(name, sizeof(name), kPresetKeyFormat, i);
        RegKey preset;
        if (!preset.Open(cameraKey.get(), name))
            break;
        CaptureRegion region;
        ReadValues(preset, kPresetValues, region);
        presets.push_back(region);
    }
    return true;
}

}  // namespace settings
