#include "cli/model_setup.h"

#include "cli/cli_commands.h"
#include "cli/exit_codes.h"
#include "device/link/fpga_image.h"
#include "files/config_io.h"
#include "files/config_location.h"
#include "files/config_read.h"
#include "files/config_texts.h"
#include "files/settings_file.h"
#include "scope/variant_controls.h"
#include "sim/device_choice.h"

#include <filesystem>

namespace qs40::cli {

namespace fs = std::filesystem;

namespace {

int failure(std::ostream& err, int code, const std::string& reason) {
    err << "qs40-cli: " << reason << '\n';
    return code;
}

} // namespace

int loadConfiguration(const CliOptions& o, const CliEnvironment& env, IniFile& configuration,
                      std::ostream& err) {
    const bool named = !o.configFile.empty();
    const fs::path path = named ? fs::path(o.configFile) : defaultConfigurationFile(env.executable);
    ConfigDocument document = loadConfigurationDocument(path);
    ConfigReadResult& result = document.result;
    // An empty file named here holds none of the sections either: no configuration at all.
    if (named && result.status == ConfigReadStatus::Read && document.ini.sectionNames().empty()) {
        result.status = ConfigReadStatus::Unusable;
        result.problem = ConfigProblem::NoKnownSection;
    }
    // A file named here must be read. The default one may be missing; when it is there but
    // cannot be read the run goes on, as the window does, and says so.
    if (named ? result.status != ConfigReadStatus::Read : result.kept()) {
        const std::string reason = "cannot read the configuration file " + path.string() + ": " +
                                   configReadReason(result, false);
        if (named)
            return failure(err, kExitBadInput, reason);
        err << "qs40-cli: " << reason << '\n';
    }
    configuration = std::move(document.ini);
    return kExitOk;
}

bool setUpModel(const IniFile& configuration, std::optional<std::int32_t> variant,
                const std::string& settingsFile, ScopeModel& model, Ui& ui) {
    model.state = ScopeState{};
    model.params = AcquisitionParams{};
    model.view = PanelView{};
    ScopeState& state = model.state;
    if (variant) {
        // As the window's variant switch: the fields of the variant are taken from the file,
        // the file's own code is not.
        state.System.Device_Type_Code = *variant;
        readConfiguration(configuration, state, ConfigMode::Configuration, false);
        state.System.Device_Type_Code = *variant;
    } else {
        readConfiguration(configuration, state, ConfigMode::Configuration, true);
    }
    applyServiceSwitches(state, model.view);
    applyVariantControls(state, model.view);
    return settingsFile.empty() || openSettings(state, ui, settingsFile); // a box says why not
}

int connectInstrument(const CliOptions& o, const CliEnvironment& env, Ui& ui, ScopeModel& model,
                      const std::string& caption, InstrumentConnection& connection,
                      std::ostream& err) {
    FpgaImage image = findFpgaImage({}, env.executable.parent_path());
    if (!image.ok())
        return failure(err, kExitBadInput, image.error);
    std::string error;
    connection.d2xx = makeD2xx(deviceTextOrDefault(o.device), error);
    if (!connection.d2xx)
        return failure(err, kExitUsage, error);
    connection.run = std::make_unique<InstrumentRun>(*connection.d2xx, ui, model,
                                                     std::move(image.bytes), caption);
    return kExitOk;
}

} // namespace qs40::cli
