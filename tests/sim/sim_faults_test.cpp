// The simulated instrument's own faults (device text fault=...): their schedule, their times on
// SimD2xx's clock, and each one reaching the host as the link watchdog sees the real one, with
// the acquisition session driven as the window drives it (a watchdog tick every second, every
// box answered Yes).
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <string_view>
#include <thread>
#include <tuple>

#include "../integration/acquisition_harness.h"
#include "sim/fault_schedule.h"
#include "sim/sim_options.h"

namespace qs40::integration {
namespace {

using sim::FaultPlan;
using sim::FaultSchedule;
using sim::SimFault;
using sim::SimTime;

sim::SimOptions onManualClock(const std::string& text) {
    std::string error;
    auto options = sim::parseSimDeviceText(text, &error);
    EXPECT_TRUE(options) << error;
    if (!options)
        return manualClock();
    options->clock = sim::SimClock::Manual;
    return *options;
}

TEST(FaultSchedule, FaultsBeginAndEndInTurn) {
    FaultSchedule schedule(FaultPlan{{SimFault::Unplug, SimFault::PowerFailure}, 1s, 10s, 2s});
    EXPECT_FALSE(schedule.due(999ms));
    const std::tuple<SimTime, SimFault, bool> expected[] = {
        {1s, SimFault::Unplug, true},        {3s, SimFault::Unplug, false},
        {11s, SimFault::PowerFailure, true}, {13s, SimFault::PowerFailure, false},
        {21s, SimFault::Unplug, true},       {23s, SimFault::Unplug, false},
    };
    for (const auto& [at, fault, begins] : expected) {
        EXPECT_FALSE(schedule.due(at - 1ns));
        const auto event = schedule.due(at);
        ASSERT_TRUE(event);
        EXPECT_EQ(event->at, at);
        EXPECT_EQ(event->fault, fault);
        EXPECT_EQ(event->begins, begins);
        schedule.pass();
    }
}

TEST(FaultSchedule, OnceOrNever) {
    FaultSchedule once(FaultPlan{{SimFault::LostConfiguration}, 0s, 0s, 1s});
    ASSERT_TRUE(once.due(0s));
    EXPECT_TRUE(once.due(0s)->begins);
    once.pass();
    ASSERT_TRUE(once.due(1s));
    EXPECT_FALSE(once.due(1s)->begins);
    once.pass();
    EXPECT_FALSE(once.due(sim::kNever));

    EXPECT_FALSE(FaultSchedule{}.due(sim::kNever)) << "no faults asked for";
}

// The instrument (not the foreign device before it) leaves the bus and comes back at the
// schedule's times, also when one step of the clock passes several of them.
TEST(SimD2xxFaults, UnplugAndReplugFollowTheSimulatedClock) {
    sim::SimD2xx d2xx(
        onManualClock("sim:devices=foreign+zr40,pace=fast,fault=unplug,at=100ms,every=1s,"
                      "for=300ms"));
    const auto attached = [&] {
        std::uint32_t count = 0;
        EXPECT_EQ(d2xx.listDeviceCount(count), FT_OK);
        return count;
    };
    FtHandle handle = kNoHandle;
    ASSERT_EQ(d2xx.openByLocation(d2xx.location(1), handle), FT_OK);
    std::uint32_t rx = 0;

    d2xx.advance(99ms);
    EXPECT_EQ(attached(), 2u);
    EXPECT_EQ(d2xx.getQueueStatus(handle, rx), FT_OK);
    d2xx.advance(1ms);
    EXPECT_EQ(attached(), 1u);
    EXPECT_EQ(d2xx.getQueueStatus(handle, rx), FT_IO_ERROR) << "the handle lost its device";
    std::uint32_t location = 0;
    ASSERT_EQ(d2xx.listLocation(0, location), FT_OK);
    EXPECT_EQ(location, d2xx.location(0)) << "the foreign device stays";

    d2xx.advance(299ms);
    EXPECT_EQ(attached(), 1u);
    d2xx.advance(1ms);
    EXPECT_EQ(attached(), 2u);
    EXPECT_EQ(d2xx.getQueueStatus(handle, rx), FT_IO_ERROR) << "the old handle stays finished";
    ASSERT_EQ(d2xx.openByLocation(d2xx.location(1), handle), FT_OK);

    d2xx.advance(700ms); // 1.1 s: the second time
    EXPECT_EQ(attached(), 1u);
    d2xx.advance(5400ms); // 6.5 s, past four more, each over by then
    EXPECT_EQ(attached(), 2u);
    ASSERT_EQ(d2xx.openByLocation(d2xx.location(1), handle), FT_OK);
}

// What the host saw of one fault.
struct Seen {
    std::vector<std::string> boxes; // shown by the watchdog's tick half a second into it
    SecondCounters during;          // that tick's counters
};

// What the host has taken in once the instrument's packets about a fault have been read: the
// flag or the count that the watchdog's tick looks at. Nothing for a fault the tick finds by
// itself (the unplug, by its probe) or that leaves nothing to find (garbage).
std::function<bool()> faultTakenIn(Harness& h, std::string_view box) {
    if (box.ends_with("code 3"))
        return [&h] { return h.link.raised(LinkFault::PowerFailure); };
    if (box.ends_with("code 4"))
        return [&h] { return h.link.raised(LinkFault::FpgaConfigurationLost); };
    if (box.ends_with("code 5"))
        return [&h] { return h.link.checksumErrors.load() > 4; };
    return {};
}

// Gives the host's thread real time, with the instrument's clock held, until done() holds: the
// host reads on its own thread, however long the machine takes.
void settle(Harness& h, const std::function<bool()>& done) {
    for (int i = 0; done && !done() && i < 20000; ++i) {
        h.session.serve();
        std::this_thread::sleep_for(500us);
    }
}

// Runs the host through a fault that begins at `begins` and lasts a second, as the window would:
// a tick just before it begins, one half a second in (its boxes answered Yes; an
// apply-and-start when the instrument was opened again), one after it; then frames must come
// back, with nothing more to tell.
Seen goThroughFault(Harness& h, SimTime begins, const AcquisitionParams& p,
                    const std::function<bool()>& takenIn) {
    constexpr SimTime kStep = 10ms; // the pump's
    Seen seen;
    EXPECT_LT(h.d2xx.now(), begins - kStep) << "the fault comes once frames flow";
    EXPECT_TRUE(h.pumpUntil([&] { return h.d2xx.now() >= begins - kStep; }, kStep));
    const std::size_t shown = h.ui.boxes.size();
    h.tick();
    EXPECT_EQ(h.ui.boxes.size(), shown) << "nothing to tell before the fault";

    h.pumpFor(500ms, kStep);
    settle(h, takenIn);
    const WatchdogOutcome outcome = h.tick();
    for (std::size_t i = shown; i < h.ui.boxes.size(); ++i)
        seen.boxes.push_back(h.ui.boxes[i].text);
    seen.during = outcome.counters;
    EXPECT_FALSE(outcome.releaseButtons) << "every recovery found the instrument";
    if (outcome.applyAndStart)
        h.start(p);

    EXPECT_TRUE(h.pumpUntil([&] { return h.d2xx.now() >= begins + 1200ms; }));
    h.tick(); // the rest of the fault's second
    const std::uint32_t before = h.decoded();
    EXPECT_TRUE(h.pumpUntil([&] { return h.link.linkUp.load() && h.decoded() >= before + 2; }))
        << "frames come back";
    const std::size_t settled = h.ui.boxes.size();
    const WatchdogOutcome after = h.tick();
    EXPECT_EQ(h.ui.boxes.size(), settled) << "nothing more to tell";
    EXPECT_GT(after.counters.decoded, 0u);
    return seen;
}

struct FaultCase {
    const char* fault;
    const char* box; // the watchdog's, null for none
};

void PrintTo(const FaultCase& c, std::ostream* out) {
    *out << c.fault;
}

class SimulatedFault : public ::testing::TestWithParam<FaultCase> {};

TEST_P(SimulatedFault, ReachesTheHostAsTheWatchdogSeesIt) {
    const FaultCase& c = GetParam();
    Harness h(onManualClock(std::string("sim:at=3s,for=1s,fault=") + c.fault));
    ASSERT_TRUE(h.connect());
    const AcquisitionParams p = runParams(1000);
    h.start(p);
    ASSERT_TRUE(h.pumpUntil([&] { return h.decoded() >= 2; }));

    const Seen seen = goThroughFault(h, 3s, p, faultTakenIn(h, c.box ? c.box : ""));
    if (c.box == nullptr) {
        EXPECT_TRUE(seen.boxes.empty());
        EXPECT_GT(seen.during.decoded, 0u) << "frames go on through the noise";
        EXPECT_EQ(seen.during.checksumErrors, 0u);
    } else {
        ASSERT_EQ(seen.boxes.size(), 1u);
        EXPECT_EQ(seen.boxes[0], c.box);
    }
}

INSTANTIATE_TEST_SUITE_P(
    EachFault, SimulatedFault,
    ::testing::Values(FaultCase{"unplug", "Recover after USB connection lost.\r\nError code 1"},
                      FaultCase{"power", "Recover after Power failure.\r\nError code 3"},
                      FaultCase{"config", "Recover after FPGA configuration lost.\r\nError code 4"},
                      FaultCase{"checksum", "Unstable USB connection.\r\nError code 5"},
                      FaultCase{"garbage", nullptr}),
    [](const ::testing::TestParamInfo<FaultCase>& info) { return std::string(info.param.fault); });

// A soak in small: every fault in turn, one every four seconds, and the first again, each
// answered, frames back after each.
TEST(SimulatedFaults, RepeatedFaultsAreEachAnsweredAndFramesComeBack) {
    Harness h(onManualClock("sim:fault=unplug+power+config+checksum+garbage,at=3s,every=4s"));
    ASSERT_TRUE(h.connect());
    const AcquisitionParams p = runParams(1000);
    h.start(p);
    ASSERT_TRUE(h.pumpUntil([&] { return h.decoded() >= 2; }));
    const char* const expected[] = {
        "Recover after USB connection lost.\r\nError code 1",
        "Recover after Power failure.\r\nError code 3",
        "Recover after FPGA configuration lost.\r\nError code 4",
        "Unstable USB connection.\r\nError code 5",
        nullptr, // garbage asks nothing
        "Recover after USB connection lost.\r\nError code 1",
    };
    for (std::size_t k = 0; k < std::size(expected); ++k) {
        const Seen seen =
            goThroughFault(h, 3s + 4s * k, p, faultTakenIn(h, expected[k] ? expected[k] : ""));
        if (expected[k] == nullptr) {
            EXPECT_TRUE(seen.boxes.empty()) << "fault " << k;
        } else {
            ASSERT_EQ(seen.boxes.size(), 1u) << "fault " << k;
            EXPECT_EQ(seen.boxes[0], expected[k]) << "fault " << k;
        }
    }
}

} // namespace
} // namespace qs40::integration
