#include "scope/tdc_calibration.h"

#include "scope/calibration_texts.h"

#include <algorithm>

namespace qs40 {
namespace {

constexpr std::int32_t kGenSetting = 98'765'432;   // tenths of a hertz
constexpr std::int64_t kGenWord = 108'593'740'906; // trunc(98 765 432 x 1099.511627776)
constexpr std::uint16_t kGenAmplitude = 500;
constexpr std::uint8_t kGeneratorOffBit = 0x08;
constexpr std::int32_t kRecord = 1000;
// Trigger flags of passes 0..3 and the frequency-meter input of each.
constexpr std::array<std::uint8_t, 4> kTriggerFlags{0x02, 0x12, 0x06, 0x16};
constexpr std::array<std::uint8_t, 4> kMeterInput{3, 3, 4, 4};

std::string line(bool russian, const std::string& rise, const std::string& fall) {
    return tdcRiseLabel(russian) + rise + tdcFallLabel(russian) + fall;
}

std::string value(std::uint8_t n) {
    return "10/" + std::to_string(n) + " nS";
}

} // namespace

AcquisitionParams tdcPassParams(const AcquisitionParams& panel, int pass) {
    AcquisitionParams p = panel;
    p.runBits = 0x8C; // running, D1 and D2
    p.routingBits = 0;
    p.paired = false;
    p.genFrequency = kGenSetting;
    p.genSecond = 0;
    p.genWord1 = kGenWord;
    p.genWord2 = 0;
    p.genWord3 = 0;
    p.genMode = 0; // sine, continuous
    p.genAmplitude = kGenAmplitude;
    p.inputA1 = static_cast<std::uint8_t>(p.inputA1 & ~kGeneratorOffBit);
    p.recordLength = kRecord;
    p.timePerDivNs = 500;
    p.divider = 1;
    p.preTrigger = 0;
    p.postTrigger = kRecord;
    p.triggerCount = 1;
    p.rollBits = 0;
    p.roll = false;
    p.scrollDisplay = false;
    p.freqMeterInput = kMeterInput[static_cast<std::size_t>(pass)];
    p.modeBits = kTriggerFlags[static_cast<std::size_t>(pass)];
    return p;
}

std::string tdcResultText(const TdcResult& r, bool withD2, bool russian) {
    std::string text = line(russian, value(r[0]), value(r[1])) + "\r\n";
    if (withD2)
        text += line(russian, value(r[2]), value(r[3]));
    return text;
}

std::string tdcProgressText(const TdcResult& soFar, int pass, std::uint8_t r, bool russian) {
    TdcResult v = soFar;
    v[static_cast<std::size_t>(pass)] = r;
    const bool rising = pass % 2 == 0;
    auto lineOf = [&](int input, bool current) {
        const std::size_t i = static_cast<std::size_t>(2 * input);
        return line(russian, value(v[i]), current && rising ? "..." : value(v[i + 1]));
    };
    if (pass < 2)
        return lineOf(0, true);
    return lineOf(0, false) + "\r\n" + lineOf(1, true);
}

TdcCalibration::TdcCalibration(const ScopeState& state, const AcquisitionParams& panel,
                               CalibrationPasses& passes, CalibrationObserver observer)
    : state_(state), panel_(panel), passes_(passes), observer_(std::move(observer)) {}

void TdcCalibration::changed() {
    if (observer_)
        observer_(status_);
}

void TdcCalibration::show(const std::optional<TdcResult>& stored) {
    status_ = {};
    status_.maximum = state_.has(kCapD2) ? 4 * kTdcFramesPerPass : 2 * kTdcFramesPerPass;
    status_.info = calibrationTexts(CalibrationKind::Tdc, state_.russian()).info;
    status_.result =
        stored ? tdcResultText(*stored, state_.has(kCapD2), state_.russian()) : std::string("...");
    result_.reset();
    changed();
}

bool TdcCalibration::measure(int pass, std::uint8_t& r) {
    r = 0;
    bool tooHigh = false;
    int frames = 0;
    auto waiting = [&] {
        ++status_.progress;
        status_.result = tdcProgressText(measured_, pass, r, state_.russian());
        changed();
    };
    waiting();
    const PassOutcome outcome =
        passes_.run(tdcPassParams(panel_, pass), [&](const FrameData&, std::uint8_t count) {
            if (count > kTdcHighest) {
                tooHigh = true;
                return true;
            }
            r = std::max(r, count);
            if (++frames >= kTdcFramesPerPass)
                return true;
            waiting();
            return false;
        });
    if (outcome == PassOutcome::Cancelled)
        return false;
    if (outcome == PassOutcome::Done && !tooHigh && r >= kTdcLowest)
        return true;
    status_.phase = CalibrationPhase::Failed;
    status_.info = calibrationTexts(CalibrationKind::Tdc, state_.russian()).failed;
    status_.result = "...";
    status_.progress = 0;
    changed();
    return false;
}

bool TdcCalibration::start() {
    const CalibrationTexts texts = calibrationTexts(CalibrationKind::Tdc, state_.russian());
    measured_ = {};
    result_.reset();
    status_.phase = CalibrationPhase::Measuring;
    status_.info = texts.measuring;
    status_.progress = 0;
    changed();
    const bool withD2 = state_.has(kCapD2);
    const int passes = withD2 ? 4 : 2;
    for (int k = 0; k < passes; ++k) {
        if (!measure(k, measured_[static_cast<std::size_t>(k)])) {
            if (status_.phase == CalibrationPhase::Measuring)
                status_.phase = CalibrationPhase::Ready; // cancelled: the dialog is closing
            return false;
        }
    }
    if (!withD2)
        measured_[2] = measured_[3] = kTdcWithoutD2;
    result_ = measured_;
    status_.phase = CalibrationPhase::Done;
    status_.progress = status_.maximum;
    status_.info = texts.done;
    status_.result = tdcResultText(measured_, withD2, state_.russian());
    changed();
    return true;
}

} // namespace qs40
