// The key schedule of the configuration and settings files: which keys each section holds, in
// the order they are written and read, with the capability bits and modes that admit them. The
// reader and the writer both walk this one schedule, so the two can never disagree on a key.
//
// A visitor provides:
//   section(name)                                  keys that follow belong to this section
//   boolean(key, bool& field, caps, modes)
//   integer(key, std::int32_t& field, caps, modes, readDefault)
//   markerCoordinate(key, std::int32_t& field)     written in file mode only, read in both
//   level(wholeKey, fineKey, double& field, caps)  a trigger level as two integers
//   color(key, ColorRef& field, caps, readDefault)
//   group(GroupId)                                 one Boolean key per member, in member order
// "caps" are the capability bits the key needs; "modes" the modes it is stored in. Fields are
// references into the state (const for the writer).
#pragma once

#include "scope/scope_state.h"

#include <cstdint>
#include <optional>

namespace qs40 {

enum class ConfigMode { Configuration, File };

// Modes a key is stored in.
enum ModeSet : std::uint8_t {
    kInConfiguration = 1,
    kInFile = 2,
    kInBoth = kInConfiguration | kInFile,
};

inline bool modeAdmits(std::uint8_t modes, ConfigMode mode) {
    return (modes & (mode == ConfigMode::Configuration ? kInConfiguration : kInFile)) != 0;
}

template <class V, class S> void visitCommonKeys(V& v, S& s) {
    auto& c = s.Common;
    v.section("Common");
    v.boolean("Markers_1", c.Markers_1, 0, kInBoth);
    v.boolean("Markers_2", c.Markers_2, 0, kInBoth);
    v.markerCoordinate("Marker_x", c.Marker_x);
    v.markerCoordinate("Marker_y", c.Marker_y);
    v.markerCoordinate("Marker1_x", c.Marker1_x);
    v.markerCoordinate("Marker1_y", c.Marker1_y);
    v.markerCoordinate("Marker2_x", c.Marker2_x);
    v.markerCoordinate("Marker2_y", c.Marker2_y);
    v.boolean("CH_A1", c.CH_A1, 0, kInBoth);
    v.boolean("CH_A2", c.CH_A2, kCapA2, kInBoth);
    v.boolean("CH_D1", c.CH_D1, 0, kInBoth);
    v.boolean("CH_D2", c.CH_D2, kCapD2, kInBoth);
    v.boolean("Measure", c.Measure, 0, kInBoth);
    v.boolean("Grid", c.Grid, 0, kInBoth);
    v.boolean("TrigPosL", c.TrigPosL, 0, kInBoth);
    v.boolean("Extra_Info", c.Extra_Info, 0, kInBoth);
    v.boolean("Generator", c.Generator, kCapGenerator, kInBoth);
    v.group(GroupId::DrawMode);
    v.boolean("On_Top", c.On_Top, 0, kInConfiguration);
    v.boolean("SmplPeakDet", c.SmplPeakDet, 0, kInBoth);
    v.group(GroupId::Sampling);
    v.group(GroupId::Divisions);
    v.group(GroupId::Max_FPS);
    v.group(GroupId::Probe_A1);
    v.group(GroupId::Probe_A2);
    v.group(GroupId::FreqMeter);
    v.boolean("Russian", c.Russian, 0, kInConfiguration);
    v.boolean("Lenta", c.Lenta, 0, kInBoth);
}

template <class V, class S> void visitScopeKeys(V& v, S& s) {
    auto& sc = s.Scope;
    v.section("Scope");
    v.group(GroupId::TimeDiv);
    v.group(GroupId::VoltsDiv_A1);
    v.boolean("A1_ACDC", sc.A1_ACDC, 0, kInBoth);
    v.integer("A1_Zero", sc.A1_Zero, 0, kInBoth, std::nullopt);
    v.group(GroupId::VoltsDiv_A2);
    v.boolean("A2_ACDC", sc.A2_ACDC, kCapA2, kInBoth);
    v.integer("A2_Zero", sc.A2_Zero, kCapA2, kInBoth, std::nullopt);
}

template <class V, class S> void visitTriggerKeys(V& v, S& s) {
    auto& t = s.Trigger;
    v.section("Trigger");
    v.group(GroupId::TrigSource);
    v.boolean("Edge", t.Edge, 0, kInBoth);
    v.boolean("Auto", t.Auto, 0, kInBoth);
    v.level("Lev_A1", "Lev_A1_fine", t.Lev_A1, 0);
    v.level("Lev_A2", "Lev_A2_fine", t.Lev_A2, kCapA2);
    v.integer("Pre", t.Pre, 0, kInBoth, std::nullopt);
    v.integer("N", t.N, 0, kInBoth, std::nullopt);
    v.integer("Hyst", t.Hyst, 0, kInBoth, std::nullopt);
}

// Calibration values belong to the instrument: configuration file only.
template <class V, class S> void visitCalibrateKeys(V& v, S& s) {
    auto& c = s.Calibrate;
    v.section("Calibrate");
    v.integer("Time", c.Time, kCapFreqMeter, kInConfiguration, 0);
    v.integer("Z_A1P1", c.Z_A1P1, 0, kInConfiguration, 3357);
    v.integer("Z_A1P2", c.Z_A1P2, 0, kInConfiguration, 725);
    v.integer("Z_A1SH", c.Z_A1SH, 0, kInConfiguration, 0);
    v.integer("Z_A2P1", c.Z_A2P1, kCapA2, kInConfiguration, 3357);
    v.integer("Z_A2P2", c.Z_A2P2, kCapA2, kInConfiguration, 725);
    v.integer("Z_A2SH", c.Z_A2SH, kCapA2, kInConfiguration, 0);
}

template <class V, class S> void visitGeneratorKeys(V& v, S& s) {
    auto& g = s.Generator;
    constexpr std::uint32_t kGen = kCapGenerator;
    v.section("Generator");
    v.group(GroupId::GenRange);
    v.group(GroupId::GenWave);
    v.group(GroupId::GenMode);
    v.integer("F_fast", g.F_fast, kGen, kInBoth, std::nullopt);
    v.integer("F_slow", g.F_slow, kGen, kInBoth, std::nullopt);
    v.integer("Ampl", g.Ampl, kGen, kInBoth, std::nullopt);
    v.integer("Mod_Type", g.Mod_Type, kGen, kInBoth, std::nullopt);
    v.integer("Mod_Freq", g.Mod_Freq, kGen, kInBoth, std::nullopt);
    v.integer("Mod_Freq_x", g.Mod_Freq_x, kGen, kInBoth, std::nullopt);
    v.integer("Mod_K", g.Mod_K, kGen, kInBoth, std::nullopt);
    v.integer("Mod_K_x", g.Mod_K_x, kGen, kInBoth, std::nullopt);
    v.integer("Dev_Freq", g.Dev_Freq, kGen, kInBoth, std::nullopt);
    v.integer("Dev_Freq_x", g.Dev_Freq_x, kGen, kInBoth, std::nullopt);
}

// The spectrum view switches travel with settings files only.
template <class V, class S> void visitFftViewKeys(V& v, S& s) {
    v.section("FFT_A1");
    v.boolean("View", s.FFT_A1.View, 0, kInFile);
    v.section("FFT_A2");
    v.boolean("View", s.FFT_A2.View, kCapA2, kInFile);
}

template <class V, class S> void visitFftKeys(V& v, S& s) {
    auto& f = s.FFT;
    v.section("FFT");
    v.integer("Size", f.Size, 0, kInBoth, std::nullopt);
    v.integer("Win", f.Win, 0, kInBoth, std::nullopt);
    v.integer("Scale", f.Scale, 0, kInBoth, std::nullopt);
    v.boolean("dbv_v", f.dbv_v, 0, kInBoth);
}

// Colours belong to the installation: configuration file only.
template <class V, class S> void visitColorKeys(V& v, S& s) {
    auto& c = s.Colors;
    v.section("Colors");
    v.color("CH_A1", c.CH_A1, 0, 0x00FF00);
    v.color("CH_A2", c.CH_A2, kCapA2, 0x00FFFF);
    v.color("CH_D1", c.CH_D1, 0, 0xFFFF00);
    v.color("CH_D2", c.CH_D2, kCapD2, 0xFF00FF);
    v.color("Background", c.Background, 0, 0x000000);
    v.color("Border", c.Border, 0, 0x000000);
    v.color("Markers", c.Markers, 0, 0x808080);
    v.color("Grid", c.Grid, 0, 0x800000);
    v.color("Grid_Frame", c.Grid_Frame, 0, 0xC08000);
    v.color("Trig_Pos", c.Trig_Pos, 0, 0x808000);
    v.color("FFT", c.FFT, 0, 0xFF00FF);
    v.color("Extra_Info", c.Extra_Info, 0, 0xC08000);
}

// Every section after [System], in file order. Sections that a mode or the variant excludes
// are skipped as a whole.
template <class V, class S>
void visitStateKeys(V& v, S& s, ConfigMode mode, std::int32_t capabilityCode) {
    visitCommonKeys(v, s);
    visitScopeKeys(v, s);
    visitTriggerKeys(v, s);
    if (mode == ConfigMode::Configuration)
        visitCalibrateKeys(v, s);
    if (hasCapability(capabilityCode, kCapGenerator))
        visitGeneratorKeys(v, s);
    if (mode == ConfigMode::File)
        visitFftViewKeys(v, s);
    visitFftKeys(v, s);
    if (mode == ConfigMode::Configuration)
        visitColorKeys(v, s);
}

} // namespace qs40
