// The acquisition thread: loads the FPGA, sends the parameters when asked, reads and parses
// the instrument's byte stream, decodes the accepted frames, and has the GUI thread redraw
// through the synchronised callback.
//
// Stopping: requestStop() sets the terminate flag, refuses further synchronised calls (also
// releasing one that waits for the GUI thread) and wakes the loop; join() waits for it. So the
// GUI thread may join without serving events, and close the device handle afterwards. A
// stopped thread is not started again: its synchronised calls stay refused.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <span>
#include <thread>

#include "device/acquisition/acquisition_flags.h"
#include "device/d2xx/event.h"
#include "device/acquisition/frame_decoder.h"
#include "device/acquisition/frame_receiver.h"
#include "device/link/link_state.h"
#include "device/acquisition/params_publisher.h"
#include "device/link/protocol_session.h"
#include "device/acquisition/recorder_handover.h"
#include "device/acquisition/sync_port.h"
#include "device/link/usb_link.h"
#include "scope/frame.h"

namespace qs40 {

// What the synchronised callback does on the GUI thread. Any of them may be empty.
struct ScopeThreadHooks {
    std::function<void()> perFrame;          // the per-frame routine (draws the current set)
    std::function<void()> activityIndicator; // redraws the activity indicator
    RecorderHandover::Writer recorderWrite;  // appends pending recorder bytes to the file
    std::function<void()> singleShotEnded;   // puts SpeedButton_Sngl up (applySingleShotEnd)
};

// What the thread works with; all owned by the main window and outliving the thread.
struct ScopeThreadParts {
    UsbLink& usb; // the device handle; the D2XX interface
    LinkState& link;
    AcquisitionFlags& flags;
    ParamsPublisher& params;
    FrameSets& frames;
    RecorderHandover& recorder;
    Event& wake;
    Sync& sync;
    std::span<const std::uint8_t> fpgaImage;
};

class Scope_Thread {
public:
    Scope_Thread(const ScopeThreadParts& parts, ScopeThreadHooks hooks);
    ~Scope_Thread(); // stops and joins
    Scope_Thread(const Scope_Thread&) = delete;
    Scope_Thread& operator=(const Scope_Thread&) = delete;

    // Replaces the real pauses of the FPGA load; call before start().
    void setPause(PauseFunction pause) { session_.setPause(std::move(pause)); }

    void start();
    void requestStop();
    // True once the loop has ended (the thread may still be finishing).
    bool leftLoop() const { return left_.load(); }
    void join();
    void stop() {
        requestStop();
        join();
    }

    // The synchronised callback's work; runs on the GUI thread while the thread waits.
    void synchronisedCallback();

private:
    void run();
    void loadFpga();
    void sendParameters();
    bool flushRecorder();

    ScopeThreadParts parts_;
    ScopeThreadHooks hooks_;
    ProtocolSession session_;
    FrameDecoder decoder_;
    FrameReceiver receiver_;
    std::atomic<bool> terminate_{false};
    std::atomic<bool> left_{false};
    std::thread thread_;
};

} // namespace qs40
