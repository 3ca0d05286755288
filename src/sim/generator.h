// The instrument's signal generator, driven by the generator block of the parameter packet: a
// direct digital synthesiser on the 100 MHz clock with a 40-bit phase accumulator (word 1 is the
// phase step, so frequency = word 1 x 10^8 / 2^40 Hz) and a 30-bit accumulator for the
// modulation (word 3). The mode byte picks the waveform (low three bits) and the mode:
//   0x00 continuous     the waveform at word 1
//   0x08 sweep          the phase step grows by word 2 every sample period of the acquisition
//                       and starts again after the post-trigger samples
//   0x10 pulse          word 1 + 1 clock periods per pulse, word 2 of them high
//   0x18 FM             word 2 x 2^14 added to the step at the peak of the modulating sine
//   0x20 AM             word 2 / 65535.5 of the full 512-step amplitude swings on the carrier
//   0x28 noise          uniform noise up to 10 MHz
// Waveform bits 5..7 (the host sends mode byte 5 for "off") or the generator-off bit of the A1
// input byte silence the output. The output is a function of time, so that it can be looped to
// any input and sampled anywhere.
#pragma once

#include <array>
#include <cstdint>

#include "device/link/protocol_packet.h"
#include "sim/sim_time.h"
#include "sim/waveform.h"

namespace qs40::sim {

struct GeneratorSettings {
    std::uint8_t mode = 5;
    std::uint64_t word1 = 0;     // 40 bits
    std::int64_t word2 = 0;      // 40 bits, sign-extended
    std::uint16_t amplitude = 0; // 10 bits; the host sends 512 - Ampl
    std::uint32_t word3 = 0;     // 24 bits
    bool outputOff = true;       // bit 3 of the A1 input byte

    static GeneratorSettings decode(const std::array<std::uint8_t, kGeneratorBlockBytes>& block,
                                    std::uint8_t inputA1);
};

enum class GeneratorMode : std::uint8_t { Off, Continuous, Sweep, Pulse, Fm, Am, Noise };

class Generator {
public:
    // Volts of peak output per amplitude step above 1 (the host shows (amplitude - 1) x 8 mV as
    // the peak-to-peak output).
    static constexpr double kVoltsPerStep = 0.004;
    static constexpr double kNoiseBandwidthHz = 10e6;

    // New settings from `origin` on (a sample instant); a sweep steps every `divider` clock
    // periods and lasts `postTrigger` steps.
    void configure(const GeneratorSettings& settings, SimTime origin, std::uint32_t divider,
                   std::uint32_t postTrigger);

    GeneratorMode mode() const { return mode_; }
    Waveform waveform() const { return wave_; }
    const GeneratorSettings& settings() const { return s_; }
    double amplitude() const { return amplitude_; } // volts peak
    double carrierHz() const;                       // word 1
    double modulationHz() const;                    // word 3
    double deviationHz() const;                     // FM: word 2
    double amSwingVolts() const;                    // AM: word 2
    double peakVolts() const;                       // the output stays within plus and minus this

    // Output volts at time t (seconds).
    double volts(double t) const;
    // The mean output (what AC coupling removes).
    double mean() const;
    // The repetition frequency a frequency meter sees; 0 for none (off, noise).
    double frequency() const;
    // A time short enough that nothing of the output between two trigger thresholds fits
    // between two looks this far apart; 0 for a constant output.
    double detailSeconds() const;
    // A sweep's start and length, to start free-running records with the sweep.
    SimTime origin() const { return origin_; }
    SimTime sweepPeriod() const;

private:
    double carrierPhase(std::int64_t k, double f) const;
    double sweepPhase(std::int64_t k, double f) const;
    double modulationPhase(std::int64_t k, double f) const;

    GeneratorSettings s_;
    GeneratorMode mode_ = GeneratorMode::Off;
    Waveform wave_ = Waveform::Sine;
    double amplitude_ = 0;
    SimTime origin_{0};
    std::uint64_t divider_ = 1;
    std::uint64_t post_ = 1;
};

} // namespace qs40::sim
