// The window over the simulated instrument with its acquisition thread: the first paint opens
// the instrument and loads the FPGA; Run and Single give decoded and drawn frames; front-panel
// changes reach the instrument; data files go out and come back through the File menu; the
// window closes cleanly while frames arrive.
#include "files/settings_file.h"
#include "sim_window_support.h"

#include <QAction>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTemporaryDir>

#include <filesystem>

namespace qs40::testing {
namespace {

TEST(WindowAcquisition, FirstPaintOpensTheInstrumentAndLoadsTheFpga) {
    SimWindow w;
    ASSERT_TRUE(w.connected());
    EXPECT_TRUE(w.ui.boxes.empty());
    EXPECT_FALSE(w.instrument().running()); // nothing runs before Run or Single
}

TEST(WindowAcquisition, WithoutTheInstrumentTheWatchdogSaysNothingUntilRun) {
    // Only the older instrument is attached: the open refuses it with its box and fails.
    SimWindow w(63, "sim:devices=old");
    const QDeadlineTimer twoTicks(2500);
    while (!twoTicks.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    ASSERT_EQ(w.ui.boxes.size(), 1u);
    EXPECT_NE(w.ui.boxes[0].text.find("ZR4001 device found."), std::string::npos);

    // Run tries again and tells why it cannot start.
    w.click("SpeedButton_Run");
    EXPECT_GE(w.ui.boxes.size(), 2u);
    EXPECT_FALSE(w.find<QAbstractButton>("SpeedButton_Run")->isChecked());
    EXPECT_FALSE(w.window->state().Run.running);
}

TEST(WindowAcquisition, RunGivesDecodedAndDrawnFrames) {
    SimWindow w;
    ASSERT_TRUE(w.connected());
    w.click("SpeedButton_Run");
    ASSERT_TRUE(w.waitFor([&] { return w.window->framesDrawnTotal() >= 5; }));
    EXPECT_GE(w.window->framesDecodedTotal(), w.window->framesDrawnTotal());
    EXPECT_TRUE(w.instrument().running());
    // The caption names the variant; the frames come from the same variant: no question.
    EXPECT_TRUE(w.ui.boxes.empty());

    w.click("SpeedButton_Run");
    EXPECT_TRUE(w.waitFor([&] { return !w.instrument().running(); }));
}

TEST(WindowAcquisition, TimeAndVoltsPerDivisionReachTheInstrument) {
    SimWindow w;
    ASSERT_TRUE(w.connected());
    w.click("SpeedButton_Run");
    ASSERT_TRUE(w.waitFor([&] { return w.instrument().running(); }));

    const sim::InstrumentSettings before = w.instrument();
    w.click("SpeedButton_10mS");
    EXPECT_TRUE(w.waitFor([&] { return w.instrument().divider != before.divider; }));
    w.click("SpeedButton_50mV_A1");
    EXPECT_TRUE(w.waitFor([&] { return w.instrument().inputA1 != before.inputA1; }));
}

TEST(WindowAcquisition, SingleEndsByItself) {
    SimWindow w;
    ASSERT_TRUE(w.connected());
    auto* single = w.find<QAbstractButton>("SpeedButton_Sngl");
    w.click("SpeedButton_Sngl");
    EXPECT_TRUE(single->isChecked());
    ASSERT_TRUE(w.waitFor([&] { return !w.window->state().Run.snglDown; }));
    EXPECT_FALSE(single->isChecked());
    EXPECT_FALSE(w.window->state().Run.running);
    EXPECT_GE(w.window->framesDecodedTotal(), 1u);
    const std::lock_guard lock(w.window->frames().mutex);
    EXPECT_GT(w.window->frames().current->header[kHdrLength], 0);
}

TEST(WindowAcquisition, AtNoLimitEveryDecodedFrameIsDrawn) {
    SimWindow w;
    ASSERT_TRUE(w.connected());
    w.trigger("Menu_FPS_NO_LIM");
    w.click("SpeedButton_Run");
    ASSERT_TRUE(w.waitFor([&] { return w.window->framesDecodedTotal() >= 40; }));
    w.click("SpeedButton_Run");
    ASSERT_TRUE(w.waitFor([&] { return !w.instrument().running(); }));
    // The decoder takes the next frame only after the last one was drawn; the frame in hand
    // when Run went up may still be on its way.
    EXPECT_TRUE(w.waitFor(
        [&] { return w.window->framesDrawnTotal() + 1 >= w.window->framesDecodedTotal(); }));
    EXPECT_LE(w.window->framesDrawnTotal(), w.window->framesDecodedTotal());
}

TEST(WindowAcquisition, DataFileSavedAndOpenedThroughTheFileMenu) {
    QTemporaryDir dir;
    SimWindow w;
    ASSERT_TRUE(w.connected());
    w.click("SpeedButton_Sngl");
    ASSERT_TRUE(w.waitFor([&] { return !w.window->state().Run.snglDown; }));
    std::array<std::int32_t, kHeaderFields> saved{};
    {
        const std::lock_guard lock(w.window->frames().mutex);
        saved = w.window->frames().current->header;
    }

    const std::string path = (dir.path() + "/frame.qsd").toStdString();
    w.ui.saveNames.push_back(path);
    w.trigger("Menu_Save_As");
    ASSERT_TRUE(std::filesystem::exists(path));
    EXPECT_TRUE(std::filesystem::exists(dir.path().toStdString() + "/frame.qss"));

    {
        const std::lock_guard lock(w.window->frames().mutex);
        w.window->frames().current->reset();
    }
    w.ui.openNames.push_back(path);
    w.ui.answers.push_back(BoxAnswer::No); // the companion settings stay unread
    w.trigger("Menu_Open");
    const std::lock_guard lock(w.window->frames().mutex);
    const auto& opened = w.window->frames().current->header;
    EXPECT_EQ(opened[kHdrLength], saved[kHdrLength]);
    EXPECT_EQ(opened[kHdrTrigPos], saved[kHdrTrigPos]);
    EXPECT_EQ(w.window->state().Session.current.name, "frame.qsd");
}

TEST(WindowAcquisition, ALostConnectionIsOfferedForRecoveryAndFramesComeBack) {
    SimWindow w;
    ASSERT_TRUE(w.connected());
    w.click("SpeedButton_Run");
    ASSERT_TRUE(w.waitFor([&] { return w.window->framesDrawnTotal() >= 2; }));

    // Out and in again: the old handle is gone for good, as with a real device.
    w.d2xx.unplug(0);
    w.d2xx.replug(0);
    w.ui.answers.push_back(BoxAnswer::Yes);
    ASSERT_TRUE(w.waitFor([&] { return !w.ui.boxes.empty(); }));
    EXPECT_EQ(w.ui.boxes[0].text, "Recover after USB connection lost.\r\nError code 1");
    const auto drawn = w.window->framesDrawnTotal();
    EXPECT_TRUE(w.waitFor([&] { return w.window->framesDrawnTotal() >= drawn + 3; }));
    EXPECT_TRUE(w.window->state().Run.runDown);
}

TEST(WindowAcquisition, ClosingFromTheVariantQuestionDoesNotWaitForItself) {
    SimWindow w(31); // the window for a ZR4003, the frames from a ZR4003A
    ASSERT_TRUE(w.connected());
    // The question is asked inside the thread's synchronised call; a close delivered by the
    // box's event loop must not join the thread that waits for that very call.
    w.ui.defaultAnswer = BoxAnswer::No;
    w.ui.whileShown = [&] {
        w.ui.whileShown = nullptr;
        w.window->close();
    };
    w.click("SpeedButton_Run");
    ASSERT_TRUE(w.waitFor([&] { return !w.ui.boxes.empty(); }));
    EXPECT_EQ(w.ui.boxes[0].caption, "Warning");
    EXPECT_FALSE(w.window->isVisible());
    w.window.reset(); // joins the thread and closes the handle
}

TEST(WindowAcquisition, YesToTheVariantQuestionRebuildsTheWindowAndDrawingGoesOn) {
    SimWindow w(31); // the window for a ZR4003, the frames from a ZR4003A
    ASSERT_TRUE(w.connected());
    w.ui.defaultAnswer = BoxAnswer::Yes;
    w.click("SpeedButton_Run");
    ASSERT_TRUE(w.waitFor([&] { return w.window->state().System.Device_Type_Code == 63; }));
    ASSERT_EQ(w.ui.boxes.size(), 1u);
    EXPECT_EQ(w.ui.boxes[0].text, "Change interface for ZR4003A? ");
    const auto drawn = w.window->framesDrawnTotal();
    EXPECT_TRUE(w.waitFor([&] { return w.window->framesDrawnTotal() >= drawn + 3; }));
    EXPECT_TRUE(w.window->windowTitle().startsWith("ZR4003A"));
    EXPECT_EQ(w.ui.boxes.size(), 1u);
}

TEST(WindowAcquisition, AHandOverDuringTheVariantQuestionWaitsForItsAnswer) {
    QTemporaryDir dir;
    ScopeState fast;
    fast.Scope.TimeDiv = TimeDiv::T1uS;
    const std::string settings = (dir.path() + "/fast.qss").toStdString();
    ScriptedUi writer;
    ASSERT_TRUE(writeSettingsFile(settings, fast, writer, "qs40"));

    SimWindow w(31);
    ASSERT_TRUE(w.connected());
    std::size_t boxesWhileAsked = 0;
    w.ui.whileShown = [&] {
        if (boxesWhileAsked != 0)
            return;
        // A second start hands its file over while the question is open.
        w.window->fileHandedOver(1, QString::fromStdString(settings));
        boxesWhileAsked = w.ui.boxes.size();
    };
    w.ui.answers = {BoxAnswer::Yes, BoxAnswer::Yes}; // rebuild; open the settings file
    w.click("SpeedButton_Run");
    ASSERT_TRUE(w.waitFor([&] { return w.window->state().Scope.TimeDiv == TimeDiv::T1uS; }));
    EXPECT_EQ(boxesWhileAsked, 1u); // nothing was offered inside the question
    ASSERT_EQ(w.ui.boxes.size(), 2u);
    EXPECT_EQ(w.ui.boxes[1].text, settings + "\r\nOpen settings file?");
    EXPECT_EQ(w.window->state().System.Device_Type_Code, 63);
    const auto drawn = w.window->framesDrawnTotal();
    EXPECT_TRUE(w.waitFor([&] { return w.window->framesDrawnTotal() >= drawn + 3; }));
}

TEST(WindowAcquisition, ClosingWhileRunningStopsTheThreadFirst) {
    SimWindow w;
    ASSERT_TRUE(w.connected());
    w.click("SpeedButton_Run");
    ASSERT_TRUE(w.waitFor([&] { return w.window->framesDrawnTotal() >= 2; }));
    w.window->close();
    // The thread has been joined: nothing more is decoded.
    const auto decoded = w.window->framesDecodedTotal();
    QCoreApplication::processEvents(QEventLoop::AllEvents, 100);
    EXPECT_EQ(w.window->framesDecodedTotal(), decoded);
}

} // namespace
} // namespace qs40::testing
