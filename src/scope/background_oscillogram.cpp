#include "scope/background_oscillogram.h"

#include <mutex>
#include <utility>

namespace qs40 {

std::optional<int> swapBackground(FrameSets& frames, ScopeState& state) {
    const std::lock_guard lock(frames.mutex);
    FrameData& main = *frames.current;
    FrameData& behind = *frames.background;
    const bool mainEmpty = main.header[kHdrLength] == 0;
    const bool behindEmpty = behind.header[kHdrLength] == 0;
    if (mainEmpty && behindEmpty)
        return std::nullopt;

    TriggerSection& trig = state.Trigger;
    ScopeSection& scope = state.Scope;
    SessionState& files = state.Session;
    BackgroundLevels& levels = frames.backgroundLevels;
    if (behindEmpty) {
        levels = {trig.Lev_A1, trig.Lev_A2, scope.A1_Zero, scope.A2_Zero};
        files.background = files.current;
    }
    if (mainEmpty) {
        trig.Lev_A1 = levels.Lev_A1;
        trig.Lev_A2 = levels.Lev_A2;
        scope.A1_Zero = levels.A1_Zero;
        scope.A2_Zero = levels.A2_Zero;
        files.current = files.background;
    }
    std::swap(frames.current, frames.background);
    std::swap(trig.Lev_A1, levels.Lev_A1);
    std::swap(trig.Lev_A2, levels.Lev_A2);
    std::swap(scope.A1_Zero, levels.A1_Zero);
    std::swap(scope.A2_Zero, levels.A2_Zero);
    std::swap(files.current, files.background);
    frames.swapped = !frames.swapped;
    return frames.current->header[kHdrValid];
}

void clearBackground(FrameSets& frames, ScopeState& state) {
    const std::lock_guard lock(frames.mutex);
    frames.background->reset();
    frames.swapped = false;
    state.Session.background.valid = false;
}

BackgroundLevels backgroundLevels(FrameSets& frames) {
    const std::lock_guard lock(frames.mutex);
    return frames.backgroundLevels;
}

void setBackgroundLevels(FrameSets& frames, const BackgroundLevels& levels) {
    const std::lock_guard lock(frames.mutex);
    frames.backgroundLevels = levels;
}

} // namespace qs40
