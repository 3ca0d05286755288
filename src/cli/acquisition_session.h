// The acquisition core wired as the window wires it, without a window: the USB link, the
// acquisition thread and the front panel's requests. The caller's thread plays the GUI thread:
// it owns the scope model, opens the instrument, serves the thread's synchronised calls while
// it waits, and shuts down in order (terminate, wake, join, then close the handle).
#pragma once

#include "device/acquisition/acquisition_flags.h"
#include "device/d2xx/event.h"
#include "device/link/link_state.h"
#include "device/acquisition/params_publisher.h"
#include "device/acquisition/recorder_handover.h"
#include "device/acquisition/scope_requests.h"
#include "device/acquisition/scope_thread.h"
#include "device/acquisition/sync_queue.h"
#include "device/link/usb_link.h"
#include "scope/acquisition_params.h"
#include "scope/background_levels.h"
#include "scope/panel_operations.h"
#include "scope/panel_view.h"
#include "scope/scope_state.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace qs40::cli {

// What the window keeps of the front panel.
struct ScopeModel {
    ScopeState state;
    AcquisitionParams params;
    BackgroundLevels background;
    PanelView view;
};

enum class WaitOutcome { Done, TimedOut, LinkFailed };

struct WaitResult {
    WaitOutcome outcome = WaitOutcome::Done;
    std::string reason; // why the link failed
};

class AcquisitionSession {
public:
    using Clock = std::chrono::steady_clock;

    // caption: the program's name, for the boxes of the open.
    AcquisitionSession(D2xx& d2xx, Ui& ui, ScopeModel& model, std::vector<std::uint8_t> fpgaImage,
                       std::string caption);
    ~AcquisitionSession();
    AcquisitionSession(const AcquisitionSession&) = delete;
    AcquisitionSession& operator=(const AcquisitionSession&) = delete;

    // Opens the instrument. On failure the handle is closed and the USB error box was shown.
    FtStatus open();
    // As the first paint after a successful open: the configure request (the FPGA load), the
    // thread, and the apply-and-start operation with the model's Run and Single buttons.
    void start();
    // Serves the thread until done() holds, a link fault shows, or the deadline passes. The
    // link is probed once a second, as the window's watchdog does.
    WaitResult waitUntil(const std::function<bool()>& done, Clock::time_point deadline);
    // Puts Run and Single up and gives the thread a moment to tell the instrument.
    void stopRunning();
    // Stops the thread, then closes the handle. Safe to call more than once.
    void shutDown();

    bool linkUp() const { return link_.linkUp.load(); }
    bool singleShotEnded() const { return singleShotEnded_; }
    std::uint32_t framesAccepted() const { return flags_.framesDecoded.load(); }
    // The current set; read it after shutDown(), when nothing writes it any more.
    FrameSets& frames() { return frames_; }

private:
    ScopeThreadHooks hooks();
    std::string faultReason() const;

    ScopeModel& model_;
    std::vector<std::uint8_t> image_;
    Event wake_;
    UsbLink usb_;
    LinkState link_;
    AcquisitionFlags flags_;
    ParamsPublisher publisher_;
    FrameSets frames_;
    RecorderHandover recorder_;
    Event served_; // a synchronised call is waiting
    SyncQueue sync_;
    ScopeRequests requests_;
    PanelContext panel_;
    bool singleShotEnded_ = false;
    bool opened_ = false;
    bool started_ = false;
    Scope_Thread thread_; // last: it uses everything above
};

} // namespace qs40::cli
