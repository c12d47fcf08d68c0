#include "MyLibrary/StringUnit/KernelVariants.h"

#include <algorithm>
#include <atomic>
#include <vector>

#include "MyLibrary/StringUnit/VectorPaths.h"

namespace MyLibrary {
namespace {

std::vector<KernelVariant> FindAvailableVariants() {
    std::vector<KernelVariant> variants{KernelVariant::Scalar};
#if BLANKWISE_HAS_SSE2
    variants.push_back(KernelVariant::Sse2);
#endif
#if BLANKWISE_POPCOUNT_DISPATCH
    if (__builtin_cpu_supports("popcnt") != 0) {
        variants.push_back(KernelVariant::Sse2Popcount);
    }
#endif
    return variants;
}

std::atomic<KernelVariant>& Active() {
    static std::atomic<KernelVariant> active{AvailableKernelVariants().back()};
    return active;
}

}  // namespace

std::span<const KernelVariant> AvailableKernelVariants() {
    static const std::vector<KernelVariant> available = FindAvailableVariants();
    return available;
}

KernelVariant ActiveKernelVariant() {
    return Active().load(std::memory_order_relaxed);
}

bool ForceKernelVariant(KernelVariant variant) {
    const std::span<const KernelVariant> available = AvailableKernelVariants();
    if (std::find(available.begin(), available.end(), variant) == available.end()) {
        return false;
    }
    Active().store(variant, std::memory_order_relaxed);
    return true;
}

}  // namespace MyLibrary
