#include "display/trace_drawer.h"

#include "display/sinc_interpolator.h"
#include "recording_canvas.h"
#include "scope/arith.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <functional>
#include <limits>
#include <numbers>
#include <string>
#include <vector>

namespace qs40 {
namespace {

using test::LineCall;
using test::RecordingCanvas;
using Series = std::vector<std::int32_t>;
using Header = std::array<std::int32_t, kHeaderFields>;

constexpr ColorRef kColor = 0x00FF00;
constexpr ColorRef kBackground = 0x000000;

// A plot 100 pixels wide at (10, 20) whose height equals its 256 codes: a sample value v with
// zero 0, scale 1 and position 0 lands on screen y 276 - v.
constexpr int kLeft = 10;
constexpr int kTop = 20;
constexpr int kWidth = 100;
constexpr int kHeight = 256;

int yOf(int height) {
    return kTop + kHeight - height;
}

Series sine(int count, double period, double amplitude = 100) {
    Series s(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i)
        s[static_cast<std::size_t>(i)] = static_cast<std::int32_t>(
            std::lround(128 + amplitude * std::sin(2 * std::numbers::pi * i / period)));
    return s;
}

class TraceDrawerTest : public ::testing::Test {
protected:
    TraceDrawerTest() {
        surface.originX = kLeft;
        surface.originY = kTop;
        surface.width = kWidth;
        surface.height = kHeight;
        surface.timeDivNs = 1000;
        surface.background = kBackground;
        header.fill(0);
        header[kHdrDivider] = 1;
    }

    // Draws one series (used as both first and second series) with the given settings.
    std::vector<LineCall> draw(const Series& first, const Series& second, DrawMode mode,
                               double pixelsPerSample, int start = 0, double offset = 0) {
        Trace t;
        t.mode = mode;
        t.first = first;
        t.second = second;
        t.count = static_cast<int>(std::min(first.size(), second.size()));
        t.color = kColor;
        t.pixelsPerSample = pixelsPerSample;
        t.startIndex = start;
        t.subSampleOffset = offset;
        t.rollGap = rollGap;
        canvas.clear();
        drawer.draw(canvas, surface, t, header);
        return canvas.lines();
    }
    std::vector<LineCall> draw(const Series& s, DrawMode mode, double pixelsPerSample,
                               int start = 0, double offset = 0) {
        return draw(s, s, mode, pixelsPerSample, start, offset);
    }

    TraceSurface surface;
    Header header{};
    bool rollGap = false;
    TraceDrawer drawer{kWidth};
    RecordingCanvas canvas;
};

// A one-pixel vertical segment at x for a sample of the given height.
LineCall dot(int x, int height) {
    return {x, yOf(height), x, yOf(height + 1), kColor};
}

TEST_F(TraceDrawerTest, DotsDrawOnePixelPerSampleAtItsColumn) {
    const auto lines = draw({10, 20, 30}, DrawMode::Dots, 2.0);
    EXPECT_EQ(lines, (std::vector<LineCall>{dot(10, 10), dot(12, 20), dot(14, 30)}));
}

TEST_F(TraceDrawerTest, VectorsJoinRisingAndFallingAndSkipTheDotAfterAJoin) {
    const auto lines = draw({10, 20, 20, 5}, DrawMode::Vectors, 1.0);
    const std::vector<LineCall> expected{
        dot(10, 10),
        {10, yOf(10), 11, yOf(20), kColor}, // rising: from the previous high to this low
        {11, yOf(20), 12, yOf(20), kColor}, // equal counts as rising
        {12, yOf(20), 13, yOf(5), kColor},  // falling: from the previous low to this high
    };
    EXPECT_EQ(lines, expected);
}

TEST_F(TraceDrawerTest, OverlappingColumnsAreNotJoinedAndRangesKeepTheirSegment) {
    // Columns 0 and 1 overlap (10..20 and 15..25): no joining line. Column 2 (30..40) lies
    // above column 1: joined from its high to column 2's low, and its segment still drawn.
    const auto lines = draw({10, 15, 30}, {20, 25, 40}, DrawMode::Vectors, 1.0);
    const std::vector<LineCall> expected{
        {10, yOf(10), 10, yOf(21), kColor},
        {11, yOf(15), 11, yOf(26), kColor},
        {11, yOf(25), 12, yOf(30), kColor},
        {12, yOf(30), 12, yOf(41), kColor},
    };
    EXPECT_EQ(lines, expected);
}

TEST_F(TraceDrawerTest, EmptyColumnsBetweenSamplesAreJoinedInVectorsMode) {
    const auto lines = draw({10, 50, 20}, DrawMode::Vectors, 10.0);
    const std::vector<LineCall> expected{
        dot(10, 10),
        {10, yOf(10), 20, yOf(50), kColor},
        {20, yOf(50), 30, yOf(20), kColor},
    };
    EXPECT_EQ(lines, expected);
}

TEST_F(TraceDrawerTest, ManySamplesPerColumnGiveThePeakEnvelope) {
    // Ten samples per column: each column is one segment from the lowest first-series value to
    // the highest second-series value of the samples that fall into it.
    const int n = 100;
    Series first(n), second(n);
    for (int k = 0; k < n; ++k) {
        first[static_cast<std::size_t>(k)] = 50 + (k * 7) % 13;
        second[static_cast<std::size_t>(k)] = 150 + (k * 5) % 11;
    }
    const auto lines = draw(first, second, DrawMode::Dots, 0.1);

    std::vector<LineCall> expected;
    for (int column = 0; column <= 10; ++column) {
        int lo = INT_MAX, hi = INT_MIN;
        for (int k = 0; k < n; ++k) {
            if (roundToInt32(0.1 * (10.0 * k) * 0.1) != column)
                continue;
            lo = std::min(lo, first[static_cast<std::size_t>(k)]);
            hi = std::max(hi, second[static_cast<std::size_t>(k)]);
        }
        expected.push_back({kLeft + column, yOf(lo), kLeft + column, yOf(hi + 1), kColor});
    }
    EXPECT_EQ(lines, expected);
}

TEST_F(TraceDrawerTest, EnvelopeHoldsForEveryScaleSign) {
    // A negative scale turns the trace upside down: the lowest height of a column then comes
    // from its highest first-series value. Checked against heights computed sample by sample.
    const int n = 200;
    Series first(n), second(n);
    for (int k = 0; k < n; ++k) {
        first[static_cast<std::size_t>(k)] = 60 + (k * 37) % 71;
        second[static_cast<std::size_t>(k)] = first[static_cast<std::size_t>(k)] + (k * 3) % 9;
    }
    for (double scale : {1.7, -1.5, 0.0}) {
        Trace t;
        t.mode = DrawMode::Dots;
        t.first = first;
        t.second = second;
        t.count = n;
        t.color = kColor;
        t.scale = scale;
        t.zero = 100;
        t.position = 128;
        t.pixelsPerSample = 0.25;
        canvas.clear();
        drawer.draw(canvas, surface, t, header);

        auto height = [&](std::int32_t v) {
            return roundToInt32(((v - 100.0) * scale + 128) * (kHeight / 256.0));
        };
        std::vector<LineCall> expected;
        for (int column = 0; column <= kWidth + 1; ++column) {
            int lo = INT_MAX, hi = INT_MIN;
            for (int k = 0; k < n; ++k) {
                if (roundToInt32(0.25 * (10.0 * k) * 0.1) != column)
                    continue;
                lo = std::min(lo, height(first[static_cast<std::size_t>(k)]));
                hi = std::max(hi, height(second[static_cast<std::size_t>(k)]));
            }
            if (lo != INT_MAX)
                expected.push_back({kLeft + column, yOf(lo), kLeft + column, yOf(hi + 1), kColor});
        }
        EXPECT_EQ(canvas.lines(), expected) << "scale " << scale;
    }
}

TEST_F(TraceDrawerTest, NegativeStartIndexBeginsWithSampleZeroFurtherRight) {
    const auto lines = draw({50, 60}, DrawMode::Dots, 2.0, -3);
    EXPECT_EQ(lines, (std::vector<LineCall>{dot(16, 50), dot(18, 60)}));
}

TEST_F(TraceDrawerTest, StartIndexSkipsTheSamplesBeforeIt) {
    const auto lines = draw({50, 60, 70}, DrawMode::Dots, 2.0, 1);
    EXPECT_EQ(lines, (std::vector<LineCall>{dot(10, 60), dot(12, 70)}));
}

struct OffsetCase {
    double offset;
    int firstX;
    int secondX;
};

TEST_F(TraceDrawerTest, SubSampleOffsetMovesTheTraceLeftByWholeAndFractionalPixels) {
    // Ten pixels per sample: u = 10 x offset is split into a whole shift and a fraction.
    const OffsetCase cases[] = {
        {0.0, 10, 20},  {0.2, 8, 18}, // u 2: shift 2
        {0.25, 8, 18},  // u 2.5: shift 3, the fraction rounds the first column up to 1
        {0.26, 7, 17},  // u 2.6: shift 3
        {-0.3, 13, 23}, // negative offsets move it right
    };
    for (const auto& c : cases) {
        const auto lines = draw({40, 60}, DrawMode::Dots, 10.0, 0, c.offset);
        ASSERT_EQ(lines.size(), 2u) << c.offset;
        EXPECT_EQ(lines[0].x1, c.firstX) << c.offset;
        EXPECT_EQ(lines[1].x1, c.secondX) << c.offset;
    }
}

TEST_F(TraceDrawerTest, DrawingStopsOneColumnPastTheRightEdge) {
    const Series s(1000, 100);
    const auto lines = draw(s, DrawMode::Dots, 1.0);
    ASSERT_EQ(lines.size(), static_cast<std::size_t>(kWidth + 2));
    EXPECT_EQ(lines.front().x1, kLeft);
    EXPECT_EQ(lines.back().x1, kLeft + kWidth + 1);
}

struct InterpolationCase {
    DrawMode mode;
    std::int32_t divider;
    double pixelsPerSample;
    bool interpolated;
};

TEST_F(TraceDrawerTest, SinxxInterpolatesOnlyAtFullRateAndMoreThanPointNinePixelsPerSample) {
    const InterpolationCase cases[] = {
        {DrawMode::Sinxx, 1, 0.9, false}, // the threshold is strict
        {DrawMode::Sinxx, 1, 0.91, true}, {DrawMode::Sinxx, 1, 5.0, true},
        {DrawMode::Sinxx, 2, 5.0, false}, // a sample step above 1 draws like vectors
        {DrawMode::Sinxx, 0, 5.0, false}, {DrawMode::Vectors, 1, 5.0, false},
    };
    const Series s = sine(400, 7.3);
    for (const auto& c : cases) {
        header[kHdrDivider] = c.divider;
        const auto vectors = draw(s, DrawMode::Vectors, c.pixelsPerSample);
        const auto lines = draw(s, c.mode, c.pixelsPerSample);
        EXPECT_EQ(lines != vectors, c.interpolated)
            << static_cast<int>(c.mode) << " divider " << c.divider << " pps " << c.pixelsPerSample;
    }
}

TEST_F(TraceDrawerTest, InterpolatedColumnsTakeTheSincValuesAtEachTenth) {
    // Ten pixels per sample: every tenth of a sample has its own column, each joined to the
    // one before, so each joining line ends at the interpolated value of its column.
    const Series s = sine(40, 6.1);
    const auto lines = draw(s, DrawMode::Sinxx, 10.0);
    // Columns 0 .. W + 1: a dot, then one joining line each.
    ASSERT_EQ(lines.size(), static_cast<std::size_t>(kWidth + 2));
    EXPECT_EQ(lines[0], dot(kLeft, s[0]));
    for (int j = 1; j <= kWidth + 1; ++j) {
        const std::int32_t v = sincInterpolate(s, j / 10, j % 10, 40);
        EXPECT_EQ(lines[static_cast<std::size_t>(j)].x2, kLeft + j);
        EXPECT_EQ(lines[static_cast<std::size_t>(j)].y2, yOf(v)) << "column " << j;
    }
}

TEST_F(TraceDrawerTest, VerticalMappingUsesZeroScalePositionAndPlotHeight) {
    surface.height = 128; // half a pixel per code
    Trace t;
    t.mode = DrawMode::Dots;
    const Series s{150};
    t.first = s;
    t.second = s;
    t.count = 1;
    t.color = kColor;
    t.scale = 2.0;
    t.zero = 100;
    t.position = 63;
    drawer.draw(canvas, surface, t, header);
    // ((150 - 100) x 2 + 63) x 0.5 = 81.5, rounded half away from zero to 82.
    const int y = kTop + 128 - 82;
    EXPECT_EQ(canvas.lines(), (std::vector<LineCall>{{kLeft, y, kLeft, y - 1, kColor}}));
}

TEST_F(TraceDrawerTest, EntriesWithoutSampleLeaveTheirColumnEmpty) {
    const auto lines = draw({10, kNoSample, 30}, DrawMode::Vectors, 1.0);
    const std::vector<LineCall> expected{dot(10, 10), {10, yOf(10), 12, yOf(30), kColor}};
    EXPECT_EQ(lines, expected);
}

// A roll frame: divider 1 and 200 ns per division give a gap of 10 samples after the ring
// position 40.
class RollGapTest : public TraceDrawerTest {
protected:
    RollGapTest() {
        surface.timeDivNs = 200;
        header[kHdrRoll] = 1;
        header[kHdrRing] = 40;
        rollGap = true;
    }
    const Series flat = Series(100, 100);
    const ColorRef faded = blendColor(kColor, kBackground, 3);
};

TEST_F(RollGapTest, GapColumnStaysEmptyAndTheHalfDivisionAfterItIsFaded) {
    const auto lines = draw(flat, DrawMode::Dots, 1.0);
    ASSERT_EQ(lines.size(), 99u);
    for (const LineCall& l : lines) {
        const int column = l.x1 - kLeft;
        EXPECT_NE(column, 40);
        EXPECT_EQ(l.pen, column > 40 && column < 50 ? faded : kColor) << "column " << column;
    }
}

TEST_F(RollGapTest, VectorsBreakAtTheGap) {
    const auto lines = draw(flat, DrawMode::Vectors, 1.0);
    for (const LineCall& l : lines) {
        EXPECT_FALSE(l.x1 == kLeft + 39 && l.x2 == kLeft + 41);
        EXPECT_NE(l.x2, kLeft + 40);
    }
    // Column 41 starts a new segment with its own dot.
    EXPECT_NE(std::find(lines.begin(), lines.end(),
                        LineCall{kLeft + 41, yOf(100), kLeft + 41, yOf(101), faded}),
              lines.end());
}

TEST_F(RollGapTest, NoGapWithoutTheSwitchOrTheRollFlag) {
    rollGap = false;
    auto lines = draw(flat, DrawMode::Dots, 1.0);
    EXPECT_EQ(lines.size(), 100u);
    EXPECT_TRUE(canvas.linesWithPen(faded).empty());

    rollGap = true;
    header[kHdrRoll] = 0;
    lines = draw(flat, DrawMode::Dots, 1.0);
    EXPECT_EQ(lines.size(), 100u);
    EXPECT_TRUE(canvas.linesWithPen(faded).empty());
}

TEST_F(RollGapTest, GapIsAtLeastFiveSamples) {
    // Divider 0 (a damaged header) and a division of fewer than ten samples both give five.
    for (std::int32_t divider : {0, 50, -3}) {
        header[kHdrDivider] = divider;
        draw(flat, DrawMode::Dots, 1.0);
        EXPECT_EQ(canvas.linesWithPen(faded).size(), 4u) << divider; // columns 41..44
    }
}

TEST_F(RollGapTest, GapAtTheFirstColumnFadesWithoutABreak) {
    header[kHdrRing] = 0;
    const auto lines = draw(flat, DrawMode::Dots, 1.0);
    EXPECT_EQ(lines.size(), 100u);
    EXPECT_EQ(canvas.linesWithPen(faded).size(), 10u);
}

// ---- Damaged frames and absurd arguments

struct BadInput {
    std::string name;
    std::function<void(Trace&, TraceSurface&, Header&)> apply;
    bool drawsNothing;
};

TEST_F(TraceDrawerTest, BadInputDrawsWhatCanBeDrawnWithinBounds) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const std::vector<BadInput> cases{
        {"pixels per sample 0", [](Trace& t, auto&, auto&) { t.pixelsPerSample = 0; }, true},
        {"pixels per sample negative", [](Trace& t, auto&, auto&) { t.pixelsPerSample = -2; },
         true},
        {"pixels per sample NaN", [&](Trace& t, auto&, auto&) { t.pixelsPerSample = nan; }, true},
        {"pixels per sample inf", [&](Trace& t, auto&, auto&) { t.pixelsPerSample = inf; }, true},
        {"pixels per sample tiny", [](Trace& t, auto&, auto&) { t.pixelsPerSample = 1e-300; },
         false},
        {"pixels per sample huge", [](Trace& t, auto&, auto&) { t.pixelsPerSample = 1e300; },
         false},
        {"sub-sample offset NaN", [&](Trace& t, auto&, auto&) { t.subSampleOffset = nan; }, true},
        {"sub-sample offset huge", [](Trace& t, auto&, auto&) { t.subSampleOffset = 1e12; }, false},
        {"sub-sample offset hugely negative",
         [](Trace& t, auto&, auto&) { t.subSampleOffset = -1e12; }, false},
        {"scale NaN", [&](Trace& t, auto&, auto&) { t.scale = nan; }, true},
        {"scale infinite", [&](Trace& t, auto&, auto&) { t.scale = -inf; }, true},
        {"scale huge", [](Trace& t, auto&, auto&) { t.scale = 1e200; }, false},
        {"scale hugely negative", [](Trace& t, auto&, auto&) { t.scale = -1e300; }, false},
        {"count negative", [](Trace& t, auto&, auto&) { t.count = -5; }, true},
        {"count beyond the arrays", [](Trace& t, auto&, auto&) { t.count = INT_MAX; }, false},
        {"start index minimum", [](Trace& t, auto&, auto&) { t.startIndex = INT_MIN; }, true},
        {"start index maximum", [](Trace& t, auto&, auto&) { t.startIndex = INT_MAX; }, true},
        {"divider 0", [](auto&, auto&, Header& h) { h[kHdrDivider] = 0; }, false},
        {"divider minimum", [](auto&, auto&, Header& h) { h[kHdrDivider] = INT32_MIN; }, false},
        {"ring position beyond", [](auto&, auto&, Header& h) { h[kHdrRing] = INT32_MAX; }, false},
        {"ring position negative", [](auto&, auto&, Header& h) { h[kHdrRing] = INT32_MIN; }, false},
        {"time per division 0", [](auto&, TraceSurface& s, auto&) { s.timeDivNs = 0; }, false},
        {"time per division minimum",
         [](auto&, TraceSurface& s, auto&) { s.timeDivNs = INT64_MIN; }, false},
        {"width 0", [](auto&, TraceSurface& s, auto&) { s.width = 0; }, true},
        {"width negative", [](auto&, TraceSurface& s, auto&) { s.width = -100; }, true},
        {"width absurd", [](auto&, TraceSurface& s, auto&) { s.width = INT_MAX; }, true},
        {"width 1", [](auto&, TraceSurface& s, auto&) { s.width = 1; }, false},
        {"height 0", [](auto&, TraceSurface& s, auto&) { s.height = 0; }, true},
        {"height 1", [](auto&, TraceSurface& s, auto&) { s.height = 1; }, false},
    };

    // Hostile sample values around the no-sample value and the type's limits, a roll frame.
    Series first(300), second(300);
    for (int i = 0; i < 300; ++i) {
        const std::int32_t v = i % 3 == 0 ? INT32_MAX - 1 : (i % 3 == 1 ? INT32_MIN : i);
        first[static_cast<std::size_t>(i)] = v;
        second[static_cast<std::size_t>(i)] = i % 5 == 0 ? INT32_MAX - 2 : v;
    }
    for (DrawMode mode : {DrawMode::Dots, DrawMode::Vectors, DrawMode::Sinxx}) {
        for (const auto& c : cases) {
            Trace t;
            t.mode = mode;
            t.first = first;
            t.second = second;
            t.count = 300;
            t.color = kColor;
            t.pixelsPerSample = 2;
            t.rollGap = true;
            TraceSurface s = surface;
            Header h = header;
            h[kHdrRoll] = 1;
            h[kHdrRing] = 50;
            c.apply(t, s, h);
            canvas.clear();
            drawer.draw(canvas, s, t, h);
            const auto box = canvas.bounds();
            if (c.drawsNothing) {
                EXPECT_TRUE(box.empty) << c.name;
                continue;
            }
            EXPECT_FALSE(box.empty) << c.name;
            // Nothing runs away: heights are held about a million pixels off the plot.
            constexpr int kLimit = (1 << 20) + 1000;
            EXPECT_GE(box.minY, -kLimit) << c.name;
            EXPECT_LE(box.maxY, kLimit) << c.name;
            EXPECT_GE(box.minX, -kLimit) << c.name;
            EXPECT_LE(box.maxX, kLimit) << c.name;
        }
    }
}

TEST_F(TraceDrawerTest, CountIsLimitedToTheShorterSeries) {
    const Series first(50, 100);
    const Series second(30, 120);
    Trace t;
    t.mode = DrawMode::Dots;
    t.first = first;
    t.second = second;
    t.count = 40000;
    t.pixelsPerSample = 1;
    drawer.draw(canvas, surface, t, header);
    EXPECT_EQ(canvas.lines().size(), 30u);
}

TEST_F(TraceDrawerTest, ReusedDrawerStartsEachCallFromEmptyColumns) {
    draw(Series(100, 200), DrawMode::Dots, 1.0);
    const auto lines = draw({10}, DrawMode::Dots, 1.0);
    EXPECT_EQ(lines, (std::vector<LineCall>{dot(10, 10)}));
}

} // namespace
} // namespace qs40
