#include "device/link/usb_texts.h"

namespace qs40 {
namespace {

std::string deviceText(const char* headline, const std::string& description, std::uint32_t index,
                       std::uint32_t location, const char* question) {
    return std::string(headline) + "\r\nDescription = " + "'" + description + "'  " +
           "\r\nDev_Index = " + std::to_string(index) +
           "\r\nDev_Loc = " + std::to_string(location) + question;
}

} // namespace

std::string deviceCountText(std::uint32_t count) {
    return "Number of devices = " + std::to_string(count) + ". ";
}

std::string trueDeviceText(const std::string& description, std::uint32_t index,
                           std::uint32_t location) {
    return deviceText("True device found.", description, index, location, "\r\nOpen ?");
}

std::string otherDeviceText(const std::string& description, std::uint32_t index,
                            std::uint32_t location) {
    return deviceText("Other device found.", description, index, location, "\r\nTry to open ?");
}

std::string olderInstrumentText() {
    return "ZR4001 device found. \r\nPlease, use ZR4001 software.";
}

std::string usbErrorCaption(bool russian) {
    return russian ? "Ошибка USB" : "USB Error";
}

std::string usbErrorText(FtStatus status, bool russian) {
    switch (status) {
    case FT_INVALID_HANDLE:
        return russian ? "Неверный дескриптор." : "Invalid handle.";
    case FT_DEVICE_NOT_FOUND:
        return russian ? "Устройство не найдено." : "Device not found.";
    default:
        return (russian ? "Ошибка - " : "Error - ") + std::to_string(status);
    }
}

std::string openRefusalText(const OpenRefusal& refusal, bool russian) {
    switch (refusal.reason) {
    case OpenRefusal::Reason::InUse:
        if (refusal.device.empty())
            return russian ? "Устройство занято другой программой."
                           : "The device is in use by another program.";
        return refusal.device +
               (russian ? " занято другой программой." : " is in use by another program.");
    case OpenRefusal::Reason::None:
        break;
    }
    return {};
}

} // namespace qs40
