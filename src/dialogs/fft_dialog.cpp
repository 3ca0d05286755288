#include "dialogs/fft_dialog.h"

#include "display/option_dialog_texts.h"
#include "scope/option_fields.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QRadioButton>
#include <QVBoxLayout>

namespace qs40 {

namespace {

QGroupBox* radioGroup(QWidget* parent, const QString& name, int count, QButtonGroup*& items) {
    auto* box = new QGroupBox(parent);
    box->setObjectName(name);
    items = new QButtonGroup(box);
    items->setObjectName(name + "_Items");
    auto* column = new QVBoxLayout(box);
    for (int i = 0; i < count; ++i) {
        auto* item = new QRadioButton(box);
        item->setObjectName(name + "_" + QString::number(i));
        items->addButton(item, i);
        column->addWidget(item);
    }
    column->addStretch(1);
    return box;
}

void setTexts(QGroupBox* box, QButtonGroup* items, const std::string& title,
              const std::vector<std::string>& texts) {
    box->setTitle(qtText(title));
    for (int i = 0; i < static_cast<int>(texts.size()); ++i)
        if (QAbstractButton* b = items->button(i))
            b->setText(qtText(texts[static_cast<std::size_t>(i)]));
}

} // namespace

TForm_FFTSet::TForm_FFTSet(ScopeState& state, Changed changed, QWidget* parent)
    : OptionDialogBase(state, std::move(changed), parent) {
    setObjectName("Form_FFTSet");
    RadioGroup_FFT_Size = radioGroup(this, "RadioGroup_FFT_Size", 6, sizeItems_);
    RadioGroup_FFT_Win = radioGroup(this, "RadioGroup_FFT_Win", 3, winItems_);
    RadioGroup_FFT_Scale = radioGroup(this, "RadioGroup_FFT_Scale", 4, scaleItems_);
    CheckBox_FFT_dbv_v = new QCheckBox(this);
    CheckBox_FFT_dbv_v->setObjectName("CheckBox_FFT_dbv_v");

    auto* groups = new QHBoxLayout;
    groups->addWidget(RadioGroup_FFT_Size);
    auto* right = new QVBoxLayout;
    right->addWidget(RadioGroup_FFT_Win);
    right->addWidget(RadioGroup_FFT_Scale);
    right->addWidget(CheckBox_FFT_dbv_v);
    groups->addLayout(right);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(groups);
    layout->addLayout(buttonRow());

    const auto onItem = [this](QButtonGroup* items, std::int32_t FftSection::*field) {
        connect(items, &QButtonGroup::idToggled, this, [this, field](int id, bool on) {
            if (!on)
                return;
            state_.FFT.*field = id;
            notifyChanged(FollowUp::Apply);
        });
    };
    onItem(sizeItems_, &FftSection::Size);
    onItem(winItems_, &FftSection::Win);
    onItem(scaleItems_, &FftSection::Scale);
    connect(CheckBox_FFT_dbv_v, &QCheckBox::toggled, this, [this](bool on) {
        state_.FFT.dbv_v = on;
        notifyChanged(FollowUp::Apply);
    });
}

void TForm_FFTSet::FormShow() {
    const FftDialogTexts t = fftDialogTexts(state_.russian());
    setWindowTitle(qtText(t.title));
    setTexts(RadioGroup_FFT_Size, sizeItems_, t.size, t.sizeItems);
    setTexts(RadioGroup_FFT_Win, winItems_, t.window, t.windowItems);
    setTexts(RadioGroup_FFT_Scale, scaleItems_, t.scale, t.scaleItems);
    CheckBox_FFT_dbv_v->setText(qtText(t.dbvToVolt));
    setButtonTexts(t.ok, t.cancel);

    const FftOptions shown = shownFftOptions(state_.FFT);
    blockWhile({sizeItems_, winItems_, scaleItems_, CheckBox_FFT_dbv_v}, [&] {
        sizeItems_->button(shown.Size)->setChecked(true);
        winItems_->button(shown.Win)->setChecked(true);
        scaleItems_->button(shown.Scale)->setChecked(true);
        CheckBox_FFT_dbv_v->setChecked(shown.dbv_v);
    });
}

} // namespace qs40
