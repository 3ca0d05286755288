#include "dialogs/color_dialog.h"

#include "display/option_dialog_texts.h"
#include "main/widget_colors.h"

#include <QColorDialog>
#include <QFrame>
#include <QGridLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace qs40 {

namespace {

// The buttons' names; each panel is named after its button.
constexpr std::array<const char*, kColorFieldCount> kButtonNames{
    "Button_cl_A1",        "Button_cl_A2",      "Button_cl_D1",     "Button_cl_D2",
    "Button_clBackground", "Button_clBorder",   "Button_clMarkers", "Button_clGrid",
    "Button_clGrid_Frame", "Button_clTrig_Pos", "Button_clFFT",     "Button_Extra_Info",
};

QString panelName(const char* button) {
    return QStringLiteral("Panel_") + QString::fromLatin1(button).mid(7);
}

} // namespace

std::optional<ColorRef> chooseColorWithQt(ColorRef current, QWidget* parent) {
    const QColor chosen = QColorDialog::getColor(toColor(current), parent);
    if (!chosen.isValid())
        return std::nullopt;
    return toColorRef(chosen);
}

TForm_ColorSet::TForm_ColorSet(ScopeState& state, Changed changed, QWidget* parent,
                               ColorChooser chooser)
    : OptionDialogBase(state, std::move(changed), parent), chooser_(std::move(chooser)) {
    setObjectName("Form_ColorSet");
    auto* grid = new QGridLayout;
    for (std::size_t i = 0; i < kColorFieldCount; ++i) {
        auto* button = new QPushButton(this);
        button->setObjectName(kButtonNames[i]);
        button->setAutoDefault(false);
        auto* panel = new QFrame(this);
        panel->setObjectName(panelName(kButtonNames[i]));
        panel->setFrameShape(QFrame::Box);
        panel->setAutoFillBackground(true);
        panel->setMinimumSize(48, 20);
        const int row = static_cast<int>(i % 6);
        const int column = static_cast<int>(i / 6) * 2;
        grid->addWidget(button, row, column);
        grid->addWidget(panel, row, column + 1);
        buttons_[i] = button;
        panels_[i] = panel;
        connect(button, &QPushButton::clicked, this,
                [this, field = kColorFields[i]] { colorButtonClick(field); });
    }
    Button_clDefault = new QPushButton(this);
    Button_clDefault->setObjectName("Button_clDefault");
    Button_clDefault->setAutoDefault(false);
    connect(Button_clDefault, &QPushButton::clicked, this, [this] { Button_clDefaultClick(); });

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    auto* row = buttonRow();
    row->insertWidget(0, Button_clDefault);
    layout->addLayout(row);
    paintPanels();
}

void TForm_ColorSet::FormShow() {
    const ColorDialogTexts t = colorDialogTexts(state_.russian(), state_.System.Device_Type_Code);
    setWindowTitle(qtText(t.title));
    for (std::size_t i = 0; i < kColorFieldCount; ++i) {
        buttons_[i]->setText(qtText(t.buttons[i]));
        const bool present = colorFieldPresent(state_, kColorFields[i]);
        buttons_[i]->setVisible(present);
        panels_[i]->setVisible(present);
    }
    Button_clDefault->setText(qtText(t.defaults));
    setButtonTexts(t.ok, t.cancel);
    paintPanels();
}

void TForm_ColorSet::paintPanels() {
    for (std::size_t i = 0; i < kColorFieldCount; ++i)
        setBackground(panels_[i], toColor(colorField(state_.Colors, kColorFields[i])));
}

void TForm_ColorSet::colorButtonClick(ColorField field) {
    ColorRef& value = colorField(state_.Colors, field);
    if (chooser_)
        if (const std::optional<ColorRef> chosen = chooser_(value, this))
            value = *chosen & 0xFFFFFF;
    paintPanels();
    notifyChanged(FollowUp::Apply);
}

void TForm_ColorSet::Button_clDefaultClick() {
    setDefaultColors(state_);
    paintPanels();
    notifyChanged(FollowUp::Apply);
}

} // namespace qs40
