#include "main_window_test_support.h"

#include "display/layout.h"
#include "main/front_panel.h"
#include "main/paint_box.h"

#include <QGroupBox>
#include <QTest>

namespace qs40 {
namespace {

using testing::WindowFixture;
using testing::WindowSetup;

class MainWindowLayout : public ::testing::Test {
protected:
    void SetUp() override {
        f.window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(f.window.get()));
    }
    PaintBox* box() const { return f.find<PaintBox>("Image_M"); }
    QWidget* scope() const { return f.find<QWidget>("GroupBox1"); }
    QWidget* generator() const { return f.find<QWidget>("GroupBox2"); }

    WindowFixture f;
};

void expectGeometryFollowsTheBox(const TQS4003MFrm& window, const PaintBox& box) {
    const PlotGeometry expected = computePlotGeometry(box.width(), box.height());
    const PlotGeometry& g = window.plotGeometry();
    EXPECT_EQ(g.left, expected.left);
    EXPECT_EQ(g.top, expected.top);
    EXPECT_EQ(g.width, expected.width);
    EXPECT_EQ(g.height, expected.height);
    EXPECT_EQ(box.bitmap().size(), box.size());
}

TEST_F(MainWindowLayout, DesignSizeGivesTheFullPlot) {
    EXPECT_EQ(f.window->minimumSize(), f.window->designSize());
    EXPECT_EQ(box()->size(), QSize(design::kSignalWidth, 362));
    expectGeometryFollowsTheBox(*f.window, *box());
    EXPECT_EQ(f.window->plotGeometry().width, 500);
    EXPECT_EQ(f.window->plotGeometry().height, 256);
    EXPECT_EQ(f.button("SpeedButton_2V_A1")->y(), design::kTopA1);
    EXPECT_EQ(f.button("SpeedButton_TrigA1")->y(), 431);
}

TEST_F(MainWindowLayout, ResizingMovesThePlotAndTheInputButtons) {
    f.window->resize(1100, 800);
    QApplication::processEvents();
    EXPECT_EQ(scope()->height(), f.window->centralWidget()->height());
    EXPECT_EQ(scope()->x() + scope()->width(), f.window->centralWidget()->width());
    EXPECT_EQ(box()->width(), scope()->x());
    EXPECT_EQ(generator()->y(), box()->height() + design::kPositionBarHeight);
    expectGeometryFollowsTheBox(*f.window, *box());

    const InputButtonTops tops = computeInputButtonTops(
        {design::kTopA1, design::kTopA2, design::kClientHeight, design::kButtonHeight},
        scope()->height(), true);
    EXPECT_EQ(f.button("SpeedButton_VoltsDiv_A1")->y(), tops.a1.label);
    EXPECT_EQ(f.button("SpeedButton_2V_A1")->y(), tops.a1.firstRow);
    EXPECT_EQ(f.button("SpeedButton_50mV_A2")->y(), tops.a2.secondRow);
    EXPECT_EQ(f.find<QWidget>("Panel_Color_A2")->y(), tops.a2.colorPanel);
    // The trigger rows keep their distance from the group's bottom edge.
    EXPECT_EQ(scope()->height() - f.button("SpeedButton_TrigD1")->y(), design::kClientHeight - 454);
}

TEST_F(MainWindowLayout, GeneratorViewGivesItsHeightToThePlot) {
    const int withGenerator = box()->height();
    f.trigger("Menu_Gen_View");
    EXPECT_TRUE(generator()->isHidden());
    EXPECT_EQ(box()->height(), withGenerator + design::kGeneratorHeight);
    expectGeometryFollowsTheBox(*f.window, *box());
    f.trigger("Menu_Gen_View");
    EXPECT_FALSE(generator()->isHidden());
    EXPECT_EQ(box()->height(), withGenerator);
}

TEST_F(MainWindowLayout, CompactViewShrinksAndComesBackAtTheDesignSize) {
    const QSize normal = f.window->size();
    f.trigger("Menu_Compact");
    QApplication::processEvents();
    EXPECT_TRUE(scope()->isHidden());
    EXPECT_TRUE(generator()->isHidden());
    EXPECT_EQ(f.window->minimumSize(), QSize(430, 250));
    EXPECT_EQ(f.window->size(), QSize(normal.width() - design::kScopeWidth,
                                      normal.height() - design::kGeneratorHeight));
    EXPECT_EQ(box()->width(), f.window->centralWidget()->width());
    expectGeometryFollowsTheBox(*f.window, *box());

    f.window->resize(600, 400);
    QApplication::processEvents();
    f.trigger("Menu_Compact");
    QApplication::processEvents();
    EXPECT_FALSE(scope()->isHidden());
    EXPECT_FALSE(generator()->isHidden());
    EXPECT_EQ(f.window->size(), f.window->designSize());
    EXPECT_EQ(f.window->minimumSize(), f.window->designSize());

    // The next entry restores the compact window as it was left.
    f.trigger("Menu_Compact");
    QApplication::processEvents();
    EXPECT_EQ(f.window->size(), QSize(600, 400));
}

// Through the window system, so that the press, release, press and double-click sequence is
// the one a user's double click delivers.
void doubleClick(WindowFixture& f, QWidget* box, QPoint at) {
    QTest::mouseDClick(f.window->windowHandle(), Qt::LeftButton, Qt::NoModifier,
                       box->mapTo(f.window.get(), at));
    QApplication::processEvents();
}

TEST_F(MainWindowLayout, DoubleClickAboveThePlotTogglesCompactBelowItTheGenerator) {
    const PlotGeometry g = f.window->plotGeometry();
    const QPoint above(g.left + g.width / 2, g.top / 2);
    doubleClick(f, box(), above);
    EXPECT_TRUE(f.window->state().Run.compact);
    EXPECT_TRUE(f.action("Menu_Compact")->isChecked());
    EXPECT_TRUE(scope()->isHidden());

    doubleClick(f, box(), above);
    EXPECT_FALSE(f.window->state().Run.compact);
    EXPECT_FALSE(scope()->isHidden());

    const PlotGeometry h = f.window->plotGeometry();
    const QPoint below(h.left + h.width / 2, h.top + h.height + 10);
    doubleClick(f, box(), below);
    EXPECT_FALSE(f.window->state().Common.Generator);
    EXPECT_FALSE(f.action("Menu_Gen_View")->isChecked());
    EXPECT_TRUE(generator()->isHidden());

    // The press that belongs to a double click starts no drag; the next one does.
    const int markerX = f.window->state().Common.Marker1_x; // the nearest line
    const PlotGeometry k = f.window->plotGeometry();
    QTest::mouseClick(f.window->windowHandle(), Qt::LeftButton, Qt::NoModifier,
                      box()->mapTo(f.window.get(), QPoint(k.left + 10, k.top + k.height / 3)));
    QApplication::processEvents();
    EXPECT_NE(f.window->state().Common.Marker1_x, markerX);
}

TEST_F(MainWindowLayout, DraggingRightOfThePlotMovesTheTriggerLevel) {
    const PlotGeometry g = f.window->plotGeometry();
    const int sends = f.window->requests().sendCount;
    // Near the top of the plot: a high level.
    QTest::mousePress(box(), Qt::LeftButton, Qt::NoModifier,
                      QPoint(g.left + g.width + 5, g.top + 2));
    EXPECT_GT(f.window->state().Trigger.Lev_A1, 240.0);
    QTest::mouseRelease(box(), Qt::LeftButton, Qt::NoModifier,
                        QPoint(g.left + g.width + 5, g.top + 2));
    EXPECT_GT(f.window->requests().sendCount, sends);
}

TEST(MainWindowFirstPaint, OpensTheInstrumentAndStartsIt) {
    WindowFixture f;
    const int sends = f.window->requests().sendCount;
    f.window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(f.window.get()));
    QTest::qWait(50);
    EXPECT_TRUE(f.d2xx.anyOpened());
    EXPECT_EQ(f.window->requests().sendCount, sends + 1);
    EXPECT_TRUE(f.ui.boxes.empty());
    EXPECT_FALSE(f.find<PaintBox>("Image_M")->bitmap().isNull());
}

TEST(MainWindowFirstPaint, WithoutAnInstrumentSaysNothing) {
    WindowSetup setup;
    setup.instrumentAttached = false;
    WindowFixture f(setup);
    const int sends = f.window->requests().sendCount;
    f.window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(f.window.get()));
    QTest::qWait(50);
    EXPECT_EQ(f.window->requests().sendCount, sends);
    EXPECT_TRUE(f.ui.boxes.empty());
}

} // namespace
} // namespace qs40
