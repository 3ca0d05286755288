#include "device/d2xx/ftdi_translation.h"

#include <algorithm>
#include <ftdi.h>
#include <libusb.h>

namespace qs40 {
namespace {

// D2XX flow-control modes (FT_SetFlowControl).
constexpr std::uint16_t kFlowRtsCts = 0x0100;
constexpr std::uint16_t kFlowDtrDsr = 0x0200;
constexpr std::uint16_t kFlowXonXoff = 0x0400;
// D2XX data characteristics (FT_SetDataCharacteristics).
constexpr std::uint8_t kBits7 = 7;
constexpr std::uint8_t kStopBits2 = 2;
constexpr std::uint8_t kParityOdd = 1, kParityEven = 2, kParityMark = 3, kParitySpace = 4;

} // namespace

void appendPayload(std::span<const std::uint8_t> received, std::size_t maxPacket,
                   std::vector<std::uint8_t>& payload) {
    if (maxPacket <= kFtdiStatusBytes)
        return;
    for (std::size_t offset = 0; offset < received.size(); offset += maxPacket) {
        const auto packet = received.subspan(offset, std::min(maxPacket, received.size() - offset));
        if (packet.size() > kFtdiStatusBytes)
            payload.insert(payload.end(), packet.begin() + kFtdiStatusBytes, packet.end());
    }
}

TransferOutcome bulkInOutcome(int libusbResult) {
    switch (libusbResult) {
    case LIBUSB_SUCCESS:
    case LIBUSB_ERROR_TIMEOUT: // the bytes of the packets that did come are valid
    case LIBUSB_ERROR_INTERRUPTED:
    case LIBUSB_ERROR_OVERFLOW: // that transfer's bytes are lost; the next one is fine
        return TransferOutcome::Keep;
    case LIBUSB_ERROR_PIPE:
        return TransferOutcome::ClearHalt;
    case LIBUSB_ERROR_NO_DEVICE:
    case LIBUSB_ERROR_NOT_FOUND: // the handle no longer has its interface
        return TransferOutcome::Lost;
    default: // an unplug often shows first as an I/O error, then as no device
        return TransferOutcome::Retry;
    }
}

FtStatus bulkOutStatus(int libusbResult) {
    switch (libusbResult) {
    case LIBUSB_SUCCESS:
    case LIBUSB_ERROR_TIMEOUT:
        return FT_OK;
    case LIBUSB_ERROR_INVALID_PARAM:
        return FT_INVALID_PARAMETER;
    case LIBUSB_ERROR_NO_MEM:
        return FT_INSUFFICIENT_RESOURCES;
    default:
        return FT_IO_ERROR;
    }
}

FtStatus openStatus(int ftdiResult) {
    switch (ftdiResult) {
    case 0:
        return FT_OK;
    case -3:  // unable to set the configuration
    case -4:  // libusb_open failed (permissions, or gone)
    case -5:  // unable to claim the interface (another program has it)
    case -8:  // permissions
    case -11: // the kernel driver could not be detached
        return FT_DEVICE_NOT_OPENED;
    default: // the chip did not answer its reset or baud rate, or the descriptors failed
        return FT_IO_ERROR;
    }
}

// libusb refuses to claim an interface that another program claimed (libftdi1 reports -5).
bool openFoundInUse(int ftdiResult) {
    return ftdiResult == -5;
}

FtStatus baudRateStatus(int ftdiResult) {
    if (ftdiResult == 0)
        return FT_OK;
    return ftdiResult == -1 ? FT_INVALID_BAUD_RATE : FT_IO_ERROR;
}

FtStatus controlStatus(int ftdiResult) {
    return ftdiResult >= 0 ? FT_OK : FT_IO_ERROR;
}

FtStatus portResetStatus(int libusbResult, bool& lost) {
    lost = libusbResult != LIBUSB_SUCCESS;
    switch (libusbResult) {
    case LIBUSB_SUCCESS:
    case LIBUSB_ERROR_NOT_FOUND: // reset, and back as a new device: open it again
        return FT_OK;
    case LIBUSB_ERROR_NO_DEVICE:
        return FT_DEVICE_NOT_FOUND;
    default:
        return FT_IO_ERROR;
    }
}

std::optional<FtdiLineProperty> ftdiLineProperty(std::uint8_t bits, std::uint8_t stopBits,
                                                 std::uint8_t parity) {
    FtdiLineProperty line{};
    if (bits == FT_BITS_8)
        line.bits = BITS_8;
    else if (bits == kBits7)
        line.bits = BITS_7;
    else
        return std::nullopt;

    if (stopBits == FT_STOP_BITS_1)
        line.stopBits = STOP_BIT_1;
    else if (stopBits == kStopBits2)
        line.stopBits = STOP_BIT_2;
    else
        return std::nullopt;

    switch (parity) {
    case FT_PARITY_NONE:
        line.parity = NONE;
        break;
    case kParityOdd:
        line.parity = ODD;
        break;
    case kParityEven:
        line.parity = EVEN;
        break;
    case kParityMark:
        line.parity = MARK;
        break;
    case kParitySpace:
        line.parity = SPACE;
        break;
    default:
        return std::nullopt;
    }
    return line;
}

std::optional<int> ftdiFlowControl(std::uint16_t mode, bool& xonXoff) {
    xonXoff = false;
    switch (mode) {
    case FT_FLOW_NONE:
        return SIO_DISABLE_FLOW_CTRL;
    case kFlowRtsCts:
        return SIO_RTS_CTS_HS;
    case kFlowDtrDsr:
        return SIO_DTR_DSR_HS;
    case kFlowXonXoff:
        xonXoff = true;
        return SIO_XON_XOFF_HS;
    default:
        return std::nullopt;
    }
}

std::uint8_t ftdiLatency(std::uint8_t ms) {
    return ms < 1 ? 1 : ms;
}

} // namespace qs40
