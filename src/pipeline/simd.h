#pragma once
// The vector loops of the stages and the switch that selects them. The scalar loops are the
// reference: every vector loop gives the same result bit for bit, and the tests compare each
// level with the scalar one on random frames. Each level's loops live in files of their own beside
// the scalar ones, which choose a level once per call. SSE2 is the x86-64 baseline, so it needs
// no check (*_sse2.cpp); the AVX2 files are built for AVX2 and run only where the processor and
// the system support it; so do the few loops that need AVX-512 with byte permutes (VBMI).
#if defined(__SSE2__) || defined(_M_X64)
#define VELMOR_PIPELINE_SSE2 1
#include <emmintrin.h>
#else
#define VELMOR_PIPELINE_SSE2 0
#endif

enum class SimdLevel { kScalar, kSse2, kAvx2, kAvx512Vbmi };

// The best level of this machine.
SimdLevel SupportedSimdLevel();
// Caps the level the stages use (default: no cap). Tests and benchmarks lower it to run the
// scalar reference or an older vector path.
void SetPipelineSimdLimit(SimdLevel limit);
// The level in effect: the lower of the cap and the machine's level.
SimdLevel PipelineSimdLevel();
inline bool PipelineSimd() { return PipelineSimdLevel() >= SimdLevel::kSse2; }
inline bool PipelineAvx2() { return PipelineSimdLevel() >= SimdLevel::kAvx2; }
inline bool PipelineAvx512Vbmi() { return PipelineSimdLevel() >= SimdLevel::kAvx512Vbmi; }
