// The frame decoder on frames built by hand: unpacking, placement by the circular-record
// pointers, peak-detect pairs, paired mode, roll streams, level statistics, the header copies,
// the trigger source and the rejection of tails that do not describe the record.
#include <gtest/gtest.h>

#include "device/acquisition/frame_decoder.h"
#include "synthetic_frame.h"

namespace qs40 {
namespace {

using test::BuiltFrame;
using test::entriesOf;
using test::FrameSpec;

class Decoder : public ::testing::Test {
protected:
    FrameDecoder decoder;
    FrameSets sets;
    DecodeInputs in;
    DecodedFrame out;

    Decoder() {
        in.snapshot.params.divider = 1;
        in.snapshot.params.triggerCount = 1;
        in.snapshot.params.thresholds = {120, 136, 120, 136};
    }
    DecodeResult decode(const FrameSpec& shape) {
        in.recordLength = shape.n;
        const BuiltFrame f = test::buildFrame(shape);
        return decoder.decode(f.received(), in, sets, &out);
    }
    std::int32_t field(int i) const { return sets.current->header[static_cast<std::size_t>(i)]; }
    const std::array<std::int32_t, kMaxSamples>& series(int i) const {
        return sets.current->series[static_cast<std::size_t>(i)];
    }
    // True when every series holds no sample from `from` on.
    bool emptyFrom(std::int32_t from) const {
        for (const auto& s : sets.current->series)
            for (std::int32_t j = from; j < kMaxSamples; ++j)
                if (s[static_cast<std::size_t>(j)] != kNoSample)
                    return false;
        return true;
    }
};

FrameSpec fourChannels() {
    FrameSpec s;
    s.entries[0] = entriesOf(s.n, [](int i) { return i % 251; });
    s.entries[1] = entriesOf(s.n, [](int i) { return (i * 7) % 253; });
    s.entries[2] = entriesOf(s.n, [](int i) { return (i / 3) % 2; });
    s.entries[3] = entriesOf(s.n, [](int i) { return (i / 5) % 2; });
    return s;
}

TEST_F(Decoder, FourChannelsArePlacedFromTheTriggerPointer) {
    FrameSpec s = fourChannels();
    s.pre = 100;
    s.post = 900;
    s.trigger = 300; // the trigger sample sits at entry 300 of the circular record
    ASSERT_EQ(decode(s), DecodeResult::Decoded);
    EXPECT_EQ(field(kHdrLength), 1000);
    EXPECT_EQ(field(kHdrTrigPos), 100);
    EXPECT_EQ(field(kHdrValid), 1000);
    EXPECT_EQ(field(kHdrRing), 1000);
    EXPECT_EQ(field(kHdrRoll), 0);
    EXPECT_EQ(field(kHdrPairs), 0);
    EXPECT_EQ(field(kHdrChannels), 0x0F);
    // Position j holds entry j + 200 (modulo 1000): entry 300 lands at position 100.
    for (int j = 0; j < 1000; ++j) {
        const auto e = static_cast<std::size_t>((j + 200) % 1000);
        for (int ch = 0; ch < 4; ++ch) {
            ASSERT_EQ(series(2 * ch)[static_cast<std::size_t>(j)], s.entries[ch][e])
                << "channel " << ch << " position " << j;
            ASSERT_EQ(series(2 * ch + 1)[static_cast<std::size_t>(j)], s.entries[ch][e]);
        }
    }
    EXPECT_TRUE(emptyFrom(1000));
}

TEST_F(Decoder, OneDigitalChannelTakesEveryBitOfItsBytes) {
    FrameSpec s;
    s.present = s.carried = test::kA2 | test::kD2;
    s.entries[1] = entriesOf(s.n, [](int i) { return 200 - i % 50; });
    s.entries[3] = entriesOf(s.n, [](int i) { return (i * i / 7) % 2; });
    s.trigger = s.pre;
    ASSERT_EQ(decode(s), DecodeResult::Decoded);
    EXPECT_EQ(field(kHdrChannels), 0x0A);
    for (int j = 0; j < 1000; ++j) {
        ASSERT_EQ(series(kA2First)[static_cast<std::size_t>(j)], s.entries[1][j]);
        ASSERT_EQ(series(kD2First)[static_cast<std::size_t>(j)], s.entries[3][j]);
        ASSERT_EQ(series(kA1First)[static_cast<std::size_t>(j)], kNoSample);
        ASSERT_EQ(series(kD1Second)[static_cast<std::size_t>(j)], kNoSample);
    }
}

TEST_F(Decoder, PeakDetectPairsHalveTheLengthsAndFillBothSeries) {
    FrameSpec s;
    s.n = 5000;
    s.present = s.carried = test::kA1;
    s.triggerFlags = 0x01;
    s.pre = 2500;
    s.post = 2500;
    s.trigger = 2500;
    s.entries[0] = entriesOf(
        5000, [](int e) { return e % 2 == 0 ? 10 + (e / 2) % 100 : 150 + (e / 2) % 100; });
    in.snapshot.params.triggerCount = 0;
    ASSERT_EQ(decode(s), DecodeResult::Decoded);
    EXPECT_EQ(field(kHdrLength), 2500);
    EXPECT_EQ(field(kHdrTrigPos), 1250);
    EXPECT_EQ(field(kHdrValid), 2500);
    EXPECT_EQ(field(kHdrPairs), 1);
    for (int j = 0; j < 2500; ++j) {
        ASSERT_EQ(series(kA1First)[static_cast<std::size_t>(j)], s.entries[0][2 * j]);
        ASSERT_EQ(series(kA1Second)[static_cast<std::size_t>(j)], s.entries[0][2 * j + 1]);
    }
    EXPECT_TRUE(emptyFrom(2500));
    EXPECT_EQ(field(kHdrPeakToPeakA1), 249 - 10);
    for (int f = kHdrFineA1; f <= kHdrFineD2; ++f)
        EXPECT_EQ(field(f), 0) << f; // no trigger source: the pair default
}

struct PairedCase {
    std::uint8_t present, routing, carried, mask;
};

class PairedMode : public Decoder, public ::testing::WithParamInterface<PairedCase> {};

// The frame header announces the enabled channels, but paired mode carries only the routed ones.
TEST_P(PairedMode, OnlyTheRoutedChannelsAreUnpacked) {
    const PairedCase c = GetParam();
    FrameSpec s = fourChannels();
    s.present = c.present;
    s.routing = c.routing;
    s.carried = c.carried;
    s.trigger = s.pre;
    ASSERT_EQ(decode(s), DecodeResult::Decoded);
    EXPECT_EQ(field(kHdrChannels), c.mask);
    for (int ch = 0; ch < 4; ++ch) {
        const bool shown = c.mask & (1 << ch);
        for (int j = 0; j < 1000; j += 37)
            ASSERT_EQ(series(2 * ch)[static_cast<std::size_t>(j)],
                      shown ? s.entries[ch][j] : kNoSample)
                << "channel " << ch << " position " << j;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Routing, PairedMode,
    ::testing::Values(PairedCase{0x03, 0x01, test::kA1, test::kA1}, // A1 alone, both announced
                      PairedCase{0x03, 0x03, test::kA2, test::kA2},
                      PairedCase{0x0F, 0x01, test::kA1 | test::kD1, test::kA1 | test::kD1},
                      PairedCase{0x0F, 0x07, test::kA2 | test::kD2, test::kA2 | test::kD2},
                      PairedCase{0x0C, 0x05, test::kD2, test::kD2}));

struct RollCase {
    const char* name;
    std::uint8_t streamFlags;
    bool lenta;
    std::int32_t valid, ring;
    std::int32_t shift; // position j holds entry j + shift (modulo L)
};

class RollStream : public Decoder, public ::testing::WithParamInterface<RollCase> {};

TEST_P(RollStream, ValidCountRingLengthAndPlacement) {
    const RollCase c = GetParam();
    FrameSpec s;
    s.n = 2000;
    s.present = s.carried = test::kA1;
    s.roll = true;
    s.streamFlags = c.streamFlags;
    s.pre = 0;
    s.post = 2000;
    s.trigger = 0;
    s.write = 700;
    s.entries[0] = entriesOf(2000, [](int i) { return 1 + i % 200; });
    in.snapshot.params.scrollDisplay = c.lenta;
    ASSERT_EQ(decode(s), DecodeResult::Decoded);
    EXPECT_EQ(field(kHdrRoll), 1);
    EXPECT_EQ(field(kHdrLength), 2000);
    EXPECT_EQ(field(kHdrValid), c.valid);
    EXPECT_EQ(field(kHdrRing), c.ring);
    for (int j = 0; j < c.valid; ++j)
        ASSERT_EQ(series(kA1First)[static_cast<std::size_t>(j)],
                  s.entries[0][static_cast<std::size_t>((j + c.shift) % 2000)])
            << j;
    EXPECT_TRUE(emptyFrom(c.valid));
}

INSTANTIATE_TEST_SUITE_P(Ring, RollStream,
                         ::testing::Values(RollCase{"filling", 0x05, false, 700, 700, 0},
                                           RollCase{"fillingScrolled", 0x05, true, 700, 700, 0},
                                           RollCase{"complete", 0x07, false, 2000, 700, 0},
                                           RollCase{"completeUnrolled", 0x07, true, 2000, 2000,
                                                    700}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Decoder, ARollFrameThatIsNoStreamUsesTheWholeRecord) {
    FrameSpec s;
    s.present = s.carried = test::kA1;
    s.roll = true;
    s.pre = 0;
    s.post = 1000;
    s.trigger = 0;
    s.write = 400;
    ASSERT_EQ(decode(s), DecodeResult::Decoded);
    EXPECT_EQ(field(kHdrValid), 1000);
    EXPECT_EQ(field(kHdrRing), 1000);
}

struct LevelCase {
    const char* name;
    int low, high; // A1 alternates between the two codes
    std::int32_t sum, peakToPeak;
};

class LevelStatistics : public Decoder, public ::testing::WithParamInterface<LevelCase> {};

TEST_P(LevelStatistics, SumAndPeakToPeakOfA1) {
    const LevelCase c = GetParam();
    FrameSpec s;
    s.present = s.carried = test::kA1;
    s.trigger = s.pre;
    s.entries[0] = entriesOf(1000, [&](int i) { return i % 2 ? c.high : c.low; });
    ASSERT_EQ(decode(s), DecodeResult::Decoded);
    EXPECT_EQ(field(kHdrLevelSumA1), c.sum);
    EXPECT_EQ(field(kHdrPeakToPeakA1), c.peakToPeak);
}

INSTANTIATE_TEST_SUITE_P(
    Codes, LevelStatistics,
    ::testing::Values(LevelCase{"flatAtZero", 0, 0, 0, -1},
                      LevelCase{"clippedAt254", 100, 254, (100 + 254) * 500, -1},
                      LevelCase{"clippedAt255", 100, 255, (100 + 255) * 500, -1},
                      LevelCase{"touchingOne", 1, 253, (1 + 253) * 500, 252},
                      LevelCase{"swing", 100, 150, 125000, 50}),
    [](const auto& info) { return std::string(info.param.name); });

// An absent channel has only no-sample entries: they are not summed (that would overflow).
TEST_F(Decoder, AnAbsentChannelHasNoLevelSumAndNoPeakToPeak) {
    FrameSpec s;
    s.present = s.carried = test::kA1;
    s.trigger = s.pre;
    s.entries[0] = entriesOf(1000, [](int) { return 128; });
    sets.current->header[kHdrLevelSumA2] = 777;
    ASSERT_EQ(decode(s), DecodeResult::Decoded);
    EXPECT_EQ(field(kHdrLevelSumA1), 128000);
    EXPECT_EQ(field(kHdrPeakToPeakA1), 0);
    EXPECT_EQ(field(kHdrLevelSumA2), 0);
    EXPECT_EQ(field(kHdrPeakToPeakA2), -1);
}

TEST_F(Decoder, LevelStatisticsCoverOnlyTheValidPositionsOfAFillingRing) {
    FrameSpec s;
    s.n = 2000;
    s.present = s.carried = test::kA1;
    s.roll = true;
    s.streamFlags = 0x05;
    s.pre = 0;
    s.post = 2000;
    s.trigger = 0;
    s.write = 500;
    s.entries[0] = entriesOf(2000, [](int i) { return i < 500 ? 60 + i % 2 : 0; });
    ASSERT_EQ(decode(s), DecodeResult::Decoded);
    EXPECT_EQ(field(kHdrLevelSumA1), (60 + 61) * 250);
    EXPECT_EQ(field(kHdrPeakToPeakA1), 1);
}

TEST_F(Decoder, HeaderCopiesTheParametersTheStatusAndTheTail) {
    in.snapshot.params.divider = 200;
    in.snapshot.params.voltsDivA1 = 1000000;
    in.snapshot.params.voltsDivA2 = 50000;
    in.snapshot.A1_Zero = 180;
    in.snapshot.A2_Zero = 70;
    in.snapshot.params.genFrequency = 123456;
    in.snapshot.params.genSecond = 789;
    in.freqRange = 3;
    in.freqCount1 = 101;
    in.freqCount2 = 10000012;
    in.freqTime = -42;
    sets.current->header[30] = 1234; // fields the decoder does not write stay
    FrameSpec s = fourChannels();
    s.variant = 0x3F;
    s.trigger = s.pre;
    ASSERT_EQ(decode(s), DecodeResult::Decoded);
    EXPECT_EQ(field(kHdrVariant), 0x3F);
    EXPECT_EQ(field(kHdrDivider), 200);
    EXPECT_EQ(field(kHdrVoltsDivA1), 1000000);
    EXPECT_EQ(field(kHdrZeroA1), 180);
    EXPECT_EQ(field(kHdrVoltsDivA2), 50000);
    EXPECT_EQ(field(kHdrZeroA2), 70);
    EXPECT_EQ(field(kHdrGenFrequency), 123456);
    EXPECT_EQ(field(kHdrGenSecond), 789);
    EXPECT_EQ(field(kHdrFmRange), 3);
    EXPECT_EQ(field(kHdrFmCount1), 101);
    EXPECT_EQ(field(kHdrFmCount2), 10000012);
    EXPECT_EQ(field(kHdrFmTime), -42);
    EXPECT_EQ(field(30), 1234);
    EXPECT_EQ(field(kHdrFrameCounter), 1);
    ASSERT_EQ(decode(s), DecodeResult::Decoded);
    EXPECT_EQ(field(kHdrFrameCounter), 2);
}

struct SourceCase {
    const char* name;
    std::uint8_t triggerCount, streamFlags, triggerFlags;
    double levA1, levA2;
    std::int32_t source, level; // level: field 12 afterwards (kept value 99 for none/digital)
};

class TriggerSource : public Decoder, public ::testing::WithParamInterface<SourceCase> {};

TEST_P(TriggerSource, SourceAndLevel) {
    const SourceCase c = GetParam();
    in.snapshot.params.triggerCount = c.triggerCount;
    in.snapshot.params.divider = 2; // no interpolation needed
    in.snapshot.Lev_A1 = c.levA1;
    in.snapshot.Lev_A2 = c.levA2;
    sets.current->header[kHdrTrigLevel] = 99;
    FrameSpec s = fourChannels();
    s.trigger = s.pre;
    s.streamFlags = c.streamFlags;
    s.triggerFlags = c.triggerFlags;
    ASSERT_EQ(decode(s), DecodeResult::Decoded);
    EXPECT_EQ(field(kHdrTrigSource), c.source);
    EXPECT_EQ(field(kHdrTrigLevel), c.level);
}

INSTANTIATE_TEST_SUITE_P(Sources, TriggerSource,
                         ::testing::Values(SourceCase{"countZero", 0, 0, 0x00, 150.0, 60.0, 0, 99},
                                           SourceCase{"noReference", 1, 0x04, 0x00, 150.0, 60.0, 0,
                                                      99},
                                           SourceCase{"a1", 1, 0, 0x00, 150.5, 60.0, 1, 151},
                                           SourceCase{"a2", 1, 0, 0x04, 150.0, 60.4, 2, 60},
                                           SourceCase{"d1", 1, 0, 0x02, 150.0, 60.0, 3, 99},
                                           SourceCase{"d2", 1, 0, 0x06, 150.0, 60.0, 4, 99},
                                           SourceCase{"levelAbove", 1, 0, 0x00, 300.0, 0.0, 1, 255},
                                           SourceCase{"levelBelow", 1, 0, 0x04, 0.0, -3.0, 2, 0}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Decoder, FineOffsetDefaultsToHalfASampleWithoutPairs) {
    in.snapshot.params.triggerCount = 0;
    FrameSpec s = fourChannels();
    s.trigger = s.pre;
    ASSERT_EQ(decode(s), DecodeResult::Decoded);
    for (int f = kHdrFineA1; f <= kHdrFineD2; ++f)
        EXPECT_EQ(field(f), 5) << f;
}

TEST_F(Decoder, ADigitalSourceSetsTheFirstTwoOffsetsFromItsTdcConstant) {
    in.tdc = {20, 21, 30, 22};
    FrameSpec s = fourChannels();
    s.trigger = s.pre;
    s.triggerFlags = 0x06; // D2, rising: constant 30 is out of range and 20 is used
    s.triggerTime = 2;
    s.tdcCount = 5 | 0xE0; // the upper bits are not part of the count
    ASSERT_EQ(decode(s), DecodeResult::Decoded);
    EXPECT_EQ(field(kHdrTrigSource), 4);
    EXPECT_EQ(field(kHdrFineA1), 28 + 5); // (2 + 1 - 5/20) x 10 = 27.5 -> 28, plus half a sample
    EXPECT_EQ(field(kHdrFineA2), 33);
    EXPECT_EQ(field(kHdrFineD1), 5);
    EXPECT_EQ(field(kHdrFineD2), 5);
    EXPECT_EQ(out.tdcCount, 5);
}

struct BadCase {
    const char* name;
    std::int32_t n;
    std::uint16_t pre, post, write, trigger;
    bool rollStream;
    std::uint8_t present, carried;
    DecodeResult result;
};

class BadTail : public Decoder, public ::testing::WithParamInterface<BadCase> {};

// A frame whose tail does not describe the record asked for is dropped whole: the current set
// stays as it was.
TEST_P(BadTail, IsRejectedAndLeavesTheCurrentSetAlone) {
    const BadCase c = GetParam();
    sets.current->header[kHdrLength] = 321;
    sets.current->header[kHdrFrameCounter] = 8;
    sets.current->series[kA1First][5] = 77;
    FrameSpec s;
    s.n = c.n;
    s.pre = c.pre;
    s.post = c.post;
    s.write = c.write;
    s.trigger = c.trigger;
    s.present = c.present;
    s.carried = c.carried;
    if (c.rollStream) {
        s.roll = true;
        s.streamFlags = 0x07;
        in.snapshot.params.scrollDisplay = true;
    }
    EXPECT_EQ(decode(s), c.result);
    if (c.result == DecodeResult::Decoded)
        return;
    EXPECT_EQ(field(kHdrLength), 321);
    EXPECT_EQ(field(kHdrFrameCounter), 8);
    EXPECT_EQ(series(kA1First)[5], 77);
}

INSTANTIATE_TEST_SUITE_P(
    Tails, BadTail,
    ::testing::Values(
        BadCase{"noRecord", 0, 0, 0, 0, 0, false, 0x01, 0x01, DecodeResult::BadRecordLength},
        BadCase{"recordTooLong", 40001, 0, 0, 0, 0, false, 0x01, 0x01,
                DecodeResult::BadRecordLength},
        BadCase{"lengthAboveTheArrays", 20000, 40000, 20000, 0, 0, false, 0x01, 0x01,
                DecodeResult::BadLength},
        BadCase{"lengthShorterThanTheRecord", 1000, 100, 800, 0, 100, false, 0x01, 0x01,
                DecodeResult::BadLength},
        BadCase{"emptyFrame", 1000, 0, 0, 0, 0, false, 0x01, 0x01, DecodeResult::BadLength},
        BadCase{"triggerPointerOutside", 1000, 100, 900, 0, 1000, false, 0x01, 0x01,
                DecodeResult::BadPointer},
        BadCase{"writePointerOutside", 1000, 0, 1000, 1000, 0, true, 0x01, 0x01,
                DecodeResult::BadPointer},
        BadCase{"unusedWritePointerIsIgnored", 1000, 100, 900, 60000, 100, false, 0x01, 0x01,
                DecodeResult::Decoded},
        BadCase{"fewerBytesThanThePresenceNeeds", 1000, 100, 900, 0, 100, false, 0x0F, 0x01,
                DecodeResult::ShortSamples}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace qs40
