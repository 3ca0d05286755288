#include "scope/scope_state.h"

#include <gtest/gtest.h>

namespace qs40 {
namespace {

TEST(ScopeState, DefaultsFollowTheTables) {
    ScopeState s;
    EXPECT_EQ(s.System.Device_Type_Code, 28);
    EXPECT_EQ(s.Scope.TimeDiv, TimeDiv::T1mS);
    EXPECT_EQ(s.Scope.VoltsDiv_A1, VoltsDiv::V1);
    EXPECT_EQ(s.Scope.A1_Zero, 191);
    EXPECT_EQ(s.Scope.A2_Zero, 63);
    EXPECT_DOUBLE_EQ(s.Trigger.Lev_A1, 191.0);
    EXPECT_FALSE(s.Trigger.Source.has_value());
    EXPECT_EQ(s.Common.Sampling, Sampling::N5000);
    EXPECT_EQ(s.Common.DrawMode, DrawMode::Sinxx);
    EXPECT_TRUE(s.Common.Markers_2);
    EXPECT_TRUE(s.Common.Russian);
    EXPECT_EQ(s.Colors.Grid, 0x800000u);
    EXPECT_EQ(s.Calibrate.Z_A1P1, 3357);
    EXPECT_EQ(s.Instrument.firmwareVersion, -1);
    // Default variant ZR4001A: generator, frequency meter, long records; no A2, no D2.
    EXPECT_TRUE(s.has(kCapGenerator | kCapFreqMeter | kCapLongRecords));
    EXPECT_FALSE(s.has(kCapA2));
    EXPECT_FALSE(s.has(kCapD2));
}

TEST(ScopeState, GroupKindsDecideWhatAClickDoes) {
    ScopeState s;
    // Exclusive: clicking the selected member keeps it.
    clickGroupMember(s, GroupId::TimeDiv, static_cast<int>(TimeDiv::T1mS));
    EXPECT_EQ(s.Scope.TimeDiv, TimeDiv::T1mS);
    clickGroupMember(s, GroupId::TimeDiv, static_cast<int>(TimeDiv::T50nS));
    EXPECT_EQ(s.Scope.TimeDiv, TimeDiv::T50nS);
    // Optional: a second click releases.
    clickGroupMember(s, GroupId::TrigSource, static_cast<int>(TrigSource::D1));
    EXPECT_EQ(s.Trigger.Source, TrigSource::D1);
    clickGroupMember(s, GroupId::TrigSource, static_cast<int>(TrigSource::D1));
    EXPECT_FALSE(s.Trigger.Source.has_value());
    // Radio menu: a click on the checked item keeps it.
    clickGroupMember(s, GroupId::Probe_A1, static_cast<int>(Probe::x10));
    clickGroupMember(s, GroupId::Probe_A1, static_cast<int>(Probe::x10));
    EXPECT_EQ(s.Common.Probe_A1, Probe::x10);
}

TEST(ScopeState, LoadedKeysFollowTheGroupKind) {
    struct Case {
        GroupId id;
        int before;
        int member;
        bool value;
        int after;
    };
    const Case cases[] = {
        // Exclusive: false on the selection is ignored, true selects.
        {GroupId::TimeDiv, 13, 13, false, 13},
        {GroupId::TimeDiv, 13, 2, true, 2},
        {GroupId::TimeDiv, 13, 2, false, 13},
        // Optional: false releases the selected member only.
        {GroupId::GenMode, 1, 1, false, -1},
        {GroupId::GenMode, 1, 0, false, 1},
        {GroupId::GenMode, -1, 2, true, 2},
        // Radio menu: false unchecks, leaving none.
        {GroupId::Sampling, 1, 1, false, -1},
        {GroupId::Sampling, 1, 3, true, 3},
    };
    for (const auto& c : cases) {
        ScopeState s;
        setGroupSelection(s, c.id, c.before);
        loadGroupMember(s, c.id, c.member, c.value);
        EXPECT_EQ(groupSelection(s, c.id), c.after)
            << groupDef(c.id).name << " member " << c.member << " = " << c.value;
    }
}

TEST(ScopeState, MemberKeysAreFoundWhateverTheirCase) {
    EXPECT_EQ(findGroupMember(GroupId::GenRange, "50m_100uS"), 4);
    EXPECT_EQ(findGroupMember(GroupId::TimeDiv, "05MS"), 14);
    EXPECT_EQ(findGroupMember(GroupId::TimeDiv, "7mS"), -1);
}

TEST(ScopeState, MembersOfMissingPartsAreAbsent) {
    ScopeState s;
    s.System.Device_Type_Code = 0;
    EXPECT_FALSE(memberPresent(s, GroupId::TrigSource, static_cast<int>(TrigSource::A2)));
    EXPECT_TRUE(memberPresent(s, GroupId::TrigSource, static_cast<int>(TrigSource::A1)));
    EXPECT_FALSE(memberPresent(s, GroupId::Sampling, static_cast<int>(Sampling::N10000)));
    EXPECT_FALSE(memberPresent(s, GroupId::GenWave, 0));
    s.System.Device_Type_Code = 31;
    EXPECT_TRUE(memberPresent(s, GroupId::FreqMeter, static_cast<int>(FreqMeter::D2_HF)));
}

TEST(ScopeState, AmplitudeStaysInsideTheBarsRange) {
    ScopeState s;
    s.Generator.Ampl = 0;
    keepAmplInRange(s);
    EXPECT_EQ(s.Generator.Ampl, 11);
    s.System.Debug_qs = true;
    s.Generator.Ampl = 0;
    keepAmplInRange(s);
    EXPECT_EQ(s.Generator.Ampl, 0);
    s.Generator.Ampl = 900;
    keepAmplInRange(s);
    EXPECT_EQ(s.Generator.Ampl, 511);
}

} // namespace
} // namespace qs40
