// End to end without a GUI: the USB link opens the simulated instrument, the acquisition thread
// loads the FPGA, sends the parameters and decodes the frames, and the watchdog reports and
// recovers the link faults.
#include <gtest/gtest.h>

#include <cmath>

#include "acquisition_harness.h"
#include "scope/arith.h"

namespace qs40::integration {
namespace {

TEST(Acquisition, RunGivesDecodedFramesThatDescribeWhatTheInstrumentSent) {
    Harness h;
    ASSERT_TRUE(h.connect());
    EXPECT_TRUE(h.link.identityReceived.load());
    EXPECT_EQ(h.link.report.get().featureWord, 31);
    EXPECT_FALSE(h.link.raised(LinkFault::FpgaConfigurationFailure));

    h.start(runParams(1000));
    ASSERT_TRUE(h.pumpUntil([&] { return h.drawnHeaders.size() >= 3; }));
    EXPECT_EQ(h.instrumentSettings().sequence, h.link.parameterSequence.load());
    EXPECT_EQ(h.link.linkStatus.load(), FT_OK);
    for (const auto& hdr : h.drawnHeaders) {
        EXPECT_EQ(hdr[kHdrVariant], 31);
        EXPECT_EQ(hdr[kHdrDivider], 1);
        EXPECT_EQ(hdr[kHdrLength], 1000);
        EXPECT_EQ(hdr[kHdrTrigPos], 100);
        EXPECT_EQ(hdr[kHdrValid], 1000);
        EXPECT_EQ(hdr[kHdrChannels], 0x0F);
        EXPECT_EQ(hdr[kHdrPairs], 0);
        EXPECT_EQ(hdr[kHdrTrigSource], 0); // free running
        EXPECT_EQ(hdr[kHdrVoltsDivA1], 1000000);
        EXPECT_GE(hdr[kHdrPeakToPeakA1], 0); // a present channel inside the code range
    }
    EXPECT_GE(h.drawnHeaders.back()[kHdrFrameCounter], 3);
    const WatchdogOutcome o = h.tick();
    EXPECT_GE(o.counters.decoded, 3u);
    EXPECT_GE(o.counters.drawn, 1u);
    EXPECT_EQ(o.counters.checksumErrors, 0u);
    EXPECT_TRUE(h.ui.boxes.empty());
    EXPECT_EQ(h.flags.framesRejected.load(), 0u);
}

TEST(Acquisition, SingleEndsByItself) {
    Harness h;
    ASSERT_TRUE(h.connect());
    h.start(runParams(1000), true);
    ASSERT_TRUE(h.pumpUntil([&] { return h.singleShotsEnded == 1; }));
    EXPECT_FALSE(h.link.running.load());
    EXPECT_FALSE(h.link.single.load());
    EXPECT_EQ(h.params.get().params.runBits & 0x80, 0);
    // The instrument is told to stop.
    ASSERT_TRUE(h.pumpUntil([&] { return !h.instrumentSettings().running(); }));
    const std::uint64_t sent = h.framesSent();
    h.pumpFor(200ms);
    EXPECT_EQ(h.framesSent(), sent);
    EXPECT_EQ(h.decoded(), 1u);
    EXPECT_EQ(h.singleShotsEnded, 1);
}

// The instrument never gets the new packet (the write is cut short), so it goes on sending
// frames with the previous sequence number: they pass their check byte and are dropped. The
// next packet that arrives brings decoded frames back.
TEST(Acquisition, FramesWithTheOldSequenceNumberAreDropped) {
    Harness h;
    ASSERT_TRUE(h.connect());
    AcquisitionParams p = runParams(1000);
    h.start(p);
    ASSERT_TRUE(h.pumpUntil([&] { return h.decoded() >= 2; }));

    h.d2xx.setWriteLimit(1);
    p.thresholds = {100, 110, 100, 110}; // same record, new sequence number
    h.start(p);
    ASSERT_TRUE(h.pumpUntil([&] { return !h.link.sendParametersRequest.load(); }));
    h.pumpFor(50ms);
    const std::uint32_t decodedBefore = h.decoded();
    const std::uint64_t sentBefore = h.framesSent();
    h.pumpFor(200ms);
    EXPECT_GE(h.framesSent(), sentBefore + 5);
    EXPECT_EQ(h.decoded(), decodedBefore);
    EXPECT_NE(h.instrumentSettings().sequence, h.link.parameterSequence.load());
    EXPECT_EQ(h.link.checksumErrors.load(), 0u);

    h.d2xx.setWriteLimit(0);
    h.start(p);
    ASSERT_TRUE(h.pumpUntil([&] { return h.decoded() >= decodedBefore + 2; }));
    EXPECT_EQ(h.instrumentSettings().sequence, h.link.parameterSequence.load());
}

TEST(Acquisition, PeakDetectionGivesPairs) {
    Harness h;
    ASSERT_TRUE(h.connect());
    AcquisitionParams p = runParams(5000);
    p.divider = 2;
    p.modeBits = 0x01;
    p.preTrigger = 500;
    p.postTrigger = 4500;
    h.start(p);
    ASSERT_TRUE(h.pumpUntil([&] { return !h.drawnHeaders.empty(); }));
    const auto& hdr = h.drawnHeaders.back();
    EXPECT_EQ(hdr[kHdrPairs], 1);
    EXPECT_EQ(hdr[kHdrLength], 2500);
    EXPECT_EQ(hdr[kHdrTrigPos], 250);
    EXPECT_EQ(hdr[kHdrValid], 2500);
    std::lock_guard lock(h.frames.mutex); // the current set, whichever frame it holds by now
    const FrameData& f = *h.frames.current;
    for (int j = 0; j < 2500; ++j) {
        ASSERT_NE(f.series[kA1First][static_cast<std::size_t>(j)], kNoSample);
        ASSERT_LE(f.series[kA1First][static_cast<std::size_t>(j)],
                  f.series[kA1Second][static_cast<std::size_t>(j)]);
    }
    EXPECT_EQ(f.series[kA1First][2500], kNoSample);
}

TEST(Acquisition, PairedModeCarriesOnlyTheRoutedChannels) {
    Harness h;
    ASSERT_TRUE(h.connect());
    AcquisitionParams p = runParams(20000);
    p.preTrigger = 2000;
    p.postTrigger = 18000;
    p.routingBits = 0x01; // A1 and D1
    h.start(p);
    ASSERT_TRUE(h.pumpUntil([&] { return !h.drawnHeaders.empty(); }));
    const auto& hdr = h.drawnHeaders.back();
    EXPECT_EQ(hdr[kHdrChannels], 0x05);
    EXPECT_EQ(hdr[kHdrLength], 20000);
    EXPECT_EQ(hdr[kHdrLevelSumA2], 0);
    EXPECT_EQ(hdr[kHdrPeakToPeakA2], -1);
    std::lock_guard lock(h.frames.mutex);
    const FrameData& f = *h.frames.current;
    EXPECT_NE(f.series[kA1First][19999], kNoSample);
    EXPECT_NE(f.series[kD1First][19999], kNoSample);
    EXPECT_EQ(f.series[kA2First][0], kNoSample);
    EXPECT_EQ(f.series[kD2First][0], kNoSample);
}

// A slow roll stream: the ring of 2000 samples at 100 us per sample fills in 0.2 s.
class RollStream : public ::testing::TestWithParam<bool> {};

TEST_P(RollStream, BeforeAndAfterTheRingIsComplete) {
    const bool lenta = GetParam();
    Harness h;
    ASSERT_TRUE(h.connect());
    AcquisitionParams p = runParams(2000);
    p.divider = 10000;
    p.modeBits = 0x08;
    p.rollBits = 3;
    p.roll = true;
    p.preTrigger = 0;
    p.postTrigger = 2000;
    p.scrollDisplay = lenta;
    h.start(p);
    ASSERT_TRUE(h.pumpUntil([&] { return !h.drawnHeaders.empty(); }, 5ms));
    const auto first = h.drawnHeaders.front();
    EXPECT_EQ(first[kHdrRoll], 1);
    EXPECT_LT(first[kHdrValid], 2000);
    EXPECT_EQ(first[kHdrValid], first[kHdrRing]);

    ASSERT_TRUE(h.pumpUntil([&] { return h.drawnHeaders.back()[kHdrValid] == 2000; }, 5ms));
    const auto complete = h.drawnHeaders.back();
    EXPECT_EQ(complete[kHdrLength], 2000);
    if (lenta)
        EXPECT_EQ(complete[kHdrRing], 2000);
    else
        EXPECT_LT(complete[kHdrRing], 2000); // the write position
    for (const auto& hdr : h.drawnHeaders)
        EXPECT_LE(hdr[kHdrValid], hdr[kHdrLength]);
}

INSTANTIATE_TEST_SUITE_P(ScrollDisplay, RollStream, ::testing::Bool());

// A D1 trigger: the offset comes from the TDC count. The instrument's stored D1 rising constant
// is 30, outside 12..27, so 20 is used; at the full sample rate the trigger time counter is 0.
TEST(Acquisition, DigitalTriggerUsesTheTdc) {
    sim::SimOptions o = manualClock();
    o.instrument.storedTdc = {30, 21, 20, 21};
    Harness h(o);
    ASSERT_TRUE(h.connect());
    AcquisitionParams p = runParams(1000);
    p.modeBits = 0x02; // D1, rising
    p.triggerCount = 1;
    h.start(p);
    ASSERT_TRUE(h.pumpUntil([&] { return h.drawnHeaders.size() >= 3; }));
    for (std::size_t i = 0; i < h.drawnHeaders.size(); ++i) {
        const auto& hdr = h.drawnHeaders[i];
        const int t = h.drawnTdcCounts[i];
        EXPECT_EQ(hdr[kHdrTrigSource], 3);
        EXPECT_EQ(hdr[kHdrFineA1], roundToInt32((1.0 - t / 20.0) * 10.0) + 5) << "count " << t;
        EXPECT_EQ(hdr[kHdrFineA2], hdr[kHdrFineA1]);
        EXPECT_EQ(hdr[kHdrFineD1], 5);
        EXPECT_EQ(hdr[kHdrFineD2], 5);
    }
}

// The instrument corrupts the check bytes of `errors` frames within one second (no status
// packet is due then).
class ChecksumErrors : public ::testing::TestWithParam<std::uint32_t> {};

TEST_P(ChecksumErrors, MoreThanFourInASecondGiveTheCode5Warning) {
    const std::uint32_t errors = GetParam();
    sim::SimOptions o = manualClock();
    o.instrument.statusPeriod = std::chrono::seconds(30);
    Harness h(o);
    ASSERT_TRUE(h.connect());
    h.start(runParams(1000));
    ASSERT_TRUE(h.pumpUntil([&] { return h.decoded() >= 2; }));
    h.tick();
    h.d2xx.withInstrument(0, [&](sim::Instrument& i) { i.corruptNextPackets(int(errors)); });
    ASSERT_TRUE(h.pumpUntil([&] { return h.link.checksumErrors.load() >= errors; }));
    const std::uint32_t decoded = h.decoded();
    ASSERT_TRUE(h.pumpUntil([&] { return h.decoded() >= decoded + 2; }));
    const WatchdogOutcome out = h.tick();
    EXPECT_EQ(out.counters.checksumErrors, errors);
    if (errors > 4) {
        ASSERT_EQ(h.ui.boxes.size(), 1u);
        EXPECT_EQ(h.ui.boxes[0].text, "Unstable USB connection.\r\nError code 5");
    } else {
        EXPECT_TRUE(h.ui.boxes.empty());
    }
    EXPECT_TRUE(h.link.linkUp.load());
}

INSTANTIATE_TEST_SUITE_P(InOneSecond, ChecksumErrors, ::testing::Values(4u, 5u));

// Restarts the acquisition as the front panel does after the watchdog's apply-and-start.
void restartAfterRecovery(Harness& h, const WatchdogOutcome& o, const AcquisitionParams& p) {
    ASSERT_TRUE(o.applyAndStart);
    ASSERT_FALSE(o.releaseButtons);
    h.start(p);
}

TEST(Acquisition, UnplugGivesFault1AndRecoveryBringsFramesBack) {
    Harness h;
    ASSERT_TRUE(h.connect());
    const AcquisitionParams p = runParams(1000);
    h.start(p);
    ASSERT_TRUE(h.pumpUntil([&] { return h.decoded() >= 2; }));

    h.d2xx.unplug(0);
    h.pumpFor(50ms);
    // The user plugs the instrument back in while the port reset pause runs.
    h.watchdog.setPause([&](std::chrono::milliseconds ms) {
        h.d2xx.replug(0);
        h.d2xx.advance(ms);
    });
    h.ui.answers = {BoxAnswer::Yes};
    const WatchdogOutcome o = h.tick();
    ASSERT_EQ(h.ui.boxes.size(), 1u);
    EXPECT_EQ(h.ui.boxes[0].text, "Recover after USB connection lost.\r\nError code 1");
    restartAfterRecovery(h, o, p);

    const std::uint32_t before = h.decoded();
    ASSERT_TRUE(h.pumpUntil([&] { return h.link.linkUp.load() && h.decoded() >= before + 2; }));
    EXPECT_FALSE(h.link.raised(LinkFault::FpgaConfigurationFailure));
    EXPECT_EQ(h.ui.boxes.size(), 1u);
}

TEST(Acquisition, PowerFailureIsFault3AndNoClosesTheInstrument) {
    Harness h;
    ASSERT_TRUE(h.connect());
    h.start(runParams(1000));
    ASSERT_TRUE(h.pumpUntil([&] { return h.decoded() >= 1; }));
    h.d2xx.withInstrument(0, [](sim::Instrument& i) { i.setPowerFailure(true); });
    ASSERT_TRUE(h.pumpUntil([&] { return h.link.raised(LinkFault::PowerFailure); }));
    h.ui.answers = {BoxAnswer::No};
    const WatchdogOutcome o = h.tick(true);
    ASSERT_EQ(h.ui.boxes.size(), 1u);
    EXPECT_EQ(h.ui.boxes[0].caption, "Предупреждение");
    EXPECT_EQ(h.ui.boxes[0].text, "Восстановление после сбоя питания устройства.\r\nКод ошибки 3");
    EXPECT_TRUE(o.releaseButtons);
    EXPECT_FALSE(o.applyAndStart);
    EXPECT_FALSE(h.link.linkUp.load());
    // The handle is closed under the thread: it gets statuses and goes on waiting.
    std::uint32_t queued = 0;
    EXPECT_EQ(h.d2xx.getQueueStatus(h.usb.handle(), queued), FT_INVALID_HANDLE);
    h.pumpFor(100ms);
    EXPECT_FALSE(h.session.threadLeftLoop());
}

TEST(Acquisition, LostConfigurationIsFault4AndRecoveryLoadsTheFpgaAgain) {
    Harness h;
    ASSERT_TRUE(h.connect());
    const AcquisitionParams p = runParams(1000);
    h.start(p);
    ASSERT_TRUE(h.pumpUntil([&] { return h.decoded() >= 1; }));
    h.d2xx.withInstrument(0, [](sim::Instrument& i) { i.loseConfiguration(); });
    ASSERT_TRUE(h.pumpUntil([&] { return h.link.raised(LinkFault::FpgaConfigurationLost); }));
    h.ui.answers = {BoxAnswer::Yes};
    const WatchdogOutcome o = h.tick();
    ASSERT_EQ(h.ui.boxes.size(), 1u);
    EXPECT_EQ(h.ui.boxes[0].text, "Recover after FPGA configuration lost.\r\nError code 4");
    restartAfterRecovery(h, o, p);
    const std::uint32_t before = h.decoded();
    ASSERT_TRUE(h.pumpUntil([&] { return h.link.linkUp.load() && h.decoded() >= before + 2; }));
    std::uint64_t images = 0;
    h.d2xx.withInstrument(0, [&](sim::Instrument& i) { images = i.stats().images; });
    EXPECT_EQ(images, 2u);
}

TEST(Acquisition, AFailedFpgaLoadIsFault2) {
    // An image the instrument never completes: it never reports the configuration mark.
    Harness h(manualClock(), std::vector<std::uint8_t>(1000, 0x5A));
    ASSERT_EQ(h.usb.open(), FT_OK);
    h.link.configureRequest = true;
    h.startThread();
    h.wake.set();
    ASSERT_TRUE(h.pumpUntil([&] { return h.link.raised(LinkFault::FpgaConfigurationFailure); }));
    EXPECT_FALSE(h.link.linkUp.load());
    EXPECT_TRUE(h.link.identityReceived.load());
    h.ui.answers = {BoxAnswer::No};
    const WatchdogOutcome o = h.tick();
    ASSERT_EQ(h.ui.boxes.size(), 1u);
    EXPECT_EQ(h.ui.boxes[0].text, "Recover after FPGA configuration failure.\r\nError code 2");
    EXPECT_TRUE(o.releaseButtons);
}

} // namespace
} // namespace qs40::integration
