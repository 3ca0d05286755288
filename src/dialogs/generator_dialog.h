// The generator's modulation: AM or FM, the modulating frequency, the AM depth and the FM
// deviation, each bar with its range buttons; the group captions show the effective values.
// Every change is sent to the instrument at once.
#pragma once

#include "dialogs/option_dialog.h"

class QButtonGroup;
class QGroupBox;
class QScrollBar;
class QToolButton;

namespace qs40 {

class TForm_GeneratorSet final : public OptionDialogBase {
    Q_OBJECT
public:
    TForm_GeneratorSet(ScopeState& state, Changed changed, QWidget* parent = nullptr);

protected:
    void FormShow() override;

private:
    // A bar in its group box with the two range buttons under it.
    struct BarGroup {
        QGroupBox* box = nullptr;
        QScrollBar* bar = nullptr;
        QButtonGroup* range = nullptr;
    };
    BarGroup addBarGroup(const QString& box, const QString& bar, const QString& low,
                         const QString& high, int groupIndex, std::int32_t GeneratorSection::*value,
                         std::int32_t GeneratorSection::*rangeField);
    void rewriteCaptions();
    void controlChanged();

    QToolButton* SpeedButton_AM;
    QToolButton* SpeedButton_FM;
    QButtonGroup* modType_; // group 30
    BarGroup modFreq_;      // range buttons: group 31
    BarGroup modK_;         // group 32
    BarGroup devFm_;        // group 33
};

} // namespace qs40
