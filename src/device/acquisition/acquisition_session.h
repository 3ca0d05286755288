// One acquisition session: everything that drives the instrument, wired once. It owns the USB
// link, the state shared with the acquisition thread (link state, flags, published parameters,
// frame sets, recorder hand-over), the thread itself and the link watchdog; the window, the
// command-line tool, the render tool and the tests use it instead of wiring those parts.
//
// The owner's thread plays the GUI thread: it opens and closes the instrument, serves the
// thread's synchronised calls (through the notifier's posted event, or serve()), runs the
// watchdog ticks and shuts down in order: the thread is stopped and joined before the handle
// is closed.
//
// A calibration drives the instrument with a parameter set of its own (runPass): while a pass
// runs, a front-panel request to send parameters (an apply-and-start after a recovery, say)
// sends the pass's set instead, and the pass reports that it was interrupted.
#pragma once

#include "device/acquisition/acquisition_flags.h"
#include "device/acquisition/link_watchdog.h"
#include "device/acquisition/params_publisher.h"
#include "device/acquisition/recorder_handover.h"
#include "device/acquisition/scope_requests.h"
#include "device/acquisition/scope_thread.h"
#include "device/acquisition/sync_queue.h"
#include "device/d2xx/event.h"
#include "device/link/link_state.h"
#include "device/link/usb_link.h"
#include "scope/frame.h"
#include "scope/panel_operations.h"
#include "scope/ui_port.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace qs40 {

struct SessionSetup {
    // The program's name, shown on the service prompts of the open.
    std::string caption;
    // The open's service prompts (the Debug_qs switch).
    bool servicePrompts = false;
    // Loaded at every connection; empty: the built-in placeholder.
    std::vector<std::uint8_t> fpgaImage;
    // Runs on the acquisition thread whenever a synchronised call is queued; it must not wait
    // for the owner's thread (the window posts itself an event that calls serve()).
    std::function<void()> notify;
};

// A run of the instrument with a parameter set given directly, not computed from the front
// panel: a calibration's measuring pass.
struct PassRequest {
    AcquisitionSnapshot snapshot; // sent as it is; its run bit decides whether frames come
    bool single = false;
    // Every frame decoded with the pass's set while the pass waits, read under the frame sets'
    // lock; true when the pass has what it needs. Frames decoded between two looks are not
    // seen, nor frames of the set before, still arriving until the thread sends the pass's.
    std::function<bool(const FrameData&)> onFrame;
    // Polled while waiting; true ends the pass (the user cancelled).
    std::function<bool()> cancelled;
    // Called between looks on the owner's thread: processes the GUI's messages, moves a
    // simulated clock on. Not set: the session serves its synchronised calls and waits a
    // little.
    std::function<void()> idle;
    std::chrono::milliseconds timeout{10000};
};

enum class PassEnd { Done, Cancelled, TimedOut };

struct PassResult {
    PassEnd end = PassEnd::TimedOut;
    std::uint32_t frames = 0; // frames handed to onFrame
    // The instrument was configured again during the pass (a recovery or a re-open), or the
    // front panel asked to send its parameters; the pass's set was sent again in their place.
    bool interrupted = false;
};

class AcquisitionSession {
public:
    using Clock = std::chrono::steady_clock;

    AcquisitionSession(D2xx& d2xx, Ui& ui, SessionSetup setup);
    // Stops the thread, then closes the handle if it is open.
    ~AcquisitionSession();
    AcquisitionSession(const AcquisitionSession&) = delete;
    AcquisitionSession& operator=(const AcquisitionSession&) = delete;

    // The front panel's parameters and state, which the follow-up requests publish. Call once,
    // before panelRequests() is used.
    void bindPanel(const AcquisitionParams& params, const ScopeState& state);
    // The requests the front panel's follow-ups raise (PanelContext::requests).
    AcquisitionRequests& panelRequests() { return requests_; }

    // Replaces the real pauses (FPGA load, watchdog recovery); before startThread().
    void setPause(PauseFunction pause);

    // Opens the instrument; a successful open asks the thread to load the FPGA (link down,
    // faults cleared, configure request). A failed open shows nothing: showUsbError() tells
    // the user when the caller wants it told.
    FtStatus open();
    // Marks the link as new after the caller opened it by other means (the link check of Run).
    void linkReopened();
    // Closes the handle if the session opened it and has not closed it yet; the thread must no
    // longer use it (stopThread first at the end).
    void close();
    bool isOpen() const { return open_; }
    void showUsbError(FtStatus status, bool russian) { usb_.showUsbError(status, russian); }

    // The acquisition thread with the owner's hooks. Not started: nothing reads the device.
    void startThread(ScopeThreadHooks hooks);
    bool threadStarted() const { return thread_ != nullptr; }
    // The thread's loop has ended (after a stop request).
    bool threadLeftLoop() const { return thread_ && thread_->leftLoop(); }
    // Tells the thread to stop (refuses its synchronised calls, wakes it); callable from inside
    // a synchronised call, where joinThread() would wait for itself.
    void requestStop();
    void joinThread();
    void stopThread() {
        requestStop();
        joinThread();
    }

    // Runs a queued synchronised call on this thread; true when one ran.
    bool serve();
    // Serves calls until the timeout passes or done() holds, checking after each call and at
    // every notification.
    bool serveUntil(const std::function<bool()>& done, Clock::duration timeout);

    // Publishes the set and has it sent with running (and single) on: the render tool's and
    // the tests' way of starting the instrument without a front panel.
    void runWith(const AcquisitionSnapshot& snapshot, bool single = false);
    // Runs the instrument with the pass's set until onFrame is satisfied, the pass is cancelled
    // or the timeout passes. The caller restores its own parameters afterwards.
    PassResult runPass(const PassRequest& pass);

    // One watchdog tick (every 1000 ms); the session keeps the totals the tick zeroes.
    WatchdogOutcome tick(bool russian);
    std::uint64_t framesDecodedTotal() const;
    std::uint64_t framesDrawnTotal() const;

    UsbLink& usb() { return usb_; }
    LinkState& link() { return link_; }
    const LinkState& link() const { return link_; }
    AcquisitionFlags& flags() { return flags_; }
    const AcquisitionFlags& flags() const { return flags_; }
    ParamsPublisher& publisher() { return publisher_; }
    FrameSets& frames() { return frames_; }
    RecorderHandover& recorder() { return recorder_; }
    LinkWatchdog& watchdog() { return watchdog_; }
    const LinkWatchdog& watchdog() const { return watchdog_; }
    Event& wake() { return wake_; }

private:
    // The front panel's requests, with the pass's set in place of the panel's while a pass
    // runs.
    class Requests final : public AcquisitionRequests {
    public:
        explicit Requests(AcquisitionSession& session) : s_(session) {}
        void requestDisplay() override;
        void requestSendParameters() override;
        void wake() override { s_.wake_.set(); }

    private:
        AcquisitionSession& s_;
    };

    void sendPass();

    std::vector<std::uint8_t> image_;
    std::function<void()> notify_;
    Event wake_;
    Event served_; // a synchronised call was queued
    UsbLink usb_;
    LinkState link_;
    AcquisitionFlags flags_;
    ParamsPublisher publisher_;
    FrameSets frames_;
    RecorderHandover recorder_;
    SyncQueue sync_;
    LinkWatchdog watchdog_;
    std::optional<ScopeRequests> panel_;
    Requests requests_{*this};
    const PassRequest* pass_ = nullptr; // the pass that runs, if any
    bool passInterrupted_ = false;
    bool passAwaitingSend_ = false; // the pass's set is not sent yet
    PauseFunction pause_;
    bool open_ = false;
    std::uint64_t decodedBefore_ = 0; // totals of the seconds the watchdog has zeroed
    std::uint64_t drawnBefore_ = 0;
    std::unique_ptr<Scope_Thread> thread_; // last: it uses everything above
};

} // namespace qs40
