// The generator's share of the parameter computation: frequency, sweep span and pulse times
// from the bars and the range, the amplitude, the mode byte and the three generator words.
#pragma once

#include "scope/acquisition_params.h"
#include "scope/scope_state.h"

namespace qs40 {

// Reads the post-trigger count from params, so it runs after the acquisition part. In pulse
// mode the frequency and second value keep the values of the last computation outside it.
void setGeneratorParameters(const ScopeState& state, AcquisitionParams& params);

} // namespace qs40
