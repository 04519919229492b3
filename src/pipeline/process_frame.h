#pragma once
// The per-frame image pipeline: the raw frame of the camera object's raw surface turned into
// the output surface of the current output format. Portable: no Windows header.
#include <cstdint>
#include <vector>

#include "imaging/pixel_types.h"
#include "pipeline/filter_params.h"
#include "pipeline/stage_tables.h"

// Views of the camera object's surfaces; all of one width and height.
struct PipelineSurfaces {
    SurfaceView raw8;     // 8-bit raw: the raw frame of formats 0, 2, 3 and the output of format 0
    SurfaceView raw16;    // 16-bit raw (10 significant bits): raw frame of formats 1, 4, 5, output of format 1
    SurfaceView color24;  // output of format 2; also the intermediate of gray mode 2
    SurfaceView color32;  // output of format 3
    SurfaceView color48;  // output of format 4
    SurfaceView color64;  // output of format 5
    SurfaceView work;     // scratch of the current output's format, for the copy read by sharpening
};

// Camera object settings that are not part of the filter record.
struct PipelineSettings {
    int outputFormat = 2;  // output format index 0..5 (8, 16, 24, 32, 48, 64 bits)
    int subSample = 0;     // 0, 1, 2, 17, 18; binning (bit value 16) skips the defect filter
    int mirrorH = 0;       // horizontal mirror 0/1
    int mirrorV = 0;       // vertical mirror 0/1
    int autoIris = 0;      // automatic exposure mode; 1 and 2 measure the five windows
};

// Number of automatic-exposure measuring windows: upper-left, lower-left, centre, upper-right, lower-right.
constexpr int kAutoIrisWindows = 5;

// Receives the mean levels (0..255) of the five windows once per frame while autoIris is 1 or 2.
using AutoIrisHook = void (*)(void* context, const int32_t means[kAutoIrisWindows]);

// What the pipeline keeps between frames, owned by the camera object. The balances keep their
// state in the filter record; this holds the mirror's row buffer and the stages' tables, so that
// frames of unchanged settings and size allocate nothing.
struct PipelineState {
    std::vector<uint8_t> mirrorRows;
    StageTables tables;
};

// Runs the whole pipeline on one frame, under the camera object's frame lock. Returns true when an
// automatic white or gray balance ran and rewrote gains in `filter` (the open filter dialog refreshes).
bool ProcessFrame(PipelineState& state,                // the camera object's pipeline state
                  const PipelineSurfaces& surfaces,    // raw, output and scratch surfaces of the frame's size
                  const PipelineSettings& settings,    // output format, sub-sampling, mirrors, automatic exposure
                  FilterParams& filter,                // filter record: read, and gains written by the balances
                  AutoIrisHook autoIrisHook,           // called with the five window means; may be null
                  void* autoIrisContext);              // passed through to autoIrisHook

// Demosaic of `raw` (8-bit for 24/32-bit output, 16-bit for 48/64) into `colour`, with the automatic
// white balance first when filter.bayerGainAuto is set. phase: the effective Bayer phase.
// Returns true when the white balance ran.
bool Demosaic(const SurfaceView& colour, const SurfaceView& raw, FilterParams& filter, int phase);

// Mirrors the raw frame in place: horizontal reverses each row, vertical turns the rows over.
void MirrorFrame(PipelineState& state, const SurfaceView& raw, bool mirrorH, bool mirrorV);
