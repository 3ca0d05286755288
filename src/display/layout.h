// The plot's place on the paint box, recomputed by the layout operation whenever the window
// changes, and the tops of the analog input buttons that follow the "Scope" group's height.
#pragma once

#include "display/plot_geometry.h"

namespace qs40 {

// Paint boxes beyond this many pixels across are taken as this wide (or high): no screen is so
// big, and the geometry's arithmetic stays far from overflowing.
inline constexpr int kMaxPaintSide = 1 << 20;

// The plot geometry for a paint box of the given size: a 10 x 8 division grid as large as fits
// (width a multiple of 20, at least 140, else 125; height a multiple of 16 above 64, else 64),
// centred horizontally, with room for the texts above and below it. The bitmap takes the paint
// box's size. Negative sizes count as 0.
PlotGeometry computePlotGeometry(int paintWidth, int paintHeight);

// Where the input buttons of one analog channel sit.
struct ChannelButtonTops {
    int label = 0; // the channel's label button
    int colorPanel = 0;
    int coupling = 0;  // the AC/DC toggle
    int firstRow = 0;  // 2V, 1V, 0,5V
    int secondRow = 0; // 0,2V, 100mV, 50mV
};

struct InputButtonTops {
    ChannelButtonTops a1;
    ChannelButtonTops a2;
};

// The design values the button tops are scaled from.
struct InputButtonDesign {
    int topA1 = 0;            // design top of SpeedButton_2V_A1
    int topA2 = 0;            // design top of SpeedButton_2V_A2
    int scopeGroupHeight = 0; // design height of the "Scope" group
    int buttonHeight = 0;
};

// The tops for the "Scope" group's current height: the design tops scaled by current / design
// height. Without A2 the A1 buttons move to the middle of the two design rows. A design height
// that is not positive leaves the design tops unscaled.
InputButtonTops computeInputButtonTops(const InputButtonDesign& design, int scopeGroupHeight,
                                       bool hasA2);

} // namespace qs40
