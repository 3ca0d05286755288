// The texts the USB link shows: the service prompts of the open, the refusal of the older
// instrument and the USB error box. UTF-8.
#pragma once

#include "device/d2xx/d2xx.h"

#include <cstdint>
#include <string>

namespace qs40 {

// "Number of devices = 3. "
std::string deviceCountText(std::uint32_t count);
// The question before opening a device that describes itself as the instrument.
std::string trueDeviceText(const std::string& description, std::uint32_t index,
                           std::uint32_t location);
// The question before trying any other device.
std::string otherDeviceText(const std::string& description, std::uint32_t index,
                            std::uint32_t location);
// The refusal of the older instrument ZR4001.
std::string olderInstrumentText();

std::string usbErrorCaption(bool russian);
std::string usbErrorText(FtStatus status, bool russian);
// The second line of the USB error box when the backend said why the open failed; empty when
// it did not.
std::string openRefusalText(const OpenRefusal& refusal, bool russian);

} // namespace qs40
