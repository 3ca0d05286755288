#include "device/acquisition/scope_requests.h"

namespace qs40 {

namespace {
constexpr std::uint8_t kRunBit = 0x80;
}

AcquisitionSnapshot snapshotOf(const AcquisitionParams& params, const ScopeState& state) {
    AcquisitionSnapshot s;
    s.params = params;
    s.A1_Zero = state.Scope.A1_Zero;
    s.A2_Zero = state.Scope.A2_Zero;
    s.Lev_A1 = state.Trigger.Lev_A1;
    s.Lev_A2 = state.Trigger.Lev_A2;
    return s;
}

void publishFreqMeterTime(const ScopeState& state, LinkState& link) {
    link.freqMeterTime.store(state.Calibrate.Time);
}

void ScopeRequests::publish() {
    publisher_.publish(snapshotOf(params_, state_));
    // The status packets latch it with their counts, so a reading and its correction match.
    publishFreqMeterTime(state_, link_);
}

void ScopeRequests::requestDisplay() {
    publish();
    link_.displayRequest.store(true);
}

void ScopeRequests::requestSendParameters() {
    publish();
    link_.running.store(state_.Run.running);
    link_.single.store(state_.Run.single);
    link_.sendParametersRequest.store(true);
}

void applySingleShotEnd(ScopeState& state, AcquisitionParams& params) {
    state.Run.snglDown = false;
    state.Run.running = false;
    state.Run.single = false;
    params.runBits = static_cast<std::uint8_t>(params.runBits & ~kRunBit);
}

} // namespace qs40
