// qs40-cli record: the recorder without its window. The configuration and the settings file as
// the window reads them, the instrument opened and run, and from its first roll frame on the
// new A1 samples appended to the file until the duration passes, a signal comes, the link
// fails or the file stops taking bytes. Every end closes the file and writes its text file.
#include "cli/cli_commands.h"
#include "cli/cli_ui.h"
#include "cli/exit_codes.h"
#include "cli/instrument_run.h"
#include "cli/model_setup.h"
#include "cli/record_signals.h"
#include "files/config_io.h"
#include "files/config_location.h"
#include "files/config_read.h"
#include "files/config_texts.h"
#include "files/recorder_companion.h"
#include "files/recorder_session.h"
#include "files/recorder_texts.h"
#include "files/settings_file.h"
#include "scope/control_rules.h"
#include "scope/variant.h"
#include "scope/variant_controls.h"

#include <chrono>
#include <cstdio>
#include <memory>
#include <optional>

namespace qs40::cli {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr auto kProgressInterval = 1s;

int failure(std::ostream& err, int code, const std::string& reason) {
    err << "qs40-cli: " << reason << '\n';
    return code;
}

// The recorder takes only a slow roll: the window's menu command refuses anything else.
int refusal(std::ostream& err) {
    return failure(err, kExitUsage,
                   std::string("record: the settings give no slow roll without trigger: ") +
                       recorderTexts(false).refusalText);
}

std::string progressLine(const RecorderSession& recorder) {
    const double seconds = std::chrono::duration<double>(recorder.elapsed()).count();
    char rate[32];
    std::snprintf(rate, sizeof rate, "%.0f", seconds > 0 ? recorder.bytes() / seconds : 0.0);
    return "qs40-cli: recording " + recorder.path() + ": " + groupedByteCount(recorder.bytes()) +
           " bytes, " + elapsedText(recorder.elapsed()) + ", " + rate + " bytes/s\n";
}

struct Recording {
    const CliOptions& o;
    const IniFile& configuration;
    ScopeModel& model;
    InstrumentRun& run;
    RecorderSession& recorder;
    CliUi& ui;
    std::ostream& out;
    std::ostream& err;
    StopSignals signals;

    // The instrument up, its variant followed, and running with a roll frame in.
    int bringUp() {
        if (run.open() != FT_OK)
            return kExitDevice; // the USB error box said why
        run.start();
        WaitResult result = run.waitUntil([&] { return run.instrumentVariant().has_value(); },
                                          InstrumentRun::Clock::now() + o.timeout);
        if (result.outcome != WaitOutcome::Done)
            return waitFailure(result, "the instrument did not come up");
        const std::int32_t code = *run.instrumentVariant();
        if (o.variant && *o.variant != code)
            return failure(err, kExitUsage,
                           "--variant " + std::to_string(*o.variant) + ": the instrument is a " +
                               variantName(code) + ", not a " + variantName(*o.variant));
        if (code != model.state.System.Device_Type_Code &&
            !setUpModel(configuration, code, o.settingsFile, model, ui))
            return kExitBadInput;
        if (!slowTimeBase(model.state))
            return refusal(err);
        model.state.Run.runDown = true;
        model.state.Run.snglDown = false;
        run.apply();
        result = run.waitUntil([&] { return signals.received() != 0 || rollFrameIn(); },
                               InstrumentRun::Clock::now() + o.timeout);
        if (result.outcome != WaitOutcome::Done)
            return waitFailure(result, "no roll frame came");
        if (signals.received() != 0)
            return failure(err, kExitFailure, "interrupted before the recording started");
        return kExitOk;
    }

    bool rollFrameIn() {
        if (run.framesAccepted() == 0)
            return false;
        FrameSets& frames = run.frames();
        std::lock_guard lock(frames.mutex);
        return frames.current->header[kHdrRoll] != 0 && frames.current->header[kHdrDivider] != 0;
    }

    RecorderFrameFacts lastFrameFacts() {
        FrameSets& frames = run.frames();
        std::lock_guard lock(frames.mutex);
        return recorderFactsOf(frames.current->header);
    }

    int waitFailure(const WaitResult& result, const std::string& what) {
        if (result.outcome == WaitOutcome::LinkFailed)
            return failure(err, kExitDevice, result.reason);
        return failure(err, kExitTimeout, "time-out: " + what + " within " + o.timeoutText + " s");
    }

    // Records until the duration passes, a signal comes, the link fails or a write fails.
    int record() {
        const RecorderFrameFacts facts = lastFrameFacts();
        recorder.rebuildInfo(facts);
        if (!recorder.start(o.recordFile, facts))
            return kExitWrite; // the box said why
        const auto started = InstrumentRun::Clock::now();
        const auto deadline =
            o.duration ? started + *o.duration : InstrumentRun::Clock::time_point::max();
        auto nextProgress = started + kProgressInterval;
        const WaitResult result = run.waitUntil(
            [&] {
                recorder.tick(); // a failed write ends the recording here
                const auto now = InstrumentRun::Clock::now();
                if (now >= nextProgress) {
                    nextProgress = now + kProgressInterval;
                    err << progressLine(recorder) << std::flush;
                }
                return signals.received() != 0 || !recorder.recording() || now >= deadline;
            },
            deadline);
        if (result.outcome == WaitOutcome::LinkFailed) {
            recorder.stop(recorderEndOf(run.link()).value_or(RecorderEnd::ConnectionLost));
            err << "qs40-cli: the recording ended: " << result.reason << '\n';
            report();
            return kExitDevice;
        }
        recorder.stop();
        report();
        if (recorder.lastEnd() == RecorderEnd::WriteFailed)
            return kExitWrite; // the box said why
        return recorder.companionWritten() ? kExitOk : kExitWrite;
    }

    void report() {
        out << "Wrote " << groupedByteCount(recorder.bytes()) << " bytes to " << o.recordFile;
        if (recorder.companionWritten())
            out << " and " << companionPathOf(o.recordFile);
        out << '\n';
    }
};

} // namespace

int runRecord(const CliOptions& o, std::ostream& out, std::ostream& err,
              const CliEnvironment& env) {
    CliUi ui(err);
    const std::string caption = applicationTitle(env.executable);
    IniFile configuration;
    if (const int code = loadConfiguration(o, env, configuration, err); code != kExitOk)
        return code;
    auto model = std::make_unique<ScopeModel>();
    if (!setUpModel(configuration, o.variant, o.settingsFile, *model, ui))
        return kExitBadInput;
    if (!slowTimeBase(model->state))
        return refusal(err);

    // The run's thread writes through the recorder, so the thread is stopped before the
    // recorder goes.
    InstrumentConnection instrument;
    if (const int code = connectInstrument(o, env, ui, *model, caption, instrument, err);
        code != kExitOk)
        return code;
    InstrumentRun& run = *instrument.run;
    RecorderSettings settings;
    settings.russian = model->state.russian();
    settings.askBeforeReplacing = false; // the file named on the command line is replaced
    RecorderSession recorder(run.recorder(), ui, settings);
    run.setRecorderWriter(recorder.writer());

    Recording recording{o, configuration, *model, run, recorder, ui, out, err, {}};
    int code = recording.bringUp();
    if (code == kExitOk)
        code = recording.record();
    if (code != kExitDevice)
        run.stopRunning();
    run.shutDown();
    return code;
}

} // namespace qs40::cli
