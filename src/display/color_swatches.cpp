#include "display/color_swatches.h"

namespace qs40 {

ColorSwatches colorSwatches(const ScopeState& state, ColorRef buttonFace) {
    const ColorsSection& c = state.Colors;
    ColorSwatches s;
    s.timeDiv = c.Grid_Frame;
    s.a1 = state.Common.CH_A1 ? c.CH_A1 : buttonFace;
    s.a2 = state.Common.CH_A2 ? c.CH_A2 : buttonFace;
    s.trigger = buttonFace;
    if (state.Trigger.Source) {
        switch (*state.Trigger.Source) {
        case TrigSource::A1:
            s.trigger = c.CH_A1;
            break;
        case TrigSource::A2:
            s.trigger = c.CH_A2;
            break;
        case TrigSource::D1:
            s.trigger = c.CH_D1;
            break;
        case TrigSource::D2:
            s.trigger = c.CH_D2;
            break;
        }
    }
    return s;
}

} // namespace qs40
