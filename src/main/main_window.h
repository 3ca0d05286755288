// The main window: the instrument's front panel, its menus and the oscillogram. It owns the
// scope state, the acquisition parameters, the plot geometry and the acquisition session (the
// device link, the thread and the frame sets), and it is the one place where the widgets and
// the state meet: a control changes the state and runs its follow-up; after every computation
// the widgets mirror the state.
#pragma once

#include "device/acquisition/acquisition_session.h"
#include "display/frame_routine.h"
#include "display/mouse_logic.h"
#include "display/plot_geometry.h"
#include "display/spectrum.h"
#include "display/variant_prompt.h"
#include "files/config_read.h"
#include "files/data_file.h"
#include "files/export_common.h"
#include "files/recorder_session.h"
#include "main/front_panel.h"
#include "main/main_menu.h"
#include "main/modal_tracking_ui.h"
#include "main/qt_translations.h"
#include "scope/acquisition_params.h"
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
#include <span>
#include <string>
#include <vector>

class QDialog;

namespace qs40 {

class D2xx;
class QtUi;
class TAboutBox;
class TForm_ColorSet;
class TForm_FFTSet;
class TForm_GeneratorSet;
class TForm_TrigSet;
enum class OptionDialog;
class SingleInstance;
class TForm_Recorder;
class Ui;

// What the program entry hands the window.
struct StartOptions {
    std::string executablePath;
    // The last command-line argument, opened after the first attempt to open the instrument.
    std::string fileToOpen;
    // The configuration file; empty: the executable's path with ".ini".
    std::string configurationPath;
    // Reads the configuration file into the state (variantFirst at start only) and says what it
    // found. Not set: the defaults stand.
    std::function<ConfigReadResult(ScopeState&, const std::string& path, bool variantFirst)>
        loadConfiguration;
    // Writes the configuration file at close and around a variant switch.
    std::function<void(const ScopeState&, const std::string& path)> saveConfiguration;
    // The FPGA image loaded at every connection; empty: the built-in placeholder.
    std::vector<std::uint8_t> fpgaImage;
    // Runs the acquisition thread. Off only for a device that cannot be shared between threads
    // (a test's call recorder): follow-ups then redraw on the GUI thread and sends are counted.
    bool acquisition = true;
    // The language and the variant when the command line asks for others than the configured
    // ones; applied once, after the configuration file is read at start.
    std::optional<bool> russian;
    std::optional<std::int32_t> variant;
    std::optional<bool> compact;
    std::optional<bool> generatorView;
    // Press Run after the first paint has opened the instrument.
    bool run = false;
    // The system's locale name ("ru_RU.UTF-8"): the interface language of a first start,
    // when there is no configuration file yet.
    std::string systemLocale;
    // Where Qt's translation catalogues lie; empty: Qt's own folder.
    std::string qtTranslationsFolder;
};

// The acquisition side of the follow-ups: handed to the acquisition thread when it runs (it
// redraws through its synchronised callback); without it a display request redraws on the GUI
// thread. Sends and wakes are counted either way.
class WindowRequests final : public AcquisitionRequests {
public:
    AcquisitionRequests* scope = nullptr;
    std::function<void()> onDisplay;
    int sendCount = 0;
    int wakeCount = 0;

    void requestDisplay() override {
        if (scope)
            scope->requestDisplay();
        else if (onDisplay)
            onDisplay();
    }
    void requestSendParameters() override {
        ++sendCount;
        if (scope)
            scope->requestSendParameters();
    }
    void wake() override {
        ++wakeCount;
        if (scope)
            scope->wake();
    }
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
    bool askOnVariantChange() const { return variantFlags_.askOnChange; }
    // The acquisition session: the link, the thread, the frame sets, the watchdog.
    AcquisitionSession& session() { return session_; }
    // The current frame and the background oscillogram, with the background's own levels and
    // the swap flag.
    FrameSets& frames() { return session_.frames(); }
    bool backgroundSwapped();
    BackgroundLevels backgroundLevels();
    // The design size of the whole window (client area and menu bar): also its minimum size.
    QSize designSize() const { return designSize_; }
    // The acquisition's counters: frames decoded and frames drawn since the start.
    std::uint64_t framesDecodedTotal() const { return session_.framesDecodedTotal(); }
    std::uint64_t framesDrawnTotal() const { return session_.framesDrawnTotal(); }
    const LinkState& linkState() const { return session_.link(); }
    const LinkWatchdog& watchdog() const { return session_.watchdog(); }
    // Stops the acquisition thread in order (refuse its synchronised calls, wake, join). False
    // when it could only be told to stop: called from inside its synchronised call, the
    // thread is joined by the destructor.
    bool stopAcquisition();

    // The variant switch of the Device items: the controls, the view, the layout and the
    // captions are rebuilt for the code, and the instrument is started with it.
    void switchVariant(std::int32_t code);
    void selectLanguage(bool russian);

    // A file handed over by a second start; while a box or dialog is open it waits until the
    // last one is answered.
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

    // File menu.
    void Menu_Save_AsClick();
    void Menu_OpenClick();
    void Menu_Save_SettingsClick();
    void Menu_Open_SettingsClick();
    void Menu_ImageClick();
    void Menu_TextClick();
    void exportBinaryClick(int channel);
    void Menu_Export_SigrokClick();
    void Menu_Export_VCDClick();

    // Help.
    void Menu_AboutClick();
    TAboutBox* aboutBox() const { return aboutBox_; }

    // The calibrations (main_window_calibration.cpp).
    void Menu_ZeroCalibrateClick();
    void Menu_FM_CalibrateClick();
    void Menu_TDCCalibrateClick();

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

    // The option dialogs (main_window_options.cpp): created once with the window, reused at
    // every opening, owned by the window as its children.
    void wireOptionDialogs();
    void Menu_TriggerClick();
    void Menu_FFTSetClick();
    void Menu_GeneratorSetClick();
    void Menu_ColorsClick();
    // Runs an option dialog modally with the fields copied before; a cancel puts them back and
    // runs the dialog's follow-up. True when the dialog ended with OK.
    bool runOptionDialog(QDialog* dialog, OptionDialog which);
    TForm_TrigSet* trigSet_ = nullptr;
    TForm_FFTSet* fftSet_ = nullptr;
    TForm_GeneratorSet* generatorSet_ = nullptr;
    TForm_ColorSet* colorSet_ = nullptr;
    // Puts back the fields from before the option or calibration dialog that is open: a close
    // of the window meanwhile (a termination signal) stores them, not values the user has not
    // confirmed.
    std::function<void()> restoreBeforeClose_;
    // Runs a dialog of the window's own modally, with restore as restoreBeforeClose_.
    int runModal(QDialog& dialog, std::function<void()> restore);

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
    void offerHandedOverFile(const std::string& file);
    bool linkCheck(bool withVariantQuestion, const std::function<void()>& aroundErrorBox = {});
    void bringForward();
    std::string configurationPath() const;
    // The configuration file at start and at close (main_window_config.cpp).
    void readConfigurationAtStart();
    void writeConfigurationAtClose();

    // Layout and view modes (main_window_layout.cpp).
    void viewOperation(bool compact, bool generatorView);
    void layoutOperation();
    void relayoutAndApply();
    bool showGenerator() const;

    // The acquisition thread and the per-frame routine (main_window_acquisition.cpp).
    void startAcquisition();
    void postSynchronisedCall();
    void mouseEvent(const std::function<MouseFollowUp(MouseContext&)>& handler);
    ScopeThreadHooks acquisitionHooks();
    void perFrame();
    void showFrameOutput(const FrameOutput& out);
    void drawActivityIndicator();
    void rebuildForVariant(std::int32_t code);
    void singleShotEnded();
    FrameInput frameInput();

    // The file commands (main_window_files.cpp).
    FileCommandContext fileContext();
    DataFileContext dataFileContext();
    ExportContext exportContext();
    void afterDataFileOpened();
    void afterSettingsOpened();
    // After a settings or companion file is read: no menu radio group is left empty.
    void keepRadioGroupsFilled(const ScopeState& before);
    std::string errorCaption() const;

    // The calibration check before a calibration dialog; false: refused (no instrument).
    bool calibrationCheck();
    // After a calibration dialog: both frame sets cleared, the front panel's parameters sent.
    void afterCalibration();

    // A redraw on the GUI thread, for a window without the acquisition thread.
    void scheduleRedraw();

    // Keyboard steps.
    void stepTimeDiv(int delta);
    void stepVoltsDivA1(int delta);
    void cycleSpectrum();

    StartOptions options_;
    std::string programFolder_;
    std::unique_ptr<QtUi> ownUi_;
    ModalTrackingUi trackedUi_; // the given Ui, or ownUi_
    Ui* ui_ = &trackedUi_;
    SingleInstance* instance_;
    // The acquisition core; a queued synchronised call reaches the GUI thread as a posted
    // event.
    AcquisitionSession session_;
    // The configuration file was there but could not be read: it is never written.
    bool configurationKept_ = false;

    ScopeState state_;
    AcquisitionParams params_;
    PanelView view_;
    WindowRequests requests_;
    PanelContext context_{state_, params_, session_.frames(), view_, requests_};
    int backgroundStartIndex_ = 0; // set by each drawing of the background
    VariantCheckFlags variantFlags_;
    int synchronisedDepth_ = 0; // inside the thread's synchronised call

    // The per-frame routine's own state.
    RebuildInterface rebuild_; // the routine's interface rebuild for another variant
    bool inPerFrame_ = false;
    std::string decimalSeparator_ = ".";
    FrameRoutine routine_;
    Spectrum spectrum_;
    ActivityIndicator activity_;

    FrontPanel panel_;
    MainMenu menu_;
    TAboutBox* aboutBox_ = nullptr; // created with the window, re-captioned at every show
    QtTranslations qtTranslations_{QString::fromStdString(options_.qtTranslationsFolder)};
    QTimer* timer1_ = nullptr;
    MouseState mouse_;
    PlotGeometry geometry_;
    bool firstPaint_ = true;
    // The file of a hand-over that arrived while a box was open.
    std::optional<std::string> pendingHandOver_;
    bool redrawPending_ = false;

    // Design geometry and the compact view's memory.
    QSize designSize_;
    bool lastCompact_ = false;
    bool firstCompactEntry_ = true;
    Qt::WindowStates compactState_ = Qt::WindowNoState;
    QRect compactGeometry_;

    // The recorder (main_window_recorder.cpp).
public:
    void Menu_RecorderClick();
    TForm_Recorder* recorderForm() const { return recorderForm_; }

private:
    bool recorderAllowed();
    void recorderWrite(std::span<const std::uint8_t> bytes);
    TForm_Recorder* recorderForm_ = nullptr; // made at the first open; a child of the window
};

} // namespace qs40
