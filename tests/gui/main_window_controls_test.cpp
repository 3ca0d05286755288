#include "main_window_test_support.h"

#include "scope/parameter_computation.h"

#include <QGroupBox>
#include <QKeyEvent>
#include <QKeySequence>
#include <QMenu>
#include <QScrollBar>
#include <QToolButton>

#include <gmock/gmock.h>

#include <string>
#include <vector>

namespace qs40 {
namespace {

using testing::WindowFixture;
using testing::WindowSetup;

// Every control and menu item of the front panel, by the name it is known by.
const std::vector<std::string> kObjectNames = {
    // Scope group.
    "GroupBox1",
    "SpeedButton_Run",
    "SpeedButton_Sngl",
    "StaticText_TimeDiv",
    "Panel_Color_TD",
    "SpeedButton_20S",
    "SpeedButton_10S",
    "SpeedButton_5S",
    "SpeedButton_2S",
    "SpeedButton_1S",
    "SpeedButton_500mS",
    "SpeedButton_200mS",
    "SpeedButton_100mS",
    "SpeedButton_50mS",
    "SpeedButton_20mS",
    "SpeedButton_10mS",
    "SpeedButton_5mS",
    "SpeedButton_2mS",
    "SpeedButton_1mS",
    "SpeedButton_05mS",
    "SpeedButton_02mS",
    "SpeedButton_01mS",
    "SpeedButton_50uS",
    "SpeedButton_20uS",
    "SpeedButton_10uS",
    "SpeedButton_5uS",
    "SpeedButton_2uS",
    "SpeedButton_1uS",
    "SpeedButton_05uS",
    "SpeedButton_02uS",
    "SpeedButton_01uS",
    "SpeedButton_50nS",
    "SpeedButton_2V_A1",
    "SpeedButton_1V_A1",
    "SpeedButton_05V_A1",
    "SpeedButton_02V_A1",
    "SpeedButton_100mV_A1",
    "SpeedButton_50mV_A1",
    "SpeedButton_2V_A2",
    "SpeedButton_1V_A2",
    "SpeedButton_05V_A2",
    "SpeedButton_02V_A2",
    "SpeedButton_100mV_A2",
    "SpeedButton_50mV_A2",
    "SpeedButton_ACDC_A1",
    "SpeedButton_ACDC_A2",
    "SpeedButton_VoltsDiv_A1",
    "SpeedButton_VoltsDiv_A2",
    "Panel_Color_A1",
    "Panel_Color_A2",
    "SpeedButton_TrigA1",
    "SpeedButton_TrigA2",
    "SpeedButton_TrigD1",
    "SpeedButton_TrigD2",
    "SpeedButton_TrigEdge",
    "SpeedButton_Auto",
    "SpeedButton_TPLUS",
    "SpeedButton_ret_trig",
    "SpeedButton_Trig",
    "Panel_Color_Trig",
    // Oscillogram.
    "Image_M",
    "ScrollBar_X_POS",
    // Generator group.
    "GroupBox2",
    "SpeedButton_GenOn",
    "SpeedButton_Sweep",
    "SpeedButton_Pulse",
    "SpeedButton_Mod",
    "SpeedButton_Sin",
    "SpeedButton_Rect",
    "SpeedButton_Up_Trian",
    "SpeedButton_Dn_Trian",
    "SpeedButton_Trian",
    "SpeedButton_10K_1S",
    "SpeedButton_100K_100mS",
    "SpeedButton_1M_10mS",
    "SpeedButton_10M_1mS",
    "SpeedButton_50M_100uS",
    "SpeedButton__10uS_Noise",
    "ScrollBar_F_fast",
    "ScrollBar_F_slow",
    "ScrollBar_Amplitude",
    "Panel_Gen",
    "Label_F",
    "Label_V",
    "Label_Mod",
    "Label_Pulse",
    // File menu.
    "Menu_File",
    "Menu_Open",
    "Menu_Open_Settings",
    "Menu_Save_As",
    "Menu_Save_Settings_As",
    "Menu_Export",
    "Menu_Image",
    "Menu_Text",
    "Menu_Row_Binary",
    "Menu_EBin_A1",
    "Menu_EBin_A2",
    "Menu_EBin_D1",
    "Menu_EBin_D2",
    "Menu_Recorder",
    "Menu_Device",
    "Menu_4000",
    "Menu_4000A",
    "Menu_4001A",
    "Menu_4002",
    "Menu_4002A",
    "Menu_4003",
    "Menu_4003A",
    "N16",
    "Menu_Exit",
    // Options menu.
    "Menu_Options",
    "Menu_Trigger",
    "Menu_FFTSet",
    "Menu_GeneratorSet",
    "Menu_Probe_A1",
    "Menu_A1_x1",
    "Menu_A1_x10",
    "Menu_A1_x100",
    "Menu_Probe_A2",
    "Menu_A2_x1",
    "Menu_A2_x10",
    "Menu_A2_x100",
    "Menu_Sampling",
    "Menu_SmplPeakDet",
    "Menu_Smpl_2000",
    "Menu_Smpl_5000",
    "Menu_Smpl_10000",
    "Menu_Smpl_Max",
    "Menu_Divisions",
    "Menu_10_Div",
    "Menu_20_Div",
    "Menu_50_Div",
    "Menu_100_Div",
    "Menu_200_Div",
    "Menu_Max_FPS",
    "Menu_FPS_8",
    "Menu_FPS_15",
    "Menu_FPS_25",
    "Menu_FPS_40",
    "Menu_FPS_NO_LIM",
    "Menu_FreqMeter",
    "Menu_FM_A1",
    "Menu_FM_A2",
    "Menu_FM_D1",
    "Menu_FM_D2",
    "Menu_FM_D1_HF",
    "Menu_FM_D2_HF",
    "Menu_FM_Calibrate",
    "Menu_ZeroCalibrate",
    "Menu_TDCCalibrate",
    // View menu.
    "Menu_View",
    "Menu_CH_A1",
    "Menu_CH_A2",
    "Menu_CH_D1",
    "Menu_CH_D2",
    "Menu_Markers_1",
    "Menu_Markers_2",
    "Menu_Measure",
    "Menu_Grid",
    "Menu_TrigPosL",
    "Menu_Extra_Info",
    "Menu_Gen_View",
    "Menu_BG_View",
    "Menu_BG_Do",
    "Menu_BG_Clr",
    "Menu_DrawMode",
    "Menu_Dots",
    "Menu_Vectors",
    "Menu_Sinxx",
    "Menu_Lenta",
    "Menu_FFT_A1",
    "Menu_FFT_A2",
    "Menu_Colors",
    "Menu_On_Top",
    "Menu_Language",
    "Menu_Russian",
    "Menu_English",
    "Menu_Compact",
    // Help menu.
    "Menu_Help",
    "Menu_Help_Contents",
    "Menu_About",
    // Watchdog timer.
    "Timer1",
};

TEST(MainWindowControls, EveryControlAndMenuItemExistsOnceUnderItsName) {
    WindowFixture f;
    for (const std::string& name : kObjectNames)
        EXPECT_EQ(f.window->findChildren<QObject*>(QString::fromStdString(name)).size(), 1) << name;
    EXPECT_STREQ(f.window->metaObject()->className(), "qs40::TQS4003MFrm");
}

TEST(MainWindowControls, MenuShortcutsAreCtrlLetters) {
    WindowFixture f;
    const std::pair<const char*, const char*> shortcuts[] = {
        {"Menu_Open", "Ctrl+O"},          {"Menu_Save_As", "Ctrl+S"},
        {"Menu_Trigger", "Ctrl+T"},       {"Menu_SmplPeakDet", "Ctrl+P"},
        {"Menu_ZeroCalibrate", "Ctrl+Z"}, {"Menu_TDCCalibrate", "Ctrl+X"},
        {"Menu_Measure", "Ctrl+M"},       {"Menu_Grid", "Ctrl+G"},
        {"Menu_BG_Do", "Ctrl+B"},         {"Menu_Compact", "Ctrl+C"},
    };
    for (const auto& [name, keys] : shortcuts)
        EXPECT_EQ(f.action(name)->shortcut(), QKeySequence(keys)) << name;
}

TEST(MainWindowControls, DefaultsShowOnThePanel) {
    WindowFixture f;
    const char* down[] = {"SpeedButton_1mS", "SpeedButton_1V_A1", "SpeedButton_1V_A2",
                          "SpeedButton_Sin", "SpeedButton_10K_1S"};
    for (const char* name : down)
        EXPECT_TRUE(f.button(name)->isChecked()) << name;
    const char* up[] = {"SpeedButton_Run",    "SpeedButton_Sngl", "SpeedButton_GenOn",
                        "SpeedButton_TrigA1", "SpeedButton_Auto", "SpeedButton_Sweep"};
    for (const char* name : up)
        EXPECT_FALSE(f.button(name)->isChecked()) << name;
    const char* checked[] = {"Menu_A1_x1", "Menu_Smpl_5000", "Menu_10_Div",  "Menu_FPS_25",
                             "Menu_FM_A1", "Menu_Markers_2", "Menu_Measure", "Menu_Grid",
                             "Menu_Sinxx", "Menu_CH_A1",     "Menu_CH_D2",   "Menu_English"};
    for (const char* name : checked)
        EXPECT_TRUE(f.action(name)->isChecked()) << name;
    EXPECT_EQ(f.find<QScrollBar>("ScrollBar_F_fast")->value(), 100);
    EXPECT_EQ(f.find<QScrollBar>("ScrollBar_Amplitude")->minimum(), 11);
    EXPECT_EQ(f.find<QScrollBar>("ScrollBar_Amplitude")->value(), 11);
    EXPECT_EQ(f.find<QScrollBar>("ScrollBar_X_POS")->maximum(), 3000);
}

// The parameters a fresh computation gives for the window's state.
AcquisitionParams recomputed(const TQS4003MFrm& window) {
    ScopeState state = window.state();
    AcquisitionParams params = window.params();
    BackgroundLevels background;
    PanelView view;
    computeParameters(state, params, background, view);
    return params;
}

TEST(MainWindowControls, TimeDivButtonsSetTheTimeBaseAndSendIt) {
    const struct {
        const char* button;
        std::int64_t ns;
    } cases[] = {{"SpeedButton_20S", 20'000'000'000},
                 {"SpeedButton_05mS", 500'000},
                 {"SpeedButton_50uS", 50'000},
                 {"SpeedButton_50nS", 50}};
    WindowFixture f;
    std::uint32_t previousDivider = f.window->params().divider;
    for (const auto& c : cases) {
        const int sends = f.window->requests().sendCount;
        f.click(c.button);
        EXPECT_TRUE(f.button(c.button)->isChecked()) << c.button;
        EXPECT_FALSE(f.button("SpeedButton_1mS")->isChecked());
        EXPECT_EQ(f.window->params().timePerDivNs, c.ns) << c.button;
        EXPECT_NE(f.window->params().divider, previousDivider) << c.button;
        EXPECT_EQ(f.window->params().divider, recomputed(*f.window).divider) << c.button;
        EXPECT_EQ(f.window->requests().sendCount, sends + 1) << c.button;
        previousDivider = f.window->params().divider;
    }
    // A pressed button stays pressed and still sends.
    const int sends = f.window->requests().sendCount;
    f.click("SpeedButton_50nS");
    EXPECT_TRUE(f.button("SpeedButton_50nS")->isChecked());
    EXPECT_EQ(f.window->params().timePerDivNs, 50);
    EXPECT_EQ(f.window->requests().sendCount, sends + 1);
}

TEST(MainWindowControls, VoltsDivButtonsSetTheInputRange) {
    WindowFixture f;
    const std::uint8_t inputA1 = f.window->params().inputA1;
    const std::uint8_t inputA2 = f.window->params().inputA2;
    f.click("SpeedButton_50mV_A1");
    EXPECT_EQ(f.window->params().voltsDivA1, 50'000);
    EXPECT_NE(f.window->params().inputA1, inputA1);
    EXPECT_EQ(f.window->params().inputA1, recomputed(*f.window).inputA1);
    EXPECT_EQ(f.window->params().inputA2, inputA2);
    EXPECT_TRUE(f.button("SpeedButton_50mV_A1")->isChecked());
    EXPECT_FALSE(f.button("SpeedButton_1V_A1")->isChecked());

    f.click("SpeedButton_2V_A2");
    EXPECT_EQ(f.window->params().voltsDivA2, 2'000'000);
    EXPECT_NE(f.window->params().inputA2, inputA2);
    EXPECT_TRUE(f.button("SpeedButton_50mV_A1")->isChecked());
}

TEST(MainWindowControls, VoltsDivKeepsTheTriggerLevelsVoltage) {
    WindowFixture f;
    // 1 V/div to 0.5 V/div doubles the level's distance from the zero level.
    const double before = f.window->state().Trigger.Lev_A1 - f.window->state().Scope.A1_Zero;
    f.click("SpeedButton_05V_A1");
    const double after = f.window->state().Trigger.Lev_A1 - f.window->state().Scope.A1_Zero;
    EXPECT_DOUBLE_EQ(after, before * 2);
}

TEST(MainWindowControls, ProbeRewritesTheVoltsDivCaptions) {
    WindowFixture f;
    f.trigger("Menu_A1_x10");
    EXPECT_EQ(f.button("SpeedButton_2V_A1")->text(), "20V");
    EXPECT_EQ(f.button("SpeedButton_50mV_A1")->text(), "0.5V");
    EXPECT_EQ(f.button("SpeedButton_VoltsDiv_A1")->text(), "     A1 V/Div (x10)");
    EXPECT_EQ(f.window->params().voltsDivA1, 10'000'000);
    // The label button steps x10 -> x1; from x100 it also goes back to x1.
    f.click("SpeedButton_VoltsDiv_A1");
    EXPECT_TRUE(f.action("Menu_A1_x1")->isChecked());
    EXPECT_EQ(f.button("SpeedButton_VoltsDiv_A1")->text(), "     A1 Volts/Div ");
    f.trigger("Menu_A2_x100");
    f.click("SpeedButton_VoltsDiv_A2");
    EXPECT_TRUE(f.action("Menu_A2_x1")->isChecked());
    EXPECT_EQ(f.button("SpeedButton_2V_A2")->text(), "2V");
}

TEST(MainWindowControls, TriggerSourcesMayAllBeUp) {
    WindowFixture f;
    f.click("SpeedButton_TrigA2");
    EXPECT_EQ(f.window->state().Trigger.Source, TrigSource::A2);
    f.click("SpeedButton_TrigD1");
    EXPECT_FALSE(f.button("SpeedButton_TrigA2")->isChecked());
    EXPECT_TRUE(f.button("SpeedButton_TrigD1")->isChecked());
    f.click("SpeedButton_TrigD1");
    EXPECT_FALSE(f.window->state().Trigger.Source.has_value());
    EXPECT_FALSE(f.button("SpeedButton_TrigD1")->isChecked());
}

TEST(MainWindowControls, RunAndSingleReleaseEachOtherAndStartTheInstrument) {
    WindowFixture f;
    f.d2xx.queueStatus = FT_IO_ERROR; // the link is lost: Run opens the instrument again
    f.click("SpeedButton_Run");
    EXPECT_TRUE(f.button("SpeedButton_Run")->isChecked());
    EXPECT_TRUE(f.window->state().Run.running);
    EXPECT_TRUE(f.window->askOnVariantChange());
    EXPECT_TRUE(f.d2xx.anyOpened()); // the lost link was opened again
    f.click("SpeedButton_Sngl");
    EXPECT_FALSE(f.button("SpeedButton_Run")->isChecked());
    EXPECT_TRUE(f.button("SpeedButton_Sngl")->isChecked());
    EXPECT_TRUE(f.window->state().Run.single);
    f.click("SpeedButton_Sngl");
    EXPECT_FALSE(f.window->state().Run.running);
    EXPECT_TRUE(f.ui.boxes.empty());
}

TEST(MainWindowControls, RunWithoutAnInstrumentShowsTheUsbErrorAndReleasesTheButton) {
    WindowSetup setup;
    setup.instrumentAttached = false;
    WindowFixture f(setup);
    f.d2xx.queueStatus = FT_INVALID_HANDLE;
    const int sends = f.window->requests().sendCount;
    for (const char* name : {"SpeedButton_Run", "SpeedButton_Sngl", "SpeedButton_GenOn"}) {
        f.ui.boxes.clear();
        f.click(name);
        EXPECT_FALSE(f.button(name)->isChecked()) << name;
        ASSERT_EQ(f.ui.boxes.size(), 1u) << name;
        EXPECT_EQ(f.ui.boxes[0].icon, BoxIcon::Stop);
    }
    EXPECT_FALSE(f.window->state().Run.running);
    EXPECT_FALSE(f.window->state().Run.generatorOn);
    EXPECT_EQ(f.window->requests().sendCount, sends);
}

TEST(MainWindowControls, GeneratorRulesShowOnTheButtons) {
    WindowFixture f;
    f.click("SpeedButton_Pulse");
    EXPECT_TRUE(f.button("SpeedButton_Pulse")->isChecked());
    EXPECT_EQ(f.button("SpeedButton_10K_1S")->text(), "1S");
    EXPECT_EQ(f.button("SpeedButton__10uS_Noise")->text(), "10uS");
    EXPECT_FALSE(f.button("SpeedButton_50M_100uS")->isHidden());
    for (const char* wave : {"SpeedButton_Sin", "SpeedButton_Rect", "SpeedButton_Trian"})
        EXPECT_FALSE(f.button(wave)->isEnabled()) << wave;
    EXPECT_FALSE(f.find<QWidget>("Label_Pulse")->isHidden());

    // Noise with Sweep: 10M is pressed instead and the continuous captions return.
    f.click("SpeedButton_Pulse");
    f.click("SpeedButton__10uS_Noise");
    f.click("SpeedButton_Sweep");
    EXPECT_TRUE(f.button("SpeedButton_10M_1mS")->isChecked());
    EXPECT_FALSE(f.button("SpeedButton__10uS_Noise")->isChecked());
    EXPECT_TRUE(f.button("SpeedButton__10uS_Noise")->isHidden());
    EXPECT_EQ(f.button("SpeedButton_10K_1S")->text(), "10K");
    EXPECT_TRUE(f.button("SpeedButton_50M_100uS")->isHidden());
}

TEST(MainWindowControls, FrequencyBarsAreCoupledInPulseModeOnly) {
    WindowFixture f;
    auto* fast = f.find<QScrollBar>("ScrollBar_F_fast");
    auto* slow = f.find<QScrollBar>("ScrollBar_F_slow");
    slow->setValue(50); // below the coarse bar's 100: independent without Pulse
    EXPECT_EQ(fast->value(), 100);
    f.click("SpeedButton_Pulse"); // raises the fine bar to the coarse bar
    EXPECT_EQ(slow->value(), 100);
    slow->setValue(40);
    EXPECT_EQ(fast->value(), 40);
    EXPECT_EQ(f.window->state().Generator.F_fast, 40);
    fast->setValue(300);
    EXPECT_EQ(slow->value(), 300);
}

TEST(MainWindowControls, FftAndMarkerItemsUncheckTheirPartner) {
    WindowFixture f;
    f.trigger("Menu_FFT_A1");
    EXPECT_TRUE(f.action("Menu_FFT_A1")->isChecked());
    f.trigger("Menu_FFT_A2");
    EXPECT_TRUE(f.action("Menu_FFT_A2")->isChecked());
    EXPECT_FALSE(f.action("Menu_FFT_A1")->isChecked());
    f.trigger("Menu_FFT_A2");
    EXPECT_FALSE(f.action("Menu_FFT_A1")->isChecked());
    EXPECT_FALSE(f.action("Menu_FFT_A2")->isChecked());
    EXPECT_FALSE(f.window->state().FFT_A2.View);

    EXPECT_TRUE(f.action("Menu_Markers_2")->isChecked());
    f.trigger("Menu_Markers_1");
    EXPECT_TRUE(f.action("Menu_Markers_1")->isChecked());
    EXPECT_FALSE(f.action("Menu_Markers_2")->isChecked());
    f.trigger("Menu_Markers_1");
    EXPECT_FALSE(f.action("Menu_Markers_1")->isChecked());
    EXPECT_FALSE(f.action("Menu_Markers_2")->isChecked());
    f.trigger("Menu_Markers_2");
    EXPECT_TRUE(f.action("Menu_Markers_2")->isChecked());
}

TEST(MainWindowControls, FftItemFollowsItsChannel) {
    WindowFixture f;
    f.trigger("Menu_CH_A1");
    EXPECT_FALSE(f.action("Menu_FFT_A1")->isEnabled());
    f.trigger("Menu_CH_A1");
    EXPECT_TRUE(f.action("Menu_FFT_A1")->isEnabled());
}

TEST(MainWindowControls, RadioMenuItemsCheckOne) {
    WindowFixture f;
    f.trigger("Menu_Smpl_10000");
    EXPECT_TRUE(f.action("Menu_Smpl_10000")->isChecked());
    EXPECT_FALSE(f.action("Menu_Smpl_5000")->isChecked());
    EXPECT_EQ(f.window->params().recordLength, recomputed(*f.window).recordLength);
    f.trigger("Menu_FPS_NO_LIM");
    EXPECT_EQ(f.window->params().frameIntervalMs, 10);
    f.trigger("Menu_Dots");
    EXPECT_EQ(f.window->state().Common.DrawMode, DrawMode::Dots);
    EXPECT_FALSE(f.action("Menu_Sinxx")->isChecked());
}

TEST(MainWindowControls, VariantWithoutA2AndD2HidesAndReleasesTheirControls) {
    WindowFixture f; // variant 0x3F: everything present
    f.click("SpeedButton_TrigD2");
    f.trigger("Menu_FM_D2_HF");
    f.trigger("Menu_FFT_A2");
    f.trigger("Menu_Smpl_Max");
    f.window->switchVariant(0); // ZR4000: no A2, no D2, no generator, no meter, short memory

    const ScopeState& s = f.window->state();
    EXPECT_FALSE(s.Trigger.Source.has_value());
    EXPECT_EQ(s.Common.FreqMeter, FreqMeter::D1_HF);
    EXPECT_FALSE(s.Common.CH_A2);
    EXPECT_FALSE(s.Common.CH_D2);
    EXPECT_FALSE(s.FFT_A2.View);
    EXPECT_EQ(s.Common.Sampling, Sampling::N5000);
    for (const char* name :
         {"SpeedButton_TrigA2", "SpeedButton_TrigD2", "SpeedButton_VoltsDiv_A2", "Panel_Color_A2",
          "SpeedButton_ACDC_A2", "SpeedButton_2V_A2", "SpeedButton_50mV_A2"})
        EXPECT_TRUE(f.find<QWidget>(name)->isHidden()) << name;
    EXPECT_FALSE(f.button("SpeedButton_TrigD2")->isChecked());
    for (const char* name :
         {"Menu_FM_A2", "Menu_FM_D2", "Menu_FM_D2_HF", "Menu_CH_A2", "Menu_CH_D2", "Menu_FFT_A2",
          "Menu_EBin_A2", "Menu_EBin_D2", "Menu_Gen_View", "Menu_GeneratorSet", "Menu_Smpl_10000",
          "Menu_Smpl_Max", "Menu_FM_Calibrate"})
        EXPECT_FALSE(f.action(name)->isVisible()) << name;
    for (const char* name : {"Menu_CH_A2", "Menu_CH_D2", "Menu_FFT_A2"})
        EXPECT_FALSE(f.action(name)->isChecked()) << name;
    EXPECT_TRUE(f.action("Menu_Smpl_5000")->isChecked());
    EXPECT_FALSE(f.find<QMenu>("Menu_Probe_A2")->menuAction()->isVisible());
    EXPECT_FALSE(f.find<QMenu>("Menu_FreqMeter")->menuAction()->isVisible());
    EXPECT_TRUE(f.find<QWidget>("GroupBox2")->isHidden());

    // The single channels lose their number; the trigger rows widen.
    EXPECT_EQ(f.button("SpeedButton_TrigA1")->text(), "A");
    EXPECT_EQ(f.button("SpeedButton_TrigD1")->text(), "D");
    EXPECT_EQ(f.button("SpeedButton_TrigA1")->width(), 51);
    EXPECT_EQ(f.button("SpeedButton_TrigEdge")->geometry(), QRect(58, 431, 51, 22));
    EXPECT_EQ(f.button("SpeedButton_Auto")->x(), 110);
    EXPECT_EQ(f.button("SpeedButton_ret_trig")->x(), 110);
    EXPECT_EQ(f.button("SpeedButton_VoltsDiv_A1")->text(), "       Volts/Div ");
    EXPECT_EQ(f.action("Menu_CH_A1")->text(), "CH A");
    EXPECT_EQ(f.action("Menu_EBin_D1")->text(), "CH D...");

    // Back to the full variant: everything returns, the released selections stay released.
    f.window->switchVariant(63);
    EXPECT_FALSE(f.button("SpeedButton_TrigA2")->isHidden());
    EXPECT_EQ(f.button("SpeedButton_TrigA1")->text(), "A1");
    EXPECT_EQ(f.button("SpeedButton_TrigEdge")->geometry(), QRect(84, 431, 38, 22));
    EXPECT_TRUE(f.action("Menu_CH_A2")->isVisible());
    EXPECT_FALSE(f.action("Menu_CH_A2")->isChecked());
    EXPECT_EQ(f.action("Menu_CH_A1")->text(), "CH A1");
    EXPECT_TRUE(f.action("Menu_4003A")->isChecked());
}

TEST(MainWindowControls, ServiceSwitchesShowTheServiceControls) {
    const struct {
        bool debug, noExcuse, tdc;
        bool device, tPlus, recorder, tdcItem;
        int amplitudeMin, amplitudeMax;
    } cases[] = {
        {false, false, false, false, false, false, false, 11, 386},
        {false, false, true, false, false, false, true, 11, 386},
        {false, true, false, true, false, false, true, 0, 511},
        {true, false, false, true, true, true, true, 0, 511},
    };
    for (const auto& c : cases) {
        WindowSetup setup;
        setup.configure = [c](ScopeState& s) {
            s.System.Debug_qs = c.debug;
            s.System.No_Excuse = c.noExcuse;
            s.System.TDC_Clbr = c.tdc;
        };
        WindowFixture f(setup);
        const auto scoped = ::testing::Message() << c.debug << c.noExcuse << c.tdc;
        EXPECT_EQ(f.find<QMenu>("Menu_Device")->menuAction()->isVisible(), c.device) << scoped;
        EXPECT_EQ(f.action("N16")->isVisible(), c.device) << scoped;
        EXPECT_EQ(f.action("Menu_4000")->isVisible(), c.device) << scoped;
        EXPECT_EQ(!f.button("SpeedButton_TPLUS")->isHidden(), c.tPlus) << scoped;
        EXPECT_EQ(f.action("Menu_Recorder")->isVisible(), c.recorder) << scoped;
        EXPECT_EQ(f.action("Menu_TDCCalibrate")->isVisible(), c.tdcItem) << scoped;
        const auto* amplitude = f.find<QScrollBar>("ScrollBar_Amplitude");
        EXPECT_EQ(amplitude->minimum(), c.amplitudeMin) << scoped;
        EXPECT_EQ(amplitude->maximum(), c.amplitudeMax) << scoped;
        EXPECT_TRUE(f.button("SpeedButton_50M_100uS")->isHidden() == !c.device) << scoped;
    }
}

TEST(MainWindowControls, DeviceItemsSwitchTheVariant) {
    WindowSetup setup;
    setup.configure = [](ScopeState& s) { s.System.Debug_qs = true; };
    WindowFixture f(setup);
    EXPECT_TRUE(f.action("Menu_4003A")->isChecked());
    f.click("SpeedButton_Run");
    ASSERT_TRUE(f.window->askOnVariantChange());
    const int sends = f.window->requests().sendCount;
    f.trigger("Menu_4001A");
    EXPECT_EQ(f.window->state().System.Device_Type_Code, 28);
    EXPECT_TRUE(f.action("Menu_4001A")->isChecked());
    EXPECT_FALSE(f.action("Menu_4003A")->isChecked());
    EXPECT_FALSE(f.window->askOnVariantChange());
    EXPECT_EQ(f.window->requests().sendCount, sends + 1);
}

TEST(MainWindowControls, FileAndViewItemsFollowTheRunningStateWhenOpened) {
    WindowSetup setup;
    setup.configure = [](ScopeState& s) { s.System.Debug_qs = true; };
    WindowFixture f(setup);
    const auto open = [&](const char* menu) {
        QMetaObject::invokeMethod(f.find<QMenu>(menu), "aboutToShow");
    };
    open("Menu_File");
    open("Menu_View");
    EXPECT_TRUE(f.find<QMenu>("Menu_Device")->menuAction()->isEnabled());
    EXPECT_TRUE(f.action("Menu_BG_Do")->isEnabled());
    for (const char* name : {"Menu_Open", "Menu_Save_As", "Menu_Open_Settings"})
        EXPECT_TRUE(f.action(name)->isEnabled()) << name;
    EXPECT_TRUE(f.find<QMenu>("Menu_Export")->menuAction()->isEnabled());

    f.click("SpeedButton_Run");
    open("Menu_File");
    open("Menu_View");
    EXPECT_FALSE(f.find<QMenu>("Menu_Device")->menuAction()->isEnabled());
    EXPECT_FALSE(f.action("Menu_BG_Do")->isEnabled());
    // Data files and exports need a frame that is not being replaced; settings do not.
    for (const char* name : {"Menu_Open", "Menu_Save_As"})
        EXPECT_FALSE(f.action(name)->isEnabled()) << name;
    EXPECT_FALSE(f.find<QMenu>("Menu_Export")->menuAction()->isEnabled());
    EXPECT_TRUE(f.action("Menu_Open_Settings")->isEnabled());
}

TEST(MainWindowControls, BackgroundSwapOfTwoEmptyFramesOnlyShowsTheBackground) {
    WindowFixture f;
    const int sends = f.window->requests().sendCount;
    f.trigger("Menu_BG_Do");
    EXPECT_TRUE(f.action("Menu_BG_View")->isChecked());
    EXPECT_FALSE(f.window->backgroundSwapped());
    EXPECT_EQ(f.window->requests().sendCount, sends);
}

TEST(MainWindowControls, BackgroundSwapMovesTheLiveFrameBehind) {
    WindowFixture f;
    FrameData& live = *f.window->frames().current;
    live.header[kHdrLength] = 1000;
    live.header[kHdrValid] = 1000;
    live.series[kA1First][0] = 77;
    const double level = f.window->state().Trigger.Lev_A1;

    f.click("SpeedButton_Run");
    f.trigger("Menu_BG_Do"); // not while running, also through the shortcut
    EXPECT_FALSE(f.window->backgroundSwapped());
    EXPECT_EQ(f.window->frames().current->series[kA1First][0], 77);

    f.click("SpeedButton_Run");
    const int sends = f.window->requests().sendCount;
    f.trigger("Menu_BG_Do");
    EXPECT_TRUE(f.window->backgroundSwapped());
    EXPECT_EQ(f.window->frames().current->header[kHdrLength], 0);
    EXPECT_EQ(f.window->frames().background->series[kA1First][0], 77);
    EXPECT_DOUBLE_EQ(f.window->backgroundLevels().Lev_A1, level);
    EXPECT_DOUBLE_EQ(f.window->state().Trigger.Lev_A1, level); // the empty frame keeps them
    EXPECT_EQ(f.find<QScrollBar>("ScrollBar_X_POS")->maximum(), 0);
    EXPECT_EQ(f.window->requests().sendCount, sends + 1);

    f.trigger("Menu_BG_Clr");
    EXPECT_EQ(f.window->frames().background->header[kHdrLength], 0);
    EXPECT_EQ(f.window->frames().background->series[kA1First][0], kNoSample);
    EXPECT_FALSE(f.window->backgroundSwapped());
}

TEST(MainWindowControls, KeysStepTheTimeBaseAndA1Range) {
    WindowFixture f;
    const auto key = [&](Qt::Key k) {
        QKeyEvent press(QEvent::KeyPress, k, Qt::NoModifier);
        QApplication::sendEvent(f.window.get(), &press);
    };
    key(Qt::Key_Right);
    EXPECT_TRUE(f.button("SpeedButton_05mS")->isChecked());
    key(Qt::Key_Left);
    key(Qt::Key_Left);
    EXPECT_TRUE(f.button("SpeedButton_2mS")->isChecked());
    const double level = f.window->state().Trigger.Lev_A1;
    key(Qt::Key_Up);
    EXPECT_TRUE(f.button("SpeedButton_2V_A1")->isChecked());
    key(Qt::Key_Up); // 2V stays, and is sent again
    EXPECT_TRUE(f.button("SpeedButton_2V_A1")->isChecked());
    EXPECT_DOUBLE_EQ(f.window->state().Trigger.Lev_A1, level); // the keys keep the level's code
    key(Qt::Key_F);
    EXPECT_TRUE(f.action("Menu_FFT_A1")->isChecked());
    key(Qt::Key_F);
    EXPECT_TRUE(f.action("Menu_FFT_A2")->isChecked());
    key(Qt::Key_F);
    EXPECT_FALSE(f.action("Menu_FFT_A1")->isChecked());
    EXPECT_FALSE(f.action("Menu_FFT_A2")->isChecked());
}

} // namespace
} // namespace qs40
