#pragma once
// The SSE2 loops of the stages and the switch that forces the plain scalar loops instead. The
// scalar loops are the reference: every SSE2 loop gives the same result bit for bit, and the
// tests compare the two on random frames. SSE2 is the x86-64 baseline, so no run-time check.
#if defined(__SSE2__) || defined(_M_X64)
#define VELMOR_PIPELINE_SSE2 1
#include <emmintrin.h>
#else
#define VELMOR_PIPELINE_SSE2 0
#endif

// On by default; tests and benchmarks turn it off to run the scalar reference loops instead of
// the SSE2 ones and the other fast paths (pair tables).
void SetPipelineSimd(bool on);
bool PipelineSimd();
