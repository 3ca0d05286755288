// The main window's caption: the variant the interface is built for, in service mode the program
// version and the instrument's own variant, then the data files (or frame counters) of the
// current frame and the background oscillogram.
#pragma once

#include "display/info_readings.h"
#include "scope/scope_state.h"

#include <string>

namespace qs40 {

// current and background are the two frame headers; a header whose sample count (field 6) is
// not positive holds no frame.
std::string windowCaption(const ScopeState& state, const HeaderFields& current,
                          const HeaderFields& background);

} // namespace qs40
