#include "scope/control_rules.h"

#include <string_view>

namespace qs40 {
namespace {

constexpr std::array<std::string_view, 6> kCaptionsX1{"2V", "1V", "0.5V", "0.2V", "100mV", "50mV"};
constexpr std::array<std::string_view, 6> kCaptionsX10{"20V", "10V", "5V", "2V", "1V", "0.5V"};
constexpr std::array<std::string_view, 6> kCaptionsX100{"200V", "100V", "50V", "20V", "10V", "5V"};
constexpr std::array<std::string_view, 6> kRangeCaptions{"10K", "100K", "1M",
                                                         "10M", "50M",  "Noise"};
constexpr std::array<std::string_view, 6> kPulseCaptions{"1S",  "0.1S",  "10mS",
                                                         "1mS", "0.1mS", "10uS"};

template <std::size_t N>
void copyCaptions(const std::array<std::string_view, N>& from, std::array<std::string, N>& to) {
    for (std::size_t i = 0; i < N; ++i)
        to[i] = from[i];
}

void setChannelCaptions(std::optional<Probe> probe, bool russian, std::string prefix,
                        std::array<std::string, 6>& buttons, std::string& label) {
    const int factor = probeFactor(probe);
    copyCaptions(factor == 100  ? kCaptionsX100
                 : factor == 10 ? kCaptionsX10
                                : kCaptionsX1,
                 buttons);
    if (factor == 1) {
        label = prefix + (russian ? " Вольт/Дел " : " Volts/Div ");
    } else {
        label = prefix + (russian ? " В/Дел " : " V/Div ") + (factor == 10 ? "(x10)" : "(x100)");
    }
}

bool modeIs(const ScopeState& s, GenMode m) {
    return s.Generator.Mode == m;
}

} // namespace

bool slowTimeBase(const ScopeState& state) {
    const auto t = static_cast<int>(state.Scope.TimeDiv);
    return t <= static_cast<int>(TimeDiv::T100mS) && !state.Trigger.Source.has_value();
}

void applyVoltsDivCaptions(const ScopeState& state, PanelView& view) {
    const bool ru = state.russian();
    // Without A2 the single analog channel needs no name: the label reads only the unit.
    const char* prefixA1 = state.has(kCapA2) ? "     A1" : "      ";
    setChannelCaptions(state.Common.Probe_A1, ru, prefixA1, view.voltsDivCaptionsA1,
                       view.voltsDivLabelA1);
    setChannelCaptions(state.Common.Probe_A2, ru, "     A2", view.voltsDivCaptionsA2,
                       view.voltsDivLabelA2);
}

void applySweepRule(ScopeState& state, PanelView& view) {
    const bool blocked = slowTimeBase(state) && state.Common.Lenta;
    if (blocked && modeIs(state, GenMode::F_Sweep))
        state.Generator.Mode.reset();
    view.sweepEnabled = !blocked;
}

void applyGeneratorRules(ScopeState& state, PanelView& view) {
    GeneratorSection& g = state.Generator;
    const bool service = state.serviceMode();
    const bool pulse = modeIs(state, GenMode::Pulse);
    const bool modOrSweep = modeIs(state, GenMode::Mod) || modeIs(state, GenMode::F_Sweep);

    view.range50MVisible = service || pulse;
    view.noiseVisible = pulse || !g.Mode.has_value();
    view.freqBarsEnabled = !(g.Range == GenRange::Noise && !g.Mode.has_value());

    // 50M runs only in pulse mode or in service mode; noise cannot be modulated or swept.
    if (g.Range == GenRange::R50M_100uS && !pulse && !service)
        g.Range = GenRange::R10M_1mS;
    if (g.Range == GenRange::Noise && !pulse && modOrSweep)
        g.Range = service ? GenRange::R50M_100uS : GenRange::R10M_1mS;

    // The fast ranges and the noise source have no waveform choice: they run a sine.
    if (pulse) {
        view.waveEnabled.fill(false);
    } else if (g.Range == GenRange::R10M_1mS || g.Range == GenRange::R50M_100uS ||
               g.Range == GenRange::Noise) {
        g.Wave = GenWave::Sin;
        view.waveEnabled.fill(false);
        view.waveEnabled[static_cast<std::size_t>(GenWave::Sin)] = g.Range != GenRange::Noise;
    } else {
        view.waveEnabled.fill(true);
    }

    copyCaptions(pulse ? kPulseCaptions : kRangeCaptions, view.genRangeCaptions);
}

} // namespace qs40
