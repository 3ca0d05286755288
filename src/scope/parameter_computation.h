// The one computation that turns the scope state into the acquisition parameters. It also
// brings the front panel into line (control rules, captions) and applies the scale-change
// marks to the current and background trigger levels.
#pragma once

#include "scope/acquisition_params.h"
#include "scope/background_levels.h"
#include "scope/panel_view.h"
#include "scope/scope_state.h"

namespace qs40 {

// Any state is valid input. Values outside their ranges are limited where they are used:
// Hyst to 0..5, Pre to 0..9, the trigger count N to 0..255, the generator bars to 0..1000,
// Ampl to the amplitude bar's range, the modulation settings to 0..1000. Parameters that the
// state does not decide this time (frame interval and frequency-meter input without a checked
// item, generator frequency and second value in pulse mode) keep their previous values.
void computeParameters(ScopeState& state, AcquisitionParams& params, BackgroundLevels& background,
                       PanelView& view);

} // namespace qs40
