#include "core/generation/BuildRandom.h"

#include <random>

namespace {
std::mt19937& generator() {
    static std::mt19937 g(kDefaultBuildSeed);
    return g;
}
} // namespace

double BuildRandom() {
    // 32 random bits scaled by 2^-32: the same numbers with every standard
    // library, unlike std::uniform_real_distribution.
    return static_cast<double>(generator()()) / 4294967296.0;
}

void SeedBuildRandom(std::uint32_t seed) {
    generator().seed(seed);
}
