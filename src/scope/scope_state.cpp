#include "scope/scope_state.h"

#include <algorithm>
#include <cctype>
#include <stdexcept>

namespace qs40 {
namespace {

constexpr GroupMember kTimeDiv[] = {
    {"20S", "20S", 0},     {"10S", "10S", 0},     {"5S", "5S", 0},       {"2S", "2S", 0},
    {"1S", "1S", 0},       {"500mS", "0,5S", 0},  {"200mS", "0,2S", 0},  {"100mS", "0,1S", 0},
    {"50mS", "50mS", 0},   {"20mS", "20mS", 0},   {"10mS", "10mS", 0},   {"5mS", "5mS", 0},
    {"2mS", "2mS", 0},     {"1mS", "1mS", 0},     {"05mS", "0,5mS", 0},  {"02mS", "0,2mS", 0},
    {"01mS", "0,1mS", 0},  {"50uS", "50uS", 0},   {"20uS", "20uS", 0},   {"10uS", "10uS", 0},
    {"5uS", "5uS", 0},     {"2uS", "2uS", 0},     {"1uS", "1uS", 0},     {"05uS", "0,5uS", 0},
    {"02uS", "0,2uS", 0},  {"01uS", "0,1uS", 0},  {"50nS", "50nS", 0},
};
constexpr GroupMember kVoltsA1[] = {
    {"A1_2V", "2V", 0},       {"A1_1V", "1V", 0},     {"A1_05V", "0,5V", 0},
    {"A1_02V", "0,2V", 0},    {"A1_100mV", "100mV", 0}, {"A1_50mV", "50mV", 0},
};
constexpr GroupMember kVoltsA2[] = {
    {"A2_2V", "2V", 0},       {"A2_1V", "1V", 0},     {"A2_05V", "0,5V", 0},
    {"A2_02V", "0,2V", 0},    {"A2_100mV", "100mV", 0}, {"A2_50mV", "50mV", 0},
};
constexpr GroupMember kTrigSource[] = {
    {"CH_A1", "A1", 0}, {"CH_A2", "A2", kCapA2}, {"CH_D1", "D1", 0}, {"CH_D2", "D2", kCapD2},
};
constexpr GroupMember kGenRange[] = {
    {"10K_1S", "10K", 0},  {"100K_100mS", "100K", 0}, {"1M_10mS", "1M", 0},
    {"10M_1mS", "10M", 0}, {"50M_100uS", "50M", 0},   {"__10uS_Noise", "Noise", 0},
};
constexpr GroupMember kGenWave[] = {
    {"Sin", "", 0}, {"Rect", "", 0}, {"Trian", "", 0}, {"Up_Trian", "", 0}, {"Dn_Trian", "", 0},
};
constexpr GroupMember kGenMode[] = {
    {"Mod", "Mod.", 0}, {"Pulse", "Pulse", 0}, {"F_Sweep", "Sweep", 0},
};
constexpr GroupMember kProbeA1[] = {{"A1_x1", "x1", 0}, {"A1_x10", "x10", 0}, {"A1_x100", "x100", 0}};
constexpr GroupMember kProbeA2[] = {{"A2_x1", "x1", 0}, {"A2_x10", "x10", 0}, {"A2_x100", "x100", 0}};
constexpr GroupMember kSampling[] = {
    {"Smpl_N_2000", "2000", 0},
    {"Smpl_N_5000", "5000", 0},
    {"Smpl_N_10000", "10000", kCapLongRecords},
    {"Smpl_N_20000", "20000 (A or A+D)", kCapLongRecords},
};
constexpr GroupMember kDivisions[] = {
    {"Sig_10_Div", "10", 0}, {"Sig_20_Div", "20", 0},   {"Sig_50_Div", "50", 0},
    {"Sig_100_Div", "100", 0}, {"Sig_200_Div", "200", 0},
};
constexpr GroupMember kMaxFps[] = {
    {"FPS_8", "8", 0}, {"FPS_15", "15", 0}, {"FPS_25", "25", 0}, {"FPS_40", "40", 0},
    {"FPS_NO_LIM", "No Limit", 0},
};
constexpr GroupMember kFreqMeter[] = {
    {"FM_A1", "CH A1", 0},
    {"FM_A2", "CH A2", kCapA2},
    {"FM_D1", "CH D1", 0},
    {"FM_D2", "CH D2", kCapD2},
    {"FM_D1_HF", "CH D1 (HF)", 0},
    {"FM_D2_HF", "CH D2 (HF)", kCapD2},
};
constexpr GroupMember kDrawMode[] = {{"Dots", "Dots", 0}, {"Vectors", "Vectors", 0}, {"Sinxx", "Sin(x)/x", 0}};

constexpr GroupDef kGroups[kGroupCount] = {
    {GroupId::TimeDiv, "TimeDiv", "Scope", GroupKind::Exclusive, 0, kTimeDiv},
    {GroupId::VoltsDiv_A1, "VoltsDiv_A1", "Scope", GroupKind::Exclusive, 0, kVoltsA1},
    {GroupId::VoltsDiv_A2, "VoltsDiv_A2", "Scope", GroupKind::Exclusive, kCapA2, kVoltsA2},
    {GroupId::TrigSource, "TrigSource", "Trigger", GroupKind::Optional, 0, kTrigSource},
    {GroupId::GenRange, "GenRange", "Generator", GroupKind::Exclusive, kCapGenerator, kGenRange},
    {GroupId::GenWave, "GenWave", "Generator", GroupKind::Exclusive, kCapGenerator, kGenWave},
    {GroupId::GenMode, "GenMode", "Generator", GroupKind::Optional, kCapGenerator, kGenMode},
    {GroupId::Probe_A1, "Probe_A1", "Common", GroupKind::RadioMenu, 0, kProbeA1},
    {GroupId::Probe_A2, "Probe_A2", "Common", GroupKind::RadioMenu, kCapA2, kProbeA2},
    {GroupId::Sampling, "Sampling", "Common", GroupKind::RadioMenu, 0, kSampling},
    {GroupId::Divisions, "Divisions", "Common", GroupKind::RadioMenu, 0, kDivisions},
    {GroupId::Max_FPS, "Max_FPS", "Common", GroupKind::RadioMenu, 0, kMaxFps},
    {GroupId::FreqMeter, "FreqMeter", "Common", GroupKind::RadioMenu, kCapFreqMeter, kFreqMeter},
    {GroupId::DrawMode, "DrawMode", "Common", GroupKind::RadioMenu, 0, kDrawMode},
};

template <class E>
int indexOf(const std::optional<E>& v) {
    return v ? static_cast<int>(*v) : -1;
}
template <class E>
int indexOf(E v) {
    return static_cast<int>(v);
}
template <class E>
void assign(std::optional<E>& field, int member) {
    if (member < 0)
        field.reset();
    else
        field = static_cast<E>(member);
}
template <class E>
void assign(E& field, int member) {
    if (member >= 0)
        field = static_cast<E>(member);
}

bool equalsNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

// Calls f with a reference to the state field that holds the group's selection.
template <class State, class F>
constexpr decltype(auto) withGroupField(State& s, GroupId id, F&& f) {
    switch (id) {
    case GroupId::TimeDiv: return f(s.Scope.TimeDiv);
    case GroupId::VoltsDiv_A1: return f(s.Scope.VoltsDiv_A1);
    case GroupId::VoltsDiv_A2: return f(s.Scope.VoltsDiv_A2);
    case GroupId::TrigSource: return f(s.Trigger.Source);
    case GroupId::GenRange: return f(s.Generator.Range);
    case GroupId::GenWave: return f(s.Generator.Wave);
    case GroupId::GenMode: return f(s.Generator.Mode);
    case GroupId::Probe_A1: return f(s.Common.Probe_A1);
    case GroupId::Probe_A2: return f(s.Common.Probe_A2);
    case GroupId::Sampling: return f(s.Common.Sampling);
    case GroupId::Divisions: return f(s.Common.Divisions);
    case GroupId::Max_FPS: return f(s.Common.Max_FPS);
    case GroupId::FreqMeter: return f(s.Common.FreqMeter);
    case GroupId::DrawMode: return f(s.Common.DrawMode);
    case GroupId::Count: break;
    }
    throw std::invalid_argument("unknown group");
}

// The table against its enum, checked while compiling. Row i describes GroupId i, so that a group
// added to one and not the other, or a row out of place, fails the build. A group's kind fits
// the field that holds its selection: an exclusive group always has one (a plain value), the
// others may have none (an optional). Every group has members, and no two of its keys differ
// only in letter case (files find them ignoring case).

// The sections that hold selections: unlike the whole state they can be built while compiling.
struct GroupSections {
    ScopeSection Scope;
    TriggerSection Trigger;
    GeneratorSection Generator;
    CommonSection Common;
};

template <class E>
constexpr bool mayBeNone(const std::optional<E>&) {
    return true;
}
template <class E>
constexpr bool mayBeNone(const E&) {
    return false;
}

constexpr char lowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

constexpr bool sameKey(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lowerAscii(a[i]) != lowerAscii(b[i]))
            return false;
    return true;
}

constexpr bool keysDistinct(std::span<const GroupMember> members) {
    for (std::size_t i = 0; i < members.size(); ++i) {
        if (members[i].key.empty())
            return false;
        for (std::size_t j = 0; j < i; ++j)
            if (sameKey(members[i].key, members[j].key))
                return false;
    }
    return true;
}

constexpr bool groupTableFitsItsEnum() {
    GroupSections sections;
    for (std::size_t i = 0; i < std::size(kGroups); ++i) {
        const GroupDef& g = kGroups[i];
        if (static_cast<std::size_t>(g.id) != i || g.members.empty() || !keysDistinct(g.members))
            return false;
        const bool optional =
            withGroupField(sections, g.id, [](const auto& field) { return mayBeNone(field); });
        if (optional != (g.kind != GroupKind::Exclusive))
            return false;
    }
    return true;
}
static_assert(std::size(kGroups) == kGroupCount);
static_assert(groupTableFitsItsEnum(), "the group table does not follow GroupId");

bool validMember(GroupId id, int member) {
    return member >= 0 && static_cast<std::size_t>(member) < groupDef(id).members.size();
}

} // namespace

const GroupDef& groupDef(GroupId id) {
    const auto i = static_cast<std::size_t>(id);
    if (i >= std::size(kGroups))
        throw std::invalid_argument("unknown group");
    return kGroups[i];
}

std::span<const GroupDef> allGroups() { return kGroups; }

int groupSelection(const ScopeState& state, GroupId id) {
    return withGroupField(state, id, [](const auto& field) { return indexOf(field); });
}

void setGroupSelection(ScopeState& state, GroupId id, int member) {
    if (member >= 0 && !validMember(id, member))
        throw std::out_of_range("group member out of range");
    withGroupField(state, id, [member](auto& field) { assign(field, member); });
}

void clickGroupMember(ScopeState& state, GroupId id, int member) {
    if (!validMember(id, member))
        throw std::out_of_range("group member out of range");
    if (groupDef(id).kind == GroupKind::Optional && groupSelection(state, id) == member)
        setGroupSelection(state, id, -1);
    else
        setGroupSelection(state, id, member);
}

void loadGroupMember(ScopeState& state, GroupId id, int member, bool value) {
    if (!validMember(id, member))
        throw std::out_of_range("group member out of range");
    if (value) {
        setGroupSelection(state, id, member);
        return;
    }
    // A false key releases its member, except in exclusive groups where one stays selected.
    if (groupDef(id).kind != GroupKind::Exclusive && groupSelection(state, id) == member)
        setGroupSelection(state, id, -1);
}

int findGroupMember(GroupId id, std::string_view key) {
    const auto members = groupDef(id).members;
    for (std::size_t i = 0; i < members.size(); ++i)
        if (equalsNoCase(members[i].key, key))
            return static_cast<int>(i);
    return -1;
}

std::int64_t timeDivNs(TimeDiv t) {
    static constexpr std::int64_t kNs[] = {
        20'000'000'000, 10'000'000'000, 5'000'000'000, 2'000'000'000, 1'000'000'000,
        500'000'000,    200'000'000,    100'000'000,   50'000'000,    20'000'000,
        10'000'000,     5'000'000,      2'000'000,     1'000'000,     500'000,
        200'000,        100'000,        50'000,        20'000,        10'000,
        5'000,          2'000,          1'000,         500,           200,
        100,            50,
    };
    return kNs[static_cast<std::size_t>(t)];
}

std::int32_t voltsDivMicrovolts(VoltsDiv v) {
    static constexpr std::int32_t kUv[] = {2'000'000, 1'000'000, 500'000, 200'000, 100'000, 50'000};
    return kUv[static_cast<std::size_t>(v)];
}

int probeFactor(std::optional<Probe> p) {
    if (!p)
        return 1;
    switch (*p) {
    case Probe::x10: return 10;
    case Probe::x100: return 100;
    case Probe::x1: break;
    }
    return 1;
}

std::int32_t fftLength(std::int32_t size) { return 1024 << std::clamp(size, 0, 5); }

IntRange amplRange(const ScopeState& state) {
    return state.serviceMode() ? IntRange{0, 511} : IntRange{11, 386};
}

void keepAmplInRange(ScopeState& state) {
    const auto r = amplRange(state);
    state.Generator.Ampl = std::clamp(state.Generator.Ampl, r.min, r.max);
}

bool memberPresent(const ScopeState& state, GroupId id, int member) {
    const auto& def = groupDef(id);
    if (!state.has(def.capability))
        return false;
    if (!validMember(id, member))
        return false;
    return state.has(def.members[static_cast<std::size_t>(member)].capability);
}

} // namespace qs40
