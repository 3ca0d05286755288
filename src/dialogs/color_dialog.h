// The display colours: one button and one panel per colour. A button opens the colour chooser;
// whether or not the user picks a colour, the panels are repainted and the window redraws, so
// the oscillogram previews the choice.
#pragma once

#include "dialogs/option_dialog.h"
#include "scope/option_fields.h"

#include <array>
#include <optional>

class QFrame;

namespace qs40 {

// The colour chooser: the current colour in, the chosen one out, nothing when dismissed.
using ColorChooser = std::function<std::optional<ColorRef>(ColorRef current, QWidget* parent)>;

// Qt's colour dialog.
std::optional<ColorRef> chooseColorWithQt(ColorRef current, QWidget* parent);

class TForm_ColorSet final : public OptionDialogBase {
    Q_OBJECT
public:
    TForm_ColorSet(ScopeState& state, Changed changed, QWidget* parent = nullptr,
                   ColorChooser chooser = chooseColorWithQt);

    void setChooser(ColorChooser chooser) { chooser_ = std::move(chooser); }

protected:
    void FormShow() override;

private:
    void colorButtonClick(ColorField field);
    void Button_clDefaultClick();
    void paintPanels();

    ColorChooser chooser_;
    std::array<QPushButton*, kColorFieldCount> buttons_{};
    std::array<QFrame*, kColorFieldCount> panels_{};
    QPushButton* Button_clDefault;
};

} // namespace qs40
