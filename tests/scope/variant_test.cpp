#include "scope/arith.h"
#include "scope/variant.h"

#include <gtest/gtest.h>

namespace qs40 {
namespace {

TEST(Variant, NamesOfKnownAndUnknownCodes) {
    const std::pair<int, const char*> cases[] = {
        {0, "ZR4000"},   {24, "ZR4000A"},  {25, "ZR4002"},
        {27, "ZR4002A"}, {28, "ZR4001A"},  {31, "ZR4003"},
        {63, "ZR4003A"}, {0x1D, "ZR40xx Type = 001D"}, {0xABCD, "ZR40xx Type = ABCD"},
    };
    for (const auto& [code, name] : cases)
        EXPECT_EQ(variantName(code), name) << code;
}

TEST(Variant, VersionText) {
    EXPECT_EQ(versionText(204), "2.04");
    EXPECT_EQ(versionText(5), "0.05");
    EXPECT_EQ(versionText(1234), "12.34");
}

TEST(Arith, RoundsHalfAwayFromZero) {
    EXPECT_EQ(roundToInt32(2.5), 3);
    EXPECT_EQ(roundToInt32(-2.5), -3);
    EXPECT_EQ(roundToInt32(2.49), 2);
    EXPECT_EQ(roundToInt32(1e300), INT32_MAX);
    EXPECT_EQ(roundToInt32(-1e300), INT32_MIN);
}

TEST(Arith, BlendsEachColourByte) {
    // Half way from black to white, truncated.
    EXPECT_EQ(blendColor(0xFFFFFF, 0x000000, 2), 0x7F7F7Fu);
    // From white towards black: 255 + (0 - 255) / 3 = 170 per byte.
    EXPECT_EQ(blendColor(0x000000, 0xFFFFFF, 3), 0xAAAAAAu);
    EXPECT_EQ(blendColor(0x00FF00, 0x000000, 1), 0x00FF00u);
}

} // namespace
} // namespace qs40
