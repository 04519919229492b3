#pragma once
// The 520QK's sensor and controller as the driver sees them: the register files, the window and
// sub-sampling decoded from the registers, the frame period, and the synthesis of one frame's
// image data exactly as the camera streams it on the image pipe.
#include <cstdint>

#include "device/device_protocol.h"
#include "emulator/emu_config.h"
#include "emulator/emu_host.h"

namespace emu {

constexpr int kSensorColumns = ::kSensorColumns;
constexpr int kSensorRows = ::kSensorRows;
constexpr int kSensorRegisters = 256;
constexpr int kControlRegisters = 256;
constexpr uint32_t kSromBytes = 8192;

// The camera's registers, as the SDK's device layer names them.
namespace reg = sensor;
namespace ctl = control;

// Gains and exposure at which the signal passes unchanged.
constexpr uint32_t kNeutralExposure = 1561;
constexpr uint32_t kNeutralGain = 14;

// The array window the registers select. Rows and columns are counted in array sites; the first
// site may lie outside the array (garbage registers), and such sites read as 0.
struct SensorWindow {
    int64_t firstRow = 0;
    int64_t firstColumn = 0;
    uint32_t rows = 0;  // before sub-sampling
    uint32_t columns = 0;
    uint32_t rowStep = 1;  // sub-sampling factor: a pair of rows kept out of every 2 × step
    uint32_t columnStep = 1;
    uint32_t rowBin = 1;  // same-colour rows averaged into one delivered row
    uint32_t columnBin = 1;
    uint32_t deliveredRows = 0;
    uint32_t deliveredColumns = 0;
};

// The register files of one camera; every register is its own storage.
struct RegisterFile {
    uint16_t sensor[kSensorRegisters];
    uint8_t control[kControlRegisters];
    uint8_t srom[kSromBytes];
    uint32_t transferSamples;  // set by command 0x09 and by controller registers 0..3
    bool twoByteSamples;       // set by command 0x0A and by controller register 14

    void Reset();
    void WriteControl(uint8_t index, uint8_t value);
    bool TriggerMode() const;
};

SensorWindow DecodeWindow(const RegisterFile& regs);
// Line length in pixel clocks for the addressing mode and window width the registers select.
uint32_t LineLengthClocks(const RegisterFile& regs);
uint32_t PixelClockHz(uint8_t selection);
// The free-running frame period: (delivered rows + vertical blank) line times, or (exposure + 1)
// line times when the exposure is longer.
uint64_t FramePeriodNanos(const RegisterFile& regs);

// Synthesises frames into caller buffers. The stream of the last frame is kept in one buffer from
// the host (allocated again only when a larger geometry needs more) and reused while the source
// and the registers stay the same; of `bars` frames only the rows that change are drawn again.
class FrameRenderer {
public:
    struct Source {
        SourceKind kind = SourceKind::Bars;
        uint16_t flatValue = 0;
        // kSensorRows × kSensorColumns samples, 10 bits, when kind is Raw; they must not change
        // while this renderer is in use (frames are reused). Null shows the bars.
        const uint16_t* raw = nullptr;
    };

    explicit FrameRenderer(EmuHost& host);
    ~FrameRenderer();
    FrameRenderer(const FrameRenderer&) = delete;
    FrameRenderer& operator=(const FrameRenderer&) = delete;

    // Writes `bytes` bytes of the frame stream into `out`: the delivered rows, one after the
    // other, then zero filler; one byte (top 8 bits) or a little-endian word per sample.
    void Render(const Source& source, const RegisterFile& regs, uint32_t frameNumber, uint8_t* out,
                uint64_t bytes);

private:
    bool SameSetUp(const Source& source, const RegisterFile& regs) const;
    void SetUp(const Source& source, const RegisterFile& regs);
    void BuildOutputTables(const RegisterFile& regs);
    bool ShowsBars() const;
    bool ReserveStream(uint64_t bytes);
    bool ChangesEveryFrame(uint32_t deliveredRow) const;
    void FetchArrayRow(int64_t row, uint32_t frameNumber);
    void RenderRow(uint32_t deliveredRow, uint32_t frameNumber, uint8_t* line);
    void RenderBinnedRow(int64_t firstRow, uint32_t frameNumber, const uint16_t* even, const uint16_t* odd,
                         uint8_t* line);
    void WriteFrameNumber(uint32_t frameNumber, uint8_t* line) const;

    EmuHost& host_;
    // What the kept stream was rendered from.
    bool setUp_ = false;
    Source source_;
    uint16_t sensor_[kSensorRegisters] = {};
    bool twoBytes_ = false;
    SensorWindow window_;
    uint64_t rowBytes_ = 0;

    uint8_t* stream_ = nullptr;  // the last frame's delivered rows
    uint64_t streamCapacity_ = 0;
    bool streamRefused_ = false;  // the host had no memory for it: render straight out
    bool streamFilled_ = false;

    // Delivered value by colour site (Green1, Red, Blue, Green2) and signal: gains, clipping and
    // the sample width in one look-up.
    uint16_t outTable_[4][kMaxSample + 1];
    uint16_t barRows_[3][kSensorColumns];         // bars without square and defects: even, odd row; ramp
    uint16_t arrayRow_[kSensorColumns + 1] = {};  // the last entry stays 0: sites outside the array
    uint16_t columnIndex_[kSensorColumns];        // arrayRow_ entry of each delivered column
    int64_t columnMap_[kSensorColumns];           // first array column of each delivered column
    uint32_t sums_[kSensorColumns];
    uint8_t line_[2 * kSensorColumns];  // a row that does not fit whole into the destination
};

// The test pattern: colour bars, a grey ramp, a moving square and a few hot and dead sites.
uint16_t BarsSample(int64_t row, int64_t column, uint32_t frameNumber);

}  // namespace emu
