#include "main/main_window.h"

#include "dialogs/about_box.h"
#include "main/captions.h"
#include "main/hand_over.h"
#include "main/paint_box.h"
#include "main/qt_ui.h"
#include "main/single_instance.h"
#include "main/widget_colors.h"
#include "scope/arith.h"
#include "scope/background_oscillogram.h"
#include "scope/parameter_computation.h"
#include "scope/variant.h"
#include "scope/variant_controls.h"

#include <QAbstractButton>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QFileInfo>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QUrl>

#include <algorithm>
#include <filesystem>
#include <mutex>
#include <utility>

namespace qs40 {
namespace {

void setCaption(QObject* object, const QString& text) {
    if (auto* menu = qobject_cast<QMenu*>(object))
        menu->setTitle(text);
    else if (auto* action = qobject_cast<QAction*>(object))
        action->setText(text);
    else if (auto* group = qobject_cast<QGroupBox*>(object))
        group->setTitle(text);
    else if (auto* button = qobject_cast<QAbstractButton*>(object))
        button->setText(text);
    else if (auto* label = qobject_cast<QLabel*>(object))
        label->setText(text);
}

// The manual: beside the executable, else where the package installs it.
QString manualPath(const std::string& programFolder, const std::string& executablePath) {
    const std::string name = executableCaption(executablePath) + ".html";
    for (const std::string& candidate :
         {programFolder + name, std::string(QS40_DATA_DIR "/") + name, "/usr/share/qs40/" + name})
        if (QFileInfo::exists(QString::fromStdString(candidate)))
            return QString::fromStdString(candidate);
    return {};
}

} // namespace

TQS4003MFrm::TQS4003MFrm(StartOptions options, D2xx& d2xx, Ui* ui, SingleInstance* instance,
                         QWidget* parent)
    : QMainWindow(parent), options_(std::move(options)),
      programFolder_(std::filesystem::path(options_.executablePath).parent_path().string() + "/"),
      ownUi_(ui ? nullptr : std::make_unique<QtUi>(this)), trackedUi_(ui ? *ui : *ownUi_),
      instance_(instance),
      session_(d2xx, *ui_,
               SessionSetup{executableCaption(options_.executablePath), false,
                            options_.fpgaImage, [this] { postSynchronisedCall(); }}) {
    setObjectName("QS4003MFrm");
    // A hand-over that waited for a box is offered once the box's handler has returned.
    trackedUi_.setOnAllClosed([this] {
        if (pendingHandOver_)
            QMetaObject::invokeMethod(
                this,
                [this] {
                    if (!pendingHandOver_ || trackedUi_.modalOpen())
                        return;
                    const std::string file = *std::exchange(pendingHandOver_, std::nullopt);
                    offerHandedOverFile(file);
                },
                Qt::QueuedConnection);
    });
    buildWindow();
    aboutBox_ = new TAboutBox(this);
    session_.bindPanel(params_, state_);
    if (options_.acquisition)
        requests_.scope = &session_.panelRequests();
    else
        requests_.onDisplay = [this] { scheduleRedraw(); };
    rebuild_ = [this](std::int32_t code) { rebuildForVariant(code); };
    decimalSeparator_ = QLocale().decimalPoint().toStdString();

    // The defaults of the record stand unless the configuration file says otherwise.
    const ScopeState defaults = state_;
    readConfigurationAtStart();
    refillRadioGroups(state_, defaults);
    if (options_.russian)
        state_.Common.Russian = *options_.russian;
    if (options_.variant)
        state_.System.Device_Type_Code = *options_.variant;
    if (options_.compact)
        state_.Run.compact = *options_.compact;
    if (options_.generatorView)
        state_.Common.Generator = *options_.generatorView;
    session_.usb().setDebugQs(state_.System.Debug_qs);
    applyServiceSwitches();
    {
        FrameSets& frames = session_.frames();
        const std::lock_guard lock(frames.mutex);
        frames.current->reset();
        frames.background->reset();
        frames.swapped = false;
    }
    setUpVariant();
    viewOperation(state_.Run.compact, state_.Common.Generator);
    layoutOperation();
    applyCaptions();

    requests_.requestDisplay();
    recompute(context_);
    mirror();
    // The acquisition thread starts here, last, once the state is complete.
    startAcquisition();
    timer1_->start();
}

TQS4003MFrm::~TQS4003MFrm() {
    timer1_->stop();
    // The session stops its thread before it closes the handle.
    session_.stopThread();
}

bool TQS4003MFrm::backgroundSwapped() {
    FrameSets& frames = session_.frames();
    const std::lock_guard lock(frames.mutex);
    return frames.swapped;
}

BackgroundLevels TQS4003MFrm::backgroundLevels() {
    return qs40::backgroundLevels(session_.frames());
}

std::string TQS4003MFrm::configurationPath() const {
    if (!options_.configurationPath.empty())
        return options_.configurationPath;
    return std::filesystem::path(options_.executablePath).replace_extension(".ini").string();
}

void TQS4003MFrm::buildWindow() {
    auto* client = new QWidget(this);
    client->setObjectName("ClientArea");
    setCentralWidget(client);
    panel_ = buildFrontPanel(client);
    menu_ = buildMainMenu(menuBar());
    timer1_ = new QTimer(this);
    timer1_->setObjectName("Timer1");
    timer1_->setInterval(1000);
    connect(timer1_, &QTimer::timeout, this, &TQS4003MFrm::Timer1Timer);

    const int menuHeight = menuBar()->sizeHint().height();
    designSize_ = QSize(design::kClientWidth, design::kClientHeight + menuHeight);
    setMinimumSize(designSize_);
    resize(designSize_);
    // Until the window is shown its layout has not sized the client area: give it the design
    // size now, so that the first layout works on it.
    client->setGeometry(0, menuHeight, design::kClientWidth, design::kClientHeight);
    client->installEventFilter(this);
    setFocusPolicy(Qt::StrongFocus);

    wireFrontPanel();
    wireMenus();
    wirePaintBox();
}

// ----------------------------------------------------------------------------------------------
// Mirror and follow-ups.

void TQS4003MFrm::mirror() {
    mirrorFrontPanel(panel_, state_, view_);
    mirrorMainMenu(menu_, state_, view_);
    applyStayOnTop();
}

void TQS4003MFrm::followUp(FollowUp f) {
    runFollowUp(context_, f);
    mirror();
}

void TQS4003MFrm::clickGroup(GroupId id, int member, FollowUp f) {
    clickGroupMember(state_, id, member);
    followUp(f);
}

void TQS4003MFrm::toggle(bool& field, FollowUp f) {
    field = !field;
    followUp(f);
}

void TQS4003MFrm::applyStayOnTop() {
    const bool onTop = windowFlags().testFlag(Qt::WindowStaysOnTopHint);
    if (onTop == view_.stayOnTop)
        return;
    const bool shown = isVisible();
    setWindowFlag(Qt::WindowStaysOnTopHint, view_.stayOnTop);
    if (shown) // changing the flags hides a top-level window
        show();
}

// ----------------------------------------------------------------------------------------------
// Wiring.

void TQS4003MFrm::wireFrontPanel() {
    FrontPanel& p = panel_;
    const auto onClick = [this](QAbstractButton* b, auto handler) {
        connect(b, &QAbstractButton::clicked, this, handler);
    };
    onClick(p.run, [this] { SpeedButton_RunClick(); });
    onClick(p.sngl, [this] { SpeedButton_SnglClick(); });
    for (int i = 0; i < static_cast<int>(p.timeDiv.size()); ++i)
        onClick(p.timeDiv[i],
                [this, i] { clickGroup(GroupId::TimeDiv, i, FollowUp::ApplyAndStart); });
    for (auto [inputs, channel, ac] :
         {std::tuple{&p.a1, AnalogChannel::A1, &state_.Scope.A1_ACDC},
          std::tuple{&p.a2, AnalogChannel::A2, &state_.Scope.A2_ACDC}}) {
        for (int i = 0; i < 6; ++i)
            onClick(inputs->volts[i], [this, channel, i] {
                followUp(clickVoltsDiv(state_, channel, static_cast<VoltsDiv>(i)));
            });
        onClick(inputs->label, [this, channel] { followUp(clickVoltsDivLabel(state_, channel)); });
        onClick(inputs->coupling, [this, ac] { toggle(*ac, FollowUp::ApplyAndStart); });
    }
    for (int i = 0; i < 4; ++i)
        onClick(p.trigSource[i],
                [this, i] { clickGroup(GroupId::TrigSource, i, FollowUp::ApplyAndStart); });
    onClick(p.trigEdge, [this] { toggle(state_.Trigger.Edge, FollowUp::ApplyAndStart); });
    onClick(p.autoTrig, [this] { toggle(state_.Trigger.Auto, FollowUp::ApplyAndStart); });
    onClick(p.tPlus, [this] { toggle(state_.Run.tPlus, FollowUp::ApplyAndStart); });
    onClick(p.retTrig, [this] { SpeedButton_ret_trigClick(); });
    onClick(p.trig, [this] { Menu_TriggerClick(); });
    connect(p.xPos, &QScrollBar::valueChanged, this, [this] { followUp(FollowUp::Apply); });

    onClick(p.genOn, [this] { SpeedButton_GenOnClick(); });
    for (int i = 0; i < 3; ++i)
        onClick(p.genMode[i],
                [this, i] { followUp(clickGenMode(state_, static_cast<GenMode>(i))); });
    for (int i = 0; i < 5; ++i)
        onClick(p.wave[i], [this, i] { clickGroup(GroupId::GenWave, i, FollowUp::ApplyAndStart); });
    for (int i = 0; i < 6; ++i)
        onClick(p.range[i],
                [this, i] { clickGroup(GroupId::GenRange, i, FollowUp::ApplyAndStart); });
    connect(p.fFast, &QScrollBar::valueChanged, this,
            [this](int v) { followUp(scrollFFast(state_, v)); });
    connect(p.fSlow, &QScrollBar::valueChanged, this,
            [this](int v) { followUp(scrollFSlow(state_, v)); });
    connect(p.amplitude, &QScrollBar::valueChanged, this, [this](int v) {
        state_.Generator.Ampl = v;
        followUp(FollowUp::ApplyAndStart);
    });
}

void TQS4003MFrm::wireMenus() {
    MainMenu& m = menu_;
    const auto onTrigger = [this](QAction* a, auto handler) {
        connect(a, &QAction::triggered, this, handler);
    };
    const auto radioGroup = [&](const auto& actions, GroupId id, FollowUp f) {
        for (int i = 0; i < static_cast<int>(actions.size()); ++i)
            onTrigger(actions[i], [this, id, i, f] { clickGroup(id, i, f); });
    };

    // File.
    connect(m.file, &QMenu::aboutToShow, this, [this] {
        const bool idle = !state_.Run.running;
        for (QAction* a : {menu_.saveAs, menu_.open, menu_.exportMenu->menuAction()})
            a->setEnabled(idle);
        menu_.device->menuAction()->setEnabled(idle);
    });
    onTrigger(m.saveAs, [this] { Menu_Save_AsClick(); });
    onTrigger(m.open, [this] { Menu_OpenClick(); });
    onTrigger(m.saveSettingsAs, [this] { Menu_Save_SettingsClick(); });
    onTrigger(m.openSettings, [this] { Menu_Open_SettingsClick(); });
    onTrigger(m.image, [this] { Menu_ImageClick(); });
    onTrigger(m.text, [this] { Menu_TextClick(); });
    for (int i = 0; i < 4; ++i)
        onTrigger(m.exportBinary[static_cast<std::size_t>(i)], [this, i] { exportBinaryClick(i); });
    onTrigger(m.exportSigrok, [this] { Menu_Export_SigrokClick(); });
    onTrigger(m.exportVcd, [this] { Menu_Export_VCDClick(); });
    onTrigger(m.recorder, [this] { Menu_RecorderClick(); });
    for (std::size_t i = 0; i < m.deviceItems.size(); ++i)
        onTrigger(m.deviceItems[i], [this, i] { switchVariant(kVariants[i].code); });
    onTrigger(m.exit, [this] { Menu_ExitClick(); });

    // Options.
    wireOptionDialogs();
    onTrigger(m.zeroCalibrate, [this] { Menu_ZeroCalibrateClick(); });
    onTrigger(m.fmCalibrate, [this] { Menu_FM_CalibrateClick(); });
    onTrigger(m.tdcCalibrate, [this] { Menu_TDCCalibrateClick(); });
    for (std::size_t i = 0; i < 3; ++i) {
        onTrigger(m.probeA1Items[i], [this, i] {
            followUp(clickProbe(state_, AnalogChannel::A1, static_cast<Probe>(i)));
        });
        onTrigger(m.probeA2Items[i], [this, i] {
            followUp(clickProbe(state_, AnalogChannel::A2, static_cast<Probe>(i)));
        });
    }
    onTrigger(m.peakDetect, [this] { toggle(state_.Common.SmplPeakDet, FollowUp::ApplyAndStart); });
    radioGroup(m.samplingItems, GroupId::Sampling, FollowUp::ApplyAndStart);
    radioGroup(m.divisionItems, GroupId::Divisions, FollowUp::ApplyAndStart);
    radioGroup(m.fpsItems, GroupId::Max_FPS, FollowUp::ApplyAndStart);
    radioGroup(m.freqMeterItems, GroupId::FreqMeter, FollowUp::ApplyAndStart);

    // View.
    connect(m.view, &QMenu::aboutToShow, this,
            [this] { menu_.backgroundSwap->setEnabled(!state_.Run.running); });
    CommonSection& c = state_.Common;
    bool* channels[] = {&c.CH_A1, &c.CH_A2, &c.CH_D1, &c.CH_D2};
    for (int i = 0; i < 4; ++i)
        onTrigger(m.channels[i],
                  [this, field = channels[i]] { toggle(*field, FollowUp::ApplyAndStart); });
    onTrigger(m.markers1, [this] { followUp(clickMarkers1(state_)); });
    onTrigger(m.markers2, [this] { followUp(clickMarkers2(state_)); });
    onTrigger(m.measure, [this] { toggle(state_.Common.Measure, FollowUp::Apply); });
    onTrigger(m.grid, [this] { toggle(state_.Common.Grid, FollowUp::Apply); });
    onTrigger(m.trigPosLine, [this] { toggle(state_.Common.TrigPosL, FollowUp::Apply); });
    onTrigger(m.extraInfo, [this] { toggle(state_.Common.Extra_Info, FollowUp::Apply); });
    onTrigger(m.generatorView, [this] {
        state_.Common.Generator = !state_.Common.Generator;
        relayoutAndApply();
    });
    onTrigger(m.backgroundView, [this] { toggle(state_.Run.bgView, FollowUp::Apply); });
    onTrigger(m.backgroundSwap, [this] { Menu_BG_DoClick(); });
    onTrigger(m.backgroundClear, [this] { Menu_BG_ClrClick(); });
    radioGroup(m.drawModeItems, GroupId::DrawMode, FollowUp::Apply);
    onTrigger(m.lenta, [this] { toggle(state_.Common.Lenta, FollowUp::ApplyAndStart); });
    onTrigger(m.fftA1, [this] { followUp(clickFftA1(state_)); });
    onTrigger(m.fftA2, [this] { followUp(clickFftA2(state_)); });
    onTrigger(m.onTop, [this] { toggle(state_.Common.On_Top, FollowUp::Apply); });
    onTrigger(m.russian, [this] { selectLanguage(true); });
    onTrigger(m.english, [this] { selectLanguage(false); });
    onTrigger(m.compact, [this] {
        state_.Run.compact = !state_.Run.compact;
        relayoutAndApply();
    });

    // Help.
    const QString manual = manualPath(programFolder_, options_.executablePath);
    m.helpContents->setEnabled(!manual.isEmpty());
    onTrigger(m.helpContents, [manual] { QDesktopServices::openUrl(QUrl::fromLocalFile(manual)); });
    onTrigger(m.about, [this] { Menu_AboutClick(); });
}

void TQS4003MFrm::wirePaintBox() {
    PaintBox* box = panel_.image;
    box->onPress = [this](const MouseEvent& e) {
        mouseEvent([&](MouseContext& ctx) { return mouseDown(ctx, e); });
    };
    box->onMove = [this](const MouseEvent& e) {
        mouseEvent([&](MouseContext& ctx) { return mouseMove(ctx, e); });
    };
    box->onRelease = [this] { mouseEvent([](MouseContext& ctx) { return mouseUp(ctx); }); };
    box->onDoubleClick = [this] {
        mouseEvent([](MouseContext& ctx) { return doubleClick(ctx); });
    };
}

void TQS4003MFrm::mouseEvent(const std::function<MouseFollowUp(MouseContext&)>& handler) {
    runMouseFollowUp(onPlot(state_, session_.frames(), geometry_, mouse_, handler));
}

void TQS4003MFrm::runMouseFollowUp(MouseFollowUp f) {
    switch (f) {
    case MouseFollowUp::Nothing:
        return;
    case MouseFollowUp::Apply:
        followUp(FollowUp::Apply);
        return;
    case MouseFollowUp::ApplyAndStart:
        followUp(FollowUp::ApplyAndStart);
        return;
    case MouseFollowUp::RelayoutAndApply:
        relayoutAndApply();
        return;
    }
}

// ----------------------------------------------------------------------------------------------
// Variant, service switches and captions.

void TQS4003MFrm::setUpVariant() {
    applyVariantControls(state_, view_);
    mirror();
}

void TQS4003MFrm::applyServiceSwitches() {
    qs40::applyServiceSwitches(state_, view_);
    mirror();
}

void TQS4003MFrm::applyCaptions() {
    qtTranslations_.use(state_.russian());
    for (const auto table : {captionTable(), addedCaptionTable()})
        for (const CaptionEntry& entry : table) {
            const auto caption =
                captionFor(entry, state_.russian(), state_.System.Device_Type_Code);
            if (!caption)
                continue;
            const QString name =
                QString::fromUtf8(entry.objectName.data(), entry.objectName.size());
            if (QObject* object = findChild<QObject*>(name))
                setCaption(object, QString::fromUtf8(caption->data(), caption->size()));
        }
}

void TQS4003MFrm::selectLanguage(bool russian) {
    state_.Common.Russian = russian;
    applyCaptions();
    followUp(FollowUp::Apply);
}

void TQS4003MFrm::rebuildForVariant(std::int32_t code) {
    const std::string path = configurationPath();
    if (options_.saveConfiguration)
        options_.saveConfiguration(state_, path);
    state_.System.Device_Type_Code = code;
    setUpVariant();
    viewOperation(state_.Run.compact, state_.Common.Generator);
    layoutOperation();
    applyCaptions();
    // The new variant's fields come from the configuration file; its variant stays the chosen
    // one.
    const ScopeState beforeRead = state_;
    if (options_.loadConfiguration)
        options_.loadConfiguration(state_, path, false);
    state_.System.Device_Type_Code = code;
    // The reload may uncheck the member that replaced a hidden one: no group is left empty.
    refillRadioGroups(state_, beforeRead);
    setUpVariant();
    if (options_.saveConfiguration)
        options_.saveConfiguration(state_, path);
    mirror();
}

void TQS4003MFrm::switchVariant(std::int32_t code) {
    rebuildForVariant(code);
    followUp(FollowUp::ApplyAndStart);
    variantFlags_.askOnChange = false;
}

// ----------------------------------------------------------------------------------------------
// Acquisition buttons.

bool TQS4003MFrm::linkCheck(bool withVariantQuestion, const std::function<void()>& aroundErrorBox) {
    const LinkCheckResult result = checkLink(session_.usb(), state_.russian(), aroundErrorBox);
    if (result.outcome == LinkCheckOutcome::Failed)
        return false;
    if (result.outcome == LinkCheckOutcome::Reopened)
        session_.linkReopened();
    if (withVariantQuestion)
        variantFlags_.askOnChange = true;
    return true;
}

void TQS4003MFrm::SpeedButton_RunClick() {
    const BusyScope busy(instance_);
    RunState& run = state_.Run;
    run.runDown = !run.runDown;
    if (run.runDown) {
        run.snglDown = false;
        if (!linkCheck(true)) {
            run.runDown = false;
            mirror();
            return;
        }
    }
    run.single = false;
    followUp(FollowUp::ApplyAndStart);
}

void TQS4003MFrm::SpeedButton_SnglClick() {
    const BusyScope busy(instance_);
    RunState& run = state_.Run;
    run.snglDown = !run.snglDown;
    if (run.snglDown) {
        run.runDown = false;
        if (!linkCheck(true)) {
            run.snglDown = false;
            mirror();
            return;
        }
    }
    followUp(FollowUp::ApplyAndStart);
}

void TQS4003MFrm::SpeedButton_GenOnClick() {
    const BusyScope busy(instance_);
    RunState& run = state_.Run;
    run.generatorOn = !run.generatorOn;
    if (run.generatorOn && !linkCheck(false, [this] { followUp(FollowUp::Apply); })) {
        run.generatorOn = false;
        mirror();
        return;
    }
    followUp(FollowUp::ApplyAndStart);
}

void TQS4003MFrm::SpeedButton_ret_trigClick() {
    int trigger = 0;
    {
        FrameSets& frames = session_.frames();
        const std::lock_guard lock(frames.mutex);
        trigger = frames.current->header[kHdrTrigPos];
    }
    const QSignalBlocker block(panel_.xPos);
    panel_.xPos->setValue(trigger);
    followUp(FollowUp::Apply);
}

// ----------------------------------------------------------------------------------------------
// Background oscillogram.

void TQS4003MFrm::Menu_BG_DoClick() {
    // The item is disabled while running when the menu opens; its shortcut must not get round
    // that while the decoder fills the current frame.
    if (state_.Run.running)
        return;
    state_.Run.bgView = true;
    const std::optional<int> swapped = swapBackground(session_.frames(), state_);
    if (!swapped) {
        mirror();
        return;
    }
    const int count = std::max(0, *swapped);
    {
        const QSignalBlocker block(panel_.xPos);
        panel_.xPos->setRange(0, count);
        panel_.xPos->setValue(backgroundStartIndex_ < 0 ? 0
                                                        : std::min(backgroundStartIndex_, count));
    }
    followUp(FollowUp::ApplyAndStart);
}

void TQS4003MFrm::Menu_BG_ClrClick() {
    clearBackground(session_.frames(), state_);
}

// ----------------------------------------------------------------------------------------------
// Life cycle.

void TQS4003MFrm::paintEvent(QPaintEvent* event) {
    QMainWindow::paintEvent(event);
    if (!firstPaint_)
        return;
    firstPaint_ = false;
    // Opening the instrument may ask questions: not inside a paint event.
    QTimer::singleShot(0, this, &TQS4003MFrm::FormPaint);
}

void TQS4003MFrm::FormPaint() {
    // A failed open says nothing now; Run, Single and generator On try again and tell.
    if (session_.open() == FT_OK)
        followUp(FollowUp::ApplyAndStart);
    if (!options_.fileToOpen.empty())
        openNamedFile(options_.fileToOpen);
    if (instance_)
        instance_->releaseBusy(); // the start-up is over
    if (options_.run && !state_.Run.runDown)
        SpeedButton_RunClick();
}

void TQS4003MFrm::openNamedFile(const std::string& path) {
    if (isSettingsFileName(path))
        openSettingsFile(path);
    else
        openDataFile(path);
}

void TQS4003MFrm::bringForward() {
    if (isMinimized())
        showNormal();
    raise();
    activateWindow();
}

void TQS4003MFrm::fileHandedOver(int argumentCount, const QString& text) {
    const bool busy = instance_ && instance_->busy();
    const std::string file = text.toStdString();
    switch (handOverStep(argumentCount, file, busy)) {
    case HandOverStep::BringForward:
        bringForward();
        return;
    case HandOverStep::Ignore:
        return;
    case HandOverStep::Offer:
        break;
    }
    // Not inside the event loop of an open box (the variant question, say): the offer and the
    // file's opening wait until it is answered.
    if (trackedUi_.modalOpen()) {
        pendingHandOver_ = file;
        return;
    }
    offerHandedOverFile(file);
}

void TQS4003MFrm::offerHandedOverFile(const std::string& file) {
    const BusyScope busyScope(instance_);
    bringForward();
    switch (qs40::offerHandedOverFile(*ui_, file, state_.russian(), state_.Run.running)) {
    case HandOverAction::OpenSettings:
        openSettingsFile(file);
        break;
    case HandOverAction::OpenData:
        openDataFile(file);
        break;
    case HandOverAction::None:
        break;
    }
}

void TQS4003MFrm::Menu_ExitClick() {
    // The handle is closed once the thread no longer uses it (else by the destructor).
    if (stopAcquisition())
        session_.close();
    close();
}

void TQS4003MFrm::closeEvent(QCloseEvent* event) {
    // The thread stops before anything it shares goes away, and before the event loop ends.
    stopAcquisition();
    // Closed with a dialog open: its unconfirmed values are not what is kept.
    if (restoreBeforeClose_)
        restoreBeforeClose_();
    writeConfigurationAtClose();
    event->accept();
}

bool TQS4003MFrm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == centralWidget() && event->type() == QEvent::Resize) {
        layoutOperation();
        requests_.requestDisplay();
    }
    return QMainWindow::eventFilter(watched, event);
}

// ----------------------------------------------------------------------------------------------
// Keyboard.

void TQS4003MFrm::stepTimeDiv(int delta) {
    const int last = static_cast<int>(TimeDiv::T50nS);
    state_.Scope.TimeDiv =
        static_cast<TimeDiv>(std::clamp(static_cast<int>(state_.Scope.TimeDiv) + delta, 0, last));
    followUp(FollowUp::ApplyAndStart);
}

void TQS4003MFrm::stepVoltsDivA1(int delta) {
    // Unlike the buttons, the keys keep the A1 trigger level's sample code.
    const int last = static_cast<int>(VoltsDiv::mV50);
    state_.Scope.VoltsDiv_A1 = static_cast<VoltsDiv>(
        std::clamp(static_cast<int>(state_.Scope.VoltsDiv_A1) + delta, 0, last));
    followUp(FollowUp::ApplyAndStart);
}

void TQS4003MFrm::cycleSpectrum() {
    MainMenu& m = menu_;
    if (m.fftA1->isChecked())
        (m.fftA2->isEnabled() ? m.fftA2 : m.fftA1)->trigger();
    else if (m.fftA2->isChecked())
        m.fftA2->trigger();
    else if (m.fftA1->isEnabled())
        m.fftA1->trigger();
    else if (m.fftA2->isEnabled())
        m.fftA2->trigger();
}

void TQS4003MFrm::keyPressEvent(QKeyEvent* event) {
    const bool shiftedService =
        event->modifiers().testFlag(Qt::ShiftModifier) && state_.serviceMode();
    QScrollBar* position = panel_.xPos;
    switch (event->key()) {
    case Qt::Key_F:
        cycleSpectrum();
        break;
    case Qt::Key_Space:
        SpeedButton_RunClick();
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        SpeedButton_SnglClick();
        break;
    case Qt::Key_Left:
        if (shiftedService)
            position->setValue(std::max(position->minimum(), position->value() - 1));
        else
            stepTimeDiv(-1); // slower
        break;
    case Qt::Key_Right:
        if (shiftedService)
            position->setValue(std::min(position->maximum(), position->value() + 1));
        else
            stepTimeDiv(+1); // faster
        break;
    case Qt::Key_Up:
        stepVoltsDivA1(-1); // larger volts per division
        break;
    case Qt::Key_Down:
        stepVoltsDivA1(+1);
        break;
    default:
        QMainWindow::keyPressEvent(event);
        return;
    }
    event->accept();
}

// ----------------------------------------------------------------------------------------------
// Without the acquisition thread the per-frame routine runs from the event loop.

void TQS4003MFrm::scheduleRedraw() {
    if (redrawPending_)
        return;
    redrawPending_ = true;
    QTimer::singleShot(0, this, [this] {
        redrawPending_ = false;
        perFrame();
    });
}

} // namespace qs40
