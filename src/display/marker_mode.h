// The markers mode the menu items select: 0 none, 1 one cross, 2 two crosses.
#pragma once

#include "scope/scope_state.h"

namespace qs40 {

inline int markersMode(const ScopeState& state) {
    return state.Common.Markers_2 ? 2 : state.Common.Markers_1 ? 1 : 0;
}

} // namespace qs40
