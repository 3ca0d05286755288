// The four option dialogs' menu actions: busy around the dialog, the fields copied before it
// and put back when it is cancelled (Cancel, Escape or the title bar's close), the colours
// saved with the configuration on OK and applied after the dialog either way.
#include "dialogs/color_dialog.h"
#include "dialogs/fft_dialog.h"
#include "dialogs/generator_dialog.h"
#include "dialogs/trigger_dialog.h"
#include "main/main_window.h"
#include "main/single_instance.h"
#include "scope/option_fields.h"

namespace qs40 {

void TQS4003MFrm::wireOptionDialogs() {
    const auto changed = [this](FollowUp f) { followUp(f); };
    trigSet_ = new TForm_TrigSet(state_, changed, this);
    fftSet_ = new TForm_FFTSet(state_, changed, this);
    generatorSet_ = new TForm_GeneratorSet(state_, changed, this);
    colorSet_ = new TForm_ColorSet(state_, changed, this);

    MainMenu& m = menu_;
    connect(m.trigger, &QAction::triggered, this, [this] { Menu_TriggerClick(); });
    connect(m.fftSet, &QAction::triggered, this, [this] { Menu_FFTSetClick(); });
    connect(m.generatorSet, &QAction::triggered, this, [this] { Menu_GeneratorSetClick(); });
    connect(m.colors, &QAction::triggered, this, [this] { Menu_ColorsClick(); });
}

int TQS4003MFrm::runModal(QDialog& dialog, std::function<void()> restore) {
    restoreBeforeClose_ = std::move(restore);
    const int result = trackedUi_.modal([&dialog] { return dialog.exec(); });
    restoreBeforeClose_ = nullptr;
    return result;
}

bool TQS4003MFrm::runOptionDialog(QDialog* dialog, OptionDialog which) {
    const OptionFieldsCopy before = copyOptionFields(state_, which);
    const int result = runModal(*dialog, [this, before] { restoreOptionFields(state_, before); });
    if (result == QDialog::Accepted)
        return true;
    restoreOptionFields(state_, before);
    if (const std::optional<FollowUp> f = optionCancelFollowUp(which))
        followUp(*f);
    return false;
}

void TQS4003MFrm::Menu_TriggerClick() {
    const BusyScope busy(instance_);
    runOptionDialog(trigSet_, OptionDialog::Trigger);
}

void TQS4003MFrm::Menu_FFTSetClick() {
    const BusyScope busy(instance_);
    runOptionDialog(fftSet_, OptionDialog::Fft);
}

void TQS4003MFrm::Menu_GeneratorSetClick() {
    const BusyScope busy(instance_);
    runOptionDialog(generatorSet_, OptionDialog::Modulation);
}

void TQS4003MFrm::Menu_ColorsClick() {
    const BusyScope busy(instance_);
    // A configuration file that could not be read is never overwritten: the save respects it.
    if (runOptionDialog(colorSet_, OptionDialog::Colors) && options_.saveConfiguration)
        options_.saveConfiguration(state_, configurationPath());
    followUp(FollowUp::Apply);
}

} // namespace qs40
