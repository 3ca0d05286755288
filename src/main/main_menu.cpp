#include "main/main_menu.h"

#include <QKeySequence>

namespace qs40 {
namespace {

QMenu* submenu(QWidget* parent, const char* name, const char* title) {
    auto* m = new QMenu(title, parent);
    m->setObjectName(name);
    return m;
}

QMenu* addSubmenu(QMenu* parent, const char* name, const char* title) {
    QMenu* m = submenu(parent, name, title);
    parent->addMenu(m);
    return m;
}

QAction* item(QMenu* menu, const char* name, const char* caption, char shortcutLetter = 0) {
    QAction* a = menu->addAction(QString::fromUtf8(caption));
    a->setObjectName(name);
    if (shortcutLetter != 0)
        a->setShortcut(QKeySequence(Qt::CTRL | static_cast<Qt::Key>(shortcutLetter)));
    return a;
}

QAction* toggle(QMenu* menu, const char* name, const char* caption, char shortcutLetter = 0) {
    QAction* a = item(menu, name, caption, shortcutLetter);
    a->setCheckable(true);
    return a;
}

// A radio group of menu items: checking one unchecks the others.
template <std::size_t N>
std::array<QAction*, N> radio(QMenu* menu, const char* groupName,
                              const std::array<const char*, N>& names,
                              const std::array<const char*, N>& captions) {
    auto* group = new QActionGroup(menu);
    group->setObjectName(groupName);
    group->setExclusionPolicy(QActionGroup::ExclusionPolicy::Exclusive);
    std::array<QAction*, N> actions{};
    for (std::size_t i = 0; i < N; ++i) {
        actions[i] = toggle(menu, names[i], captions[i]);
        group->addAction(actions[i]);
    }
    return actions;
}

void buildFile(MainMenu& m, QMenuBar* bar) {
    m.file = submenu(bar, "Menu_File", "File");
    bar->addMenu(m.file);
    m.open = item(m.file, "Menu_Open", "Open...", 'O');
    m.openSettings = item(m.file, "Menu_Open_Settings", "Open Settings...");
    m.file->addSeparator();
    m.saveAs = item(m.file, "Menu_Save_As", "Save...", 'S');
    m.saveSettingsAs = item(m.file, "Menu_Save_Settings_As", "Save Settings...");
    m.file->addSeparator();
    m.exportMenu = addSubmenu(m.file, "Menu_Export", "Export");
    m.image = item(m.exportMenu, "Menu_Image", "Image...");
    m.text = item(m.exportMenu, "Menu_Text", "Text...");
    m.rowBinary = addSubmenu(m.exportMenu, "Menu_Row_Binary", "Row Binary");
    const char* binaryNames[] = {"Menu_EBin_A1", "Menu_EBin_A2", "Menu_EBin_D1", "Menu_EBin_D2"};
    const char* binaryCaptions[] = {"CH A1...", "CH A2...", "CH D1...", "CH D2..."};
    for (int i = 0; i < 4; ++i)
        m.exportBinary[i] = item(m.rowBinary, binaryNames[i], binaryCaptions[i]);
    m.exportSigrok = item(m.exportMenu, "Menu_Export_Sigrok", "sigrok session...");
    m.exportVcd = item(m.exportMenu, "Menu_Export_VCD", "VCD...");
    m.recorder = item(m.file, "Menu_Recorder", "Recorder...");
    m.file->addSeparator();
    m.device = addSubmenu(m.file, "Menu_Device", "Device");
    std::array<const char*, 7> deviceNames{"Menu_4000",  "Menu_4000A", "Menu_4001A", "Menu_4002",
                                           "Menu_4002A", "Menu_4003",  "Menu_4003A"};
    std::array<const char*, 7> deviceCaptions{};
    for (std::size_t i = 0; i < kVariants.size(); ++i)
        deviceCaptions[i] = kVariants[i].name.data(); // literals: zero-terminated
    m.deviceItems = radio(m.device, "RadioGroup19_Device", deviceNames, deviceCaptions);
    m.deviceSeparator = m.file->addSeparator();
    m.deviceSeparator->setObjectName("N16");
    m.exit = item(m.file, "Menu_Exit", "Exit");
}

void buildOptions(MainMenu& m, QMenuBar* bar) {
    m.options = submenu(bar, "Menu_Options", "Options");
    bar->addMenu(m.options);
    m.trigger = item(m.options, "Menu_Trigger", "Trigger...", 'T');
    m.fftSet = item(m.options, "Menu_FFTSet", "FFT...");
    m.generatorSet = item(m.options, "Menu_GeneratorSet", "Generator Mod...");
    m.options->addSeparator();
    m.probeA1 = addSubmenu(m.options, "Menu_Probe_A1", "Probe A1");
    m.probeA1Items = radio<3>(m.probeA1, "RadioGroup22_Probe_A1",
                              {"Menu_A1_x1", "Menu_A1_x10", "Menu_A1_x100"}, {"x1", "x10", "x100"});
    m.probeA2 = addSubmenu(m.options, "Menu_Probe_A2", "Probe A2");
    m.probeA2Items = radio<3>(m.probeA2, "RadioGroup23_Probe_A2",
                              {"Menu_A2_x1", "Menu_A2_x10", "Menu_A2_x100"}, {"x1", "x10", "x100"});
    m.sampling = addSubmenu(m.options, "Menu_Sampling", "Sampling");
    m.peakDetect = toggle(m.sampling, "Menu_SmplPeakDet", "Peak Detect", 'P');
    m.sampling->addSeparator();
    m.samplingItems =
        radio<4>(m.sampling, "RadioGroup24_Sampling",
                 {"Menu_Smpl_2000", "Menu_Smpl_5000", "Menu_Smpl_10000", "Menu_Smpl_Max"},
                 {"2000", "5000", "10000", "20000 (A or A+D)"});
    m.divisions = addSubmenu(m.options, "Menu_Divisions", "Divisions");
    m.divisionItems =
        radio<5>(m.divisions, "RadioGroup26_Divisions",
                 {"Menu_10_Div", "Menu_20_Div", "Menu_50_Div", "Menu_100_Div", "Menu_200_Div"},
                 {"10", "20", "50", "100", "200"});
    m.maxFps = addSubmenu(m.options, "Menu_Max_FPS", "FPS (max)");
    m.fpsItems =
        radio<5>(m.maxFps, "RadioGroup27_Max_FPS",
                 {"Menu_FPS_8", "Menu_FPS_15", "Menu_FPS_25", "Menu_FPS_40", "Menu_FPS_NO_LIM"},
                 {"8", "15", "25", "40", "No Limit"});
    m.freqMeter = addSubmenu(m.options, "Menu_FreqMeter", "Freq. Meter Input");
    m.freqMeterItems = radio<6>(
        m.freqMeter, "RadioGroup29_FreqMeter",
        {"Menu_FM_A1", "Menu_FM_A2", "Menu_FM_D1", "Menu_FM_D2", "Menu_FM_D1_HF", "Menu_FM_D2_HF"},
        {"CH A1", "CH A2", "CH D1", "CH D2", "CH D1 (HF)", "CH D2 (HF)"});
    m.options->addSeparator();
    m.fmCalibrate = item(m.options, "Menu_FM_Calibrate", "Freq. Meter Calibrate...");
    m.zeroCalibrate = item(m.options, "Menu_ZeroCalibrate", "Zero Calibrate...", 'Z');
    m.tdcCalibrate = item(m.options, "Menu_TDCCalibrate", "TDC Calibrate...", 'X');
}

void buildView(MainMenu& m, QMenuBar* bar) {
    m.view = submenu(bar, "Menu_View", "View");
    bar->addMenu(m.view);
    const char* channelNames[] = {"Menu_CH_A1", "Menu_CH_A2", "Menu_CH_D1", "Menu_CH_D2"};
    const char* channelCaptions[] = {"CH A1", "CH A2", "CH D1", "CH D2"};
    for (int i = 0; i < 4; ++i)
        m.channels[i] = toggle(m.view, channelNames[i], channelCaptions[i]);
    m.view->addSeparator();
    m.markers1 = toggle(m.view, "Menu_Markers_1", "Markers 1");
    m.markers2 = toggle(m.view, "Menu_Markers_2", "Markers 2");
    m.measure = toggle(m.view, "Menu_Measure", "Measure", 'M');
    m.grid = toggle(m.view, "Menu_Grid", "Grid", 'G');
    m.trigPosLine = toggle(m.view, "Menu_TrigPosL", "Trig. Position");
    m.extraInfo = toggle(m.view, "Menu_Extra_Info", "Extra Info");
    m.generatorView = toggle(m.view, "Menu_Gen_View", "Generator");
    m.view->addSeparator();
    m.backgroundView = toggle(m.view, "Menu_BG_View", "B.G. Oscillogram");
    m.backgroundSwap = item(m.view, "Menu_BG_Do", "Main <-> B.G. Oscillogram", 'B');
    m.backgroundClear = item(m.view, "Menu_BG_Clr", "Clear B.G. Oscillogram");
    m.view->addSeparator();
    m.drawMode = addSubmenu(m.view, "Menu_DrawMode", "Draw Mode");
    m.drawModeItems =
        radio<3>(m.drawMode, "RadioGroup32_DrawMode", {"Menu_Dots", "Menu_Vectors", "Menu_Sinxx"},
                 {"Dots", "Vectors", "Sin(x)/x"});
    m.lenta = toggle(m.view, "Menu_Lenta", "Scroll (0.1 .. 20 S/Div)");
    m.view->addSeparator();
    m.fftA1 = toggle(m.view, "Menu_FFT_A1", "FFT A1");
    m.fftA2 = toggle(m.view, "Menu_FFT_A2", "FFT A2");
    m.view->addSeparator();
    m.colors = item(m.view, "Menu_Colors", "Colors...");
    m.onTop = toggle(m.view, "Menu_On_Top", "Always On Top");
    m.language = addSubmenu(m.view, "Menu_Language", "Language");
    const auto languages = radio<2>(m.language, "RadioGroup37_Language",
                                    {"Menu_Russian", "Menu_English"}, {"Russian", "English"});
    m.russian = languages[0];
    m.english = languages[1];
    m.compact = toggle(m.view, "Menu_Compact", "Compact View", 'C');
}

void buildHelp(MainMenu& m, QMenuBar* bar) {
    m.help = submenu(bar, "Menu_Help", "Help");
    bar->addMenu(m.help);
    m.helpContents = item(m.help, "Menu_Help_Contents", "Contents");
    m.about = item(m.help, "Menu_About", "About...");
}

template <std::size_t N> void checkOne(const std::array<QAction*, N>& actions, int selected) {
    for (std::size_t i = 0; i < N; ++i)
        actions[i]->setChecked(static_cast<int>(i) == selected);
}

} // namespace

MainMenu buildMainMenu(QMenuBar* bar) {
    MainMenu m;
    buildFile(m, bar);
    buildOptions(m, bar);
    buildView(m, bar);
    buildHelp(m, bar);
    return m;
}

void mirrorMainMenu(MainMenu& m, const ScopeState& s, const PanelView& view) {
    const VariantView& v = view.variant;
    const CommonSection& c = s.Common;

    m.exportBinary[1]->setVisible(v.a2Visible);
    m.exportBinary[3]->setVisible(v.d2Visible);
    m.recorder->setVisible(view.service.recorderVisible);
    m.device->menuAction()->setVisible(view.service.deviceMenuVisible);
    m.deviceSeparator->setVisible(view.service.deviceMenuVisible);
    for (std::size_t i = 0; i < m.deviceItems.size(); ++i) {
        const std::string_view name = kVariants[i].name;
        const bool serviceItem =
            name == "ZR4000" || name == "ZR4000A" || name == "ZR4002A" || name == "ZR4003A";
        if (serviceItem)
            m.deviceItems[i]->setVisible(view.service.deviceServiceItemsVisible);
    }
    checkOne(m.deviceItems, v.checkedDeviceItem);

    m.generatorSet->setVisible(v.generatorVisible);
    checkOne(m.probeA1Items, groupSelection(s, GroupId::Probe_A1));
    checkOne(m.probeA2Items, groupSelection(s, GroupId::Probe_A2));
    m.probeA2->menuAction()->setVisible(v.a2Visible);
    m.peakDetect->setChecked(c.SmplPeakDet);
    checkOne(m.samplingItems, groupSelection(s, GroupId::Sampling));
    m.samplingItems[static_cast<std::size_t>(Sampling::N10000)]->setVisible(v.longRecordsVisible);
    m.samplingItems[static_cast<std::size_t>(Sampling::N20000)]->setVisible(v.longRecordsVisible);
    checkOne(m.divisionItems, groupSelection(s, GroupId::Divisions));
    checkOne(m.fpsItems, groupSelection(s, GroupId::Max_FPS));
    checkOne(m.freqMeterItems, groupSelection(s, GroupId::FreqMeter));
    m.freqMeterItems[static_cast<std::size_t>(FreqMeter::A2)]->setVisible(v.a2Visible);
    m.freqMeterItems[static_cast<std::size_t>(FreqMeter::D2)]->setVisible(v.d2Visible);
    m.freqMeterItems[static_cast<std::size_t>(FreqMeter::D2_HF)]->setVisible(v.d2Visible);
    m.freqMeter->menuAction()->setVisible(v.freqMeterVisible);
    m.fmCalibrate->setVisible(v.freqMeterVisible);
    m.tdcCalibrate->setVisible(view.service.tdcCalibrateVisible);

    const bool shown[] = {c.CH_A1, c.CH_A2, c.CH_D1, c.CH_D2};
    for (int i = 0; i < 4; ++i)
        m.channels[i]->setChecked(shown[i]);
    m.channels[1]->setVisible(v.a2Visible);
    m.channels[3]->setVisible(v.d2Visible);
    m.markers1->setChecked(c.Markers_1);
    m.markers2->setChecked(c.Markers_2);
    m.measure->setChecked(c.Measure);
    m.grid->setChecked(c.Grid);
    m.trigPosLine->setChecked(c.TrigPosL);
    m.extraInfo->setChecked(c.Extra_Info);
    m.generatorView->setChecked(c.Generator);
    m.generatorView->setVisible(v.generatorVisible);
    m.backgroundView->setChecked(s.Run.bgView);
    checkOne(m.drawModeItems, groupSelection(s, GroupId::DrawMode));
    m.lenta->setChecked(c.Lenta);
    m.fftA1->setChecked(s.FFT_A1.View);
    m.fftA2->setChecked(s.FFT_A2.View);
    m.fftA1->setEnabled(c.CH_A1);
    m.fftA2->setEnabled(c.CH_A2);
    m.fftA2->setVisible(v.a2Visible);
    m.onTop->setChecked(c.On_Top);
    m.russian->setChecked(c.Russian);
    m.english->setChecked(!c.Russian);
    m.compact->setChecked(s.Run.compact);
}

} // namespace qs40
