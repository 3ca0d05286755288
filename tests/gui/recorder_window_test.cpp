// File > Recorder... in the window over the simulated instrument: the refusal when the scope
// is not running a slow roll without trigger, and a recording made from the window while the
// frames go on being drawn.
#include "dialogs/recorder_form.h"
#include "files/recorder_companion.h"
#include "sim_window_support.h"

#include <QAction>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace qs40::testing {
namespace {

class RecorderWindow : public SimWindow {
public:
    explicit RecorderWindow(const char* device = "sim:variant=63,pace=fast")
        : SimWindow(63, device) {}

    // A slow roll without trigger, running.
    void slowRoll(const char* timeDiv = "SpeedButton_100mS") {
        click(timeDiv);
        if (const auto source = window->state().Trigger.Source)
            click(std::array{"SpeedButton_TrigA1", "SpeedButton_TrigA2", "SpeedButton_TrigD1",
                             "SpeedButton_TrigD2"}[static_cast<int>(*source)]);
        ASSERT_FALSE(window->state().Trigger.Source.has_value());
        if (!window->state().Run.runDown)
            click("SpeedButton_Run");
    }
};

TEST(RecorderWindow, RefusedUnlessASlowRollWithoutTriggerRuns) {
    const struct {
        const char* what;
        std::function<void(RecorderWindow&)> spoil;
    } cases[] = {
        {"trigger selected", [](RecorderWindow& w) { w.click("SpeedButton_TrigA1"); }},
        {"50 ms/div", [](RecorderWindow& w) { w.click("SpeedButton_50mS"); }},
        {"not running", [](RecorderWindow& w) { w.click("SpeedButton_Run"); }},
    };
    for (const auto& c : cases) {
        RecorderWindow w;
        ASSERT_TRUE(w.connected());
        w.slowRoll();
        c.spoil(w);
        w.ui.boxes.clear();
        w.window->Menu_RecorderClick();
        ASSERT_EQ(w.ui.boxes.size(), 1u) << c.what;
        EXPECT_EQ(w.ui.boxes[0].caption, "Recorder") << c.what;
        EXPECT_EQ(w.ui.boxes[0].text, "Run 0.1 .. 20 S/Div. Disable Trigger.") << c.what;
        EXPECT_EQ(w.ui.boxes[0].icon, BoxIcon::Stop) << c.what;
        EXPECT_EQ(w.window->recorderForm(), nullptr) << c.what;
    }
}

TEST(RecorderWindow, RecordsWhileTheFramesGoOnAndStopsOnYes) {
    RecorderWindow w;
    QTemporaryDir dir;
    ASSERT_TRUE(w.connected());
    w.slowRoll();
    ASSERT_TRUE(w.waitFor([&] { return w.window->framesDrawnTotal() >= 2; }));
    const std::string bin = dir.path().toStdString() + "/rec.bin";
    w.ui.saveNames = {bin};
    bool shown = false;
    std::uint64_t drawnWhileRecording = 0;
    // Inside the modal window: choose the file, start, let frames come, stop, exit.
    QTimer::singleShot(0, [&] {
        TForm_Recorder* form = w.window->recorderForm();
        shown = form != nullptr && form->isVisible();
        if (!shown)
            return;
        form->findChild<QPushButton*>(QStringLiteral("Button_File"))->click();
        form->findChild<QPushButton*>(QStringLiteral("Button_Start"))->click();
        const std::uint64_t before = w.window->framesDrawnTotal();
        w.waitFor([&] { return form->session().bytes() > 20000; });
        drawnWhileRecording = w.window->framesDrawnTotal() - before;
        w.ui.answers = {BoxAnswer::Yes};
        form->findChild<QPushButton*>(QStringLiteral("Button_Stop"))->click();
        form->findChild<QPushButton*>(QStringLiteral("Button_Exit"))->click();
    });
    w.window->Menu_RecorderClick();
    ASSERT_TRUE(shown);
    EXPECT_GT(drawnWhileRecording, 0u);
    ASSERT_TRUE(std::filesystem::exists(bin));
    EXPECT_GT(std::filesystem::file_size(bin), 20000u);
    EXPECT_EQ(std::filesystem::file_size(bin), w.window->recorderForm()->session().bytes());
    EXPECT_TRUE(std::filesystem::exists(companionPathOf(bin)));
    EXPECT_FALSE(w.window->session().recorder().on());
}

// The instrument reports a power failure in the middle of a recording: the recording ends with
// what was received on disk and the companion saying why, before the watchdog's recovery box is
// answered; the recovery then goes on as without the recorder.
TEST(RecorderWindow, APowerFailureEndsTheRecordingWithTheCompanionSayingWhy) {
    // Every few seconds, so that one falls inside the recording however long the start took.
    RecorderWindow w("sim:variant=63,pace=fast,fault=power,at=4s,every=6s");
    QTemporaryDir dir;
    ASSERT_TRUE(w.connected());
    w.slowRoll();
    ASSERT_TRUE(w.waitFor([&] { return w.window->framesDrawnTotal() >= 2; }));
    const std::string bin = dir.path().toStdString() + "/rec.bin";
    w.ui.saveNames = {bin};
    bool ended = false;
    std::size_t boxesAtEnd = 0;
    QTimer::singleShot(0, [&] {
        TForm_Recorder* form = w.window->recorderForm();
        if (form == nullptr)
            return;
        form->findChild<QPushButton*>(QStringLiteral("Button_File"))->click();
        form->findChild<QPushButton*>(QStringLiteral("Button_Start"))->click();
        ended = w.waitFor([&] { return !form->session().recording(); });
        boxesAtEnd = w.ui.boxes.size();
        form->findChild<QPushButton*>(QStringLiteral("Button_Exit"))->click();
        // Exit is disabled while recording: a recording that did not end fails the test
        // instead of leaving the window's dialog open for ever.
        if (form->isVisible())
            form->done(QDialog::Rejected);
    });
    w.window->Menu_RecorderClick();
    ASSERT_TRUE(ended);
    RecorderSession& session = w.window->recorderForm()->session();
    EXPECT_EQ(session.lastEnd(), RecorderEnd::PowerFailure);
    EXPECT_GT(session.bytes(), 0u);
    EXPECT_EQ(std::filesystem::file_size(bin), session.bytes());
    std::ifstream in(companionPathOf(bin), std::ios::binary);
    const std::string companion{std::istreambuf_iterator<char>(in), {}};
    EXPECT_NE(companion.find("\r\nRecording ended: power failure (error code 3)\r\n"),
              std::string::npos)
        << companion;
    EXPECT_NE(companion.find("Size = " + std::to_string(session.bytes()) + " Bytes"),
              std::string::npos);
    // No box of the recorder's own; at most the watchdog's recovery question.
    for (std::size_t i = 0; i < boxesAtEnd; ++i)
        EXPECT_NE(w.ui.boxes[i].caption, "Recorder File");
}

} // namespace
} // namespace qs40::testing
