#include "device/d2xx/device_descriptions.h"
#include "device/d2xx/tty_backend.h"
#include "device/d2xx/tty_enumeration.h"
#include "fake_sysfs.h"

#include <gtest/gtest.h>

namespace qs40 {
namespace {

using testing::FakeSysfs;

TEST(TtyEnumeration, ListsUsbTtysInNumberOrderWithProductAndTopology) {
    FakeSysfs tree;
    tree.addNode("ttyUSB10");
    tree.addNode("ttyUSB1");
    tree.addNode("ttyUSB0");
    tree.addNode("ttyS0");
    tree.addNode("ttyUSBx");
    tree.addUsbTty("ttyUSB0", 1, "1.4", 5, 0, kInstrumentDescription);
    tree.addUsbTty("ttyUSB1", 3, "2", 7, 1, "Dual RS232-HS");

    const auto devices = scanTtyUsb(tree.roots());
    ASSERT_EQ(devices.size(), 3u);

    EXPECT_EQ(devices[0].path, (tree.dev() / "ttyUSB0").string());
    EXPECT_EQ(devices[0].description, kInstrumentDescription);
    EXPECT_EQ(devices[0].location, 0x01000140u);
    EXPECT_EQ(devices[0].usbNode, (tree.dev() / "bus/usb/001/005").string());

    EXPECT_EQ(devices[1].description, "Dual RS232-HS");
    EXPECT_EQ(devices[1].location, 0x03000021u) << "bus 3, port 2, second interface";

    // No sysfs entry: no description, the tty number plus one as location.
    EXPECT_EQ(devices[2].path, (tree.dev() / "ttyUSB10").string());
    EXPECT_EQ(devices[2].description, "");
    EXPECT_EQ(devices[2].location, 11u);
    EXPECT_EQ(devices[2].usbNode, "");
}

TEST(TtyEnumeration, LocationPacksThePortChainOrFallsBack) {
    struct Case {
        const char* devpath;
        int interfaceNumber;
        std::uint32_t location;
    };
    const Case cases[] = {
        {"1.2.3.4.5", 2, 0x02123452u},
        {"15", 0, 0x020000F0u},
        {"1.2.3.4.5.6", 0, 1u}, // six hub levels do not fit: ttyUSB0 + 1
        {"16", 0, 1u},          // port above 15
        {"1..2", 0, 1u},
    };
    for (const auto& c : cases) {
        FakeSysfs tree;
        tree.addNode("ttyUSB0");
        tree.addUsbTty("ttyUSB0", 2, c.devpath, 3, c.interfaceNumber, "X");
        const auto devices = scanTtyUsb(tree.roots());
        ASSERT_EQ(devices.size(), 1u);
        EXPECT_EQ(devices[0].location, c.location) << c.devpath;
    }
}

TEST(TtyEnumeration, DescriptionFitsTheDriverBuffer) {
    FakeSysfs tree;
    tree.addNode("ttyUSB0");
    tree.addNode("ttyUSB1");
    tree.addNode("ttyUSB2");
    tree.addUsbTty("ttyUSB0", 1, "1", 2, 0, std::string(70, 'a'));
    // 62 ASCII characters and a two-byte character: the character does not fit whole.
    tree.addUsbTty("ttyUSB1", 1, "2", 3, 0, std::string(62, 'b') + "Ж");
    tree.addUsbTty("ttyUSB2", 1, "3", 4, 0, "");

    const auto devices = scanTtyUsb(tree.roots());
    ASSERT_EQ(devices.size(), 3u);
    EXPECT_EQ(devices[0].description, std::string(63, 'a'));
    EXPECT_EQ(devices[1].description, std::string(62, 'b'));
    EXPECT_EQ(devices[2].description, "") << "a device without product string; not the hub's";
}

TEST(TtyEnumeration, ExplicitPathIsTheInstrument) {
    FakeSysfs tree;
    tree.addNode("pts5");
    const auto path = (tree.dev() / "pts5").string();
    const auto devices = explicitTty(tree.roots(), path);
    ASSERT_EQ(devices.size(), 1u);
    EXPECT_EQ(devices[0].path, path);
    EXPECT_EQ(devices[0].description, kInstrumentDescription);
    EXPECT_EQ(devices[0].location, kExplicitTtyLocation);
    EXPECT_TRUE(explicitTty(tree.roots(), path + "-missing").empty());
}

TEST(TtyEnumeration, BackendListsByIndex) {
    FakeSysfs tree;
    tree.addNode("ttyUSB0");
    tree.addNode("ttyUSB3");
    tree.addUsbTty("ttyUSB0", 1, "1.4", 5, 0, kInstrumentDescription);

    auto backend = TtyD2xx::scanning(tree.roots());
    std::uint32_t count = 0;
    ASSERT_EQ(backend->listDeviceCount(count), FT_OK);
    ASSERT_EQ(count, 2u);
    std::uint32_t location = 0;
    std::string description;
    EXPECT_EQ(backend->listLocation(0, location), FT_OK);
    EXPECT_EQ(location, 0x01000140u);
    EXPECT_EQ(backend->listDescription(0, description), FT_OK);
    EXPECT_EQ(description, kInstrumentDescription);
    EXPECT_EQ(backend->listLocation(1, location), FT_OK);
    EXPECT_EQ(location, 4u);
    EXPECT_EQ(backend->listDescription(2, description), FT_DEVICE_NOT_FOUND);
    EXPECT_EQ(backend->listLocation(2, location), FT_DEVICE_NOT_FOUND);

    // A node that is no terminal cannot be opened; an unknown location is not found.
    FtHandle handle = kNoHandle;
    EXPECT_EQ(backend->openByLocation(4, handle), FT_DEVICE_NOT_OPENED);
    EXPECT_EQ(backend->openByLocation(12345, handle), FT_DEVICE_NOT_FOUND);
    EXPECT_EQ(handle, kNoHandle);
}

TEST(TtyEnumeration, MissingExplicitPathListsNothing) {
    FakeSysfs tree;
    auto backend = TtyD2xx::forPath((tree.dev() / "gone").string(), tree.roots());
    std::uint32_t count = 99;
    ASSERT_EQ(backend->listDeviceCount(count), FT_OK);
    EXPECT_EQ(count, 0u);
    FtHandle handle = kNoHandle;
    EXPECT_EQ(backend->openByLocation(kExplicitTtyLocation, handle), FT_DEVICE_NOT_FOUND);
}

} // namespace
} // namespace qs40
