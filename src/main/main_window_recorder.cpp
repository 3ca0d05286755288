// File > Recorder...: the recorder's window over the running slow roll, and the hand-over's
// writes routed to it.
#include "main/main_window.h"

#include "dialogs/recorder_form.h"
#include "files/recorder_texts.h"
#include "main/single_instance.h"
#include "scope/control_rules.h"

namespace qs40 {

bool TQS4003MFrm::recorderAllowed() {
    // The queue-status query first, as the link check of every recording start.
    const FtStatus status = session_.isOpen() ? session_.usb().probe() : FT_DEVICE_NOT_OPENED;
    return state_.Run.runDown && slowTimeBase(state_) && session_.link().linkUp.load() &&
           status == FT_OK;
}

void TQS4003MFrm::Menu_RecorderClick() {
    const bool russian = state_.russian();
    if (!recorderAllowed()) {
        const RecorderTexts& t = recorderTexts(russian);
        ui_->messageBox(t.refusalCaption, t.refusalText, BoxIcon::Stop, BoxButtons::Ok);
        return;
    }
    const BusyScope busy(instance_);
    if (recorderForm_ == nullptr) {
        RecorderFormContext context{session_.recorder(),
                                    *ui_,
                                    [this] {
                                        std::lock_guard lock(session_.frames().mutex);
                                        return recorderFactsOf(session_.frames().current->header);
                                    },
                                    [this] { return recorderEndOf(session_.link()); },
                                    state_.Session.workingFolder,
                                    russian,
                                    decimalSeparator_};
        recorderForm_ = new TForm_Recorder(std::move(context), this);
    }
    recorderForm_->setLanguage(russian, decimalSeparator_);
    // Not on top while the recorder is open, so that it can come in front of the window.
    if (windowFlags().testFlag(Qt::WindowStaysOnTopHint)) {
        setWindowFlag(Qt::WindowStaysOnTopHint, false);
        show();
    }
    recorderForm_->move(geometry().center() - recorderForm_->rect().center());
    recorderForm_->exec();
    followUp(FollowUp::Apply); // puts the on-top style back when it is chosen
}

void TQS4003MFrm::recorderWrite(std::span<const std::uint8_t> bytes) {
    if (recorderForm_ != nullptr)
        recorderForm_->write(bytes);
}

} // namespace qs40
