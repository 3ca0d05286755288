// qs40-cli acquire: the configuration and the settings file as the window reads them, the
// instrument opened as after the first paint, the variant it reports taken as the window's
// calibration check takes it, then the run, and the last accepted frame written by the window's
// own save and export commands.
#include "cli/cli_commands.h"
#include "cli/cli_ui.h"
#include "cli/exit_codes.h"
#include "cli/instrument_run.h"
#include "cli/model_setup.h"
#include "files/config_io.h"
#include "files/config_location.h"
#include "files/config_read.h"
#include "files/config_texts.h"
#include "files/data_file.h"
#include "files/export_raw.h"
#include "files/export_sigrok.h"
#include "files/export_text.h"
#include "files/export_vcd.h"
#include "files/file_dialogs.h"
#include "files/ini_file.h"
#include "files/settings_file.h"
#include "scope/variant.h"
#include "scope/variant_controls.h"

#include <array>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

namespace qs40::cli {
namespace {

namespace fs = std::filesystem;

int failure(std::ostream& err, int code, const std::string& reason) {
    err << "qs40-cli: " << reason << '\n';
    return code;
}

// A settings file holds its header section or front-panel sections. Anything else would be
// read as an empty file and change nothing, which the user would never notice.
bool looksLikeSettings(const IniFile& ini) {
    for (const std::string_view section :
         {kSettingsHeaderSection, std::string_view("Common"), std::string_view("Scope"),
          std::string_view("Trigger"), std::string_view("Generator"), std::string_view("FFT")})
        if (ini.hasSection(section))
            return true;
    return false;
}

std::string variantText(std::int32_t code) {
    return variantName(code) + " (variant " + std::to_string(code) + ")";
}

std::string channelNames(std::int32_t mask) {
    static constexpr std::array<const char*, 4> kNames{"A1", "A2", "D1", "D2"};
    std::string names;
    for (int c = 0; c < 4; ++c)
        if ((mask & (1 << c)) != 0)
            names += (names.empty() ? "" : " ") + std::string(kNames[c]);
    return names.empty() ? "none" : names;
}

std::string rawChannelName(RawChannel channel) {
    static constexpr std::array<const char*, 4> kNames{"A1", "A2", "D1", "D2"};
    return kNames[static_cast<int>(channel)];
}

int checkSettingsFile(const std::string& path, const IniFile& configuration, Ui& ui,
                      std::ostream& err) {
    // A file that cannot be read (a named pipe, a folder) is refused by the reader with its box,
    // in the configured language; the settings are applied later, for the instrument's variant.
    ScopeState scratch;
    readConfiguration(configuration, scratch, ConfigMode::Configuration, true);
    if (!openSettings(scratch, ui, path))
        return kExitBadInput; // the box said why
    if (!looksLikeSettings(IniFile::load(path)))
        return failure(err, kExitBadInput, path + " is not a settings file");
    return kExitOk;
}

// What the variant lacks cannot be asked of it.
int checkVariantOffers(const CliOptions& o, const ScopeState& state, std::ostream& err) {
    const std::string variant = variantText(state.System.Device_Type_Code);
    if (o.generator && !state.has(kCapGenerator))
        return failure(err, kExitUsage, "--generator: the " + variant + " has no generator");
    for (const RawExportRequest& r : o.rawExports) {
        const bool offered = (r.channel != RawChannel::A2 || state.has(kCapA2)) &&
                             (r.channel != RawChannel::D2 || state.has(kCapD2));
        if (!offered)
            return failure(err, kExitUsage,
                           "--export-bin: the " + variant + " has no channel " +
                               rawChannelName(r.channel));
    }
    return kExitOk;
}

bool sameFile(const std::string& a, const std::string& b) {
    std::error_code ec;
    return !a.empty() && !b.empty() && fs::equivalent(a, b, ec);
}

// The settings file the frame was taken with is already the data file's companion: kept as
// it is, and no reason to refuse the save.
bool companionIsSettingsFile(const CliOptions& o) {
    return sameFile(companionSettingsName(o.saveFile), o.settingsFile);
}

// A companion that exists is never replaced (its question is answered No), which would leave
// a new data file beside old settings: refused before anything is acquired.
int checkCompanionsFree(const CliOptions& o, std::ostream& err) {
    std::vector<std::pair<std::string, const char*>> companions;
    if (!o.saveFile.empty() && !companionIsSettingsFile(o))
        companions.emplace_back(companionSettingsName(o.saveFile), "--save");
    for (const RawExportRequest& r : o.rawExports)
        companions.emplace_back(withExtension(r.path, ".txt"), "--export-bin");
    for (const auto& [path, option] : companions)
        if (fileExists(path))
            return failure(err, kExitWrite,
                           path +
                               " exists and is not replaced: remove it or choose another "
                               "name for " +
                               option);
    return kExitOk;
}

std::string timeoutReason(const CliOptions& o, const InstrumentRun& run) {
    const std::string within = " within " + o.timeoutText + " s";
    if (!run.instrumentVariant())
        return "time-out: the instrument did not come up" + within;
    if (o.single)
        return "time-out: the single shot did not complete" + within;
    return "time-out: frame " + std::to_string(run.framesAccepted() + 1) + " of " +
           std::to_string(o.frames) + " did not come" + within;
}

// What the window's calibration check does: the instrument's own variant decides what the run
// writes and what can be asked of it. A variant of the command line is the one the user
// expects to find, so another instrument is refused.
int followInstrument(const CliOptions& o, std::int32_t code, const IniFile& configuration,
                     ScopeModel& model, Ui& ui, std::ostream& err) {
    if (o.variant && *o.variant != code)
        return failure(err, kExitUsage,
                       "--variant " + std::to_string(*o.variant) + ": the instrument is a " +
                           variantText(code) + ", not a " + variantName(*o.variant));
    if (code != model.state.System.Device_Type_Code &&
        !setUpModel(configuration, code, o.settingsFile, model, ui))
        return kExitBadInput;
    return checkVariantOffers(o, model.state, err);
}

// Serves the instrument until `done`, giving each frame the whole time-out: a run of many
// frames takes as long as the link needs for them.
WaitResult waitFrameByFrame(const CliOptions& o, InstrumentRun& run,
                            const std::function<bool()>& done) {
    WaitResult result;
    while (result.outcome == WaitOutcome::Done && !done()) {
        const std::uint32_t before = run.framesAccepted();
        result = run.waitUntil([&] { return done() || run.framesAccepted() != before; },
                               InstrumentRun::Clock::now() + o.timeout);
    }
    return result;
}

// Opens the instrument, waits until it says what it is, then runs it until the frames are in;
// the instrument is shut down afterwards.
int acquireFrames(const CliOptions& o, const IniFile& configuration, ScopeModel& model,
                  InstrumentRun& run, CliUi& ui, std::ostream& err) {
    if (run.open() != FT_OK)
        return kExitDevice; // the USB error box said why
    // Run and Single are still up: the FPGA is loaded and nothing is acquired yet.
    run.start();
    WaitResult result = run.waitUntil([&] { return run.instrumentVariant().has_value(); },
                                      InstrumentRun::Clock::now() + o.timeout);
    if (result.outcome == WaitOutcome::Done) {
        if (const int code =
                followInstrument(o, *run.instrumentVariant(), configuration, model, ui, err);
            code != kExitOk) {
            run.shutDown();
            return code;
        }
        RunState& buttons = model.state.Run;
        buttons.generatorOn = o.generator;
        buttons.snglDown = o.single;
        buttons.runDown = !o.single;
        run.apply();
        result = waitFrameByFrame(o, run, [&] {
            return o.single ? run.singleShotEnded()
                            : run.framesAccepted() >= static_cast<std::uint32_t>(o.frames);
        });
    }
    // Said as things stand now: the stop below lets the thread run on a little.
    const std::string timedOut =
        result.outcome == WaitOutcome::TimedOut ? timeoutReason(o, run) : std::string();
    if (result.outcome != WaitOutcome::LinkFailed)
        run.stopRunning();
    run.shutDown();
    switch (result.outcome) {
    case WaitOutcome::Done:
        return kExitOk;
    case WaitOutcome::LinkFailed:
        return failure(err, kExitDevice, result.reason);
    case WaitOutcome::TimedOut:
        return failure(err, kExitTimeout, timedOut);
    }
    return kExitFailure;
}

void describeFrame(const FrameHeader& h, std::ostream& out) {
    out << "Frame: " << h[kHdrValid] << " samples per channel, channels "
        << channelNames(h[kHdrChannels]) << ", from a " << variantText(h[kHdrVariant]) << '\n';
}

// One output step: a failure that no box reported gets a line of its own.
int outputFailure(std::ostream& err, const CliUi& ui, std::size_t boxesBefore,
                  const std::string& reason) {
    if (ui.boxesShown() == boxesBefore)
        err << "qs40-cli: " << reason << '\n';
    return kExitWrite;
}

int saveData(const CliOptions& o, ScopeModel& model, FrameSets& frames, CliUi& ui,
             std::ostream& out, std::ostream& err) {
    bool askOnVariantChange = false;
    bool announceVariantChange = false;
    DataFileContext context{
        {ui, model.state, frames}, {askOnVariantChange, announceVariantChange}, DataFileHooks{}};
    const std::size_t boxes = ui.boxesShown();
    const std::string companion = companionSettingsName(o.saveFile);
    const bool keepSettingsFile = companionIsSettingsFile(o);
    ui.setQuestionsQuiet(keepSettingsFile); // its replace question is no news
    const DataFileSaveResult result = saveDataFile(context, o.saveFile);
    ui.setQuestionsQuiet(false);
    switch (result) {
    case DataFileSaveResult::Saved:
        out << "Wrote " << o.saveFile << " and " << companion << '\n';
        return kExitOk;
    case DataFileSaveResult::CompanionKept:
        if (keepSettingsFile) {
            out << "Wrote " << o.saveFile << "; its settings file is " << companion << '\n';
            return kExitOk;
        }
        [[fallthrough]];
    case DataFileSaveResult::CompanionFailed:
        out << "Wrote " << o.saveFile << '\n';
        return outputFailure(err, ui, boxes, companion + " was not written");
    case DataFileSaveResult::Failed:
    case DataFileSaveResult::Cancelled:
        break;
    }
    return outputFailure(err, ui, boxes, o.saveFile + " was not written");
}

// The export commands, with their dialog answered by the file of the command line.
int exportResult(ExportResult result, const std::string& path, const std::string& companion,
                 const CliUi& ui, std::size_t boxes, std::ostream& out, std::ostream& err) {
    switch (result) {
    case ExportResult::Written:
        out << "Wrote " << path << (companion.empty() ? "" : " and " + companion) << '\n';
        return kExitOk;
    case ExportResult::CompanionKept:
    case ExportResult::CompanionFailed:
        out << "Wrote " << path << '\n';
        return outputFailure(err, ui, boxes, companion + " was not written");
    case ExportResult::NoData:
    case ExportResult::Cancelled:
    case ExportResult::Failed:
        break;
    }
    return outputFailure(err, ui, boxes, path + " was not written");
}

int writeOutputs(const CliOptions& o, ScopeModel& model, FrameSets& frames, CliUi& ui,
                 std::ostream& out, std::ostream& err) {
    if (!o.saveFile.empty())
        if (const int code = saveData(o, model, frames, ui, out, err); code != kExitOk)
            return code;
    ExportContext context{{ui, model.state, frames}};
    if (!o.textFile.empty()) {
        const std::size_t boxes = ui.boxesShown();
        ui.answerNextSaveDialog(o.textFile);
        const int code = exportResult(exportText(context), o.textFile, {}, ui, boxes, out, err);
        if (code != kExitOk)
            return code;
    }
    for (const RawExportRequest& r : o.rawExports) {
        const std::size_t boxes = ui.boxesShown();
        ui.answerNextSaveDialog(r.path);
        const int code = exportResult(exportRawChannel(context, r.channel), r.path,
                                      withExtension(r.path, ".txt"), ui, boxes, out, err);
        if (code != kExitOk)
            return code;
    }
    const std::pair<const std::string*, ExportResult (*)(ExportContext&)> toolExports[] = {
        {&o.sigrokFile, exportSigrok}, {&o.vcdFile, exportVcd}};
    for (const auto& [path, exportTo] : toolExports) {
        if (path->empty())
            continue;
        const std::size_t boxes = ui.boxesShown();
        ui.answerNextSaveDialog(*path);
        if (const int code = exportResult(exportTo(context), *path, {}, ui, boxes, out, err);
            code != kExitOk)
            return code;
    }
    return kExitOk;
}

} // namespace

int runAcquire(const CliOptions& o, std::ostream& out, std::ostream& err,
               const CliEnvironment& env) {
    CliUi ui(err);
    const std::string caption = applicationTitle(env.executable);
    IniFile configuration;
    if (const int code = loadConfiguration(o, env, configuration, err); code != kExitOk)
        return code;
    if (!o.settingsFile.empty())
        if (const int code = checkSettingsFile(o.settingsFile, configuration, ui, err);
            code != kExitOk)
            return code;
    auto model = std::make_unique<ScopeModel>();
    if (!setUpModel(configuration, o.variant, o.settingsFile, *model, ui))
        return kExitBadInput;
    // The instrument must be of the variant named here, so what that variant lacks is refused
    // before anything is opened; otherwise the instrument's own variant decides, once it is
    // known.
    if (o.variant)
        if (const int code = checkVariantOffers(o, model->state, err); code != kExitOk)
            return code;
    if (const int code = checkCompanionsFree(o, err); code != kExitOk)
        return code;

    InstrumentConnection instrument;
    if (const int code = connectInstrument(o, env, ui, *model, caption, instrument, err);
        code != kExitOk)
        return code;
    InstrumentRun& run = *instrument.run;
    if (const int code = acquireFrames(o, configuration, *model, run, ui, err); code != kExitOk)
        return code;
    FrameSets& frames = run.frames();
    {
        std::lock_guard lock(frames.mutex);
        describeFrame(frames.current->header, out);
    }
    return writeOutputs(o, *model, frames, ui, out, err);
}

} // namespace qs40::cli
