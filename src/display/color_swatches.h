// The small colour panels beside the front panel's group labels.
#pragma once

#include "scope/scope_state.h"

namespace qs40 {

struct ColorSwatches {
    ColorRef timeDiv = 0; // Panel_Color_TD
    ColorRef a1 = 0;      // Panel_Color_A1
    ColorRef a2 = 0;      // Panel_Color_A2
    ColorRef trigger = 0; // Panel_Color_Trig
};

// A switched-off channel and a missing trigger source show buttonFace, the toolkit's default
// control colour.
ColorSwatches colorSwatches(const ScopeState& state, ColorRef buttonFace);

} // namespace qs40
