#include "display/trace_drawer.h"

#include "display/sinc_interpolator.h"
#include "scope/arith.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace qs40 {
namespace {

// Heights beyond this many pixels from the bottom edge are held there: far off the plot either
// way, yet small enough that screen coordinates derived from them cannot overflow.
constexpr double kHeightLimit = 1 << 20;

constexpr int kMinGapSamples = 5;

// Rounds half away from zero; v must lie well inside the int range. v - trunc(v) is exact, so
// this equals roundHalfAway without a library call in the per-sample loop.
int roundSmall(double v) {
    int t = static_cast<int>(v);
    const double d = v - t;
    if (d >= 0.5)
        ++t;
    else if (d <= -0.5)
        --t;
    return t;
}

// A sample value as a height in pixels above the plot's bottom edge; kNoSample for no value.
std::int32_t heightOf(std::int32_t value, const Trace& trace, double pixelsPerCount) {
    if (value == kNoSample)
        return kNoSample;
    const double h =
        ((static_cast<double>(value) - trace.zero) * trace.scale + trace.position) * pixelsPerCount;
    if (std::isnan(h))
        return kNoSample;
    return roundSmall(std::clamp(h, -kHeightLimit, kHeightLimit));
}

// Half a division of samples, at least five: the faded part of a roll frame after its ring
// position.
std::int64_t rollGapSamples(std::int64_t timeDivNs, std::int32_t divider) {
    std::int64_t n = kMinGapSamples;
    if (divider != 0)
        n = (timeDivNs / (10 * std::int64_t{divider})) / 2;
    return std::max<std::int64_t>(n, kMinGapSamples);
}

} // namespace

void TraceDrawer::reserve(int plotWidth) {
    const auto n = static_cast<std::size_t>(2 * std::clamp(plotWidth, 0, kMaxPlotSide) + 1);
    low_.reserve(n);
    high_.reserve(n);
}

void TraceDrawer::draw(Canvas& canvas, const TraceSurface& surface, const Trace& trace,
                       std::span<const std::int32_t, kHeaderFields> header) {
    if (surface.width < 1 || surface.height < 1 || surface.width > kMaxPlotSide ||
        surface.height > kMaxPlotSide)
        return;
    if (!std::isfinite(trace.pixelsPerSample) || trace.pixelsPerSample <= 0 ||
        !std::isfinite(trace.pixelsPerSample * trace.subSampleOffset) ||
        !std::isfinite(trace.scale))
        return;
    const double pixelsPerCount = surface.height / double{kPlotCodes};
    const Columns columns = gather(surface, trace, pixelsPerCount, header);
    drawColumns(canvas, surface, trace, columns);
}

TraceDrawer::Columns TraceDrawer::gather(const TraceSurface& surface, const Trace& trace,
                                         double pixelsPerCount,
                                         std::span<const std::int32_t, kHeaderFields> header) {
    const int w2 = 2 * surface.width; // the last column
    low_.assign(static_cast<std::size_t>(w2 + 1), kNoSample);
    high_.assign(static_cast<std::size_t>(w2 + 1), kNoSample);

    const std::int32_t divider = header[kHdrDivider];
    const double pps = trace.pixelsPerSample;
    const bool interpolate = trace.mode == DrawMode::Sinxx && divider == 1 && pps > 0.9;

    // The columns leave room for a shift of one plot width; a larger offset only moves the
    // trace further off the plot, so it is held there.
    Columns out;
    const double u = std::clamp(pps * trace.subSampleOffset, -(w2 + 2.0), w2 + 2.0);
    out.shift = static_cast<int>(roundHalfAway(u));
    const double frac = u - out.shift;
    const std::int64_t lastColumn = std::int64_t{surface.width} + out.shift;

    const auto available = static_cast<int>(std::min<std::size_t>(
        {trace.first.size(), trace.second.size(), static_cast<std::size_t>(kMaxSamples)}));
    const int count = std::clamp(trace.count, 0, available);

    const bool roll = trace.rollGap && header[kHdrRoll] == 1;
    const std::int64_t ringStart = header[kHdrRing];
    const std::int64_t ringEnd = ringStart + rollGapSamples(surface.timeDivNs, divider);

    // The columns first collect sample values and turn only their extremes into heights: the
    // mapping is monotone (rising with a positive scale, falling with a negative one), so the
    // lowest and highest heights come from the extreme values.
    const bool rising = !(trace.scale < 0);
    auto lowerThan = [rising](std::int32_t a, std::int32_t b) { return rising ? a < b : a > b; };
    int lastUsed = -1;

    const std::int32_t* first = trace.first.data();
    const std::int32_t* second = trace.second.data();
    std::int32_t* low = low_.data();
    std::int32_t* high = high_.data();

    // Sub-steps are tenths of a sample; a negative start index begins at sample 0.
    const std::int64_t step = interpolate ? 1 : 10;
    const std::int64_t start = trace.startIndex;
    for (std::int64_t i = start < 0 ? -start * 10 : 0;; i += step) {
        // Held within [-1, 2W + 1] first: beyond either end the column is 0 or past the last.
        const double x = std::clamp(pps * static_cast<double>(i) * 0.1 - frac, -1.0, w2 + 1.0);
        const int w = std::max(0, roundSmall(x));
        const std::int64_t a = start + i / 10;
        if (w > w2 || a >= count)
            break;
        const int index = static_cast<int>(a);
        std::int32_t f;
        std::int32_t s;
        if (interpolate) {
            f = sincInterpolate(trace.first, index, static_cast<int>(i % 10), count);
            s = f;
        } else {
            f = first[index];
            s = second[index];
        }

        if (roll) {
            if (out.gapStart < 0 && a >= ringStart && a < ringEnd) {
                out.gapStart = w;
                out.gapEnd = w2 + 1;
            } else if (out.gapEnd == w2 + 1 && a >= ringEnd) {
                out.gapEnd = w;
            }
        }

        std::int32_t& lo = low[w];
        std::int32_t& hi = high[w];
        if (f != kNoSample && (lo == kNoSample || lowerThan(f, lo)))
            lo = f;
        if (s != kNoSample && (hi == kNoSample || lowerThan(hi, s)))
            hi = s;
        lastUsed = w;
        if (w > lastColumn)
            break;
    }

    for (int j = 0; j <= lastUsed; ++j) {
        auto& lo = low_[static_cast<std::size_t>(j)];
        auto& hi = high_[static_cast<std::size_t>(j)];
        lo = heightOf(lo, trace, pixelsPerCount);
        hi = heightOf(hi, trace, pixelsPerCount);
    }
    return out;
}

void TraceDrawer::drawColumns(Canvas& canvas, const TraceSurface& surface, const Trace& trace,
                              const Columns& columns) {
    const bool joins = trace.mode != DrawMode::Dots;
    const ColorRef faded = blendColor(trace.color, surface.background, 3);
    const int bottom = surface.originY + surface.height; // screen y of height 0
    const std::int64_t lastColumn = std::int64_t{surface.width} + columns.shift;
    const int w2 = 2 * surface.width;

    bool newSegment = true;
    int prevX = 0;
    std::int32_t prevLow = 0;
    std::int32_t prevHigh = 0;
    bool penSet = false;
    ColorRef pen = 0;

    for (int j = 0; j <= w2; ++j) {
        const std::int32_t lo = low_[static_cast<std::size_t>(j)];
        const std::int32_t hi = high_[static_cast<std::size_t>(j)];
        if (j == columns.gapStart && j != 0) {
            // A one-pixel break between the newest and the oldest data of the ring.
            newSegment = true;
        } else if (lo != kNoSample && hi != kNoSample) {
            const bool inGap = columns.gapStart >= 0 && j >= columns.gapStart && j < columns.gapEnd;
            const ColorRef color = inGap ? faded : trace.color;
            if (!penSet || color != pen) {
                canvas.setPenColor(color);
                pen = color;
                penSet = true;
            }
            const int x = surface.originX + j - columns.shift;
            bool joined = false;
            if (joins && !newSegment) {
                if (lo >= prevHigh) {
                    canvas.line(prevX, bottom - prevHigh, x, bottom - lo);
                    joined = true;
                } else if (prevLow >= hi) {
                    canvas.line(prevX, bottom - prevLow, x, bottom - hi);
                    joined = true;
                }
            }
            // A single value is one pixel; after a joining line it is already drawn.
            if (!(joins && joined && lo == hi))
                canvas.line(x, bottom - lo, x, bottom - (hi + 1));
            newSegment = false;
            prevX = x;
            prevLow = lo;
            prevHigh = hi;
        }
        if (j > lastColumn)
            break;
    }
}

} // namespace qs40
