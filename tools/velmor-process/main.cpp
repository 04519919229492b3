// velmor-process: runs the camera's image pipeline on a raw frame saved to a file.
//   velmor-process --in RAW --width W --height H --format BITS [options] (--out OUTRAW | --save FILE --type CODE)...
// Exit status: 0 success, 1 bad arguments or a file that cannot be read or written,
// 2 a raw file whose size does not match the frame.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "imaging/frame_surface.h"
#include "pipeline/filter_params.h"
#include "pipeline/filter_table.h"
#include "pipeline/process_frame.h"
#ifdef _WIN32
#include "imaging/image_writer.h"
#define VELMOR_PROCESS_HAS_WRITERS 1
#endif

namespace {

constexpr int kExitBadArguments = 1;
constexpr int kExitBadRawSize = 2;
constexpr int32_t kMaxWidth = 2048;   // the sensor's full width
constexpr int32_t kMaxHeight = 1536;  // and height
constexpr int kFormatBits[6] = {8, 16, 24, 32, 48, 64};
constexpr int kNoSaveCode = -2;  // a --save still waiting for its --type

// One output of the run: the raw surface memory (--out) or a still-image file (--save/--type).
struct Output {
    std::string path;
    int saveCode;  // -1 for --out
};

struct Options {
    std::string in;
    std::vector<Output> outs;
    int32_t width = 0;
    int32_t height = 0;
    int format = -1;  // output format index
    int frames = 1;
    PipelineSettings settings;
    FilterParams filter{};
};

bool ParseInt(const char* text, long lo, long hi, int32_t* out)
{
    char* end = nullptr;
    const long v = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || v < lo || v > hi)
        return false;
    *out = static_cast<int32_t>(v);
    return true;
}

// "a,b,c": exactly `count` integers, each in lo..hi.
bool ParseList(const char* text, int count, long lo, long hi, int32_t* out[])
{
    std::string s(text);
    size_t start = 0;
    for (int i = 0; i < count; ++i) {
        const size_t comma = s.find(',', start);
        const bool last = i == count - 1;
        if (last != (comma == std::string::npos))
            return false;
        const std::string item = s.substr(start, last ? std::string::npos : comma - start);
        if (!ParseInt(item.c_str(), lo, hi, out[i]))
            return false;
        start = comma + 1;
    }
    return true;
}

// A stored filter value in the range the camera accepts for it.
bool ParseFilter(const char* text, int number, FilterParams& f)
{
    const FilterValue& row = *FindFilterValue(number);
    return ParseInt(text, row.low, row.high, &(f.*row.field));
}

// "a,b,...": the values of consecutive filter numbers, each in its own range (equal within a list).
bool ParseFilterList(const char* text, int first, int count, FilterParams& f)
{
    int32_t* fields[4];
    for (int i = 0; i < count; ++i)
        fields[i] = &(f.*FindFilterValue(first + i)->field);
    const FilterValue& row = *FindFilterValue(first);
    return ParseList(text, count, row.low, row.high, fields);
}

void Usage()
{
    std::fprintf(stderr,
                 "usage: velmor-process --in RAW --width W --height H --format 8|16|24|32|48|64 [options]\n"
                 "                      (--out OUTRAW | --save FILE --type 0..6)...\n"
                 "options: --bayer-mode 0..3  --mirror-h 0|1  --mirror-v 0|1  --subsample 0|1|2|17|18\n"
                 "         --bayer-gains R,G,B (0..400)  --bayer-auto 0|1  --gray-mode 0..2\n"
                 "         --gray-gains R,G1,G2,B (0..255)  --gray-offsets R,G1,G2,B (-255..255)\n"
                 "         --gray-auto -1|0|1  --hue -360..360  --saturation -255..255  --gamma 0..200\n"
                 "         --contrast -127..127  --sharpness 0..30  --brightness -255..255  --frames N\n");
}

// Parses argv into `o`; on failure prints the reason and returns false.
bool ParseArguments(int argc, char** argv, Options& o)
{
    o.filter = FirstRunFilter();
    FilterParams& f = o.filter;
    for (int i = 1; i < argc; ++i) {
        const std::string name = argv[i];
        if (i + 1 >= argc) {
            std::fprintf(stderr, "velmor-process: %s needs a value\n", name.c_str());
            return false;
        }
        const char* value = argv[++i];
        int32_t v = 0;
        bool ok = true;
        if (name == "--in") {
            o.in = value;
        } else if (name == "--out") {
            o.outs.push_back(Output{value, -1});
#ifdef VELMOR_PROCESS_HAS_WRITERS
        } else if (name == "--save") {
            // The save code follows as --type; until then the file has none.
            o.outs.push_back(Output{value, kNoSaveCode});
        } else if (name == "--type") {
            ok = !o.outs.empty() && o.outs.back().saveCode == kNoSaveCode && ParseInt(value, 0, kSaveTiff, &v);
            if (ok)
                o.outs.back().saveCode = v;
#else
        } else if (name == "--save" || name == "--type") {
            std::fprintf(stderr, "velmor-process: %s needs the Windows build (the still-image writers)\n",
                         name.c_str());
            return false;
#endif
        } else if (name == "--width") {
            ok = ParseInt(value, 1, kMaxWidth, &o.width);
        } else if (name == "--height") {
            ok = ParseInt(value, 1, kMaxHeight, &o.height);
        } else if (name == "--format") {
            ok = ParseInt(value, 8, 64, &v);
            o.format = -1;
            for (int k = 0; k < 6; ++k)
                if (kFormatBits[k] == v)
                    o.format = k;
            ok = ok && o.format >= 0;
        } else if (name == "--frames") {
            ok = ParseInt(value, 1, 1000000, &o.frames);
        } else if (name == "--bayer-mode") {
            ok = ParseFilter(value, kFilterBayerMode, f);
        } else if (name == "--mirror-h" || name == "--mirror-v") {
            ok = ParseInt(value, 0, 1, &v);
            (name == "--mirror-h" ? o.settings.mirrorH : o.settings.mirrorV) = v;
        } else if (name == "--subsample") {
            ok = ParseInt(value, 0, 18, &v) && (v == 0 || v == 1 || v == 2 || v == 17 || v == 18);
            o.settings.subSample = v;
        } else if (name == "--bayer-gains") {
            ok = ParseFilterList(value, kFilterBayerRed, 3, f);
        } else if (name == "--bayer-auto") {
            ok = ParseInt(value, 0, 1, &f.bayerGainAuto);
        } else if (name == "--gray-mode") {
            ok = ParseFilter(value, kFilterGrayMode, f);
        } else if (name == "--gray-gains") {
            ok = ParseFilterList(value, kFilterGrayGainR, 4, f);
        } else if (name == "--gray-offsets") {
            ok = ParseFilterList(value, kFilterGrayOffsetR, 4, f);
        } else if (name == "--gray-auto") {
            ok = ParseInt(value, -1, 1, &f.grayGainAuto);  // -1: every frame, as the filter dialog sets it
        } else if (name == "--hue") {
            ok = ParseFilter(value, kFilterHue, f);
        } else if (name == "--saturation") {
            ok = ParseFilter(value, kFilterSaturation, f);
        } else if (name == "--gamma") {
            ok = ParseFilter(value, kFilterGamma, f);
        } else if (name == "--contrast") {
            ok = ParseFilter(value, kFilterContrast, f);
        } else if (name == "--sharpness") {
            ok = ParseFilter(value, kFilterSharpness, f);
        } else if (name == "--brightness") {
            ok = ParseFilter(value, kFilterBrightness, f);
        } else {
            std::fprintf(stderr, "velmor-process: unknown option %s\n", name.c_str());
            return false;
        }
        if (!ok) {
            std::fprintf(stderr, "velmor-process: %s %s is out of range\n", name.c_str(), value);
            return false;
        }
    }
    if (o.in.empty() || o.width == 0 || o.height == 0 || o.format < 0 || o.outs.empty()) {
        std::fprintf(stderr, "velmor-process: --in, --width, --height, --format and --out or --save are required\n");
        return false;
    }
    for (const Output& out : o.outs)
        if (out.saveCode == kNoSaveCode) {
            std::fprintf(stderr, "velmor-process: --save %s needs --type\n", out.path.c_str());
            return false;
        }
    o.settings.outputFormat = o.format;
    return true;
}

bool ReadWholeFile(const std::string& path, std::vector<uint8_t>& bytes)
{
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return false;
    bytes.clear();
    uint8_t chunk[65536];
    size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, file)) > 0)
        bytes.insert(bytes.end(), chunk, chunk + n);
    const bool ok = !std::ferror(file);
    std::fclose(file);
    return ok;
}

bool WriteWholeFile(const std::string& path, const uint8_t* data, size_t size)
{
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    const bool written = std::fwrite(data, 1, size, file) == size;
    return std::fclose(file) == 0 && written;
}

// The camera object's surfaces for the frame: the six of the output formats and the scratch copy.
struct Surfaces {
    FrameSurface formats[6];
    FrameSurface work;
    PipelineSurfaces views;

    bool Create(int32_t w, int32_t h, int format)
    {
        for (int k = 0; k < 6; ++k)
            if (!formats[k].Create(w, h, static_cast<uint16_t>(kFormatBits[k])))
                return false;
        if (!work.CreateLike(&formats[format]))
            return false;
        views = PipelineSurfaces{formats[0].view(), formats[1].view(), formats[2].view(), formats[3].view(),
                                 formats[4].view(), formats[5].view(), work.view()};
        return true;
    }
};

}  // namespace

int main(int argc, char** argv)
{
    Options o;
    if (!ParseArguments(argc, argv, o)) {
        Usage();
        return kExitBadArguments;
    }
    std::vector<uint8_t> input;
    if (!ReadWholeFile(o.in, input)) {
        std::fprintf(stderr, "velmor-process: cannot read %s\n", o.in.c_str());
        return kExitBadArguments;
    }
    Surfaces surfaces;
    if (!surfaces.Create(o.width, o.height, o.format)) {
        std::fprintf(stderr, "velmor-process: no memory for a %dx%d frame\n", o.width, o.height);
        return kExitBadArguments;
    }
    const bool wide = o.format == 1 || o.format == 4 || o.format == 5;
    const SurfaceView& raw = wide ? surfaces.views.raw16 : surfaces.views.raw8;
    const size_t rawBytes = static_cast<size_t>(raw.stride) * raw.height;
    if (input.size() != rawBytes) {
        std::fprintf(stderr,
                     "velmor-process: %s holds %zu bytes; a %dx%d frame for format %d needs %zu "
                     "(%d rows of %d bytes)\n",
                     o.in.c_str(), input.size(), o.width, o.height, kFormatBits[o.format], rawBytes, raw.height,
                     raw.stride);
        return kExitBadRawSize;
    }

    PipelineState state;
    const FrameSurface& out = surfaces.formats[o.format];
    const auto start = std::chrono::steady_clock::now();
    for (int frame = 0; frame < o.frames; ++frame) {
        std::memcpy(raw.pixels, input.data(), rawBytes);  // every turn starts from the saved frame
        ProcessFrame(state, surfaces.views, o.settings, o.filter, nullptr, nullptr);
    }
    const std::chrono::duration<double, std::milli> elapsed = std::chrono::steady_clock::now() - start;

    for (const Output& target : o.outs) {
        bool written;
#ifdef VELMOR_PROCESS_HAS_WRITERS
        if (target.saveCode >= 0)
            written = WriteImageFile(target.path.c_str(), out, target.saveCode) == 1;
        else
#endif
            written = WriteWholeFile(target.path, out.pixels, static_cast<size_t>(out.byteCount()));
        if (!written) {
            std::fprintf(stderr, "velmor-process: cannot write %s\n", target.path.c_str());
            return kExitBadArguments;
        }
    }

    const FilterParams& f = o.filter;
    std::printf("format=%d\nwidth=%d\nheight=%d\nframes=%d\n", kFormatBits[o.format], o.width, o.height, o.frames);
    std::printf("bayer-mode=%d\nmirror-h=%d\nmirror-v=%d\nsubsample=%d\n", f.bayerMode, o.settings.mirrorH,
                o.settings.mirrorV, o.settings.subSample);
    std::printf("bayer-gains=%d,%d,%d\nbayer-auto=%d\n", f.bayerGainR, f.bayerGainG, f.bayerGainB, f.bayerGainAuto);
    std::printf("gray-mode=%d\ngray-gains=%d,%d,%d,%d\ngray-offsets=%d,%d,%d,%d\ngray-auto=%d\n", f.grayMode,
                f.grayGainR, f.grayGainG1, f.grayGainG2, f.grayGainB, f.grayOffsetR, f.grayOffsetG1, f.grayOffsetG2,
                f.grayOffsetB, f.grayGainAuto);
    std::printf("hue=%d\nsaturation=%d\ngamma=%d\ncontrast=%d\nsharpness=%d\nbrightness=%d\n", f.hue, f.saturation,
                f.gamma, f.contrast, f.sharpness, f.brightness);
    std::printf("ms-per-frame=%.3f\n", elapsed.count() / o.frames);
    return 0;
}
