#include "emulator/sensor_model.h"

#include <cstring>

#include "emulator/frame_number.h"

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

int64_t SquareLeft(uint32_t frameNumber)
{
    return int64_t{frameNumber} * kSquareStep % (kSensorColumns - kSquareSize);
}

// The pattern without its defective sites.
uint16_t BarsBase(int64_t row, int64_t column, uint32_t frameNumber)
{
    const int64_t squareLeft = SquareLeft(frameNumber);
    if (row >= kSquareTop && row < kSquareTop + kSquareSize && column >= squareLeft &&
        column < squareLeft + kSquareSize)
        return kSquareLevel;
    if (row >= kRampFirstRow)
        return static_cast<uint16_t>(column * kMaxSample / (kSensorColumns - 1));
    const int site = ColourOf(row, column);
    const uint8_t channel = site == kRed ? kRedBit : site == kBlue ? kBlueBit : kGreenBit;
    return (kBarColours[column / kBarWidth] & channel) ? kBarLevel : 0;
}

// Array site of delivered row or column `index`: pairs kept out of every 2 × step.
int64_t SiteOf(int64_t first, uint32_t step, uint32_t index)
{
    return first + int64_t{index / 2} * 2 * step + index % 2;
}

constexpr int kBarRowEven = 0;
constexpr int kBarRowOdd = 1;
constexpr int kRampRow = 2;
constexpr uint32_t kByteShift = 2;  // one-byte samples are the top 8 of 10 bits

template <bool kWords>
void Store(uint8_t* line, uint32_t column, uint16_t v)
{
    if (kWords) {
        line[2 * column] = static_cast<uint8_t>(v & 0xFF);
        line[2 * column + 1] = static_cast<uint8_t>(v >> 8);
    } else {
        line[column] = static_cast<uint8_t>(v);
    }
}

void StoreRun(uint8_t* line, uint32_t first, uint32_t count, uint16_t v, bool words)
{
    for (uint32_t c = first; c < first + count; ++c)
        words ? Store<true>(line, c, v) : Store<false>(line, c, v);
}

// Without binning every delivered sample is one array site through its colour's table.
template <bool kWords>
void MapRow(const uint16_t* arrayRow, const uint16_t* columnIndex, uint32_t columns, const uint16_t* even,
            const uint16_t* odd, uint8_t* line)
{
    uint32_t c = 0;
    for (; c + 1 < columns; c += 2) {
        Store<kWords>(line, c, even[arrayRow[columnIndex[c]]]);
        Store<kWords>(line, c + 1, odd[arrayRow[columnIndex[c + 1]]]);
    }
    if (c < columns)
        Store<kWords>(line, c, even[arrayRow[columnIndex[c]]]);
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

FrameRenderer::FrameRenderer(EmuHost& host) : host_(host)
{
    // Above the ramp a bars row depends only on its parity; the ramp rows are all alike.
    for (int64_t column = 0; column < kSensorColumns; ++column) {
        barRows_[kBarRowEven][column] = BarsBase(0, column, 0);
        barRows_[kBarRowOdd][column] = BarsBase(1, column, 0);
        barRows_[kRampRow][column] = BarsBase(kRampFirstRow, column, 0);
    }
}

FrameRenderer::~FrameRenderer() { host_.Free(stream_); }

bool FrameRenderer::SameSetUp(const Source& source, const RegisterFile& regs) const
{
    return setUp_ && source.kind == source_.kind && source.flatValue == source_.flatValue &&
           source.raw == source_.raw && regs.twoByteSamples == twoBytes_ &&
           std::memcmp(regs.sensor, sensor_, sizeof(sensor_)) == 0;
}

void FrameRenderer::SetUp(const Source& source, const RegisterFile& regs)
{
    setUp_ = true;
    streamFilled_ = false;
    source_ = source;
    std::memcpy(sensor_, regs.sensor, sizeof(sensor_));
    twoBytes_ = regs.twoByteSamples;
    window_ = DecodeWindow(regs);
    rowBytes_ = uint64_t{window_.deliveredColumns} * (twoBytes_ ? 2 : 1);
    BuildOutputTables(regs);
    for (uint32_t c = 0; c < window_.deliveredColumns; ++c) {
        const int64_t column = SiteOf(window_.firstColumn, window_.columnStep, c);
        columnMap_[c] = column;
        const bool inside = column >= 0 && column < kSensorColumns;
        columnIndex_[c] = static_cast<uint16_t>(inside ? column : kSensorColumns);
    }
}

void FrameRenderer::BuildOutputTables(const RegisterFile& regs)
{
    const uint64_t exposure = regs.sensor[reg::kExposure];
    const uint64_t global = regs.sensor[reg::kGlobalGain] & kGainMask;
    const int gainRegister[4] = {reg::kGainGreen1, reg::kGainRed, reg::kGainBlue, reg::kGainGreen2};
    constexpr uint64_t kNeutral = uint64_t{kNeutralExposure} * kNeutralGain * kNeutralGain;
    const uint32_t shift = twoBytes_ ? 0 : kByteShift;
    for (int site = 0; site < 4; ++site) {
        const uint64_t scale = exposure * (regs.sensor[gainRegister[site]] & kGainMask) * global;
        for (uint32_t v = 0; v <= kMaxSample; ++v) {
            const uint64_t out = v * scale / kNeutral;
            outTable_[site][v] = static_cast<uint16_t>((out > kMaxSample ? kMaxSample : out) >> shift);
        }
    }
}

bool FrameRenderer::ShowsBars() const
{
    return source_.kind == SourceKind::Bars || (source_.kind == SourceKind::Raw && !source_.raw);
}

bool FrameRenderer::ReserveStream(uint64_t bytes)
{
    if (bytes <= streamCapacity_)
        return true;
    if (streamRefused_)
        return false;
    host_.Free(stream_);
    stream_ = static_cast<uint8_t*>(host_.Allocate(bytes));
    streamCapacity_ = stream_ ? bytes : 0;
    streamRefused_ = !stream_;
    streamFilled_ = false;
    return stream_ != nullptr;
}

// In bars the frame number (delivered rows 0..7) and the moving square change from frame to frame.
bool FrameRenderer::ChangesEveryFrame(uint32_t deliveredRow) const
{
    if (!ShowsBars())
        return false;
    if (deliveredRow < kFrameNumberBlock)
        return true;
    const int64_t first = SiteOf(window_.firstRow, window_.rowStep, deliveredRow);
    const int64_t last = first + 2 * (int64_t{window_.rowBin} - 1);
    return last >= kSquareTop && first < kSquareTop + kSquareSize;
}

void FrameRenderer::FetchArrayRow(int64_t row, uint32_t frameNumber)
{
    if (row < 0 || row >= kSensorRows) {
        std::memset(arrayRow_, 0, sizeof(uint16_t) * kSensorColumns);
        return;
    }
    if (source_.kind == SourceKind::Flat) {
        const uint16_t v = source_.flatValue > kMaxSample ? kMaxSample : source_.flatValue;
        for (int column = 0; column < kSensorColumns; ++column)
            arrayRow_[column] = v;
        return;
    }
    if (source_.kind == SourceKind::Raw && source_.raw) {
        std::memcpy(arrayRow_, source_.raw + row * kSensorColumns, sizeof(uint16_t) * kSensorColumns);
        return;
    }
    const int base = row >= kRampFirstRow ? kRampRow : (row & 1) ? kBarRowOdd : kBarRowEven;
    std::memcpy(arrayRow_, barRows_[base], sizeof(barRows_[base]));
    if (row >= kSquareTop && row < kSquareTop + kSquareSize) {
        const int64_t left = SquareLeft(frameNumber);
        for (int64_t column = left; column < left + kSquareSize; ++column)
            arrayRow_[column] = kSquareLevel;
    }
    for (const Site& site : kHotSites) {
        if (site.row == row)
            arrayRow_[site.column] = kMaxSample;
    }
    for (const Site& site : kDeadSites) {
        if (site.row == row)
            arrayRow_[site.column] = 0;
    }
}

void FrameRenderer::RenderRow(uint32_t deliveredRow, uint32_t frameNumber, uint8_t* line)
{
    const int64_t firstRow = SiteOf(window_.firstRow, window_.rowStep, deliveredRow);
    // Even delivered columns share one colour site, odd ones the other.
    const int colour = ColourOf(firstRow, window_.firstColumn);
    const uint16_t* even = outTable_[colour];
    const uint16_t* odd = outTable_[colour ^ 1];
    if (window_.rowBin == 1 && window_.columnBin == 1) {
        FetchArrayRow(firstRow, frameNumber);
        const uint32_t columns = window_.deliveredColumns;
        if (twoBytes_)
            MapRow<true>(arrayRow_, columnIndex_, columns, even, odd, line);
        else
            MapRow<false>(arrayRow_, columnIndex_, columns, even, odd, line);
    } else {
        RenderBinnedRow(firstRow, frameNumber, even, odd, line);
    }
    if (ShowsBars() && deliveredRow < kFrameNumberBlock && window_.deliveredRows >= kFrameNumberBlock)
        WriteFrameNumber(frameNumber, line);
}

void FrameRenderer::RenderBinnedRow(int64_t firstRow, uint32_t frameNumber, const uint16_t* even,
                                    const uint16_t* odd, uint8_t* line)
{
    const uint32_t columns = window_.deliveredColumns;
    std::memset(sums_, 0, columns * sizeof(sums_[0]));
    for (uint32_t j = 0; j < window_.rowBin; ++j) {
        FetchArrayRow(firstRow + 2 * int64_t{j}, frameNumber);
        for (uint32_t c = 0; c < columns; ++c) {
            uint32_t sum = 0;
            for (uint32_t i = 0; i < window_.columnBin; ++i) {
                const int64_t column = columnMap_[c] + 2 * int64_t{i};
                if (column >= 0 && column < kSensorColumns)
                    sum += arrayRow_[column];
            }
            sums_[c] += sum;
        }
    }
    // Binning averages with truncation; the gains apply to the averaged signal.
    const uint32_t count = window_.rowBin * window_.columnBin;
    for (uint32_t c = 0; c < columns; ++c) {
        uint32_t average = sums_[c] / count;
        if (average > kMaxSample)
            average = kMaxSample;
        const uint16_t v = ((c & 1) ? odd : even)[average];
        twoBytes_ ? Store<true>(line, c, v) : Store<false>(line, c, v);
    }
}

// After the gains: the blocks are full scale or 0 whatever the signal.
void FrameRenderer::WriteFrameNumber(uint32_t frameNumber, uint8_t* line) const
{
    const uint16_t fullScale = twoBytes_ ? kMaxSample : kMaxSample >> kByteShift;
    for (int k = 0; k < kFrameNumberBits; ++k) {
        const uint32_t first = uint32_t(k) * kFrameNumberBlock;
        if (first + kFrameNumberBlock > window_.deliveredColumns)
            return;  // blocks that do not fit are left out
        StoreRun(line, first, kFrameNumberBlock, FrameNumberBit(frameNumber, k) ? fullScale : 0, twoBytes_);
    }
}

void FrameRenderer::Render(const Source& source, const RegisterFile& regs, uint32_t frameNumber, uint8_t* out,
                           uint64_t bytes)
{
    if (!SameSetUp(source, regs))
        SetUp(source, regs);
    const uint64_t streamBytes = uint64_t{window_.deliveredRows} * rowBytes_;
    // Into the kept stream and copied out from there; without memory for it, straight out.
    const bool kept = ReserveStream(streamBytes);
    uint8_t* stream = kept ? stream_ : out;
    const uint64_t limit = kept || bytes > streamBytes ? streamBytes : bytes;
    const bool whole = !kept || !streamFilled_;
    for (uint32_t r = 0; r < window_.deliveredRows; ++r) {
        const uint64_t offset = r * rowBytes_;
        if (offset >= limit)
            break;
        if (!whole && !ChangesEveryFrame(r))
            continue;
        const uint64_t n = rowBytes_ < limit - offset ? rowBytes_ : limit - offset;
        RenderRow(r, frameNumber, n == rowBytes_ ? stream + offset : line_);
        if (n < rowBytes_)
            std::memcpy(stream + offset, line_, n);
    }
    uint64_t written = limit;
    if (kept) {
        streamFilled_ = true;
        written = bytes < streamBytes ? bytes : streamBytes;
        std::memcpy(out, stream_, written);
    }
    std::memset(out + written, 0, bytes - written);
}

}  // namespace emu
