#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "host_capture.h"
#include "host_decode.h"
#include "sim/instrument.h"

namespace qs40::sim {
namespace {

using namespace std::chrono_literals;
using test::command;
using test::fpgaLoad;
using test::runParams;

// Inputs that never change: A1 at 0 V, A2 at +1 V, D1 high, D2 low.
struct ConstantSignals : InputSignals {
    double analog(int ch, double) const override { return ch == 0 ? 0.0 : 1.0; }
    bool digital(int ch, double) const override { return ch == 0; }
    double frequency(int) const override { return 0.0; }
};

class InstrumentTest : public ::testing::Test {
protected:
    static InstrumentConfig unpaced() {
        InstrumentConfig c;
        c.bytesPerSecond = 0;
        c.adcNoiseCodes = 0; // exact codes
        return c;
    }
    explicit InstrumentTest(std::shared_ptr<const InputSignals> signals = nullptr)
        : inst(unpaced(), std::move(signals)) {}

    Instrument inst;
    test::HostCapture host;
    SimTime t{0};

    void at(SimTime when) {
        t = when;
        inst.advance(t);
        host.drain(inst, t);
    }
    void send(const std::vector<std::uint8_t>& bytes) {
        inst.receive(bytes, t);
        host.drain(inst, t);
    }
    void configure() { send(fpgaLoad(kFpgaImageSize)); }
    void run(const AcquisitionParams& p, std::uint8_t sequence) {
        host.parser.setFrameGeometry(p.recordLength, p.routingBits & 0x01);
        send(command(buildParameterPacket(p, sequence, std::nullopt)));
    }
};

TEST_F(InstrumentTest, ReportsStatusEvery100MsAndTheMarkOnceConfigured) {
    at(350ms);
    ASSERT_EQ(host.statuses.size(), 4u); // at 0, 100, 200 and 300 ms
    for (const auto& s : host.statuses) {
        EXPECT_EQ(s.configurationMark, 0);
        EXPECT_EQ(s.powerState, 0);
        EXPECT_EQ(s.firmwareVersion, 103);
        EXPECT_EQ(s.featureWord, 31);
        EXPECT_EQ(s.serialNumber, 0x12345u);
        EXPECT_EQ(s.serialPrefix, 0x4003);
        EXPECT_EQ(s.tdc, (TdcConstants{20, 21, 20, 21}));
        EXPECT_EQ(supplyVoltage(s.supplyMonitor), 500);
    }
    configure();
    ASSERT_EQ(host.statuses.size(), 5u); // answered at once
    EXPECT_EQ(host.statuses.back().configurationMark, kConfiguredMark);
    EXPECT_EQ(host.statuses.back().fpgaVersion, 102);
    EXPECT_TRUE(inst.configured());
    EXPECT_EQ(inst.stats().images, 1u);
}

TEST_F(InstrumentTest, SendsFramesAtTheFrameIntervalEchoingTheSequence) {
    configure();
    const AcquisitionParams p = runParams(1000, 10);
    run(p, 7);
    at(100ms);
    ASSERT_EQ(host.frames.size(), 10u);
    for (const auto& f : host.frames) {
        EXPECT_EQ(f.header, 0x8F);
        EXPECT_EQ(f.samples.size(), 2500u);
        EXPECT_EQ(f.tail[tail_field::kSequence], 7);
        EXPECT_EQ(f.tail16(tail_field::kPreLength), 100);
        EXPECT_EQ(f.tail16(tail_field::kPostLength), 900);
        EXPECT_EQ(f.tail[tail_field::kDataPresent], 0x0F);
        EXPECT_EQ(f.tail16(tail_field::kVariantCode), 31);
        EXPECT_EQ(f.tail[tail_field::kStreamFlags], 0x04); // free running: no trigger reference
        // The write pointer follows the post-trigger samples around the ring.
        EXPECT_EQ(f.tail16(tail_field::kWritePointer),
                  (f.tail16(tail_field::kTriggerPointer) + 900) % 1000);
    }
    AcquisitionParams stop = p;
    stop.runBits = 0x0F;
    run(stop, 8);
    at(300ms);
    EXPECT_EQ(host.frames.size(), 10u);
    EXPECT_EQ(host.parser.counters().frameChecksumErrors, 0u);
}

TEST_F(InstrumentTest, NothingIsSentBeforeTheFpgaIsLoaded) {
    run(runParams(), 1);
    at(500ms);
    EXPECT_TRUE(host.frames.empty());
}

TEST_F(InstrumentTest, AbandonedImageLeavesTheFpgaUnconfigured) {
    std::vector<std::uint8_t> partial = fpgaLoad(kFpgaImageSize);
    partial.resize(partial.size() / 2);
    send(partial);
    run(runParams(), 1); // the marker abandons the image
    at(200ms);
    EXPECT_FALSE(inst.configured());
    EXPECT_EQ(inst.stats().commandErrors, 1u);
    EXPECT_EQ(host.statuses.back().configurationMark, 0);
}

class ConstantInputs : public InstrumentTest {
protected:
    ConstantInputs() : InstrumentTest(std::make_shared<ConstantSignals>()) {}
};

TEST_F(ConstantInputs, SampleBytesInterleaveChannelsAndPackDigitalNibbles) {
    configure();
    AcquisitionParams p = runParams(8, 10);
    run(p, 1);
    at(10ms);
    ASSERT_EQ(host.frames.size(), 1u);
    const auto& s = host.frames[0].samples;
    ASSERT_EQ(s.size(), 8u + 8u + 2u + 2u);
    const std::uint8_t a1 = s[0], a2 = s[1];
    EXPECT_GT(a2, a1 + 20); // 1 V at 1 V/div is 32 codes above the zero level
    // Per two samples: A1 A2 A1 A2 then D1 D2 D1 D2 as bits 3..0 (D1 high, D2 low).
    const std::vector<std::uint8_t> group{a1, a2, a1, a2, 0x0A};
    for (std::size_t i = 0; i < s.size(); i += 5)
        EXPECT_EQ(std::vector<std::uint8_t>(s.begin() + i, s.begin() + i + 5), group) << i;
}

TEST_F(ConstantInputs, PairedModeCarriesTheRoutedChannelsInHalfTheLength) {
    configure();
    AcquisitionParams p = runParams(8, 10);
    p.routingBits = 0x03; // paired, analog channel A2, digital channel D1
    run(p, 1);
    at(10ms);
    ASSERT_EQ(host.frames.size(), 1u);
    const auto& f = host.frames[0];
    EXPECT_EQ(f.tail[tail_field::kRouting], 0x03);
    ASSERT_EQ(f.samples.size(), 10u); // (8 + 8 + 2 + 2) / 2
    const std::uint8_t a2 = f.samples[0];
    EXPECT_EQ(f.samples, (std::vector<std::uint8_t>{a2, a2, a2, a2, 0x0F, a2, a2, a2, a2, 0x0F}));
}

TEST_F(ConstantInputs, AnalogTriggerThatNeverComesStopsFramesUnlessAuto) {
    configure();
    AcquisitionParams p = runParams(100, 10);
    p.triggerCount = 1;
    p.thresholds = {10, 12, 10, 12}; // the input never goes below 10
    run(p, 1);
    at(200ms);
    EXPECT_TRUE(host.frames.empty());
    p.modeBits = 0x20; // auto
    run(p, 2);
    at(400ms);
    ASSERT_FALSE(host.frames.empty());
    EXPECT_EQ(host.frames.back().tail[tail_field::kStreamFlags], 0x04);
}

TEST_F(InstrumentTest, TriggersOnTheRequestedEdgeOfA1) {
    configure();
    for (const bool falling : {false, true}) {
        AcquisitionParams p = runParams(1000, 10);
        p.runBits = 0x81; // A1 only: the sample bytes are the A1 series
        p.divider = 100;  // 1 us per sample: two periods of the 1 kHz sine
        p.preTrigger = 500;
        p.postTrigger = 500;
        p.triggerCount = 1;
        p.modeBits = falling ? 0x10 : 0x00;
        const std::uint8_t lower = 130, upper = 150;
        p.thresholds = {lower, upper, 0, 0};
        host.frames.clear();
        run(p, falling ? 2 : 1);
        at(t + 50ms);
        ASSERT_FALSE(host.frames.empty()) << falling;
        const auto& f = host.frames.back();
        EXPECT_EQ(f.tail[tail_field::kStreamFlags], 0) << falling;
        EXPECT_EQ(f.tail[tail_field::kTriggerFlags], falling ? 0x10 : 0x00);
        // Placed by the pointers, the trigger position holds the last sample before the
        // crossing and the next one is past it.
        const test::PlacedFrame placed = test::placeFrame(f, 1000);
        const auto& a1 = placed.first[0];
        if (falling) {
            EXPECT_GE(a1[500], lower);
            EXPECT_LT(a1[501], lower);
            EXPECT_GT(*std::max_element(a1.begin() + 250, a1.begin() + 500), upper);
            EXPECT_GE(f.tail[tail_field::kBeforeCrossing], lower);
            EXPECT_LT(f.tail[tail_field::kAfterCrossing], lower);
        } else {
            EXPECT_LE(a1[500], upper);
            EXPECT_GT(a1[501], upper);
            EXPECT_LT(*std::min_element(a1.begin() + 250, a1.begin() + 500), lower);
            EXPECT_LE(f.tail[tail_field::kBeforeCrossing], upper);
            EXPECT_GT(f.tail[tail_field::kAfterCrossing], upper);
        }
        EXPECT_LT(readLe32(&f.tail[tail_field::kTriggerTime]), 100u); // within one sample
    }
}

TEST_F(InstrumentTest, RollStreamMovesTheWritePointerUntilTheRingIsFull) {
    configure();
    AcquisitionParams p = runParams(1000, 40);
    p.divider = 100000; // 1 ms per sample: the ring of 1000 fills in one second
    p.preTrigger = 0;
    p.postTrigger = 1000;
    p.rollBits = 3;
    p.modeBits = 0x08;
    run(p, 3);
    const SimTime started = t;
    at(started + 400ms);
    ASSERT_FALSE(host.frames.empty());
    const auto& early = host.frames.back();
    EXPECT_EQ(early.tail[tail_field::kStreamFlags], 0x05); // stream, not complete
    EXPECT_EQ(early.tail[tail_field::kRoll], 1);
    EXPECT_NEAR(early.tail16(tail_field::kWritePointer), 400, 1);
    at(started + 1520ms);
    const auto& late = host.frames.back();
    EXPECT_EQ(late.tail[tail_field::kStreamFlags], 0x07); // complete
    EXPECT_NEAR(late.tail16(tail_field::kWritePointer), 520, 1);
}

TEST_F(InstrumentTest, PeakDetectSendsOrderedPairs) {
    configure();
    AcquisitionParams p = runParams(1000, 10);
    p.runBits = 0x81;
    p.divider = 20;
    p.modeBits = 0x01;
    run(p, 1);
    at(t + 20ms);
    ASSERT_FALSE(host.frames.empty());
    const auto& f = host.frames.back();
    EXPECT_EQ(f.tail[tail_field::kTriggerFlags] & 0x01, 0x01);
    for (std::size_t i = 0; i < f.samples.size(); i += 2)
        ASSERT_LE(f.samples[i], f.samples[i + 1]) << i;
}

TEST_F(InstrumentTest, FrequencyMeterCountsOverA100MsGate) {
    configure();
    AcquisitionParams p = runParams();
    p.freqMeterInput = 1; // A1: 1 kHz
    run(p, 1);
    at(t + 100ms);
    const StatusReport& s = host.statuses.back();
    EXPECT_EQ(s.freqRange, 1);
    EXPECT_EQ(s.freqCount1, 101u);
    EXPECT_EQ(s.freqCount2, 10000120u); // 0.1 s of a reference 12 ppm fast

    p.freqMeterInput = 5; // D1 high-frequency input (a 10 kHz clock): divided by eight
    run(p, 2);
    at(t + 100ms);
    EXPECT_EQ(host.statuses.back().freqCount1, 126u);
    EXPECT_EQ(host.statuses.back().freqCount2, 10000120u);
}

TEST_F(InstrumentTest, TdcBlockIsStoredAndReported) {
    configure();
    send(command(buildParameterPacket(runParams(), 1, TdcConstants{14, 15, 16, 17})));
    at(t + 100ms);
    EXPECT_EQ(host.statuses.back().tdc, (TdcConstants{14, 15, 16, 17}));
}

TEST_F(InstrumentTest, PowerFailureAndLostConfigurationShowInTheStatusAndStopFrames) {
    configure();
    run(runParams(), 1);
    at(t + 50ms);
    const std::size_t before = host.frames.size();
    inst.setPowerFailure(true);
    at(t + 200ms);
    EXPECT_EQ(host.statuses.back().powerState, kPowerFailureState);
    const std::size_t during = host.frames.size();
    EXPECT_EQ(during, before); // none while the power is off
    inst.setPowerFailure(false);
    inst.loseConfiguration();
    at(t + 200ms);
    EXPECT_EQ(host.statuses.back().configurationMark, 0);
    EXPECT_EQ(host.frames.size(), during);
}

TEST_F(InstrumentTest, FramesResumeAfterAPowerFailureWithoutABurst) {
    configure();
    run(runParams(1000, 10), 1);
    inst.setPowerFailure(true);
    at(t + 5s);
    const std::size_t before = host.frames.size();
    inst.setPowerFailure(false);
    at(t + 100ms);
    // One per frame interval from the moment the power returns (the one armed at 100 ms is
    // still being recorded), none of the 500 that fell due while it was off.
    EXPECT_EQ(host.frames.size() - before, 10u);
}

TEST_F(InstrumentTest, OutputStopsGrowingWhenTheHostNeverReads) {
    configure();
    run(runParams(5000, 10), 1);
    for (int i = 0; i < 100; ++i)
        inst.advance(t += 100ms); // ten seconds of frames and statuses, nothing taken
    EXPECT_LT(inst.readable(t), (1u << 20) + 20000u);
}

TEST_F(InstrumentTest, CorruptedCheckBytesAndGarbage) {
    configure();
    run(runParams(1000, 10), 1);
    inst.corruptNextPackets(3);
    inst.setGarbageBetweenPackets(40);
    at(t + 300ms);
    const auto& c = host.parser.counters();
    EXPECT_EQ(c.frameChecksumErrors + c.statusChecksumErrors, 3u);
    EXPECT_EQ(c.frames + c.frameChecksumErrors, inst.stats().frames);
    EXPECT_EQ(c.statusPackets + c.statusChecksumErrors, inst.stats().statusPackets);
}

TEST_F(InstrumentTest, MalformedCommandsAreCountedAndIgnored) {
    std::vector<std::uint8_t> bad = command(buildParameterPacket(runParams(), 1, std::nullopt));
    bad[10] ^= 0x01; // wrong check
    send(bad);
    send({kCommandMarker, 0x03, 0x00, 0x1F});       // not a nibble
    send({kCommandMarker, 0x01, 0x00, 0x00, 0x00}); // length below 2
    EXPECT_EQ(inst.stats().commandErrors, 3u);
    EXPECT_EQ(inst.stats().commands, 0u);
}

TEST_F(InstrumentTest, ParameterPacketLandsInTheSettingsFieldByField) {
    AcquisitionParams p = runParams(5000, 40);
    p.modeBits = 0x37;
    p.routingBits = 0x07;
    p.divider = 123456;
    p.preTrigger = 2500;
    p.postTrigger = 2500;
    p.thresholds = {1, 2, 3, 4};
    p.triggerCount = 9;
    p.rollBits = 3;
    p.freqMeterInput = 6;
    p.inputA1 = 0x1C;
    p.inputA2 = 0x11;
    p.offsetA1 = 1552;
    p.offsetA2 = 4000;
    p.genMode = 0x2B;
    p.genAmplitude = 501;
    send(command(buildParameterPacket(p, 0xC3, std::nullopt)));
    const InstrumentSettings s = inst.settings();
    EXPECT_EQ(s.modeBits, 0x37);
    EXPECT_EQ(s.routingBits, 0x07);
    EXPECT_EQ(s.divider, 123456u);
    EXPECT_EQ(s.recordLength(), 5000);
    EXPECT_EQ(s.thresholds, (std::array<std::uint8_t, 4>{1, 2, 3, 4}));
    EXPECT_EQ(s.triggerCount, 9);
    EXPECT_EQ(s.runBits, 0x8F);
    EXPECT_EQ(s.rollBits, 3);
    EXPECT_EQ(s.freqMeterInput, 6);
    EXPECT_EQ(s.sequence, 0xC3);
    EXPECT_EQ(s.inputA1, 0x1C);
    EXPECT_EQ(s.inputA2, 0x11);
    EXPECT_EQ(s.offsetA1, 1552);
    EXPECT_EQ(s.offsetA2, 4000);
    EXPECT_EQ(s.frameIntervalMs, 40);
    EXPECT_EQ(s.generator[0], 0x2B);
    EXPECT_EQ(s.generator[12], 501 >> 2);
    EXPECT_EQ(inst.stats().commands, 1u);
}

} // namespace
} // namespace qs40::sim
