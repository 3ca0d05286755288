// The background oscillogram's two commands: the swap with the current frame and the clear.
// Both work on the frame sets under their lock, so the levels and the swap flag that the
// drawing reads change together with the frames they belong to.
#pragma once

#include "scope/frame.h"
#include "scope/scope_state.h"

#include <optional>

namespace qs40 {

// Exchanges the current frame and the background with their trigger levels, zero levels and
// data-file names, and toggles the swap flag. An empty side first takes the other side's
// levels and name. Returns the new current frame's valid count; nothing when neither side
// holds a frame (nothing changes then).
std::optional<int> swapBackground(FrameSets& frames, ScopeState& state);

// Empties the background, marks its data-file name invalid and clears the swap flag.
void clearBackground(FrameSets& frames, ScopeState& state);

// The background's levels, read or replaced under the lock.
BackgroundLevels backgroundLevels(FrameSets& frames);
void setBackgroundLevels(FrameSets& frames, const BackgroundLevels& levels);

} // namespace qs40
