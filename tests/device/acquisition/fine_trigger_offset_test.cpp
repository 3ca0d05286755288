// The fine trigger offset: the interpolated crossing at divider 1, the crossing fraction above
// it, and the TDC count for digital sources with the 12..27 rule for the constants.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "device/acquisition/fine_trigger_offset.h"
#include "display/sinc_interpolator.h"
#include "scope/frame.h"

namespace qs40 {
namespace {

constexpr int kLength = 200;
constexpr int kPre = 100;

// A ramp through the trigger sample: `slope` codes per sample, 128 at the trigger position.
std::vector<std::int32_t> ramp(int slope) {
    std::vector<std::int32_t> s(kLength);
    for (int i = 0; i < kLength; ++i)
        s[static_cast<std::size_t>(i)] = std::clamp(128 + (i - kPre) * slope, 0, 250);
    return s;
}

FineOffsetInputs analogAtFullRate(const std::vector<std::int32_t>& series, bool falling) {
    FineOffsetInputs in;
    in.source = 1;
    in.falling = falling;
    in.divider = 1;
    in.thresholds = {125, 131, 0, 255};
    in.series = series;
    in.pre = kPre;
    in.length = kLength;
    return in;
}

TEST(FineTriggerOffset, AtFullRateTheInterpolatedCrossingIsSearchedInTenths) {
    const auto rising = ramp(10);
    const std::int32_t t = fineTriggerOffset(analogAtFullRate(rising, false));
    // The first tenth at which the interpolation is above the upper threshold.
    int expected = 10;
    for (int k = 0; k <= 9 && expected == 10; ++k)
        if (sincInterpolate(rising, kPre, k, kLength) > 131)
            expected = k;
    EXPECT_EQ(t, expected);
    EXPECT_EQ(t, 4); // the ramp interpolates to 128 + 1 per tenth: 132 is the first above 131

    const auto falling = ramp(-10);
    const std::int32_t f = fineTriggerOffset(analogAtFullRate(falling, true));
    EXPECT_EQ(f, 4); // 128 - 1 per tenth: 124 is the first below 125
}

TEST(FineTriggerOffset, AtFullRateNoCrossingGivesTen) {
    const std::vector<std::int32_t> flat(kLength, 128);
    EXPECT_EQ(fineTriggerOffset(analogAtFullRate(flat, false)), 10);
    EXPECT_EQ(fineTriggerOffset(analogAtFullRate(flat, true)), 10);
    // Entries without a sample never count as a crossing.
    const std::vector<std::int32_t> empty(kLength, kNoSample);
    EXPECT_EQ(fineTriggerOffset(analogAtFullRate(empty, false)), 10);
}

struct FractionCase {
    const char* name;
    int source;
    bool falling;
    std::uint32_t divider, triggerTime;
    std::uint8_t before, after;
    std::int32_t offset;
};

class CrossingFraction : public ::testing::TestWithParam<FractionCase> {};

TEST_P(CrossingFraction, GivesTheOffset) {
    const FractionCase c = GetParam();
    FineOffsetInputs in;
    in.source = c.source;
    in.falling = c.falling;
    in.divider = c.divider;
    in.triggerTime = c.triggerTime;
    in.before = c.before;
    in.after = c.after;
    in.thresholds = {126, 130, 100, 110};
    EXPECT_EQ(fineTriggerOffset(in), c.offset);
}

INSTANTIATE_TEST_SUITE_P(Cases, CrossingFraction,
                         ::testing::Values(
                             // (3 + (130 - 100) / 40) x 10 / 4 = 9.375
                             FractionCase{"rising", 1, false, 4, 3, 100, 140, 9},
                             // (3 + (140 - 126) / 40) x 10 / 4 = 8.375
                             FractionCase{"falling", 1, true, 4, 3, 140, 100, 8},
                             // equal codes: no fraction; 1 x 10 / 4 = 2.5 rounds away from zero
                             FractionCase{"equalCodes", 1, false, 4, 1, 100, 100, 3},
                             // A2 uses its own thresholds: (0 + (110 - 100) / 20) x 10 / 2 = 2.5
                             FractionCase{"secondChannel", 2, false, 2, 0, 100, 120, 3}),
                         [](const auto& info) { return std::string(info.param.name); });

struct TdcCase {
    const char* name;
    int source;
    bool falling, pairs;
    std::uint32_t divider, triggerTime;
    std::uint8_t count;
    TdcConstants tdc;
    std::int32_t offset;
};

class TdcOffset : public ::testing::TestWithParam<TdcCase> {};

TEST_P(TdcOffset, GivesTheOffset) {
    const TdcCase c = GetParam();
    FineOffsetInputs in;
    in.source = c.source;
    in.falling = c.falling;
    in.pairs = c.pairs;
    in.divider = c.divider;
    in.triggerTime = c.triggerTime;
    in.tdcCount = c.count;
    in.tdc = c.tdc;
    EXPECT_EQ(fineTriggerOffset(in), c.offset);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TdcOffset,
    ::testing::Values(
        // (2 + 1 - 5/20) x 10 = 27.5 -> 28, plus 5 without pairs
        TdcCase{"d1Rising", 3, false, false, 1, 2, 5, {20, 12, 30, 11}, 33},
        // (2 + 1 - 5/12) x 10 = 25.83 -> 26, plus 5
        TdcCase{"d1FallingUsesItsOwnConstant", 3, true, false, 1, 2, 5, {20, 12, 30, 11}, 31},
        TdcCase{"constant30IsReplacedBy20", 4, false, false, 1, 2, 5, {20, 12, 30, 11}, 33},
        TdcCase{"constant11IsReplacedBy20", 4, true, false, 1, 2, 5, {20, 12, 30, 11}, 33},
        TdcCase{"constant27IsKept", 3, false, false, 1, 2, 27, {27, 0, 0, 0}, 25},
        // (4 + 1 - 10/20) x 10 / 2 = 22.5 -> 23; pairs: no half sample
        TdcCase{"pairsAtDivider2", 3, false, true, 2, 4, 10, {20, 20, 20, 20}, 23},
        TdcCase{"countHasFiveBits", 3, false, false, 1, 2, 0x25, {20, 20, 20, 20}, 33}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FineTriggerOffset, UsableTdcConstantRange) {
    EXPECT_EQ(usableTdcConstant(11), 20);
    EXPECT_EQ(usableTdcConstant(12), 12);
    EXPECT_EQ(usableTdcConstant(27), 27);
    EXPECT_EQ(usableTdcConstant(28), 20);
    EXPECT_EQ(usableTdcConstant(30), 20);
}

} // namespace
} // namespace qs40
