#include "display/plot_marks.h"

#include "scope/arith.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <string>

namespace qs40 {
namespace {

// Screen coordinates computed from stored values (markers, zero levels, trigger levels read
// from files) are held within this many pixels of the origin: far outside any bitmap, and far
// from overflowing when the marks add their few pixels.
constexpr double kCoordLimit = 1 << 24;

int coord(double v) {
    return static_cast<int>(std::clamp(roundHalfAway(v), -kCoordLimit, kCoordLimit));
}

// The screen y of a height in sample codes.
int codeY(const PlotGeometry& g, double code) {
    return coord(g.top + roundHalfAway((kPlotCodes - 1 - code) * g.yScale()));
}

void debugText(Canvas& canvas, int x, int y, std::int64_t value, ColorRef color) {
    canvas.setBrushTransparent();
    canvas.setFont("Arial", 10);
    canvas.setFontColor(color);
    canvas.text(x, y, std::to_string(value));
}

} // namespace

void drawGrid(Canvas& canvas, const PlotGeometry& g, ColorRef gridColor) {
    if (g.width < 10 || g.height < 8)
        return;
    const int l = g.left;
    const int t = g.top;
    const int w = g.width;
    const int h = g.height;
    canvas.setPenColor(gridColor);

    const int dw = g.divisionWidth();
    for (int k = 0; k * dw <= w; ++k)
        canvas.line(l + k * dw, t, l + k * dw, t + h + 1);
    const int dh = g.divisionHeight();
    for (int k = 0; k <= 8; ++k)
        canvas.line(l, t + k * dh, l + w + 1, t + k * dh);

    // Ticks every fifth of a division, three pixels long, along the edges and the centre lines.
    for (std::int64_t i = 0; i < 50; ++i) {
        const int x = l + static_cast<int>(i * w / 50);
        canvas.line(x, t, x, t + 3);
        canvas.line(x, t + h - 2, x, t + h + 1);
        canvas.line(x, t + h / 2 - 1, x, t + h / 2 + 2);
    }
    for (std::int64_t i = 0; i < 40; ++i) {
        const int y = t + static_cast<int>(i * h / 40);
        canvas.line(l, y, l + 3, y);
        canvas.line(l + w - 2, y, l + w + 1, y);
        canvas.line(l + w / 2 - 1, y, l + w / 2 + 2, y);
    }
}

void drawPlotFrame(Canvas& canvas, const PlotGeometry& g, ColorRef frameColor) {
    const int x1 = g.left - 1;
    const int y1 = g.top - 1;
    const int x2 = g.left + g.width + 1;
    const int y2 = g.top + g.height + 1;
    const std::array<Point, 5> outline{{{x1, y1}, {x1, y2}, {x2, y2}, {x2, y1}, {x1, y1}}};
    canvas.setPenColor(frameColor);
    canvas.polyline(outline);
}

void drawTriggerPositionLine(Canvas& canvas, const PlotGeometry& g,
                             std::span<const std::int32_t, kHeaderFields> header,
                             int scrollPosition, std::int64_t timeDivNs, ColorRef color) {
    const std::int64_t d = std::int64_t{header[kHdrTrigPos]} - scrollPosition;
    const std::int32_t divider = header[kHdrDivider];
    if (d < 0 || divider <= 0 || timeDivNs <= 0)
        return;
    // The fine trigger offset is left out: the line marks the trigger's sample.
    const double offset = roundHalfAway(static_cast<double>(d) * g.divisionWidth() * divider /
                                        (static_cast<double>(timeDivNs) * 0.1));
    if (offset > g.width)
        return; // right of the plot, where the border covers it
    const int x = g.left + static_cast<int>(offset);
    canvas.setPenColor(color);
    canvas.line(x, g.top, x, g.top + g.height - 1);
}

void drawMarkerLines(Canvas& canvas, const PlotGeometry& g, const ScopeState& state) {
    const CommonSection& c = state.Common;
    if (!c.Markers_1 && !c.Markers_2)
        return;
    canvas.setPenColor(state.Colors.Markers);
    auto cross = [&](std::int32_t mx, std::int32_t my) {
        const int x = coord(g.left + roundHalfAway(mx * g.xScale()));
        canvas.line(x, g.top, x, g.top + g.height);
        // Marker y counts from the top edge.
        const int y = coord(g.top + roundHalfAway(my * g.yScale()));
        canvas.line(g.left, y, g.left + g.width, y);
    };
    if (c.Markers_1)
        cross(c.Marker_x, c.Marker_y);
    if (c.Markers_2) {
        cross(c.Marker1_x, c.Marker1_y);
        cross(c.Marker2_x, c.Marker2_y);
    }
}

void drawTriggerLevelMark(Canvas& canvas, const PlotGeometry& g, const ScopeState& state,
                          double level, bool dragging, ColorRef color) {
    const std::int32_t rounded = roundToInt32(level);
    const int c = std::clamp<std::int32_t>(rounded, 0, kPlotCodes - 1);
    const int y = codeY(g, c);
    const int r = g.left + g.width;

    canvas.setPenColor(color);
    canvas.setBrushColor(state.Colors.Background);
    const std::array<Point, 5> mark{
        {{r + 2, y}, {r + 9, y + 7}, {r + 19, y + 7}, {r + 19, y - 7}, {r + 9, y - 7}}};
    canvas.polygon(mark);
    canvas.line(r + 13, y + 3, r + 13, y - 3); // the T glyph
    canvas.line(r + 16, y - 3, r + 9, y - 3);

    if (dragging) {
        canvas.setPenColor(state.Colors.Trig_Pos);
        canvas.line(g.left, y, r + 1, y);
    }
    if (state.System.Debug_qs)
        debugText(canvas, r + 4, y - 20, rounded, color);
}

void drawTriggerArrow(Canvas& canvas, const PlotGeometry& g, int height,
                      std::span<const std::int32_t, kHeaderFields> header, CurrentVoltsDiv volts,
                      ColorRef color) {
    const std::int32_t source = header[kHdrTrigSource];
    std::int64_t a = height;
    if (analogTrigSource(source)) {
        const bool a1 = source == kTrigSourceA1;
        const std::int64_t current = a1 ? volts.a1 : volts.a2;
        if (current <= 0)
            return;
        const double levelAtCapture = header[kHdrTrigLevel];
        const double zeroAtCapture = header[a1 ? kHdrZeroA1 : kHdrZeroA2];
        const double voltsAtCapture = header[a1 ? kHdrVoltsDivA1 : kHdrVoltsDivA2];
        a += roundToInt32((levelAtCapture - zeroAtCapture) * voltsAtCapture /
                          static_cast<double>(current));
    } else if (!digitalTrigSource(source)) {
        return;
    }

    const int r = g.left + g.width;
    const int t = g.top;
    const int b = g.top + g.height;
    canvas.setPenColor(color);
    canvas.setBrushColor(color);
    if (a >= kPlotCodes) {
        const std::array<Point, 3> up{{{r + 2, t - 8}, {r + 5, t - 5}, {r - 1, t - 5}}};
        canvas.polygon(up);
    } else if (a < 0) {
        const std::array<Point, 3> down{{{r + 2, b + 7}, {r + 5, b + 4}, {r - 1, b + 4}}};
        canvas.polygon(down);
    } else {
        const int y = codeY(g, static_cast<double>(a));
        canvas.line(r + 2, y, r + 3, y);
        const std::array<Point, 3> arrow{{{r + 3, y}, {r + 7, y + 4}, {r + 7, y - 4}}};
        canvas.polygon(arrow);
    }
}

void drawZeroMark(Canvas& canvas, const PlotGeometry& g, const ScopeState& state, int zero,
                  ColorRef color) {
    const int y = codeY(g, zero);
    const int l = g.left;
    canvas.setPenColor(color);
    canvas.setBrushColor(state.Colors.Background);
    const std::array<Point, 5> mark{
        {{l - 2, y}, {l - 9, y + 7}, {l - 19, y + 7}, {l - 19, y - 7}, {l - 9, y - 7}}};
    canvas.polygon(mark);
    const std::array<Point, 4> glyph{
        {{l - 15, y - 3}, {l - 9, y - 3}, {l - 15, y + 3}, {l - 8, y + 3}}};
    canvas.polyline(glyph);
    if (state.System.Debug_qs)
        debugText(canvas, l - 25, y - 20, zero, color);
}

void ActivityIndicator::draw(Canvas& canvas, const PlotGeometry& g, const ColorsSection& colors,
                             const Input& input) {
    // More than this many status packets without a frame fade the wheel; the count stops
    // there rather than ever overflowing.
    constexpr int kFadeAfter = 5;
    constexpr int kCountCap = 1000;
    if (input.frameMark) {
        framePhase_ = (framePhase_ + 1) % 10;
        statusCount_ = 0;
    }
    if (input.statusMark) {
        statusPhase_ = (statusPhase_ + 1) % 10;
        statusCount_ = std::min(statusCount_ + 1, kCountCap);
    }

    const int x = g.left + (g.width / 20) * 19;
    const int y = g.top / 2;
    const int r = g.smallPlot ? 7 : 10;
    canvas.setBrushColor(colors.Border);
    canvas.fillRect(x - r, y - r, x + r, y + r);
    canvas.setPenColor(colors.Grid_Frame);

    if (!input.active) {
        const int rr = statusPhase_ > 5 ? r - 1 : r;
        canvas.ellipse(x - rr, y - rr, x + rr, y + rr);
        statusCount_ = 0;
        return;
    }

    // Angles grow clockwise on the screen, y pointing down.
    auto at = [&](int degrees) {
        const double phi = (degrees % 360) * std::numbers::pi / 180.0;
        return Point{x + static_cast<int>(std::trunc(r * std::cos(phi))),
                     y + static_cast<int>(std::trunc(r * std::sin(phi)))};
    };
    const bool fading = statusCount_ > kFadeAfter;
    for (int i = 1; i <= 10; ++i) {
        canvas.setPenColor(fading
                               ? blendColor(colors.Grid_Frame, colors.Background, 20.0 / (i + 10))
                               : colors.Grid_Frame);
        // Counter-clockwise from the later angle back to the earlier one: the short arc.
        const Point from = at((statusPhase_ + i + 1) * 36);
        const Point to = at((statusPhase_ + i) * 36);
        canvas.arc(x - r, y - r, x + r, y + r, from.x, from.y, to.x, to.y);
    }
    canvas.setPenColor(colors.Grid_Frame);
    const Point hand = at(framePhase_ * 36);
    canvas.line(x, y, hand.x, hand.y);
}

std::string_view fftNoticeText(int fftState, bool russian, bool twoAnalogChannels) {
    switch (fftState) {
    case 3:
        if (twoAnalogChannels)
            return russian ? "Недостаточно отсчетов канала A1 для БПФ."
                           : "Unsufficient  A1 samples for FFT.";
        return russian ? "Недостаточно отсчетов для БПФ." : "Unsufficient samples for FFT.";
    case 4:
        return russian ? "Недостаточно отсчетов канала A2 для БПФ."
                       : "Unsufficient  A2 samples for FFT.";
    case 5:
        return russian ? "Выключите пиковый детектор." : "Sampling must be Normal for FFT.";
    default:
        return {};
    }
}

void drawFftNotice(Canvas& canvas, const PlotGeometry& g, const ScopeState& state, int fftState) {
    const std::string_view text = fftNoticeText(fftState, state.russian(), state.has(kCapA2));
    if (text.empty())
        return;
    const int h = g.smallPlot ? 10 : 13;
    canvas.setPenColor(state.Colors.FFT);
    canvas.setFont(g.smallPlot ? "Arial" : "MS Sans Serif", h);
    canvas.setFontColor(state.Colors.FFT);
    canvas.setBrushColor(state.Colors.Background);
    const int cx = g.left + g.width / 2;
    const int t = canvas.textWidth(text) / 2;
    const int yb = g.top + g.height * 13 / 16;
    canvas.rectangle(cx - t - 20, yb - h, cx + t + 20, yb + h + 1);
    canvas.text(cx - t, yb - h / 2, text);
}

} // namespace qs40
