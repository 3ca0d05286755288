// The host's protocol against the simulated instrument through SimD2xx, on a manual clock: the
// two 200 ms pauses of the FPGA load move simulated time instead of sleeping.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <thread>

#include "device/d2xx/event.h"
#include "device/link/fpga_image.h"
#include "device/link/protocol_session.h"
#include "host_capture.h"
#include "host_decode.h"
#include "sim/sim_d2xx.h"

namespace qs40::sim {
namespace {

using namespace std::chrono_literals;

struct Frames : FrameHandler {
    std::vector<test::CapturedFrame> got;
    void onFrame(const ReceivedFrame& f) override {
        got.push_back({f.header, {f.samples.begin(), f.samples.end()}, f.tail});
    }
};

class EndToEnd : public ::testing::Test {
protected:
    static SimOptions options() {
        SimOptions o;
        o.clock = SimClock::Manual;
        o.instrument.variantCode = 63;
        return o; // real byte pace on the simulated clock
    }
    SimD2xx d2xx{options()};
    LinkState link;
    Frames frames;
    ProtocolSession session{d2xx, link, &frames};
    FtHandle handle = kNoHandle;

    void SetUp() override {
        ASSERT_EQ(d2xx.openByLocation(d2xx.location(0), handle), FT_OK);
        session.setHandle(handle);
        session.setPause([this](std::chrono::milliseconds ms) { d2xx.advance(ms); });
    }
    // Lets simulated time pass in 10 ms steps, reading as the acquisition thread would.
    void runFor(std::chrono::milliseconds total) {
        for (auto t = 0ms; t < total; t += 10ms) {
            d2xx.advance(10ms);
            ASSERT_EQ(session.receiveStep(), FT_OK);
        }
    }
    void connect() {
        ASSERT_EQ(session.configureFpga(placeholderFpgaImage()), FT_OK);
        ASSERT_TRUE(link.linkUp.load());
    }
};

TEST_F(EndToEnd, FpgaLoadBringsTheLinkUpWithTheInstrumentsReport) {
    session.configureFpga(placeholderFpgaImage());
    EXPECT_TRUE(link.linkUp.load());
    EXPECT_FALSE(link.raised(LinkFault::FpgaConfigurationFailure));
    EXPECT_TRUE(link.identityReceived.load());
    EXPECT_TRUE(link.displayRequest.load());
    const InstrumentReport r = link.report.get();
    EXPECT_TRUE(r.versionsValid);
    EXPECT_EQ(r.featureWord, 63);
    EXPECT_EQ(r.fpgaVersion, 102);
    EXPECT_EQ(r.firmwareVersion, 103);
    EXPECT_EQ(r.vcc, 500);
}

TEST_F(EndToEnd, ShortWritesDuringTheUploadStillConfigure) {
    d2xx.setWriteLimit(700);
    connect();
}

TEST_F(EndToEnd, RunningParametersBringFramesWithTheSequenceLengthsAndTail) {
    connect();
    link.running = true;
    AcquisitionParams p = test::runParams(5000, 40);
    p.routingBits = 0x00;
    ASSERT_EQ(session.sendParameters(p), FT_OK);
    const std::uint8_t seq = link.parameterSequence.load();
    runFor(500ms);
    ASSERT_GE(frames.got.size(), 5u);
    for (const auto& f : frames.got) {
        EXPECT_EQ(f.header, 0x8F);
        EXPECT_EQ(f.samples.size(), 12500u);
        EXPECT_EQ(f.tail[tail_field::kSequence], seq);
        EXPECT_EQ(f.tail16(tail_field::kPreLength), 500);
        EXPECT_EQ(f.tail16(tail_field::kPostLength), 4500);
        EXPECT_EQ(f.tail16(tail_field::kVariantCode), 63);
        EXPECT_EQ(f.tail[tail_field::kDataPresent], 0x0F);
    }
    EXPECT_EQ(link.checksumErrors.load(), 0u);
    // Frequency meter values are kept while running.
    EXPECT_EQ(link.report.get().freqCount1, 101u);

    // Paired mode: half the bytes, new sequence number.
    frames.got.clear();
    p.recordLength = 20000;
    p.preTrigger = 2000;
    p.postTrigger = 18000;
    p.routingBits = 0x01;
    session.sendParameters(p);
    runFor(1000ms);
    ASSERT_FALSE(frames.got.empty());
    const std::uint8_t paired = link.parameterSequence.load();
    EXPECT_EQ(frames.got.back().tail[tail_field::kSequence], paired);
    EXPECT_EQ(frames.got.back().samples.size(), 25000u); // (20000 x 2 + 5000 x 2) / 2
    EXPECT_EQ(frames.got.back().tail[tail_field::kRouting], 0x01);
    EXPECT_EQ(link.checksumErrors.load(), 0u);
}

TEST_F(EndToEnd, CorruptedFramesAreCountedAsChecksumErrors) {
    connect();
    link.running = true;
    session.sendParameters(test::runParams(1000, 10));
    // Corrupted from just after a status packet: the next one is 100 ms away, so the four
    // packets corrupted are frames (about 14 ms each on the line).
    auto statusPackets = [this] {
        std::uint64_t n = 0;
        d2xx.withInstrument(0, [&](Instrument& i) { n = i.stats().statusPackets; });
        return n;
    };
    const std::uint64_t before = statusPackets();
    for (int ms = 0; ms < 200 && statusPackets() == before; ++ms) {
        d2xx.advance(1ms);
        ASSERT_EQ(session.receiveStep(), FT_OK);
    }
    ASSERT_GT(statusPackets(), before);
    d2xx.withInstrument(0, [](Instrument& i) { i.corruptNextPackets(4); });
    runFor(300ms);
    EXPECT_EQ(link.checksumErrors.load(), 4u);
    EXPECT_FALSE(frames.got.empty());
}

TEST_F(EndToEnd, PowerFailureAndLostConfigurationRaiseTheirFaults) {
    connect();
    d2xx.withInstrument(0, [](Instrument& i) { i.setPowerFailure(true); });
    runFor(200ms);
    EXPECT_TRUE(link.raised(LinkFault::PowerFailure));
    EXPECT_FALSE(link.raised(LinkFault::FpgaConfigurationLost));
    d2xx.withInstrument(0, [](Instrument& i) {
        i.setPowerFailure(false);
        i.loseConfiguration();
    });
    runFor(200ms);
    EXPECT_TRUE(link.raised(LinkFault::FpgaConfigurationLost));
}

TEST_F(EndToEnd, UnplugMakesTheReceiveStepFail) {
    connect();
    d2xx.unplug(0);
    d2xx.advance(100ms);
    EXPECT_NE(session.receiveStep(), FT_OK);
    std::uint32_t n = 0;
    EXPECT_NE(d2xx.getQueueStatus(handle, n), FT_OK); // the link probe sees it
}

// The acquisition thread's loop on the realtime clock at the real byte rate, while the GUI
// thread probes the link and finally closes the handle under it.
TEST(EndToEndThreads, AcquisitionLoopAgainstTheRealtimeInstrument) {
    SimOptions o;
    SimD2xx d2xx(o);
    LinkState link;
    Frames frames;
    ProtocolSession session(d2xx, link, &frames);
    FtHandle handle = kNoHandle;
    ASSERT_EQ(d2xx.openByLocation(d2xx.location(0), handle), FT_OK);
    d2xx.setTimeouts(handle, 500, 500);
    Event wake;
    d2xx.setEventNotification(handle, FT_EVENT_RXCHAR, &wake);
    session.setHandle(handle);

    std::atomic<bool> stop{false};
    std::atomic<int> frameCount{0};
    std::atomic<FtStatus> lastStatus{FT_OK};
    struct Counter : FrameHandler {
        std::atomic<int>* n;
        void onFrame(const ReceivedFrame&) override { ++*n; }
    } counter;
    counter.n = &frameCount;
    session.setFrameHandler(&counter);
    link.running = true;

    std::thread acquisition([&] {
        session.configureFpga(placeholderFpgaImage());
        session.sendParameters(test::runParams(1000, 10));
        while (!stop) {
            wake.wait(20ms);
            wake.reset();
            const FtStatus s = session.receiveStep();
            lastStatus = s;
            if (s != FT_OK)
                break;
        }
    });
    std::uint32_t n = 0;
    for (int i = 0; i < 400 && frameCount < 5; ++i) {
        EXPECT_EQ(d2xx.getQueueStatus(handle, n), FT_OK); // the watchdog's probe
        std::this_thread::sleep_for(5ms);
    }
    EXPECT_TRUE(link.linkUp.load());
    EXPECT_GE(frameCount.load(), 5);
    d2xx.close(handle);
    acquisition.join();
    EXPECT_EQ(lastStatus.load(), FT_INVALID_HANDLE);
}

// A scenario from the device text on the realtime clock: the ticker thread acquires while the
// host's thread reads and decodes.
TEST(EndToEndThreads, DeviceTextScenarioReachesTheHostOnTheRealtimeClock) {
    const auto options = parseSimDeviceText("sim:pace=fast,a1=square:5k:1,d1=clock:20k:0.25");
    ASSERT_TRUE(options);
    SimD2xx d2xx(*options);
    LinkState link;
    ProtocolSession session(d2xx, link, nullptr);
    FtHandle handle = kNoHandle;
    ASSERT_EQ(d2xx.openByLocation(d2xx.location(0), handle), FT_OK);
    d2xx.setTimeouts(handle, 500, 500);
    session.setHandle(handle);
    Frames frames;
    session.setFrameHandler(&frames);
    link.running = true;
    AcquisitionParams p = test::runParams(1000, 10);
    p.divider = 100; // 1 us per sample: five periods of A1
    std::thread acquisition([&] {
        session.configureFpga(placeholderFpgaImage());
        session.sendParameters(p);
        for (int i = 0; i < 1000 && frames.got.size() < 3; ++i) {
            std::this_thread::sleep_for(2ms);
            if (session.receiveStep() != FT_OK)
                break;
        }
    });
    acquisition.join();
    d2xx.close(handle);
    ASSERT_GE(frames.got.size(), 3u);
    const test::PlacedFrame placed = test::placeFrame(frames.got.back(), 1000);
    const auto [lo, hi] = std::minmax_element(placed.first[0].begin(), placed.first[0].end());
    EXPECT_NEAR(*hi - *lo, 64, 2); // 1 V either side at 1 V/div
    const auto highs = std::count(placed.first[2].begin(), placed.first[2].end(), 1);
    EXPECT_NEAR(static_cast<double>(highs), 250, 10);
}

} // namespace
} // namespace qs40::sim
