#include "scope/about_text.h"
#include "scope/first_start_language.h"

#include <gtest/gtest.h>

namespace qs40 {
namespace {

TEST(AboutText, WithoutAnInstrumentEveryReportedValueReadsDots) {
    AboutInputs in;
    in.service = true;
    const AboutText en = aboutText(in, false);
    EXPECT_EQ(en.title, "About");
    EXPECT_EQ(en.product, "ZR40");
    EXPECT_EQ(en.software, "Software Version  2.04");
    EXPECT_EQ(en.firmware, "Firmware Version  ...");
    EXPECT_EQ(en.fpga, "FPGA Version  ...");
    EXPECT_TRUE(en.serialShown);
    EXPECT_EQ(en.serial, "Serial Number  ...");

    const AboutText ru = aboutText(in, true);
    EXPECT_EQ(ru.title, "О программе");
    EXPECT_EQ(ru.product, "ZR40");
    EXPECT_EQ(ru.software, "Версия программы  2.04");
    EXPECT_EQ(ru.firmware, "Версия ПО устройства  ...");
    EXPECT_EQ(ru.fpga, "Версия FPGA устройства  ...");
    EXPECT_EQ(ru.serial, "Серийный номер устройства  ...");
}

TEST(AboutText, AnIdentifiedInstrumentNamesItsVariantVersionsAndSerial) {
    AboutInputs in;
    in.identified = true;
    in.instrumentCode = 0x1D;
    in.firmwareVersion = 103;
    in.fpgaVersion = 12;
    in.serialPrefix = 0x0A1B;
    in.serialNumber = 0x00C0FFEE;
    in.service = true;
    const AboutText en = aboutText(in, false);
    EXPECT_EQ(en.product, "ZR40   Device - ZR40xx Type = 001D");
    EXPECT_EQ(en.firmware, "Firmware Version  1.03");
    EXPECT_EQ(en.fpga, "FPGA Version  0.12");
    EXPECT_EQ(en.serial, "Serial Number  0A1B - 00C0FFEE");
    const AboutText ru = aboutText(in, true);
    EXPECT_EQ(ru.product, "ZR40   Устройство - ZR40xx Type = 001D");
    EXPECT_EQ(ru.serial, "Серийный номер устройства  0A1B - 00C0FFEE");

    // Reported firmware before the FPGA: only the FPGA line waits.
    in.instrumentCode = 63;
    in.fpgaVersion = -1;
    in.service = false;
    const AboutText user = aboutText(in, false);
    EXPECT_EQ(user.product, "ZR40   Device - ZR4003A");
    EXPECT_EQ(user.fpga, "FPGA Version  ...");
    EXPECT_FALSE(user.serialShown);
    EXPECT_EQ(user.serial, "");
}

TEST(FirstStartLanguage, RussianOnlyForARussianLocale) {
    const std::pair<const char*, bool> cases[] = {
        {"ru_RU.UTF-8", true}, {"ru-RU", true},        {"ru", true},     {"RU_ru", true},
        {"ru_UA", true},       {"en_US.UTF-8", false}, {"C", false},     {"POSIX", false},
        {"", false},           {"rus", false},         {"uk_UA", false}, {"de_DE@euro", false},
    };
    for (const auto& [name, russian] : cases)
        EXPECT_EQ(russianLocale(name), russian) << name;
}

} // namespace
} // namespace qs40
