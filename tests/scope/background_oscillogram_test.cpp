#include "scope/background_oscillogram.h"

#include <gtest/gtest.h>

namespace qs40 {
namespace {

// A frame of `valid` samples whose first A1 entry names it.
void fill(FrameData& f, std::int32_t valid, std::int32_t mark) {
    f.reset();
    f.header[kHdrLength] = valid;
    f.header[kHdrValid] = valid;
    f.series[kA1First][0] = mark;
}

struct Sets {
    FrameSets frames;
    ScopeState state;

    Sets() {
        state.Trigger.Lev_A1 = 200;
        state.Trigger.Lev_A2 = 60;
        state.Scope.A1_Zero = 191;
        state.Scope.A2_Zero = 63;
        state.Session.current = {"live.qsd", true};
        frames.backgroundLevels = {.Lev_A1 = 170, .Lev_A2 = 120, .A1_Zero = 150, .A2_Zero = 100};
        state.Session.background = {"kept.qsd", true};
    }
};

TEST(BackgroundSwap, ExchangesFramesLevelsAndNamesAndTogglesTheFlag) {
    Sets s;
    fill(*s.frames.current, 1000, 1);
    fill(*s.frames.background, 400, 2);
    ASSERT_EQ(swapBackground(s.frames, s.state), 400);
    EXPECT_EQ(s.frames.current->series[kA1First][0], 2);
    EXPECT_EQ(s.frames.background->series[kA1First][0], 1);
    EXPECT_EQ(s.state.Trigger.Lev_A1, 170);
    EXPECT_EQ(s.state.Scope.A2_Zero, 100);
    const BackgroundLevels levels = backgroundLevels(s.frames);
    EXPECT_EQ(levels.Lev_A1, 200);
    EXPECT_EQ(levels.Lev_A2, 60);
    EXPECT_EQ(levels.A1_Zero, 191);
    EXPECT_EQ(levels.A2_Zero, 63);
    EXPECT_EQ(s.state.Session.current.name, "kept.qsd");
    EXPECT_EQ(s.state.Session.background.name, "live.qsd");
    EXPECT_TRUE(s.frames.swapped);

    swapBackground(s.frames, s.state); // and back
    EXPECT_EQ(s.frames.current->series[kA1First][0], 1);
    EXPECT_EQ(s.state.Trigger.Lev_A1, 200);
    EXPECT_FALSE(s.frames.swapped);
}

TEST(BackgroundSwap, AnEmptySideTakesTheOtherSidesLevelsFirst) {
    // The live frame moves behind and leaves an empty main frame with the same levels.
    Sets s;
    fill(*s.frames.current, 1000, 1);
    s.frames.background->reset();
    ASSERT_EQ(swapBackground(s.frames, s.state), 0);
    EXPECT_EQ(s.frames.background->series[kA1First][0], 1);
    EXPECT_EQ(s.frames.current->header[kHdrLength], 0);
    EXPECT_EQ(s.state.Trigger.Lev_A1, 200);
    EXPECT_EQ(s.state.Scope.A1_Zero, 191);
    EXPECT_EQ(backgroundLevels(s.frames).A1_Zero, 191);
    EXPECT_EQ(s.state.Session.background.name, "live.qsd");
    EXPECT_EQ(s.state.Session.current.name, "live.qsd");
}

TEST(BackgroundSwap, NothingToSwapChangesNothing) {
    Sets s;
    EXPECT_EQ(swapBackground(s.frames, s.state), std::nullopt);
    EXPECT_FALSE(s.frames.swapped);
    EXPECT_EQ(s.state.Trigger.Lev_A1, 200);
    EXPECT_EQ(backgroundLevels(s.frames).Lev_A1, 170);
}

TEST(BackgroundClear, EmptiesTheBackgroundAndClearsTheSwap) {
    Sets s;
    fill(*s.frames.current, 1000, 1);
    fill(*s.frames.background, 400, 2);
    swapBackground(s.frames, s.state);
    clearBackground(s.frames, s.state);
    EXPECT_EQ(s.frames.background->header[kHdrLength], 0);
    EXPECT_EQ(s.frames.background->series[kA1First][0], kNoSample);
    EXPECT_FALSE(s.frames.swapped);
    EXPECT_FALSE(s.state.Session.background.valid);
    EXPECT_EQ(s.frames.current->series[kA1First][0], 2); // the current frame stays
}

} // namespace
} // namespace qs40
