// Everything drawn around the traces: the grid, the plot frame, the trigger-position line, the
// marker lines, the trigger-level, trigger-arrow and zero marks at the plot's edges, the
// activity indicator in the top border and the notice shown when a spectrum cannot be drawn.
//
// Heights are sample codes: 256 codes span the plot, code 0 at the bottom edge.
#pragma once

#include "display/canvas.h"
#include "display/plot_geometry.h"
#include "scope/frame.h"
#include "scope/scope_state.h"

#include <cstdint>
#include <span>
#include <string_view>

namespace qs40 {

// 10 x 8 divisions in Colors.Grid with minor ticks every fifth of a division along the edges and
// the centre lines. A plot narrower than 10 or lower than 8 pixels has no grid.
void drawGrid(Canvas& canvas, const PlotGeometry& g, ColorRef gridColor);

// A closed outline one pixel outside the plot area.
void drawPlotFrame(Canvas& canvas, const PlotGeometry& g, ColorRef frameColor);

// The vertical line at the frame's trigger position (header field 7) as seen from the scroll
// position. Nothing when the trigger lies left of the shown part, right of the plot, or when the
// frame's divider or the time per division is not positive.
void drawTriggerPositionLine(Canvas& canvas, const PlotGeometry& g,
                             std::span<const std::int32_t, kHeaderFields> header,
                             int scrollPosition, std::int64_t timeDivNs, ColorRef color);

// The marker cross-hairs that Markers_1 / Markers_2 switch on, in Colors.Markers.
void drawMarkerLines(Canvas& canvas, const PlotGeometry& g, const ScopeState& state);

// The mark of an analog trigger level at the right edge, clamped to the plot's height; while the
// level is dragged also the level line across the plot. With Debug_qs the level as a number.
void drawTriggerLevelMark(Canvas& canvas, const PlotGeometry& g, const ScopeState& state,
                          double level, bool dragging, ColorRef color);

// The channels' current volts per division (microvolts, probe included): an analog trigger
// arrow scales the frame's trigger level by them.
struct CurrentVoltsDiv {
    std::int64_t a1 = 0;
    std::int64_t a2 = 0;
};

// The arrow at the right edge for the trigger of a frame. For an analog source (header field 13
// is 1 or 2) height is the channel's zero level and the arrow sits at the frame's trigger level
// relative to it; for a digital source (3 or 4) height is where the arrow sits. Above or below
// the plot when outside it. A frame without a trigger source (or with an unknown one, or an
// analog one whose current volts per division is not positive) has no arrow.
void drawTriggerArrow(Canvas& canvas, const PlotGeometry& g, int height,
                      std::span<const std::int32_t, kHeaderFields> header, CurrentVoltsDiv volts,
                      ColorRef color);

// The Z mark of a channel's zero level at the left edge; with Debug_qs the level as a number.
void drawZeroMark(Canvas& canvas, const PlotGeometry& g, const ScopeState& state, int zero,
                  ColorRef color);

// The spinning wheel in the top border that shows frames and status packets arriving.
class ActivityIndicator {
public:
    struct Input {
        bool frameMark = false;  // a frame was decoded since the last call
        bool statusMark = false; // a status packet arrived since the last call
        bool active = false;     // running or single is set
    };

    // Takes the marks (the caller clears its own copies) and draws the wheel.
    void draw(Canvas& canvas, const PlotGeometry& g, const ColorsSection& colors,
              const Input& input);

    int framePhase() const { return framePhase_; }
    int statusPhase() const { return statusPhase_; }
    int statusCount() const { return statusCount_; }

private:
    int framePhase_ = 0;  // 0..9, the hand's position
    int statusPhase_ = 0; // 0..9, the wheel's rotation
    int statusCount_ = 0; // status packets since the last frame
};

// The notice's text for an FFT state that cannot show a spectrum (3, 4 or 5); empty for any
// other state.
std::string_view fftNoticeText(int fftState, bool russian, bool twoAnalogChannels);

// The notice below the plot's centre for FFT states 3..5; nothing for other states.
void drawFftNotice(Canvas& canvas, const PlotGeometry& g, const ScopeState& state, int fftState);

} // namespace qs40
