// The calibrations through the window over the simulated instrument: the Options items open
// their forms after the calibration check, Start runs the procedure while the window goes on,
// OK keeps what was measured and Cancel (or Escape, or the title bar) puts the old values back;
// afterwards the front panel's parameters are the instrument's again.
#include "dialogs/calibration_form.h"
#include "dialogs/time_calibrate_form.h"
#include "scope/zero_calibration.h"
#include "sim_window_support.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QSlider>
#include <QTimer>

namespace qs40::testing {
namespace {

// What a calibration stores goes into `saved`; it is built before the window and goes after it.
struct SavedConfigurations {
    std::vector<ScopeState> saved;
};

class CalibrationWindow : private SavedConfigurations, public SimWindow {
public:
    CalibrationWindow(std::int32_t variant, const std::string& device)
        : SimWindow(variant, device, [this](StartOptions& options) {
              options.loadConfiguration = [](ScopeState& s, const std::string&, bool) {
                  s.System.TDC_Clbr = true;
                  return ConfigReadResult{};
              };
              options.saveConfiguration = [this](const ScopeState& s, const std::string&) {
                  saved.push_back(s);
              };
          }) {}
    using SavedConfigurations::saved;

    // The instrument has identified itself: the calibration check can tell its variant.
    bool identified() {
        return waitFor([this] { return window->linkState().report.get().versionsValid; });
    }

    // Opens the item's form and runs `drive` on it once it is shown.
    template <class Form> bool open(const char* item, std::function<void(Form&)> drive) {
        bool shown = false;
        QTimer::singleShot(0, window.get(), [&] {
            auto* form = qobject_cast<Form*>(QApplication::activeModalWidget());
            if (form == nullptr)
                return;
            shown = true;
            drive(*form);
        });
        action(item)->trigger();
        return shown;
    }
};

QString labelText(QWidget& form, const char* name) {
    return form.findChild<QLabel*>(QString::fromLatin1(name))->text();
}
QPushButton* button(QWidget& form, const char* name) {
    return form.findChild<QPushButton*>(QString::fromLatin1(name));
}

TEST(WindowCalibration, ZeroCalibrationOkStoresTheInstrumentsCoefficients) {
    CalibrationWindow w(31, "sim:variant=31,pace=fast,a1=off,a2=off");
    ASSERT_TRUE(w.identified());
    const ScopeState before = w.window->state();
    const bool shown = w.open<CalibrationForm>("Menu_ZeroCalibrate", [&](CalibrationForm& f) {
        EXPECT_EQ(f.objectName(), "TForm_ZeroCalibrate");
        EXPECT_EQ(f.windowTitle(), "Zero Calibrate");
        EXPECT_EQ(labelText(f, "Label_Info"),
                  "Disconnect anything from BNC's and press Start button.");
        EXPECT_TRUE(f.startButton()->isEnabled());
        EXPECT_FALSE(f.okButton()->isEnabled());
        EXPECT_EQ(f.findChild<QProgressBar*>("ProgressBar")->maximum(), 72);
        EXPECT_TRUE(w.window->state().Common.CH_A1);
        EXPECT_TRUE(w.window->state().Common.CH_A2);
        f.startButton()->click(); // returns when the run is over
        EXPECT_EQ(labelText(f, "Label_Info"), "Calibration OK.");
        EXPECT_TRUE(f.okButton()->isEnabled());
        EXPECT_EQ(f.findChild<QProgressBar*>("ProgressBar")->value(), 72);
        f.okButton()->click();
    });
    ASSERT_TRUE(shown);
    ASSERT_EQ(w.saved.size(), 1u) << "the configuration is saved on OK";
    const auto k = zeroCoefficients(w.saved[0]);
    EXPECT_NEAR(k[0].p1, 3370, 2);
    EXPECT_NEAR(k[0].p2, 712, 2);
    EXPECT_NEAR(k[0].sh, 4, 2);
    EXPECT_NEAR(k[1].p1, 3345, 2);
    EXPECT_NEAR(k[1].p2, 731, 2);
    EXPECT_NEAR(k[1].sh, -3, 2);
    EXPECT_EQ(zeroCoefficients(w.window->state()), k);
    // The zero levels and view items are the panel's again, and so is the instrument's set.
    EXPECT_EQ(w.window->state().Scope.A1_Zero, before.Scope.A1_Zero);
    EXPECT_EQ(w.window->state().Scope.A2_Zero, before.Scope.A2_Zero);
    EXPECT_TRUE(w.waitFor([&] {
        return w.instrument().recordLength() == w.window->params().recordLength &&
               w.instrument().offsetA1 == w.window->params().offsetA1;
    }));
    EXPECT_TRUE(w.ui.boxes.empty());
}

TEST(WindowCalibration, CancelAfterASuccessfulRunPutsTheOldCoefficientsBack) {
    CalibrationWindow w(31, "sim:variant=31,pace=fast,a1=off,a2=off");
    ASSERT_TRUE(w.identified());
    const auto before = zeroCoefficients(w.window->state());
    ASSERT_TRUE(w.open<CalibrationForm>("Menu_ZeroCalibrate", [&](CalibrationForm& f) {
        f.startButton()->click();
        EXPECT_NE(zeroCoefficients(w.window->state()), before) << "live while the form is open";
        f.cancelButton()->click();
    }));
    EXPECT_EQ(zeroCoefficients(w.window->state()), before);
    EXPECT_TRUE(w.saved.empty());
}

TEST(WindowCalibration, EscapeOrTheTitleBarEndAWaitingPassAtOnce) {
    for (const bool escape : {true, false}) {
        SCOPED_TRACE(escape ? "Escape" : "title bar");
        // Without frames (nothing runs at the slowest pace) the pass would wait for ever.
        CalibrationWindow w(31, "sim:variant=31,a1=off,a2=off");
        ASSERT_TRUE(w.identified());
        const auto before = zeroCoefficients(w.window->state());
        ASSERT_TRUE(w.open<CalibrationForm>("Menu_ZeroCalibrate", [&](CalibrationForm& f) {
            QTimer::singleShot(200, &f, [&f, escape] {
                if (escape)
                    f.reject(); // what Escape does
                else
                    f.close();
            });
            f.startButton()->click();
            EXPECT_TRUE(f.cancelled());
            EXPECT_NE(labelText(f, "Label_Info"), "Calibration failed.");
        }));
        EXPECT_EQ(zeroCoefficients(w.window->state()), before);
        EXPECT_TRUE(w.saved.empty());
    }
}

TEST(WindowCalibration, AnUnplugDuringAPassFailsAndThePanelComesBack) {
    CalibrationWindow w(31, "sim:variant=31,a1=off,a2=off");
    ASSERT_TRUE(w.identified());
    const auto before = zeroCoefficients(w.window->state());
    w.ui.defaultAnswer = BoxAnswer::No; // no recovery
    ASSERT_TRUE(w.open<CalibrationForm>("Menu_ZeroCalibrate", [&](CalibrationForm& f) {
        QTimer::singleShot(300, &f, [&] { w.d2xx.unplug(0); });
        f.startButton()->click();
        EXPECT_EQ(labelText(f, "Label_Info"), "Calibration failed.");
        EXPECT_TRUE(f.startButton()->isEnabled());
        EXPECT_FALSE(f.okButton()->isEnabled());
        f.cancelButton()->click();
    }));
    EXPECT_EQ(zeroCoefficients(w.window->state()), before);
    EXPECT_EQ(w.window->session().publisher().get().params.recordLength,
              w.window->params().recordLength);
}

TEST(WindowCalibration, WithoutAnInstrumentNoFormOpens) {
    CalibrationWindow w(31, "sim:devices=");
    for (const char* item : {"Menu_ZeroCalibrate", "Menu_TDCCalibrate"}) {
        SCOPED_TRACE(item);
        w.ui.boxes.clear();
        EXPECT_FALSE(w.open<QDialog>(item, [](QDialog& d) { d.reject(); }));
        ASSERT_FALSE(w.ui.boxes.empty());
        EXPECT_EQ(w.ui.boxes.back().caption, "Calibrate Error");
        EXPECT_EQ(w.ui.boxes.back().text, "Device not found.");
        EXPECT_EQ(w.ui.boxes.back().icon, BoxIcon::Stop);
    }
}

TEST(WindowCalibration, AnInstrumentOfAnotherVariantRebuildsTheInterfaceFirst) {
    CalibrationWindow w(63, "sim:variant=28,pace=fast,a1=off");
    ASSERT_TRUE(w.identified());
    ASSERT_TRUE(w.open<CalibrationForm>("Menu_ZeroCalibrate", [&](CalibrationForm& f) {
        EXPECT_EQ(w.window->state().System.Device_Type_Code, 28);
        EXPECT_FALSE(w.window->state().Common.CH_A2) << "no A2 on this variant";
        f.reject();
    }));
    ASSERT_FALSE(w.ui.boxes.empty());
    EXPECT_EQ(w.ui.boxes[0].caption, "Warning");
    EXPECT_EQ(w.ui.boxes[0].text, "Interface will be changed for ZR4001A. ");
}

TEST(WindowCalibration, TheFrequencyMeterBarMovesTheReadingWhileTheFormIsOpen) {
    for (const bool ok : {true, false}) {
        SCOPED_TRACE(ok ? "OK" : "Cancel");
        CalibrationWindow w(31, "sim:variant=31,pace=fast,a1=sine:1M");
        ASSERT_TRUE(w.identified());
        w.window->findChild<QAbstractButton*>("SpeedButton_Run")->click();
        const auto frameTime = [&] {
            FrameSets& frames = w.window->frames();
            const std::lock_guard lock(frames.mutex);
            return frames.current->header[kHdrFmCount2] > 0
                       ? std::optional<std::int32_t>(frames.current->header[kHdrFmTime])
                       : std::nullopt;
        };
        ASSERT_TRUE(w.waitFor([&] { return frameTime() == 0; }));
        ASSERT_TRUE(w.open<TForm_TimeCalibrate>("Menu_FM_Calibrate", [&](TForm_TimeCalibrate& f) {
            EXPECT_EQ(f.windowTitle(), "Freq. Meter Calibrate");
            EXPECT_EQ(labelText(f, "Label_PPM"), "PPM = 0.00");
            f.bar()->setValue(-250);
            EXPECT_EQ(labelText(f, "Label_PPM"), "PPM = -50.00");
            EXPECT_EQ(w.window->state().Calibrate.Time, -250);
            EXPECT_EQ(w.window->linkState().freqMeterTime.load(), -250);
            // The frames taken while the form is open carry the moved correction.
            EXPECT_TRUE(w.waitFor([&] { return frameTime() == -250; }));
            if (ok)
                button(f, "Button_OK")->click();
            else
                button(f, "Button_Cancel")->click();
        }));
        EXPECT_EQ(w.window->state().Calibrate.Time, ok ? -250 : 0);
        EXPECT_EQ(w.window->linkState().freqMeterTime.load(), ok ? -250 : 0);
        EXPECT_EQ(w.saved.size(), ok ? 1u : 0u);
        EXPECT_TRUE(w.waitFor([&] { return frameTime() == (ok ? -250 : 0); }));
    }
}

TEST(WindowCalibration, TdcOkWritesTheConstantsAndCancelWritesNothing) {
    for (const bool ok : {true, false}) {
        SCOPED_TRACE(ok ? "OK" : "Cancel");
        CalibrationWindow w(31, "sim:variant=31,pace=fast,d1=gen,d2=gen");
        ASSERT_TRUE(w.identified());
        EXPECT_TRUE(w.action("Menu_TDCCalibrate")->isVisible());
        EXPECT_TRUE(w.action("Menu_TDCCalibrate")->isEnabled());
        ASSERT_TRUE(w.waitFor([&] { return w.window->linkState().report.get().tdcValid; }));
        TdcConstants measured{};
        ASSERT_TRUE(w.open<CalibrationForm>("Menu_TDCCalibrate", [&](CalibrationForm& f) {
            EXPECT_EQ(f.windowTitle(), "TDC Calibrate");
            EXPECT_EQ(labelText(f, "Label_Result"),
                      "Rise = 10/20 nS     Fall = 10/21 nS\nRise = 10/20 nS     Fall = 10/21 nS");
            EXPECT_EQ(f.findChild<QProgressBar*>("ProgressBar")->maximum(), 200);
            f.startButton()->click();
            EXPECT_EQ(labelText(f, "Label_Info"), "Calibration OK.");
            const QStringList numbers =
                labelText(f, "Label_Result")
                    .split(QRegularExpression("[^0-9]+"), Qt::SkipEmptyParts);
            // 10/n per value: every second number is a constant.
            ASSERT_EQ(numbers.size(), 8);
            for (int i = 0; i < 4; ++i)
                measured[static_cast<std::size_t>(i)] =
                    static_cast<std::uint8_t>(numbers[2 * i + 1].toInt());
            (ok ? f.okButton() : f.cancelButton())->click();
        }));
        const TdcConstants old{20, 21, 20, 21};
        const TdcConstants expected = ok ? measured : old;
        EXPECT_TRUE(w.waitFor([&] {
            const InstrumentReport r = w.window->linkState().report.get();
            return r.tdcValid && r.tdc == expected;
        }));
        if (!ok) { // and stays so
            QCoreApplication::processEvents(QEventLoop::AllEvents, 300);
            EXPECT_EQ(w.window->linkState().report.get().tdc, old);
        }
    }
}

} // namespace
} // namespace qs40::testing
