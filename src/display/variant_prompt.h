// The check of every drawn frame against the variant the interface is built for: a frame from
// another variant asks (after Run or Single) or announces (after opening a data file) that the
// interface will be rebuilt for it.
#pragma once

#include "display/info_readings.h"
#include "scope/scope_state.h"
#include "scope/ui_port.h"

#include <cstdint>
#include <functional>
#include <optional>

namespace qs40 {

struct VariantCheckFlags {
    bool askOnChange = false;    // set by Run or Single; cleared by No and by a variant choice
    bool announceChange = false; // set when a data file of another variant has been opened
};

// The GUI's short variant switch: save the configuration, take the code, re-check the variant
// menu, redo the layout and the captions, reload the configuration, take the code again and
// save. Afterwards Device_Type_Code must equal the code.
using RebuildInterface = std::function<void(std::int32_t code)>;

// Asks or announces through ui when the frame (a positive sample count) comes from a variant
// other than Device_Type_Code, and runs rebuild for it. Returns the code the interface was
// rebuilt for, if any. Without a rebuild function nothing is rebuilt, but the answer still
// clears the flags as it would.
std::optional<std::int32_t> checkFrameVariant(const ScopeState& state, const HeaderFields& frame,
                                              VariantCheckFlags& flags, Ui& ui,
                                              const RebuildInterface& rebuild);

enum class CalibrationCheck {
    NoInstrument, // refused with the "Device not found." box
    Ready,        // the interface is built for the instrument's variant (now)
};

// The check before a calibration dialog opens: without an instrument that has identified
// itself (instrumentCode empty) the calibration is refused with an error box; an instrument of
// another variant than Device_Type_Code is announced and the interface switched to it in full,
// since the calibration measures and stores what that variant has.
CalibrationCheck checkCalibrationVariant(const ScopeState& state,
                                         std::optional<std::int32_t> instrumentCode, Ui& ui,
                                         const RebuildInterface& fullSwitch);

} // namespace qs40
