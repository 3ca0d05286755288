#include "display/unit_format.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>
#include <string>

namespace qs40 {
namespace {

constexpr UnitKind kT = UnitKind::Time;
constexpr UnitKind kV = UnitKind::Voltage;
constexpr UnitKind kF = UnitKind::Frequency;

struct Case {
    double value;
    UnitKind kind;
    int digits;
    const char* expected;
};

void expectAll(std::initializer_list<Case> cases, std::string_view separator = ".") {
    for (const Case& c : cases)
        EXPECT_EQ(fmt(c.value, c.kind, c.digits, separator), c.expected)
            << c.value << " kind " << static_cast<int>(c.kind) << " digits " << c.digits;
}

TEST(UnitFormat, ReferenceExamples) {
    expectAll({
        {2000000, kV, 0, "2 V"},
        {123456, kF, -5, "123.46 KHz"},
        {50, kT, 0, "50 nS"},
        {999.4, kT, -3, "999 nS"},
        {1000, kT, -3, "1.00 uS"},
        {0.005, kF, -3, "5.00 mHz"},
        {250, kV, -4, "0.250 mV"},
        {500, kV, -2, "0.5 mV"},
        {-1500, kT, -3, "-1.50 uS"},
        {-50, kT, 0, "-50 nS"},
        {-0.004, kF, 0, "-4 mHz"},
    });
}

// One value in each range of magnitudes, three significant digits asked for.
TEST(UnitFormat, EveryRangeOfEveryKind) {
    expectAll({
        {0.0042, kT, -3, "0.00 nS"},
        {0.042, kT, -3, "0.04 nS"},
        {0.42, kT, -3, "0.42 nS"},
        {4.2, kT, -3, "4.20 nS"},
        {42, kT, -3, "42.0 nS"},
        {420, kT, -3, "420 nS"},
        {4.2e3, kT, -3, "4.20 uS"},
        {4.2e4, kT, -3, "42.0 uS"},
        {4.2e5, kT, -3, "420 uS"},
        {4.2e6, kT, -3, "4.20 mS"},
        {4.2e7, kT, -3, "42.0 mS"},
        {4.2e8, kT, -3, "420 mS"},
        {4.2e9, kT, -3, "4.20 S"},
        {4.2e10, kT, -3, "42.0 S"},
        {4.2e11, kT, -3, "420 S"},
        {4.2e12, kT, -3, "4200 S"},
    });
    expectAll({
        {0.0042, kV, -3, "0.00 mV"},
        {0.42, kV, -3, "0.00 mV"},
        {4.2, kV, -3, "0.00 mV"},
        {42, kV, -3, "0.04 mV"},
        {420, kV, -3, "0.42 mV"},
        {4.2e3, kV, -3, "4.20 mV"},
        {4.2e4, kV, -3, "42.0 mV"},
        {4.2e5, kV, -3, "420 mV"},
        {4.2e6, kV, -3, "4.20 V"},
        {4.2e7, kV, -3, "42.0 V"},
        {4.2e8, kV, -3, "420 V"},
        {4.2e9, kV, -3, "4.20 KV"},
        {4.2e10, kV, -3, "42.0 KV"},
        {4.2e11, kV, -3, "420 KV"},
        {4.2e12, kV, -3, "4200 KV"},
    });
    expectAll({
        {0.0042, kF, -3, "4.20 mHz"},
        {0.042, kF, -3, "42.0 mHz"},
        {0.42, kF, -3, "420 mHz"},
        {4.2, kF, -3, "4.20 Hz"},
        {42, kF, -3, "42.0 Hz"},
        {420, kF, -3, "420 Hz"},
        {4.2e3, kF, -3, "4.20 KHz"},
        {4.2e4, kF, -3, "42.0 KHz"},
        {4.2e5, kF, -3, "420 KHz"},
        {4.2e6, kF, -3, "4.20 MHz"},
        {4.2e7, kF, -3, "42.0 MHz"},
        {4.2e8, kF, -3, "420 MHz"},
        {4.2e9, kF, -3, "4.20 GHz"},
        {4.2e10, kF, -3, "42.0 GHz"},
        {4.2e11, kF, -3, "420 GHz"},
        {4.2e12, kF, -3, "4200 GHz"},
    });
}

TEST(UnitFormat, RangeBoundariesBelongToTheUpperRange) {
    expectAll({
        {0.01, kF, -3, "10.0 mHz"},
        {0.1, kF, -3, "100 mHz"},
        {1, kF, -3, "1.00 Hz"},
        {1e3, kV, -3, "1.00 mV"},
        {1e6, kT, -3, "1.00 mS"},
        {1e9, kV, -3, "1.00 KV"},
        {1e11, kT, -3, "100 S"},
    });
}

TEST(UnitFormat, DecimalsAndSignificantDigits) {
    expectAll({
        {1234.5678, kT, 3, "1.235 uS"}, // digits >= 0: decimals
        {1, kF, 0, "1 Hz"},
        {0, kT, 2, "0.00 nS"},
        {0, kF, 0, "0 mHz"},
        {425, kT, -1, "425 nS"}, // never fewer than no decimals
        {425, kT, -6, "425.000 nS"},
    });
}

TEST(UnitFormat, RoundsHalfAwayFromZeroAtFifteenDigits) {
    expectAll({
        {2.5, kT, 0, "3 nS"},
        {-2.5, kT, 0, "-3 nS"},
        {0.125, kT, 2, "0.13 nS"},
        {0.005, kT, -3, "0.01 nS"},
        {1.005, kT, 2, "1.01 nS"}, // held to 15 digits it is 1.00500000000000
        {9.996, kT, -3, "10.00 nS"},
        {999.96, kT, 1, "1000.0 nS"},
        // 123.456789123456789 has 15 significant digits; further decimals are zeros.
        {123456789.123456789, kT, 12, "123.456789123457 mS"},
        {123456789.123456789, kT, 15, "123.456789123457000 mS"},
        {123456789012345678.0, kF, 0, "123456789 GHz"},
        {1e20, kT, 0, "100000000000 S"},
    });
}

TEST(UnitFormat, UsesTheGivenDecimalSeparator) {
    expectAll({{123456, kF, -5, "123,46 KHz"}, {50, kT, 0, "50 nS"}, {-250, kV, -4, "-0,250 mV"}},
              ",");
    EXPECT_EQ(fmt(123456, kF, -5, "\u066B"), "123\u066B46 KHz");
    EXPECT_EQ(fmt(123456, kF, -5), "123.46 KHz");
}

TEST(UnitFormat, ValueThatPrintsAsZeroHasNoMinus) {
    expectAll({
        {-0.0, kT, 1, "0.0 nS"},
        {-0.001, kT, 0, "0 nS"},
        {-0.004, kT, 2, "0.00 nS"},
        {-0.005, kT, 2, "-0.01 nS"},
    });
}

TEST(UnitFormat, NonFiniteValuesAndOddArguments) {
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_EQ(fmt(std::numeric_limits<double>::quiet_NaN(), kT, -3), "NaN");
    EXPECT_EQ(fmt(inf, kF, 2), "INF");
    EXPECT_EQ(fmt(-inf, kV, 0), "-INF");
    // Decimals are capped; the most negative digits must not overflow.
    const std::string capped = "1." + std::string(kMaxFormatDecimals, '0') + " Hz";
    EXPECT_EQ(fmt(1, kF, INT_MAX), capped);
    EXPECT_EQ(fmt(1, kF, INT_MIN), capped);
    EXPECT_EQ(fmt(1e300, kT, 0).size(), std::string("1").size() + 291 + 2);
    EXPECT_EQ(fmt(5e-324, kT, 0), "0 nS");
    EXPECT_EQ(fmt(1500, static_cast<UnitKind>(7), 1), "1500.0");
}

} // namespace
} // namespace qs40

namespace qs40 {
namespace {

TEST(FormatFixed, PrintsTheNumberAlone) {
    const struct {
        double value;
        int decimals;
        const char* text;
    } cases[] = {
        {9.0309, 2, "9.03"}, {-2.5, 0, "-3"}, {-0.001, 2, "0.00"}, {12.345, 1, "12.3"},
        {1.005, 2, "1.01"},  {7, -3, "7"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(formatFixed(c.value, c.decimals), c.text) << c.value;
    EXPECT_EQ(formatFixed(0.5, 1, ","), "0,5");
}

} // namespace
} // namespace qs40
