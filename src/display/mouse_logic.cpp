#include "display/mouse_logic.h"

#include "display/marker_mode.h"
#include "scope/arith.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <mutex>

namespace qs40 {
namespace {

// A point relative to the plot's top-left corner.
struct PlotPoint {
    std::int64_t x = 0;
    std::int64_t y = 0;
};

bool usable(const PlotGeometry& g) {
    return g.width > 0 && g.height > 0;
}

// Half-division snapping of the right button (integer arithmetic, truncating towards zero).
std::int64_t snapAxis(std::int64_t v, int division) {
    const int half = division / 2;
    if (half <= 0) // a plot too small to have half divisions: nothing to snap to
        return v;
    return (v + division / 4) / half * half;
}

PlotPoint relative(const MouseEvent& e, const PlotGeometry& g) {
    return {std::int64_t{e.x} - g.left, std::int64_t{e.y} - g.top};
}

PlotPoint snapped(PlotPoint p, const MouseEvent& e, const PlotGeometry& g) {
    if (e.buttons.right)
        p = {snapAxis(p.x, g.divisionWidth()), snapAxis(p.y, g.divisionHeight())};
    return p;
}

PlotPoint limitedToPlot(PlotPoint p, const PlotGeometry& g) {
    return {std::clamp<std::int64_t>(p.x, 0, g.width), std::clamp<std::int64_t>(p.y, 0, g.height)};
}

// A level in sample codes, truncated and limited to 0..255 (NaN reads as 0).
int levelCode(double level) {
    if (std::isnan(level))
        return 0;
    return static_cast<int>(std::clamp(level, 0.0, 255.0));
}

// Pixels between a level's line and the pointer's row.
double levelDistance(double level, std::int64_t y, const PlotGeometry& g) {
    const double line = g.height - 1 - roundHalfAway(g.yScale() * levelCode(level));
    return std::fabs(line - static_cast<double>(y));
}

// The level a row stands for: 0 below the plot's last row, 255 above the plot.
int levelAt(std::int64_t y, const PlotGeometry& g) {
    if (y > g.height - 1)
        return 0;
    if (y < 0)
        return 255;
    // On plots taller than 512 pixels the last rows would give -1.
    return std::clamp(roundToInt32(static_cast<double>(g.height - y) / g.yScale()) - 1, 0, 255);
}

std::int32_t markerXAt(std::int64_t x, const PlotGeometry& g) {
    return roundToInt32(static_cast<double>(x) / g.xScale());
}
std::int32_t markerYAt(std::int64_t y, const PlotGeometry& g) {
    return roundToInt32(static_cast<double>(y) / g.yScale());
}

// Sets the dragged marker coordinate from a point inside the plot.
void setMarker(CommonSection& c, DragTarget t, PlotPoint p, const PlotGeometry& g) {
    switch (t) {
    case DragTarget::Marker_x:
        c.Marker_x = markerXAt(p.x, g);
        break;
    case DragTarget::Marker_y:
        c.Marker_y = markerYAt(p.y, g);
        break;
    case DragTarget::Marker1_x:
        c.Marker1_x = markerXAt(p.x, g);
        break;
    case DragTarget::Marker1_y:
        c.Marker1_y = markerYAt(p.y, g);
        break;
    case DragTarget::Marker2_x:
        c.Marker2_x = markerXAt(p.x, g);
        break;
    case DragTarget::Marker2_y:
        c.Marker2_y = markerYAt(p.y, g);
        break;
    default:
        break;
    }
}

// Moves a zero level and the same channel's trigger level by the same difference, so the
// trigger stays at the same voltage.
MouseFollowUp setZero(MouseContext& ctx, DragTarget t, int zero) {
    auto move = [zero](std::int32_t& z, double& level) {
        level += static_cast<double>(zero) - z;
        z = zero;
    };
    ScopeState& s = ctx.state;
    switch (t) {
    case DragTarget::A1Zero:
        move(s.Scope.A1_Zero, s.Trigger.Lev_A1);
        return MouseFollowUp::ApplyAndStart;
    case DragTarget::A2Zero:
        move(s.Scope.A2_Zero, s.Trigger.Lev_A2);
        return MouseFollowUp::ApplyAndStart;
    case DragTarget::BackgroundA1Zero:
        move(ctx.background.A1_Zero, ctx.background.Lev_A1);
        return MouseFollowUp::Apply;
    case DragTarget::BackgroundA2Zero:
        move(ctx.background.A2_Zero, ctx.background.Lev_A2);
        return MouseFollowUp::Apply;
    default:
        return MouseFollowUp::Nothing;
    }
}

MouseFollowUp setLevel(MouseContext& ctx, DragTarget t, int level) {
    if (t == DragTarget::A1Level)
        ctx.state.Trigger.Lev_A1 = level;
    else
        ctx.state.Trigger.Lev_A2 = level;
    return MouseFollowUp::ApplyAndStart;
}

// The nearest marker line takes the pointer.
MouseFollowUp pressInPlot(MouseContext& ctx, PlotPoint pointer, PlotPoint p) {
    const PlotGeometry& g = ctx.geometry;
    const int mode = markersMode(ctx.state);
    if (mode == 0 || pointer.y < 0 || pointer.y > g.height)
        return MouseFollowUp::Nothing;
    CommonSection& c = ctx.state.Common;
    auto dx = [&](std::int32_t mx) {
        return std::fabs(static_cast<double>(pointer.x) - roundHalfAway(mx * g.xScale()));
    };
    auto dy = [&](std::int32_t my) {
        return std::fabs(static_cast<double>(pointer.y) - roundHalfAway(my * g.yScale()));
    };
    DragTarget target;
    if (mode == 1) {
        target = dy(c.Marker_y) < dx(c.Marker_x) ? DragTarget::Marker_y : DragTarget::Marker_x;
    } else {
        const struct {
            DragTarget target;
            double distance;
        } lines[] = {
            {DragTarget::Marker1_x, dx(c.Marker1_x)},
            {DragTarget::Marker1_y, dy(c.Marker1_y)},
            {DragTarget::Marker2_x, dx(c.Marker2_x)},
            {DragTarget::Marker2_y, dy(c.Marker2_y)},
        };
        // min_element keeps the first of equal distances: the order above breaks ties.
        target = std::min_element(std::begin(lines), std::end(lines), [](auto& a, auto& b) {
                     return a.distance < b.distance;
                 })->target;
    }
    ctx.mouse.dragTarget = target;
    // A snapped point can pass the edge of a plot whose width is no multiple of 20.
    setMarker(c, target, limitedToPlot(p, g), g);
    return MouseFollowUp::Apply;
}

// Right of the plot: the nearer trigger level takes the pointer.
MouseFollowUp pressRight(MouseContext& ctx, PlotPoint pointer, PlotPoint p) {
    const ScopeState& s = ctx.state;
    const bool a1 = s.Common.CH_A1;
    const bool a2 = s.Common.CH_A2;
    if (!a1 && !a2)
        return MouseFollowUp::Nothing;
    const PlotGeometry& g = ctx.geometry;
    const bool pickA2 = a2 && (!a1 || levelDistance(s.Trigger.Lev_A2, pointer.y, g) <
                                          levelDistance(s.Trigger.Lev_A1, pointer.y, g));
    const DragTarget t = pickA2 ? DragTarget::A2Level : DragTarget::A1Level;
    ctx.mouse.dragTarget = t;
    return setLevel(ctx, t, levelAt(p.y, g));
}

// Left of the plot: the nearest zero level takes the pointer.
MouseFollowUp pressLeft(MouseContext& ctx, PlotPoint pointer, PlotPoint p) {
    const ScopeState& s = ctx.state;
    const bool a1 = s.Common.CH_A1;
    const bool a2 = s.Common.CH_A2;
    if (!a1 && !a2)
        return MouseFollowUp::Nothing;
    const PlotGeometry& g = ctx.geometry;
    const struct {
        DragTarget target;
        bool eligible;
        std::int32_t zero;
    } zeros[] = {
        {DragTarget::A1Zero, a1, s.Scope.A1_Zero},
        {DragTarget::A2Zero, a2, s.Scope.A2_Zero},
        {DragTarget::BackgroundA1Zero, a1 && ctx.backgroundShown, ctx.background.A1_Zero},
        {DragTarget::BackgroundA2Zero, a2 && ctx.backgroundShown, ctx.background.A2_Zero},
    };
    DragTarget best = DragTarget::None;
    double bestDistance = 0;
    for (const auto& z : zeros) {
        if (!z.eligible)
            continue;
        const double d = levelDistance(z.zero, pointer.y, g);
        if (best == DragTarget::None || d < bestDistance) { // ties keep the earlier one
            best = z.target;
            bestDistance = d;
        }
    }
    ctx.mouse.dragTarget = best;
    return setZero(ctx, best, levelAt(p.y, g));
}

bool held(const MouseButtons& b) {
    return b.left || b.right;
}

} // namespace

MouseFollowUp mouseDown(MouseContext& ctx, const MouseEvent& e) {
    if (!held(e.buttons))
        return MouseFollowUp::Nothing;
    MouseState& m = ctx.mouse;
    m.dragTarget = DragTarget::None;
    if (m.ignoreNextPress) { // the second press of a double click
        m.ignoreNextPress = false;
        return MouseFollowUp::Nothing;
    }
    const PlotGeometry& g = ctx.geometry;
    if (!usable(g))
        return MouseFollowUp::Nothing;
    // The regions are decided by where the pointer is; the values it sets come from the
    // snapped point.
    const PlotPoint pointer = relative(e, g);
    const PlotPoint p = snapped(pointer, e, g);
    const bool overPlotColumns = pointer.x > 0 && pointer.x < g.width;
    m.clickAbove = overPlotColumns && pointer.y < 0;
    m.clickBelow = overPlotColumns && pointer.y > g.height;
    if (pointer.x > g.width)
        return pressRight(ctx, pointer, p);
    if (pointer.x < 0)
        return pressLeft(ctx, pointer, p);
    return pressInPlot(ctx, pointer, p);
}

MouseFollowUp mouseMove(MouseContext& ctx, const MouseEvent& e) {
    if (!held(e.buttons) || ctx.mouse.dragTarget == DragTarget::None)
        return MouseFollowUp::Nothing;
    const PlotGeometry& g = ctx.geometry;
    if (!usable(g))
        return MouseFollowUp::Nothing;
    const PlotPoint p = limitedToPlot(snapped(relative(e, g), e, g), g);
    const DragTarget t = ctx.mouse.dragTarget;
    switch (t) {
    case DragTarget::A1Level:
    case DragTarget::A2Level:
        return setLevel(ctx, t, levelAt(p.y, g));
    case DragTarget::A1Zero:
    case DragTarget::A2Zero:
    case DragTarget::BackgroundA1Zero:
    case DragTarget::BackgroundA2Zero:
        return setZero(ctx, t, levelAt(p.y, g));
    default:
        setMarker(ctx.state.Common, t, p, g);
        return MouseFollowUp::Apply;
    }
}

MouseFollowUp mouseUp(MouseContext& ctx) {
    ctx.mouse.dragTarget = DragTarget::None;
    return MouseFollowUp::Apply;
}

MouseFollowUp doubleClick(MouseContext& ctx) {
    MouseState& m = ctx.mouse;
    if (m.clickAbove || m.clickBelow)
        m.ignoreNextPress = true;
    if (m.clickAbove)
        ctx.state.Run.compact = !ctx.state.Run.compact;
    if (m.clickBelow && ctx.state.has(kCapGenerator))
        ctx.state.Common.Generator = !ctx.state.Common.Generator;
    return MouseFollowUp::RelayoutAndApply;
}

MouseFollowUp onPlot(ScopeState& state, FrameSets& frames, const PlotGeometry& geometry,
                     MouseState& mouse,
                     const std::function<MouseFollowUp(MouseContext&)>& handler) {
    BackgroundLevels levels;
    bool backgroundShown = false;
    {
        const std::lock_guard lock(frames.mutex);
        levels = frames.backgroundLevels;
        backgroundShown = state.Run.bgView && frames.background->header[kHdrLength] != 0;
    }
    MouseContext ctx{state, levels, geometry, backgroundShown, mouse};
    const MouseFollowUp followUp = handler(ctx);
    const std::lock_guard lock(frames.mutex);
    frames.backgroundLevels = levels;
    return followUp;
}

} // namespace qs40
