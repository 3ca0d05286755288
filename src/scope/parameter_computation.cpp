#include "scope/parameter_computation.h"

#include "scope/arith.h"
#include "scope/control_rules.h"
#include "scope/generator_parameters.h"
#include "scope/offset_code.h"

#include <algorithm>
#include <cmath>

namespace qs40 {
namespace {

// A rescaled trigger level keeps its voltage but stays finite and within what the
// configuration file's 32-bit whole part can hold.
constexpr double kLevelLimit = 1e9;

std::int64_t timePerDivision(TimeDiv t) {
    // A selection outside the group counts as none, which gives 50 ns.
    if (static_cast<unsigned>(t) > static_cast<unsigned>(TimeDiv::T50nS))
        return 50;
    return timeDivNs(t);
}

// --- Channels, record and time base -----------------------------------------------------------

void setRunAndRouting(const ScopeState& s, AcquisitionParams& p) {
    const CommonSection& c = s.Common;
    std::uint8_t run = s.Run.running || s.Run.single ? 0x80 : 0;
    std::uint8_t routing = 0;
    p.paired = !(c.CH_A1 && c.CH_A2) && !(c.CH_D1 && c.CH_D2);
    run |=
        (c.CH_A1 ? 0x01 : 0) | (c.CH_A2 ? 0x02 : 0) | (c.CH_D1 ? 0x04 : 0) | (c.CH_D2 ? 0x08 : 0);
    routing |= (c.CH_A2 ? 0x02 : 0) | (c.CH_D2 ? 0x04 : 0);
    if (p.paired) {
        // One analog and one digital channel take both halves of the record memory.
        if (c.CH_A1 || c.CH_A2)
            run |= 0x03;
        if (c.CH_D1 || c.CH_D2)
            run |= 0x0C;
        routing |= 0x01;
    }
    p.runBits = run;
    p.routingBits = routing;
}

std::int32_t recordLength(std::optional<Sampling> sampling, bool paired) {
    if (sampling == Sampling::N2000)
        return 2000;
    if (sampling == Sampling::N5000)
        return 5000;
    if (sampling == Sampling::N10000)
        return 10000;
    return paired ? 20000 : 10000;
}

std::int32_t divisionCount(std::optional<Divisions> d, std::int32_t n, bool peakDetect) {
    if (!d)
        return 10;
    switch (*d) {
    case Divisions::D20:
        return 20;
    case Divisions::D50:
        return 50;
    case Divisions::D100:
        return 100;
    case Divisions::D200:
        return n == 5000 && peakDetect ? 250 : 200;
    case Divisions::D10:
        break;
    }
    return 10;
}

std::uint32_t sampleDivider(std::int64_t timeDiv, std::int64_t u) {
    std::int64_t divider = u / 100;
    if (u == 125)
        divider = 2;
    else if (u == 250)
        divider = timeDiv / 10 == 50 ? 5 : 4;
    else if (u == 1250)
        divider = 20;
    return static_cast<std::uint32_t>(std::clamp<std::int64_t>(divider, 1, UINT32_MAX));
}

// Sets time per division, record length, divider; returns the pre-trigger unit.
std::int64_t setTimeBase(const ScopeState& s, AcquisitionParams& p) {
    const bool peak = s.Common.SmplPeakDet;
    p.timePerDivNs = timePerDivision(s.Scope.TimeDiv);
    p.recordLength = recordLength(s.Common.Sampling, p.paired);
    const std::int32_t d = divisionCount(s.Common.Divisions, p.recordLength, peak);
    const std::int64_t perDiv = (peak ? p.recordLength / 2 : p.recordLength) / d;
    const std::int64_t u = p.timePerDivNs * 10 / perDiv;
    p.divider = sampleDivider(p.timePerDivNs, u);
    std::int64_t unit = p.timePerDivNs / 10 / p.divider;
    if (peak && p.divider > 1)
        unit *= 2;
    return unit;
}

// --- Analog inputs ---------------------------------------------------------------------------

struct InputRange {
    std::int32_t microvolts;
    std::uint8_t code; // the input byte's bits 0..2
};

InputRange inputRange(VoltsDiv v) {
    switch (v) {
    case VoltsDiv::V2:
        return {2'000'000, 3};
    case VoltsDiv::V1:
        return {1'000'000, 7};
    case VoltsDiv::V05:
        return {500'000, 6};
    case VoltsDiv::V02:
        return {200'000, 4};
    case VoltsDiv::mV100:
        return {100'000, 1};
    case VoltsDiv::mV50:
        return {50'000, 0};
    }
    return {1'000'000, 7}; // a selection outside the group: the default 1V
}

void setInputs(const ScopeState& s, AcquisitionParams& p) {
    const InputRange a1 = inputRange(s.Scope.VoltsDiv_A1);
    const InputRange a2 = inputRange(s.Scope.VoltsDiv_A2);
    p.offsetA1 = offsetCode(s, 1, a1.microvolts);
    p.offsetA2 = offsetCode(s, 2, a2.microvolts);
    p.inputA1 = static_cast<std::uint8_t>(a1.code | (s.Run.generatorOn ? 0 : 0x08) |
                                          (s.Scope.A1_ACDC ? 0x10 : 0));
    p.inputA2 = static_cast<std::uint8_t>(a2.code | (s.Scope.A2_ACDC ? 0x10 : 0));
    p.voltsDivA1 = a1.microvolts * probeFactor(s.Common.Probe_A1);
    p.voltsDivA2 = a2.microvolts * probeFactor(s.Common.Probe_A2);
}

void rescaleLevel(double& level, double zero, double k) {
    const double v = (level - zero) * k + zero;
    if (std::isfinite(v))
        level = std::clamp(v, -kLevelLimit, kLevelLimit);
}

// A marked channel's trigger levels keep their voltage across the change of volts/div.
void applyScaleChange(bool& mark, std::int32_t& last, std::int32_t now, double& level,
                      std::int32_t zero, double& bgLevel, std::int32_t bgZero) {
    if (mark && last > 0 && now > 0) {
        const double k = static_cast<double>(last) / now;
        rescaleLevel(level, zero, k);
        rescaleLevel(bgLevel, bgZero, k);
    }
    mark = false;
    last = now;
}

void applyScaleChanges(ScopeState& s, const AcquisitionParams& p, BackgroundLevels& bg) {
    ScaleChangeMarks& m = s.ScaleChange;
    applyScaleChange(m.A1, m.lastVoltsDivA1, p.voltsDivA1, s.Trigger.Lev_A1, s.Scope.A1_Zero,
                     bg.Lev_A1, bg.A1_Zero);
    applyScaleChange(m.A2, m.lastVoltsDivA2, p.voltsDivA2, s.Trigger.Lev_A2, s.Scope.A2_Zero,
                     bg.Lev_A2, bg.A2_Zero);
}

// --- Trigger ---------------------------------------------------------------------------------

std::optional<std::uint8_t> frameInterval(std::optional<MaxFps> fps) {
    if (!fps)
        return std::nullopt;
    switch (*fps) {
    case MaxFps::F8:
        return 125;
    case MaxFps::F15:
        return 66;
    case MaxFps::F25:
        return 40;
    case MaxFps::F40:
        return 25;
    case MaxFps::NoLimit:
        return 10;
    }
    return std::nullopt;
}

std::uint8_t triggerModeBits(const ScopeState& s, const AcquisitionParams& p) {
    const auto src = s.Trigger.Source;
    std::uint8_t bits = 0;
    if (s.Common.SmplPeakDet && p.divider > 1)
        bits |= 0x01;
    if (src == TrigSource::D1 || src == TrigSource::D2)
        bits |= 0x02;
    if (src == TrigSource::A2 || src == TrigSource::D2)
        bits |= 0x04;
    if (s.Trigger.Edge)
        bits |= 0x10;
    if (s.Trigger.Auto)
        bits |= 0x20;
    return bits;
}

void setTriggerCounts(const ScopeState& s, std::int64_t preUnit, AcquisitionParams& p) {
    p.roll = slowTimeBase(s);
    if (p.roll) {
        if (!s.Run.snglDown)
            p.modeBits |= 0x08;
        p.rollBits = 3;
        p.preTrigger = 0;
        p.triggerCount = 0;
        return;
    }
    const std::int64_t pre = std::clamp(s.Trigger.Pre, 0, 9) * preUnit;
    p.preTrigger = static_cast<std::int32_t>(std::min<std::int64_t>(pre, INT32_MAX));
    p.triggerCount =
        s.Trigger.Source ? static_cast<std::uint8_t>(std::clamp(s.Trigger.N, 0, 255)) : 0;
}

std::int32_t hysteresis(std::int32_t hyst) {
    static constexpr std::int32_t kCodes[] = {0, 2, 3, 8, 16, 32};
    return kCodes[std::clamp(hyst, 0, 5)];
}

void setThresholds(double level, std::int32_t h, std::uint8_t& lower, std::uint8_t& upper) {
    const std::int32_t v = std::clamp(roundToInt32(level), 0, 255);
    lower = static_cast<std::uint8_t>(v > h ? v - h : 1);
    upper = static_cast<std::uint8_t>(v <= 255 - h ? v + h : 255);
}

void setFreqMeterInput(std::optional<FreqMeter> f, AcquisitionParams& p) {
    // FM_A1 1, FM_A2 2, FM_D1 3, FM_D2 4, FM_D1_HF 5, FM_D2_HF 6; none checked: unchanged.
    if (f && static_cast<unsigned>(*f) <= static_cast<unsigned>(FreqMeter::D2_HF))
        p.freqMeterInput = static_cast<std::uint8_t>(static_cast<unsigned>(*f) + 1);
}

std::int32_t drawMode(std::optional<DrawMode> d) {
    if (d == DrawMode::Vectors)
        return 1;
    if (d == DrawMode::Sinxx)
        return 2;
    return 0; // Dots, or none checked
}

} // namespace

void computeParameters(ScopeState& state, AcquisitionParams& params, BackgroundLevels& background,
                       PanelView& view) {
    AcquisitionParams& p = params;
    view.stayOnTop = state.Common.On_Top;
    p.markerMode = state.Common.Markers_2 ? 2 : state.Common.Markers_1 ? 1 : 0;

    setRunAndRouting(state, p);
    const std::int64_t preUnit = setTimeBase(state, p);

    setInputs(state, p);
    applyVoltsDivCaptions(state, view);
    applyScaleChanges(state, p, background);
    if (const auto interval = frameInterval(state.Common.Max_FPS))
        p.frameIntervalMs = *interval;

    p.modeBits = triggerModeBits(state, p);
    p.rollBits = 0;
    p.scrollDisplay = state.Common.Lenta;
    setTriggerCounts(state, preUnit, p);
    applySweepRule(state, view);
    p.postTrigger = p.recordLength - p.preTrigger;

    const std::int32_t h = hysteresis(state.Trigger.Hyst);
    setThresholds(state.Trigger.Lev_A1, h, p.thresholds[0], p.thresholds[1]);
    setThresholds(state.Trigger.Lev_A2, h, p.thresholds[2], p.thresholds[3]);
    setFreqMeterInput(state.Common.FreqMeter, p);
    p.drawMode = drawMode(state.Common.DrawMode);

    applyGeneratorRules(state, view);
    setGeneratorParameters(state, p);
}

} // namespace qs40
