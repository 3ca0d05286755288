#include "dialogs/zero_calibrate_form.h"

namespace qs40 {

TForm_ZeroCalibrate::TForm_ZeroCalibrate(QWidget* parent)
    : CalibrationForm(QStringLiteral("TForm_ZeroCalibrate"), parent) {}

} // namespace qs40
