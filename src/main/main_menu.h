// The main menu: File, Options, View and Help with their items, shortcuts and radio groups,
// every item under its object name. The items mirror the scope state and the PanelView; the
// window wires their handlers.
#pragma once

#include "scope/panel_view.h"
#include "scope/scope_state.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <QMenuBar>

#include <array>

namespace qs40 {

struct MainMenu {
    // File.
    QMenu* file = nullptr;
    QAction* open = nullptr;
    QAction* openSettings = nullptr;
    QAction* saveAs = nullptr;
    QAction* saveSettingsAs = nullptr;
    QMenu* exportMenu = nullptr;
    QAction* image = nullptr;
    QAction* text = nullptr;
    QMenu* rowBinary = nullptr;
    std::array<QAction*, 4> exportBinary{}; // A1, A2, D1, D2
    QAction* exportSigrok = nullptr;
    QAction* exportVcd = nullptr;
    QAction* recorder = nullptr;
    QMenu* device = nullptr;
    std::array<QAction*, 7> deviceItems{}; // in the order of kVariants
    QAction* deviceSeparator = nullptr;    // N16
    QAction* exit = nullptr;

    // Options.
    QMenu* options = nullptr;
    QAction* trigger = nullptr;
    QAction* fftSet = nullptr;
    QAction* generatorSet = nullptr;
    QMenu* probeA1 = nullptr;
    QMenu* probeA2 = nullptr;
    std::array<QAction*, 3> probeA1Items{}; // Probe order
    std::array<QAction*, 3> probeA2Items{};
    QMenu* sampling = nullptr;
    QAction* peakDetect = nullptr;
    std::array<QAction*, 4> samplingItems{}; // Sampling order
    QMenu* divisions = nullptr;
    std::array<QAction*, 5> divisionItems{};
    QMenu* maxFps = nullptr;
    std::array<QAction*, 5> fpsItems{};
    QMenu* freqMeter = nullptr;
    std::array<QAction*, 6> freqMeterItems{}; // FreqMeter order
    QAction* fmCalibrate = nullptr;
    QAction* zeroCalibrate = nullptr;
    QAction* tdcCalibrate = nullptr;

    // View.
    QMenu* view = nullptr;
    std::array<QAction*, 4> channels{}; // CH A1, A2, D1, D2
    QAction* markers1 = nullptr;
    QAction* markers2 = nullptr;
    QAction* measure = nullptr;
    QAction* grid = nullptr;
    QAction* trigPosLine = nullptr;
    QAction* extraInfo = nullptr;
    QAction* generatorView = nullptr;
    QAction* backgroundView = nullptr;
    QAction* backgroundSwap = nullptr;
    QAction* backgroundClear = nullptr;
    QMenu* drawMode = nullptr;
    std::array<QAction*, 3> drawModeItems{}; // DrawMode order
    QAction* lenta = nullptr;
    QAction* fftA1 = nullptr;
    QAction* fftA2 = nullptr;
    QAction* colors = nullptr;
    QAction* onTop = nullptr;
    QMenu* language = nullptr;
    QAction* russian = nullptr;
    QAction* english = nullptr;
    QAction* compact = nullptr;

    // Help.
    QMenu* help = nullptr;
    QAction* helpContents = nullptr;
    QAction* about = nullptr;
};

// Builds the menus into `bar`; actions and groups are owned by the menus.
MainMenu buildMainMenu(QMenuBar* bar);

// Checked and visible states that follow the state and the view.
void mirrorMainMenu(MainMenu& menu, const ScopeState& state, const PanelView& view);

} // namespace qs40
