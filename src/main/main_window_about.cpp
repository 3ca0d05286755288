// Help > About.
#include "main/main_window.h"

#include "dialogs/about_box.h"
#include "scope/about_text.h"

namespace qs40 {

void TQS4003MFrm::Menu_AboutClick() {
    const InstrumentReport report = session_.link().report.get();
    AboutInputs in;
    in.identified = session_.link().identityReceived.load();
    in.instrumentCode = report.featureWord;
    in.firmwareVersion = report.firmwareVersion;
    in.fpgaVersion = report.fpgaVersion;
    in.serialPrefix = report.serialPrefix;
    in.serialNumber = report.serialNumber;
    in.service = state_.System.Debug_qs;
    aboutBox_->setText(aboutText(in, state_.russian()));
    trackedUi_.modal([this] { return aboutBox_->exec(); });
}

} // namespace qs40
