// One run of the instrument for qs40-cli: the acquisition session driven as the window drives
// it, without a window. The caller's thread plays the GUI thread: it owns the scope model,
// serves the thread's synchronised calls while it waits, probes the link once a second as the
// watchdog does, and shuts down in order (the thread stopped before the handle is closed).
#pragma once

#include "device/acquisition/acquisition_session.h"
#include "scope/acquisition_params.h"
#include "scope/panel_operations.h"
#include "scope/panel_view.h"
#include "scope/scope_state.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace qs40::cli {

// What the window keeps of the front panel.
struct ScopeModel {
    ScopeState state;
    AcquisitionParams params;
    PanelView view;
};

enum class WaitOutcome { Done, TimedOut, LinkFailed };

struct WaitResult {
    WaitOutcome outcome = WaitOutcome::Done;
    std::string reason; // why the link failed
};

class InstrumentRun {
public:
    using Clock = AcquisitionSession::Clock;

    // caption: the program's name, for the boxes of the open.
    InstrumentRun(D2xx& d2xx, Ui& ui, ScopeModel& model, std::vector<std::uint8_t> fpgaImage,
                  std::string caption);

    // Opens the instrument. On failure the handle is closed and the USB error box was shown.
    FtStatus open();
    // As the first paint after a successful open: the thread (which loads the FPGA) and the
    // apply-and-start operation with the model's Run and Single buttons.
    void start();
    // The apply-and-start operation, as after a control click: the model's parameters are
    // computed again and sent, with its Run, Single and generator buttons.
    void apply();
    // The variant code the instrument reports, once it has come up with its FPGA configured.
    std::optional<std::int32_t> instrumentVariant() const;
    // Serves the thread until done() holds, a link fault shows, or the deadline passes. The
    // link is probed once a second, as the window's watchdog does.
    WaitResult waitUntil(const std::function<bool()>& done, Clock::time_point deadline);
    // Puts Run and Single up and gives the thread a moment to tell the instrument.
    void stopRunning();
    // Stops the thread, then closes the handle. Safe to call more than once.
    void shutDown();

    bool linkUp() const { return session_.link().linkUp.load(); }
    bool singleShotEnded() const { return singleShotEnded_; }
    std::uint32_t framesAccepted() const { return session_.flags().framesDecoded.load(); }
    // The session itself, for the calibrations' passes.
    AcquisitionSession& session() { return session_; }
    // Where the recorder's pending bytes go; before start().
    void setRecorderWriter(RecorderHandover::Writer write) { recorderWrite_ = std::move(write); }
    RecorderHandover& recorder() { return session_.recorder(); }
    const LinkState& link() const { return session_.link(); }
    // The current set; read it after shutDown(), when nothing writes it any more.
    FrameSets& frames() { return session_.frames(); }

private:
    std::string faultReason() const;

    ScopeModel& model_;
    AcquisitionSession session_;
    PanelContext panel_;
    bool singleShotEnded_ = false;
    RecorderHandover::Writer recorderWrite_;
};

} // namespace qs40::cli
