// The main window: the instrument's front panel, its menus and the oscillogram. It owns the
// scope state, the acquisition parameters, the frame sets, the plot geometry and the device
// link, and it is the one place where the widgets and the state meet: a control changes the
// state and runs its follow-up; after every computation the widgets mirror the state.
#pragma once

#include "device/event.h"
#include "device/usb_link.h"
#include "display/mouse_logic.h"
#include "display/plot_geometry.h"
#include "main/front_panel.h"
#include "main/main_menu.h"
#include "scope/acquisition_params.h"
#include "scope/background_levels.h"
#include "scope/frame.h"
#include "scope/panel_operations.h"
#include "scope/panel_view.h"
#include "scope/scope_state.h"

#include <QMainWindow>
#include <QRect>
#include <QTimer>

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace qs40 {

class D2xx;
class QtUi;
class SingleInstance;
class Ui;

// What the program entry hands the window.
struct StartOptions {
    std::string executablePath;
    // The last command-line argument, opened after the first attempt to open the instrument.
    std::string fileToOpen;
    // Reads the configuration file (the executable's path with ".ini") into the state. Not set
    // while the configuration file has no reader: the defaults then stand.
    std::function<void(ScopeState&, const std::string& path)> loadConfiguration;
    // Writes the configuration file at close and around a variant switch.
    std::function<void(const ScopeState&, const std::string& path)> saveConfiguration;
    // The language and the variant when the command line asks for others than the configured
    // ones; applied once, after the configuration file is read at start.
    std::optional<bool> russian;
    std::optional<std::int32_t> variant;
};

// The acquisition side of the follow-ups. Until the acquisition thread runs, a display request
// redraws the plot on the GUI thread and a send request is only counted.
class WindowRequests final : public AcquisitionRequests {
public:
    std::function<void()> onDisplay;
    int sendCount = 0;
    int wakeCount = 0;

    void requestDisplay() override {
        if (onDisplay)
            onDisplay();
    }
    void requestSendParameters() override { ++sendCount; }
    void wake() override { ++wakeCount; }
};

class TQS4003MFrm : public QMainWindow {
    Q_OBJECT
public:
    // ui: the message boxes and file dialogs; null for the window's own Qt dialogs.
    // instance: the single-instance guard whose busy state the handlers set; may be null.
    TQS4003MFrm(StartOptions options, D2xx& d2xx, Ui* ui = nullptr,
                SingleInstance* instance = nullptr, QWidget* parent = nullptr);
    ~TQS4003MFrm() override;

    const ScopeState& state() const { return state_; }
    const AcquisitionParams& params() const { return params_; }
    const PanelView& panelView() const { return view_; }
    const PlotGeometry& plotGeometry() const { return geometry_; }
    const WindowRequests& requests() const { return requests_; }
    const FrontPanel& frontPanel() const { return panel_; }
    const MainMenu& mainMenu() const { return menu_; }
    bool askOnVariantChange() const { return askOnVariantChange_; }
    bool backgroundSwapped() const { return backgroundSwapped_; }
    // The current frame and the background oscillogram, with the background's own levels.
    FrameSets& frames() { return frames_; }
    const BackgroundLevels& backgroundLevels() const { return background_; }
    // The design size of the whole window (client area and menu bar): also its minimum size.
    QSize designSize() const { return designSize_; }

    // The variant switch of the Device items: the controls, the view, the layout and the
    // captions are rebuilt for the code, and the instrument is started with it.
    void switchVariant(std::int32_t code);
    void selectLanguage(bool russian);

    // A file handed over by a second start.
    void fileHandedOver(int argumentCount, const QString& text);

    // Handlers with logic beyond selecting a member.
    void SpeedButton_RunClick();
    void SpeedButton_SnglClick();
    void SpeedButton_GenOnClick();
    void SpeedButton_ret_trigClick();
    void Menu_ExitClick();
    void Menu_BG_DoClick();
    void Menu_BG_ClrClick();
    void Timer1Timer();

protected:
    void paintEvent(QPaintEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void buildWindow();
    void wireFrontPanel();
    void wireMenus();
    void wirePaintBox();

    // After every computation and every variant or service setup.
    void mirror();
    void followUp(FollowUp f);
    void clickGroup(GroupId id, int member, FollowUp f);
    void toggle(bool& field, FollowUp f);
    void runMouseFollowUp(MouseFollowUp f);
    void applyStayOnTop();

    // Start-up and first paint.
    void setUpVariant();
    void applyServiceSwitches();
    void applyCaptions();
    void FormPaint();
    void openNamedFile(const std::string& path);
    void openSettingsFile(const std::string& path);
    void openDataFile(const std::string& path);
    void linkReopened();
    bool linkCheck(bool withVariantQuestion, const std::function<void()>& aroundErrorBox = {});
    void bringForward();
    std::string configurationPath() const;

    // Layout and view modes (main_window_layout.cpp).
    void viewOperation(bool compact, bool generatorView);
    void layoutOperation();
    void relayoutAndApply();
    bool showGenerator() const;

    // The plot until the per-frame routine draws it.
    void scheduleRedraw();
    void redrawPlot();

    // Keyboard steps.
    void stepTimeDiv(int delta);
    void stepVoltsDivA1(int delta);
    void cycleSpectrum();

    StartOptions options_;
    std::string programFolder_;
    std::unique_ptr<QtUi> ownUi_;
    Ui* ui_;
    SingleInstance* instance_;
    Event wake_;
    UsbLink link_;
    bool deviceClosed_ = false;

    ScopeState state_;
    AcquisitionParams params_;
    BackgroundLevels background_;
    PanelView view_;
    WindowRequests requests_;
    PanelContext context_{state_, params_, background_, view_, requests_};
    FrameSets frames_;
    bool backgroundSwapped_ = false;
    int backgroundStartIndex_ = 0; // set by each drawing of the background
    bool askOnVariantChange_ = false;

    FrontPanel panel_;
    MainMenu menu_;
    QTimer* timer1_ = nullptr;
    MouseState mouse_;
    PlotGeometry geometry_;
    bool firstPaint_ = true;
    bool redrawPending_ = false;

    // Design geometry and the compact view's memory.
    QSize designSize_;
    bool lastCompact_ = false;
    bool firstCompactEntry_ = true;
    Qt::WindowStates compactState_ = Qt::WindowNoState;
    QRect compactGeometry_;
};

} // namespace qs40
