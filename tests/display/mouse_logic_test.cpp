#include "display/mouse_logic.h"

#include <gtest/gtest.h>

#include <climits>
#include <limits>

namespace qs40 {
namespace {

using T = DragTarget;
using F = MouseFollowUp;

// A 500 x 256 plot at (30, 24): one pixel per marker unit and per sample code. Positions in
// the tests are relative to the plot's top-left corner.
struct Mouse {
    ScopeState state;
    BackgroundLevels background;
    PlotGeometry geometry{.smallPlot = false, .left = 30, .top = 24, .width = 500, .height = 256};
    bool backgroundShown = false;
    MouseState mouse;

    Mouse() {
        state.System.Device_Type_Code = 31;
        state.Common.Markers_1 = false;
        state.Common.Markers_2 = true;
        state.Common.Marker1_x = 100;
        state.Common.Marker1_y = 100;
        state.Common.Marker2_x = 300;
        state.Common.Marker2_y = 200;
        state.Scope.A1_Zero = 191; // level lines at rows 64 (A1) and 192 (A2)
        state.Scope.A2_Zero = 63;
        state.Trigger.Lev_A1 = 191;
        state.Trigger.Lev_A2 = 63;
        background.A1_Zero = 150; // row 105
        background.A2_Zero = 100; // row 155
        background.Lev_A1 = 170;
        background.Lev_A2 = 120;
    }

    MouseContext context() { return {state, background, geometry, backgroundShown, mouse}; }
    MouseEvent event(int x, int y, bool right) const {
        return {geometry.left + x, geometry.top + y, {.left = !right, .right = right}};
    }
    F down(int x, int y, bool right = false) {
        auto c = context();
        return mouseDown(c, event(x, y, right));
    }
    F move(int x, int y, bool right = false) {
        auto c = context();
        return mouseMove(c, event(x, y, right));
    }
    void markers(int mode) {
        state.Common.Markers_1 = mode == 1;
        state.Common.Markers_2 = mode == 2;
    }
    void channels(bool a1, bool a2) {
        state.Common.CH_A1 = a1;
        state.Common.CH_A2 = a2;
    }
};

TEST(MouseDown, NeedsTheLeftOrRightButton) {
    Mouse m;
    m.mouse.dragTarget = T::Marker2_x;
    auto c = m.context();
    EXPECT_EQ(mouseDown(c, {m.geometry.left + 100, m.geometry.top + 100, {}}), F::Nothing);
    EXPECT_EQ(m.mouse.dragTarget, T::Marker2_x);
    EXPECT_EQ(m.state.Common.Marker1_x, 100);
}

TEST(MouseDown, OneCrossTakesTheNearerLine) {
    struct Case {
        int x, y;
        T target;
        std::int32_t markerX, markerY;
    };
    const Case cases[] = {
        {110, 105, T::Marker_y, 100, 105}, // nearer the horizontal line
        {105, 110, T::Marker_x, 105, 100},
        {107, 107, T::Marker_x, 107, 100}, // equal distances: the vertical line
    };
    for (const Case& k : cases) {
        Mouse m;
        m.markers(1);
        m.state.Common.Marker_x = 100;
        m.state.Common.Marker_y = 100;
        EXPECT_EQ(m.down(k.x, k.y), F::Apply);
        EXPECT_EQ(m.mouse.dragTarget, k.target) << k.x << "," << k.y;
        EXPECT_EQ(m.state.Common.Marker_x, k.markerX);
        EXPECT_EQ(m.state.Common.Marker_y, k.markerY);
    }
}

TEST(MouseDown, TwoCrossesTakeTheNearestLineInTieOrder) {
    struct Case {
        int x, y;
        T target;
    };
    // Lines: marker 1 at x 100, y 100; marker 2 at x 300, y 200.
    const Case cases[] = {
        {110, 150, T::Marker1_x}, {200, 128, T::Marker1_y}, {290, 150, T::Marker2_x},
        {200, 195, T::Marker2_y}, {105, 105, T::Marker1_x}, // tie of marker 1's lines
        {200, 150, T::Marker1_y},                           // tie of the horizontal lines
        {310, 210, T::Marker2_x},                           // tie of marker 2's lines
    };
    for (const Case& k : cases) {
        Mouse m;
        EXPECT_EQ(m.down(k.x, k.y), F::Apply);
        EXPECT_EQ(m.mouse.dragTarget, k.target) << k.x << "," << k.y;
        const CommonSection& c = m.state.Common;
        EXPECT_EQ(c.Marker1_x, k.target == T::Marker1_x ? k.x : 100);
        EXPECT_EQ(c.Marker1_y, k.target == T::Marker1_y ? k.y : 100);
        EXPECT_EQ(c.Marker2_x, k.target == T::Marker2_x ? k.x : 300);
        EXPECT_EQ(c.Marker2_y, k.target == T::Marker2_y ? k.y : 200);
    }
}

TEST(MouseDown, RightButtonSnapsTheMarkerOntoTheHalfDivision) {
    struct Case {
        int width, height;
        int x, y;
        T target;
        int pixel; // where the moved line is drawn: a half-division line
    };
    const Case cases[] = {
        {500, 256, 128, 160, T::Marker1_x, 125}, // 3 pixels right of the line at 125
        {500, 256, 122, 160, T::Marker1_x, 125}, // 3 pixels left of it
        {400, 256, 63, 160, T::Marker1_x, 60},   // 20-pixel half divisions
        {500, 256, 250, 131, T::Marker1_y, 128},
        {500, 128, 250, 67, T::Marker1_y, 64}, // 8-pixel half divisions
    };
    for (const Case& k : cases) {
        Mouse m;
        m.geometry.width = k.width;
        m.geometry.height = k.height;
        EXPECT_EQ(m.down(k.x, k.y, true), F::Apply);
        ASSERT_EQ(m.mouse.dragTarget, k.target) << k.x << "," << k.y;
        const double drawn = k.target == T::Marker1_x
                                 ? m.state.Common.Marker1_x * m.geometry.xScale()
                                 : m.state.Common.Marker1_y * m.geometry.yScale();
        EXPECT_DOUBLE_EQ(drawn, k.pixel) << k.x << "," << k.y;
    }
    Mouse left; // the left button positions freely
    left.down(128, 160);
    EXPECT_EQ(left.state.Common.Marker1_x, 128);
}

TEST(MouseDown, MarkersOnlyInsideThePlotWithMarkersShown) {
    Mouse none;
    none.markers(0);
    EXPECT_EQ(none.down(110, 150), F::Nothing);
    EXPECT_EQ(none.mouse.dragTarget, T::None);

    for (int y : {-1, 257}) {
        Mouse m;
        EXPECT_EQ(m.down(110, y), F::Nothing) << y;
        EXPECT_EQ(m.state.Common.Marker1_x, 100);
    }
    Mouse edge; // both edges belong to the plot
    EXPECT_EQ(edge.down(500, 256), F::Apply);
    EXPECT_EQ(edge.mouse.dragTarget, T::Marker2_y);
    EXPECT_EQ(edge.state.Common.Marker2_y, 256);
}

TEST(MouseDown, RightOfThePlotDragsTheNearerTriggerLevel) {
    struct Case {
        bool a1, a2;
        int y;
        T target;
        double level;
    };
    // A1's level line at row 64, A2's at row 192.
    const Case cases[] = {
        {true, true, 100, T::A1Level, 155},
        {true, true, 128, T::A1Level, 127}, // equally near: A2 only when strictly nearer
        {true, true, 129, T::A2Level, 126},
        {false, true, 10, T::A2Level, 245}, // a switched-off channel never wins
        {true, false, 250, T::A1Level, 5},
        {true, true, -5, T::A1Level, 255}, // above the plot
        {true, true, 300, T::A2Level, 0},  // below the plot
        {true, true, 255, T::A2Level, 0},  // the last row
        {true, true, 0, T::A1Level, 255},
    };
    for (const Case& k : cases) {
        Mouse m;
        m.channels(k.a1, k.a2);
        EXPECT_EQ(m.down(510, k.y), F::ApplyAndStart);
        EXPECT_EQ(m.mouse.dragTarget, k.target) << k.y;
        const double& changed =
            k.target == T::A1Level ? m.state.Trigger.Lev_A1 : m.state.Trigger.Lev_A2;
        const double& kept =
            k.target == T::A1Level ? m.state.Trigger.Lev_A2 : m.state.Trigger.Lev_A1;
        EXPECT_EQ(changed, k.level) << k.y;
        EXPECT_EQ(kept, k.target == T::A1Level ? 63 : 191);
    }
    Mouse off;
    off.channels(false, false);
    EXPECT_EQ(off.down(510, 100), F::Nothing);
    EXPECT_EQ(off.down(-10, 100), F::Nothing);
    EXPECT_EQ(off.mouse.dragTarget, T::None);
}

TEST(MouseDown, LeftOfThePlotDragsTheNearestZeroLevel) {
    struct Case {
        bool a1, a2, background;
        int y;
        T target;
        F followUp;
    };
    // Zero rows: A1 64, A2 192, background A1 105, background A2 155.
    const Case cases[] = {
        {true, true, false, 100, T::A1Zero, F::ApplyAndStart},
        {true, true, false, 130, T::A2Zero, F::ApplyAndStart},
        {false, true, false, 70, T::A2Zero, F::ApplyAndStart}, // A1 is nearer but off
        {false, true, true, 150, T::BackgroundA2Zero, F::Apply},
        {false, true, true, 105, T::BackgroundA2Zero, F::Apply}, // background A1 is off too
        {true, true, true, 105, T::BackgroundA1Zero, F::Apply},
        {true, true, false, 105, T::A1Zero, F::ApplyAndStart}, // background not shown
    };
    for (const Case& k : cases) {
        Mouse m;
        m.channels(k.a1, k.a2);
        m.backgroundShown = k.background;
        EXPECT_EQ(m.down(-10, k.y), k.followUp) << k.y;
        EXPECT_EQ(m.mouse.dragTarget, k.target) << k.y;
    }
}

TEST(MouseDown, ZeroLevelTiesGoToTheEarlierLevel) {
    struct Case {
        bool a1;
        std::int32_t a1Zero, a2Zero, bgA1Zero, bgA2Zero;
        T target;
    };
    const Case cases[] = {
        {true, 100, 100, 100, 100, T::A1Zero},
        {false, 100, 100, 100, 100, T::A2Zero},
        {true, 0, 100, 100, 100, T::A2Zero},
        {true, 0, 0, 100, 100, T::BackgroundA1Zero},
    };
    for (const Case& k : cases) {
        Mouse m;
        m.channels(k.a1, true);
        m.backgroundShown = true;
        m.state.Scope.A1_Zero = k.a1Zero;
        m.state.Scope.A2_Zero = k.a2Zero;
        m.background.A1_Zero = k.bgA1Zero;
        m.background.A2_Zero = k.bgA2Zero;
        m.down(-10, 155);
        EXPECT_EQ(m.mouse.dragTarget, k.target);
    }
}

TEST(MouseDown, ZeroLevelCarriesTheTriggerLevelAlong) {
    struct Case {
        bool background;
        int y;
        std::int32_t zero;
    };
    const Case cases[] = {
        {false, 100, 155}, {false, -5, 255}, {false, 300, 0},
        {true, 100, 155},  {true, -5, 255},  {true, 300, 0},
    };
    for (const Case& k : cases) {
        Mouse m;
        m.channels(true, false);
        m.backgroundShown = k.background;
        m.state.Trigger.Lev_A1 = 223.4;
        m.state.Scope.A1_Zero = k.background ? 0 : 191; // leave the background zero nearest
        m.down(-10, k.background ? 105 : 64);
        if (k.background) {
            ASSERT_EQ(m.mouse.dragTarget, T::BackgroundA1Zero);
            m.move(-10, k.y); // and on to the row under test
            EXPECT_EQ(m.background.A1_Zero, k.zero);
            EXPECT_DOUBLE_EQ(m.background.Lev_A1 - m.background.A1_Zero, 20);
            EXPECT_EQ(m.state.Scope.A1_Zero, 0);
            EXPECT_EQ(m.state.Trigger.Lev_A1, 223.4);
        } else {
            ASSERT_EQ(m.mouse.dragTarget, T::A1Zero);
            m.down(-10, k.y);
            EXPECT_EQ(m.state.Scope.A1_Zero, k.zero);
            EXPECT_NEAR(m.state.Trigger.Lev_A1 - m.state.Scope.A1_Zero, 32.4, 1e-9);
            EXPECT_EQ(m.background.A1_Zero, 150);
        }
    }
}

TEST(MouseDown, ClickAboveAndBelowFlags) {
    struct Case {
        int x, y;
        bool above, below;
    };
    const Case cases[] = {
        {250, -5, true, false}, {250, 257, false, true}, {250, 256, false, false},
        {250, 0, false, false}, {0, -5, false, false},   {500, -5, false, false},
        {1, 300, false, true},  {-5, -5, false, false},  {505, 300, false, false},
    };
    for (const Case& k : cases) {
        Mouse m;
        m.mouse.clickAbove = !k.above; // every accepted press sets both anew
        m.mouse.clickBelow = !k.below;
        m.down(k.x, k.y);
        EXPECT_EQ(m.mouse.clickAbove, k.above) << k.x << "," << k.y;
        EXPECT_EQ(m.mouse.clickBelow, k.below) << k.x << "," << k.y;
    }
}

TEST(MouseMove, DragsTheTargetWithinThePlot) {
    struct Case {
        T target;
        int x, y;
        bool right;
        F followUp;
    };
    const Case cases[] = {
        {T::Marker1_x, 700, 100, false, F::Apply},
        {T::Marker2_y, 100, -40, false, F::Apply},
        {T::A1Level, 600, -50, false, F::ApplyAndStart},
        {T::A2Level, 600, 400, false, F::ApplyAndStart},
        {T::A1Level, 600, 131, true, F::ApplyAndStart},
        {T::A2Zero, -20, 100, false, F::ApplyAndStart},
        {T::BackgroundA2Zero, -20, 100, false, F::Apply},
    };
    for (const Case& k : cases) {
        Mouse m;
        m.mouse.dragTarget = k.target;
        EXPECT_EQ(m.move(k.x, k.y, k.right), k.followUp);
        EXPECT_EQ(m.mouse.dragTarget, k.target);
    }
    Mouse m;
    m.mouse.dragTarget = T::Marker1_x;
    m.move(700, 100);
    EXPECT_EQ(m.state.Common.Marker1_x, 500);
    m.move(-70, 100);
    EXPECT_EQ(m.state.Common.Marker1_x, 0);
    m.mouse.dragTarget = T::Marker2_y;
    m.move(100, -40);
    EXPECT_EQ(m.state.Common.Marker2_y, 0);
    m.move(100, 400);
    EXPECT_EQ(m.state.Common.Marker2_y, 256);
    m.mouse.dragTarget = T::A1Level;
    m.move(600, -50);
    EXPECT_EQ(m.state.Trigger.Lev_A1, 255); // dragged above the plot
    m.move(600, 400);
    EXPECT_EQ(m.state.Trigger.Lev_A1, 0); // below it
    m.move(600, 131, true);
    EXPECT_EQ(m.state.Trigger.Lev_A1, 127); // snapped to row 128
    m.mouse.dragTarget = T::A2Zero;
    m.move(-20, 100);
    EXPECT_EQ(m.state.Scope.A2_Zero, 155);
    EXPECT_EQ(m.state.Trigger.Lev_A2, 155);
}

TEST(MouseMove, NothingWithoutButtonOrTarget) {
    Mouse m;
    EXPECT_EQ(m.move(100, 100), F::Nothing);
    m.mouse.dragTarget = T::Marker1_x;
    auto c = m.context();
    EXPECT_EQ(mouseMove(c, {m.geometry.left + 50, m.geometry.top + 50, {}}), F::Nothing);
    EXPECT_EQ(m.state.Common.Marker1_x, 100);
}

TEST(MouseUp, EndsTheDrag) {
    Mouse m;
    m.down(110, 150);
    ASSERT_EQ(m.mouse.dragTarget, T::Marker1_x);
    auto c = m.context();
    EXPECT_EQ(mouseUp(c), F::Apply);
    EXPECT_EQ(m.mouse.dragTarget, T::None);
    EXPECT_EQ(m.move(150, 150), F::Nothing);
}

TEST(DoubleClick, TogglesTheViewOfTheBorderClicked) {
    struct Case {
        std::int32_t variant;
        int x, y;
        bool compact, generator, ignore;
    };
    const Case cases[] = {
        {31, 250, -5, true, true, true},    // above: compact view
        {31, 250, 260, false, false, true}, // below: generator panel
        {25, 250, 260, false, true, true},  // below without a generator: nothing toggles
        {31, 250, 100, false, true, false}, // inside the plot
    };
    for (const Case& k : cases) {
        Mouse m;
        m.state.System.Device_Type_Code = k.variant;
        m.state.Common.Generator = true;
        m.down(k.x, k.y);
        auto c = m.context();
        EXPECT_EQ(doubleClick(c), F::RelayoutAndApply) << k.variant << " " << k.y;
        EXPECT_EQ(m.state.Run.compact, k.compact);
        EXPECT_EQ(m.state.Common.Generator, k.generator);
        EXPECT_EQ(m.mouse.ignoreNextPress, k.ignore);
    }
}

TEST(DoubleClick, ItsSecondPressIsIgnoredOnce) {
    Mouse m;
    m.down(250, -5);
    auto c = m.context();
    doubleClick(c);
    m.mouse.dragTarget = T::A1Level;
    EXPECT_EQ(m.down(110, 150), F::Nothing);
    EXPECT_EQ(m.mouse.dragTarget, T::None);
    EXPECT_FALSE(m.mouse.ignoreNextPress);
    EXPECT_EQ(m.state.Common.Marker1_x, 100);
    EXPECT_EQ(m.down(110, 150), F::Apply);
    EXPECT_EQ(m.state.Common.Marker1_x, 110);
}

// Levels and marker positions read from files can hold anything; the geometry comes from the
// layout but is checked all the same.
TEST(MouseLogic, OutOfRangeValuesAndGeometry) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    Mouse m;
    m.state.Trigger.Lev_A1 = nan; // reads as code 0: line at the bottom row
    m.state.Trigger.Lev_A2 = std::numeric_limits<double>::infinity();
    EXPECT_EQ(m.down(510, 250), F::ApplyAndStart);
    EXPECT_EQ(m.mouse.dragTarget, T::A1Level);
    EXPECT_EQ(m.state.Trigger.Lev_A1, 5);

    Mouse z;
    z.state.Scope.A1_Zero = INT32_MIN;
    z.state.Scope.A2_Zero = INT32_MAX;
    z.state.Trigger.Lev_A2 = 1e300;
    EXPECT_EQ(z.down(-10, 10), F::ApplyAndStart);
    EXPECT_EQ(z.mouse.dragTarget, T::A2Zero); // INT32_MAX reads as 255, row 0
    EXPECT_EQ(z.state.Scope.A2_Zero, 245);

    Mouse far;
    far.state.Common.Marker1_x = INT32_MIN;
    far.state.Common.Marker1_y = INT32_MAX;
    far.state.Common.Marker2_x = INT32_MAX;
    far.state.Common.Marker2_y = INT32_MIN;
    EXPECT_EQ(far.down(250, 100), F::Apply);
    EXPECT_EQ(far.mouse.dragTarget, T::Marker2_x); // the least far of lines far off the plot
    EXPECT_EQ(far.state.Common.Marker2_x, 250);

    for (PlotGeometry g : {PlotGeometry{.width = 0}, PlotGeometry{.height = 0},
                           PlotGeometry{.width = 8, .height = 4}}) {
        Mouse bad;
        bad.geometry = g;
        bad.down(3, 2, true);
        bad.move(3, 2, true);
        bad.mouse.dragTarget = T::A1Zero;
        bad.move(-3, 2, true);
    }
}

} // namespace
} // namespace qs40
