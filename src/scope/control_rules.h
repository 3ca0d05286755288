// The rules that bring the front panel into line at every parameter computation. They change
// only selections (release Sweep, press 10M/50M, press Sine) and the PanelView, never run a
// handler; the computation then reads the adjusted state.
#pragma once

#include "scope/panel_view.h"
#include "scope/scope_state.h"

namespace qs40 {

// One of the time bases 0.1 s .. 20 s per division with no trigger source: the instrument then
// streams (roll), the recorder is available and the scroll display may run.
bool slowTimeBase(const ScopeState& state);

// Volts/div button captions and label button captions of both channels from the probes.
void applyVoltsDivCaptions(const ScopeState& state, PanelView& view);

// Scroll display on a slow time base: the sweep cannot run, so Sweep is released and disabled.
void applySweepRule(ScopeState& state, PanelView& view);

// Generator panel: range button visibility, frequency bars, the range combinations the
// instrument cannot run, waveform buttons and range captions.
void applyGeneratorRules(ScopeState& state, PanelView& view);

} // namespace qs40
