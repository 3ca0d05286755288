#include "dialogs/trigger_dialog.h"

#include "display/option_dialog_texts.h"
#include "scope/option_fields.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QSlider>
#include <QVBoxLayout>

namespace qs40 {

namespace {

// A radio group: its items in columns of at most rows entries.
QButtonGroup* addItems(QGroupBox* box, int count, int rows, const QString& name) {
    auto* group = new QButtonGroup(box);
    group->setObjectName(name + "_Items");
    auto* grid = new QGridLayout(box);
    for (int i = 0; i < count; ++i) {
        auto* item = new QRadioButton(box);
        item->setObjectName(name + "_" + QString::number(i));
        group->addButton(item, i);
        grid->addWidget(item, i % rows, i / rows);
    }
    return group;
}

void setItemTexts(QButtonGroup* group, const std::vector<std::string>& texts) {
    for (int i = 0; i < static_cast<int>(texts.size()); ++i)
        if (QAbstractButton* b = group->button(i))
            b->setText(qtText(texts[static_cast<std::size_t>(i)]));
}

} // namespace

TForm_TrigSet::TForm_TrigSet(ScopeState& state, Changed changed, QWidget* parent)
    : OptionDialogBase(state, std::move(changed), parent) {
    setObjectName("Form_TrigSet");
    RadioGroup_PreTrig = new QGroupBox(this);
    RadioGroup_PreTrig->setObjectName("RadioGroup_PreTrig");
    preTrigItems_ = addItems(RadioGroup_PreTrig, 10, 5, "RadioGroup_PreTrig");
    RadioGroup_NR = new QGroupBox(this);
    RadioGroup_NR->setObjectName("RadioGroup_NR");
    nrItems_ = addItems(RadioGroup_NR, 6, 6, "RadioGroup_NR");

    TrackBar_TrigN = new QSlider(Qt::Horizontal, this);
    TrackBar_TrigN->setObjectName("TrackBar_TrigN");
    TrackBar_TrigN->setRange(kTrigNRange.min, kTrigNRange.max);
    TrackBar_TrigN->setSingleStep(1);
    TrackBar_TrigN->setTickInterval(1);
    TrackBar_TrigN->setTickPosition(QSlider::TicksBelow);
    Label_TrigN = new QLabel(this);
    Label_TrigN->setObjectName("Label_TrigN");

    auto* groups = new QHBoxLayout;
    groups->addWidget(RadioGroup_PreTrig);
    groups->addWidget(RadioGroup_NR);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(groups);
    layout->addWidget(Label_TrigN);
    layout->addWidget(TrackBar_TrigN);
    layout->addLayout(buttonRow());
    setMinimumWidth(360);

    connect(preTrigItems_, &QButtonGroup::idToggled, this, [this](int id, bool on) {
        if (on)
            RadioGroup_PreTrigClick(id);
    });
    connect(nrItems_, &QButtonGroup::idToggled, this, [this](int id, bool on) {
        if (on)
            RadioGroup_NRClick(id);
    });
    connect(TrackBar_TrigN, &QSlider::valueChanged, this,
            [this](int v) { TrackBar_TrigNChange(v); });
}

void TForm_TrigSet::FormShow() {
    const bool ru = state_.russian();
    const TriggerDialogTexts t = triggerDialogTexts(ru);
    setWindowTitle(qtText(t.title));
    RadioGroup_PreTrig->setTitle(qtText(t.preTrigger));
    setItemTexts(preTrigItems_, t.preTriggerItems);
    RadioGroup_NR->setTitle(qtText(t.noiseReject));
    setItemTexts(nrItems_, t.noiseRejectItems);
    setButtonTexts(t.ok, t.cancel);

    // A field from a file may lie outside its control: shown held in range, left as it is.
    const TriggerOptions shown = shownTriggerOptions(state_.Trigger);
    blockWhile({preTrigItems_, nrItems_, TrackBar_TrigN}, [&] {
        preTrigItems_->button(shown.Pre)->setChecked(true);
        nrItems_->button(shown.Hyst)->setChecked(true);
        TrackBar_TrigN->setValue(shown.N);
    });
    Label_TrigN->setText(qtText(trigNLabel(shown.N, ru)));
}

void TForm_TrigSet::RadioGroup_PreTrigClick(int index) {
    state_.Trigger.Pre = index;
    notifyChanged(FollowUp::ApplyAndStart);
}

void TForm_TrigSet::RadioGroup_NRClick(int index) {
    state_.Trigger.Hyst = index;
    notifyChanged(FollowUp::ApplyAndStart);
}

void TForm_TrigSet::TrackBar_TrigNChange(int position) {
    state_.Trigger.N = position;
    Label_TrigN->setText(qtText(trigNLabel(position, state_.russian())));
    notifyChanged(FollowUp::ApplyAndStart);
}

} // namespace qs40
