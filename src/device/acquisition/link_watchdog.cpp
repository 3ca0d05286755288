#include "device/acquisition/link_watchdog.h"

#include <thread>

#include "device/acquisition/watchdog_texts.h"

namespace qs40 {

namespace {
// More checksum errors than this within a second give the code 5 warning.
constexpr std::uint32_t kTolerableChecksumErrors = 4;
constexpr LinkFault kFaultOrder[] = {LinkFault::ConnectionLost, LinkFault::FpgaConfigurationFailure,
                                     LinkFault::PowerFailure, LinkFault::FpgaConfigurationLost};
} // namespace

LinkWatchdog::LinkWatchdog(LinkState& link, AcquisitionFlags& flags, UsbLink& usb, Ui& ui)
    : link_(link), flags_(flags), usb_(usb), ui_(ui),
      pause_([](std::chrono::milliseconds ms) { std::this_thread::sleep_for(ms); }) {}

WatchdogOutcome LinkWatchdog::tick(bool russian) {
    WatchdogOutcome outcome;
    shown_.drawn = flags_.framesDrawn.exchange(0);
    shown_.decoded = flags_.framesDecoded.exchange(0);
    shown_.checksumErrors = link_.checksumErrors.exchange(0);
    outcome.counters = shown_;
    link_.displayRequest.store(true);

    if (inTick_) {
        outcome.skipped = true;
        return outcome;
    }
    inTick_ = true;
    if (busy_)
        busy_();

    const FtStatus probe = usb_.probe();
    link_.linkStatus.store(probe);
    if (probe != FT_OK && link_.linkUp.load())
        link_.raise(LinkFault::ConnectionLost);

    const std::string caption = watchdogCaption(russian);
    if (outcome.counters.checksumErrors > kTolerableChecksumErrors)
        ui_.messageBox(caption, unstableLinkText(russian), BoxIcon::Exclamation, BoxButtons::Ok);

    bool anyFault = false;
    BoxAnswer answer = BoxAnswer::No;
    for (const LinkFault fault : kFaultOrder) {
        if (!link_.raised(fault))
            continue;
        anyFault = true;
        answer = ui_.messageBox(caption, faultText(fault, russian), BoxIcon::Exclamation,
                                BoxButtons::YesNo);
    }
    if (anyFault)
        recover(answer == BoxAnswer::Yes, russian, outcome);

    inTick_ = false;
    if (idle_)
        idle_();
    return outcome;
}

// Yes: reset the port, wait, open again (the configuration follows through the configure
// request). No, or a failed open: the instrument stays closed and the buttons come up.
void LinkWatchdog::recover(bool yes, bool russian, WatchdogOutcome& outcome) {
    link_.linkUp.store(false);
    link_.clearFaults();
    if (!yes) {
        usb_.close();
        outcome.releaseButtons = true;
        return;
    }
    usb_.resetPort();
    pause_(kResetPause);
    const FtStatus opened = usb_.open();
    link_.linkStatus.store(opened);
    if (opened != FT_OK) {
        usb_.close();
        usb_.showUsbError(opened, russian);
        outcome.releaseButtons = true;
        return;
    }
    link_.configureRequest.store(true);
    outcome.applyAndStart = true;
}

} // namespace qs40
