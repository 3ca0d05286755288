// The TDC calibration: with the instrument's generator looped into D1 and D2, the largest TDC
// count seen over 50 frames triggered on each input and edge is that TDC's number of steps in
// 10 ns. The four constants reach the instrument only when the caller writes them.
#pragma once

#include "scope/calibration_pass.h"
#include "scope/scope_state.h"

#include <array>
#include <cstdint>
#include <optional>

namespace qs40 {

// D1 rising, D1 falling, D2 rising, D2 falling.
using TdcResult = std::array<std::uint8_t, 4>;

inline constexpr int kTdcFramesPerPass = 50;
inline constexpr std::uint8_t kTdcLowest = 12;
inline constexpr std::uint8_t kTdcHighest = 27;
inline constexpr std::uint8_t kTdcWithoutD2 = 20;

// Pass k (0 D1 rise, 1 D1 fall, 2 D2 rise, 3 D2 fall): the panel's set with the generator at
// 9 876 543.2 Hz sine, looped to D1 and D2, triggered on the pass's input and edge.
AcquisitionParams tdcPassParams(const AcquisitionParams& panel, int pass);

// The result label: one line per digital input, "Rise = 10/n nS     Fall = 10/n nS"; the D1
// line ends with CR LF; the D2 line only with D2.
std::string tdcResultText(const TdcResult& r, bool withD2, bool russian);
// The label while pass k runs with the running maximum r.
std::string tdcProgressText(const TdcResult& soFar, int pass, std::uint8_t r, bool russian);

class TdcCalibration {
public:
    TdcCalibration(const ScopeState& state, const AcquisitionParams& panel,
                   CalibrationPasses& passes, CalibrationObserver observer = {});

    // The dialog's show: the instrument's stored constants when they are valid, else "...".
    void show(const std::optional<TdcResult>& stored);
    bool start();
    const CalibrationStatus& status() const { return status_; }
    std::optional<TdcResult> result() const { return result_; }

private:
    bool measure(int pass, std::uint8_t& r);
    void changed();

    const ScopeState& state_;
    const AcquisitionParams& panel_;
    CalibrationPasses& passes_;
    CalibrationObserver observer_;
    CalibrationStatus status_;
    TdcResult measured_{};
    std::optional<TdcResult> result_;
};

} // namespace qs40
