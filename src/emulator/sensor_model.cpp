#include "emulator/sensor_model.h"

#include <cstring>

namespace emu {
namespace {

// Register values after power-up: the full window at full resolution, the blanking and exposure
// the SDK programs, neutral gains. Register 0 holds the chip version.
constexpr uint16_t kChipVersionValue = 0x1621;
constexpr uint16_t kFirstActiveRow = 20;     // register 1 value of array row 0
constexpr uint16_t kFirstActiveColumn = 32;  // register 2 value of array column 0
constexpr uint16_t kResetHorizontalBlank = 21;
constexpr uint16_t kResetVerticalBlank = 90;
constexpr uint32_t kResetTransferSamples = uint32_t{kSensorColumns} * kSensorRows;
constexpr uint8_t kErasedSrom = 0xFF;
constexpr uint8_t kSromVariantValue = 1;

constexpr uint16_t kTriggerEnableBit = 0x0100;  // register 30 bit 8; bits 9 and 10 are options
constexpr uint16_t kSkipMask = 0x7;             // address modes: skip code in bits 0..2
constexpr int kBinShift = 4;                    // and bin code in bits 4..5
constexpr uint16_t kBinMask = 0x3;
constexpr uint16_t kGainMask = 0x7F;

// Line lengths in pixel clocks, by addressing mode, for the exposure conversion and frame timing.
constexpr uint32_t kLineOverhead = 390;
constexpr uint32_t kShortLineWidth = 278;
constexpr uint32_t kShortLine = 647;
constexpr uint32_t kShortSkipLine = 697;
constexpr uint32_t kBinLineOverhead = 717;
constexpr uint32_t kShortBinLineWidth = 610;
constexpr uint32_t kShortBinLine = 1305;
constexpr uint32_t kLineLengthMask = 0xFFFF;

constexpr uint64_t kNanosPerSecond = 1000000000;
constexpr uint32_t kClockHz[] = {24000000, 12000000, 48000000, 40000000, 20000000, 10000000};

// Test pattern geometry.
constexpr int64_t kBarCount = 8;
constexpr int64_t kBarWidth = kSensorColumns / kBarCount;
constexpr int64_t kRampFirstRow = kSensorRows * 3 / 4;
constexpr uint16_t kBarLevel = 767;
constexpr uint16_t kSquareLevel = 1000;
constexpr int64_t kSquareSize = 128;
constexpr int64_t kSquareTop = 512;
constexpr int64_t kSquareStep = 16;  // columns per frame
// Colour bars: white, yellow, cyan, green, magenta, red, blue, black.
constexpr uint8_t kRedBit = 4;
constexpr uint8_t kGreenBit = 2;
constexpr uint8_t kBlueBit = 1;
constexpr uint8_t kBarColours[kBarCount] = {7, 6, 3, 2, 5, 4, 1, 0};
struct Site {
    int64_t row;
    int64_t column;
};
constexpr Site kHotSites[] = {{101, 203}, {333, 1501}, {777, 64}, {1201, 999}, {1400, 1800}, {50, 1950}};
constexpr Site kDeadSites[] = {{211, 77}, {640, 1337}, {905, 505}, {1300, 222}, {1499, 1700}, {20, 1024}};

// Colour sites of the mosaic: memory row 0 reads G R G R …, row 1 B G B G ….
enum ColourSite { kGreen1 = 0, kRed = 1, kBlue = 2, kGreen2 = 3 };

int ColourOf(int64_t row, int64_t column) { return static_cast<int>(((row & 1) << 1) | (column & 1)); }

uint32_t Min(uint32_t a, uint32_t b) { return a < b ? a : b; }

struct AxisDecode {
    int64_t first;
    uint32_t count;
    uint32_t step;
    uint32_t bin;
    uint32_t delivered;
};

// The sensor starts a window only on a multiple of 2 × step, so the window at array position 0
// is the first such register value at or after the array's first active row or column.
AxisDecode DecodeAxis(uint16_t start, uint16_t sizeMinusOne, uint16_t mode, uint16_t firstActive,
                      uint32_t limit)
{
    AxisDecode axis{};
    axis.step = (mode & kSkipMask) + 1u;
    axis.bin = Min(((mode >> kBinShift) & kBinMask) + 1u, axis.step);
    const uint32_t period = 2 * axis.step;
    const int64_t origin = (firstActive + period - 1) / period * period;
    axis.first = int64_t{start} - origin;
    axis.count = Min(uint32_t{sizeMinusOne} + 1, limit);
    axis.delivered = axis.count / period * 2 + Min(axis.count % period, 2);
    return axis;
}

}  // namespace

void RegisterFile::Reset()
{
    std::memset(sensor, 0, sizeof(sensor));
    sensor[reg::kChipVersion] = kChipVersionValue;
    sensor[reg::kRowStart] = kFirstActiveRow;
    sensor[reg::kColumnStart] = kFirstActiveColumn;
    sensor[reg::kRowSize] = kSensorRows - 1;
    sensor[reg::kColumnSize] = kSensorColumns - 1;
    sensor[reg::kHorizontalBlank] = kResetHorizontalBlank;
    sensor[reg::kVerticalBlank] = kResetVerticalBlank;
    sensor[reg::kExposure] = kNeutralExposure;
    constexpr int kGains[] = {reg::kGainGreen1, reg::kGainBlue, reg::kGainRed, reg::kGainGreen2, reg::kGlobalGain};
    for (int gain : kGains)
        sensor[gain] = kNeutralGain;

    std::memset(control, 0, sizeof(control));
    for (int i = 0; i < 4; ++i)
        control[ctl::kTransferLength0 + i] = static_cast<uint8_t>(kResetTransferSamples >> (8 * i));
    transferSamples = kResetTransferSamples;
    twoByteSamples = false;

    std::memset(srom, kErasedSrom, sizeof(srom));
    srom[kSromVariantAddress] = kSromVariantValue;
}

void RegisterFile::WriteControl(uint8_t index, uint8_t value)
{
    control[index] = value;
    if (index < ctl::kTransferLength0 + 4) {
        transferSamples = 0;
        for (int i = 3; i >= 0; --i)
            transferSamples = (transferSamples << 8) | control[ctl::kTransferLength0 + i];
    } else if (index == ctl::kSampleWidth) {
        twoByteSamples = value != 0;
    }
}

bool RegisterFile::TriggerMode() const
{
    return control[ctl::kTriggerMode] != 0 && (sensor[reg::kTriggerControl] & kTriggerEnableBit) != 0;
}

SensorWindow DecodeWindow(const RegisterFile& regs)
{
    const AxisDecode rows = DecodeAxis(regs.sensor[reg::kRowStart], regs.sensor[reg::kRowSize],
                                       regs.sensor[reg::kRowAddressMode], kFirstActiveRow, kSensorRows);
    const AxisDecode columns = DecodeAxis(regs.sensor[reg::kColumnStart], regs.sensor[reg::kColumnSize],
                                          regs.sensor[reg::kColumnAddressMode], kFirstActiveColumn,
                                          kSensorColumns);
    SensorWindow window;
    window.firstRow = rows.first;
    window.firstColumn = columns.first;
    window.rows = rows.count;
    window.columns = columns.count;
    window.rowStep = rows.step;
    window.columnStep = columns.step;
    window.rowBin = rows.bin;
    window.columnBin = columns.bin;
    window.deliveredRows = rows.delivered;
    window.deliveredColumns = columns.delivered;
    return window;
}

uint32_t LineLengthClocks(const RegisterFile& regs)
{
    const SensorWindow window = DecodeWindow(regs);
    const bool binning = window.columnBin > 1;
    uint32_t length = 0;
    if (window.columnStep == 2 || window.columnStep == 4) {
        const uint32_t width = window.columns / window.columnStep;
        if (binning)
            length = width >= kShortBinLineWidth ? width + kBinLineOverhead : kShortBinLine;
        else
            length = width >= kShortLineWidth ? width + kLineOverhead : kShortSkipLine;
    } else {
        length = window.columns >= kShortLineWidth ? window.columns + kLineOverhead : kShortLine;
    }
    return length & kLineLengthMask;
}

uint32_t PixelClockHz(uint8_t selection)
{
    return selection < sizeof(kClockHz) / sizeof(kClockHz[0]) ? kClockHz[selection] : kClockHz[0];
}

uint64_t FramePeriodNanos(const RegisterFile& regs)
{
    const SensorWindow window = DecodeWindow(regs);
    uint64_t lines = uint64_t{window.deliveredRows} + regs.sensor[reg::kVerticalBlank];
    const uint64_t exposure = regs.sensor[reg::kExposure];
    if (exposure > lines)
        lines = exposure + 1;
    return lines * LineLengthClocks(regs) * kNanosPerSecond / PixelClockHz(regs.control[ctl::kPixelClock]);
}

namespace {

// The pattern without its defective sites.
uint16_t BarsBase(int64_t row, int64_t column, uint32_t frameNumber)
{
    const int64_t squareLeft = int64_t{frameNumber} * kSquareStep % (kSensorColumns - kSquareSize);
    if (row >= kSquareTop && row < kSquareTop + kSquareSize && column >= squareLeft &&
        column < squareLeft + kSquareSize)
        return kSquareLevel;
    if (row >= kRampFirstRow)
        return static_cast<uint16_t>(column * kMaxSample / (kSensorColumns - 1));
    const int site = ColourOf(row, column);
    const uint8_t channel = site == kRed ? kRedBit : site == kBlue ? kBlueBit : kGreenBit;
    return (kBarColours[column / kBarWidth] & channel) ? kBarLevel : 0;
}

}  // namespace

uint16_t BarsSample(int64_t row, int64_t column, uint32_t frameNumber)
{
    if (row < 0 || row >= kSensorRows || column < 0 || column >= kSensorColumns)
        return 0;
    for (const Site& site : kHotSites) {
        if (site.row == row && site.column == column)
            return kMaxSample;
    }
    for (const Site& site : kDeadSites) {
        if (site.row == row && site.column == column)
            return 0;
    }
    return BarsBase(row, column, frameNumber);
}

void FrameRenderer::BuildGainTables(const RegisterFile& regs)
{
    const uint64_t exposure = regs.sensor[reg::kExposure];
    const uint64_t global = regs.sensor[reg::kGlobalGain] & kGainMask;
    const int gainRegister[4] = {reg::kGainGreen1, reg::kGainRed, reg::kGainBlue, reg::kGainGreen2};
    constexpr uint64_t kNeutral = uint64_t{kNeutralExposure} * kNeutralGain * kNeutralGain;
    for (int site = 0; site < 4; ++site) {
        const uint64_t scale = exposure * (regs.sensor[gainRegister[site]] & kGainMask) * global;
        for (uint32_t v = 0; v <= kMaxSample; ++v) {
            const uint64_t out = v * scale / kNeutral;
            gainTable_[site][v] = static_cast<uint16_t>(out > kMaxSample ? kMaxSample : out);
        }
    }
}

void FrameRenderer::FetchArrayRow(const Source& source, int64_t row, uint32_t frameNumber)
{
    if (row < 0 || row >= kSensorRows) {
        std::memset(arrayRow_, 0, sizeof(arrayRow_));
        return;
    }
    switch (source.kind) {
    case SourceKind::Raw:
        if (source.raw) {
            std::memcpy(arrayRow_, source.raw + row * kSensorColumns, sizeof(arrayRow_));
            return;
        }
        break;
    case SourceKind::Flat:
        for (uint16_t& v : arrayRow_)
            v = source.flatValue > kMaxSample ? kMaxSample : source.flatValue;
        return;
    case SourceKind::Bars:
        break;
    }
    for (int64_t column = 0; column < kSensorColumns; ++column)
        arrayRow_[column] = BarsBase(row, column, frameNumber);
    for (const Site& site : kHotSites) {
        if (site.row == row)
            arrayRow_[site.column] = kMaxSample;
    }
    for (const Site& site : kDeadSites) {
        if (site.row == row)
            arrayRow_[site.column] = 0;
    }
}

void FrameRenderer::RenderRow(const Source& source, const SensorWindow& window, uint32_t deliveredRow,
                              uint32_t frameNumber)
{
    const uint32_t columns = window.deliveredColumns;
    const int64_t firstRow =
        window.firstRow + int64_t{deliveredRow / 2} * 2 * window.rowStep + (deliveredRow % 2);
    std::memset(sums_, 0, columns * sizeof(sums_[0]));
    for (uint32_t j = 0; j < window.rowBin; ++j) {
        FetchArrayRow(source, firstRow + 2 * int64_t{j}, frameNumber);
        for (uint32_t c = 0; c < columns; ++c) {
            uint32_t sum = 0;
            for (uint32_t i = 0; i < window.columnBin; ++i) {
                const int64_t column = columnMap_[c] + 2 * int64_t{i};
                if (column >= 0 && column < kSensorColumns)
                    sum += arrayRow_[column];
            }
            sums_[c] += sum;
        }
    }
    // Binning averages with truncation; the gains apply to the averaged signal.
    const uint32_t count = window.rowBin * window.columnBin;
    uint8_t* bytes = reinterpret_cast<uint8_t*>(line_);
    for (uint32_t c = 0; c < columns; ++c) {
        uint32_t average = sums_[c] / count;
        if (average > kMaxSample)
            average = kMaxSample;
        const uint16_t v = gainTable_[ColourOf(firstRow, columnMap_[c])][average];
        if (twoBytes_) {
            bytes[2 * c] = static_cast<uint8_t>(v & 0xFF);
            bytes[2 * c + 1] = static_cast<uint8_t>(v >> 8);
        } else {
            bytes[c] = static_cast<uint8_t>(v >> 2);  // the top 8 of 10 bits
        }
    }
}

void FrameRenderer::Render(const Source& source, const RegisterFile& regs, uint32_t frameNumber, uint8_t* out,
                           uint64_t bytes)
{
    const SensorWindow window = DecodeWindow(regs);
    twoBytes_ = regs.twoByteSamples;
    BuildGainTables(regs);
    for (uint32_t c = 0; c < window.deliveredColumns; ++c)
        columnMap_[c] = window.firstColumn + int64_t{c / 2} * 2 * window.columnStep + (c % 2);

    const uint64_t rowBytes = uint64_t{window.deliveredColumns} * (twoBytes_ ? 2 : 1);
    uint64_t written = 0;
    for (uint32_t r = 0; r < window.deliveredRows && written < bytes; ++r) {
        RenderRow(source, window, r, frameNumber);
        const uint64_t n = rowBytes < bytes - written ? rowBytes : bytes - written;
        std::memcpy(out + written, line_, n);
        written += n;
    }
    std::memset(out + written, 0, bytes - written);
}

}  // namespace emu
