#include "device/link/usb_link.h"

#include "device/d2xx/device_descriptions.h"
#include "device/link/usb_texts.h"
#include "scope/ui_port.h"

#include <filesystem>

namespace qs40 {

namespace {

constexpr std::uint32_t kBaudRate = 2000000;
constexpr std::uint8_t kXon = 0x13;
constexpr std::uint8_t kXoff = 0x17;
constexpr std::uint32_t kTimeoutMs = 500;
constexpr std::uint8_t kLatencyMs = 0;

// The driver fills a 64-byte buffer with a zero-terminated text.
std::string asDescriptionBuffer(std::string text) {
    text = text.substr(0, text.find('\0'));
    if (text.size() > kDescriptionBufferSize - 1)
        text.resize(kDescriptionBufferSize - 1);
    return text;
}

} // namespace

struct UsbLink::Listed {
    std::uint32_t index = 0;
    std::uint32_t location = 0;
    std::string description;
};

UsbLink::UsbLink(D2xx& d2xx, Ui& ui, Event* wake, std::string caption, bool debugQs)
    : d2xx_(d2xx), ui_(ui), wake_(wake), caption_(std::move(caption)), debugQs_(debugQs) {}

bool UsbLink::readDevice(std::uint32_t index, Listed& device) {
    device.index = index;
    const FtStatus locationStatus = d2xx_.listLocation(index, device.location);
    std::string description;
    const FtStatus descriptionStatus = d2xx_.listDescription(index, description);
    device.description = asDescriptionBuffer(std::move(description));
    return locationStatus == FT_OK && descriptionStatus == FT_OK;
}

FtStatus UsbLink::openAt(std::uint32_t location) {
    FtHandle opened = kNoHandle;
    const FtStatus status = d2xx_.openByLocation(location, opened);
    if (status == FT_OK)
        handle_.store(opened);
    openStatus_ = status;
    openRefusal_ = status == FT_OK ? OpenRefusal{} : d2xx_.lastOpenRefusal();
    return status;
}

// Devices that describe themselves as the instrument. True when one was opened.
bool UsbLink::firstPass(std::uint32_t count, FtStatus& result) {
    for (std::uint32_t i = 0; i < count; ++i) {
        Listed device;
        if (!readDevice(i, device) || device.description != kInstrumentDescription) {
            result = FT_DEVICE_NOT_FOUND;
            continue;
        }
        const bool open =
            !debugQs_ ||
            ui_.messageBox(caption_, trueDeviceText(device.description, i, device.location),
                           BoxIcon::Question, BoxButtons::YesNo) == BoxAnswer::Yes;
        if (!open) {
            result = FT_DEVICE_NOT_FOUND;
            continue;
        }
        result = openAt(device.location);
        if (result == FT_OK)
            return true;
    }
    return false;
}

// Any other device, except the older instrument unless the service prompts are on.
void UsbLink::secondPass(std::uint32_t count, FtStatus& result) {
    for (std::uint32_t i = 0; i < count; ++i) {
        Listed device;
        if (!readDevice(i, device) || device.description == kInstrumentDescription)
            continue;
        bool open = true;
        if (debugQs_) {
            open = ui_.messageBox(caption_, otherDeviceText(device.description, i, device.location),
                                  BoxIcon::Exclamation, BoxButtons::YesNo) == BoxAnswer::Yes;
        } else if (device.description == kOlderInstrumentDescription) {
            ui_.messageBox(caption_, olderInstrumentText(), BoxIcon::Stop, BoxButtons::Ok);
            open = false;
        }
        if (!open)
            continue;
        result = openAt(device.location);
        if (result == FT_OK)
            return;
    }
}

// Every step must take: a channel left at the wrong rate or without time-outs would show only
// later, as an instrument that never answers. The latency timer only hurries small packets on,
// so a port that has none (FT_NOT_SUPPORTED) works without it.
FtStatus UsbLink::configure() {
    const FtHandle h = handle_.load();
    const std::function<FtStatus()> steps[] = {
        [&] { return d2xx_.resetDevice(h); },
        [&] { return d2xx_.setBaudRate(h, kBaudRate); },
        [&] { return d2xx_.setDataCharacteristics(h, FT_BITS_8, FT_STOP_BITS_1, FT_PARITY_NONE); },
        [&] { return d2xx_.setFlowControl(h, FT_FLOW_NONE, kXon, kXoff); },
        [&] { return d2xx_.setTimeouts(h, kTimeoutMs, kTimeoutMs); },
        [&] { return d2xx_.purge(h, FT_PURGE_RX | FT_PURGE_TX); },
        [&] {
            const FtStatus status = d2xx_.setLatencyTimer(h, kLatencyMs);
            return status == FT_NOT_SUPPORTED ? FT_OK : status;
        },
        [&] { return d2xx_.setEventNotification(h, FT_EVENT_RXCHAR, wake_); },
    };
    for (const auto& step : steps) {
        if (const FtStatus status = step(); status != FT_OK)
            return status;
    }
    return FT_OK;
}

FtStatus UsbLink::open() {
    openStatus_ = FT_OK;
    openRefusal_ = {};
    const FtStatus result = openAndConfigure();
    // The reason belongs to the device whose open gave the result, not to one tried before.
    if (result != openStatus_)
        openRefusal_ = {};
    return result;
}

FtStatus UsbLink::openAndConfigure() {
    std::uint32_t count = 0;
    if (const FtStatus status = d2xx_.listDeviceCount(count); status != FT_OK)
        return status;
    if (count == 0)
        return FT_DEVICE_NOT_FOUND;
    if (debugQs_ && count > 1)
        ui_.messageBox(caption_, deviceCountText(count), BoxIcon::Exclamation, BoxButtons::Ok);

    FtStatus result = FT_DEVICE_NOT_FOUND;
    if (!firstPass(count, result))
        secondPass(count, result);
    if (result != FT_OK)
        return result;
    result = configure();
    if (result != FT_OK)
        d2xx_.close(handle_.load());
    return result;
}

FtStatus UsbLink::probe() {
    std::uint32_t rxBytes = 0;
    return d2xx_.getQueueStatus(handle_.load(), rxBytes);
}

FtStatus UsbLink::close() {
    return d2xx_.close(handle_.load());
}

FtStatus UsbLink::resetPort() {
    return d2xx_.resetPort(handle_.load());
}

void UsbLink::showUsbError(FtStatus status, bool russian) {
    std::string text = usbErrorText(status, russian);
    if (status == openStatus_ && status != FT_OK) {
        if (const std::string reason = openRefusalText(openRefusal_, russian); !reason.empty())
            text += "\r\n" + reason;
    }
    ui_.messageBox(usbErrorCaption(russian), text, BoxIcon::Stop, BoxButtons::Ok);
}

LinkCheckResult checkLink(UsbLink& link, bool russian,
                          const std::function<void()>& aroundErrorBox) {
    const FtStatus probed = link.probe();
    if (probed == FT_OK)
        return {LinkCheckOutcome::Linked, probed};
    link.close();
    const FtStatus opened = link.open();
    if (opened == FT_OK)
        return {LinkCheckOutcome::Reopened, opened};
    link.close();
    if (aroundErrorBox)
        aroundErrorBox();
    link.showUsbError(opened, russian);
    if (aroundErrorBox)
        aroundErrorBox();
    return {LinkCheckOutcome::Failed, opened};
}

std::string executableCaption(const std::string& executablePath) {
    return std::filesystem::path(executablePath).stem().string();
}

} // namespace qs40
