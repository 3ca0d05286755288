// The libftdi1 backend without hardware: what it does with no FTDI device attached, or with
// locations and handles that name none. Attached devices are listed but never opened.
#include "device/d2xx/device_descriptions.h"
#include "device/d2xx/event.h"
#include "device/d2xx/ftdi_backend.h"
#include "device/link/usb_link.h"
#include "scripted_ui.h"

#include <gtest/gtest.h>

#include <functional>
#include <set>

namespace qs40 {
namespace {

TEST(FtdiBackend, ListsWhatIsAttachedAndNothingPastTheEnd) {
    FtdiD2xx backend;
    std::uint32_t count = 99;
    ASSERT_EQ(backend.listDeviceCount(count), FT_OK);
    std::set<std::uint32_t> locations;
    for (std::uint32_t i = 0; i < count; ++i) {
        std::uint32_t location = 0;
        std::string description;
        ASSERT_EQ(backend.listLocation(i, location), FT_OK);
        ASSERT_EQ(backend.listDescription(i, description), FT_OK);
        EXPECT_NE(location, 0u);
        EXPECT_LT(description.size(), kDescriptionBufferSize);
        locations.insert(location);
    }
    EXPECT_EQ(locations.size(), count) << "every channel has a location of its own";

    std::uint32_t location = 0;
    std::string description;
    EXPECT_EQ(backend.listLocation(count, location), FT_DEVICE_NOT_FOUND);
    EXPECT_EQ(backend.listDescription(count, description), FT_DEVICE_NOT_FOUND);
}

TEST(FtdiBackend, ListingByIndexWorksWithoutACountFirst) {
    FtdiD2xx backend;
    std::uint32_t location = 0;
    const FtStatus status = backend.listLocation(0, location);
    EXPECT_TRUE(status == FT_OK || status == FT_DEVICE_NOT_FOUND) << status;
}

// No device has location 0: a topology location has a bus, a fall-back one a bus number too.
TEST(FtdiBackend, OpeningALocationWithoutDeviceIsNotFound) {
    FtdiD2xx backend;
    FtHandle handle = kNoHandle;
    EXPECT_EQ(backend.openByLocation(0, handle), FT_DEVICE_NOT_FOUND);
    EXPECT_EQ(handle, kNoHandle);
}

TEST(FtdiBackend, UnknownHandleGivesInvalidHandleFromEveryCall) {
    FtdiD2xx backend;
    const FtHandle h = 7;
    Event event;
    std::uint8_t byte = 0x55;
    std::uint32_t n = 1, tx = 1, events = 1;
    const std::pair<const char*, std::function<FtStatus()>> calls[] = {
        {"close", [&] { return backend.close(h); }},
        {"resetDevice", [&] { return backend.resetDevice(h); }},
        {"setBaudRate", [&] { return backend.setBaudRate(h, 2000000); }},
        {"setDataCharacteristics",
         [&] {
             return backend.setDataCharacteristics(h, FT_BITS_8, FT_STOP_BITS_1, FT_PARITY_NONE);
         }},
        {"setFlowControl", [&] { return backend.setFlowControl(h, FT_FLOW_NONE, 0x13, 0x17); }},
        {"setTimeouts", [&] { return backend.setTimeouts(h, 500, 500); }},
        {"purge", [&] { return backend.purge(h, FT_PURGE_RX | FT_PURGE_TX); }},
        {"setLatencyTimer", [&] { return backend.setLatencyTimer(h, 0); }},
        {"setEventNotification",
         [&] { return backend.setEventNotification(h, FT_EVENT_RXCHAR, &event); }},
        {"getQueueStatus", [&] { return backend.getQueueStatus(h, n); }},
        {"getStatus", [&] { return backend.getStatus(h, n, tx, events); }},
        {"read", [&] { return backend.read(h, &byte, 1, n); }},
        {"write", [&] { return backend.write(h, &byte, 1, n); }},
        {"resetPort", [&] { return backend.resetPort(h); }},
    };
    for (const auto& [name, call] : calls)
        EXPECT_EQ(call(), FT_INVALID_HANDLE) << name;
    EXPECT_EQ(n, 0u) << "the counting calls leave no count behind";
    EXPECT_FALSE(event.isSet());
}

TEST(FtdiBackend, LinkWithoutAnyFtdiDeviceFindsNothing) {
    FtdiD2xx backend;
    std::uint32_t count = 0;
    ASSERT_EQ(backend.listDeviceCount(count), FT_OK);
    if (count != 0)
        GTEST_SKIP() << "FTDI devices are attached; they are not opened by tests";
    testing::ScriptedUi ui;
    Event wake;
    UsbLink link(backend, ui, &wake, "qs40");
    EXPECT_EQ(link.open(), FT_DEVICE_NOT_FOUND);
    EXPECT_TRUE(ui.boxes.empty());
    EXPECT_EQ(link.probe(), FT_INVALID_HANDLE) << "nothing was opened";
}

} // namespace
} // namespace qs40
