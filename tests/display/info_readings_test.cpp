#include "display/info_readings.h"

#include <gtest/gtest.h>

#include <climits>

namespace qs40 {
namespace {

HeaderFields frameWith(std::initializer_list<std::pair<HeaderField, std::int32_t>> fields) {
    HeaderFields h{};
    for (const auto& [f, v] : fields)
        h[f] = v;
    return h;
}

TEST(FreqMeterReading, CountsEventPeriodsOverTheGateWithCalibration) {
    struct Case {
        std::int32_t source, events, gate, calibration;
        std::optional<double> hz;
    };
    const Case cases[] = {
        {1, 1001, 100'000'000, 0, 1000.0},            // 1000 periods in one second
        {1, 1001, 100'000'000, 50, 1000.0 * 1.00001}, // +10 ppm
        {2, 11, 1'000'000, -5000, 1000.0 * 0.999},    // 10 periods in 10 ms, -1000 ppm
        {5, 1001, 100'000'000, 0, 8000.0},            // high-frequency inputs count by 8
        {6, 1001, 100'000'000, 0, 8000.0},
        {3, 1, 100'000'000, 0, 0.0}, // one edge: no full period
        {3, 0, 100'000'000, 0, std::nullopt},
        {3, -7, 100'000'000, 0, std::nullopt},
        {1, 1001, 0, 0, std::nullopt},
        {1, 1001, -100, 0, std::nullopt},
        {1, 1001, 100'000'000, INT32_MIN, std::nullopt}, // a correction below -100 %
    };
    for (const Case& c : cases) {
        const auto h = frameWith({{kHdrFmRange, c.source},
                                  {kHdrFmCount1, c.events},
                                  {kHdrFmCount2, c.gate},
                                  {kHdrFmTime, c.calibration}});
        const auto f = freqMeterReading(h);
        ASSERT_EQ(f.has_value(), c.hz.has_value()) << c.source << " " << c.events << " " << c.gate;
        if (f) {
            EXPECT_DOUBLE_EQ(*f, *c.hz);
        }
    }
}

TEST(SweepSlope, SpansTheSamplesAfterTheTrigger) {
    // 900 kHz over 4500 samples of 2 us: 0.1 Hz per ns.
    auto h = frameWith({{kHdrDivider, 200},
                        {kHdrLength, 5000},
                        {kHdrTrigPos, 500},
                        {kHdrGenSecond, 9'000'000},
                        {kHdrGenFrequency, 100'000}});
    EXPECT_DOUBLE_EQ(sweepSlope(h), 0.1);
    EXPECT_DOUBLE_EQ(sweepFrequencyAt(h, 0.1, 1e6), 110000.0);
    EXPECT_DOUBLE_EQ(sweepFrequencyAt(h, 0.1, 0), 10000.0); // before the trigger: the start
    EXPECT_DOUBLE_EQ(sweepFrequencyAt(h, 0.1, -5e5), 10000.0);

    struct Case {
        HeaderField field;
        std::int32_t value;
    };
    const Case noSlope[] = {
        {kHdrGenSecond, 0},  // no sweep
        {kHdrTrigPos, 5000}, // nothing after the trigger
        {kHdrDivider, 0},    // no sample interval
        {kHdrDivider, -3},
    };
    for (const Case& c : noSlope) {
        auto bad = h;
        bad[c.field] = c.value;
        EXPECT_EQ(sweepSlope(bad), -1) << c.field << " = " << c.value;
    }
}

TEST(LeftEdgeTime, CountsSampleIntervalsFromTheTrigger) {
    const auto h = frameWith({{kHdrDivider, 200}, {kHdrLength, 5000}, {kHdrTrigPos, 500}});
    EXPECT_DOUBLE_EQ(*leftEdgeTime(h, 0), -1e6);
    EXPECT_DOUBLE_EQ(*leftEdgeTime(h, 1500), 2e6);
    // Corrupted fields do not overflow: a divider no instrument is given has no time at all.
    const auto bad = frameWith({{kHdrDivider, INT32_MAX}, {kHdrTrigPos, INT32_MIN}});
    EXPECT_FALSE(leftEdgeTime(bad, INT32_MAX));
}

// A damaged header reads within its record: a trigger position beyond the record stands at its
// end (a header that made the window print "-4294.97 S"), and a divider no instrument is given
// leaves every time unknown.
TEST(LeftEdgeTime, DamagedHeadersReadWithinTheRecord) {
    struct Case {
        const char* what;
        std::int32_t length, trigger, divider;
        std::optional<double> edge; // at scroll position 0
    };
    const Case cases[] = {
        {"sound", 5000, 500, 200, -1e6},
        {"trigger far beyond the record", 5000, INT32_MAX, 200, -1e7},
        {"negative trigger position", 5000, -7, 200, 0.0},
        {"record beyond the arrays", INT32_MAX, INT32_MAX, 200, -8e7},
        {"no record", 0, 500, 200, 0.0},
        {"no frame yet", 0, 0, 0, 0.0},
        {"negative divider", 5000, 500, -1, std::nullopt},
        {"largest divider", 5000, 500, kLargestDivider, -2e12},
        {"divider beyond any instrument", 5000, 500, kLargestDivider + 1, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto h =
            frameWith({{kHdrLength, c.length}, {kHdrTrigPos, c.trigger}, {kHdrDivider, c.divider}});
        const auto edge = leftEdgeTime(h, 0);
        ASSERT_EQ(edge.has_value(), c.edge.has_value());
        if (edge) {
            EXPECT_DOUBLE_EQ(*edge, *c.edge);
        }
        EXPECT_EQ(sampleRate(h).has_value(), c.divider >= 1 && c.divider <= kLargestDivider);
    }
}

TEST(MeanLevel, StaysWithinTheCodesOfTheValidSamples) {
    struct Case {
        std::int32_t length, valid, sum;
        std::optional<double> mean;
    };
    const Case cases[] = {
        {5000, 5000, 1'007'500, 201.5},
        {5000, 5000, 0, 0.0},
        {5000, 5000, 5000 * 255, 255.0},
        {5000, 5000, 5000 * 255 + 5000, std::nullopt}, // above the top code
        {5000, 5000, -1, std::nullopt},
        {5000, 0, 100, std::nullopt},
        {5000, INT32_MAX, 1'007'500, 201.5}, // the valid count held at the record's length
        {0, 5000, 1'007'500, std::nullopt},  // no record: no valid samples
    };
    for (const Case& c : cases) {
        const auto h =
            frameWith({{kHdrLength, c.length}, {kHdrValid, c.valid}, {kHdrLevelSumA1, c.sum}});
        const auto mean = meanLevel(h, kHdrLevelSumA1);
        ASSERT_EQ(mean.has_value(), c.mean.has_value()) << c.valid << " " << c.sum;
        if (mean) {
            EXPECT_DOUBLE_EQ(*mean, *c.mean);
        }
    }
}

TEST(SampleRate, NeedsADivider) {
    EXPECT_DOUBLE_EQ(*sampleRate(frameWith({{kHdrDivider, 1}})), 1e8);
    EXPECT_DOUBLE_EQ(*sampleRate(frameWith({{kHdrDivider, 200}})), 5e5);
    EXPECT_FALSE(sampleRate(frameWith({{kHdrDivider, 0}})));
    EXPECT_FALSE(sampleRate(frameWith({{kHdrDivider, -1}})));
}

TEST(DivisionsCovered, NeedsATimeBase) {
    const auto h = frameWith({{kHdrDivider, 200}, {kHdrLength, 5000}, {kHdrValid, 5000}});
    EXPECT_DOUBLE_EQ(*divisionsCovered(h, 1'000'000), 10.0);
    EXPECT_DOUBLE_EQ(*divisionsCovered(h, 2'000'000), 5.0);
    EXPECT_FALSE(divisionsCovered(h, 0));
    EXPECT_FALSE(divisionsCovered(h, -1));
}

TEST(MarkerReadings, FrequencyAcrossHalfTheSampleRateAndTimeFromTheLeftEdge) {
    const auto h = frameWith({{kHdrDivider, 200}});
    EXPECT_DOUBLE_EQ(*markerSpectrumFrequency(h, 500), 250000.0); // the right edge: Fs / 2
    EXPECT_DOUBLE_EQ(*markerSpectrumFrequency(h, 100), 50000.0);
    EXPECT_FALSE(markerSpectrumFrequency(frameWith({}), 100));
    EXPECT_DOUBLE_EQ(markerTime(250, 1'000'000, -1e6), 4e6); // 5 divisions right of the edge
    EXPECT_DOUBLE_EQ(voltsPerCode(1'000'000), 31250.0);
}

} // namespace
} // namespace qs40
