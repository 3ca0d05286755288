#include "device/d2xx/usb_listing.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <unistd.h>
#include <vector>

namespace qs40 {
namespace {

using Ports = std::vector<std::uint8_t>;

TEST(UsbListing, LocationPacksBusPortChainAndInterface) {
    struct Case {
        unsigned bus;
        Ports ports;
        unsigned interfaceNumber;
        std::optional<std::uint32_t> location;
    };
    const Case cases[] = {
        {1, {1, 4}, 0, 0x01000140u},
        {3, {2}, 1, 0x03000021u},
        {2, {1, 2, 3, 4, 5}, 2, 0x02123452u},
        {255, {15}, 15, 0xFF0000FFu},
        {2, {1, 2, 3, 4, 5, 6}, 0, std::nullopt}, // six hubs do not fit
        {2, {16}, 0, std::nullopt},
        {2, {0}, 0, std::nullopt},
        {2, {}, 0, std::nullopt},
        {0, {1}, 0, std::nullopt},
        {256, {1}, 0, std::nullopt},
        {1, {1}, 16, std::nullopt},
    };
    for (const auto& c : cases) {
        const auto location = packUsbLocation(c.bus, c.ports, c.interfaceNumber);
        EXPECT_EQ(location, c.location) << "bus " << c.bus << ", " << c.ports.size() << " ports";
        if (location) {
            EXPECT_GE(*location, kFirstTopologyLocation);
        }
    }
}

TEST(UsbListing, SysfsNameFollowsTheKernel) {
    EXPECT_EQ(usbSysfsName(1, Ports{1, 4}), "1-1.4");
    EXPECT_EQ(usbSysfsName(12, Ports{3}), "12-3");
}

TEST(UsbListing, DescriptionFitsTheDriverBuffer) {
    EXPECT_EQ(fitDescription("Digital Oscilloscope ZR40"), "Digital Oscilloscope ZR40");
    EXPECT_EQ(fitDescription(std::string(70, 'a')), std::string(63, 'a'));
    // 62 ASCII characters and a two-byte character: the character does not fit whole.
    EXPECT_EQ(fitDescription(std::string(62, 'b') + "Ж"), std::string(62, 'b'));
}

class UsbListingSysfs : public ::testing::Test {
protected:
    UsbListingSysfs() {
        std::string pattern = (std::filesystem::temp_directory_path() / "qs40-usb-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr)
            throw std::runtime_error("mkdtemp failed");
        root = pattern;
    }
    ~UsbListingSysfs() override {
        std::error_code ec;
        std::filesystem::remove_all(root, ec);
    }
    void addProduct(const std::string& device, const std::string& text) {
        const auto dir = root / "bus" / "usb" / "devices" / device;
        std::filesystem::create_directories(dir);
        std::ofstream(dir / "product") << text;
    }

    std::filesystem::path root;
};

TEST_F(UsbListingSysfs, ProductIsReadWithoutItsLineEnd) {
    addProduct("1-1.4", "Digital Oscilloscope ZR40\n");
    addProduct("2-3", std::string(70, 'x') + "\n");
    EXPECT_EQ(usbSysfsProduct(root.string(), 1, Ports{1, 4}), "Digital Oscilloscope ZR40");
    EXPECT_EQ(usbSysfsProduct(root.string(), 2, Ports{3}), std::string(63, 'x'));
    EXPECT_EQ(usbSysfsProduct(root.string(), 1, Ports{1, 5}), std::nullopt) << "no such device";
    EXPECT_EQ(usbSysfsProduct(root.string(), 1, Ports{}), std::nullopt) << "a root hub";
}

} // namespace
} // namespace qs40
