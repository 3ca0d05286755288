// What a calibration needs from the instrument: runs of a parameter set of its own, each fed
// with the frames decoded for it, and a status that the dialogs and the command line show.
#pragma once

#include "scope/acquisition_params.h"
#include "scope/frame.h"

#include <cstdint>
#include <functional>
#include <string>

namespace qs40 {

enum class PassOutcome {
    Done,      // the frame handler had what it needed
    Cancelled, // the user cancelled: no message
    Failed,    // the link was lost, re-opened or recovered, or the frames did not come
};

// One decoded frame of a pass and the TDC count of its tail.
using PassFrameHandler = std::function<bool(const FrameData& frame, std::uint8_t tdcCount)>;

class CalibrationPasses {
public:
    virtual ~CalibrationPasses() = default;
    // Runs the instrument with `params` as they are (running, not single) and hands every frame
    // decoded with them to onFrame until it returns true.
    virtual PassOutcome run(const AcquisitionParams& params, const PassFrameHandler& onFrame) = 0;
};

enum class CalibrationPhase { Ready, Measuring, Done, Failed };

// What a calibration dialog shows.
struct CalibrationStatus {
    CalibrationPhase phase = CalibrationPhase::Ready;
    int progress = 0;
    int maximum = 0;
    std::string info;
    std::string result; // the result label (TDC), the coefficients label (zero, service mode)
    bool startEnabled() const {
        return phase == CalibrationPhase::Ready || phase == CalibrationPhase::Done ||
               (phase == CalibrationPhase::Failed && startAfterFailure);
    }
    bool okEnabled() const { return phase == CalibrationPhase::Done; }
    bool startAfterFailure = false; // a failed zero calibration may start again, a TDC one not
};

using CalibrationObserver = std::function<void(const CalibrationStatus&)>;

} // namespace qs40
