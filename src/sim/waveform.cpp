#include "sim/waveform.h"

#include <cmath>
#include <numbers>

namespace qs40::sim {

double waveShape(Waveform w, double phaseCycles) {
    const double p = phaseCycles - std::floor(phaseCycles);
    switch (w) {
    case Waveform::Sine:
        return std::sin(2 * std::numbers::pi * p);
    case Waveform::RisingSaw:
        return 2 * p - 1;
    case Waveform::FallingSaw:
        return 1 - 2 * p;
    case Waveform::Rectangle:
        return p < 0.5 ? 1.0 : -1.0;
    case Waveform::Triangle:
        return p < 0.25 ? 4 * p : p < 0.75 ? 2 - 4 * p : 4 * p - 4;
    }
    return 0.0;
}

double noiseValue(std::uint64_t seed, std::int64_t index) {
    // splitmix64 of the seed and the index: cheap, stateless and well mixed.
    std::uint64_t z = seed * 0x9E3779B97F4A7C15ull + static_cast<std::uint64_t>(index);
    z += 0x9E3779B97F4A7C15ull;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    z ^= z >> 31;
    return static_cast<double>(z >> 11) * 0x1.0p-52 - 1.0;
}

double bandNoise(std::uint64_t seed, double t, double bandwidthHz) {
    if (!(bandwidthHz > 0))
        return 0.0;
    const double x = t * 2 * bandwidthHz;
    const double i = std::floor(x);
    const auto k = static_cast<std::int64_t>(i);
    const double f = x - i;
    return noiseValue(seed, k) * (1 - f) + noiseValue(seed, k + 1) * f;
}

} // namespace qs40::sim
