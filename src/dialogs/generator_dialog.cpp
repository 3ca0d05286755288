#include "dialogs/generator_dialog.h"

#include "display/option_dialog_texts.h"
#include "scope/option_fields.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLocale>
#include <QScrollBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace qs40 {

namespace {

QToolButton* speedButton(QWidget* parent, const QString& name) {
    auto* b = new QToolButton(parent);
    b->setObjectName(name);
    b->setCheckable(true);
    b->setAutoRaise(false);
    b->setMinimumWidth(56);
    return b;
}

QButtonGroup* exclusiveGroup(QWidget* parent, const QString& name, QToolButton* first,
                             QToolButton* second) {
    auto* g = new QButtonGroup(parent);
    g->setObjectName(name);
    g->setExclusive(true);
    g->addButton(first, 0);
    g->addButton(second, 1);
    return g;
}

} // namespace

TForm_GeneratorSet::TForm_GeneratorSet(ScopeState& state, Changed changed, QWidget* parent)
    : OptionDialogBase(state, std::move(changed), parent) {
    setObjectName("Form_GeneratorSet");
    SpeedButton_AM = speedButton(this, "SpeedButton_AM");
    SpeedButton_FM = speedButton(this, "SpeedButton_FM");
    modType_ = exclusiveGroup(this, "Group_30", SpeedButton_AM, SpeedButton_FM);
    connect(modType_, &QButtonGroup::idClicked, this, [this](int id) {
        state_.Generator.Mod_Type = id;
        controlChanged();
    });

    modFreq_ = addBarGroup("GroupBox_ModFreq", "ScrollBar_ModFreq", "SpeedButton_MF_10K",
                           "SpeedButton_MF_100K", 31, &GeneratorSection::Mod_Freq,
                           &GeneratorSection::Mod_Freq_x);
    modK_ = addBarGroup("GroupBox_Mod_K", "ScrollBar_Mod_K", "SpeedButton_KAM_100",
                        "SpeedButton_KAM_200", 32, &GeneratorSection::Mod_K,
                        &GeneratorSection::Mod_K_x);
    devFm_ = addBarGroup("GroupBox_Dev_FM", "ScrollBar_Dev_FM", "SpeedButton_Dev_10K",
                         "SpeedButton_Dev_100K", 33, &GeneratorSection::Dev_Freq,
                         &GeneratorSection::Dev_Freq_x);

    auto* types = new QHBoxLayout;
    types->addWidget(SpeedButton_AM);
    types->addWidget(SpeedButton_FM);
    types->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(types);
    layout->addWidget(modFreq_.box);
    layout->addWidget(modK_.box);
    layout->addWidget(devFm_.box);
    layout->addLayout(buttonRow());
    setMinimumWidth(380);
}

TForm_GeneratorSet::BarGroup TForm_GeneratorSet::addBarGroup(
    const QString& box, const QString& bar, const QString& low, const QString& high, int groupIndex,
    std::int32_t GeneratorSection::*value, std::int32_t GeneratorSection::*rangeField) {
    BarGroup g;
    g.box = new QGroupBox(this);
    g.box->setObjectName(box);
    g.bar = new QScrollBar(Qt::Horizontal, g.box);
    g.bar->setObjectName(bar);
    g.bar->setRange(kModulationBarRange.min, kModulationBarRange.max);
    g.bar->setPageStep(kModulationBarLargeStep);
    g.bar->setSingleStep(1);
    auto* lowButton = speedButton(g.box, low);
    auto* highButton = speedButton(g.box, high);
    g.range = exclusiveGroup(g.box, "Group_" + QString::number(groupIndex), lowButton, highButton);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(lowButton);
    buttons->addWidget(highButton);
    buttons->addStretch(1);
    auto* column = new QVBoxLayout(g.box);
    column->addWidget(g.bar);
    column->addLayout(buttons);

    connect(g.bar, &QScrollBar::valueChanged, this, [this, value](int v) {
        state_.Generator.*value = v;
        controlChanged();
    });
    connect(g.range, &QButtonGroup::idClicked, this, [this, rangeField](int id) {
        state_.Generator.*rangeField = id;
        controlChanged();
    });
    return g;
}

void TForm_GeneratorSet::FormShow() {
    const ModulationDialogTexts t = modulationDialogTexts(state_.russian());
    setWindowTitle(qtText(t.title));
    SpeedButton_AM->setText(qtText(t.am));
    SpeedButton_FM->setText(qtText(t.fm));
    modFreq_.range->button(0)->setText(qtText(t.modFreqLow));
    modFreq_.range->button(1)->setText(qtText(t.modFreqHigh));
    modK_.range->button(0)->setText(qtText(t.depthLow));
    modK_.range->button(1)->setText(qtText(t.depthHigh));
    devFm_.range->button(0)->setText(qtText(t.devLow));
    devFm_.range->button(1)->setText(qtText(t.devHigh));
    setButtonTexts(t.ok, t.cancel);

    const ModulationOptions shown = shownModulationOptions(state_.Generator);
    blockWhile(
        {modType_, modFreq_.bar, modFreq_.range, modK_.bar, modK_.range, devFm_.bar, devFm_.range},
        [&] {
            modType_->button(shown.Mod_Type)->setChecked(true);
            modFreq_.bar->setValue(shown.Mod_Freq);
            modFreq_.range->button(shown.Mod_Freq_x)->setChecked(true);
            modK_.bar->setValue(shown.Mod_K);
            modK_.range->button(shown.Mod_K_x)->setChecked(true);
            devFm_.bar->setValue(shown.Dev_Freq);
            devFm_.range->button(shown.Dev_Freq_x)->setChecked(true);
        });
    rewriteCaptions();
}

void TForm_GeneratorSet::rewriteCaptions() {
    const ModulationCaptions c = modulationCaptions(state_.Generator, state_.russian(),
                                                    QLocale().decimalPoint().toStdString());
    modFreq_.box->setTitle(qtText(c.modFreq));
    modK_.box->setTitle(qtText(c.depth));
    devFm_.box->setTitle(qtText(c.devFm));
}

void TForm_GeneratorSet::controlChanged() {
    rewriteCaptions();
    notifyChanged(FollowUp::ApplyAndStart);
}

} // namespace qs40
