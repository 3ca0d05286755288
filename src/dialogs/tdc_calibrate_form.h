// TForm_TDCCalibrate: the TDC calibration's dialog; the result label shows the constants, the
// instrument's own before a run and the measured ones during and after it.
#pragma once

#include "dialogs/calibration_form.h"

namespace qs40 {

class TForm_TDCCalibrate final : public CalibrationForm {
    Q_OBJECT
public:
    explicit TForm_TDCCalibrate(QWidget* parent = nullptr);
};

} // namespace qs40
