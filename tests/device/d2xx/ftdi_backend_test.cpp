// The libftdi1 backend: over a scripted chip for what needs a device, over the real bus for
// what it does with no FTDI device attached, or with locations that name none (attached
// devices are listed but never opened). What every backend promises is in
// d2xx_contract_test.cpp.
#include "device/d2xx/device_descriptions.h"
#include "device/d2xx/event.h"
#include "device/d2xx/ftdi_backend.h"
#include "device/d2xx/tty_backend.h"
#include "device/link/usb_link.h"
#include "fake_sysfs.h"
#include "pty_pair.h"
#include "scripted_ftdi.h"
#include "../scripted_ui.h"

#include <gtest/gtest.h>

#include <chrono>
#include <set>
#include <thread>

namespace qs40 {
namespace {

using testing::ScriptedChip;
using testing::ScriptedFtdiBus;
using Chips = std::vector<std::shared_ptr<ScriptedChip>>;

std::unique_ptr<FtdiD2xx> backendWith(const Chips& chips) {
    return std::make_unique<FtdiD2xx>(std::make_unique<ScriptedFtdiBus>(chips));
}

TEST(FtdiBackend, ListsTheRealBusAndNothingPastTheEnd) {
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
    const auto chips = Chips{std::make_shared<ScriptedChip>(0x02000110u, "Dual RS232-HS"),
                             std::make_shared<ScriptedChip>(0x01000140u, kInstrumentDescription)};
    const auto backend = backendWith(chips);
    std::uint32_t location = 0;
    std::string description;
    ASSERT_EQ(backend->listLocation(1, location), FT_OK);
    EXPECT_EQ(location, 0x02000110u) << "in the order of the locations";
    ASSERT_EQ(backend->listDescription(0, description), FT_OK);
    EXPECT_EQ(description, kInstrumentDescription);
    EXPECT_EQ(backend->listLocation(2, location), FT_DEVICE_NOT_FOUND);
}

// No device has location 0: a topology location has a bus, a fall-back one a bus number too.
TEST(FtdiBackend, OpeningALocationWithoutDeviceIsNotFound) {
    FtdiD2xx backend;
    FtHandle handle = kNoHandle;
    EXPECT_EQ(backend.openByLocation(0, handle), FT_DEVICE_NOT_FOUND);
    EXPECT_EQ(handle, kNoHandle);
}

TEST(FtdiBackend, TheHandleHoldsTheChannelUntilItsClose) {
    const auto chip = std::make_shared<ScriptedChip>(0x01000140u, kInstrumentDescription);
    const auto backend = backendWith({chip});
    FtHandle handle = kNoHandle;
    ASSERT_EQ(backend->openByLocation(chip->location(), handle), FT_OK);
    EXPECT_TRUE(chip->claimed());
    ASSERT_EQ(backend->close(handle), FT_OK);
    EXPECT_FALSE(chip->claimed()) << "the close gave the channel back";

    ASSERT_EQ(backend->openByLocation(chip->location(), handle), FT_OK);
    ASSERT_EQ(backend->resetPort(handle), FT_OK);
    EXPECT_EQ(chip->portResets(), 1);
    EXPECT_FALSE(chip->claimed()) << "the port reset let go of the channel";
}

// The handle of a lost chip lets go of it: the chip, back again, opens without the old handle
// being closed first, as the recovery after a lost connection does it.
TEST(FtdiBackend, LostChipBackAgainOpensBesideTheOldHandle) {
    const auto chip = std::make_shared<ScriptedChip>(0x01000140u, kInstrumentDescription);
    const auto backend = backendWith({chip});
    FtHandle old = kNoHandle;
    ASSERT_EQ(backend->openByLocation(chip->location(), old), FT_OK);
    chip->unplug();
    std::uint32_t rx = 0;
    for (int i = 0; i < 10000 && backend->getQueueStatus(old, rx) == FT_OK; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    ASSERT_EQ(backend->getQueueStatus(old, rx), FT_IO_ERROR);

    chip->replug();
    FtHandle fresh = kNoHandle;
    ASSERT_EQ(backend->openByLocation(chip->location(), fresh), FT_OK);
    EXPECT_EQ(backend->getQueueStatus(fresh, rx), FT_OK);
    EXPECT_EQ(backend->getQueueStatus(old, rx), FT_IO_ERROR) << "the old handle stays finished";
    EXPECT_EQ(backend->close(old), FT_OK);
    EXPECT_TRUE(chip->claimed()) << "closing the old handle leaves the new one its channel";
}

// Another program claimed the channel through libftdi1 (a second backend here).
TEST(FtdiBackend, AClaimedChannelIsInUse) {
    const auto chip = std::make_shared<ScriptedChip>(0x01000140u, kInstrumentDescription);
    const auto holder = backendWith({chip});
    const auto second = backendWith({chip});
    FtHandle held = kNoHandle, refused = kNoHandle;
    ASSERT_EQ(holder->openByLocation(chip->location(), held), FT_OK);
    EXPECT_EQ(second->openByLocation(chip->location(), refused), FT_DEVICE_NOT_OPENED);
    EXPECT_EQ(second->lastOpenRefusal().reason, OpenRefusal::Reason::InUse);
    EXPECT_TRUE(second->lastOpenRefusal().device.empty()) << "a USB channel has no node";
    ASSERT_EQ(holder->close(held), FT_OK);
    EXPECT_EQ(second->openByLocation(chip->location(), refused), FT_OK);
    EXPECT_EQ(second->lastOpenRefusal().reason, OpenRefusal::Reason::None);
}

// Claiming the channel would set the serial driver aside under the program that holds its
// terminal, which would lose the instrument: such a channel is in use, and left alone.
TEST(FtdiBackend, AChannelWhoseTerminalAnotherProgramHoldsIsInUse) {
    testing::PtyPair pty;
    testing::FakeSysfs tree;
    tree.addNode("ttyUSB0", pty.slavePath());
    tree.addUsbTty("ttyUSB0", 1, "1.4", 5, 0, kInstrumentDescription);
    const auto chip = std::make_shared<ScriptedChip>(0x01000140u, kInstrumentDescription);
    FtdiD2xx backend(std::make_unique<ScriptedFtdiBus>(Chips{chip}), tree.roots());

    const auto serial = TtyD2xx::scanning(tree.roots());
    FtHandle serialHandle = kNoHandle;
    ASSERT_EQ(serial->openByLocation(chip->location(), serialHandle), FT_OK);
    FtHandle handle = kNoHandle;
    EXPECT_EQ(backend.openByLocation(chip->location(), handle), FT_DEVICE_NOT_OPENED);
    EXPECT_EQ(backend.lastOpenRefusal().reason, OpenRefusal::Reason::InUse);
    EXPECT_EQ(backend.lastOpenRefusal().device, (tree.dev() / "ttyUSB0").string());
    EXPECT_FALSE(chip->claimed()) << "the channel was not taken";

    ASSERT_EQ(serial->close(serialHandle), FT_OK);
    EXPECT_EQ(backend.openByLocation(chip->location(), handle), FT_OK);
    EXPECT_TRUE(chip->claimed());
}

TEST(FtdiBackend, LatencyOfZeroSetsTheChipsShortest) {
    const auto chip = std::make_shared<ScriptedChip>(0x01000140u, kInstrumentDescription);
    const auto backend = backendWith({chip});
    FtHandle handle = kNoHandle;
    ASSERT_EQ(backend->openByLocation(chip->location(), handle), FT_OK);
    EXPECT_EQ(backend->setLatencyTimer(handle, 0), FT_OK);
    EXPECT_EQ(chip->latencyMs(), 1);
    EXPECT_EQ(backend->setLatencyTimer(handle, 16), FT_OK);
    EXPECT_EQ(chip->latencyMs(), 16);
}

TEST(FtdiBackend, LinkOpensAndConfiguresAScriptedInstrument) {
    const auto chip = std::make_shared<ScriptedChip>(0x01000140u, kInstrumentDescription);
    const auto backend = backendWith({std::make_shared<ScriptedChip>(0x01000150u, "FT232R"), chip});
    testing::ScriptedUi ui;
    Event wake;
    UsbLink link(*backend, ui, &wake, "qs40");
    ASSERT_EQ(link.open(), FT_OK);
    EXPECT_TRUE(chip->claimed()) << "the instrument, not the first device listed";
    EXPECT_EQ(chip->latencyMs(), 1);
    chip->send({0xA5});
    EXPECT_TRUE(wake.wait(std::chrono::seconds(10))) << "the configuration asked for the event";
    EXPECT_EQ(link.probe(), FT_OK);
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
