#include "device/acquisition/scope_thread.h"

#include <chrono>

namespace qs40 {

namespace {
using namespace std::chrono_literals;
constexpr auto kWakeTimeout = 20ms;
constexpr auto kAfterCallback = 1ms;
} // namespace

Scope_Thread::Scope_Thread(const ScopeThreadParts& parts, ScopeThreadHooks hooks)
    : parts_(parts), hooks_(std::move(hooks)), session_(parts.usb.d2xx(), parts.link),
      receiver_(parts.link, parts.flags, parts.params, parts.frames, decoder_) {
    session_.setFrameHandler(&receiver_);
    decoder_.setRecorder(&parts_.recorder, [this] { return flushRecorder(); });
}

Scope_Thread::~Scope_Thread() {
    stop();
}

void Scope_Thread::start() {
    if (thread_.joinable())
        return;
    terminate_.store(false);
    left_.store(false);
    thread_ = std::thread([this] { run(); });
}

void Scope_Thread::requestStop() {
    terminate_.store(true);
    parts_.sync.refuseCalls();
    parts_.wake.set();
}

void Scope_Thread::join() {
    if (thread_.joinable())
        thread_.join();
}

void Scope_Thread::run() {
    LinkState& link = parts_.link;
    while (!terminate_.load()) {
        if (!link.displayRequest.load() && !link.statusReadyRequest.load() &&
            !link.configureRequest.load()) {
            parts_.wake.wait(kWakeTimeout);
            parts_.wake.reset();
        }
        if (terminate_.load())
            break;
        if (link.displayRequest.load() || link.statusReadyRequest.load()) {
            parts_.sync.call([this] { synchronisedCallback(); });
            std::this_thread::sleep_for(kAfterCallback);
        }
        session_.setHandle(parts_.usb.handle());
        // Cleared before the load, so that a request raised during it (a re-open) is kept.
        if (link.configureRequest.exchange(false)) {
            loadFpga();
        } else if (link.linkUp.load()) {
            if (link.sendParametersRequest.exchange(false))
                sendParameters();
            else
                session_.receiveStep();
        }
    }
    left_.store(true);
}

void Scope_Thread::loadFpga() {
    parts_.flags.fpgaLoads.fetch_add(1);
    // TDC constants asked for before this connection were measured on whatever was connected
    // then, which need not be the instrument that answers now.
    parts_.link.tdcWriteRequest.store(false);
    const FtStatus status = session_.configureFpga(parts_.fpgaImage);
    // An upload abandoned on a write error is a failed load too.
    if (status != FT_OK && !parts_.link.linkUp.load()) {
        parts_.link.raise(LinkFault::FpgaConfigurationFailure);
        parts_.link.displayRequest.store(true);
    }
}

void Scope_Thread::sendParameters() {
    const AcquisitionSnapshot s = parts_.params.get();
    receiver_.setRecordLength(s.params.recordLength);
    // The ring restarts with these parameters (a recovery, a re-open, a new setting).
    parts_.recorder.forgetPosition();
    parts_.link.linkStatus.store(session_.sendParameters(s.params));
}

bool Scope_Thread::flushRecorder() {
    return parts_.sync.call([this] { parts_.recorder.takePending(hooks_.recorderWrite); });
}

void Scope_Thread::synchronisedCallback() {
    LinkState& link = parts_.link;
    AcquisitionFlags& flags = parts_.flags;
    if (flags.singleEnded.exchange(false) && hooks_.singleShotEnded)
        hooks_.singleShotEnded();
    if (link.displayRequest.exchange(false)) {
        if (hooks_.perFrame)
            hooks_.perFrame();
        if (flags.frameDrawn.exchange(false))
            flags.framesDrawn.fetch_add(1);
        parts_.recorder.takePending(hooks_.recorderWrite);
    }
    if (link.statusReadyRequest.exchange(false) && hooks_.activityIndicator)
        hooks_.activityIndicator();
}

} // namespace qs40
