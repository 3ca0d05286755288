// The trace drawer: turns one sample series of a frame into pixels as dots, vectors or sin(x)/x
// interpolation, with the faded roll gap of a roll frame.
//
// Pass 1 gathers the samples into pixel columns, keeping for each the lowest first-series and the
// highest second-series height; pass 2 draws each column as one vertical segment and, in vectors
// and sin(x)/x modes, joins it to the previous drawn column. So a trace costs at most 2W + 1
// segments and joining lines whatever its sample count.
#pragma once

#include "display/canvas.h"
#include "display/plot_geometry.h"
#include "scope/frame.h"
#include "scope/scope_state.h"

#include <cstdint>
#include <span>
#include <vector>

namespace qs40 {

// What the drawer needs of the plot and the settings.
struct TraceSurface {
    int originX = 0; // plot left
    int originY = 0; // plot top
    int width = 0;   // W: pixels across the grid
    int height = 0;  // H: pixels across the plot's kPlotCodes sample codes
    std::int64_t timeDivNs = 0;
    ColorRef background = 0; // the roll gap fades towards it
};

// One series to draw.
struct Trace {
    DrawMode mode = DrawMode::Vectors;
    // The lowest value of a column comes from the first series, the highest from the second
    // (they differ only with peak detection). Both must hold at least count entries; the
    // drawer reads no more than the shorter one holds.
    std::span<const std::int32_t> first;
    std::span<const std::int32_t> second;
    int count = 0; // samples in the series (the frame's total)
    ColorRef color = 0;
    double scale = 1;           // screen codes per sample code
    int zero = 0;               // the sample code that lands on position
    int position = 0;           // screen code (0..255 from the bottom edge) of zero
    double pixelsPerSample = 1; // horizontal
    int startIndex = 0;         // sample at the left edge; negative starts further right
    double subSampleOffset = 0; // in samples; moves the trace left by this much
    bool rollGap = false;       // fade the half division after a roll frame's ring position
};

class TraceDrawer {
public:
    // Plots up to this wide or high are drawn; larger ones draw nothing (no screen is so big).
    static constexpr int kMaxPlotSide = 1 << 16;

    TraceDrawer() = default;
    // Reserves the column buffers for a plot of the width, so that no call allocates.
    explicit TraceDrawer(int plotWidth) { reserve(plotWidth); }
    void reserve(int plotWidth);

    // Draws the trace. header is the frame's header (divider, roll flag and ring position are
    // read from it). Anything that cannot be drawn sensibly (no width or height, pixels per
    // sample not a positive finite number, a non-finite sub-sample offset or scale) draws
    // nothing.
    void draw(Canvas& canvas, const TraceSurface& surface, const Trace& trace,
              std::span<const std::int32_t, kHeaderFields> header);

private:
    struct Columns {
        int shift = 0;     // whole pixels the trace is moved left by the sub-sample offset
        int gapStart = -1; // first column of the roll gap, -1 when none
        int gapEnd = -1;   // column after the faded half division
    };

    Columns gather(const TraceSurface& surface, const Trace& trace, double pixelsPerCount,
                   std::span<const std::int32_t, kHeaderFields> header);
    void drawColumns(Canvas& canvas, const TraceSurface& surface, const Trace& trace,
                     const Columns& columns);

    std::vector<std::int32_t> low_;  // per column: lowest height, or kNoSample
    std::vector<std::int32_t> high_; // per column: highest height, or kNoSample
};

} // namespace qs40
