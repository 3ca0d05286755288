#include "cli/instrument_run.h"

namespace qs40::cli {
namespace {

using namespace std::chrono_literals;

constexpr auto kProbeInterval = 1s;
// Enough for the thread to pick up the stop request and send it.
constexpr auto kStopGrace = 1s;

} // namespace

InstrumentRun::InstrumentRun(D2xx& d2xx, Ui& ui, ScopeModel& model,
                             std::vector<std::uint8_t> fpgaImage, std::string caption)
    : model_(model),
      // The service prompts of the open ask questions nobody is there to answer.
      session_(d2xx, ui, SessionSetup{std::move(caption), false, std::move(fpgaImage), {}}),
      panel_{model.state, model.params, session_.frames(), model.view, session_.panelRequests()} {
    session_.bindPanel(model.params, model.state);
}

FtStatus InstrumentRun::open() {
    const FtStatus status = session_.open();
    if (status != FT_OK) {
        session_.usb().close();
        session_.showUsbError(status, model_.state.russian());
    }
    return status;
}

void InstrumentRun::start() {
    ScopeThreadHooks hooks;
    // The frame itself needs no hook: it is read once the thread has stopped.
    hooks.singleShotEnded = [this] {
        applySingleShotEnd(model_.state, model_.params);
        singleShotEnded_ = true;
    };
    hooks.recorderWrite = recorderWrite_;
    session_.startThread(std::move(hooks));
    applyAndStart(panel_);
}

void InstrumentRun::apply() {
    applyAndStart(panel_);
}

std::optional<std::int32_t> InstrumentRun::instrumentVariant() const {
    // The feature word counts only from a status packet of a configured FPGA.
    const InstrumentReport report = session_.link().report.get();
    if (!report.versionsValid)
        return std::nullopt;
    return report.featureWord;
}

std::string InstrumentRun::faultReason() const {
    const LinkState& link = session_.link();
    if (link.raised(LinkFault::ConnectionLost))
        return "the USB connection was lost (error code 1)";
    if (link.raised(LinkFault::FpgaConfigurationFailure))
        return "the instrument did not come up after the FPGA load (error code 2)";
    if (link.raised(LinkFault::PowerFailure))
        return "the instrument reports a power failure (error code 3)";
    if (link.raised(LinkFault::FpgaConfigurationLost))
        return "the instrument lost its FPGA configuration (error code 4)";
    return {};
}

WaitResult InstrumentRun::waitUntil(const std::function<bool()>& done,
                                    Clock::time_point deadline) {
    WaitResult result;
    auto nextProbe = Clock::now() + kProbeInterval;
    // The hooks run here, on this thread, which owns the model.
    const auto finished = [&] {
        if (std::string reason = faultReason(); !reason.empty()) {
            result = {WaitOutcome::LinkFailed, std::move(reason)};
            return true;
        }
        if (done())
            return true;
        const auto now = Clock::now();
        if (now >= nextProbe) {
            nextProbe = now + kProbeInterval;
            if (session_.isOpen() && session_.usb().probe() != FT_OK)
                session_.link().raise(LinkFault::ConnectionLost);
        }
        return false;
    };
    while (!session_.serveUntil(finished, std::min(deadline, nextProbe) - Clock::now())) {
        if (Clock::now() >= deadline)
            return {WaitOutcome::TimedOut, {}};
    }
    return result;
}

void InstrumentRun::stopRunning() {
    RunState& run = model_.state.Run;
    if (run.runDown || run.snglDown || run.running) {
        run.runDown = false;
        run.snglDown = false;
        applyAndStart(panel_);
    }
    if (session_.threadStarted()) {
        LinkState& link = session_.link();
        waitUntil([&] { return !link.sendParametersRequest.load() || !link.linkUp.load(); },
                  Clock::now() + kStopGrace);
    }
}

void InstrumentRun::shutDown() {
    session_.stopThread();
    session_.close();
}

} // namespace qs40::cli
