// The front panel of the main window: the "Scope" group, the signal panel with the paint box
// and the position bar, and the "Generator" group, built at their design places. The widgets
// mirror the scope state and the PanelView; the window wires their handlers.
#pragma once

#include "display/layout.h"
#include "scope/panel_view.h"
#include "scope/scope_state.h"

#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QScrollBar>
#include <QToolButton>

#include <array>

namespace qs40 {

class PaintBox;

// Design geometry, in pixels of the window's client area.
namespace design {
inline constexpr int kClientWidth = 730;
inline constexpr int kClientHeight = 500;
inline constexpr int kScopeWidth = 168;      // GroupBox1, at the right, full height
inline constexpr int kGeneratorHeight = 122; // GroupBox2, under the signal panel
inline constexpr int kSignalWidth = kClientWidth - kScopeWidth; // Panel_Signal
inline constexpr int kPositionBarHeight = 16;
inline constexpr int kButtonHeight = 22;
inline constexpr int kTopA1 = 262; // SpeedButton_2V_A1
inline constexpr int kTopA2 = 338; // SpeedButton_2V_A2
} // namespace design

struct ChannelInputs {
    QToolButton* label = nullptr;        // SpeedButton_VoltsDiv_A1 / _A2
    QFrame* color = nullptr;             // Panel_Color_A1 / _A2
    QToolButton* coupling = nullptr;     // SpeedButton_ACDC_A1 / _A2
    std::array<QToolButton*, 6> volts{}; // VoltsDiv order: 2V .. 50mV
};

struct FrontPanel {
    // "Scope" group.
    QGroupBox* scope = nullptr; // GroupBox1
    QToolButton* run = nullptr;
    QToolButton* sngl = nullptr;
    QFrame* colorTimeDiv = nullptr;         // Panel_Color_TD
    QLabel* timeDivText = nullptr;          // StaticText_TimeDiv
    std::array<QToolButton*, 27> timeDiv{}; // TimeDiv order: 20S .. 50nS
    ChannelInputs a1, a2;
    QFrame* colorTrig = nullptr;              // Panel_Color_Trig
    QToolButton* trig = nullptr;              // the trigger dialog
    std::array<QToolButton*, 4> trigSource{}; // TrigSource order: A1, A2, D1, D2
    QToolButton* trigEdge = nullptr;
    QToolButton* autoTrig = nullptr;
    QToolButton* tPlus = nullptr;
    QToolButton* retTrig = nullptr;

    // Signal panel.
    QWidget* signal = nullptr; // Panel_Signal
    PaintBox* image = nullptr; // Image_M
    QScrollBar* xPos = nullptr;

    // "Generator" group.
    QGroupBox* generator = nullptr; // GroupBox2
    QToolButton* genOn = nullptr;
    std::array<QToolButton*, 3> genMode{}; // GenMode order: Mod, Pulse, Sweep
    std::array<QToolButton*, 5> wave{};    // GenWave order: Sin, Rect, Trian, Up, Dn
    std::array<QToolButton*, 6> range{};   // GenRange order: 10K .. Noise
    QScrollBar* fFast = nullptr;
    QScrollBar* fSlow = nullptr;
    QScrollBar* amplitude = nullptr;
    QFrame* panelGen = nullptr; // Panel_Gen
    QLabel* labelF = nullptr;
    QLabel* labelV = nullptr;
    QLabel* labelMod = nullptr;
    QLabel* labelPulse = nullptr;
};

// Creates every control under `parent` with its object name and design geometry.
FrontPanel buildFrontPanel(QWidget* parent);

// Down, enabled and visible states and the captions that follow the state and the view.
void mirrorFrontPanel(FrontPanel& panel, const ScopeState& state, const PanelView& view);

// Places the groups and the signal panel in a client area of the given size: the "Scope" group
// at the right over the full height, the "Generator" group under the signal panel when shown.
// In the compact view the signal panel fills the client area.
void placePanels(FrontPanel& panel, int clientWidth, int clientHeight, bool compact,
                 bool showGenerator);

// The analog inputs at the tops the layout computed, and the trigger rows below them kept at
// their design distance from the group's bottom edge.
void placeInputButtons(FrontPanel& panel, const InputButtonTops& tops);

} // namespace qs40
