// Where the plot lies on the off-screen bitmap. Recomputed by the layout operation whenever
// the window changes; read by every drawing and mouse routine.
#pragma once

namespace qs40 {

// Sample codes across the plot height: code 0 at the bottom edge, 255 at the top.
inline constexpr int kPlotCodes = 256;

struct PlotGeometry {
    bool smallPlot = false; // the paint box is at most 499 pixels wide
    int left = 30;          // x of the grid's left edge
    int top = 24;           // y of the grid's top edge
    int width = 500;        // pixels across 10 divisions, a multiple of 20 (or 125)
    int height = 256;       // pixels across 8 divisions, a multiple of 16 (or 64)
    int bitmapWidth = 0;    // the off-screen bitmap is the paint box's size
    int bitmapHeight = 0;

    int divisionWidth() const { return width / 10; }
    int divisionHeight() const { return height / 8; }
    double xScale() const { return width * 0.002; }               // pixels per marker unit (0..500)
    double yScale() const { return height / double{kPlotCodes}; } // pixels per sample code
};

} // namespace qs40
