#include "pipeline/simd.h"

#include <atomic>

namespace {
// Read once per stage call; relaxed is enough, the flag guards no other data.
std::atomic<bool> simdOn{true};
}  // namespace

void SetPipelineSimd(bool on) { simdOn.store(on, std::memory_order_relaxed); }
bool PipelineSimd() { return VELMOR_PIPELINE_SSE2 && simdOn.load(std::memory_order_relaxed); }
