#include "display/generator_readout.h"

#include "display/unit_format.h"
#include "scope/arith.h"

#include <algorithm>

namespace qs40 {
namespace {

class Readout {
public:
    Readout(const ScopeState& state, const AcquisitionParams& params, std::string_view sep)
        : g_(state.Generator), p_(params), sep_(sep) {}

    std::string frequency(double hz, int digits) const {
        return fmt(hz, UnitKind::Frequency, digits, sep_);
    }
    std::string time(double ns) const { return fmt(ns, UnitKind::Time, -3, sep_); }

    // Sweep: from the start frequency to start + span (both in 0.1 Hz).
    std::string sweep() const {
        const double start = p_.genFrequency * 0.1;
        const double end = (static_cast<double>(p_.genFrequency) + p_.genSecond) * 0.1;
        return frequency(start, -5) + "   ...   " + frequency(end, -5);
    }

    // Pulse width and period are in 10 ns units: time 2 is the width, time 1 the period.
    std::string pulseTimes() const {
        return time(width() * 10.0) + "  /  " + time(period() * 10.0);
    }
    std::string pulseDuty() const {
        const double w = width(), t = period();
        std::string s = t != 0 ? formatFixed(w * 100.0 / t, 3, sep_) + " %  " : "...    ";
        if (t != 0 && t != w && w != 0)
            s += "F = " + frequency(1e8 / t, -5);
        else
            s += "F = ...";
        return s;
    }

    std::string continuous() const {
        const double hz = p_.genFrequency * 0.1;
        return frequency(hz, hz < 1e7 ? -5 : -6);
    }

    std::string modulation() const {
        const double modFreq = static_cast<double>(g_.Mod_Freq) * (g_.Mod_Freq_x == 1 ? 10 : 1);
        const std::string fmod = "   Fmod " + frequency(modFreq * 10.0, -3);
        if (g_.Mod_Type != 0) {
            const double dev = static_cast<double>(g_.Dev_Freq) * (g_.Dev_Freq_x == 1 ? 10 : 1);
            return "Dev " + frequency(dev * 10.0, -3) + fmod;
        }
        const double depth = static_cast<double>(g_.Mod_K) * (g_.Mod_K_x == 1 ? 2 : 1);
        return "K " + formatFixed(depth * 0.1, 1, sep_) + "%" + fmod;
    }

private:
    double width() const { return p_.pulseTime2; }
    double period() const { return p_.pulseTime1; }

    const GeneratorSection& g_;
    const AcquisitionParams& p_;
    std::string_view sep_;
};

} // namespace

GeneratorReadout generatorReadout(const ScopeState& state, const AcquisitionParams& params,
                                  std::string_view decimalSeparator) {
    const GeneratorSection& g = state.Generator;
    const Readout r(state, params, decimalSeparator);
    const bool sweep = g.Mode == GenMode::F_Sweep;
    const bool pulse = g.Mode == GenMode::Pulse;
    const bool mod = g.Mode == GenMode::Mod;

    GeneratorReadout out;
    out.background = state.Colors.Border;
    out.fontColor = state.Run.generatorOn
                        ? state.Colors.Grid_Frame
                        : blendColor(state.Colors.Grid_Frame, state.Colors.Border, 3);
    out.modVisible = mod;
    out.pulseVisible = pulse;

    if (sweep) {
        out.labelF = r.sweep();
    } else if (pulse) {
        out.labelF = r.pulseTimes();
        out.labelPulse = r.pulseDuty();
    } else if (mod || g.Range != GenRange::Noise) {
        out.labelF = r.continuous();
        if (mod)
            out.labelMod = r.modulation();
    } else {
        out.labelF = "Noise (uniform spectrum 0..10 MHz)";
    }

    // The amplitude bar's position, as the bar holds it inside its range.
    const IntRange range = amplRange(state);
    const std::int32_t position = std::clamp(g.Ampl, range.min, range.max);
    out.labelV = fmt((511.0 - position) * 2.0 * 4000.0, UnitKind::Voltage, -4, decimalSeparator);
    return out;
}

} // namespace qs40
