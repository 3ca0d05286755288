// What the generator panel shows: the frequency (or sweep range, pulse times, noise), the
// modulation and pulse read-outs and the amplitude, with the panel's colours.
#pragma once

#include "scope/acquisition_params.h"
#include "scope/scope_state.h"

#include <string>
#include <string_view>

namespace qs40 {

struct GeneratorReadout {
    std::string labelF;     // Label_F
    std::string labelV;     // Label_V
    std::string labelMod;   // Label_Mod; empty while hidden
    std::string labelPulse; // Label_Pulse; empty while hidden
    bool modVisible = false;
    bool pulseVisible = false;
    ColorRef background = 0; // Panel_Gen and its labels
    ColorRef fontColor = 0;  // the labels' text, dimmed while the generator is off
};

// The frequency, sweep span and pulse times are the computed ones (params); the modulation and
// amplitude settings come from the state.
GeneratorReadout generatorReadout(const ScopeState& state, const AcquisitionParams& params,
                                  std::string_view decimalSeparator);

} // namespace qs40
