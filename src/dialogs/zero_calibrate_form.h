// TForm_ZeroCalibrate: the zero-level calibration's dialog. With the service switch on, the
// result label shows the stored coefficients.
#pragma once

#include "dialogs/calibration_form.h"

namespace qs40 {

class TForm_ZeroCalibrate final : public CalibrationForm {
    Q_OBJECT
public:
    explicit TForm_ZeroCalibrate(QWidget* parent = nullptr);
};

} // namespace qs40
