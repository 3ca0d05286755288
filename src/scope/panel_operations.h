// Front-panel operations over the state: the two follow-ups that every handler ends with, and
// the handlers whose logic is more than selecting a member. A GUI handler changes the state
// through one of these (or through clickGroupMember) and runs the follow-up it returns.
#pragma once

#include "scope/acquisition_params.h"
#include "scope/frame.h"
#include "scope/panel_view.h"
#include "scope/scope_state.h"

namespace qs40 {

enum class FollowUp {
    ApplyAndStart, // recompute, send the parameters to the instrument, redraw
    Apply,         // recompute and redraw only
};

// Everything a follow-up works on. The frame sets carry the background's levels, which the
// computation rescales under their lock.
struct PanelContext {
    ScopeState& state;
    AcquisitionParams& params;
    FrameSets& frames;
    PanelView& view;
    AcquisitionRequests& requests;
};

// Recomputes the parameters (the background's levels under the frame sets' lock).
void recompute(PanelContext& panel);
// Refreshes running and single from the Run and Single buttons, recomputes, raises the
// display and send-parameters requests and wakes the acquisition thread.
void applyAndStart(PanelContext& panel);
// Recomputes, raises the display request and wakes the acquisition thread.
void apply(PanelContext& panel);
void runFollowUp(PanelContext& panel, FollowUp followUp);

enum class AnalogChannel { A1, A2 };

// A volts/div button: selects the range and marks the channel's scale change.
FollowUp clickVoltsDiv(ScopeState& state, AnalogChannel channel, VoltsDiv volts);
// A probe menu item: checks the probe and marks the channel's scale change.
FollowUp clickProbe(ScopeState& state, AnalogChannel channel, Probe probe);
// A label button: steps the probe x1 -> x10, x10 or x100 -> x1, and marks the scale change.
FollowUp clickVoltsDivLabel(ScopeState& state, AnalogChannel channel);

// Sweep, Pulse and Mod toggle within their group. Sweep and Pulse need the second bar at
// least at the first, so F_slow is raised to F_fast.
FollowUp clickGenMode(ScopeState& state, GenMode mode);

// The frequency bars. While Sweep or Pulse is down the two bars stay ordered: the moved bar
// keeps its position and drags the other one along. Positions are limited to 0..1000.
FollowUp scrollFFast(ScopeState& state, std::int32_t position);
FollowUp scrollFSlow(ScopeState& state, std::int32_t position);

// Menu toggles that exclude each other when checked.
FollowUp clickMarkers1(ScopeState& state);
FollowUp clickMarkers2(ScopeState& state);
FollowUp clickFftA1(ScopeState& state);
FollowUp clickFftA2(ScopeState& state);

} // namespace qs40
