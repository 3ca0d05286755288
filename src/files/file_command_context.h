// What a file command of the File menu works on.
#pragma once

#include "scope/frame.h"
#include "scope/scope_state.h"
#include "scope/ui_port.h"

namespace qs40 {

struct FileCommandContext {
    Ui& ui;
    ScopeState& state; // language, variant, working folder and current data-file name
    FrameSets& frames; // the current set is read and written under frames.mutex
};

} // namespace qs40
