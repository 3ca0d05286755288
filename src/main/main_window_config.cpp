// The configuration file at start and at close. A file that is there but cannot be read is
// kept as it is: this session's settings never replace it, which would lose its calibration
// values and its hand-edited service switches. The user is told once at start and asked at
// close whether to save the configuration to another file instead.
#include "main/main_window.h"

#include "files/config_texts.h"
#include "files/file_dialogs.h"
#include "scope/first_start_language.h"

#include <filesystem>
#include <system_error>

namespace qs40 {
namespace {

bool sameFile(const std::string& a, const std::string& b) {
    std::error_code ec;
    return a == b || std::filesystem::equivalent(a, b, ec);
}

} // namespace

void TQS4003MFrm::readConfigurationAtStart() {
    if (!options_.loadConfiguration)
        return;
    const std::string path = configurationPath();
    const ConfigReadResult result = options_.loadConfiguration(state_, path, true);
    // A first start speaks the system's language; a configuration's language is always kept.
    if (result.status == ConfigReadStatus::Missing)
        state_.Common.Russian = russianLocale(options_.systemLocale);
    if (!result.kept())
        return;
    configurationKept_ = true;
    // The variant switch writes the configuration too; it must not reach this file either.
    if (auto write = std::move(options_.saveConfiguration))
        options_.saveConfiguration = [write = std::move(write), path](const ScopeState& state,
                                                                      const std::string& target) {
            if (!sameFile(target, path))
                write(state, target);
        };
    // The language of the command line, when it names one, is the session's.
    const bool ru = options_.russian.value_or(state_.russian());
    ui_->messageBox(warningCaption(ru),
                    configurationKeptText(path, configReadReason(result, ru), ru),
                    BoxIcon::Exclamation, BoxButtons::Ok);
}

void TQS4003MFrm::writeConfigurationAtClose() {
    if (!options_.saveConfiguration)
        return;
    const std::string path = configurationPath();
    if (!configurationKept_) {
        options_.saveConfiguration(state_, path);
        return;
    }
    const bool ru = state_.russian();
    const std::string caption = saveConfigurationCaption(ru);
    if (ui_->messageBox(caption, saveConfigurationElsewhereText(path, ru), BoxIcon::Question,
                        BoxButtons::YesNo) != BoxAnswer::Yes)
        return;
    FileDialogRequest request;
    request.title = caption;
    request.filter = saveConfigurationFilter(ru);
    request.defaultExtension = "ini";
    request.proposedName = fileNameOf(path);
    request.folder = state_.Session.workingFolder;
    const auto chosen = ui_->saveFileName(request);
    if (!chosen)
        return;
    // The kept file is not "another file": it stays as it is.
    if (sameFile(*chosen, path)) {
        ui_->messageBox(warningCaption(ru), configurationKeptText(path, {}, ru),
                        BoxIcon::Exclamation, BoxButtons::Ok);
        return;
    }
    options_.saveConfiguration(state_, *chosen);
}

} // namespace qs40
