// The four option dialogs in the window: every change takes effect while the dialog is open,
// Cancel, Escape and the title bar's close put the fields back (and re-send what the instrument
// had), OK keeps them; opening a dialog changes nothing.
#include "dialogs/color_dialog.h"
#include "dialogs/fft_dialog.h"
#include "dialogs/generator_dialog.h"
#include "dialogs/trigger_dialog.h"
#include "main/paint_box.h"
#include "main/single_instance.h"
#include "main/widget_colors.h"
#include "main_window_test_support.h"

#include <QButtonGroup>
#include <QDeadlineTimer>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSlider>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QUuid>

namespace qs40 {
namespace {

using testing::WindowFixture;
using testing::WindowSetup;

// How a dialog is ended.
enum class Ending { Ok, Cancel, Escape, TitleBarClose };

const char* name(Ending e) {
    switch (e) {
    case Ending::Ok:
        return "OK";
    case Ending::Cancel:
        return "Cancel";
    case Ending::Escape:
        return "Escape";
    case Ending::TitleBarClose:
        break;
    }
    return "close";
}

void end(QDialog* d, Ending e) {
    switch (e) {
    case Ending::Ok:
        d->findChild<QPushButton*>("Button_OK")->click();
        break;
    case Ending::Cancel:
        d->findChild<QPushButton*>("Button_Cancel")->click();
        break;
    case Ending::Escape: // to the focused control, as a key press would go
        QTest::keyClick(d->focusWidget() ? d->focusWidget() : d, Qt::Key_Escape);
        break;
    case Ending::TitleBarClose:
        d->close();
        break;
    }
}

constexpr Ending kCancelEndings[] = {Ending::Cancel, Ending::Escape, Ending::TitleBarClose};

// Opens the dialog with open() and runs act() once it is shown; a dialog that act() leaves
// open is cancelled, so a failing test never hangs. A key press may reach the window only after
// open() has returned, so the dialog is awaited rather than expected at once.
void whileOpen(QDialog* dialog, const std::function<void()>& open,
               const std::function<void(QDialog*)>& act) {
    ASSERT_NE(dialog, nullptr);
    bool shown = false;
    QTimer poll;
    poll.setInterval(1);
    QObject::connect(&poll, &QTimer::timeout, dialog, [&] {
        if (!dialog->isVisible())
            return;
        poll.stop();
        shown = true;
        act(dialog);
        if (dialog->isVisible())
            dialog->reject();
    });
    poll.start();
    open();
    QDeadlineTimer deadline(5000);
    while (!shown && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    poll.stop();
    EXPECT_TRUE(shown);
    EXPECT_FALSE(dialog->isVisible());
}

template <class T> T* child(QDialog* d, const char* objectName) {
    T* w = d->findChild<T*>(QString::fromLatin1(objectName));
    EXPECT_NE(w, nullptr) << objectName;
    return w;
}

QAbstractButton* item(QDialog* d, const char* groupName, int index) {
    return child<QButtonGroup>(d, groupName)->button(index);
}

int sends(const WindowFixture& f) {
    return f.window->requests().sendCount;
}

// A trigger source, so that the count is sent.
WindowSetup triggered() {
    WindowSetup s;
    s.configure = [](ScopeState& state) { state.Trigger.Source = TrigSource::A1; };
    return s;
}

TEST(TriggerDialog, OpensFromTheMenuTheFrontPanelButtonAndCtrlT) {
    WindowFixture f;
    QDialog* d = f.find<QDialog>("Form_TrigSet");
    f.window->show();
    const auto ctrlT = [&] {
        QTest::keyClick(f.window->windowHandle(), Qt::Key_T, Qt::ControlModifier);
    };
    for (const auto& open : std::vector<std::function<void()>>{
             [&] { f.trigger("Menu_Trigger"); }, [&] { f.click("SpeedButton_Trig"); }, ctrlT}) {
        // The shortcut reaches the active window; a closed dialog hands the activation back late.
        f.window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(f.window.get()));
        whileOpen(d, open, [&](QDialog* dialog) {
            EXPECT_EQ(dialog->windowTitle(), "Trigger Settings");
            EXPECT_TRUE(dialog->isModal());
            EXPECT_EQ(dialog->focusWidget(), dialog->findChild<QPushButton*>("Button_Cancel"));
            const QPoint offset =
                dialog->frameGeometry().center() - f.window->frameGeometry().center();
            EXPECT_LE(offset.manhattanLength(), 2);
        });
    }
    EXPECT_TRUE(f.action("Menu_Trigger")->isEnabled());
    EXPECT_TRUE(f.button("SpeedButton_Trig")->isEnabled());
    EXPECT_EQ(f.action("Menu_Trigger")->shortcut(), QKeySequence("Ctrl+T"));
}

TEST(TriggerDialog, ChangesAreSentAtOnceAndACancelSendsTheOldValuesAgain) {
    for (Ending e : {Ending::Ok, Ending::Cancel, Ending::Escape, Ending::TitleBarClose}) {
        WindowFixture f(triggered());
        const AcquisitionParams before = f.window->params();
        const int sent = sends(f);
        whileOpen(
            f.find<QDialog>("Form_TrigSet"), [&] { f.trigger("Menu_Trigger"); },
            [&](QDialog* d) {
                EXPECT_EQ(sends(f), sent); // showing sends nothing
                child<QSlider>(d, "TrackBar_TrigN")->setValue(40);
                EXPECT_EQ(f.window->state().Trigger.N, 40);
                EXPECT_EQ(f.window->params().triggerCount, 40);
                EXPECT_EQ(sends(f), sent + 1);
                EXPECT_EQ(child<QLabel>(d, "Label_TrigN")->text(), "Trigger N = 40");
                item(d, "RadioGroup_PreTrig_Items", 5)->click();
                item(d, "RadioGroup_NR_Items", 0)->click();
                EXPECT_EQ(f.window->state().Trigger.Pre, 5);
                EXPECT_EQ(f.window->state().Trigger.Hyst, 0);
                EXPECT_NE(f.window->params().preTrigger, before.preTrigger);
                EXPECT_EQ(sends(f), sent + 3);
                end(d, e);
            });
        const TriggerSection& t = f.window->state().Trigger;
        if (e == Ending::Ok) {
            EXPECT_EQ(t.N, 40);
            EXPECT_EQ(t.Pre, 5);
            EXPECT_EQ(t.Hyst, 0);
            EXPECT_EQ(sends(f), sent + 3) << "OK sends nothing more";
        } else {
            EXPECT_EQ(t.N, 1) << name(e);
            EXPECT_EQ(t.Pre, 1) << name(e);
            EXPECT_EQ(t.Hyst, 1) << name(e);
            EXPECT_EQ(f.window->params().triggerCount, before.triggerCount) << name(e);
            EXPECT_EQ(f.window->params().preTrigger, before.preTrigger) << name(e);
            EXPECT_EQ(f.window->params().thresholds, before.thresholds) << name(e);
            EXPECT_EQ(sends(f), sent + 4) << name(e);
        }
    }
}

// A file may hold values the controls cannot show: they are shown held in range, and neither
// the state nor the instrument hears of it until the user moves a control.
TEST(TriggerDialog, OpeningWithFieldsOutOfRangeChangesNothing) {
    WindowSetup setup = triggered();
    setup.configure = [](ScopeState& s) {
        s.Trigger.Source = TrigSource::A1;
        s.Trigger.N = 300;
        s.Trigger.Pre = 12;
        s.Trigger.Hyst = -3;
    };
    WindowFixture f(setup);
    const int sent = sends(f);
    whileOpen(
        f.find<QDialog>("Form_TrigSet"), [&] { f.trigger("Menu_Trigger"); },
        [&](QDialog* d) {
            EXPECT_EQ(child<QSlider>(d, "TrackBar_TrigN")->value(), 255);
            EXPECT_EQ(child<QLabel>(d, "Label_TrigN")->text(), "Trigger N = 255");
            EXPECT_TRUE(item(d, "RadioGroup_PreTrig_Items", 9)->isChecked());
            EXPECT_TRUE(item(d, "RadioGroup_NR_Items", 0)->isChecked());
            EXPECT_EQ(sends(f), sent);
            end(d, Ending::Ok);
        });
    const TriggerSection& t = f.window->state().Trigger;
    EXPECT_EQ(t.N, 300);
    EXPECT_EQ(t.Pre, 12);
    EXPECT_EQ(t.Hyst, -3);
    EXPECT_EQ(sends(f), sent);
}

TEST(TriggerDialog, RussianTexts) {
    WindowSetup setup;
    setup.russian = true;
    WindowFixture f(setup);
    whileOpen(
        f.find<QDialog>("Form_TrigSet"), [&] { f.trigger("Menu_Trigger"); },
        [&](QDialog* d) {
            EXPECT_EQ(d->windowTitle(), "Установки синхронизации");
            EXPECT_EQ(child<QGroupBox>(d, "RadioGroup_PreTrig")->title(), "Длина предвыборки ");
            EXPECT_EQ(item(d, "RadioGroup_NR_Items", 3)->text(), "0,5 дел");
            EXPECT_EQ(child<QLabel>(d, "Label_TrigN")->text(), "Номер фронта/среза = 1");
            EXPECT_EQ(child<QPushButton>(d, "Button_Cancel")->text(), "Отмена");
        });
    // Re-captioned at every show.
    f.window->selectLanguage(false);
    whileOpen(
        f.find<QDialog>("Form_TrigSet"), [&] { f.trigger("Menu_Trigger"); },
        [&](QDialog* d) {
            EXPECT_EQ(d->windowTitle(), "Trigger Settings");
            EXPECT_EQ(child<QPushButton>(d, "Button_Cancel")->text(), "Cancel");
        });
}

TEST(TriggerDialog, BusyWhileOpen) {
    testing::application();
    SingleInstance instance("qs40-test-" + QUuid::createUuid().toString(QUuid::WithoutBraces));
    WindowSetup setup;
    setup.instance = &instance;
    WindowFixture f(setup);
    instance.releaseBusy(); // as the first paint does
    ASSERT_FALSE(instance.busy());
    for (const char* menu : {"Menu_Trigger", "Menu_FFTSet", "Menu_GeneratorSet", "Menu_Colors"}) {
        bool busy = false;
        QTimer::singleShot(0, f.window.get(), [&] {
            busy = instance.busy();
            if (QWidget* modal = QApplication::activeModalWidget())
                static_cast<QDialog*>(modal)->reject();
        });
        f.trigger(menu);
        EXPECT_TRUE(busy) << menu;
        EXPECT_FALSE(instance.busy()) << menu;
    }
}

TEST(FftDialog, ChangesRedrawWithoutSendingAndCancelRestores) {
    for (Ending e : {Ending::Ok, Ending::Cancel, Ending::Escape, Ending::TitleBarClose}) {
        WindowFixture f;
        const int sent = sends(f);
        const FftSection before = f.window->state().FFT;
        whileOpen(
            f.find<QDialog>("Form_FFTSet"), [&] { f.trigger("Menu_FFTSet"); },
            [&](QDialog* d) {
                EXPECT_EQ(d->windowTitle(), "FFT Settings");
                EXPECT_TRUE(item(d, "RadioGroup_FFT_Size_Items", before.Size)->isChecked());
                item(d, "RadioGroup_FFT_Size_Items", 5)->click();
                item(d, "RadioGroup_FFT_Win_Items", 1)->click();
                item(d, "RadioGroup_FFT_Scale_Items", 2)->click();
                child<QAbstractButton>(d, "CheckBox_FFT_dbv_v")->click();
                const FftSection& now = f.window->state().FFT;
                EXPECT_EQ(now.Size, 5);
                EXPECT_EQ(now.Win, 1);
                EXPECT_EQ(now.Scale, 2);
                EXPECT_TRUE(now.dbv_v);
                end(d, e);
            });
        const FftSection& after = f.window->state().FFT;
        if (e == Ending::Ok) {
            EXPECT_EQ(after.Size, 5);
            EXPECT_TRUE(after.dbv_v);
        } else {
            EXPECT_EQ(after.Size, before.Size) << name(e);
            EXPECT_EQ(after.Win, before.Win) << name(e);
            EXPECT_EQ(after.Scale, before.Scale) << name(e);
            EXPECT_EQ(after.dbv_v, before.dbv_v) << name(e);
        }
        EXPECT_EQ(sends(f), sent) << name(e);
    }
}

TEST(FftDialog, RussianTexts) {
    WindowSetup setup;
    setup.russian = true;
    WindowFixture f(setup);
    whileOpen(
        f.find<QDialog>("Form_FFTSet"), [&] { f.trigger("Menu_FFTSet"); },
        [&](QDialog* d) {
            EXPECT_EQ(d->windowTitle(), "Установки БПФ");
            EXPECT_EQ(child<QGroupBox>(d, "RadioGroup_FFT_Win")->title(), "Весовое окно");
            EXPECT_EQ(item(d, "RadioGroup_FFT_Scale_Items", 1)->text(), "дБм (50 Ом)");
            EXPECT_EQ(child<QAbstractButton>(d, "CheckBox_FFT_dbv_v")->text(), "дБВ -> Вольты");
        });
}

TEST(GeneratorDialog, ChangesAreSentAtOnceAndCaptionsShowTheEffectiveValues) {
    for (Ending e : {Ending::Ok, Ending::Cancel, Ending::Escape, Ending::TitleBarClose}) {
        WindowFixture f;
        const int sent = sends(f);
        const GeneratorSection before = f.window->state().Generator;
        const AcquisitionParams paramsBefore = f.window->params();
        whileOpen(
            f.find<QDialog>("Form_GeneratorSet"), [&] { f.trigger("Menu_GeneratorSet"); },
            [&](QDialog* d) {
                EXPECT_EQ(d->windowTitle(), "Generator Modulation Settings");
                EXPECT_TRUE(child<QToolButton>(d, "SpeedButton_AM")->isChecked());
                EXPECT_EQ(child<QGroupBox>(d, "GroupBox_Mod_K")->title(), "K AM = 70.0 %");
                // The extreme of the depth: the whole bar on the 200 % range.
                child<QToolButton>(d, "SpeedButton_KAM_200")->click();
                child<QScrollBar>(d, "ScrollBar_Mod_K")->setValue(1000);
                EXPECT_EQ(child<QGroupBox>(d, "GroupBox_Mod_K")->title(), "K AM = 200.0 %");
                child<QScrollBar>(d, "ScrollBar_ModFreq")->setValue(250);
                child<QToolButton>(d, "SpeedButton_MF_100K")->click();
                EXPECT_EQ(child<QGroupBox>(d, "GroupBox_ModFreq")->title(),
                          "Mod. Freq. = 25.0 KHz");
                child<QToolButton>(d, "SpeedButton_FM")->click();
                child<QScrollBar>(d, "ScrollBar_Dev_FM")->setValue(1000);
                child<QToolButton>(d, "SpeedButton_Dev_100K")->click();
                EXPECT_EQ(child<QGroupBox>(d, "GroupBox_Dev_FM")->title(), "Dev. FM = 100 KHz");
                const GeneratorSection& g = f.window->state().Generator;
                EXPECT_EQ(g.Mod_K, 1000);
                EXPECT_EQ(g.Mod_K_x, 1);
                EXPECT_EQ(g.Mod_Freq, 250);
                EXPECT_EQ(g.Mod_Freq_x, 1);
                EXPECT_EQ(g.Mod_Type, 1);
                EXPECT_EQ(g.Dev_Freq, 1000);
                EXPECT_EQ(g.Dev_Freq_x, 1);
                EXPECT_EQ(sends(f), sent + 7);
                end(d, e);
            });
        const GeneratorSection& g = f.window->state().Generator;
        if (e == Ending::Ok) {
            EXPECT_EQ(g.Mod_Type, 1);
            EXPECT_EQ(g.Dev_Freq_x, 1);
            EXPECT_EQ(sends(f), sent + 7);
        } else {
            for (auto field : {&GeneratorSection::Mod_Type, &GeneratorSection::Mod_Freq,
                               &GeneratorSection::Mod_Freq_x, &GeneratorSection::Mod_K,
                               &GeneratorSection::Mod_K_x, &GeneratorSection::Dev_Freq,
                               &GeneratorSection::Dev_Freq_x})
                EXPECT_EQ(g.*field, before.*field) << name(e);
            EXPECT_EQ(f.window->params().genWord2, paramsBefore.genWord2) << name(e);
            EXPECT_EQ(f.window->params().genWord3, paramsBefore.genWord3) << name(e);
            EXPECT_EQ(sends(f), sent + 8) << name(e);
        }
    }
}

TEST(GeneratorDialog, OpeningWithFieldsOutOfRangeChangesNothingAndRussianTexts) {
    WindowSetup setup;
    setup.russian = true;
    setup.configure = [](ScopeState& s) {
        s.Generator.Mod_K = 4000;
        s.Generator.Mod_K_x = 1;
        s.Generator.Mod_Freq_x = 7;
    };
    WindowFixture f(setup);
    const int sent = sends(f);
    whileOpen(
        f.find<QDialog>("Form_GeneratorSet"), [&] { f.trigger("Menu_GeneratorSet"); },
        [&](QDialog* d) {
            EXPECT_EQ(d->windowTitle(), "Установки модуляции генератора");
            EXPECT_EQ(child<QToolButton>(d, "SpeedButton_AM")->text(), "АМ");
            EXPECT_EQ(child<QToolButton>(d, "SpeedButton_FM")->text(), "ЧМ");
            EXPECT_EQ(child<QScrollBar>(d, "ScrollBar_Mod_K")->value(), 1000);
            EXPECT_TRUE(child<QToolButton>(d, "SpeedButton_MF_10K")->isChecked());
            EXPECT_EQ(child<QGroupBox>(d, "GroupBox_Mod_K")->title(), "Коэффициент АМ = 200.0 %");
            EXPECT_EQ(child<QGroupBox>(d, "GroupBox_ModFreq")->title(),
                      "Модулирующая частота = 1.00 KHz");
            EXPECT_EQ(sends(f), sent);
            end(d, Ending::Ok);
        });
    EXPECT_EQ(f.window->state().Generator.Mod_K, 4000);
    EXPECT_EQ(f.window->state().Generator.Mod_Freq_x, 7);
    EXPECT_EQ(sends(f), sent);
}

// The colour dialog's chooser is the test's: it answers with the colour or with nothing.
TForm_ColorSet* colorDialog(const WindowFixture& f, std::optional<ColorRef> answer,
                            int* asked = nullptr) {
    auto* d = f.find<TForm_ColorSet>("Form_ColorSet");
    d->setChooser([answer, asked](ColorRef, QWidget*) {
        if (asked)
            ++*asked;
        return answer;
    });
    return d;
}

QColor panelColor(QDialog* d, const char* panel) {
    return child<QFrame>(d, panel)->palette().color(QPalette::Window);
}

TEST(ColorDialog, AChosenColourIsPreviewedAndCancelRestoresIt) {
    for (Ending e : {Ending::Ok, Ending::Cancel, Ending::Escape, Ending::TitleBarClose}) {
        WindowFixture f;
        int asked = 0;
        const ColorRef chosen = 0x2040C0;
        whileOpen(
            colorDialog(f, chosen, &asked), [&] { f.trigger("Menu_Colors"); },
            [&](QDialog* d) {
                EXPECT_EQ(d->windowTitle(), "Color Settings");
                EXPECT_EQ(panelColor(d, "Panel_clBackground"), toColor(0x000000));
                child<QPushButton>(d, "Button_clBackground")->click();
                EXPECT_EQ(asked, 1);
                EXPECT_EQ(f.window->state().Colors.Background, chosen);
                EXPECT_EQ(panelColor(d, "Panel_clBackground"), toColor(chosen));
                end(d, e);
            });
        const ColorRef expected = e == Ending::Ok ? chosen : ColorRef{0x000000};
        EXPECT_EQ(f.window->state().Colors.Background, expected) << name(e);
    }
}

// Clicking a colour button and dismissing the chooser leaves the colour and still redraws
// the window: a marker painted over the bitmap is gone.
TEST(ColorDialog, AChooserDismissedWithoutAChoiceStillRefreshesTheWindow) {
    WindowFixture f;
    const ColorsSection before = f.window->state().Colors;
    QImage& bitmap = f.window->frontPanel().image->bitmap();
    ASSERT_FALSE(bitmap.isNull());
    whileOpen(
        colorDialog(f, std::nullopt), [&] { f.trigger("Menu_Colors"); },
        [&](QDialog* d) {
            QTest::qWait(0);
            const QColor marker(0x12, 0x34, 0x56);
            bitmap.fill(marker);
            child<QPushButton>(d, "Button_cl_A1")->click();
            QTest::qWait(0); // the redraw is posted
            EXPECT_NE(bitmap.pixelColor(1, 1), marker);
            EXPECT_EQ(f.window->state().Colors.CH_A1, before.CH_A1);
            end(d, Ending::Ok);
        });
}

TEST(ColorDialog, DefaultSetsEveryColour) {
    WindowSetup setup;
    setup.configure = [](ScopeState& s) {
        s.Colors.Grid = 0x111111;
        s.Colors.CH_D2 = 0x222222;
    };
    WindowFixture f(setup);
    whileOpen(
        colorDialog(f, std::nullopt), [&] { f.trigger("Menu_Colors"); },
        [&](QDialog* d) {
            EXPECT_EQ(panelColor(d, "Panel_clGrid"), toColor(0x111111));
            child<QPushButton>(d, "Button_clDefault")->click();
            EXPECT_EQ(panelColor(d, "Panel_clGrid"), toColor(0x800000));
            EXPECT_EQ(panelColor(d, "Panel_cl_D2"), toColor(0xFF00FF));
            end(d, Ending::Ok);
        });
    EXPECT_EQ(f.window->state().Colors.Grid, 0x800000u);
    EXPECT_EQ(f.window->state().Colors.CH_D2, 0xFF00FFu);
}

TEST(ColorDialog, SecondChannelButtonsOnlyOnVariantsWithThem) {
    struct Case {
        std::int32_t variant;
        bool russian;
        const char* a1;
        bool a2, d2;
    };
    for (const Case& c :
         {Case{63, false, "Signal A1", true, true}, Case{24, false, "Signal A", false, false},
          Case{25, true, "Сигнал A1", true, false}}) {
        WindowSetup setup;
        setup.variant = c.variant;
        setup.russian = c.russian;
        WindowFixture f(setup);
        whileOpen(
            colorDialog(f, std::nullopt), [&] { f.trigger("Menu_Colors"); },
            [&](QDialog* d) {
                EXPECT_EQ(child<QPushButton>(d, "Button_cl_A1")->text(), c.a1);
                EXPECT_EQ(child<QPushButton>(d, "Button_cl_A2")->isVisible(), c.a2);
                EXPECT_EQ(child<QFrame>(d, "Panel_cl_A2")->isVisible(), c.a2);
                EXPECT_EQ(child<QPushButton>(d, "Button_cl_D2")->isVisible(), c.d2);
                EXPECT_EQ(child<QFrame>(d, "Panel_cl_D2")->isVisible(), c.d2);
                EXPECT_TRUE(child<QPushButton>(d, "Button_clFFT")->isVisible());
            });
    }
}

// A window whose configuration writes are counted.
class SavingWindow {
public:
    SavingWindow() {
        testing::application();
        d2xx.devices.push_back({testing::kInstrument, 0x11});
        StartOptions o;
        o.executablePath = "/opt/qs40/bin/qs40";
        o.acquisition = false;
        o.russian = false;
        o.saveConfiguration = [this](const ScopeState& s, const std::string& path) {
            saved.push_back({s.Colors.FFT, path});
        };
        window = std::make_unique<TQS4003MFrm>(std::move(o), d2xx, &ui);
    }
    struct Save {
        ColorRef fft;
        std::string path;
    };
    testing::FakeD2xx d2xx;
    testing::ScriptedUi ui;
    std::vector<Save> saved;
    std::unique_ptr<TQS4003MFrm> window;
};

TEST(ColorDialog, OkSavesTheConfigurationAndCancelDoesNot) {
    for (Ending e : {Ending::Ok, Ending::Cancel, Ending::Escape, Ending::TitleBarClose}) {
        SavingWindow w;
        auto* d = w.window->findChild<TForm_ColorSet*>("Form_ColorSet");
        d->setChooser([](ColorRef, QWidget*) { return std::optional<ColorRef>(0x0000FF); });
        whileOpen(
            d, [&] { w.window->findChild<QAction*>("Menu_Colors")->trigger(); },
            [&](QDialog* dialog) {
                child<QPushButton>(dialog, "Button_clFFT")->click();
                end(dialog, e);
            });
        if (e == Ending::Ok) {
            ASSERT_EQ(w.saved.size(), 1u);
            EXPECT_EQ(w.saved[0].fft, 0x0000FFu);
            EXPECT_EQ(w.saved[0].path, "/opt/qs40/bin/qs40.ini");
        } else {
            EXPECT_TRUE(w.saved.empty()) << name(e);
            EXPECT_EQ(w.window->state().Colors.FFT, 0xFF00FFu) << name(e);
        }
    }
}

// A termination signal closes the window while the dialog is open: the configuration keeps
// the values from before the dialog.
TEST(ColorDialog, ClosingTheWindowWhileOpenStoresTheFieldsFromBefore) {
    SavingWindow w;
    auto* d = w.window->findChild<TForm_ColorSet*>("Form_ColorSet");
    d->setChooser([](ColorRef, QWidget*) { return std::optional<ColorRef>(0x0000FF); });
    whileOpen(
        d, [&] { w.window->findChild<QAction*>("Menu_Colors")->trigger(); },
        [&](QDialog* dialog) {
            child<QPushButton>(dialog, "Button_clFFT")->click();
            ASSERT_EQ(w.window->state().Colors.FFT, 0x0000FFu); // previewed
            w.window->close();
            end(dialog, Ending::TitleBarClose);
        });
    ASSERT_FALSE(w.saved.empty());
    EXPECT_EQ(w.saved[0].fft, 0xFF00FFu);
}

} // namespace
} // namespace qs40
