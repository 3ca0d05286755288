// A calibration's passes over the acquisition session. A pass ends as failed when the link
// faults, or is re-opened or recovered while it runs (the instrument may then have measured with
// other settings, or be another instrument), and when no frame comes within the time-out.
#pragma once

#include "device/acquisition/acquisition_session.h"
#include "scope/calibration_pass.h"

#include <chrono>
#include <functional>

namespace qs40 {

struct CalibrationPassSetup {
    // Between looks on the owner's thread (the GUI's messages; the command line's serving).
    std::function<void()> idle;
    // The user's cancel; polled while a pass waits.
    std::function<bool()> cancelled;
    // A pass without the frames it needs fails after this long.
    std::chrono::milliseconds timeout{std::chrono::hours(24)};
};

class SessionCalibrationPasses final : public CalibrationPasses {
public:
    SessionCalibrationPasses(AcquisitionSession& session, CalibrationPassSetup setup)
        : session_(session), setup_(std::move(setup)) {}

    PassOutcome run(const AcquisitionParams& params, const PassFrameHandler& onFrame) override;

    // Why the last pass failed: the link (a fault, a re-open or a recovery) or the time-out.
    bool linkFailed() const { return linkFailed_; }
    bool timedOut() const { return timedOut_; }

private:
    bool linkTroubled(std::uint32_t loadsBefore) const;

    AcquisitionSession& session_;
    CalibrationPassSetup setup_;
    bool linkFailed_ = false;
    bool timedOut_ = false;
};

} // namespace qs40
