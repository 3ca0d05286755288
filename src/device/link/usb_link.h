// The link to the instrument over the D2XX interface: finds it among the attached devices,
// opens and configures the serial channel, probes, closes, resets the port and shows the USB
// error box. Open, close, probe and port reset run on the GUI thread; the handle is read by
// the acquisition thread as well, so it is held atomically.
#pragma once

#include "device/d2xx/d2xx.h"

#include <atomic>
#include <functional>
#include <string>

namespace qs40 {

class Event;
class Ui;

class UsbLink {
public:
    // caption: the executable's file name without extension, shown on the service prompts.
    // wake: signalled by the driver whenever bytes arrive.
    UsbLink(D2xx& d2xx, Ui& ui, Event* wake, std::string caption, bool debugQs = false);

    // Opens the instrument (the first device described as the instrument, else the first
    // other device that opens, never the older instrument) and configures the channel.
    // Returns the D2XX status, 0 on success; 2 when nothing suitable is attached. A refused
    // configuration step fails the open with its status, the handle closed again.
    FtStatus open();
    // The queue-status query; a non-zero status means the link is lost.
    FtStatus probe();
    // Closes the handle; the handle keeps its value.
    FtStatus close();
    FtStatus resetPort();
    // The USB error box; for the status of the last open, with the backend's reason for it on
    // a second line when it gave one (the device is in use, say).
    void showUsbError(FtStatus status, bool russian);

    FtHandle handle() const { return handle_.load(); }
    D2xx& d2xx() const { return d2xx_; }
    bool debugQs() const { return debugQs_; }
    void setDebugQs(bool on) { debugQs_ = on; }
    const std::string& caption() const { return caption_; }

private:
    struct Listed;

    bool readDevice(std::uint32_t index, Listed& device);
    FtStatus openAt(std::uint32_t location);
    bool firstPass(std::uint32_t count, FtStatus& result);
    void secondPass(std::uint32_t count, FtStatus& result);
    FtStatus openAndConfigure();
    FtStatus configure();

    D2xx& d2xx_;
    Ui& ui_;
    Event* wake_;
    std::string caption_;
    bool debugQs_;
    std::atomic<FtHandle> handle_ = kNoHandle;
    // Why the last open failed with openStatus_, as the backend told it.
    FtStatus openStatus_ = FT_OK;
    OpenRefusal openRefusal_;
};

// Link check before Run, Single or generator On starts the instrument.
enum class LinkCheckOutcome {
    Linked,   // the probe succeeded; nothing was done
    Reopened, // the link was lost and the instrument opened again: clear the link-up flag and
              // the faults, raise the configure request
    Failed,   // the re-open failed: the handle is closed, the USB error box was shown; release
              // the button
};

struct LinkCheckResult {
    LinkCheckOutcome outcome;
    FtStatus status; // the link status to keep: the probe's, or the re-open's
};

// aroundErrorBox, when given, runs just before and just after the USB error box.
LinkCheckResult checkLink(UsbLink& link, bool russian,
                          const std::function<void()>& aroundErrorBox = {});

// The caption of the service prompts: the executable's file name without extension.
std::string executableCaption(const std::string& executablePath);

} // namespace qs40
