#include "device/d2xx/ftdi_devices.h"
#include "device/d2xx/ftdi_translation.h"
#include "device/d2xx/tty_enumeration.h"
#include "device/d2xx/usb_listing.h"
#include "fake_sysfs.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <ftdi.h>
#include <libusb.h>

namespace qs40 {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Ports = std::vector<std::uint8_t>;

// A packet of the chip: two modem-status bytes, then the payload. Sized once and filled: GCC 12
// at -O3 takes an insert after braced elements for a write beyond them (-Warray-bounds).
Bytes packet(const Bytes& payload) {
    Bytes bytes(2 + payload.size());
    bytes[0] = 0x31;
    bytes[1] = 0x60;
    std::copy(payload.begin(), payload.end(), bytes.begin() + 2);
    return bytes;
}

Bytes concat(const Bytes& a, const Bytes& b) {
    Bytes bytes = a;
    bytes.insert(bytes.end(), b.begin(), b.end());
    return bytes;
}

TEST(FtdiTranslation, PayloadLeavesOutTheStatusBytesOfEveryPacket) {
    const Bytes full(62, 0xAA);
    struct Case {
        const char* what;
        Bytes received;
        std::size_t maxPacket;
        Bytes payload;
    };
    const Case cases[] = {
        {"nothing", {}, 64, {}},
        {"status only", packet({}), 64, {}},
        {"one short packet", packet({1, 2, 3}), 64, {1, 2, 3}},
        {"a full packet and a short one", concat(packet(full), packet({7, 8})), 64,
         concat(full, {7, 8})},
        {"full packets of a smaller size", concat(packet({1, 2}), packet({3})), 4, {1, 2, 3}},
        {"a status-only packet after data", concat(packet({1, 2}), packet({})), 4, {1, 2}},
        {"no room for data in a packet", packet({1}), 2, {}},
    };
    for (const auto& c : cases) {
        Bytes payload{0xEE};
        appendPayload(c.received, c.maxPacket, payload);
        EXPECT_EQ(payload, concat({0xEE}, c.payload)) << c.what;
    }
}

TEST(FtdiTranslation, BulkInResultsDecideWhatTheReaderDoes) {
    struct Case {
        int result;
        TransferOutcome outcome;
    };
    const Case cases[] = {
        {LIBUSB_SUCCESS, TransferOutcome::Keep},
        {LIBUSB_ERROR_TIMEOUT, TransferOutcome::Keep},
        {LIBUSB_ERROR_INTERRUPTED, TransferOutcome::Keep},
        {LIBUSB_ERROR_OVERFLOW, TransferOutcome::Keep},
        {LIBUSB_ERROR_PIPE, TransferOutcome::ClearHalt},
        {LIBUSB_ERROR_NO_DEVICE, TransferOutcome::Lost},
        {LIBUSB_ERROR_NOT_FOUND, TransferOutcome::Lost},
        {LIBUSB_ERROR_IO, TransferOutcome::Retry},
        {LIBUSB_ERROR_OTHER, TransferOutcome::Retry},
    };
    for (const auto& c : cases)
        EXPECT_EQ(bulkInOutcome(c.result), c.outcome) << libusb_error_name(c.result);
}

TEST(FtdiTranslation, ResultsBecomeD2xxStatuses) {
    struct Case {
        const char* call;
        FtStatus (*map)(int);
        int result;
        FtStatus status;
    };
    const Case cases[] = {
        {"bulk out", bulkOutStatus, LIBUSB_SUCCESS, FT_OK},
        {"bulk out", bulkOutStatus, LIBUSB_ERROR_TIMEOUT, FT_OK}, // a short count tells
        {"bulk out", bulkOutStatus, LIBUSB_ERROR_NO_DEVICE, FT_IO_ERROR},
        {"bulk out", bulkOutStatus, LIBUSB_ERROR_PIPE, FT_IO_ERROR},
        {"bulk out", bulkOutStatus, LIBUSB_ERROR_NO_MEM, FT_INSUFFICIENT_RESOURCES},
        {"open", openStatus, 0, FT_OK},
        {"open", openStatus, -4, FT_DEVICE_NOT_OPENED}, // libusb_open failed
        {"open", openStatus, -5, FT_DEVICE_NOT_OPENED}, // claimed by another program
        {"open", openStatus, -8, FT_DEVICE_NOT_OPENED}, // permissions
        {"open", openStatus, -6, FT_IO_ERROR},          // the chip did not take its reset
        {"baud rate", baudRateStatus, 0, FT_OK},
        {"baud rate", baudRateStatus, -1, FT_INVALID_BAUD_RATE},
        {"baud rate", baudRateStatus, -2, FT_IO_ERROR},
        {"control", controlStatus, 0, FT_OK},
        {"control", controlStatus, -1, FT_IO_ERROR},
        {"control", controlStatus, -2, FT_IO_ERROR},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.map(c.result), c.status) << c.call << " " << c.result;
}

// Only a claim that failed says that another program has the channel; permissions do not.
TEST(FtdiTranslation, AFailedClaimIsTheChannelInUse) {
    EXPECT_TRUE(openFoundInUse(-5));
    for (const int other : {0, -3, -4, -8, -11})
        EXPECT_FALSE(openFoundInUse(other)) << other;
}

TEST(FtdiTranslation, PortResetTellsWhetherTheHandleStillReachesTheDevice) {
    struct Case {
        int result;
        FtStatus status;
        bool lost;
    };
    const Case cases[] = {
        {LIBUSB_SUCCESS, FT_OK, false},
        {LIBUSB_ERROR_NOT_FOUND, FT_OK, true}, // back as a new device
        {LIBUSB_ERROR_NO_DEVICE, FT_DEVICE_NOT_FOUND, true},
        {LIBUSB_ERROR_IO, FT_IO_ERROR, true},
    };
    for (const auto& c : cases) {
        bool lost = !c.lost;
        EXPECT_EQ(portResetStatus(c.result, lost), c.status) << libusb_error_name(c.result);
        EXPECT_EQ(lost, c.lost) << libusb_error_name(c.result);
    }
}

TEST(FtdiTranslation, DataCharacteristicsBecomeLineProperties) {
    const auto line = ftdiLineProperty(FT_BITS_8, FT_STOP_BITS_1, FT_PARITY_NONE);
    ASSERT_TRUE(line);
    EXPECT_EQ(line->bits, BITS_8);
    EXPECT_EQ(line->stopBits, STOP_BIT_1);
    EXPECT_EQ(line->parity, NONE);

    const auto other = ftdiLineProperty(7, 2, 2);
    ASSERT_TRUE(other);
    EXPECT_EQ(other->bits, BITS_7);
    EXPECT_EQ(other->stopBits, STOP_BIT_2);
    EXPECT_EQ(other->parity, EVEN);
    EXPECT_EQ(ftdiLineProperty(8, 0, 4)->parity, SPACE);

    EXPECT_FALSE(ftdiLineProperty(6, 0, 0)) << "six data bits";
    EXPECT_FALSE(ftdiLineProperty(8, 1, 0)) << "stop bits code 1";
    EXPECT_FALSE(ftdiLineProperty(8, 0, 5)) << "parity code 5";
}

TEST(FtdiTranslation, FlowControlModes) {
    struct Case {
        std::uint16_t mode;
        std::optional<int> flow;
        bool xonXoff;
    };
    const Case cases[] = {
        {FT_FLOW_NONE, SIO_DISABLE_FLOW_CTRL, false},
        {0x0100, SIO_RTS_CTS_HS, false},
        {0x0200, SIO_DTR_DSR_HS, false},
        {0x0400, SIO_XON_XOFF_HS, true},
        {0x0300, std::nullopt, false},
    };
    for (const auto& c : cases) {
        bool xonXoff = !c.xonXoff;
        EXPECT_EQ(ftdiFlowControl(c.mode, xonXoff), c.flow) << c.mode;
        EXPECT_EQ(xonXoff, c.xonXoff) << c.mode;
    }
}

TEST(FtdiTranslation, LatencyOfZeroBecomesTheShortestTheChipTakes) {
    EXPECT_EQ(ftdiLatency(0), 1);
    EXPECT_EQ(ftdiLatency(1), 1);
    EXPECT_EQ(ftdiLatency(16), 16);
    EXPECT_EQ(ftdiLatency(255), 255);
}

TEST(FtdiTranslation, LocationFromTopologyOrBusAndAddress) {
    EXPECT_EQ(ftdiLocation(1, Ports{1, 4}, 9, 0), 0x01000140u);
    EXPECT_EQ(ftdiLocation(3, Ports{2}, 9, 1), 0x03000021u) << "second channel";
    // A chain that does not fit: bus, address and channel, below every topology location.
    const std::uint32_t deep = ftdiLocation(2, Ports{1, 2, 3, 4, 5, 6}, 17, 1);
    EXPECT_EQ(deep, 0x2111u);
    EXPECT_LT(deep, kFirstTopologyLocation);
    EXPECT_NE(ftdiLocation(2, Ports{}, 17, 0), 0u);
}

// Whichever backend reaches it, one channel has one location.
TEST(FtdiTranslation, LocationMatchesTheSerialBackendForTheSameChannel) {
    testing::FakeSysfs tree;
    tree.addNode("ttyUSB0");
    tree.addNode("ttyUSB1");
    tree.addUsbTty("ttyUSB0", 1, "1.4", 5, 0, "Digital Oscilloscope ZR40");
    tree.addUsbTty("ttyUSB1", 3, "2", 7, 1, "Dual RS232-HS");
    const auto ttys = scanTtyUsb(tree.roots());
    ASSERT_EQ(ttys.size(), 2u);
    EXPECT_EQ(ttys[0].location, ftdiLocation(1, Ports{1, 4}, 5, 0));
    EXPECT_EQ(ttys[1].location, ftdiLocation(3, Ports{2}, 7, 1));
}

} // namespace
} // namespace qs40
