// The mouse on the plot's paint box: dragging markers, trigger levels and zero levels, and the
// double click that toggles the compact view (above the plot) or the generator panel (below).
// The handlers only change the state and say what the GUI runs next.
#pragma once

#include "display/plot_geometry.h"
#include "scope/background_levels.h"
#include "scope/frame.h"
#include "scope/scope_state.h"

#include <cstdint>
#include <functional>

namespace qs40 {

// What is being dragged; the trace drawing reads A1Level and A2Level to draw the level line.
enum class DragTarget : std::uint8_t {
    None = 0,
    Marker_x = 1,
    Marker_y = 2,
    Marker1_x = 3,
    Marker1_y = 4,
    Marker2_x = 5,
    Marker2_y = 6,
    A1Level = 7,
    A2Level = 8,
    A1Zero = 9,
    A2Zero = 10,
    BackgroundA1Zero = 11,
    BackgroundA2Zero = 12,
};

struct MouseState {
    DragTarget dragTarget = DragTarget::None;
    bool clickAbove = false;      // the last accepted press was above the plot
    bool clickBelow = false;      // ... below it
    bool ignoreNextPress = false; // set by a double click: its second press is not a drag
};

struct MouseButtons {
    bool left = false;
    bool right = false; // positions snap to half divisions
};

// A pointer position on the paint box, in its pixels.
struct MouseEvent {
    int x = 0;
    int y = 0;
    MouseButtons buttons;
};

enum class MouseFollowUp {
    Nothing,
    Apply,            // recompute and redraw
    ApplyAndStart,    // recompute, send to the instrument, redraw
    RelayoutAndApply, // view operation and layout with the compact and generator states, apply
};

struct MouseContext {
    ScopeState& state;
    BackgroundLevels& background; // the background oscillogram's own levels
    const PlotGeometry& geometry;
    bool backgroundShown = false; // a background is present and its view is on
    MouseState& mouse;
};

MouseFollowUp mouseDown(MouseContext& ctx, const MouseEvent& e);
MouseFollowUp mouseMove(MouseContext& ctx, const MouseEvent& e);
MouseFollowUp mouseUp(MouseContext& ctx);
MouseFollowUp doubleClick(MouseContext& ctx);

// Runs a handler above on the background's levels as the frame sets hold them: read under
// their lock, handled without it, and written back under it, so the drawing sees every drag.
MouseFollowUp onPlot(ScopeState& state, FrameSets& frames, const PlotGeometry& geometry,
                     MouseState& mouse,
                     const std::function<MouseFollowUp(MouseContext&)>& handler);

} // namespace qs40
