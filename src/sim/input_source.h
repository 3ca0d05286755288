// What is wired to one input of the instrument on the bench: a signal source described by a few
// numbers, evaluated as a function of time. The generator kind is the instrument's own generator
// output looped back by a cable.
#pragma once

#include <cstdint>

namespace qs40::sim {

class Generator;

enum class SourceKind : std::uint8_t {
    Off,        // nothing connected: 0 V
    Dc,         // `offset` volts
    Sine,       // the periodic kinds: `amplitude` volts peak around `offset`
    Square,     //
    Triangle,   //
    RisingSaw,  //
    FallingSaw, //
    Clock,      // a logic clock: `amplitude` volts for `duty` of the period, else 0 V
    Noise,      // uniform noise of `amplitude` volts peak up to `frequency` Hz, around `offset`
    Generator,  // the instrument's generator output
};

struct InputSource {
    SourceKind kind = SourceKind::Off;
    double frequency = 0; // Hz (noise: its bandwidth)
    double amplitude = 0; // volts peak (clock: its high level)
    double offset = 0;    // volts
    double phase = 0;     // degrees
    double duty = 0.5;    // clock: the high part of the period

    static constexpr double kClockHigh = 3.3;

    static InputSource off() { return {}; }
    static InputSource dc(double volts) { return {SourceKind::Dc, 0, 0, volts, 0, 0.5}; }
    static InputSource periodic(SourceKind kind, double hz, double amplitude, double offset = 0,
                                double phaseDegrees = 0) {
        return {kind, hz, amplitude, offset, phaseDegrees, 0.5};
    }
    static InputSource sine(double hz, double amplitude, double offset = 0,
                            double phaseDegrees = 0) {
        return periodic(SourceKind::Sine, hz, amplitude, offset, phaseDegrees);
    }
    static InputSource clock(double hz, double duty = 0.5, double phaseDegrees = 0) {
        return {SourceKind::Clock, hz, kClockHigh, 0, phaseDegrees, duty};
    }
    static InputSource noise(double bandwidthHz, double amplitude, double offset = 0) {
        return {SourceKind::Noise, bandwidthHz, amplitude, offset, 0, 0.5};
    }
    static InputSource generator() { return {SourceKind::Generator, 0, 0, 0, 0, 0.5}; }

    bool operator==(const InputSource&) const = default;
};

// Volts at time t (seconds). `generator` serves the generator kind (0 V without one); `seed`
// tells the noise of one input from another's.
double sourceVolts(const InputSource& s, double t, const Generator* generator, std::uint64_t seed);
// The mean level: what AC coupling takes away.
double sourceMean(const InputSource& s, const Generator* generator);
// The lowest and highest levels the source reaches.
double sourceLow(const InputSource& s, const Generator* generator);
double sourceHigh(const InputSource& s, const Generator* generator);
// The repetition frequency a frequency meter counts; 0 for none.
double sourceFrequency(const InputSource& s, const Generator* generator);
// A time short enough that the source cannot pass from one trigger threshold to the other and
// back between two looks this far apart; 0 when it never changes.
double sourceDetailSeconds(const InputSource& s, const Generator* generator);

} // namespace qs40::sim
