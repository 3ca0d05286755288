#include "display/layout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>

namespace qs40 {
namespace {

struct LayoutCase {
    int paintWidth, paintHeight;
    bool small;
    int left, top, width, height;
};

TEST(PlotLayout, GeometryForPaintBoxSizes) {
    const LayoutCase cases[] = {
        // 499 wide: a small plot keeps 76 pixels of height for the texts ...
        {499, 400, true, 40, 19, 420, 320},
        // ... 500 wide keeps 102.
        {500, 400, false, 31, 27, 440, 288},
        {499, 396, true, 40, 18, 420, 320}, // 320 = (396 - 76) / 16 x 16
        {500, 396, false, 31, 26, 440, 288},
        // Width 200 gives seven steps of 20 (140); 190 only six, so the 125 fallback.
        {200, 300, true, 31, 18, 140, 224},
        {190, 300, true, 33, 18, 125, 224},
        // Too low for more than 64 pixels.
        {200, 100, true, 31, 9, 140, 64},
        {200, 156, true, 31, 18, 140, 80}, // 156 - 76 = 80, just above 64
        {1920, 1080, false, 31, 25, 1860, 976},
        {800, 600, false, 31, 25, 740, 496},
        // Nothing to lay out: the fallbacks, placed as the rules say.
        {0, 0, true, -61, -14, 125, 64},
        {-50, -50, true, -61, -14, 125, 64},
    };
    for (const auto& c : cases) {
        const PlotGeometry g = computePlotGeometry(c.paintWidth, c.paintHeight);
        SCOPED_TRACE(::testing::Message() << c.paintWidth << " x " << c.paintHeight);
        EXPECT_EQ(g.smallPlot, c.small);
        EXPECT_EQ(g.left, c.left);
        EXPECT_EQ(g.top, c.top);
        EXPECT_EQ(g.width, c.width);
        EXPECT_EQ(g.height, c.height);
        EXPECT_EQ(g.bitmapWidth, std::max(c.paintWidth, 0));
        EXPECT_EQ(g.bitmapHeight, std::max(c.paintHeight, 0));
    }
}

TEST(PlotLayout, DivisionsAndScalesFollowTheGrid) {
    const PlotGeometry g = computePlotGeometry(1920, 1080);
    EXPECT_EQ(g.divisionWidth(), 186);
    EXPECT_EQ(g.divisionHeight(), 122);
    EXPECT_DOUBLE_EQ(g.xScale(), 3.72);
    EXPECT_DOUBLE_EQ(g.yScale(), 976 / 256.0);
    EXPECT_EQ(g.width % 20, 0);
    EXPECT_EQ(g.height % 16, 0);
}

TEST(PlotLayout, AbsurdPaintBoxesStayWithinTheTypes) {
    const PlotGeometry g = computePlotGeometry(INT_MAX, INT_MAX);
    EXPECT_EQ(g.bitmapWidth, kMaxPaintSide);
    EXPECT_GT(g.width, 0);
    EXPECT_GT(g.height, 0);
    EXPECT_LE(g.left + g.width, kMaxPaintSide + 1);
    const PlotGeometry n = computePlotGeometry(INT_MIN, INT_MIN);
    EXPECT_EQ(n.width, 125);
    EXPECT_EQ(n.height, 64);
}

TEST(InputButtonTops, ScaledWithTheScopeGroup) {
    const InputButtonDesign design{
        .topA1 = 40, .topA2 = 140, .scopeGroupHeight = 300, .buttonHeight = 22};
    const InputButtonTops t = computeInputButtonTops(design, 450, true);
    // A1 at 40 x 1.5 = 60, A2 at 210.
    EXPECT_EQ(t.a1.label, 38);
    EXPECT_EQ(t.a1.colorPanel, 42);
    EXPECT_EQ(t.a1.coupling, 38);
    EXPECT_EQ(t.a1.firstRow, 60);
    EXPECT_EQ(t.a1.secondRow, 82);
    EXPECT_EQ(t.a2.label, 188);
    EXPECT_EQ(t.a2.colorPanel, 192);
    EXPECT_EQ(t.a2.firstRow, 210);
    EXPECT_EQ(t.a2.secondRow, 232);
}

TEST(InputButtonTops, WithoutA2TheA1ButtonsSitBetweenTheTwoRows) {
    const InputButtonDesign design{
        .topA1 = 41, .topA2 = 140, .scopeGroupHeight = 300, .buttonHeight = 22};
    const InputButtonTops t = computeInputButtonTops(design, 301, false);
    // Reference (41 + 140) / 2 = 90; 90 x 301 / 300 = 90.3, truncated.
    EXPECT_EQ(t.a1.firstRow, 90);
    EXPECT_EQ(t.a1.label, 68);
    EXPECT_EQ(t.a1.secondRow, 112);
}

TEST(InputButtonTops, DesignHeightZeroLeavesTheDesignTops) {
    const InputButtonDesign design{
        .topA1 = 40, .topA2 = 140, .scopeGroupHeight = 0, .buttonHeight = 22};
    const InputButtonTops t = computeInputButtonTops(design, 1000, true);
    EXPECT_EQ(t.a1.firstRow, 40);
    EXPECT_EQ(t.a2.firstRow, 140);
    const InputButtonTops huge = computeInputButtonTops(
        {.topA1 = INT_MAX, .topA2 = INT_MAX, .scopeGroupHeight = 1, .buttonHeight = INT_MAX},
        INT_MAX, false);
    EXPECT_EQ(huge.a1.firstRow, 1 << 30);
}

} // namespace
} // namespace qs40
