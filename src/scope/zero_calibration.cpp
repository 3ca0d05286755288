#include "scope/zero_calibration.h"

#include "scope/arith.h"
#include "scope/calibration_texts.h"

#include <algorithm>

namespace qs40 {
namespace {

constexpr std::int32_t kTwoVolts = 2'000'000;
constexpr std::int32_t kFiftyMillivolts = 50'000;
constexpr std::uint8_t kGainTwoVolts = 0x1B;        // range 3, generator off, AC
constexpr std::uint8_t kGainTwoVoltsService = 0x3B; // the same with bit 0x20
constexpr std::uint8_t kGainFiftyMillivolts = 0x38; // range 0, generator off, AC, bit 0x20
constexpr std::int32_t kRecord = 5000;
constexpr std::int64_t kTimeBaseNs = 2'000'000;

struct LevelPoint {
    std::array<std::int32_t, 3> codes;
    std::int32_t threshold;
    bool fiftyMillivolts;
};
constexpr std::array<LevelPoint, 3> kPoints{{
    {{1360, 1341, 1379}, 12, false},
    {{3040, 3021, 3059}, 12, false},
    {{2200, 2181, 2219}, 16, true},
}};

} // namespace

std::array<ZeroCoefficientSet, 2> zeroCoefficients(const ScopeState& state) {
    const CalibrateSection& c = state.Calibrate;
    return {{{c.Z_A1P1, c.Z_A1P2, c.Z_A1SH}, {c.Z_A2P1, c.Z_A2P2, c.Z_A2SH}}};
}

void setZeroCoefficients(ScopeState& state, const std::array<ZeroCoefficientSet, 2>& k) {
    CalibrateSection& c = state.Calibrate;
    c.Z_A1P1 = k[0].p1;
    c.Z_A1P2 = k[0].p2;
    c.Z_A1SH = k[0].sh;
    c.Z_A2P1 = k[1].p1;
    c.Z_A2P2 = k[1].p2;
    c.Z_A2SH = k[1].sh;
}

ZeroCoefficientSet zeroCoefficientsFromLevels(double l1, double l2, double l3) {
    // At the mid code the 2 V/div level is the mean of the two ends, so f is the shift at
    // 50 mV/div less the shift at 2 V/div, that is SH x 39/40.
    const double f = l3 - (l1 + l2) / 2;
    return {roundToInt32(l1 - f / 39), roundToInt32(l2 - f / 39), roundToInt32(f * 40 / 39)};
}

AcquisitionParams zeroPassParams(const AcquisitionParams& panel, std::int32_t offsetCode,
                                 bool fiftyMillivolts, bool serviceMode) {
    AcquisitionParams p = panel;
    p.runBits = 0x83; // running, A1 and A2
    p.routingBits = 0;
    p.paired = false;
    p.recordLength = kRecord;
    p.timePerDivNs = kTimeBaseNs;
    p.divider = static_cast<std::uint32_t>(kTimeBaseNs / kRecord);
    p.preTrigger = 0;
    p.postTrigger = kRecord;
    p.modeBits = 0;
    p.rollBits = 0;
    p.roll = false;
    p.scrollDisplay = false;
    p.triggerCount = 0;
    const std::uint8_t gain = fiftyMillivolts ? kGainFiftyMillivolts
                              : serviceMode   ? kGainTwoVoltsService
                                              : kGainTwoVolts;
    p.inputA1 = gain;
    p.inputA2 = gain;
    p.voltsDivA1 = p.voltsDivA2 = fiftyMillivolts ? kFiftyMillivolts : kTwoVolts;
    p.offsetA1 = offsetCode;
    p.offsetA2 = offsetCode;
    return p;
}

ZeroLevelMeter::ZeroLevelMeter(std::int32_t threshold, bool withA2) {
    best_.fill(threshold);
    found_[1] = !withA2;
}

bool ZeroLevelMeter::take(const std::array<std::int32_t, kHeaderFields>& h) {
    ++frames_;
    const std::int32_t count = h[kHdrValid];
    if (frames_ > kZeroSettlingFrames && count > 0) {
        for (std::size_t ch = 0; ch < 2; ++ch) {
            const std::int32_t p2p = h[static_cast<std::size_t>(kHdrPeakToPeakA1) + ch];
            // The quietest frame wins; the earlier one on a tie.
            if (p2p >= 0 && p2p < best_[ch]) {
                best_[ch] = p2p;
                level_[ch] =
                    static_cast<double>(h[static_cast<std::size_t>(kHdrLevelSumA1) + ch]) / count;
                found_[ch] = true;
            }
        }
    }
    return frames_ >= kZeroFramesPerPass;
}

ZeroCalibration::ZeroCalibration(ScopeState& state, const AcquisitionParams& panel,
                                 CalibrationPasses& passes, CalibrationObserver observer)
    : state_(state), panel_(panel), passes_(passes), observer_(std::move(observer)) {}

void ZeroCalibration::changed() {
    if (observer_)
        observer_(status_);
}

std::string ZeroCalibration::coefficientsText() const {
    const auto k = zeroCoefficients(state_);
    auto line = [&](const char* name, const ZeroCoefficientSet& c) {
        return std::string(name) + "P1 = " + std::to_string(c.p1) + "    " + name +
               "P2 = " + std::to_string(c.p2) + "    " + name + "SH = " + std::to_string(c.sh);
    };
    std::string text = line("A1", k[0]) + "\r\n";
    if (state_.has(kCapA2))
        text += line("A2", k[1]);
    return text;
}

void ZeroCalibration::show() {
    status_ = {};
    status_.maximum = kZeroProgressSteps;
    status_.startAfterFailure = true;
    status_.info = calibrationTexts(CalibrationKind::Zero, state_.russian()).info;
    status_.result = state_.System.Debug_qs ? coefficientsText() : std::string();
    result_.reset();
    changed();
}

std::optional<std::array<double, 2>>
ZeroCalibration::measure(std::int32_t code, std::int32_t threshold, bool fiftyMillivolts) {
    const bool withA2 = state_.has(kCapA2);
    ZeroLevelMeter meter(threshold, withA2);
    ++status_.progress; // waiting for the first frame
    changed();
    const AcquisitionParams p =
        zeroPassParams(panel_, code, fiftyMillivolts, state_.System.Debug_qs);
    const PassOutcome outcome = passes_.run(p, [&](const FrameData& f, std::uint8_t) {
        const bool enough = meter.take(f.header);
        if (!enough) {
            ++status_.progress;
            changed();
        }
        return enough;
    });
    if (outcome == PassOutcome::Cancelled)
        return std::nullopt;
    if (outcome != PassOutcome::Done || !meter.found()) {
        status_.phase = CalibrationPhase::Failed;
        status_.info = calibrationTexts(CalibrationKind::Zero, state_.russian()).failed;
        status_.progress = 0;
        changed();
        return std::nullopt;
    }
    // The zero levels follow the measured levels, as the dialog shows them.
    state_.Scope.A1_Zero = roundToInt32(meter.level(0));
    if (withA2)
        state_.Scope.A2_Zero = roundToInt32(meter.level(1));
    return std::array<double, 2>{meter.level(0), meter.level(1)};
}

bool ZeroCalibration::start() {
    const CalibrationTexts texts = calibrationTexts(CalibrationKind::Zero, state_.russian());
    status_.phase = CalibrationPhase::Measuring;
    status_.info = texts.measuring;
    status_.progress = 0;
    if (state_.System.Debug_qs)
        status_.result = "...";
    changed();

    std::array<std::array<double, 2>, 3> levels{}; // x16 units per point and channel
    for (std::size_t point = 0; point < kPoints.size(); ++point) {
        std::array<double, 2> sum{};
        for (const std::int32_t code : kPoints[point].codes) {
            const auto measured =
                measure(code, kPoints[point].threshold, kPoints[point].fiftyMillivolts);
            if (!measured) {
                if (status_.phase == CalibrationPhase::Measuring) {
                    // Cancelled: the dialog is closing; nothing more to show.
                    status_.phase = CalibrationPhase::Ready;
                }
                return false;
            }
            sum[0] += (*measured)[0];
            sum[1] += (*measured)[1];
        }
        for (std::size_t ch = 0; ch < 2; ++ch)
            levels[point][ch] = sum[ch] * 16 / 3;
    }

    std::array<ZeroCoefficientSet, 2> k = zeroCoefficients(state_);
    k[0] = zeroCoefficientsFromLevels(levels[0][0], levels[1][0], levels[2][0]);
    if (state_.has(kCapA2))
        k[1] = zeroCoefficientsFromLevels(levels[0][1], levels[1][1], levels[2][1]);
    setZeroCoefficients(state_, k);
    result_ = k;

    status_.phase = CalibrationPhase::Done;
    status_.progress = status_.maximum;
    status_.info = texts.done;
    if (state_.System.Debug_qs)
        status_.result = coefficientsText();
    changed();
    return true;
}

} // namespace qs40
