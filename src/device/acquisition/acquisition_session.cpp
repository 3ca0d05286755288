#include "device/acquisition/acquisition_session.h"

#include "device/link/fpga_image.h"

#include <algorithm>
#include <mutex>

namespace qs40 {
namespace {

using namespace std::chrono_literals;

// How long a wait sleeps at most before it looks again.
constexpr auto kServeStep = 10ms;

} // namespace

AcquisitionSession::AcquisitionSession(D2xx& d2xx, Ui& ui, SessionSetup setup)
    : image_(setup.fpgaImage.empty() ? placeholderFpgaImage() : std::move(setup.fpgaImage)),
      notify_(std::move(setup.notify)),
      usb_(d2xx, ui, &wake_, std::move(setup.caption), setup.servicePrompts),
      sync_([this] {
          served_.set();
          if (notify_)
              notify_();
      }),
      watchdog_(link_, flags_, usb_, ui) {}

AcquisitionSession::~AcquisitionSession() {
    stopThread();
    close();
}

void AcquisitionSession::bindPanel(const AcquisitionParams& params, const ScopeState& state) {
    panel_.emplace(params, state, publisher_, link_, wake_);
    publishFreqMeterTime(state, link_);
}

void AcquisitionSession::setPause(PauseFunction pause) {
    pause_ = pause;
    watchdog_.setPause(std::move(pause));
}

FtStatus AcquisitionSession::open() {
    const FtStatus status = usb_.open();
    if (status == FT_OK)
        linkReopened();
    return status;
}

void AcquisitionSession::linkReopened() {
    open_ = true;
    // A fresh link: the FPGA image is loaded again before anything is sent.
    link_.linkUp.store(false);
    link_.clearFaults();
    link_.configureRequest.store(true);
    wake_.set();
}

void AcquisitionSession::close() {
    if (!open_)
        return;
    open_ = false;
    usb_.close();
}

void AcquisitionSession::startThread(ScopeThreadHooks hooks) {
    if (thread_)
        return;
    thread_ = std::make_unique<Scope_Thread>(
        ScopeThreadParts{usb_, link_, flags_, publisher_, frames_, recorder_, wake_, sync_, image_},
        std::move(hooks));
    if (pause_)
        thread_->setPause(pause_);
    thread_->start();
}

void AcquisitionSession::requestStop() {
    if (thread_)
        thread_->requestStop();
}

void AcquisitionSession::joinThread() {
    if (thread_)
        thread_->join();
}

bool AcquisitionSession::serve() {
    return sync_.runPending();
}

bool AcquisitionSession::serveUntil(const std::function<bool()>& done, Clock::duration timeout) {
    const auto deadline = Clock::now() + timeout;
    while (true) {
        serve();
        if (done())
            return true;
        const auto now = Clock::now();
        if (now >= deadline)
            return false;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now);
        served_.wait(std::clamp<std::chrono::milliseconds>(left, 1ms, kServeStep));
        served_.reset();
    }
}

void AcquisitionSession::runWith(const AcquisitionSnapshot& snapshot, bool single) {
    publisher_.publish(snapshot);
    link_.running.store(true);
    link_.single.store(single);
    link_.sendParametersRequest.store(true);
    link_.displayRequest.store(true);
    wake_.set();
}

void AcquisitionSession::sendPass() {
    passAwaitingSend_ = true;
    runWith(pass_->snapshot, pass_->single);
}

PassResult AcquisitionSession::runPass(const PassRequest& pass) {
    PassResult result;
    pass_ = &pass;
    passInterrupted_ = false;
    const std::uint32_t loadsBefore = flags_.fpgaLoads.load();
    sendPass();

    const auto deadline = Clock::now() + pass.timeout;
    while (true) {
        if (pass.idle) {
            pass.idle();
        } else if (!serve()) {
            served_.wait(kServeStep);
            served_.reset();
        }
        // A new FPGA load means the instrument lost the pass's set with its configuration.
        if (flags_.fpgaLoads.load() != loadsBefore && !passInterrupted_) {
            passInterrupted_ = true;
            sendPass();
        }
        if (passAwaitingSend_) {
            // Until the thread has taken the pass's set, frames are still those of the set
            // before; once it has, every frame decoded is taken with the pass's set.
            if (!link_.sendParametersRequest.load()) {
                passAwaitingSend_ = false;
                flags_.frameArrived.store(false);
            }
        } else if (flags_.frameArrived.exchange(false) && pass.onFrame) {
            ++result.frames;
            bool enough = false;
            {
                const std::lock_guard lock(frames_.mutex);
                enough = pass.onFrame(*frames_.current);
            }
            if (enough) {
                result.end = PassEnd::Done;
                break;
            }
        }
        if (pass.cancelled && pass.cancelled()) {
            result.end = PassEnd::Cancelled;
            break;
        }
        if (Clock::now() >= deadline) {
            result.end = PassEnd::TimedOut;
            break;
        }
    }
    result.interrupted = passInterrupted_;
    pass_ = nullptr;
    return result;
}

void AcquisitionSession::Requests::requestDisplay() {
    if (s_.panel_ && !s_.pass_)
        s_.panel_->requestDisplay();
    else
        s_.link_.displayRequest.store(true);
}

void AcquisitionSession::Requests::requestSendParameters() {
    if (s_.pass_) {
        s_.passInterrupted_ = true;
        s_.sendPass();
    } else if (s_.panel_) {
        s_.panel_->requestSendParameters();
    }
}

WatchdogOutcome AcquisitionSession::tick(bool russian) {
    const WatchdogOutcome outcome = watchdog_.tick(russian);
    decodedBefore_ += outcome.counters.decoded;
    drawnBefore_ += outcome.counters.drawn;
    return outcome;
}

std::uint64_t AcquisitionSession::framesDecodedTotal() const {
    return decodedBefore_ + flags_.framesDecoded.load();
}

std::uint64_t AcquisitionSession::framesDrawnTotal() const {
    return drawnBefore_ + flags_.framesDrawn.load();
}

} // namespace qs40
