#include "dialogs/tdc_calibrate_form.h"

namespace qs40 {

TForm_TDCCalibrate::TForm_TDCCalibrate(QWidget* parent)
    : CalibrationForm(QStringLiteral("TForm_TDCCalibrate"), parent) {}

} // namespace qs40
