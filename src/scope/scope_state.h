// The scope state: every front-panel setting, view option, generator and FFT option, colour,
// calibration value and service switch, nested by configuration section so that its shape is
// the configuration file's shape. One record, one truth: the widgets mirror it.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace qs40 {

// ---------------------------------------------------------------------------------------------
// Capability bits: the low five bits of Device_Type_Code.

enum Capability : std::uint32_t {
    kCapA2 = 0x01,        // second analog channel
    kCapD2 = 0x02,        // second digital channel
    kCapGenerator = 0x04, // signal generator
    kCapFreqMeter = 0x08, // frequency meter (and its calibration value Time)
    kCapLongRecords = 0x10,
};

inline constexpr std::int32_t kDefaultDeviceTypeCode = 28;

struct VariantInfo {
    std::int32_t code;
    std::string_view name;
};

// The known variants in the order of the Device menu.
inline constexpr std::array<VariantInfo, 7> kVariants{{
    {0, "ZR4000"},
    {24, "ZR4000A"},
    {28, "ZR4001A"},
    {25, "ZR4002"},
    {27, "ZR4002A"},
    {31, "ZR4003"},
    {63, "ZR4003A"},
}};

inline constexpr bool hasCapability(std::int32_t deviceTypeCode, std::uint32_t mask) {
    return (static_cast<std::uint32_t>(deviceTypeCode) & mask) == mask;
}

// ---------------------------------------------------------------------------------------------
// Enumerated groups. Member order is the key order of the configuration file.

enum class TimeDiv : std::uint8_t {
    T20S, T10S, T5S, T2S, T1S, T500mS, T200mS, T100mS, T50mS, T20mS, T10mS, T5mS, T2mS, T1mS,
    T05mS, T02mS, T01mS, T50uS, T20uS, T10uS, T5uS, T2uS, T1uS, T05uS, T02uS, T01uS, T50nS,
};
enum class VoltsDiv : std::uint8_t { V2, V1, V05, V02, mV100, mV50 };
enum class TrigSource : std::uint8_t { A1, A2, D1, D2 };
enum class GenRange : std::uint8_t { R10K_1S, R100K_100mS, R1M_10mS, R10M_1mS, R50M_100uS, Noise };
enum class GenWave : std::uint8_t { Sin, Rect, Trian, Up_Trian, Dn_Trian };
enum class GenMode : std::uint8_t { Mod, Pulse, F_Sweep };
enum class Probe : std::uint8_t { x1, x10, x100 };
enum class Sampling : std::uint8_t { N2000, N5000, N10000, N20000 };
enum class Divisions : std::uint8_t { D10, D20, D50, D100, D200 };
enum class MaxFps : std::uint8_t { F8, F15, F25, F40, NoLimit };
enum class FreqMeter : std::uint8_t { A1, A2, D1, D2, D1_HF, D2_HF };
enum class DrawMode : std::uint8_t { Dots, Vectors, Sinxx };

// What a click or a loaded key may do to a group.
enum class GroupKind : std::uint8_t {
    Exclusive, // exactly one member always selected
    Optional,  // at most one member selected
    RadioMenu, // normally one checked; loading may leave none
};

// The groups in the order of their table (groupDef). Count is no group: it counts them.
enum class GroupId : std::uint8_t {
    TimeDiv, VoltsDiv_A1, VoltsDiv_A2, TrigSource, GenRange, GenWave, GenMode,
    Probe_A1, Probe_A2, Sampling, Divisions, Max_FPS, FreqMeter, DrawMode,
    Count
};
inline constexpr int kGroupCount = static_cast<int>(GroupId::Count);

struct GroupMember {
    std::string_view key;     // configuration key of the member
    std::string_view caption; // design caption (may be empty for picture buttons)
    std::uint32_t capability; // capability bits the member needs (0: always present)
};

struct GroupDef {
    GroupId id;
    std::string_view name;
    std::string_view section; // configuration section the member keys live in
    GroupKind kind;
    std::uint32_t capability; // capability bits the whole group needs
    std::span<const GroupMember> members;
};

const GroupDef& groupDef(GroupId id);
std::span<const GroupDef> allGroups();

// ---------------------------------------------------------------------------------------------
// The record, section by section.

struct SystemSection {
    std::int32_t Device_Type_Code = kDefaultDeviceTypeCode;
    bool Debug_qs = false;   // service switch 1
    bool No_Excuse = false;  // service switch 2
    bool TDC_Clbr = false;   // offers the TDC calibration
    bool Keep_Pulse = false; // keeps the pulse timing valid
};

struct CommonSection {
    bool Markers_1 = false;
    bool Markers_2 = true;
    std::int32_t Marker_x = 25, Marker_y = 240;
    std::int32_t Marker1_x = 25, Marker1_y = 240;
    std::int32_t Marker2_x = 475, Marker2_y = 16;
    bool CH_A1 = true, CH_A2 = true, CH_D1 = true, CH_D2 = true;
    bool Measure = true;
    bool Grid = true;
    bool TrigPosL = true;
    bool Extra_Info = false;
    bool Generator = true; // generator panel shown
    std::optional<qs40::DrawMode> DrawMode = qs40::DrawMode::Sinxx;
    bool On_Top = false;
    bool SmplPeakDet = false;
    std::optional<qs40::Sampling> Sampling = qs40::Sampling::N5000;
    std::optional<qs40::Divisions> Divisions = qs40::Divisions::D10;
    std::optional<MaxFps> Max_FPS = MaxFps::F25;
    std::optional<Probe> Probe_A1 = Probe::x1;
    std::optional<Probe> Probe_A2 = Probe::x1;
    std::optional<qs40::FreqMeter> FreqMeter = qs40::FreqMeter::A1;
    bool Russian = true;
    bool Lenta = false; // roll (scroll) display for the slow time bases
};

struct ScopeSection {
    qs40::TimeDiv TimeDiv = qs40::TimeDiv::T1mS;
    VoltsDiv VoltsDiv_A1 = VoltsDiv::V1;
    VoltsDiv VoltsDiv_A2 = VoltsDiv::V1;
    bool A1_ACDC = false; // true: AC coupling
    bool A2_ACDC = false;
    std::int32_t A1_Zero = 191;
    std::int32_t A2_Zero = 63;
};

struct TriggerSection {
    std::optional<TrigSource> Source; // none: free running
    bool Edge = false;                // true: falling edge
    bool Auto = false;
    double Lev_A1 = 191.0;
    double Lev_A2 = 63.0;
    std::int32_t Pre = 1;  // 0 off, n divisions before the trigger point
    std::int32_t N = 1;    // trigger count 1..255
    std::int32_t Hyst = 1; // noise reject 0..5
};

struct CalibrateSection {
    std::int32_t Time = 0; // frequency-meter time-base correction
    std::int32_t Z_A1P1 = 3357, Z_A1P2 = 725, Z_A1SH = 0;
    std::int32_t Z_A2P1 = 3357, Z_A2P2 = 725, Z_A2SH = 0;
};

struct GeneratorSection {
    GenRange Range = GenRange::R10K_1S;
    GenWave Wave = GenWave::Sin;
    std::optional<GenMode> Mode; // none: plain waveform
    std::int32_t F_fast = 100;   // 0..1000
    std::int32_t F_slow = 0;     // 0..1000
    // Position of the amplitude bar. The design position 0 is kept inside the bar's range
    // (11..386, or 0..511 in service mode) by keepAmplInRange().
    std::int32_t Ampl = 0;
    std::int32_t Mod_Type = 0; // 0 AM, 1 FM
    std::int32_t Mod_Freq = 100;
    std::int32_t Mod_Freq_x = 0;
    std::int32_t Mod_K = 700;
    std::int32_t Mod_K_x = 0;
    std::int32_t Dev_Freq = 300;
    std::int32_t Dev_Freq_x = 0;
};

struct FftViewSection {
    bool View = false;
};

struct FftSection {
    std::int32_t Size = 2;  // 1024 << Size
    std::int32_t Win = 2;   // 0 rectangular, 1 Hann, 2 flat top
    std::int32_t Scale = 0; // 0 dBV, 1..3 dBm at 50, 75, 600 Ohm
    bool dbv_v = false;     // spectrum in volts instead of dBV
};

// Colour references are 0x00BBGGRR: red in the low byte.
using ColorRef = std::uint32_t;

struct ColorsSection {
    ColorRef CH_A1 = 0x00FF00;
    ColorRef CH_A2 = 0x00FFFF;
    ColorRef CH_D1 = 0xFFFF00;
    ColorRef CH_D2 = 0xFF00FF;
    ColorRef Background = 0x000000;
    ColorRef Border = 0x000000;
    ColorRef Markers = 0x808080;
    ColorRef Grid = 0x800000;
    ColorRef Grid_Frame = 0xC08000;
    ColorRef Trig_Pos = 0x808000;
    ColorRef FFT = 0xFF00FF;
    ColorRef Extra_Info = 0xC08000;
};

// What the instrument reports about itself; written to the configuration file for reference.
struct InstrumentInfo {
    std::int32_t firmwareVersion = -1; // -1 until reported
    std::int32_t fpgaVersion = -1;
    bool serialValid = false;
    std::uint16_t serialPrefix = 0; // status bytes 21-22
    std::uint32_t serialNumber = 0; // status bytes 17-20
    bool tdcValid = false;
    std::array<std::uint8_t, 4> tdc{}; // rise A1, fall A1, rise A2, fall A2
    bool vccValid = false;
    std::int32_t vcc = 0; // hundredths of a volt
    bool identified = false;
    std::int32_t hardwareCode = 0; // the instrument's own variant code
};

// Run state: not stored.
struct RunState {
    bool runDown = false;  // SpeedButton_Run down
    bool snglDown = false; // SpeedButton_Sngl down (one optional group with Run)
    bool running = false;  // refreshed from the buttons by apply-and-start; cleared by a single end
    bool single = false;
    bool generatorOn = false; // SpeedButton_GenOn down
    bool tPlus = false;
    bool compact = false;
    bool bgView = false;
};

// Scale-change marks: set by a channel's volts/div buttons, label button and probe items, so
// that the next parameter computation keeps the channel's trigger level at the same voltage.
// The computation clears them. Not stored.
struct ScaleChangeMarks {
    bool A1 = false, A2 = false;
    // Volts per division (microvolts, probe included) of the last computation; 0 before the
    // first one.
    std::int32_t lastVoltsDivA1 = 0, lastVoltsDivA2 = 0;
};

struct DataFileName {
    std::string name; // without folder
    bool valid = false;
};

// Process-wide values outside the stored record.
struct SessionState {
    std::string workingFolder;
    DataFileName current;
    DataFileName background;
};

struct ScopeState {
    SystemSection System;
    CommonSection Common;
    ScopeSection Scope;
    TriggerSection Trigger;
    CalibrateSection Calibrate;
    GeneratorSection Generator;
    FftViewSection FFT_A1;
    FftViewSection FFT_A2;
    FftSection FFT;
    ColorsSection Colors;
    InstrumentInfo Instrument;
    RunState Run;
    ScaleChangeMarks ScaleChange;
    SessionState Session;

    bool has(std::uint32_t capability) const {
        return hasCapability(System.Device_Type_Code, capability);
    }
    bool serviceMode() const { return System.Debug_qs || System.No_Excuse; }
    bool russian() const { return Common.Russian; }
};

// ---------------------------------------------------------------------------------------------
// Group selection: generic access by member index (-1: none selected).

int groupSelection(const ScopeState& state, GroupId id);
// Sets the selection as is, without group rules; -1 clears it (ignored for exclusive groups).
void setGroupSelection(ScopeState& state, GroupId id, int member);

// A click on a member's button or menu item: exclusive and radio groups select it (a click on
// the selected member leaves it selected); optional groups toggle it.
void clickGroupMember(ScopeState& state, GroupId id, int member);

// A Boolean key of a member read from a file: exclusive groups take a true member and ignore a
// false one; optional and radio groups select a true member and release a false selected one.
void loadGroupMember(ScopeState& state, GroupId id, int member, bool value);

// Finds a member by its key, ignoring letter case; -1 when the group has no such key.
int findGroupMember(GroupId id, std::string_view key);

// Values the members stand for.
std::int64_t timeDivNs(TimeDiv t);
std::int32_t voltsDivMicrovolts(VoltsDiv v);
int probeFactor(std::optional<Probe> p); // none behaves as x1
// FFT length for the stored Size: 1024 << Size, with Size limited to 0..5.
std::int32_t fftLength(std::int32_t size);

// The amplitude bar's range: 0..511 in service mode, else 11..386.
struct IntRange {
    std::int32_t min, max;
};
IntRange amplRange(const ScopeState& state);
void keepAmplInRange(ScopeState& state);

// True when the stored member of a group exists on the current variant.
bool memberPresent(const ScopeState& state, GroupId id, int member);

} // namespace qs40
