// The trigger options: pre-trigger length, noise reject and the trigger's edge count. Every
// change re-acquires at once.
#pragma once

#include "dialogs/option_dialog.h"

class QButtonGroup;
class QGroupBox;
class QLabel;
class QSlider;

namespace qs40 {

class TForm_TrigSet final : public OptionDialogBase {
    Q_OBJECT
public:
    TForm_TrigSet(ScopeState& state, Changed changed, QWidget* parent = nullptr);

protected:
    void FormShow() override;

private:
    void RadioGroup_PreTrigClick(int index);
    void RadioGroup_NRClick(int index);
    void TrackBar_TrigNChange(int position);

    QGroupBox* RadioGroup_PreTrig;
    QButtonGroup* preTrigItems_;
    QGroupBox* RadioGroup_NR;
    QButtonGroup* nrItems_;
    QSlider* TrackBar_TrigN;
    QLabel* Label_TrigN;
};

} // namespace qs40
