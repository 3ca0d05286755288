#include "device/acquisition/calibration_passes.h"

namespace qs40 {

bool SessionCalibrationPasses::linkTroubled(std::uint32_t loadsBefore) const {
    const LinkState& link = session_.link();
    for (const auto& fault : link.faults)
        if (fault.load())
            return true;
    // A recovery or a re-open takes the link down before it loads the FPGA again.
    return !link.linkUp.load() || !session_.isOpen() ||
           session_.flags().fpgaLoads.load() != loadsBefore;
}

PassOutcome SessionCalibrationPasses::run(const AcquisitionParams& params,
                                          const PassFrameHandler& onFrame) {
    linkFailed_ = false;
    timedOut_ = false;
    const std::uint32_t loadsBefore = session_.flags().fpgaLoads.load();
    if (linkTroubled(loadsBefore)) {
        linkFailed_ = true;
        return PassOutcome::Failed;
    }

    PassRequest pass;
    // The zero and trigger levels go into the frame headers as the panel has them.
    pass.snapshot = session_.publisher().get();
    pass.snapshot.params = params;
    AcquisitionFlags& flags = session_.flags();
    pass.onFrame = [&](const FrameData& frame) {
        return onFrame(frame, flags.lastTdcCount.load());
    };
    bool userCancelled = false;
    pass.cancelled = [&] {
        if (setup_.cancelled && setup_.cancelled()) {
            userCancelled = true;
            return true;
        }
        if (linkTroubled(loadsBefore)) {
            linkFailed_ = true;
            return true;
        }
        return false;
    };
    pass.idle = setup_.idle;
    pass.timeout = setup_.timeout;

    const PassResult r = session_.runPass(pass);
    if (userCancelled)
        return PassOutcome::Cancelled;
    if (r.interrupted)
        linkFailed_ = true;
    if (r.end == PassEnd::TimedOut)
        timedOut_ = true;
    return r.end == PassEnd::Done && !r.interrupted ? PassOutcome::Done : PassOutcome::Failed;
}

} // namespace qs40
