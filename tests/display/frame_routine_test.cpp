#include "display/frame_routine.h"
#include "display/mouse_logic.h"
#include "display/variant_prompt.h"

#include "recording_canvas.h"
#include "scope/arith.h"
#include "scope/background_oscillogram.h"
#include "scripted_ui.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <functional>
#include <numbers>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace qs40 {
namespace {

using test::Call;
using test::CallKind;
using test::RecordingCanvas;
using testing::ScriptedUi;

// Colours chosen so that full, half and quarter intensities of every channel differ from each
// other and from every other colour (the plot background is black, so a blend halves a byte).
constexpr ColorRef kA1 = 0x0000C0, kA2 = 0x00C000, kD1 = 0xC00000, kD2 = 0xC0C000;
constexpr ColorRef kGrid = 0x010101, kTrigPos = 0x020202, kMarkers = 0x030303, kFft = 0x040404;
constexpr ColorRef kBorder = 0x050505, kGridFrame = 0x060606;

ColorRef half(ColorRef c) {
    return blendColor(c, 0, 2);
}
ColorRef quarter(ColorRef c) {
    return blendColor(half(c), 0, 2);
}

// A 560 x 370 paint box: plot at (30, 24), 500 x 256, one pixel per sample code.
constexpr PlotGeometry kPlot{.smallPlot = false,
                             .left = 30,
                             .top = 24,
                             .width = 500,
                             .height = 256,
                             .bitmapWidth = 560,
                             .bitmapHeight = 370};

// The screen y of a height in pixels above the plot's bottom edge.
constexpr int yOf(int height) {
    return kPlot.top + kPlot.height - height;
}

// Sines on the analog channels around their zero levels, square waves on the digital ones.
void fillFrame(FrameData& f, int samples, std::int32_t divider) {
    f.reset();
    for (int i = 0; i < samples; ++i) {
        const auto at = static_cast<std::size_t>(i);
        const auto a1 = static_cast<std::int32_t>(
            std::lround(128 + 60 * std::sin(2 * std::numbers::pi * i / 100.0)));
        const auto a2 = static_cast<std::int32_t>(
            std::lround(64 + 30 * std::sin(2 * std::numbers::pi * i / 40.0)));
        f.series[kA1First][at] = f.series[kA1Second][at] = a1;
        f.series[kA2First][at] = f.series[kA2Second][at] = a2;
        f.series[kD1First][at] = f.series[kD1Second][at] = (i / 25) % 2;
        f.series[kD2First][at] = f.series[kD2Second][at] = (i / 60) % 2;
    }
    auto& h = f.header;
    h[kHdrVariant] = 31;
    h[kHdrDivider] = divider;
    h[kHdrVoltsDivA1] = 1'000'000;
    h[kHdrZeroA1] = 128;
    h[kHdrVoltsDivA2] = 1'000'000;
    h[kHdrZeroA2] = 64;
    h[kHdrLength] = samples;
    h[kHdrTrigPos] = samples / 10;
    h[kHdrValid] = samples;
    h[kHdrTrigLevel] = 140;
    h[kHdrTrigSource] = 1;
    h[kHdrChannels] = 0xF;
    h[kHdrFrameCounter] = 17;
}

// A ZR4003 at 1 us/div and 1 V/div: a frame of 1 sample per 10 ns fills the plot with 1000
// samples, half a pixel each.
struct Routine : ::testing::Test {
    ScopeState state;
    AcquisitionParams params;
    FrameSets frames;
    PlotGeometry geometry = kPlot;
    ScriptedUi ui;
    std::vector<std::int32_t> rebuiltFor;
    RebuildInterface rebuild = [this](std::int32_t code) {
        rebuiltFor.push_back(code);
        state.System.Device_Type_Code = code;
    };
    VariantCheckFlags flags;
    std::optional<std::int32_t> lastRebuilt; // what the last check rebuilt the interface for
    Spectrum spectrum;
    ActivityIndicator activity;
    FrameRoutine routine;
    RecordingCanvas canvas{560, 370};
    int scroll = 0;
    DragTarget drag = DragTarget::None;

    Routine() {
        state.System.Device_Type_Code = 31;
        state.Common.Russian = false;
        state.Colors = {.CH_A1 = kA1,
                        .CH_A2 = kA2,
                        .CH_D1 = kD1,
                        .CH_D2 = kD2,
                        .Background = 0,
                        .Border = kBorder,
                        .Markers = kMarkers,
                        .Grid = kGrid,
                        .Grid_Frame = kGridFrame,
                        .Trig_Pos = kTrigPos,
                        .FFT = kFft,
                        .Extra_Info = 0x080808};
        state.Trigger.Source = TrigSource::A1;
        params.timePerDivNs = 1000;
        params.voltsDivA1 = 1'000'000;
        params.voltsDivA2 = 1'000'000;
        params.drawMode = 1; // vectors
        params.triggerCount = 1;
        fillFrame(*frames.current, 5000, 1);
    }

    // As the window draws: the variant check first (it may ask), then the routine.
    FrameOutput run() {
        canvas.clear();
        lastRebuilt = checkFrameVariant(state, frames.current->header, flags, ui, rebuild);
        return routine.run(FrameInput{.state = state,
                                      .params = params,
                                      .frames = frames,
                                      .geometry = geometry,
                                      .spectrum = spectrum,
                                      .activity = activity,
                                      .scrollPosition = scroll,
                                      .running = true,
                                      .dragTarget = drag},
                           canvas);
    }

    void keepBackground(int samples, std::int32_t divider) {
        fillFrame(*frames.background, samples, divider);
        frames.background->header[kHdrFrameCounter] = 5;
        state.Run.bgView = true;
    }

    // Index of the first call that matches, or -1.
    int firstIndex(const std::function<bool(const Call&)>& match) const {
        const auto& calls = canvas.calls();
        for (std::size_t i = 0; i < calls.size(); ++i)
            if (match(calls[i]))
                return static_cast<int>(i);
        return -1;
    }
    int lastIndex(const std::function<bool(const Call&)>& match) const {
        const auto& calls = canvas.calls();
        for (std::size_t i = calls.size(); i-- > 0;)
            if (match(calls[i]))
                return static_cast<int>(i);
        return -1;
    }
    int firstLineWithPen(ColorRef pen) const {
        return firstIndex(
            [&](const Call& c) { return c.kind == CallKind::Line && c.state.pen == pen; });
    }
    int firstPolygon(ColorRef pen, ColorRef brush) const {
        return firstIndex([&](const Call& c) {
            return c.kind == CallKind::Polygon && c.state.pen == pen && c.state.brush == brush;
        });
    }
    // Lines of one colour inside the plot's columns: the traces, not the marks at the edges.
    std::vector<test::LineCall> traceLines(ColorRef pen) const {
        std::vector<test::LineCall> out;
        for (const auto& l : canvas.linesWithPen(pen))
            if (std::max(l.x1, l.x2) <= kPlot.left + kPlot.width)
                out.push_back(l);
        return out;
    }
    std::size_t linesWithPen(ColorRef pen) const { return traceLines(pen).size(); }

    // Every screen y the traces of one colour touch.
    std::set<int> lineYs(ColorRef pen) const {
        std::set<int> ys;
        for (const auto& l : traceLines(pen)) {
            ys.insert(l.y1);
            ys.insert(l.y2);
        }
        return ys;
    }
    std::vector<int> lineXs(ColorRef pen) const {
        std::vector<int> xs;
        for (const auto& l : traceLines(pen))
            xs.push_back(l.x1);
        return xs;
    }
};

// ---- The order of the layers

TEST_F(Routine, DrawsTheLayersInOrder) {
    keepBackground(5000, 1);
    state.Common.Markers_2 = true;
    const FrameOutput out = run();

    const int clear = firstIndex([](const Call& c) {
        return c.kind == CallKind::FillRect && c.args == std::vector<int>{30, 24, 531, 281} &&
               c.state.brush == 0;
    });
    const int grid = firstLineWithPen(kGrid);
    const int trigLine = firstLineWithPen(kTrigPos);
    const int backgroundTrace = firstLineWithPen(half(kD2));
    const int currentD2 = firstLineWithPen(kD2);
    const int currentA1 = firstLineWithPen(kA1);
    const int markers = firstLineWithPen(kMarkers);
    const int border = firstIndex([](const Call& c) {
        return c.kind == CallKind::FillRect && c.args == std::vector<int>{0, 0, 560, 24} &&
               c.state.brush == kBorder;
    });
    const int frame = firstIndex([](const Call& c) { return c.kind == CallKind::Polyline; });
    const int text = firstIndex([](const Call& c) { return c.kind == CallKind::Text; });
    const int levelMark = firstPolygon(kA2, 0);
    const int backgroundArrow = firstPolygon(half(kA1), half(kA1));
    const int currentArrow = firstPolygon(kA1, kA1);
    const int backgroundZero = firstPolygon(half(kA2), 0);
    // The A1 zero mark is the last shape; its level mark came before the arrows.
    const int currentZero = lastIndex([](const Call& c) {
        return c.kind == CallKind::Polygon && c.state.pen == kA1 && c.state.brush == 0;
    });

    const std::vector<int> order{
        clear, grid, trigLine,  backgroundTrace, currentD2,    currentA1,      markers,    border,
        frame, text, levelMark, backgroundArrow, currentArrow, backgroundZero, currentZero};
    for (std::size_t i = 0; i < order.size(); ++i)
        EXPECT_GE(order[i], 0) << "layer " << i << " missing";
    EXPECT_TRUE(std::is_sorted(order.begin(), order.end()));
    EXPECT_EQ(out.fftState, kFftNone);
    EXPECT_EQ(out.backgroundStartIndex, 0);
}

TEST_F(Routine, BorderCoversEverythingOutsideThePlotArea) {
    run();
    std::vector<std::vector<int>> bands;
    for (const auto& s : canvas.fills(kBorder))
        if (s.kind == CallKind::FillRect)
            bands.push_back(s.args);
    const std::vector<std::vector<int>> expected{
        {0, 0, 560, 24}, {0, 281, 560, 370}, {0, 24, 30, 281}, {531, 24, 560, 281}};
    ASSERT_GE(bands.size(), 4u);
    EXPECT_EQ(std::vector(bands.begin(), bands.begin() + 4), expected);
}

// ---- Position bar

TEST_F(Routine, PositionBarFollowsTheValidSamples) {
    const struct {
        int scroll;
        std::int32_t valid;
        int position, max;
    } cases[] = {
        {300, 200, 0, 200},     // beyond the new frame: back to the start
        {150, 200, 150, 200},   // inside: kept
        {200, 200, 200, 200},   // at the end: kept
        {-5, 200, 0, 200},      // a negative position is no position
        {10, 50000, 10, 40000}, // a count beyond the arrays is held at them
        {10, -3, 0, 0},         // a negative count is none
    };
    for (const auto& c : cases) {
        scroll = c.scroll;
        frames.current->header[kHdrValid] = c.valid;
        const FrameOutput out = run();
        EXPECT_EQ(out.scrollPosition, c.position) << c.scroll << " " << c.valid;
        EXPECT_EQ(out.scrollMin, 0);
        EXPECT_EQ(out.scrollMax, c.max) << c.scroll << " " << c.valid;
    }
}

TEST_F(Routine, TracesStartAtTheResetPosition) {
    // A frame whose first 100 samples sit at code 10 and the rest at code 200, seen from
    // sample 150 of an older, longer frame: the reset draws the low samples again.
    for (int i = 0; i < 120; ++i) {
        frames.current->series[kA1First][static_cast<std::size_t>(i)] = i < 100 ? 10 : 200;
        frames.current->series[kA1Second][static_cast<std::size_t>(i)] = i < 100 ? 10 : 200;
    }
    frames.current->header[kHdrLength] = 120;
    frames.current->header[kHdrValid] = 120;
    frames.current->header[kHdrZeroA1] = 0;
    state.Scope.A1_Zero = -1; // position 0: a code is its height
    state.Common.CH_A2 = state.Common.CH_D1 = state.Common.CH_D2 = false;
    scroll = 150;
    run();
    EXPECT_TRUE(lineYs(kA1).count(yOf(10)));
}

// ---- Spectrum

TEST(FftState, FromTheSelectedItemAndTheFrame) {
    const struct {
        bool a1, a2;
        std::int32_t length, valid, mask, pairs;
        int expected;
    } cases[] = {
        {false, false, 5000, 5000, 0xF, 0, kFftNone},
        {true, false, 5000, 127, 0xF, 0, kFftA1Unavailable},
        {true, false, 5000, 128, 0xF, 0, kFftA1},
        {true, false, 5000, 128, 0xE, 0, kFftA1Unavailable}, // no A1 data
        {true, false, 5000, 128, 0xF, 1, kFftPeakDetection},
        {true, false, 5000, 127, 0xF, 1, kFftA1Unavailable},
        {false, true, 5000, 128, 0x2, 0, kFftA2},
        {false, true, 5000, 100, 0x2, 0, kFftA2Unavailable},
        {false, true, 5000, 128, 0x1, 0, kFftA2Unavailable},
        {false, true, 5000, 4000, 0x3, 1, kFftPeakDetection},
        {true, false, 0, 5000, 0xF, 0, kFftA1Unavailable}, // a count without a frame
    };
    for (const auto& c : cases) {
        ScopeState s;
        s.FFT_A1.View = c.a1;
        s.FFT_A2.View = c.a2;
        HeaderFields h{};
        h[kHdrLength] = c.length;
        h[kHdrValid] = c.valid;
        h[kHdrChannels] = c.mask;
        h[kHdrPairs] = c.pairs;
        EXPECT_EQ(fftStateFor(s, h), c.expected)
            << c.a1 << c.a2 << " " << c.valid << " " << c.mask << " " << c.pairs;
    }
}

TEST_F(Routine, TooFewSamplesForASpectrumShowTheNoticeOverFullTraces) {
    state.FFT_A1.View = true;
    frames.current->header[kHdrValid] = 127;
    const FrameOutput out = run();
    EXPECT_EQ(out.fftState, kFftA1Unavailable);
    const auto notice = canvas.findText("Unsufficient  A1 samples for FFT.");
    ASSERT_TRUE(notice);
    EXPECT_EQ(notice->state.fontColor, kFft);
    EXPECT_GT(linesWithPen(kA1), 0u);
    EXPECT_EQ(linesWithPen(half(kA1)), 0u);
    EXPECT_EQ(linesWithPen(kFft), 0u);
    EXPECT_LT(firstLineWithPen(kGrid), firstLineWithPen(kA1)); // the grid lies under the traces
}

TEST_F(Routine, EnoughSamplesDrawTheSpectrumOverFadedTraces) {
    state.FFT_A1.View = true;
    state.FFT.Size = 0;
    frames.current->header[kHdrValid] = 128;
    keepBackground(5000, 1);
    const FrameOutput out = run();
    EXPECT_EQ(out.fftState, kFftA1);
    EXPECT_FALSE(canvas.findText("Unsufficient"));
    EXPECT_EQ(linesWithPen(kA1), 0u);
    EXPECT_GT(linesWithPen(half(kA1)), 0u);    // current traces
    EXPECT_GT(linesWithPen(quarter(kA1)), 0u); // background traces
    EXPECT_GT(linesWithPen(kFft), 0u);
    // Grid over the faded traces, spectrum over the grid.
    EXPECT_LT(firstLineWithPen(half(kA1)), firstLineWithPen(kGrid));
    EXPECT_LT(firstLineWithPen(kGrid), firstLineWithPen(kFft));
    // 512 points across 500 pixels: the spectrum spans the plot and no more.
    for (const auto& l : canvas.linesWithPen(kFft)) {
        EXPECT_GE(l.x1, kPlot.left);
        EXPECT_LE(l.x2, kPlot.left + kPlot.width);
    }
    // The spectrum of the first 128 samples, as the spectrum routine gives it.
    Spectrum reference;
    std::vector<std::int32_t> counts(kSpectrumEntries);
    reference.compute(0, state.FFT.Win, 0, frames.current->series[kA1First], 1'000'000,
                      {.totalSamples = 5000, .validSamples = 128}, counts);
    EXPECT_TRUE(std::equal(counts.begin(), counts.end(), routine.spectrumCounts().begin()));
    EXPECT_EQ(spectrum.referenceLevel(), reference.referenceLevel());
    EXPECT_TRUE(canvas.findText(std::to_string(reference.referenceLevel()) + " dBV"));
}

TEST_F(Routine, PeakDetectionShowsItsNotice) {
    state.FFT_A2.View = true;
    frames.current->header[kHdrPairs] = 1;
    EXPECT_EQ(run().fftState, kFftPeakDetection);
    EXPECT_TRUE(canvas.findText("Sampling must be Normal for FFT."));
    EXPECT_EQ(linesWithPen(kFft), 0u);
}

TEST_F(Routine, SpectrumItemOfAHiddenChannelIsDisabledAndUnchecked) {
    state.FFT_A1.View = true;
    state.Common.CH_A1 = false;
    FrameOutput out = run();
    EXPECT_FALSE(state.FFT_A1.View);
    EXPECT_FALSE(out.fftMenu.a1Enabled);
    EXPECT_FALSE(out.fftMenu.a1Checked);
    EXPECT_TRUE(out.fftMenu.a2Enabled);

    state.Common.CH_A1 = true;
    state.Common.CH_A2 = false;
    state.FFT_A2.View = true;
    out = run();
    EXPECT_FALSE(state.FFT_A2.View);
    EXPECT_TRUE(out.fftMenu.a1Enabled);
    EXPECT_FALSE(out.fftMenu.a2Enabled);
    EXPECT_FALSE(out.fftMenu.a2Checked);
    EXPECT_EQ(run().fftState, kFftNone);
}

// ---- Background oscillogram

TEST_F(Routine, DigitalTracesShareTheirBandWithAShownBackground) {
    state.Common.CH_A1 = state.Common.CH_A2 = false;
    state.Trigger.Source = TrigSource::D1;
    frames.current->header[kHdrTrigSource] = 3;
    const struct {
        bool background, shown, swapped;
        int currentD1Low, currentD1High, backgroundD1Low;
        int currentArrowD1, backgroundArrowD1; // heights in codes, -1 for none
    } cases[] = {
        // Full 24-code traces at 4 and 36 without a background, or with one not shown.
        {false, false, false, 4, 28, -1, 15, -1},
        {true, false, false, 4, 28, -1, 15, -1},
        // 12 codes each: current above, background below; exchanged while swapped.
        {true, true, false, 18, 30, 2, 23, 7},
        {true, true, true, 2, 14, 18, 7, 23},
    };
    for (const auto& c : cases) {
        frames.background->reset();
        state.Run.bgView = false;
        if (c.background) {
            keepBackground(5000, 1);
            frames.background->header[kHdrTrigSource] = 3;
        }
        state.Run.bgView = c.shown;
        frames.swapped = c.swapped;
        run();
        const auto current = lineYs(kD1);
        EXPECT_TRUE(current.count(yOf(c.currentD1Low))) << c.shown << c.swapped;
        EXPECT_TRUE(current.count(yOf(c.currentD1High))) << c.shown << c.swapped;
        EXPECT_EQ(*current.rbegin(), yOf(c.currentD1Low)) << c.shown << c.swapped;
        const auto background = lineYs(half(kD1));
        if (c.backgroundD1Low < 0) {
            EXPECT_TRUE(background.empty());
        } else {
            EXPECT_EQ(*background.rbegin(), yOf(c.backgroundD1Low));
        }

        // Arrows: a one-pixel line at the right edge then a triangle pointing at the plot.
        auto arrowY = [&](ColorRef color) {
            for (const auto& p : canvas.polygons())
                if (p.state.brush == color && p.points.size() == 3)
                    return p.points[0].y;
            return -1;
        };
        EXPECT_EQ(arrowY(kD1), kPlot.top + 255 - c.currentArrowD1);
        EXPECT_EQ(arrowY(half(kD1)),
                  c.backgroundArrowD1 < 0 ? -1 : kPlot.top + 255 - c.backgroundArrowD1);
    }
}

// The window's swap and a drag of the background's zero level go through the frame sets,
// which the drawing reads: both show in the picture.
TEST_F(Routine, SwapAndBackgroundZeroDragShowInThePicture) {
    state.Common.CH_A2 = false;
    state.Trigger.Source = TrigSource::D1;
    frames.current->header[kHdrTrigSource] = 3;
    keepBackground(5000, 1);
    frames.background->header[kHdrTrigSource] = 3;
    frames.backgroundLevels = {.Lev_A1 = 170, .Lev_A2 = 120, .A1_Zero = 150, .A2_Zero = 100};
    state.Scope.A1_Zero = 191;
    state.Trigger.Lev_A1 = 200;

    ASSERT_EQ(swapBackground(frames, state), 5000);
    EXPECT_TRUE(frames.swapped);
    EXPECT_EQ(state.Scope.A1_Zero, 150);
    EXPECT_EQ(backgroundLevels(frames).A1_Zero, 191);

    // Left of the plot at the background's zero row (the current one is at 150), down to 120.
    MouseState mouse;
    const auto at = [](int code) {
        return MouseEvent{kPlot.left - 10, kPlot.top + 255 - code, {.left = true}};
    };
    const auto onThePlot = [&](const std::function<MouseFollowUp(MouseContext&)>& handler) {
        return onPlot(state, frames, geometry, mouse, handler);
    };
    EXPECT_EQ(onThePlot([&](MouseContext& c) { return mouseDown(c, at(191)); }),
              MouseFollowUp::Apply);
    EXPECT_EQ(mouse.dragTarget, DragTarget::BackgroundA1Zero);
    onThePlot([&](MouseContext& c) { return mouseMove(c, at(120)); });
    onThePlot([](MouseContext& c) { return mouseUp(c); });
    EXPECT_EQ(backgroundLevels(frames).A1_Zero, 120);
    EXPECT_DOUBLE_EQ(backgroundLevels(frames).Lev_A1, 129); // the trigger level came along
    EXPECT_EQ(state.Scope.A1_Zero, 150);

    run();
    // Zero marks come last, after the trigger level marks of the same shape.
    const auto zeroMarkY = [&](ColorRef pen) {
        int y = -1;
        for (const auto& p : canvas.polygons())
            if (p.state.pen == pen && p.state.brush == 0 && p.points.size() == 5)
                y = p.points[0].y;
        return y;
    };
    EXPECT_EQ(zeroMarkY(half(kA1)), kPlot.top + 255 - 120);
    EXPECT_EQ(zeroMarkY(kA1), kPlot.top + 255 - 150);
    // Swapped: the current digital trace in the lower band, the background's in the upper.
    EXPECT_EQ(*lineYs(kD1).rbegin(), yOf(2));
    EXPECT_EQ(*lineYs(half(kD1)).rbegin(), yOf(18));
    const auto arrowY = [&](ColorRef color) {
        for (const auto& p : canvas.polygons())
            if (p.state.brush == color && p.points.size() == 3)
                return p.points[0].y;
        return -1;
    };
    EXPECT_EQ(arrowY(kD1), kPlot.top + 255 - 7);
    EXPECT_EQ(arrowY(half(kD1)), kPlot.top + 255 - 23);
}

TEST_F(Routine, BackgroundNotShownDrawsNoTraceArrowOrZeroMark) {
    keepBackground(5000, 1);
    state.Run.bgView = false;
    frames.backgroundLevels.A1_Zero = 100;
    const FrameOutput out = run();
    for (ColorRef c : {kA1, kA2, kD1, kD2}) {
        EXPECT_EQ(linesWithPen(half(c)), 0u);
        EXPECT_EQ(canvas.fills(half(c)).size(), 0u); // arrows
        EXPECT_EQ(firstPolygon(half(c), 0), -1);     // zero marks
    }
    EXPECT_GE(firstPolygon(kA1, 0), 0);
    // The caption still names the kept frame.
    EXPECT_EQ(out.caption, "ZR4003  -  17  //   5");
}

TEST_F(Routine, BackgroundTooCoarseForThePlotIsNotDrawn) {
    // 500 pixels x 1000 / 1000 ns: one sample spans the whole plot.
    keepBackground(100, 1000);
    const FrameOutput out = run();
    for (ColorRef c : {kA1, kA2, kD1, kD2})
        EXPECT_EQ(linesWithPen(half(c)), 0u);
    // Its marks are still there.
    EXPECT_GE(firstPolygon(half(kA1), 0), 0);
    // Its trigger at sample 10, the current one at 500 of 1000 times finer samples: 9.5.
    EXPECT_EQ(out.backgroundStartIndex, 9);
}

TEST_F(Routine, BackgroundLinesUpWithTheCurrentFrameAfterTheTrigger) {
    // One background sample in A1; every other channel off.
    state.Common.CH_A2 = state.Common.CH_D1 = state.Common.CH_D2 = false;
    params.drawMode = 0; // dots
    struct Case {
        std::int32_t currentDivider, currentTrigger;
        int scroll;
        std::int32_t backgroundDivider, backgroundTrigger;
        int sample;     // the background sample that is set
        int startIndex; // stored background start index
        int x;          // where the sample is drawn
    };
    const Case cases[] = {
        // Same dividers: equal offsets after the trigger.
        {4, 1000, 1200, 4, 300, 600, 500, 30 + 100},
        // Current 30 ns, background 40 ns per sample: p = 300 + 1 x 3 / 4 = 300.75. Sample 310
        // is 400 ns after the background's trigger, the left edge 30 ns after the current one:
        // 370 ns at 40 ns a pixel is 9.25 pixels.
        {3, 1000, 1001, 4, 300, 310, 300, 30 + 9},
        // Background trigger 50 samples later than the current one's: p = -50, its sample 0
        // lies 50 samples right of the left edge.
        {4, 50, 0, 4, 0, 0, -50, 30 + 50},
    };
    params.timePerDivNs = 2000; // 500 pixels for 20 us: one pixel per 40 ns
    for (const Case& c : cases) {
        fillFrame(*frames.current, 5000, c.currentDivider);
        frames.current->header[kHdrTrigPos] = c.currentTrigger;
        frames.background->reset();
        auto& b = *frames.background;
        b.header[kHdrLength] = b.header[kHdrValid] = 5000;
        b.header[kHdrDivider] = c.backgroundDivider;
        b.header[kHdrTrigPos] = c.backgroundTrigger;
        b.header[kHdrVoltsDivA1] = 1'000'000;
        b.series[kA1First][static_cast<std::size_t>(c.sample)] = 100;
        b.series[kA1Second][static_cast<std::size_t>(c.sample)] = 100;
        state.Run.bgView = true;
        scroll = c.scroll;
        const FrameOutput out = run();
        EXPECT_EQ(out.backgroundStartIndex, c.startIndex) << c.sample;
        EXPECT_EQ(routine.backgroundStartIndex(), c.startIndex);
        EXPECT_EQ(lineXs(half(kA1)), std::vector<int>{c.x}) << c.sample;
    }
}

TEST_F(Routine, BackgroundStartIndexIsKeptWhileNoBackgroundIsShown) {
    keepBackground(5000, 1);
    scroll = 700;
    EXPECT_EQ(run().backgroundStartIndex, 700);
    state.Run.bgView = false;
    scroll = 20;
    EXPECT_EQ(run().backgroundStartIndex, 700);
}

TEST_F(Routine, AnalogTracesUseTheirCaptureScaleAndTheCurrentZero) {
    // A frame taken at 2 V/div shown at 1 V/div: twice the height about A1_Zero + 1.
    state.Common.CH_A2 = state.Common.CH_D1 = state.Common.CH_D2 = false;
    for (int i = 0; i < 5000; ++i) {
        frames.current->series[kA1First][static_cast<std::size_t>(i)] = 138;
        frames.current->series[kA1Second][static_cast<std::size_t>(i)] = 138;
    }
    frames.current->header[kHdrVoltsDivA1] = 2'000'000;
    state.Scope.A1_Zero = 99;
    run();
    // (138 - 128) x 2 + 100 = 120 codes.
    EXPECT_EQ(*lineYs(kA1).rbegin(), yOf(120));
}

// ---- Variant check

TEST_F(Routine, FrameOfAnotherVariantWithoutTheAskFlagDrawsQuietly) {
    frames.current->header[kHdrVariant] = 28;
    flags.askOnChange = false;
    const FrameOutput out = run();
    EXPECT_TRUE(ui.boxes.empty());
    EXPECT_TRUE(rebuiltFor.empty());
    EXPECT_FALSE(lastRebuilt);
    EXPECT_GT(linesWithPen(kA1), 0u);
}

TEST_F(Routine, AskingFormRebuildsOnYesAndStopsAskingOnNo) {
    const struct {
        bool russian;
        BoxAnswer answer;
        std::string caption, text;
    } cases[] = {
        {false, BoxAnswer::Yes, "Warning", "Change interface for ZR4001A? "},
        {true, BoxAnswer::Yes, "Предупреждение", "Перестроить интерфейс для ZR4001A? "},
        {false, BoxAnswer::No, "Warning", "Change interface for ZR4001A? "},
    };
    for (const auto& c : cases) {
        state.System.Device_Type_Code = 31;
        state.Common.Russian = c.russian;
        frames.current->header[kHdrVariant] = 28;
        flags = {.askOnChange = true};
        ui.boxes.clear();
        ui.answers = {c.answer};
        rebuiltFor.clear();
        const FrameOutput out = run();
        ASSERT_EQ(ui.boxes.size(), 1u);
        EXPECT_EQ(ui.boxes[0].caption, c.caption);
        EXPECT_EQ(ui.boxes[0].text, c.text);
        EXPECT_EQ(ui.boxes[0].icon, BoxIcon::Exclamation);
        EXPECT_EQ(ui.boxes[0].buttons, BoxButtons::YesNo);
        if (c.answer == BoxAnswer::Yes) {
            EXPECT_EQ(rebuiltFor, std::vector<std::int32_t>{28});
            EXPECT_EQ(lastRebuilt, 28);
            EXPECT_TRUE(flags.askOnChange);
            EXPECT_TRUE(out.caption.starts_with("ZR4001A "));
        } else {
            EXPECT_TRUE(rebuiltFor.empty());
            EXPECT_FALSE(flags.askOnChange);
        }
        // The next frame of that variant asks nothing.
        ui.boxes.clear();
        run();
        EXPECT_TRUE(ui.boxes.empty());
    }
}

TEST_F(Routine, AnnouncingFormRebuildsAndClearsItsFlag) {
    const struct {
        bool russian;
        std::int32_t code;
        std::string text;
    } cases[] = {
        {false, 28, "Interface will be changed for ZR4001A. "},
        {true, 28, "Интерфейс будет перестроен для ZR4001A. "},
        {false, 0x1D, "Interface will be changed for ZR40xx Type = 001D. "},
    };
    for (const auto& c : cases) {
        state.System.Device_Type_Code = 31;
        state.Common.Russian = c.russian;
        frames.current->header[kHdrVariant] = c.code;
        flags = {.announceChange = true};
        ui.boxes.clear();
        rebuiltFor.clear();
        run();
        ASSERT_EQ(ui.boxes.size(), 1u);
        EXPECT_EQ(ui.boxes[0].text, c.text);
        EXPECT_EQ(ui.boxes[0].buttons, BoxButtons::Ok);
        EXPECT_EQ(ui.boxes[0].icon, BoxIcon::Exclamation);
        EXPECT_EQ(rebuiltFor, std::vector<std::int32_t>{c.code});
        EXPECT_FALSE(flags.announceChange);
    }
}

TEST_F(Routine, NoFrameAsksNothing) {
    frames.current->header[kHdrVariant] = 28;
    frames.current->header[kHdrLength] = 0;
    flags = {.askOnChange = true, .announceChange = true};
    run();
    EXPECT_TRUE(ui.boxes.empty());
    EXPECT_TRUE(flags.askOnChange && flags.announceChange);
}

TEST_F(Routine, RebuiltLayoutIsTheOneDrawn) {
    frames.current->header[kHdrVariant] = 28;
    flags = {.askOnChange = true};
    RebuildInterface base = rebuild;
    rebuild = [&](std::int32_t code) {
        base(code);
        geometry.left = 40; // the new variant's layout
    };
    run();
    EXPECT_GE(
        firstIndex([](const Call& c) {
            return c.kind == CallKind::FillRect && c.args == std::vector<int>{40, 24, 541, 281};
        }),
        0);
}

// ---- Caption

TEST_F(Routine, CaptionNamesVariantFilesAndFrames) {
    struct Case {
        const char* what;
        bool debug, identified;
        std::string currentFile, backgroundFile;
        bool currentSamples, background;
        std::string expected;
    };
    const Case cases[] = {
        {"plain", false, false, "", "", true, false, "ZR4003 "},
        {"no frame", false, false, "", "", false, false, "ZR4003 "},
        {"service", true, false, "", "", true, false, "ZR4003   ver=2.04"},
        {"instrument", true, true, "", "", true, false, "ZR4003   ver=2.04  dev=ZR4001A "},
        {"current file", false, false, "a.qsd", "", true, false, "ZR4003  - a.qsd"},
        {"folder", false, false, "/x/y/a.qsd", "", true, false, "ZR4003  - a.qsd"},
        {"kept frame", false, false, "", "", true, true, "ZR4003  -  17  //   5"},
        {"kept, no frame", false, false, "", "", false, true, "ZR4003  - ...  //   5"},
        {"kept file", false, false, "", "b.qsd", false, false, "ZR4003  - ...  //  b.qsd"},
        {"both files", false, false, "a.qsd", "b.qsd", true, true, "ZR4003  - a.qsd  //  b.qsd"},
    };
    for (const Case& c : cases) {
        state.System.Debug_qs = c.debug;
        state.Instrument.identified = c.identified;
        state.Instrument.hardwareCode = 28;
        state.Session.current = {c.currentFile, !c.currentFile.empty()};
        state.Session.background = {c.backgroundFile, !c.backgroundFile.empty()};
        fillFrame(*frames.current, c.currentSamples ? 5000 : 0, 1);
        frames.background->reset();
        state.Run.bgView = false;
        if (c.background)
            keepBackground(5000, 1);
        EXPECT_EQ(run().caption, c.expected) << c.what;
    }
}

// ---- Generator panel and swatches

TEST(GeneratorReadout, LabelsForEveryMode) {
    struct Case {
        const char* what;
        std::optional<GenMode> mode;
        GenRange range;
        std::int32_t frequency, second, time1, time2;
        std::string f, pulse, mod;
    };
    const Case cases[] = {
        {"sweep", GenMode::F_Sweep, GenRange::R10K_1S, 10000, 90000, 0, 0,
         "1.0000 KHz   ...   10.000 KHz", "", ""},
        {"pulse", GenMode::Pulse, GenRange::R10K_1S, 0, 0, 200, 50, "500 nS  /  2.00 uS",
         "25.000 %  F = 500.00 KHz", ""},
        {"pulse, no period", GenMode::Pulse, GenRange::R10K_1S, 0, 0, 0, 50, "500 nS  /  0.00 nS",
         "...    F = ...", ""},
        {"pulse, width = period", GenMode::Pulse, GenRange::R10K_1S, 0, 0, 80, 80,
         "800 nS  /  800 nS", "100.000 %  F = ...", ""},
        {"pulse, no width", GenMode::Pulse, GenRange::R10K_1S, 0, 0, 80, 0, "0.00 nS  /  800 nS",
         "0.000 %  F = ...", ""},
        {"below 10 MHz", std::nullopt, GenRange::R10M_1mS, 99'999'000, 0, 0, 0, "9.9999 MHz", "",
         ""},
        {"from 10 MHz", std::nullopt, GenRange::R50M_100uS, 100'000'000, 0, 0, 0, "10.0000 MHz", "",
         ""},
        {"AM", GenMode::Mod, GenRange::R10K_1S, 12345, 0, 0, 0, "1.2345 KHz", "",
         "K 70.0%   Fmod 1.00 KHz"},
        {"noise", std::nullopt, GenRange::Noise, 12345, 0, 0, 0,
         "Noise (uniform spectrum 0..10 MHz)", "", ""},
        {"modulated noise range", GenMode::Mod, GenRange::Noise, 12345, 0, 0, 0, "1.2345 KHz", "",
         "K 70.0%   Fmod 1.00 KHz"},
    };
    for (const Case& c : cases) {
        ScopeState s;
        s.Generator.Mode = c.mode;
        s.Generator.Range = c.range;
        AcquisitionParams p;
        p.genFrequency = c.frequency;
        p.genSecond = c.second;
        p.pulseTime1 = c.time1;
        p.pulseTime2 = c.time2;
        const GeneratorReadout r = generatorReadout(s, p, ".");
        EXPECT_EQ(r.labelF, c.f) << c.what;
        EXPECT_EQ(r.labelPulse, c.pulse) << c.what;
        EXPECT_EQ(r.labelMod, c.mod) << c.what;
        EXPECT_EQ(r.pulseVisible, c.mode == GenMode::Pulse) << c.what;
        EXPECT_EQ(r.modVisible, c.mode == GenMode::Mod) << c.what;
    }
}

TEST(GeneratorReadout, ModulationSettingsAndMultipliers) {
    const struct {
        std::int32_t type, freq, freqX, k, kX, dev, devX;
        std::string expected;
    } cases[] = {
        {0, 100, 0, 700, 0, 0, 0, "K 70.0%   Fmod 1.00 KHz"},
        {0, 100, 1, 700, 1, 0, 0, "K 140.0%   Fmod 10.0 KHz"},
        {1, 50, 1, 0, 0, 300, 1, "Dev 30.0 KHz   Fmod 5.00 KHz"},
        {1, 5, 0, 0, 0, 300, 0, "Dev 3.00 KHz   Fmod 50.0 Hz"},
    };
    for (const auto& c : cases) {
        ScopeState s;
        s.Generator.Mode = GenMode::Mod;
        s.Generator.Mod_Type = c.type;
        s.Generator.Mod_Freq = c.freq;
        s.Generator.Mod_Freq_x = c.freqX;
        s.Generator.Mod_K = c.k;
        s.Generator.Mod_K_x = c.kX;
        s.Generator.Dev_Freq = c.dev;
        s.Generator.Dev_Freq_x = c.devX;
        EXPECT_EQ(generatorReadout(s, {}, ".").labelMod, c.expected);
    }
    // The locale's separator.
    ScopeState s;
    s.Generator.Mode = GenMode::Mod;
    EXPECT_EQ(generatorReadout(s, {}, ",").labelMod, "K 70,0%   Fmod 1,00 KHz");
}

TEST(GeneratorReadout, AmplitudeAndColours) {
    const struct {
        bool service;
        std::int32_t ampl;
        std::string expected;
    } cases[] = {
        {false, 11, "4.000 V"},  // (511 - 11) x 8 mV
        {false, 386, "1.000 V"}, // (511 - 386) x 8 mV
        {false, 0, "4.000 V"},   // held at the bar's minimum
        {true, 0, "4.088 V"},    // the service range reaches 0
        {true, 511, "0.000 mV"},
    };
    for (const auto& c : cases) {
        ScopeState s;
        s.System.Debug_qs = c.service;
        s.Generator.Ampl = c.ampl;
        EXPECT_EQ(generatorReadout(s, {}, ".").labelV, c.expected) << c.ampl;
    }
    ScopeState s;
    s.Colors.Border = 0x000000;
    s.Colors.Grid_Frame = 0xC08000;
    s.Run.generatorOn = true;
    GeneratorReadout r = generatorReadout(s, {}, ".");
    EXPECT_EQ(r.background, 0x000000u);
    EXPECT_EQ(r.fontColor, 0xC08000u);
    s.Run.generatorOn = false;
    r = generatorReadout(s, {}, ".");
    EXPECT_EQ(r.fontColor, 0x402A00u); // a third of the way from the border colour
}

TEST(ColorSwatches, ChannelAndTriggerColoursOrButtonFace) {
    constexpr ColorRef kFace = 0xF0F0F0;
    const struct {
        bool a1, a2;
        std::optional<TrigSource> source;
        ColorRef a1Swatch, a2Swatch, trigger;
    } cases[] = {
        {true, true, TrigSource::A1, kA1, kA2, kA1},
        {true, false, TrigSource::A2, kA1, kFace, kA2},
        {false, true, TrigSource::D1, kFace, kA2, kD1},
        {false, false, TrigSource::D2, kFace, kFace, kD2},
        {true, true, std::nullopt, kA1, kA2, kFace},
    };
    for (const auto& c : cases) {
        ScopeState s;
        s.Colors.CH_A1 = kA1;
        s.Colors.CH_A2 = kA2;
        s.Colors.CH_D1 = kD1;
        s.Colors.CH_D2 = kD2;
        s.Colors.Grid_Frame = kGridFrame;
        s.Common.CH_A1 = c.a1;
        s.Common.CH_A2 = c.a2;
        s.Trigger.Source = c.source;
        const ColorSwatches w = colorSwatches(s, kFace);
        EXPECT_EQ(w.timeDiv, kGridFrame);
        EXPECT_EQ(w.a1, c.a1Swatch);
        EXPECT_EQ(w.a2, c.a2Swatch);
        EXPECT_EQ(w.trigger, c.trigger);
    }
}

TEST_F(Routine, OutputCarriesTheReadoutAndSwatches) {
    state.Generator.Mode = GenMode::Pulse;
    params.pulseTime1 = 200;
    params.pulseTime2 = 50;
    state.Common.CH_A2 = false;
    const FrameOutput out = run();
    EXPECT_EQ(out.generator.labelF, "500 nS  /  2.00 uS");
    EXPECT_TRUE(out.generator.pulseVisible);
    EXPECT_EQ(out.swatches.a1, kA1);
    EXPECT_EQ(out.swatches.a2, 0xF0F0F0u);
    EXPECT_EQ(out.swatches.trigger, kA1);
}

// ---- Marks at the edges

TEST_F(Routine, DraggedTriggerLevelShowsItsLine) {
    state.Trigger.Lev_A1 = 100;
    drag = DragTarget::A1Level;
    run();
    const int y = kPlot.top + 155;
    bool found = false;
    for (const auto& l : canvas.linesWithPen(kTrigPos))
        found = found || (l.y1 == y && l.y2 == y && l.x1 == kPlot.left);
    EXPECT_TRUE(found);
}

TEST_F(Routine, HiddenChannelsHaveNoMarks) {
    state.Common.CH_A2 = false;
    run();
    EXPECT_EQ(firstPolygon(kA2, 0), -1); // neither level mark nor zero mark
    EXPECT_GE(firstPolygon(kA1, 0), 0);
}

// ---- Frames from files

TEST_F(Routine, ImplausibleHeadersDrawWhatCanBeDrawn) {
    struct Case {
        const char* what;
        std::function<void(Routine&)> spoil;
        std::string reading; // a text that must appear, or ""
    };
    const Case cases[] = {
        {"count without samples", [](Routine& r) { r.frames.current->header[kHdrLength] = 0; }, ""},
        {"counts beyond the arrays",
         [](Routine& r) {
             r.frames.current->header[kHdrLength] = 50000;
             r.frames.current->header[kHdrValid] = 50000;
             r.frames.current->header[kHdrTrigPos] = 60000;
         },
         ""},
        {"negative counts",
         [](Routine& r) {
             r.frames.current->header[kHdrLength] = -5;
             r.frames.current->header[kHdrValid] = -5;
         },
         ""},
        {"zero divider", [](Routine& r) { r.frames.current->header[kHdrDivider] = 0; },
         "Fsmpl = ..."},
        {"negative divider", [](Routine& r) { r.frames.current->header[kHdrDivider] = -3; },
         "Fsmpl = ..."},
        {"extreme divider", [](Routine& r) { r.frames.current->header[kHdrDivider] = INT32_MAX; },
         ""},
        {"no time per division", [](Routine& r) { r.params.timePerDivNs = 0; }, "Div = ..."},
        {"no volts per division",
         [](Routine& r) {
             r.params.voltsDivA1 = 0;
             r.params.voltsDivA2 = -1;
         },
         ""},
        {"trigger far outside",
         [](Routine& r) {
             r.frames.current->header[kHdrTrigPos] = INT32_MIN;
             r.frames.current->header[kHdrTrigLevel] = INT32_MAX;
         },
         ""},
        {"fine offsets far outside",
         [](Routine& r) {
             for (int f = kHdrFineA1; f <= kHdrFineD2; ++f)
                 r.frames.current->header[static_cast<std::size_t>(f)] = INT32_MIN;
         },
         ""},
        {"roll ring beyond the frame",
         [](Routine& r) {
             r.frames.current->header[kHdrRoll] = 1;
             r.frames.current->header[kHdrRing] = INT32_MAX;
         },
         ""},
        {"background divider zero",
         [](Routine& r) {
             r.keepBackground(5000, 1);
             r.frames.background->header[kHdrDivider] = 0;
         },
         ""},
        {"background far away",
         [](Routine& r) {
             r.keepBackground(5000, 1);
             r.frames.background->header[kHdrTrigPos] = INT32_MAX;
             r.frames.current->header[kHdrDivider] = INT32_MAX;
             r.frames.current->header[kHdrTrigPos] = INT32_MIN;
         },
         ""},
        {"background counts beyond the arrays",
         [](Routine& r) {
             r.keepBackground(5000, 1);
             r.frames.background->header[kHdrLength] = 40001;
             r.frames.background->header[kHdrTrigPos] = -40001;
         },
         ""},
        {"zero levels far outside",
         [](Routine& r) {
             r.state.Scope.A1_Zero = INT32_MAX;
             r.state.Scope.A2_Zero = INT32_MIN;
             r.frames.current->header[kHdrZeroA1] = INT32_MIN;
             r.keepBackground(5000, 1);
             r.frames.backgroundLevels.A1_Zero = INT32_MAX;
         },
         ""},
        {"spectrum of a frame beyond the arrays",
         [](Routine& r) {
             r.state.FFT_A1.View = true;
             r.state.FFT.Size = 5;
             r.frames.current->header[kHdrValid] = 40001;
             r.frames.current->header[kHdrLength] = 40001;
         },
         ""},
        {"spectrum without a divider",
         [](Routine& r) {
             r.state.FFT_A2.View = true;
             r.frames.current->header[kHdrDivider] = 0;
         },
         "Span ..."},
    };
    for (const Case& c : cases) {
        fillFrame(*frames.current, 5000, 1);
        frames.background->reset();
        state = ScopeState{};
        state.System.Device_Type_Code = 31;
        state.Common.Russian = false;
        state.Common.Extra_Info = true;
        state.System.Debug_qs = true;
        params.timePerDivNs = 1000;
        params.voltsDivA1 = params.voltsDivA2 = 1'000'000;
        params.drawMode = 2;
        c.spoil(*this);
        run();
        const auto box = canvas.bounds();
        EXPECT_GE(box.minX, -(1 << 25)) << c.what;
        EXPECT_LE(box.maxX, 1 << 25) << c.what;
        EXPECT_GE(box.minY, -(1 << 25)) << c.what;
        EXPECT_LE(box.maxY, 1 << 25) << c.what;
        if (!c.reading.empty()) {
            EXPECT_TRUE(canvas.findText(c.reading)) << c.what;
        }
    }
}

} // namespace
} // namespace qs40
