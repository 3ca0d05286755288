// The front panel for an instrument variant and for the service switches: what is shown, and
// what hiding a control releases or unchecks so that no hidden part stays active.
#pragma once

#include "scope/panel_view.h"
#include "scope/scope_state.h"

namespace qs40 {

// Run whenever the variant is set (start-up, variant switch). Fills view.variant and releases
// or unchecks the selections of the parts the variant lacks.
void applyVariantControls(ScopeState& state, PanelView& view);

// Run after every read of a configuration, settings or companion file, then
// applyVariantControls again. A menu radio group of the variant that the file's keys left with
// no member checked (a key written as 0 by another variant for the member that replaced a
// hidden one) takes back its selection of before when the variant has that member, else its
// default selection; so no such group is ever left empty.
void refillRadioGroups(ScopeState& state, const ScopeState& before);

// Run at start-up after the configuration is read. Fills view.service and keeps the amplitude
// inside the bar's range.
void applyServiceSwitches(ScopeState& state, PanelView& view);

} // namespace qs40
