// The three calibrations from the Options menu: each checks the instrument first, keeps what
// the dialog may change, shows its form modally and then puts the front panel back: both frame
// sets are cleared and the panel's parameters sent again, so nothing a pass sent stays in the
// instrument.
#include "main/main_window.h"

#include "device/acquisition/calibration_passes.h"
#include "dialogs/tdc_calibrate_form.h"
#include "dialogs/time_calibrate_form.h"
#include "dialogs/zero_calibrate_form.h"
#include "main/single_instance.h"
#include "scope/tdc_calibration.h"
#include "scope/zero_calibration.h"

#include <QCoreApplication>
#include <QThread>

#include <chrono>

namespace qs40 {
namespace {

// The passes wait for frames while the window's events go on; without frames a pass waits
// until Cancel.
CalibrationPassSetup windowPassSetup(const CalibrationForm& form) {
    CalibrationPassSetup setup;
    setup.idle = [] {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        QThread::msleep(2);
    };
    setup.cancelled = [&form] { return form.cancelled(); };
    setup.timeout = std::chrono::hours(24 * 365);
    return setup;
}

void centreOn(QWidget& dialog, const QWidget& window) {
    dialog.adjustSize();
    const QRect frame = window.frameGeometry();
    dialog.move(frame.center() - dialog.rect().center());
}

} // namespace

bool TQS4003MFrm::calibrationCheck() {
    // Only a status packet of a configured FPGA says what the instrument is.
    const InstrumentReport report = session_.link().report.get();
    const std::optional<std::int32_t> code =
        report.versionsValid ? std::optional<std::int32_t>(report.featureWord) : std::nullopt;
    return checkCalibrationVariant(state_, code, *ui_, [this](std::int32_t c) {
               switchVariant(c);
           }) == CalibrationCheck::Ready;
}

void TQS4003MFrm::afterCalibration() {
    {
        FrameSets& frames = session_.frames();
        const std::lock_guard lock(frames.mutex);
        frames.current->reset();
        frames.background->reset();
    }
    followUp(FollowUp::ApplyAndStart);
}

void TQS4003MFrm::Menu_ZeroCalibrateClick() {
    const BusyScope busy(instance_);
    if (!calibrationCheck())
        return;
    const auto coefficients = zeroCoefficients(state_);
    const std::int32_t a1Zero = state_.Scope.A1_Zero, a2Zero = state_.Scope.A2_Zero;
    CommonSection& c = state_.Common;
    const bool chA1 = c.CH_A1, chA2 = c.CH_A2;

    TForm_ZeroCalibrate form(this);
    SessionCalibrationPasses passes(session_, windowPassSetup(form));
    ZeroCalibration calibration(state_, params_, passes,
                                [&form](const CalibrationStatus& s) { form.showStatus(s); });
    calibration.show();
    c.CH_A1 = true;
    c.CH_A2 = state_.has(kCapA2);
    mirror();
    form.prepare(calibrationTexts(CalibrationKind::Zero, state_.russian()), calibration.status(),
                 state_.System.Debug_qs);
    form.onStart = [&calibration] { calibration.start(); };
    centreOn(form, *this);

    // The zero levels and shown inputs come back however the dialog ends; the coefficients only
    // when it is not confirmed.
    const auto restoreView = [this, a1Zero, a2Zero, chA1, chA2] {
        state_.Scope.A1_Zero = a1Zero;
        state_.Scope.A2_Zero = a2Zero;
        state_.Common.CH_A1 = chA1;
        state_.Common.CH_A2 = chA2;
    };
    const auto restore = [this, coefficients, &restoreView] {
        setZeroCoefficients(state_, coefficients);
        restoreView();
    };
    if (runModal(form, restore) == QDialog::Accepted) {
        if (options_.saveConfiguration)
            options_.saveConfiguration(state_, configurationPath());
    } else {
        setZeroCoefficients(state_, coefficients);
    }
    restoreView();
    afterCalibration();
}

void TQS4003MFrm::Menu_FM_CalibrateClick() {
    const BusyScope busy(instance_);
    const std::int32_t kept = state_.Calibrate.Time;
    TForm_TimeCalibrate form(this);
    form.prepare(state_.russian(), kept, decimalSeparator_.empty() ? '.' : decimalSeparator_[0]);
    // The next status packet already carries the moved correction.
    form.onChange = [this](std::int32_t time) {
        state_.Calibrate.Time = time;
        followUp(FollowUp::ApplyAndStart);
    };
    centreOn(form, *this);
    const auto restore = [this, kept] { state_.Calibrate.Time = kept; };
    if (runModal(form, restore) == QDialog::Accepted) {
        if (options_.saveConfiguration)
            options_.saveConfiguration(state_, configurationPath());
    } else {
        restore();
    }
    followUp(FollowUp::ApplyAndStart);
}

void TQS4003MFrm::Menu_TDCCalibrateClick() {
    const BusyScope busy(instance_);
    if (!calibrationCheck())
        return;
    CommonSection& c = state_.Common;
    const bool chD1 = c.CH_D1, chD2 = c.CH_D2;

    TForm_TDCCalibrate form(this);
    SessionCalibrationPasses passes(session_, windowPassSetup(form));
    TdcCalibration calibration(state_, params_, passes,
                               [&form](const CalibrationStatus& s) { form.showStatus(s); });
    const InstrumentReport report = session_.link().report.get();
    calibration.show(report.tdcValid ? std::optional<TdcResult>(report.tdc) : std::nullopt);
    c.CH_D1 = true;
    c.CH_D2 = state_.has(kCapD2);
    mirror();
    form.prepare(calibrationTexts(CalibrationKind::Tdc, state_.russian()), calibration.status(),
                 true);
    form.onStart = [&calibration] { calibration.start(); };
    centreOn(form, *this);

    const auto restore = [this, chD1, chD2] {
        state_.Common.CH_D1 = chD1;
        state_.Common.CH_D2 = chD2;
    };
    if (runModal(form, restore) == QDialog::Accepted && calibration.result()) {
        LinkState& link = session_.link();
        link.setTdcToWrite(*calibration.result());
        link.tdcWriteRequest.store(true);
    }
    restore();
    afterCalibration();
}

} // namespace qs40
