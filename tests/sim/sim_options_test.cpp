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

TEST(SimDeviceText, TheReferenceClockErrorIsGivenInPpm) {
    const std::pair<const char*, double> cases[] = {
        {"sim", 12.0}, // the default
        {"sim:ppm=12.6", 12.6},
        {"sim:ppm=-3", -3.0},
        {"sim:ppm=+0.4", 0.4},
        {"sim:ppm=0", 0.0},
        {"sim:ppm=1000", 1000.0},
    };
    for (const auto& [text, ppm] : cases) {
        const auto o = parseSimDeviceText(text);
        ASSERT_TRUE(o) << text;
        EXPECT_DOUBLE_EQ(o->instrument.clockErrorPpm, ppm) << text;
    }
}

TEST(SimDeviceText, FaultsAreTakenInTurnOnTheirSchedule) {
    using namespace std::chrono_literals;
    const auto none = parseSimDeviceText("sim");
    ASSERT_TRUE(none);
    EXPECT_TRUE(none->faults.faults.empty());

    const auto once = parseSimDeviceText("sim:fault=unplug");
    ASSERT_TRUE(once);
    EXPECT_EQ(once->faults.faults, std::vector<SimFault>{SimFault::Unplug});
    EXPECT_EQ(once->faults.at, 5s);
    EXPECT_EQ(once->faults.every, 0s) << "once";
    EXPECT_EQ(once->faults.duration, 1s);

    const auto repeated = parseSimDeviceText(
        "sim:fault=unplug+power+config+checksum+garbage,at=500ms,every=20s,for=1.5s,pace=fast");
    ASSERT_TRUE(repeated);
    EXPECT_EQ(repeated->faults.faults,
              (std::vector<SimFault>{SimFault::Unplug, SimFault::PowerFailure,
                                     SimFault::LostConfiguration, SimFault::ChecksumStorm,
                                     SimFault::Garbage}));
    EXPECT_EQ(repeated->faults.at, 500ms);
    EXPECT_EQ(repeated->faults.every, 20s);
    EXPECT_EQ(repeated->faults.duration, 1500ms);
    EXPECT_EQ(repeated->instrument.bytesPerSecond, 0u) << "other options still apply";
    EXPECT_EQ(parseSimDeviceText("sim:fault=power,every=30,at=0")->faults.every, 30s)
        << "a plain number is seconds";
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
        {"sim:ppm=", "ppm must be a number"},
        {"sim:ppm=fast", "ppm must be a number"},
        {"sim:ppm=12ppm", "ppm must be a number"},
        {"sim:ppm=1000.5", "ppm must be a number"},
        {"sim:ppm=nan", "ppm must be a number"},
        {"sim:fault=meteor", "fault is unplug, power, config, checksum or garbage"},
        {"sim:fault=unplug+", "fault is"},
        {"sim:fault=", "fault is"},
        {"sim:fault=power,every=5 s", "every must be a time"},
        {"sim:fault=power,every=0", "above 0"},
        {"sim:fault=power,for=0ms", "above 0"},
        {"sim:fault=power,at=-1s", "at must be a time"},
        {"sim:fault=power,at=2h", "at must be a time"},
        {"sim:fault=power,at=1e9", "at must be a time"},
        {"sim:every=20s", "time the faults of fault="},
        {"sim:fault=unplug,every=2s,for=2s", "must end (for) before the next one begins"},
    };
    for (const auto& [text, reason] : cases) {
        std::string error;
        EXPECT_FALSE(parseSimDeviceText(text, &error)) << text;
        EXPECT_NE(error.find(reason), std::string::npos) << text << ": " << error;
    }
}

} // namespace
} // namespace qs40::sim
