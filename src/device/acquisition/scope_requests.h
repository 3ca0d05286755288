// The requests of the front panel's follow-up operations, as they reach the acquisition thread:
// every request first publishes the freshly computed parameters as a whole, so the thread never
// sees a set that the GUI is still writing.
#pragma once

#include "device/d2xx/event.h"
#include "device/link/link_state.h"
#include "device/acquisition/params_publisher.h"
#include "scope/acquisition_params.h"
#include "scope/scope_state.h"

namespace qs40 {

// The frequency-meter correction Time as the status packets take it with their counts.
void publishFreqMeterTime(const ScopeState& state, LinkState& link);

// The snapshot of what the acquisition thread reads from the GUI's parameters and state.
AcquisitionSnapshot snapshotOf(const AcquisitionParams& params, const ScopeState& state);

class ScopeRequests final : public AcquisitionRequests {
public:
    ScopeRequests(const AcquisitionParams& params, const ScopeState& state,
                  ParamsPublisher& publisher, LinkState& link, Event& wake)
        : params_(params), state_(state), publisher_(publisher), link_(link), wake_(wake) {}

    // Publishes (with the frequency-meter correction); raises the display request.
    void requestDisplay() override;
    // Publishes; takes running and single from the run state; raises the send request.
    void requestSendParameters() override;
    void wake() override { wake_.set(); }

private:
    void publish();

    const AcquisitionParams& params_;
    const ScopeState& state_;
    ParamsPublisher& publisher_;
    LinkState& link_;
    Event& wake_;
};

// The GUI's side of the end of a single shot: Single up, running and single off, and run bit 7
// cleared in its own parameters, as the acquisition thread already did in the published set.
void applySingleShotEnd(ScopeState& state, AcquisitionParams& params);

} // namespace qs40
