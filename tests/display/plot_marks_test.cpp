#include "display/plot_marks.h"

#include "recording_canvas.h"
#include "scope/arith.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

namespace qs40 {
namespace {

using test::CallKind;
using test::LineCall;
using test::RecordingCanvas;
using Header = std::array<std::int32_t, kHeaderFields>;
using Points = std::vector<Point>;

constexpr ColorRef kChannel = 0x00FF00;

// The normal geometry of a 560-pixel paint box: one pixel per code, one pixel per marker unit.
PlotGeometry plot() {
    return PlotGeometry{.smallPlot = false, .left = 30, .top = 24, .width = 500, .height = 256};
}

bool hasLine(const std::vector<LineCall>& lines, const LineCall& l) {
    return std::find(lines.begin(), lines.end(), l) != lines.end();
}

// ---- Grid and frame

TEST(Grid, TenByEightDivisionsWithTicksOnEdgesAndCentreLines) {
    RecordingCanvas canvas;
    drawGrid(canvas, plot(), 0x800000);
    const auto lines = canvas.lines();
    ASSERT_EQ(lines.size(), 11u + 9u + 50u * 3u + 40u * 3u);
    EXPECT_EQ(canvas.linesWithPen(0x800000).size(), lines.size());
    for (int k = 0; k <= 10; ++k) // vertical lines over the full height, bottom row included
        EXPECT_TRUE(hasLine(lines, {30 + 50 * k, 24, 30 + 50 * k, 281, 0x800000})) << k;
    for (int k = 0; k <= 8; ++k)
        EXPECT_TRUE(hasLine(lines, {30, 24 + 32 * k, 531, 24 + 32 * k, 0x800000})) << k;
    // Ticks at a fifth of a division: x 40 (500 / 50), y 30 (256 / 40 truncated).
    EXPECT_TRUE(hasLine(lines, {40, 24, 40, 27, 0x800000}));
    EXPECT_TRUE(hasLine(lines, {40, 278, 40, 281, 0x800000}));
    EXPECT_TRUE(hasLine(lines, {40, 151, 40, 154, 0x800000}));
    EXPECT_TRUE(hasLine(lines, {30, 30, 33, 30, 0x800000}));
    EXPECT_TRUE(hasLine(lines, {528, 30, 531, 30, 0x800000}));
    EXPECT_TRUE(hasLine(lines, {279, 30, 282, 30, 0x800000}));
}

TEST(Grid, NarrowPlotOf125PixelsKeepsElevenLines) {
    RecordingCanvas canvas;
    PlotGeometry g{.smallPlot = true, .left = 30, .top = 18, .width = 125, .height = 64};
    drawGrid(canvas, g, 1);
    int vertical = 0;
    for (const auto& l : canvas.lines())
        vertical += l.x1 == l.x2 && l.y1 == 18 && l.y2 == 18 + 65;
    EXPECT_EQ(vertical, 11); // every 12 pixels, the last at 120
    EXPECT_TRUE(hasLine(canvas.lines(), {30 + 120, 18, 30 + 120, 83, 1}));
    EXPECT_TRUE(hasLine(canvas.lines(), {32, 18, 32, 21, 1}));   // 125 / 50 truncated
    EXPECT_TRUE(hasLine(canvas.lines(), {152, 18, 152, 21, 1})); // 49 x 125 / 50
}

TEST(Grid, PlotWithoutRoomForDivisionsHasNoGrid) {
    RecordingCanvas canvas;
    drawGrid(canvas, PlotGeometry{.width = 9, .height = 256}, 1);
    drawGrid(canvas, PlotGeometry{.width = 500, .height = 7}, 1);
    drawGrid(canvas, PlotGeometry{.width = -20, .height = -16}, 1);
    EXPECT_TRUE(canvas.calls().empty());
}

TEST(PlotFrame, OutlineOnePixelOutsideThePlot) {
    RecordingCanvas canvas;
    drawPlotFrame(canvas, plot(), 0xC08000);
    const auto outline = canvas.polylines();
    ASSERT_EQ(outline.size(), 1u);
    EXPECT_EQ(outline[0].points, (Points{{29, 23}, {29, 281}, {531, 281}, {531, 23}, {29, 23}}));
    EXPECT_EQ(outline[0].state.pen, 0xC08000u);
}

// ---- Trigger-position and marker lines

struct TrigLineCase {
    std::int32_t trigPos;
    int scroll;
    std::int32_t divider;
    std::int64_t timeDivNs;
    int x; // -1: no line
};

TEST(TriggerPositionLine, PlacedByTriggerPositionScrollAndTimeBase) {
    const TrigLineCase cases[] = {
        {500, 0, 1, 1000, 280},  // 100 samples a division, 50 pixels a division
        {500, 400, 1, 1000, 80}, // scrolled
        {500, 500, 1, 1000, 30}, // at the left edge
        {500, 501, 1, 1000, -1}, // left of the shown part
        {3, 0, 2, 1000, 33},     // 3 x 50 x 2 / 100 = 3
        {1000, 0, 1, 1000, 530}, // the right edge
        {1001, 0, 1, 1000, -1},  // beyond it
        {500, 0, 0, 1000, -1},   // damaged header: no time base
        {500, 0, -1, 1000, -1},  {500, 0, 1, 0, -1}, {INT32_MAX, INT32_MIN, 1, 1000, -1},
    };
    Header h{};
    for (const auto& c : cases) {
        RecordingCanvas canvas;
        h[kHdrTrigPos] = c.trigPos;
        h[kHdrDivider] = c.divider;
        drawTriggerPositionLine(canvas, plot(), h, c.scroll, c.timeDivNs, 0x808000);
        if (c.x < 0) {
            EXPECT_TRUE(canvas.lines().empty()) << c.trigPos << " " << c.scroll;
        } else {
            EXPECT_EQ(canvas.lines(), (std::vector<LineCall>{{c.x, 24, c.x, 279, 0x808000}}))
                << c.trigPos << " " << c.scroll;
        }
    }
}

TEST(MarkerLines, EachSwitchDrawsItsCrossHairs) {
    ScopeState s;
    s.Colors.Markers = 0x808080;
    s.Common.Marker_x = 25;
    s.Common.Marker_y = 240;
    s.Common.Marker1_x = 100;
    s.Common.Marker1_y = 10;
    s.Common.Marker2_x = 475;
    s.Common.Marker2_y = 16;
    PlotGeometry g{.left = 30, .top = 24, .width = 250, .height = 128}; // half a pixel per unit

    auto linesFor = [&](bool m1, bool m2) {
        s.Common.Markers_1 = m1;
        s.Common.Markers_2 = m2;
        RecordingCanvas canvas;
        drawMarkerLines(canvas, g, s);
        return canvas.lines();
    };
    EXPECT_TRUE(linesFor(false, false).empty());
    const LineCall m0v{30 + 13, 24, 30 + 13, 152, 0x808080}; // 12.5 rounds up
    const LineCall m0h{30, 24 + 120, 280, 24 + 120, 0x808080};
    EXPECT_EQ(linesFor(true, false), (std::vector<LineCall>{m0v, m0h}));
    const std::vector<LineCall> pair{{80, 24, 80, 152, 0x808080},
                                     {30, 29, 280, 29, 0x808080},
                                     {268, 24, 268, 152, 0x808080}, // 237.5 rounds up
                                     {30, 32, 280, 32, 0x808080}};
    EXPECT_EQ(linesFor(false, true), pair);
    EXPECT_EQ(linesFor(true, true).size(), 6u);
}

TEST(MarkerLines, AbsurdStoredMarkersStayWithinBounds) {
    ScopeState s;
    s.Common.Markers_1 = true;
    s.Common.Marker_x = INT32_MAX;
    s.Common.Marker_y = INT32_MIN;
    RecordingCanvas canvas;
    drawMarkerLines(canvas, plot(), s);
    const auto box = canvas.bounds();
    EXPECT_LE(box.maxX, 1 << 24);
    EXPECT_GE(box.minY, -(1 << 24));
}

// ---- Edge marks

TEST(TriggerLevelMark, PolygonAndGlyphAtTheRoundedLevel) {
    ScopeState s;
    s.Colors.Background = 0x112233;
    RecordingCanvas canvas;
    drawTriggerLevelMark(canvas, plot(), s, 100.5, false, kChannel);
    // Level 101: y = 24 + (255 - 101); R = 530.
    const int y = 178;
    const auto polys = canvas.polygons();
    ASSERT_EQ(polys.size(), 1u);
    EXPECT_EQ(polys[0].points,
              (Points{{532, y}, {539, y + 7}, {549, y + 7}, {549, y - 7}, {539, y - 7}}));
    EXPECT_EQ(polys[0].state.pen, kChannel);
    EXPECT_EQ(polys[0].state.brush, 0x112233u);
    EXPECT_EQ(canvas.lines(), (std::vector<LineCall>{{543, y + 3, 543, y - 3, kChannel},
                                                     {546, y - 3, 539, y - 3, kChannel}}));
    EXPECT_TRUE(canvas.texts().empty());
}

TEST(TriggerLevelMark, LevelIsClampedToThePlot) {
    ScopeState s;
    const struct {
        double level;
        int y;
    } cases[] = {{300, 24},
                 {255, 24},
                 {-5, 279},
                 {0, 279},
                 {std::numeric_limits<double>::quiet_NaN(), 279},
                 {std::numeric_limits<double>::infinity(), 24}};
    for (const auto& c : cases) {
        RecordingCanvas canvas;
        drawTriggerLevelMark(canvas, plot(), s, c.level, false, kChannel);
        ASSERT_EQ(canvas.polygons().size(), 1u);
        EXPECT_EQ(canvas.polygons()[0].points[0], (Point{532, c.y})) << c.level;
    }
}

TEST(TriggerLevelMark, DraggingDrawsTheLevelLineAndDebugShowsTheLevel) {
    ScopeState s;
    s.Colors.Trig_Pos = 0x808000;
    s.System.Debug_qs = true;
    RecordingCanvas canvas;
    PlotGeometry g{.left = 30, .top = 24, .width = 500, .height = 128};
    drawTriggerLevelMark(canvas, g, s, 100, true, kChannel);
    const int y = 24 + 78; // 155 x 0.5 = 77.5 rounds up
    EXPECT_TRUE(hasLine(canvas.lines(), {30, y, 531, y, 0x808000}));
    const auto text = canvas.findText("100");
    ASSERT_TRUE(text);
    EXPECT_EQ(text->x, 534);
    EXPECT_EQ(text->y, y - 20);
    EXPECT_EQ(text->state.fontFamily, "Arial");
    EXPECT_EQ(text->state.fontHeight, 10);
    EXPECT_EQ(text->state.fontColor, kChannel);
    EXPECT_TRUE(text->state.brushTransparent);
}

struct ArrowCase {
    const char* name;
    std::int32_t source;
    std::int32_t level; // trigger level at capture
    int height;         // zero level or digital height
    Points polygon;     // empty: no arrow
    bool pixel;         // the one-pixel line before an arrow inside the plot
};

TEST(TriggerArrow, AboveBelowOrInsideThePlot) {
    // Zero at capture 0, equal volts per division: the arrow sits at height + level.
    const std::vector<ArrowCase> cases{
        {"level 300: above", 1, 300, 0, {{532, 16}, {535, 19}, {529, 19}}, false},
        {"level 256: above", 2, 256, 0, {{532, 16}, {535, 19}, {529, 19}}, false},
        {"level -5: below", 1, -5, 0, {{532, 287}, {535, 284}, {529, 284}}, false},
        {"level 255: top row", 1, 255, 0, {{533, 24}, {537, 28}, {537, 20}}, true},
        {"level 0: bottom row", 1, 0, 0, {{533, 279}, {537, 283}, {537, 275}}, true},
        {"relative to zero", 1, 50, 100, {{533, 129}, {537, 133}, {537, 125}}, true},
        {"digital at 15", 3, 999, 15, {{533, 264}, {537, 268}, {537, 260}}, true},
        {"digital at 47", 4, -999, 47, {{533, 232}, {537, 236}, {537, 228}}, true},
        {"no trigger source", 0, 100, 100, {}, false},
        {"unknown source", 7, 100, 100, {}, false},
    };
    for (const auto& c : cases) {
        Header h{};
        h[kHdrTrigSource] = c.source;
        h[kHdrTrigLevel] = c.level;
        h[kHdrVoltsDivA1] = 1000000;
        h[kHdrVoltsDivA2] = 1000000;
        RecordingCanvas canvas;
        drawTriggerArrow(canvas, plot(), c.height, h, {1000000, 1000000}, kChannel);
        const auto polys = canvas.polygons();
        if (c.polygon.empty()) {
            EXPECT_TRUE(canvas.calls().empty()) << c.name;
            continue;
        }
        ASSERT_EQ(polys.size(), 1u) << c.name;
        EXPECT_EQ(polys[0].points, c.polygon) << c.name;
        EXPECT_EQ(polys[0].state.brush, kChannel) << c.name;
        EXPECT_EQ(canvas.lines().size(), c.pixel ? 1u : 0u) << c.name;
        if (c.pixel) {
            const int y = c.polygon[0].y;
            EXPECT_EQ(canvas.lines()[0], (LineCall{532, y, 533, y, kChannel})) << c.name;
        }
    }
}

TEST(TriggerArrow, AnalogLevelIsRescaledFromCaptureToCurrentVoltsPerDivision) {
    Header h{};
    h[kHdrTrigSource] = 2;
    h[kHdrTrigLevel] = 150;
    h[kHdrZeroA2] = 130;
    h[kHdrVoltsDivA2] = 2000000; // captured at 2 V/div, shown at 1 V/div
    RecordingCanvas canvas;
    drawTriggerArrow(canvas, plot(), 100, h, {500000, 1000000}, kChannel);
    // 100 + (150 - 130) x 2 = 140: y = 24 + 115.
    ASSERT_EQ(canvas.polygons().size(), 1u);
    EXPECT_EQ(canvas.polygons()[0].points[0], (Point{533, 139}));

    // No current scale to compare with (never from our own settings): no arrow.
    RecordingCanvas none;
    drawTriggerArrow(none, plot(), 100, h, {500000, 0}, kChannel);
    EXPECT_TRUE(none.calls().empty());

    // Absurd capture values saturate: far above the plot.
    h[kHdrTrigLevel] = INT32_MAX;
    h[kHdrZeroA2] = INT32_MIN;
    h[kHdrVoltsDivA2] = INT32_MAX;
    RecordingCanvas huge;
    drawTriggerArrow(huge, plot(), 100, h, {1, 1}, kChannel);
    ASSERT_EQ(huge.polygons().size(), 1u);
    EXPECT_EQ(huge.polygons()[0].points[0], (Point{532, 16}));
}

TEST(ZeroMark, PolygonAndZGlyph) {
    ScopeState s;
    s.Colors.Background = 0x010203;
    RecordingCanvas canvas;
    drawZeroMark(canvas, plot(), s, 191, kChannel);
    const int y = 24 + 64;
    ASSERT_EQ(canvas.polygons().size(), 1u);
    EXPECT_EQ(canvas.polygons()[0].points,
              (Points{{28, y}, {21, y + 7}, {11, y + 7}, {11, y - 7}, {21, y - 7}}));
    EXPECT_EQ(canvas.polygons()[0].state.brush, 0x010203u);
    ASSERT_EQ(canvas.polylines().size(), 1u);
    EXPECT_EQ(canvas.polylines()[0].points,
              (Points{{15, y - 3}, {21, y - 3}, {15, y + 3}, {22, y + 3}}));
    EXPECT_EQ(canvas.polylines()[0].state.pen, kChannel);
    EXPECT_TRUE(canvas.texts().empty());
}

TEST(ZeroMark, DebugShowsTheLevelAndAbsurdLevelsStayBounded) {
    ScopeState s;
    s.System.Debug_qs = true;
    RecordingCanvas canvas;
    drawZeroMark(canvas, plot(), s, 63, kChannel);
    const auto text = canvas.findText("63");
    ASSERT_TRUE(text);
    EXPECT_EQ(text->x, 5);
    EXPECT_EQ(text->y, 24 + 192 - 20);
    EXPECT_EQ(text->state.fontFamily, "Arial");
    EXPECT_TRUE(text->state.brushTransparent);

    RecordingCanvas far;
    drawZeroMark(far, plot(), s, INT32_MIN, kChannel);
    EXPECT_LE(far.bounds().maxY, (1 << 24) + 10);
    EXPECT_TRUE(far.findText("-2147483648"));
}

// ---- Activity indicator

class ActivityIndicatorTest : public ::testing::Test {
protected:
    ActivityIndicatorTest() {
        colors.Border = 0x101010;
        colors.Grid_Frame = 0xC08000;
        colors.Background = 0x000000;
    }
    RecordingCanvas& step(bool frame, bool status, bool active) {
        canvas.clear();
        indicator.draw(canvas, plot(), colors, {frame, status, active});
        return canvas;
    }
    // Centre (505, 12), radius 10.
    static Point at(int degrees) {
        const double phi = degrees * 3.14159265358979323846 / 180;
        return {505 + static_cast<int>(std::trunc(10 * std::cos(phi))),
                12 + static_cast<int>(std::trunc(10 * std::sin(phi)))};
    }

    ColorsSection colors;
    ActivityIndicator indicator;
    RecordingCanvas canvas;
};

TEST_F(ActivityIndicatorTest, StoppedShowsACircleThatShrinksWithTheStatusPhase) {
    step(false, false, false);
    const auto fill = canvas.shapes(CallKind::FillRect);
    ASSERT_EQ(fill.size(), 1u);
    EXPECT_EQ(fill[0].args, (std::vector<int>{495, 2, 515, 22}));
    EXPECT_EQ(fill[0].state.brush, 0x101010u);
    ASSERT_EQ(canvas.ellipses().size(), 1u);
    EXPECT_EQ(canvas.ellipses()[0].args, (std::vector<int>{495, 2, 515, 22}));
    EXPECT_EQ(canvas.ellipses()[0].state.pen, 0xC08000u);
    EXPECT_TRUE(canvas.arcs().empty());

    for (int i = 0; i < 6; ++i)
        step(false, true, false);
    EXPECT_EQ(indicator.statusPhase(), 6);
    EXPECT_EQ(indicator.statusCount(), 0); // reset while stopped
    EXPECT_EQ(canvas.ellipses()[0].args, (std::vector<int>{496, 3, 514, 21}));
}

TEST_F(ActivityIndicatorTest, SmallDisplayUsesRadiusSeven) {
    PlotGeometry g{.smallPlot = true, .left = 30, .top = 18, .width = 140, .height = 64};
    indicator.draw(canvas, g, colors, {});
    // x = 30 + 7 x 19, y = 9.
    EXPECT_EQ(canvas.ellipses()[0].args, (std::vector<int>{156, 2, 170, 16}));
}

TEST_F(ActivityIndicatorTest, RunningShowsTenArcsAndTheHand) {
    step(false, false, true);
    const auto arcs = canvas.arcs();
    ASSERT_EQ(arcs.size(), 10u);
    for (int i = 1; i <= 10; ++i) {
        const Point from = at((i + 1) * 36 % 360);
        const Point to = at(i * 36 % 360);
        EXPECT_EQ(arcs[static_cast<std::size_t>(i - 1)].args,
                  (std::vector<int>{495, 2, 515, 22, from.x, from.y, to.x, to.y}))
            << i;
        EXPECT_EQ(arcs[static_cast<std::size_t>(i - 1)].state.pen, 0xC08000u);
    }
    EXPECT_EQ(canvas.lines(), (std::vector<LineCall>{{505, 12, 515, 12, 0xC08000}}));
    EXPECT_TRUE(canvas.ellipses().empty());
}

TEST_F(ActivityIndicatorTest, FrameMarkTurnsTheHandAndStatusMarkTheWheel) {
    step(true, true, true);
    EXPECT_EQ(indicator.framePhase(), 1);
    EXPECT_EQ(indicator.statusPhase(), 1);
    const Point hand = at(36);
    EXPECT_EQ(canvas.lines(), (std::vector<LineCall>{{505, 12, hand.x, hand.y, 0xC08000}}));
    const Point from = at(108);
    EXPECT_EQ(canvas.arcs()[0].args[4], from.x);
    EXPECT_EQ(canvas.arcs()[0].args[5], from.y);

    for (int i = 0; i < 9; ++i)
        step(true, false, true);
    EXPECT_EQ(indicator.framePhase(), 0); // 9 wraps to 0
}

TEST_F(ActivityIndicatorTest, WheelFadesAfterMoreThanFiveStatusPacketsWithoutAFrame) {
    for (int i = 0; i < 5; ++i)
        step(false, true, true);
    EXPECT_EQ(canvas.arcs()[0].state.pen, 0xC08000u);

    step(false, true, true); // the sixth
    const auto arcs = canvas.arcs();
    for (int i = 1; i <= 10; ++i)
        EXPECT_EQ(arcs[static_cast<std::size_t>(i - 1)].state.pen,
                  blendColor(0xC08000, 0x000000, 20.0 / (i + 10)))
            << i;
    EXPECT_EQ(arcs[0].state.pen, 0x694600u); // k = 20 / 11: 0xC0 -> 0x69, 0x80 -> 0x46
    EXPECT_EQ(arcs[9].state.pen, 0xC08000u); // k = 1: the last arc keeps its colour
    EXPECT_NE(arcs[0].state.pen, 0xC08000u);
    EXPECT_EQ(canvas.lines()[0].pen, 0xC08000u); // the hand never fades

    step(true, false, true); // a frame resets the count
    EXPECT_EQ(indicator.statusCount(), 0);
    EXPECT_EQ(canvas.arcs()[0].state.pen, 0xC08000u);
}

// ---- FFT notice

struct NoticeCase {
    int state;
    bool russian;
    std::int32_t variant;
    const char* text; // nullptr: no notice
};

TEST(FftNotice, TextsByStateLanguageAndVariant) {
    const NoticeCase cases[] = {
        {3, false, 28, "Unsufficient samples for FFT."},
        {3, false, 31, "Unsufficient  A1 samples for FFT."},
        {3, true, 28, "Недостаточно отсчетов для БПФ."},
        {3, true, 63, "Недостаточно отсчетов канала A1 для БПФ."},
        {4, false, 31, "Unsufficient  A2 samples for FFT."},
        {4, true, 31, "Недостаточно отсчетов канала A2 для БПФ."},
        {5, false, 28, "Sampling must be Normal for FFT."},
        {5, true, 28, "Выключите пиковый детектор."},
        {0, false, 31, nullptr},
        {1, false, 31, nullptr},
        {2, true, 31, nullptr},
        {6, false, 31, nullptr},
        {-1, false, 31, nullptr},
    };
    for (const auto& c : cases) {
        ScopeState s;
        s.Common.Russian = c.russian;
        s.System.Device_Type_Code = c.variant;
        RecordingCanvas canvas;
        drawFftNotice(canvas, plot(), s, c.state);
        if (c.text == nullptr) {
            EXPECT_TRUE(canvas.calls().empty()) << c.state;
            continue;
        }
        ASSERT_EQ(canvas.texts().size(), 1u) << c.text;
        EXPECT_EQ(canvas.texts()[0].text, c.text);
    }
}

TEST(FftNotice, BoxAndTextAroundTheCentreBelowTheMiddle) {
    ScopeState s;
    s.Common.Russian = false;
    s.Colors.FFT = 0xFF00FF;
    s.Colors.Background = 0x000000;
    RecordingCanvas canvas;
    drawFftNotice(canvas, plot(), s, 5);
    // 32 characters, 6 pixels each at 13 pixels: t = 96; cx = 280; yb = 24 + 208.
    ASSERT_EQ(canvas.rectangles().size(), 1u);
    EXPECT_EQ(canvas.rectangles()[0].args, (std::vector<int>{164, 219, 396, 246}));
    EXPECT_EQ(canvas.rectangles()[0].state.pen, 0xFF00FFu);
    EXPECT_EQ(canvas.rectangles()[0].state.brush, 0x000000u);
    const auto text = canvas.texts().at(0);
    EXPECT_EQ(text.x, 184);
    EXPECT_EQ(text.y, 226);
    EXPECT_EQ(text.state.fontFamily, "MS Sans Serif");
    EXPECT_EQ(text.state.fontHeight, 13);
    EXPECT_EQ(text.state.fontColor, 0xFF00FFu);
    EXPECT_FALSE(text.state.brushTransparent);
}

TEST(FftNotice, SmallDisplayUsesArialTen) {
    ScopeState s;
    s.Common.Russian = false;
    RecordingCanvas canvas;
    PlotGeometry g{.smallPlot = true, .left = 30, .top = 18, .width = 140, .height = 64};
    drawFftNotice(canvas, g, s, 5);
    const auto text = canvas.texts().at(0);
    EXPECT_EQ(text.state.fontFamily, "Arial");
    EXPECT_EQ(text.state.fontHeight, 10);
    // t = 32 x 5 / 2 = 80; cx = 100; yb = 18 + 52.
    EXPECT_EQ(canvas.rectangles()[0].args, (std::vector<int>{0, 60, 200, 81}));
    EXPECT_EQ(text.x, 20);
    EXPECT_EQ(text.y, 65);
}

} // namespace
} // namespace qs40
