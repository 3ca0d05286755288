// The zero-level calibration: nine passes with the inputs open measure, per analog channel,
// the ADC level at two offset codes on the 2 V/div range and at a mid code on 50 mV/div; three
// coefficients per channel follow, from which the offset code of every zero level and range is
// computed.
#pragma once

#include "scope/calibration_pass.h"
#include "scope/scope_state.h"

#include <array>
#include <cstdint>
#include <optional>

namespace qs40 {

struct ZeroCoefficientSet {
    std::int32_t p1 = 3357, p2 = 725, sh = 0;
    bool operator==(const ZeroCoefficientSet&) const = default;
};

std::array<ZeroCoefficientSet, 2> zeroCoefficients(const ScopeState& state);
void setZeroCoefficients(ScopeState& state, const std::array<ZeroCoefficientSet, 2>& k);

// From the levels in x16 units at code 1360 and 3040 on 2 V/div (l1, l2) and at code 2200 on
// 50 mV/div (l3).
ZeroCoefficientSet zeroCoefficientsFromLevels(double l1, double l2, double l3);

inline constexpr int kZeroFramesPerPass = 8;
inline constexpr int kZeroSettlingFrames = 3;
inline constexpr int kZeroPasses = 9;
inline constexpr int kZeroProgressSteps = kZeroPasses * kZeroFramesPerPass;

// The parameters of a pass: the panel's set with the calibration's own run, record, time base,
// trigger and inputs; routing 0, so that paired mode cannot hide A2.
AcquisitionParams zeroPassParams(const AcquisitionParams& panel, std::int32_t offsetCode,
                                 bool fiftyMillivolts, bool serviceMode);

// One pass's look at its frames: the quietest of frames 4 to 8 per channel, below the
// threshold and not clipped.
class ZeroLevelMeter {
public:
    ZeroLevelMeter(std::int32_t threshold, bool withA2);
    // Takes the next frame; true when the pass has seen all its frames.
    bool take(const std::array<std::int32_t, kHeaderFields>& header);
    bool found() const { return found_[0] && found_[1]; }
    double level(int channel) const { return level_[static_cast<std::size_t>(channel)]; }

private:
    int frames_ = 0;
    std::array<std::int32_t, 2> best_;
    std::array<bool, 2> found_{};
    std::array<double, 2> level_{};
};

class ZeroCalibration {
public:
    // state: the scope state whose coefficients and zero levels the run sets; panel: the
    // parameters a pass starts from.
    ZeroCalibration(ScopeState& state, const AcquisitionParams& panel, CalibrationPasses& passes,
                    CalibrationObserver observer = {});

    // The dialog's show: Ready, progress 0 of 72.
    void show();
    // Runs the nine passes; on success the coefficients are stored in the state at once.
    bool start();
    const CalibrationStatus& status() const { return status_; }
    // The coefficients of the last successful run.
    std::optional<std::array<ZeroCoefficientSet, 2>> result() const { return result_; }

private:
    std::optional<std::array<double, 2>> measure(std::int32_t code, std::int32_t threshold,
                                                 bool fiftyMillivolts);
    std::string coefficientsText() const;
    void changed();

    ScopeState& state_;
    const AcquisitionParams& panel_;
    CalibrationPasses& passes_;
    CalibrationObserver observer_;
    CalibrationStatus status_;
    std::optional<std::array<ZeroCoefficientSet, 2>> result_;
};

} // namespace qs40
