// The FFT options: length, window, vertical scale and the dBV-to-volt view. Every change
// redraws at once; nothing is sent to the instrument.
#pragma once

#include "dialogs/option_dialog.h"

class QButtonGroup;
class QCheckBox;
class QGroupBox;

namespace qs40 {

class TForm_FFTSet final : public OptionDialogBase {
    Q_OBJECT
public:
    TForm_FFTSet(ScopeState& state, Changed changed, QWidget* parent = nullptr);

protected:
    void FormShow() override;

private:
    QGroupBox* RadioGroup_FFT_Size;
    QButtonGroup* sizeItems_;
    QGroupBox* RadioGroup_FFT_Win;
    QButtonGroup* winItems_;
    QGroupBox* RadioGroup_FFT_Scale;
    QButtonGroup* scaleItems_;
    QCheckBox* CheckBox_FFT_dbv_v;
};

} // namespace qs40
