#include "scope/variant_controls.h"

namespace qs40 {
namespace {

// The trigger row with or without its second source button.
TriggerRowView triggerRow(bool second, const char* withSecond, const char* alone) {
    TriggerRowView row;
    row.secondVisible = second;
    row.firstCaption = second ? withSecond : alone;
    row.sourceWidth = second ? 38 : 51;
    row.nextLeft = second ? std::array<int, 2>{84, 123} : std::array<int, 2>{58, 110};
    row.nextWidth = second ? 38 : 51;
    return row;
}

void withoutA2(ScopeState& s) {
    if (s.Trigger.Source == TrigSource::A2)
        s.Trigger.Source.reset();
    if (s.Common.FreqMeter == FreqMeter::A2)
        s.Common.FreqMeter = FreqMeter::A1;
    s.Common.CH_A2 = false;
    s.FFT_A2.View = false;
}

void withoutD2(ScopeState& s) {
    if (s.Trigger.Source == TrigSource::D2)
        s.Trigger.Source.reset();
    if (s.Common.FreqMeter == FreqMeter::D2)
        s.Common.FreqMeter = FreqMeter::D1;
    else if (s.Common.FreqMeter == FreqMeter::D2_HF)
        s.Common.FreqMeter = FreqMeter::D1_HF;
    s.Common.CH_D2 = false;
}

bool memberPresent(std::int32_t code, GroupId id, int member) {
    if (member < 0)
        return false;
    const GroupDef& def = groupDef(id);
    return hasCapability(code,
                         def.capability | def.members[static_cast<std::size_t>(member)].capability);
}

} // namespace

void refillRadioGroups(ScopeState& state, const ScopeState& before) {
    const std::int32_t code = state.System.Device_Type_Code;
    const ScopeState defaults;
    for (const GroupDef& def : allGroups()) {
        if (def.kind != GroupKind::RadioMenu || !hasCapability(code, def.capability) ||
            groupSelection(state, def.id) >= 0)
            continue;
        for (const ScopeState* source : {&before, &defaults}) {
            const int member = groupSelection(*source, def.id);
            if (memberPresent(code, def.id, member)) {
                setGroupSelection(state, def.id, member);
                break;
            }
        }
    }
}

void applyVariantControls(ScopeState& state, PanelView& view) {
    VariantView& v = view.variant;
    v.a2Visible = state.has(kCapA2);
    v.d2Visible = state.has(kCapD2);
    v.generatorVisible = state.has(kCapGenerator);
    v.freqMeterVisible = state.has(kCapFreqMeter);
    v.longRecordsVisible = state.has(kCapLongRecords);
    v.triggerA = triggerRow(v.a2Visible, "A1", "A");
    v.triggerD = triggerRow(v.d2Visible, "D1", "D");

    if (!v.a2Visible)
        withoutA2(state);
    if (!v.d2Visible)
        withoutD2(state);
    if (!v.generatorVisible)
        state.Run.generatorOn = false;
    if (!v.longRecordsVisible &&
        (state.Common.Sampling == Sampling::N10000 || state.Common.Sampling == Sampling::N20000))
        state.Common.Sampling = Sampling::N5000;

    v.checkedDeviceItem = -1;
    for (std::size_t i = 0; i < kVariants.size(); ++i)
        if (kVariants[i].code == state.System.Device_Type_Code)
            v.checkedDeviceItem = static_cast<int>(i);
}

void applyServiceSwitches(ScopeState& state, PanelView& view) {
    const SystemSection& sys = state.System;
    ServiceView& v = view.service;
    v.tdcCalibrateVisible = sys.TDC_Clbr || state.serviceMode();
    v.deviceMenuVisible = state.serviceMode();
    v.deviceServiceItemsVisible = state.serviceMode();
    v.tPlusVisible = sys.Debug_qs;
    v.recorderVisible = sys.Debug_qs;
    v.amplitudeRange = amplRange(state);
    keepAmplInRange(state);
}

} // namespace qs40
