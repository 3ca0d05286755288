#include <gtest/gtest.h>

#include <vector>

#include "sim/analog_front_end.h"
#include "sim/output_line.h"

namespace qs40::sim {
namespace {

using namespace std::chrono_literals;

TEST(OutputLine, BytesCrossAt200000PerSecondBackToBack) {
    OutputLine line(200000);
    line.push(std::vector<std::uint8_t>(1000, 1), 0ms);
    line.push(std::vector<std::uint8_t>(1000, 2), 1ms); // queues behind the first
    EXPECT_EQ(line.readable(0ms), 0u);
    EXPECT_EQ(line.readable(1ms), 200u);
    EXPECT_EQ(line.readable(5ms), 1000u);
    EXPECT_EQ(line.readable(7ms), 1400u);
    EXPECT_EQ(line.idleAt(), 10ms);

    std::vector<std::uint8_t> got(1100);
    EXPECT_EQ(line.take(got.data(), got.size(), 7ms), 1100u);
    EXPECT_EQ(got[999], 1);
    EXPECT_EQ(got[1000], 2);
    EXPECT_EQ(line.readable(7ms), 300u);
    EXPECT_EQ(line.queued(), 900u);
}

TEST(OutputLine, IdleLineStartsANewPacketWhenItIsPushed) {
    OutputLine line(200000);
    line.push(std::vector<std::uint8_t>(10, 1), 0ms);
    line.push(std::vector<std::uint8_t>(10, 2), 100ms);
    EXPECT_EQ(line.readable(100ms), 10u);
    EXPECT_EQ(line.readable(100ms + 25us), 15u);
}

TEST(OutputLine, UnpacedLineDeliversAtOnceAndClearDropsEverything) {
    OutputLine line(0);
    line.push(std::vector<std::uint8_t>(500, 1), 3ms);
    EXPECT_EQ(line.readable(3ms), 500u);
    line.clear();
    EXPECT_EQ(line.readable(3ms), 0u);
    EXPECT_EQ(line.take(nullptr, 10, 3ms), 0u);
}

TEST(AnalogFrontEnd, ZeroLevelFollowsTheOffsetCodeThroughTheCoefficients) {
    // With the host's own default coefficients the host's offset code for zero level 191
    // (1552) lands on 191.
    const AnalogFrontEnd fe({{{3357, 725, 0}, {3357, 725, 0}}});
    const ChannelTransfer t = fe.transfer(0, 0x07, 1552);
    EXPECT_NEAR(t.zero, 191.0, 0.2);
    EXPECT_EQ(t.code(0.0), 191);
    EXPECT_EQ(t.code(1.0), 223); // 1 V at 1 V/div: one division of 32 codes
    EXPECT_EQ(t.code(-10.0), 0);
    EXPECT_EQ(t.code(10.0), 254);                                     // never 0xFF
    EXPECT_DOUBLE_EQ(fe.transfer(0, 0x00, 1552).codesPerVolt, 640.0); // 50 mV/div
}

} // namespace
} // namespace qs40::sim
