// Shapes of one period and a deterministic noise, shared by the bench inputs and the
// instrument's generator. Phases are in cycles; only the fraction counts.
#pragma once

#include <cstdint>

namespace qs40::sim {

// The generator's waveform bits (low three bits of its mode byte) name the same shapes.
enum class Waveform : std::uint8_t {
    Sine = 0,
    RisingSaw = 1,
    FallingSaw = 2,
    Rectangle = 3,
    Triangle = 4,
};

// -1..+1. Rectangle and triangle follow the sine: positive in the first half period, the
// triangle peaking at a quarter period; the saws run from -1 to +1 (rising) or back.
double waveShape(Waveform w, double phaseCycles);

// A uniform value in [-1, 1) for each index, the same for the same seed and index.
double noiseValue(std::uint64_t seed, std::int64_t index);

// Band-limited noise at time t (seconds): a new uniform value every 1 / (2 x bandwidth) seconds,
// joined by straight lines, so that its spectrum reaches up to about the bandwidth.
double bandNoise(std::uint64_t seed, double t, double bandwidthHz);

} // namespace qs40::sim
