#include "display/layout.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace qs40 {
namespace {

// Truncates towards zero, held within a range where the small offsets added later stay safe.
int truncToInt(double v) {
    constexpr double kLimit = 1 << 30;
    return static_cast<int>(std::trunc(std::clamp(v, -kLimit, kLimit)));
}

ChannelButtonTops channelTops(double h, int buttonHeight) {
    ChannelButtonTops t;
    t.label = truncToInt(h - 22);
    t.colorPanel = t.label + 4;
    t.coupling = t.label;
    t.firstRow = truncToInt(h);
    t.secondRow = truncToInt(h + buttonHeight);
    return t;
}

} // namespace

PlotGeometry computePlotGeometry(int paintWidth, int paintHeight) {
    const int pw = std::clamp(paintWidth, 0, kMaxPaintSide);
    const int ph = std::clamp(paintHeight, 0, kMaxPaintSide);
    PlotGeometry g;
    g.smallPlot = pw <= 499;
    g.bitmapWidth = pw;
    g.bitmapHeight = ph;

    // Room kept above and below the grid for the texts: 76 or 102 pixels.
    const int topMargin = g.smallPlot ? 18 : 24;
    const int reserved = static_cast<int>(topMargin * 4.25);

    g.width = 125;
    const int w = (pw - 60) / 20;
    if (w > 6)
        g.width = w * 20;
    g.height = 64;
    const int h = (ph - reserved) / 16 * 16;
    if (h > 64)
        g.height = h;

    g.left = (pw - g.width) / 2 + 1;
    g.top = static_cast<int>(std::trunc((ph - g.height) * 0.23529411764705882 + 1));
    return g;
}

InputButtonTops computeInputButtonTops(const InputButtonDesign& design, int scopeGroupHeight,
                                       bool hasA2) {
    const double g = design.scopeGroupHeight > 0
                         ? static_cast<double>(scopeGroupHeight) / design.scopeGroupHeight
                         : 1.0;
    const double referenceA1 =
        hasA2 ? design.topA1 : static_cast<double>((std::int64_t{design.topA1} + design.topA2) / 2);
    InputButtonTops tops;
    tops.a1 = channelTops(referenceA1 * g, design.buttonHeight);
    tops.a2 = channelTops(design.topA2 * g, design.buttonHeight);
    return tops;
}

} // namespace qs40
