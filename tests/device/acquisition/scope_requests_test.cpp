// The front panel's requests as they reach the acquisition thread: the parameters are published
// as a whole before each request, with the run state; and the GUI's side of a single shot's end.
#include <gtest/gtest.h>

#include "device/acquisition/scope_requests.h"

namespace qs40 {
namespace {

TEST(ScopeRequests, EachRequestPublishesTheWholeSetFirst) {
    AcquisitionParams params;
    ScopeState state;
    ParamsPublisher publisher;
    LinkState link;
    Event wake;
    ScopeRequests requests(params, state, publisher, link, wake);

    params.recordLength = 5000;
    params.divider = 200;
    state.Scope.A1_Zero = 170;
    state.Trigger.Lev_A2 = 80.5;
    requests.requestDisplay();
    AcquisitionSnapshot s = publisher.get();
    EXPECT_EQ(s.params.recordLength, 5000);
    EXPECT_EQ(s.params.divider, 200u);
    EXPECT_EQ(s.A1_Zero, 170);
    EXPECT_EQ(s.Lev_A2, 80.5);
    EXPECT_TRUE(link.displayRequest.load());
    EXPECT_FALSE(link.sendParametersRequest.load());
    EXPECT_FALSE(link.running.load());

    params.recordLength = 10000;
    state.Run.running = true;
    state.Run.single = true;
    requests.requestSendParameters();
    EXPECT_EQ(publisher.get().params.recordLength, 10000);
    EXPECT_TRUE(link.running.load());
    EXPECT_TRUE(link.single.load());
    EXPECT_TRUE(link.sendParametersRequest.load());

    EXPECT_FALSE(wake.isSet());
    requests.wake();
    EXPECT_TRUE(wake.isSet());
}

// The frequency-meter correction reaches the status packets' latch with every request, so a
// stored or freshly moved correction is used from the next packet on.
TEST(ScopeRequests, EachRequestPublishesTheFrequencyMeterCorrection) {
    struct Case {
        const char* name;
        void (ScopeRequests::*request)();
        std::int32_t time;
    };
    const Case cases[] = {
        {"display", &ScopeRequests::requestDisplay, 63},
        {"send", &ScopeRequests::requestSendParameters, -250},
        {"send, back to none", &ScopeRequests::requestSendParameters, 0},
    };
    AcquisitionParams params;
    ScopeState state;
    ParamsPublisher publisher;
    LinkState link;
    Event wake;
    ScopeRequests requests(params, state, publisher, link, wake);
    link.freqMeterTime.store(17);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        state.Calibrate.Time = c.time;
        (requests.*c.request)();
        EXPECT_EQ(link.freqMeterTime.load(), c.time);
    }
}

TEST(ScopeRequests, TheEndOfASingleShotPutsSingleUpAndStopsTheRun) {
    ScopeState state;
    AcquisitionParams params;
    state.Run.snglDown = true;
    state.Run.running = true;
    state.Run.single = true;
    params.runBits = 0x8F;
    applySingleShotEnd(state, params);
    EXPECT_FALSE(state.Run.snglDown);
    EXPECT_FALSE(state.Run.running);
    EXPECT_FALSE(state.Run.single);
    EXPECT_EQ(params.runBits, 0x0F);
}

} // namespace
} // namespace qs40
