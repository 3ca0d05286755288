// qs40-cli calibrate: the window's three calibrations without a window. The configuration is
// read as the window reads it, the instrument opened as after the first paint and its own
// variant taken as the calibration check takes it; then the same procedures run over the
// acquisition session, with their progress on stderr and their results on stdout. Results are
// kept only on success: the coefficients and the correction in the configuration file, the TDC
// constants in the instrument.
#include "cli/cli_commands.h"
#include "cli/cli_ui.h"
#include "cli/exit_codes.h"
#include "cli/instrument_run.h"
#include "cli/model_setup.h"
#include "device/acquisition/calibration_passes.h"
#include "files/config_io.h"
#include "files/config_location.h"
#include "files/config_read.h"
#include "files/config_texts.h"
#include "scope/calibration_texts.h"
#include "scope/freq_calibration.h"
#include "scope/parameter_computation.h"
#include "scope/tdc_calibration.h"
#include "scope/variant.h"
#include "scope/variant_controls.h"
#include "scope/zero_calibration.h"

#include <cmath>
#include <cstdio>
#include <memory>

namespace qs40::cli {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// Readings averaged for the frequency meter, after frames that may still carry the counts of
// the input before.
constexpr int kMeterReadings = 20;
constexpr int kMeterSettlingFrames = 3;
constexpr auto kProbeInterval = 1s;

int failure(std::ostream& err, int code, const std::string& reason) {
    err << "qs40-cli: " << reason << '\n';
    return code;
}

std::string variantText(std::int32_t code) {
    return variantName(code) + " (variant " + std::to_string(code) + ")";
}

std::string fixed(double value, int decimals) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

// The configuration as the window has it after its start, for the file's own variant or the
// given one. Its results are written back into the same file, so a file that is there but
// cannot be taken is refused: writing would lose what it holds.
struct Configuration {
    fs::path path;
    IniFile ini;
};

int loadConfigurationToWrite(const CliOptions& o, const CliEnvironment& env, Configuration& c,
                             std::ostream& err) {
    const bool named = !o.configFile.empty();
    c.path = named ? fs::path(o.configFile) : defaultConfigurationFile(env.executable);
    ConfigDocument document = loadConfigurationDocument(c.path);
    ConfigReadResult& result = document.result;
    if (named && result.status == ConfigReadStatus::Read && document.ini.sectionNames().empty()) {
        result.status = ConfigReadStatus::Unusable;
        result.problem = ConfigProblem::NoKnownSection;
    }
    // A named file must be there; the default one is created by the first write.
    if (result.kept() || (named && result.status != ConfigReadStatus::Read))
        return failure(err, kExitBadInput,
                       "cannot read the configuration file " + c.path.string() + ": " +
                           configReadReason(result, false));
    c.ini = std::move(document.ini);
    return kExitOk;
}

int writeConfiguration(const Configuration& c, const ScopeState& state, CliUi& ui,
                       std::ostream& out, std::ostream& err) {
    const std::size_t boxes = ui.boxesShown();
    if (!writeConfigurationFile(c.path, state, ConfigMode::Configuration, ui,
                                calibrationErrorCaption(false))) {
        if (ui.boxesShown() == boxes)
            err << "qs40-cli: " << c.path.string() << " was not written\n";
        return kExitWrite;
    }
    out << "Wrote " << c.path.string() << '\n';
    return kExitOk;
}

// Progress on stderr, a line whenever a pass begins and when the run ends.
CalibrationObserver progressPrinter(std::ostream& err, int framesPerPass) {
    return [&err, framesPerPass, lastInfo = std::string()](const CalibrationStatus& s) mutable {
        if (s.phase == CalibrationPhase::Measuring && s.progress % framesPerPass == 1)
            err << "qs40-cli: pass " << s.progress / framesPerPass + 1 << " of "
                << s.maximum / framesPerPass << '\n';
        // A failure is told once, with its reason, by the command.
        if (s.phase == CalibrationPhase::Done && s.info != lastInfo)
            err << "qs40-cli: " << s.info << '\n';
        lastInfo = s.info;
    };
}

// The instrument, opened and identified, with the model set up for its variant.
class Instrument {
public:
    Instrument(const CliOptions& o, CliUi& ui, ScopeModel& model, const Configuration& c)
        : o_(o), ui_(ui), model_(model), configuration_(c) {}
    ~Instrument() {
        if (connection_.run)
            connection_.run->shutDown();
    }

    int open(const CliEnvironment& env, std::ostream& err) {
        if (const int code = connectInstrument(o_, env, ui_, model_,
                                               applicationTitle(env.executable), connection_, err);
            code != kExitOk)
            return code;
        InstrumentRun& run = *connection_.run;
        if (run.open() != FT_OK)
            return kExitDevice; // the USB error box said why
        run.start();            // Run and Single up: the FPGA is loaded, nothing is acquired
        const WaitResult r = run.waitUntil([&] { return run.instrumentVariant().has_value(); },
                                           InstrumentRun::Clock::now() + o_.timeout);
        if (r.outcome == WaitOutcome::LinkFailed)
            return failure(err, kExitDevice, r.reason);
        if (r.outcome == WaitOutcome::TimedOut)
            return failure(err, kExitTimeout,
                           "time-out: the instrument did not come up within " + o_.timeoutText +
                               " s");
        // The calibration check: the instrument's own variant decides.
        const std::int32_t code = *run.instrumentVariant();
        if (code != model_.state.System.Device_Type_Code) {
            err << "qs40-cli: the instrument is a " << variantText(code)
                << ": its part of the configuration is used\n";
            setUpModel(configuration_.ini, code, {}, model_, ui_);
            run.apply();
        }
        return kExitOk;
    }

    InstrumentRun& run() { return *connection_.run; }

    // The passes: served on this thread, the link probed once a second as the window's
    // watchdog does; a pass without its frames fails after the time-out.
    std::unique_ptr<SessionCalibrationPasses> passes() {
        AcquisitionSession& session = run().session();
        CalibrationPassSetup setup;
        setup.timeout = o_.timeout;
        setup.idle = [&session,
                      nextProbe = InstrumentRun::Clock::now() + kProbeInterval]() mutable {
            session.serveUntil([] { return false; }, 5ms);
            if (InstrumentRun::Clock::now() >= nextProbe) {
                nextProbe = InstrumentRun::Clock::now() + kProbeInterval;
                if (session.isOpen() && session.usb().probe() != FT_OK)
                    session.link().raise(LinkFault::ConnectionLost);
            }
        };
        return std::make_unique<SessionCalibrationPasses>(session, std::move(setup));
    }

private:
    const CliOptions& o_;
    CliUi& ui_;
    ScopeModel& model_;
    const Configuration& configuration_;
    InstrumentConnection connection_;
};

int passFailure(const SessionCalibrationPasses& passes, const CliOptions& o, std::ostream& err,
                const std::string& advice) {
    if (passes.linkFailed())
        return failure(err, kExitDevice,
                       "the link failed during the calibration (lost, re-opened or recovered); "
                       "nothing was stored");
    if (passes.timedOut())
        return failure(err, kExitTimeout,
                       "time-out: a pass had not its frames within " + o.timeoutText +
                           " s; nothing was stored");
    return failure(err, kExitFailure, "Calibration failed." + (advice.empty() ? "" : " " + advice));
}

int calibrateZero(const CliOptions& o, Instrument& instrument, ScopeModel& model,
                  const Configuration& c, CliUi& ui, std::ostream& out, std::ostream& err) {
    ScopeState& state = model.state;
    const auto passes = instrument.passes();
    ZeroCalibration cal(state, model.params, *passes, progressPrinter(err, kZeroFramesPerPass));
    cal.show();
    const bool ok = cal.start();
    instrument.run().stopRunning();
    if (!ok)
        return passFailure(*passes, o, err,
                           "Noise at or above the threshold, or a clipped level: disconnect "
                           "everything from the inputs; nothing was stored");
    const auto k = *cal.result();
    out << "A1P1 = " << k[0].p1 << "    A1P2 = " << k[0].p2 << "    A1SH = " << k[0].sh << '\n';
    if (state.has(kCapA2))
        out << "A2P1 = " << k[1].p1 << "    A2P2 = " << k[1].p2 << "    A2SH = " << k[1].sh << '\n';
    instrument.run().shutDown();
    // What is written is the configuration as read, with the new coefficients only (the run
    // speaks English whatever the configured language).
    const std::int32_t variant = state.System.Device_Type_Code;
    setUpModel(c.ini, variant, {}, model, ui);
    setZeroCoefficients(model.state, k);
    return writeConfiguration(c, model.state, ui, out, err);
}

int calibrateTdc(const CliOptions& o, Instrument& instrument, ScopeModel& model, std::ostream& out,
                 std::ostream& err) {
    InstrumentRun& run = instrument.run();
    LinkState& link = run.session().link();
    const auto passes = instrument.passes();
    TdcCalibration cal(model.state, model.params, *passes, progressPrinter(err, kTdcFramesPerPass));
    const InstrumentReport report = link.report.get();
    cal.show(report.tdcValid ? std::optional<TdcResult>(report.tdc) : std::nullopt);
    const bool ok = cal.start();
    if (!ok) {
        run.stopRunning();
        return passFailure(*passes, o, err,
                           "A TDC count above 27, or a largest count below 12: connect the "
                           "generator output to D1 and D2; nothing was written");
    }
    const TdcResult r = *cal.result();
    out << "D1 rise " << int(r[0]) << ", fall " << int(r[1]);
    if (model.state.has(kCapD2))
        out << "; D2 rise " << int(r[2]) << ", fall " << int(r[3]);
    out << " (TDC steps in 10 ns)\n";

    // As OK in the window: the write request goes with the front panel's parameters, sent
    // again (stopped, as the command found the instrument).
    run.stopRunning();
    link.setTdcToWrite(r);
    link.tdcWriteRequest.store(true);
    run.apply();
    const WaitResult written = run.waitUntil(
        [&] {
            const InstrumentReport now = link.report.get();
            return now.tdcValid && now.tdc == r;
        },
        InstrumentRun::Clock::now() + o.timeout);
    if (written.outcome == WaitOutcome::LinkFailed)
        return failure(err, kExitDevice, written.reason);
    if (written.outcome == WaitOutcome::TimedOut)
        return failure(err, kExitTimeout,
                       "time-out: the instrument did not report the new TDC constants within " +
                           o.timeoutText + " s");
    out << "Wrote the TDC constants to the instrument\n";
    return kExitOk;
}

// Runs the instrument with the front panel's settings and the chosen meter input, and averages
// the meter's uncorrected readings.
int measureFrequency(const CliOptions& o, Instrument& instrument, ScopeModel& model, double& mean,
                     std::ostream& err) {
    ScopeState& state = model.state;
    if (o.meterInput)
        state.Common.FreqMeter = *o.meterInput;
    if (!state.Common.FreqMeter)
        state.Common.FreqMeter = FreqMeter::A1;
    const std::uint8_t input =
        static_cast<std::uint8_t>(static_cast<int>(*state.Common.FreqMeter) + 1);
    state.Run.runDown = true;
    state.Run.running = true;
    BackgroundLevels background;
    computeParameters(state, model.params, background, model.view);

    const auto passes = instrument.passes();
    FreqMeterAverage average;
    int frames = 0;
    err << "qs40-cli: reading the frequency meter\n";
    const PassOutcome outcome = passes->run(model.params, [&](const FrameData& f, std::uint8_t) {
        if (++frames > kMeterSettlingFrames && f.header[kHdrFmRange] == input)
            average.take(f.header);
        return average.count() >= kMeterReadings;
    });
    instrument.run().stopRunning();
    if (outcome != PassOutcome::Done) {
        if (passes->timedOut() && frames > 0)
            return failure(err, kExitFailure,
                           "the frequency meter gave no reading: is the reference frequency "
                           "connected to its input?");
        return passFailure(*passes, o, err, {});
    }
    mean = *average.mean();
    return kExitOk;
}

int calibrateFrequency(const CliOptions& o, Instrument* instrument, ScopeModel& model,
                       const Configuration& c, CliUi& ui, std::ostream& out, std::ostream& err) {
    ScopeState& state = model.state;
    if (!state.has(kCapFreqMeter))
        return failure(err, kExitUsage,
                       "calibrate freq: the " + variantText(state.System.Device_Type_Code) +
                           " has no frequency meter");
    std::int32_t time = 0;
    if (o.ppm) {
        time = timeForPpm(*o.ppm);
    } else {
        double mean = 0;
        if (const int code = measureFrequency(o, *instrument, model, mean, err); code != kExitOk)
            return code;
        const double before = mean * (1 + state.Calibrate.Time * kTimeStepPpm * 1e-6);
        time = *timeForReference(*o.referenceHz, mean);
        const double after = mean * (1 + time * kTimeStepPpm * 1e-6);
        out << "Reading " << fixed(before, 3) << " Hz with the old correction ("
            << fixed((before / *o.referenceHz - 1) * 1e6, 2) << " ppm), " << fixed(after, 3)
            << " Hz with the new one (" << fixed((after / *o.referenceHz - 1) * 1e6, 2)
            << " ppm)\n";
        if (std::abs(time) == kTimeLimit)
            err << "qs40-cli: the correction is at its limit of 50 ppm: is the reference "
                   "frequency right?\n";
        instrument->run().shutDown();
    }
    // What is written is the configuration as read, with the new correction only.
    setUpModel(c.ini, state.System.Device_Type_Code, {}, model, ui);
    model.state.Calibrate.Time = time;
    out << "Time = " << time << " (" << ppmLabel(time) << ")\n";
    return writeConfiguration(c, model.state, ui, out, err);
}

} // namespace

int runCalibrate(const CliOptions& o, std::ostream& out, std::ostream& err,
                 const CliEnvironment& env) {
    CliUi ui(err);
    Configuration configuration;
    if (const int code = loadConfigurationToWrite(o, env, configuration, err); code != kExitOk)
        return code;
    auto model = std::make_unique<ScopeModel>();
    setUpModel(configuration.ini, std::nullopt, {}, *model, ui);
    model->state.Common.Russian = false; // the command line speaks English

    const bool byHand = o.calibration == CalibrationTarget::FreqMeter && o.ppm;
    if (byHand)
        return calibrateFrequency(o, nullptr, *model, configuration, ui, out, err);

    Instrument instrument(o, ui, *model, configuration);
    if (const int code = instrument.open(env, err); code != kExitOk)
        return code;
    model->state.Common.Russian = false;
    switch (*o.calibration) {
    case CalibrationTarget::Zero:
        return calibrateZero(o, instrument, *model, configuration, ui, out, err);
    case CalibrationTarget::Tdc:
        return calibrateTdc(o, instrument, *model, out, err);
    case CalibrationTarget::FreqMeter:
        return calibrateFrequency(o, &instrument, *model, configuration, ui, out, err);
    }
    return kExitFailure;
}

} // namespace qs40::cli
