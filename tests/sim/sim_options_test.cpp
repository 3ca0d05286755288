#include <gtest/gtest.h>

#include "sim/sim_options.h"

namespace qs40::sim {
namespace {

TEST(SimDeviceText, PlainSimIsOneInstrumentAtTheRealPace) {
    const auto o = parseSimDeviceText("sim");
    ASSERT_TRUE(o);
    EXPECT_EQ(o->devices, std::vector<AttachedDevice>{AttachedDevice::Zr40});
    EXPECT_EQ(o->instrument.variantCode, 31);
    EXPECT_EQ(o->instrument.bytesPerSecond, 200000u);
    EXPECT_EQ(o->clock, SimClock::Realtime);
}

TEST(SimDeviceText, OptionsAreApplied) {
    const auto o =
        parseSimDeviceText("sim:variant=0x3F,devices=foreign+zr40+old,pace=fast,serial=ab12");
    ASSERT_TRUE(o);
    EXPECT_EQ(o->instrument.variantCode, 63);
    EXPECT_EQ(o->devices,
              (std::vector<AttachedDevice>{AttachedDevice::Foreign, AttachedDevice::Zr40,
                                           AttachedDevice::OldScope}));
    EXPECT_EQ(o->instrument.bytesPerSecond, 0u);
    EXPECT_EQ(o->instrument.serialNumber, 0xAB12u);
    EXPECT_EQ(parseSimDeviceText("sim:variant=28")->instrument.variantCode, 28);
    EXPECT_TRUE(parseSimDeviceText("sim:devices=")->devices.empty());
}

TEST(SimDeviceText, BadTextsAreRefusedWithAReason) {
    const std::pair<const char*, const char*> cases[] = {
        {"usb", "not a simulated device"},
        {"simulator", "not a simulated device"},
        {"sim:variant=abc", "variant"},
        {"sim:variant=70000", "variant"},
        {"sim:variant", "without a value"},
        {"sim:devices=zr40+usb", "devices"},
        {"sim:pace=slow", "pace"},
        {"sim:serial=xyz", "serial"},
        {"sim:colour=red", "unknown option"},
    };
    for (const auto& [text, reason] : cases) {
        std::string error;
        EXPECT_FALSE(parseSimDeviceText(text, &error)) << text;
        EXPECT_NE(error.find(reason), std::string::npos) << text << ": " << error;
    }
}

} // namespace
} // namespace qs40::sim
