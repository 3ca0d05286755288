#include "files/config_io.h"

#include "config_recording_ui.h"
#include "temp_folder.h"

#include <gtest/gtest.h>

namespace qs40 {
namespace {

namespace fs = std::filesystem;
using testing::readFile;
using testing::RecordingUi;
using testing::TempFolder;
using testing::writeFile;

// Golden texts are written with "\n"; the file has "\r\n".
std::string crlf(std::string_view text) {
    std::string out;
    for (char c : text) {
        if (c == '\n')
            out += '\r';
        out += c;
    }
    return out;
}

std::string written(const ScopeState& state, ConfigMode mode, IniFile ini = {}) {
    writeConfiguration(ini, state, mode);
    return ini.text();
}

ScopeState readFrom(const std::string& text, ConfigMode mode, bool variantFirst,
                    ScopeState state = {}) {
    readConfiguration(IniFile::parse(text), state, mode, variantFirst);
    return state;
}

// The configuration file that the default state writes on a first start (variant ZR4001A:
// generator, frequency meter, long records; no A2, no D2).
TEST(ConfigWrite, TheDefaultStateWritesThisConfigurationFile) {
    const std::string expected = crlf(R"([System]
Soft_Ver=~204~
Device_Type=~ZR4001A~
Device_Type_Code=28

[Common]
Markers_1=0
Markers_2=1
CH_A1=1
CH_D1=1
Measure=1
Grid=1
TrigPosL=1
Extra_Info=0
Generator=1
Dots=0
Vectors=0
Sinxx=1
On_Top=0
SmplPeakDet=0
Smpl_N_2000=0
Smpl_N_5000=1
Smpl_N_10000=0
Smpl_N_20000=0
Sig_10_Div=1
Sig_20_Div=0
Sig_50_Div=0
Sig_100_Div=0
Sig_200_Div=0
FPS_8=0
FPS_15=0
FPS_25=1
FPS_40=0
FPS_NO_LIM=0
A1_x1=1
A1_x10=0
A1_x100=0
FM_A1=1
FM_D1=0
FM_D1_HF=0
Russian=1
Lenta=0

[Scope]
20S=0
10S=0
5S=0
2S=0
1S=0
500mS=0
200mS=0
100mS=0
50mS=0
20mS=0
10mS=0
5mS=0
2mS=0
1mS=1
05mS=0
02mS=0
01mS=0
50uS=0
20uS=0
10uS=0
5uS=0
2uS=0
1uS=0
05uS=0
02uS=0
01uS=0
50nS=0
A1_2V=0
A1_1V=1
A1_05V=0
A1_02V=0
A1_100mV=0
A1_50mV=0
A1_ACDC=0
A1_Zero=191

[Trigger]
CH_A1=0
CH_D1=0
Edge=0
Auto=0
Lev_A1=191
Lev_A1_fine=0
Pre=1
N=1
Hyst=1

[Calibrate]
Time=0
Z_A1P1=3357
Z_A1P2=725
Z_A1SH=0

[Generator]
10K_1S=1
100K_100mS=0
1M_10mS=0
10M_1mS=0
50M_100uS=0
__10uS_Noise=0
Sin=1
Rect=0
Trian=0
Up_Trian=0
Dn_Trian=0
Mod=0
Pulse=0
F_Sweep=0
F_fast=100
F_slow=0
Ampl=0
Mod_Type=0
Mod_Freq=100
Mod_Freq_x=0
Mod_K=700
Mod_K_x=0
Dev_Freq=300
Dev_Freq_x=0

[FFT]
Size=2
Win=2
Scale=0
dbv_v=0

[Colors]
CH_A1=65280
CH_D1=16776960
Background=0
Border=0
Markers=8421504
Grid=8388608
Grid_Frame=12615680
Trig_Pos=8421376
FFT=16711935
Extra_Info=12615680

)");
    EXPECT_EQ(written(ScopeState{}, ConfigMode::Configuration), expected);
}

TEST(ConfigWrite, InstrumentInformationIsWrittenOnceReported) {
    ScopeState s;
    s.System.Device_Type_Code = 31;
    s.Instrument.serialValid = true;
    s.Instrument.serialPrefix = 0x12;
    s.Instrument.serialNumber = 0xABCD;
    s.Instrument.firmwareVersion = 7;
    s.Instrument.fpgaVersion = 12;
    s.Instrument.tdcValid = true;
    s.Instrument.tdc = {11, 12, 13, 14};
    s.Instrument.vccValid = true;
    s.Instrument.vcc = 498;
    const std::string text = written(s, ConfigMode::Configuration);
    EXPECT_EQ(text.substr(0, text.find("\r\n\r\n") + 4), crlf(R"([System]
Ser_Num=~0012 - 0000ABCD~
Soft_Ver=~204~
Firm_Ver=~7~
FPGA_Ver=~12~
TDC_Rise_A1=~11~
TDC_Fall_A1=~12~
TDC_Rise_A2=~13~
TDC_Fall_A2=~14~
Vcc=~4.98~
Device_Type=~ZR4003~
Device_Type_Code=31

)"));
    // Without A2 the second pair of TDC values is left out.
    s.System.Device_Type_Code = 28;
    EXPECT_EQ(written(s, ConfigMode::Configuration).find("TDC_Rise_A2"), std::string::npos);
}

TEST(ConfigWrite, FileModeCarriesMarkersAndViewsButNoInstrumentValues) {
    ScopeState s;
    s.System.Device_Type_Code = 31;
    s.Instrument.firmwareVersion = 7;
    s.Common.Marker2_x = 300;
    s.FFT_A2.View = true;
    // The target already has these sections: a companion or a settings file written over.
    const IniFile target =
        IniFile::parse("[Calibrate]\nZ_A1P1=1\n[Colors]\nGrid=5\n[Own]\nx=1\n[FFT_A1]\nView=1\n");
    const IniFile ini = IniFile::parse(written(s, ConfigMode::File, target));
    EXPECT_EQ(ini.sectionNames(),
              (std::vector<std::string>{"Own", "FFT_A1", "System", "Common", "Scope", "Trigger",
                                        "Generator", "FFT_A2", "FFT"}));
    EXPECT_EQ(ini.keyNames("System"),
              (std::vector<std::string>{"Device_Type", "Device_Type_Code"}));
    EXPECT_EQ(ini.readInteger("Common", "Marker2_x", 0), 300);
    EXPECT_FALSE(ini.value("Common", "On_Top"));
    EXPECT_FALSE(ini.value("Common", "Russian"));
    EXPECT_EQ(ini.value("FFT_A1", "View"), "0");
    EXPECT_EQ(ini.value("FFT_A2", "View"), "1");
}

TEST(ConfigWrite, ConfigurationModeLeavesMarkersAndViewsOut) {
    ScopeState s;
    s.Common.Marker_x = 100;
    const IniFile ini = IniFile::parse(written(s, ConfigMode::Configuration));
    for (const char* key :
         {"Marker_x", "Marker_y", "Marker1_x", "Marker1_y", "Marker2_x", "Marker2_y"})
        EXPECT_FALSE(ini.value("Common", key)) << key;
    EXPECT_FALSE(ini.hasSection("FFT_A1"));
    EXPECT_FALSE(ini.hasSection("FFT_A2"));
}

TEST(ConfigWrite, LevelsAreStoredAsAWholePartAndMillionths) {
    struct Case {
        double level;
        const char* whole;
        const char* fine;
    };
    for (const Case& c :
         {Case{191.25, "191", "250000"}, Case{63.0, "63", "0"}, Case{-3.75, "-3", "-750000"},
          Case{10.0000005, "10", "1"}, Case{0.9999996, "0", "1000000"},
          Case{1e12, "2147483647", "2147483647"}}) {
        ScopeState s;
        s.Trigger.Lev_A1 = c.level;
        const IniFile ini = IniFile::parse(written(s, ConfigMode::File));
        EXPECT_EQ(ini.value("Trigger", "Lev_A1"), c.whole) << c.level;
        EXPECT_EQ(ini.value("Trigger", "Lev_A1_fine"), c.fine) << c.level;
    }
}

TEST(ConfigRead, LevelsReadBackFromTheirTwoParts) {
    EXPECT_EQ(readFrom("[Trigger]\nLev_A1=191\nLev_A1_fine=250000\n", ConfigMode::File, false)
                  .Trigger.Lev_A1,
              191.25);
    // A missing fine part drops the fraction; a missing whole part keeps the current one.
    ScopeState s;
    s.Trigger.Lev_A1 = 100.75;
    EXPECT_EQ(readFrom("[Trigger]\nLev_A1=120\n", ConfigMode::File, false, s).Trigger.Lev_A1,
              120.0);
    EXPECT_EQ(
        readFrom("[Trigger]\nLev_A1_fine=500000\n", ConfigMode::File, false, s).Trigger.Lev_A1,
        100.5);
    EXPECT_EQ(readFrom("[Other]\n", ConfigMode::File, false, s).Trigger.Lev_A1, 100.0);
}

TEST(ConfigRead, AMissingFileKeepsTheStateAndGivesTheLiteralDefaults) {
    TempFolder dir;
    ScopeState s;
    s.Scope.TimeDiv = TimeDiv::T2uS;
    s.Common.Marker_x = 77;
    s.Calibrate.Z_A1P1 = 1;
    s.Calibrate.Time = 9;
    s.Colors.Grid = 0x123456;
    s.System.Debug_qs = true;
    s.System.No_Excuse = true;
    s.System.Device_Type_Code = 31;
    readConfigurationFile(dir / "qs40.ini", s, ConfigMode::Configuration, true);
    EXPECT_EQ(s.Scope.TimeDiv, TimeDiv::T2uS);
    EXPECT_EQ(s.Common.Marker_x, 77);
    EXPECT_EQ(s.System.Device_Type_Code, 31);
    EXPECT_EQ(s.Calibrate.Z_A1P1, 3357);
    EXPECT_EQ(s.Calibrate.Time, 0);
    EXPECT_EQ(s.Colors.Grid, 0x800000u);
    EXPECT_FALSE(s.System.Debug_qs);
    EXPECT_FALSE(s.System.No_Excuse);
    EXPECT_FALSE(fs::exists(dir / "qs40.ini"));
}

TEST(ConfigFile, TheFirstWriteCreatesTheFileWithSystemFirst) {
    TempFolder dir;
    RecordingUi ui;
    ASSERT_TRUE(writeConfigurationFile(dir / "qs40.ini", ScopeState{}, ConfigMode::Configuration,
                                       ui, "qs40"));
    EXPECT_TRUE(ui.boxes.empty());
    const std::string text = readFile(dir / "qs40.ini");
    EXPECT_EQ(text, written(ScopeState{}, ConfigMode::Configuration));
    EXPECT_EQ(text.rfind("[System]\r\n", 0), 0u);
}

TEST(ConfigFile, AConfigurationFolderThatDoesNotExistYetIsCreated) {
    TempFolder dir;
    RecordingUi ui;
    EXPECT_TRUE(writeConfigurationFile(dir / "home" / "qs40" / "qs40.ini", ScopeState{},
                                       ConfigMode::Configuration, ui, "qs40"));
    EXPECT_TRUE(fs::exists(dir / "home" / "qs40" / "qs40.ini"));
}

TEST(ConfigFile, AFailedWriteIsReportedAndKeepsTheOldFile) {
    TempFolder dir;
    fs::create_directory(dir / "qs40.ini"); // nothing can be renamed over a folder
    RecordingUi ui;
    EXPECT_FALSE(writeConfigurationFile(dir / "qs40.ini", ScopeState{}, ConfigMode::Configuration,
                                        ui, "qs40"));
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].caption, "qs40");
    EXPECT_EQ(ui.boxes[0].icon, BoxIcon::Stop);
    EXPECT_EQ(ui.boxes[0].buttons, BoxButtons::Ok);
    EXPECT_NE(ui.boxes[0].text.find((dir / "qs40.ini").string()), std::string::npos);
    EXPECT_TRUE(fs::is_directory(dir / "qs40.ini"));
    EXPECT_EQ(dir.entryCount(), 1u);

    // A file in the way of the folder: the folder cannot be made, the write says why.
    writeFile(dir / "plain", "x");
    EXPECT_FALSE(writeConfigurationFile(dir / "plain" / "qs40.ini", ScopeState{},
                                        ConfigMode::Configuration, ui, "qs40"));
    EXPECT_EQ(ui.boxes.size(), 2u);
    EXPECT_EQ(readFile(dir / "plain"), "x");
}

// A configuration written by a variant with A2 and read by one without A2 keeps its A2 keys
// until that variant writes; the write drops them from the rewritten sections, [Colors]
// included, and leaves [System] as it was.
TEST(ConfigFile, A2KeysSurviveUntilAVariantWithoutA2Writes) {
    TempFolder dir;
    const fs::path path = dir / "qs40.ini";
    RecordingUi ui;
    ScopeState withA2;
    withA2.System.Device_Type_Code = 31;
    withA2.Instrument.tdcValid = true;
    withA2.Scope.A2_Zero = 80;
    withA2.Colors.CH_A2 = 0x0000FF;
    ASSERT_TRUE(writeConfigurationFile(path, withA2, ConfigMode::Configuration, ui, "qs40"));
    // A hand-edited service switch.
    std::string text = readFile(path);
    text.insert(text.find("\r\n") + 2, "Debug_qs=1\r\n");
    writeFile(path, text);

    ScopeState without;
    without.System.Device_Type_Code = 28;
    without.Scope.A2_Zero = 40;
    readConfigurationFile(path, without, ConfigMode::Configuration, false);
    EXPECT_EQ(without.Scope.A2_Zero, 40);
    EXPECT_EQ(without.Colors.CH_A2, 0x00FFFFu);
    EXPECT_TRUE(without.System.Debug_qs);
    EXPECT_EQ(without.System.Device_Type_Code, 31); // changed, but not the keys of that read
    EXPECT_NE(readFile(path).find("A2_Zero=80"), std::string::npos);

    without.System.Device_Type_Code = 28;
    ASSERT_TRUE(writeConfigurationFile(path, without, ConfigMode::Configuration, ui, "qs40"));
    const IniFile after = IniFile::load(path);
    for (const char* section : {"Common", "Scope", "Trigger", "Calibrate", "Colors"})
        for (const std::string& key : after.keyNames(section))
            EXPECT_EQ(key.find("A2"), std::string::npos) << section << "." << key;
    EXPECT_EQ(after.value("System", "TDC_Rise_A2"), "~0~");
    EXPECT_EQ(after.value("System", "Debug_qs"), "1");
    EXPECT_EQ(after.keyNames("System")[0], "Debug_qs");
    EXPECT_EQ(after.keyNames("System")[1], "Soft_Ver");
    EXPECT_EQ(after.sectionNames()[0], "System");
}

TEST(ConfigRead, VariantFirstLetsTheStoredVariantDecideWhatIsRead) {
    const std::string text = "[System]\nDevice_Type_Code=0x1F\n[Scope]\nA2_Zero=99\n";
    ScopeState s;
    s.System.Device_Type_Code = 28;
    const ScopeState first = readFrom(text, ConfigMode::Configuration, true, s);
    EXPECT_EQ(first.System.Device_Type_Code, 31);
    EXPECT_EQ(first.Scope.A2_Zero, 99);
    const ScopeState later = readFrom(text, ConfigMode::Configuration, false, s);
    EXPECT_EQ(later.System.Device_Type_Code, 31);
    EXPECT_EQ(later.Scope.A2_Zero, 63);
    // File mode reads no [System] key.
    const ScopeState file = readFrom(text, ConfigMode::File, false, s);
    EXPECT_EQ(file.System.Device_Type_Code, 28);
}

TEST(ConfigRead, ServiceSwitchesAreReadInConfigurationModeOnly) {
    const std::string text =
        "[System]\nDebug_qs=1\nTDC_Clbr=$1\nKeep_Pulse=2\nNo_Excuse=x\n[Common]\nRussian=0\n"
        "On_Top=1\n[Calibrate]\nZ_A1SH=-4\n[Colors]\nGrid=0xFF\n";
    const ScopeState c = readFrom(text, ConfigMode::Configuration, true);
    EXPECT_TRUE(c.System.Debug_qs);
    EXPECT_TRUE(c.System.TDC_Clbr);
    EXPECT_TRUE(c.System.Keep_Pulse);
    EXPECT_FALSE(c.System.No_Excuse);
    EXPECT_FALSE(c.Common.Russian);
    EXPECT_TRUE(c.Common.On_Top);
    EXPECT_EQ(c.Calibrate.Z_A1SH, -4);
    EXPECT_EQ(c.Colors.Grid, 0xFFu);

    ScopeState before;
    before.Calibrate.Z_A1SH = 5;
    const ScopeState f = readFrom(text, ConfigMode::File, false, before);
    EXPECT_FALSE(f.System.Debug_qs);
    EXPECT_TRUE(f.Common.Russian);
    EXPECT_FALSE(f.Common.On_Top);
    EXPECT_EQ(f.Calibrate.Z_A1SH, 5);
    EXPECT_EQ(f.Colors.Grid, 0x800000u);
}

TEST(ConfigRead, KeysAreFoundWhateverTheirCase) {
    const ScopeState s =
        readFrom("[GENERATOR]\n50m_100uS=1\n[scope]\na1_zero=0x10\n", ConfigMode::File, false);
    EXPECT_EQ(s.Generator.Range, GenRange::R50M_100uS);
    EXPECT_EQ(s.Scope.A1_Zero, 16);
}

TEST(ConfigRead, IntegerFieldsAreTakenAsReadAndTheAmplitudeStaysInItsRange) {
    const ScopeState s = readFrom("[Scope]\nA1_Zero=1000\n[Trigger]\nN=-7\nPre=x\n[Generator]\n"
                                  "Ampl=0\nF_fast=5000\n",
                                  ConfigMode::File, false);
    EXPECT_EQ(s.Scope.A1_Zero, 1000);
    EXPECT_EQ(s.Trigger.N, -7);
    EXPECT_EQ(s.Trigger.Pre, 1);
    EXPECT_EQ(s.Generator.F_fast, 5000);
    EXPECT_EQ(s.Generator.Ampl, 11);
    ScopeState service;
    service.System.Debug_qs = true;
    EXPECT_EQ(readFrom("[Generator]\nAmpl=0\n", ConfigMode::File, false, service).Generator.Ampl,
              0);
}

// Group keys are applied one by one with the group's rule, so the result follows the key order.
struct GroupCase {
    const char* name;
    std::string text;
    void (*check)(const ScopeState&);
};
void PrintTo(const GroupCase& c, std::ostream* os) {
    *os << c.name;
}

class ConfigGroups : public ::testing::TestWithParam<GroupCase> {};

TEST_P(ConfigGroups, FollowTheKeyOrder) {
    ScopeState s;
    s.System.Device_Type_Code = 31;
    s.Trigger.Source = TrigSource::A1;
    GetParam().check(readFrom(GetParam().text, ConfigMode::File, false, s));
}

INSTANTIATE_TEST_SUITE_P(
    Read, ConfigGroups,
    ::testing::Values(
        GroupCase{"ExclusiveWithoutATrueKeyKeepsItsSelection", "[Scope]\n20S=0\n1mS=0\n50nS=0\n",
                  [](const ScopeState& s) { EXPECT_EQ(s.Scope.TimeDiv, TimeDiv::T1mS); }},
        GroupCase{"ExclusiveTakesTheLastTrueKey", "[Scope]\n2S=1\n1mS=0\n5uS=1\n10uS=0\n",
                  [](const ScopeState& s) { EXPECT_EQ(s.Scope.TimeDiv, TimeDiv::T5uS); }},
        GroupCase{"OptionalReleasesOnAFalseKey", "[Trigger]\nCH_A1=0\n",
                  [](const ScopeState& s) { EXPECT_FALSE(s.Trigger.Source); }},
        GroupCase{"OptionalTakesTheLastTrueKey", "[Trigger]\nCH_A2=1\nCH_D1=1\nCH_D2=0\n",
                  [](const ScopeState& s) { EXPECT_EQ(s.Trigger.Source, TrigSource::D1); }},
        GroupCase{"OptionalKeepsASelectionItsKeysDoNotName", "[Trigger]\nCH_D1=0\n",
                  [](const ScopeState& s) { EXPECT_EQ(s.Trigger.Source, TrigSource::A1); }},
        GroupCase{"RadioMenuUnchecksOnAFalseKey", "[Common]\nSmpl_N_5000=0\n",
                  [](const ScopeState& s) { EXPECT_FALSE(s.Common.Sampling); }},
        GroupCase{"RadioMenuIgnoresAFalseKeyOfAnotherMember", "[Common]\nFPS_8=1\nFPS_25=0\n",
                  [](const ScopeState& s) { EXPECT_EQ(s.Common.Max_FPS, MaxFps::F8); }},
        GroupCase{"RadioMenuTakesTheLastTrueKey", "[Common]\nFM_D2_HF=1\nFM_A2=1\nFM_D1=0\n",
                  [](const ScopeState& s) { EXPECT_EQ(s.Common.FreqMeter, FreqMeter::D2_HF); }},
        GroupCase{"GeneratorModeTakesItsTrueMember", "[Generator]\nMod=0\nPulse=1\nF_Sweep=0\n",
                  [](const ScopeState& s) { EXPECT_EQ(s.Generator.Mode, GenMode::Pulse); }},
        GroupCase{"SingleTogglesTakeTheirValue", "[Scope]\nA1_ACDC=1\n[Trigger]\nEdge=5\n",
                  [](const ScopeState& s) {
                      EXPECT_TRUE(s.Scope.A1_ACDC);
                      EXPECT_TRUE(s.Trigger.Edge);
                      EXPECT_FALSE(s.Trigger.Auto);
                  }},
        GroupCase{"NonIntegerGroupKeysChangeNothing", "[Scope]\n1mS=off\n5S=yes\n",
                  [](const ScopeState& s) { EXPECT_EQ(s.Scope.TimeDiv, TimeDiv::T1mS); }}),
    [](const ::testing::TestParamInfo<GroupCase>& info) { return std::string(info.param.name); });

TEST(ConfigRead, KeysOfMissingPartsAreNotRead) {
    ScopeState s;
    s.System.Device_Type_Code = 0; // A1 and D1 only
    s.Common.Sampling = Sampling::N5000;
    const ScopeState r = readFrom("[Common]\nSmpl_N_20000=1\nFM_D1=1\nCH_D2=0\n[Trigger]\nCH_D2=1\n"
                                  "[Generator]\nF_fast=1\n[Calibrate]\nTime=5\n",
                                  ConfigMode::Configuration, false, s);
    EXPECT_EQ(r.Common.Sampling, Sampling::N5000);
    EXPECT_EQ(r.Common.FreqMeter, FreqMeter::A1);
    EXPECT_TRUE(r.Common.CH_D2);
    EXPECT_FALSE(r.Trigger.Source);
    EXPECT_EQ(r.Generator.F_fast, 100);
    EXPECT_EQ(r.Calibrate.Time, 0);
}

TEST(ConfigRead, ColoursAreReadAsIntegersOfTheColourReference) {
    const ScopeState s = readFrom("[Colors]\nCH_A1=255\nBackground=$FFFFFF\nFFT=bad\n",
                                  ConfigMode::Configuration, false);
    EXPECT_EQ(s.Colors.CH_A1, 0x0000FFu);
    EXPECT_EQ(s.Colors.Background, 0xFFFFFFu);
    EXPECT_EQ(s.Colors.FFT, 0xFF00FFu);
}

// Everything that a settings file carries comes back as it was.
TEST(ConfigRoundTrip, StateThroughFileModeAndBack) {
    ScopeState s;
    s.System.Device_Type_Code = 31;
    s.Common.Markers_1 = true;
    s.Common.Markers_2 = false;
    s.Common.Marker_x = 1;
    s.Common.Marker_y = 2;
    s.Common.Marker1_x = 3;
    s.Common.Marker1_y = 4;
    s.Common.Marker2_x = 5;
    s.Common.Marker2_y = 6;
    s.Common.CH_A2 = false;
    s.Common.Extra_Info = true;
    s.Common.DrawMode = DrawMode::Dots;
    s.Common.SmplPeakDet = true;
    s.Common.Sampling.reset();
    s.Common.Divisions = Divisions::D200;
    s.Common.Max_FPS = MaxFps::NoLimit;
    s.Common.Probe_A1 = Probe::x100;
    s.Common.Probe_A2 = Probe::x10;
    s.Common.FreqMeter = FreqMeter::D2_HF;
    s.Common.Lenta = true;
    s.Scope.TimeDiv = TimeDiv::T50nS;
    s.Scope.VoltsDiv_A1 = VoltsDiv::mV50;
    s.Scope.VoltsDiv_A2 = VoltsDiv::V2;
    s.Scope.A1_ACDC = true;
    s.Scope.A2_ACDC = true;
    s.Scope.A1_Zero = 10;
    s.Scope.A2_Zero = 250;
    s.Trigger.Source = TrigSource::D2;
    s.Trigger.Edge = true;
    s.Trigger.Auto = true;
    s.Trigger.Lev_A1 = 191.25;
    s.Trigger.Lev_A2 = -12.5;
    s.Trigger.Pre = 9;
    s.Trigger.N = 255;
    s.Trigger.Hyst = 5;
    s.Generator.Range = GenRange::Noise;
    s.Generator.Wave = GenWave::Dn_Trian;
    s.Generator.Mode = GenMode::F_Sweep;
    s.Generator.F_fast = 7;
    s.Generator.F_slow = 900;
    s.Generator.Ampl = 300;
    s.Generator.Mod_Type = 1;
    s.Generator.Mod_Freq = 5;
    s.Generator.Mod_Freq_x = 1;
    s.Generator.Mod_K = 6;
    s.Generator.Mod_K_x = 1;
    s.Generator.Dev_Freq = 8;
    s.Generator.Dev_Freq_x = 1;
    s.FFT_A1.View = true;
    s.FFT_A2.View = true;
    s.FFT = {5, 1, 3, true};

    const std::string text = written(s, ConfigMode::File);
    ScopeState back;
    back.System.Device_Type_Code = 31;
    readConfiguration(IniFile::parse(text), back, ConfigMode::File, false);
    EXPECT_EQ(written(back, ConfigMode::File), text);
    EXPECT_EQ(back.Trigger.Lev_A1, 191.25);
    EXPECT_EQ(back.Trigger.Lev_A2, -12.5);
    EXPECT_FALSE(back.Common.Sampling);
    EXPECT_EQ(back.Generator.Mode, GenMode::F_Sweep);
    EXPECT_EQ(back.Common.Marker2_y, 6);
}

} // namespace
} // namespace qs40
