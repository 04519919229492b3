#include "pipeline/simd.h"

#include <atomic>

namespace {
// Read once per stage call; relaxed is enough, the cap guards no other data.
std::atomic<SimdLevel> limit{SimdLevel::kAvx512Vbmi};

SimdLevel DetectLevel()
{
#if VELMOR_PIPELINE_SSE2 && defined(__GNUC__)
    // The checks include the system's support for the wide registers (XGETBV).
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx2") && __builtin_cpu_supports("avx512bw") &&
        __builtin_cpu_supports("avx512vbmi"))
        return SimdLevel::kAvx512Vbmi;
    if (__builtin_cpu_supports("avx2"))
        return SimdLevel::kAvx2;
    return SimdLevel::kSse2;
#elif VELMOR_PIPELINE_SSE2
    return SimdLevel::kSse2;
#else
    return SimdLevel::kScalar;
#endif
}
}  // namespace

SimdLevel SupportedSimdLevel()
{
    static const SimdLevel supported = DetectLevel();
    return supported;
}

void SetPipelineSimdLimit(SimdLevel cap) { limit.store(cap, std::memory_order_relaxed); }

SimdLevel PipelineSimdLevel()
{
    const SimdLevel cap = limit.load(std::memory_order_relaxed);
    const SimdLevel supported = SupportedSimdLevel();
    return cap < supported ? cap : supported;
}
