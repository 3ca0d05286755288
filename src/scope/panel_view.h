// What the front panel shows as a result of the state: captions, enabled and visible states
// that the control rules derive. The GUI mirrors it; it keeps no rules of its own.
#pragma once

#include "scope/scope_state.h"

#include <array>
#include <string>

namespace qs40 {

// One trigger row: a source button of the first channel, the source button of the second
// channel, and the two buttons that follow them (A row: TrigEdge and Auto; D row: T+ and
// ret_trig). Geometry in design pixels.
struct TriggerRowView {
    std::string firstCaption; // "A1" / "A", "D1" / "D"
    bool secondVisible = true;
    int sourceWidth = 38;
    std::array<int, 2> nextLeft{84, 123};
    int nextWidth = 38;
};

// Filled by applyVariantControls() whenever the variant is set.
struct VariantView {
    // A2 trigger button, A2 label button, colour panel, coupling toggle and volts/div buttons,
    // "Probe A2", frequency-meter "CH A2", view "CH A2", "FFT A2", Export "CH A2...".
    bool a2Visible = false;
    // D2 trigger button, frequency-meter "CH D2" and "CH D2 (HF)", view "CH D2",
    // Export "CH D2...".
    bool d2Visible = false;
    bool generatorVisible = false;   // view "Generator" and "Generator Mod..."
    bool freqMeterVisible = false;   // "Freq. Meter Input" and "Freq. Meter Calibrate..."
    bool longRecordsVisible = false; // "10000" and "20000 (A or A+D)"
    TriggerRowView triggerA;
    TriggerRowView triggerD;
    int checkedDeviceItem = -1; // index into kVariants of the checked Device item, -1: none
};

// Filled by applyServiceSwitches() from the System switches.
struct ServiceView {
    bool tdcCalibrateVisible = false; // Menu_TDCCalibrate, also enabled
    bool deviceMenuVisible = false;   // Menu_Device with the separator below it
    // Menu_4000, Menu_4000A, Menu_4002A and Menu_4003A inside Menu_Device.
    bool deviceServiceItemsVisible = false;
    bool tPlusVisible = false;    // SpeedButton_TPLUS
    bool recorderVisible = false; // Menu_Recorder
    IntRange amplitudeRange{11, 386};
};

struct PanelView {
    // Filled by every parameter computation.
    bool stayOnTop = false;
    // Volts/div button captions, top (2V) to bottom (50mV), and the label buttons.
    std::array<std::string, 6> voltsDivCaptionsA1{}, voltsDivCaptionsA2{};
    std::string voltsDivLabelA1, voltsDivLabelA2;
    // Range button captions in GenRange order.
    std::array<std::string, 6> genRangeCaptions{};
    bool sweepEnabled = true;
    bool range50MVisible = false;
    bool noiseVisible = true;
    bool freqBarsEnabled = true;       // ScrollBar_F_fast and ScrollBar_F_slow
    std::array<bool, 5> waveEnabled{}; // in GenWave order
    VariantView variant;
    ServiceView service;
};

} // namespace qs40
