// The zero-level calibration end to end: the host's three measurement passes (offset codes
// around 1360 and 3040 at 2 V/div, around 2200 at 50 mV/div) on the simulated instrument give
// back the instrument's own zero-level coefficients, and the offset codes computed from them
// put the zero level where the user asked.
#include <gtest/gtest.h>

#include <cmath>
#include <numeric>

#include "host_decode.h"
#include "scope/offset_code.h"
#include "sim_bench.h"

namespace qs40::sim {
namespace {

using namespace std::chrono_literals;

class ZeroCalibration : public ::testing::Test {
protected:
    ZeroCalibration() : bench(config()) {}
    static InstrumentConfig config() {
        InstrumentConfig c = test::exactConfig();
        c.adcNoiseCodes = 0.5; // what lets a mean resolve fractions of a code
        c.inputs = Scenario{}; // nothing connected
        return c;
    }
    // The mean level of A1 and A2 in the fifth frame with both offset codes at `code`.
    std::array<double, 2> measure(std::uint8_t inputByte, std::int32_t code, std::int32_t divider,
                                  std::int32_t zeroCodeA1 = -1, std::int32_t zeroCodeA2 = -1) {
        AcquisitionParams p = test::runParams(5000, 10);
        p.runBits = 0x83;
        p.divider = static_cast<std::uint32_t>(divider);
        p.preTrigger = 0;
        p.postTrigger = 5000;
        p.inputA1 = p.inputA2 = inputByte;
        p.offsetA1 = zeroCodeA1 >= 0 ? zeroCodeA1 : code;
        p.offsetA2 = zeroCodeA2 >= 0 ? zeroCodeA2 : code;
        bench.run(p, ++sequence);
        EXPECT_TRUE(bench.collect(5, 5s));
        const test::PlacedFrame placed = test::placeFrame(bench.host.frames[4], 5000);
        std::array<double, 2> out{};
        for (int ch = 0; ch < 2; ++ch) {
            const auto& v = placed.first[static_cast<std::size_t>(ch)];
            out[static_cast<std::size_t>(ch)] =
                std::accumulate(v.begin(), v.end(), 0.0) / static_cast<double>(v.size());
        }
        return out;
    }
    // Three codes around `centre`, the sum of their means times 16 / 3.
    std::array<double, 2> level(std::uint8_t inputByte, std::int32_t centre) {
        std::array<double, 2> sum{};
        for (const std::int32_t code : {centre, centre - 19, centre + 19}) {
            const auto m = measure(inputByte, code, 400);
            sum[0] += m[0];
            sum[1] += m[1];
        }
        return {sum[0] * 16 / 3, sum[1] * 16 / 3};
    }

    test::Bench bench;
    std::uint8_t sequence = 0;
};

TEST_F(ZeroCalibration, PassesRecoverTheInstrumentsCoefficients) {
    bench.configure();
    const auto l1 = level(0x1B, 1360); // 2 V/div, generator off, AC coupled
    const auto l2 = level(0x1B, 3040);
    const auto l3 = level(0x38, 2200); // 50 mV/div
    ScopeState state;
    std::int32_t* coefficients[2][3] = {
        {&state.Calibrate.Z_A1P1, &state.Calibrate.Z_A1P2, &state.Calibrate.Z_A1SH},
        {&state.Calibrate.Z_A2P1, &state.Calibrate.Z_A2P2, &state.Calibrate.Z_A2SH}};
    for (std::size_t ch = 0; ch < 2; ++ch) {
        const double f = l3[ch] - (l1[ch] + l2[ch]) / 2;
        *coefficients[ch][2] = static_cast<std::int32_t>(std::lround(f * 40 / 39));
        *coefficients[ch][0] = static_cast<std::int32_t>(std::lround(l1[ch] - f / 39));
        *coefficients[ch][1] = static_cast<std::int32_t>(std::lround(l2[ch] - f / 39));
        const ZeroCoefficients& truth = bench.inst.config().zero[ch];
        EXPECT_NEAR(*coefficients[ch][0], truth.p1, 1) << ch;
        EXPECT_NEAR(*coefficients[ch][1], truth.p2, 1) << ch;
        EXPECT_NEAR(*coefficients[ch][2], truth.sh, 1) << ch;
    }

    // With the measured coefficients the zero levels land where the user puts them.
    state.Scope.A1_Zero = 100;
    state.Scope.A2_Zero = 171;
    const std::int32_t codeA1 = offsetCode(state, 1, 1'000'000);
    const std::int32_t codeA2 = offsetCode(state, 2, 50'000);
    const auto atOneVolt = measure(0x07 | 0x08, 0, 400, codeA1, codeA2);
    EXPECT_NEAR(atOneVolt[0], 100, 0.15);
    const auto at50mV = measure(0x00 | 0x08, 0, 400, codeA1, codeA2);
    EXPECT_NEAR(at50mV[1], 171, 0.15);
}

} // namespace
} // namespace qs40::sim
