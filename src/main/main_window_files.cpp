// The File menu's commands: data files, settings files and the exports. The operations
// live in the files code; here they get the window's state, frames and boxes, and the window
// applies what they load.
#include "main/main_window.h"

#include "files/config_io.h"
#include "files/config_location.h"
#include "files/export_bitmap.h"
#include "files/export_raw.h"
#include "files/export_sigrok.h"
#include "files/export_text.h"
#include "files/export_vcd.h"
#include "files/settings_file.h"
#include "main/paint_box.h"
#include "main/single_instance.h"
#include "scope/parameter_computation.h"
#include "scope/variant_controls.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QSignalBlocker>

namespace qs40 {

std::string TQS4003MFrm::errorCaption() const {
    return applicationTitle(options_.executablePath);
}

FileCommandContext TQS4003MFrm::fileContext() {
    return {*ui_, state_, session_.frames()};
}

DataFileContext TQS4003MFrm::dataFileContext() {
    DataFileHooks hooks;
    hooks.recomputeAndDisplay = [this] {
        recompute(context_);
        requests_.requestDisplay();
        requests_.wake();
    };
    hooks.readSettings = [this](const std::string& path) {
        const ScopeState before = state_;
        readConfigurationFile(path, state_, ConfigMode::File, false);
        keepRadioGroupsFilled(before);
        afterSettingsOpened();
    };
    hooks.wait = [](std::chrono::milliseconds ms) {
        // The opened frame is drawn meanwhile.
        const QDeadlineTimer deadline(ms.count());
        while (!deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    };
    return {fileContext(), {variantFlags_.askOnChange, variantFlags_.announceChange}, hooks};
}

ExportContext TQS4003MFrm::exportContext() {
    return {fileContext(), decimalSeparator_};
}

void TQS4003MFrm::afterDataFileOpened() {
    {
        const QSignalBlocker block(panel_.xPos);
        panel_.xPos->setValue(0);
    }
    followUp(FollowUp::ApplyAndStart);
}

void TQS4003MFrm::afterSettingsOpened() {
    followUp(FollowUp::ApplyAndStart);
}

void TQS4003MFrm::openSettingsFile(const std::string& path) {
    const ScopeState before = state_;
    if (openSettings(state_, *ui_, path)) {
        keepRadioGroupsFilled(before);
        afterSettingsOpened();
    }
}

void TQS4003MFrm::openDataFile(const std::string& path) {
    DataFileContext context = dataFileContext();
    if (qs40::openDataFile(context, path) == DataFileOpenResult::Loaded)
        afterDataFileOpened();
}

void TQS4003MFrm::keepRadioGroupsFilled(const ScopeState& before) {
    refillRadioGroups(state_, before);
    setUpVariant();
}

void TQS4003MFrm::Menu_Save_AsClick() {
    if (state_.Run.running)
        return; // the item is disabled while running; its shortcut must not get round that
    const BusyScope busy(instance_);
    DataFileContext context = dataFileContext();
    saveDataFileCommand(context);
}

void TQS4003MFrm::Menu_OpenClick() {
    if (state_.Run.running)
        return;
    const BusyScope busy(instance_);
    DataFileContext context = dataFileContext();
    if (openDataFileCommand(context) == DataFileOpenResult::Loaded)
        afterDataFileOpened();
}

void TQS4003MFrm::Menu_Save_SettingsClick() {
    const BusyScope busy(instance_);
    saveSettings(state_, *ui_, errorCaption());
}

void TQS4003MFrm::Menu_Open_SettingsClick() {
    const BusyScope busy(instance_);
    const ScopeState before = state_;
    if (openSettingsFromDialog(state_, *ui_)) {
        keepRadioGroupsFilled(before);
        afterSettingsOpened();
    }
}

void TQS4003MFrm::Menu_ImageClick() {
    if (state_.Run.running)
        return;
    const BusyScope busy(instance_);
    ExportContext context = exportContext();
    const QImage& bitmap = panel_.image->bitmap();
    PixelImage picture{bitmap.width(), bitmap.height(), [&bitmap](int x, int y) {
                           const QRgb c = bitmap.pixel(x, y);
                           return static_cast<std::uint32_t>(qRed(c)) |
                                  static_cast<std::uint32_t>(qGreen(c)) << 8 |
                                  static_cast<std::uint32_t>(qBlue(c)) << 16;
                       }};
    exportImage(context, picture);
}

void TQS4003MFrm::Menu_TextClick() {
    if (state_.Run.running)
        return;
    const BusyScope busy(instance_);
    ExportContext context = exportContext();
    exportText(context);
}

void TQS4003MFrm::exportBinaryClick(int channel) {
    if (state_.Run.running)
        return;
    const BusyScope busy(instance_);
    ExportContext context = exportContext();
    exportRawChannel(context, static_cast<RawChannel>(channel));
}

void TQS4003MFrm::Menu_Export_SigrokClick() {
    if (state_.Run.running)
        return;
    const BusyScope busy(instance_);
    ExportContext context = exportContext();
    exportSigrok(context);
}

void TQS4003MFrm::Menu_Export_VCDClick() {
    if (state_.Run.running)
        return;
    const BusyScope busy(instance_);
    ExportContext context = exportContext();
    exportVcd(context);
}

} // namespace qs40
