#include "scope/panel_operations.h"

#include "scope/parameter_computation.h"

#include <algorithm>
#include <mutex>

namespace qs40 {
namespace {

bool& scaleMark(ScopeState& s, AnalogChannel c) {
    return c == AnalogChannel::A1 ? s.ScaleChange.A1 : s.ScaleChange.A2;
}

std::optional<Probe>& probeOf(ScopeState& s, AnalogChannel c) {
    return c == AnalogChannel::A1 ? s.Common.Probe_A1 : s.Common.Probe_A2;
}

bool barsCoupled(const ScopeState& s) {
    return s.Generator.Mode == GenMode::F_Sweep || s.Generator.Mode == GenMode::Pulse;
}

std::int32_t barPosition(std::int32_t v) {
    return std::clamp(v, 0, 1000);
}

// A toggle that unchecks its partner when it becomes checked.
void toggleExclusive(bool& item, bool& partner) {
    item = !item;
    if (item)
        partner = false;
}

} // namespace

void recompute(PanelContext& panel) {
    const std::lock_guard lock(panel.frames.mutex);
    computeParameters(panel.state, panel.params, panel.frames.backgroundLevels, panel.view);
}

void applyAndStart(PanelContext& panel) {
    RunState& run = panel.state.Run;
    run.running = run.runDown || run.snglDown;
    run.single = run.snglDown;
    recompute(panel);
    panel.requests.requestDisplay();
    panel.requests.requestSendParameters();
    panel.requests.wake();
}

void apply(PanelContext& panel) {
    recompute(panel);
    panel.requests.requestDisplay();
    panel.requests.wake();
}

void runFollowUp(PanelContext& panel, FollowUp followUp) {
    if (followUp == FollowUp::ApplyAndStart)
        applyAndStart(panel);
    else
        apply(panel);
}

FollowUp clickVoltsDiv(ScopeState& state, AnalogChannel channel, VoltsDiv volts) {
    (channel == AnalogChannel::A1 ? state.Scope.VoltsDiv_A1 : state.Scope.VoltsDiv_A2) = volts;
    scaleMark(state, channel) = true;
    return FollowUp::ApplyAndStart;
}

FollowUp clickProbe(ScopeState& state, AnalogChannel channel, Probe probe) {
    probeOf(state, channel) = probe;
    scaleMark(state, channel) = true;
    return FollowUp::ApplyAndStart;
}

FollowUp clickVoltsDivLabel(ScopeState& state, AnalogChannel channel) {
    const bool atX1 = probeFactor(probeOf(state, channel)) == 1;
    return clickProbe(state, channel, atX1 ? Probe::x10 : Probe::x1);
}

FollowUp clickGenMode(ScopeState& state, GenMode mode) {
    clickGroupMember(state, GroupId::GenMode, static_cast<int>(mode));
    GeneratorSection& g = state.Generator;
    if (mode != GenMode::Mod)
        g.F_slow = std::max(g.F_slow, g.F_fast);
    return FollowUp::ApplyAndStart;
}

FollowUp scrollFFast(ScopeState& state, std::int32_t position) {
    GeneratorSection& g = state.Generator;
    g.F_fast = barPosition(position);
    if (barsCoupled(state) && g.F_fast > g.F_slow)
        g.F_slow = g.F_fast;
    return FollowUp::ApplyAndStart;
}

FollowUp scrollFSlow(ScopeState& state, std::int32_t position) {
    GeneratorSection& g = state.Generator;
    g.F_slow = barPosition(position);
    if (barsCoupled(state) && g.F_slow < g.F_fast)
        g.F_fast = g.F_slow;
    return FollowUp::ApplyAndStart;
}

FollowUp clickMarkers1(ScopeState& state) {
    toggleExclusive(state.Common.Markers_1, state.Common.Markers_2);
    return FollowUp::Apply;
}

FollowUp clickMarkers2(ScopeState& state) {
    toggleExclusive(state.Common.Markers_2, state.Common.Markers_1);
    return FollowUp::Apply;
}

FollowUp clickFftA1(ScopeState& state) {
    toggleExclusive(state.FFT_A1.View, state.FFT_A2.View);
    return FollowUp::Apply;
}

FollowUp clickFftA2(ScopeState& state) {
    toggleExclusive(state.FFT_A2.View, state.FFT_A1.View);
    return FollowUp::Apply;
}

} // namespace qs40
