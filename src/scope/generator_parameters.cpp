#include "scope/generator_parameters.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace qs40 {
namespace {

// 2^40 / 10^9: frequency in 0.1 Hz to the generator's 40-bit phase step.
constexpr double kPhaseStep = 1099.511627776;
// 2^30 / 10^7 and 2^26 / 10^7: modulation frequency and FM deviation words.
constexpr double kModFreqStep = 107.3741824;
constexpr double kDeviationStep = 6.7108864;
constexpr std::uint8_t kGenIdleMode = 5;
constexpr std::int32_t kBarMax = 1000; // generator and modulation settings: 0..1000

std::int64_t truncToInt64(double v) {
    if (std::isnan(v))
        return 0;
    constexpr double kMax = 9.2e18;
    return static_cast<std::int64_t>(std::clamp(v, -kMax, kMax));
}

std::int32_t saturateInt32(std::int64_t v) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(
        v, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

struct RangeScale {
    std::int64_t frequency; // frequency and second value
    std::int64_t pulse;     // pulse times
};

RangeScale rangeScale(GenRange r) {
    switch (r) {
    case GenRange::R10K_1S:
        return {1, 100000};
    case GenRange::R100K_100mS:
        return {10, 10000};
    case GenRange::R1M_10mS:
        return {100, 1000};
    case GenRange::R10M_1mS:
        return {1000, 100};
    case GenRange::R50M_100uS:
        return {5000, 10};
    case GenRange::Noise:
        break;
    }
    return {1, 1};
}

std::uint8_t waveformBits(GenWave w) {
    switch (w) {
    case GenWave::Sin:
        return 0;
    case GenWave::Up_Trian:
        return 1;
    case GenWave::Dn_Trian:
        return 2;
    case GenWave::Rect:
        return 3;
    case GenWave::Trian:
        return 4;
    }
    return 0;
}

std::int32_t bar(std::int32_t v) {
    return std::clamp(v, 0, kBarMax);
}

// Pulse times from the bars. Keep_Pulse keeps both times valid for the instrument: time 2 at
// least 1, time 1 at least 2, and never equal.
void setPulseTimes(const ScopeState& s, std::int64_t fast, std::int64_t slow, std::int64_t scale,
                   AcquisitionParams& p) {
    std::int64_t t1 = slow, t2 = fast;
    if (s.System.Keep_Pulse) {
        t2 = std::max<std::int64_t>(t2, 1);
        t1 = std::max<std::int64_t>(t1, 2);
        if (t1 == t2)
            t2 = t1 - 1;
    }
    p.pulseTime1 = saturateInt32(t1 * scale);
    p.pulseTime2 = saturateInt32(t2 * scale);
}

void setModulationWords(const GeneratorSection& g, AcquisitionParams& p) {
    const std::int32_t modFreq = bar(g.Mod_Freq) * (g.Mod_Freq_x == 1 ? 10 : 1);
    p.genWord3 = saturateInt32(truncToInt64(modFreq * kModFreqStep));
    if (g.Mod_Type != 0) {
        const std::int32_t deviation = bar(g.Dev_Freq) * (g.Dev_Freq_x == 1 ? 10 : 1);
        p.genMode |= 0x18;
        p.genWord2 = truncToInt64(deviation * kDeviationStep);
    } else {
        const std::int32_t depth = bar(g.Mod_K) * (g.Mod_K_x == 1 ? 2 : 1);
        p.genMode |= 0x20;
        p.genWord2 = truncToInt64(p.genAmplitude * 65.5355 / 512.0 * depth);
    }
}

} // namespace

void setGeneratorParameters(const ScopeState& s, AcquisitionParams& p) {
    const GeneratorSection& g = s.Generator;
    const std::int64_t fast = bar(g.F_fast), slow = bar(g.F_slow);
    const bool sweep = g.Mode == GenMode::F_Sweep;
    const bool pulse = g.Mode == GenMode::Pulse;
    const bool mod = g.Mode == GenMode::Mod;
    const bool barsAtZero = fast == 0 && slow == 0;
    const RangeScale scale = rangeScale(g.Range);

    // Pulse mode leaves frequency and second value as the last continuous or sweep setting
    // left them; scaling them again on every recomputation would make them grow.
    if (pulse) {
        setPulseTimes(s, fast, slow, scale.pulse, p);
    } else {
        const std::int64_t freq = sweep ? fast * 100 : fast * 100 + slow;
        const std::int64_t second = sweep ? slow * 100 - fast * 100 : 0;
        p.genFrequency = saturateInt32(freq * scale.frequency);
        p.genSecond = saturateInt32(second * scale.frequency);
    }
    const IntRange ampl = amplRange(s);
    p.genAmplitude = static_cast<std::uint16_t>(512 - std::clamp(g.Ampl, ampl.min, ampl.max));

    p.genMode = waveformBits(g.Wave);
    p.genWord1 = truncToInt64(p.genFrequency * kPhaseStep);
    // Words a mode does not use keep the value of the last computation that set them: the
    // instrument ignores them, and the packet stays what earlier versions sent.
    if (sweep) {
        if (barsAtZero)
            p.genMode = kGenIdleMode;
        p.genMode |= 0x08;
        const std::int64_t post = std::max(p.postTrigger, 1);
        p.genWord2 = truncToInt64(p.genSecond * kPhaseStep / static_cast<double>(post));
        // The span the instrument really sweeps, for the generator label.
        p.genSecond =
            saturateInt32(truncToInt64(p.genWord2 * static_cast<double>(post) / kPhaseStep));
    } else if (pulse) {
        p.genMode |= 0x10;
        p.genWord1 = p.pulseTime1 > 0 ? p.pulseTime1 - 1 : 0;
        p.genWord2 = p.pulseTime2;
    } else if (mod || g.Range != GenRange::Noise) {
        if (barsAtZero)
            p.genMode = kGenIdleMode;
        if (mod)
            setModulationWords(g, p);
    } else {
        p.genMode |= 0x28; // noise source
    }
    if (!s.Run.generatorOn)
        p.genMode = kGenIdleMode;
}

} // namespace qs40
