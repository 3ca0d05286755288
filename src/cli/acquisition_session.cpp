#include "cli/acquisition_session.h"

#include <algorithm>

namespace qs40::cli {
namespace {

using namespace std::chrono_literals;

// How long the caller sleeps at most before it looks at the thread again.
constexpr auto kServeStep = 10ms;
constexpr auto kProbeInterval = 1s;
// Enough for the thread to pick up the stop request and send it.
constexpr auto kStopGrace = 1s;

} // namespace

AcquisitionSession::AcquisitionSession(D2xx& d2xx, Ui& ui, ScopeModel& model,
                                       std::vector<std::uint8_t> fpgaImage, std::string caption)
    : model_(model), image_(std::move(fpgaImage)),
      // The service prompts of the open ask questions nobody is there to answer.
      usb_(d2xx, ui, &wake_, std::move(caption), false), sync_([this] { served_.set(); }),
      requests_(model.params, model.state, publisher_, link_, wake_), panel_{model.state,
                                                                             model.params,
                                                                             model.background,
                                                                             model.view, requests_},
      thread_(ScopeThreadParts{usb_, link_, flags_, publisher_, frames_, recorder_, wake_, sync_,
                               image_},
              hooks()) {}

// The frame itself needs no hook: it is read once the thread has stopped.
ScopeThreadHooks AcquisitionSession::hooks() {
    ScopeThreadHooks h;
    h.singleShotEnded = [this] {
        applySingleShotEnd(model_.state, model_.params);
        singleShotEnded_ = true;
    };
    return h;
}

AcquisitionSession::~AcquisitionSession() {
    shutDown();
}

FtStatus AcquisitionSession::open() {
    const FtStatus status = usb_.open();
    if (status == FT_OK) {
        opened_ = true;
        return status;
    }
    usb_.close();
    usb_.showUsbError(status, model_.state.russian());
    return status;
}

void AcquisitionSession::start() {
    link_.configureRequest.store(true);
    thread_.start();
    started_ = true;
    applyAndStart(panel_);
}

std::string AcquisitionSession::faultReason() const {
    if (link_.raised(LinkFault::ConnectionLost))
        return "the USB connection was lost (error code 1)";
    if (link_.raised(LinkFault::FpgaConfigurationFailure))
        return "the instrument did not come up after the FPGA load (error code 2)";
    if (link_.raised(LinkFault::PowerFailure))
        return "the instrument reports a power failure (error code 3)";
    if (link_.raised(LinkFault::FpgaConfigurationLost))
        return "the instrument lost its FPGA configuration (error code 4)";
    return {};
}

WaitResult AcquisitionSession::waitUntil(const std::function<bool()>& done,
                                         Clock::time_point deadline) {
    auto nextProbe = Clock::now() + kProbeInterval;
    while (true) {
        // The hooks run here, on this thread, which owns the model.
        sync_.runPending();
        if (std::string reason = faultReason(); !reason.empty())
            return {WaitOutcome::LinkFailed, std::move(reason)};
        if (done())
            return {WaitOutcome::Done, {}};
        const auto now = Clock::now();
        if (now >= deadline)
            return {WaitOutcome::TimedOut, {}};
        if (now >= nextProbe) {
            nextProbe = now + kProbeInterval;
            if (opened_ && usb_.probe() != FT_OK) {
                link_.raise(LinkFault::ConnectionLost);
                continue;
            }
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now);
        served_.wait(std::clamp<std::chrono::milliseconds>(left, 1ms, kServeStep));
        served_.reset();
    }
}

void AcquisitionSession::stopRunning() {
    RunState& run = model_.state.Run;
    if (run.runDown || run.snglDown || run.running) {
        run.runDown = false;
        run.snglDown = false;
        applyAndStart(panel_);
    }
    if (started_ && !thread_.leftLoop())
        waitUntil([this] { return !link_.sendParametersRequest.load() || !link_.linkUp.load(); },
                  Clock::now() + kStopGrace);
}

void AcquisitionSession::shutDown() {
    thread_.stop();
    if (opened_) {
        usb_.close();
        opened_ = false;
    }
}

} // namespace qs40::cli
