// The front panel for an instrument variant and for the service switches: what is shown, and
// what hiding a control releases or unchecks so that no hidden part stays active.
#pragma once

#include "scope/panel_view.h"
#include "scope/scope_state.h"

namespace qs40 {

// Run whenever the variant is set (start-up, variant switch). Fills view.variant and releases
// or unchecks the selections of the parts the variant lacks.
void applyVariantControls(ScopeState& state, PanelView& view);

// Run at start-up after the configuration is read. Fills view.service and keeps the amplitude
// inside the bar's range.
void applyServiceSwitches(ScopeState& state, PanelView& view);

} // namespace qs40
