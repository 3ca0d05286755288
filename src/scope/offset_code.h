// The offset DAC code that puts a channel's zero level where the user wants it.
#pragma once

#include "scope/scope_state.h"

#include <cstdint>

namespace qs40 {

inline constexpr std::int32_t kNeutralOffsetCode = 2048;

// Channel 1 or 2 and that channel's volts per division before the probe factor (microvolts).
// Uses the channel's zero-level coefficients and zero level. Equal coefficients, a channel
// other than 1 and 2 or a volts/div value that is not positive give the neutral code 2048;
// a result beyond the 32-bit range saturates.
std::int32_t offsetCode(const ScopeState& state, int channel, std::int32_t voltsDivUv);

} // namespace qs40
