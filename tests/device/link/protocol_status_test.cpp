#include <gtest/gtest.h>

#include "device/link/protocol_status.h"

namespace qs40 {
namespace {

StatusBytes statusWith(std::uint8_t power, std::uint8_t mark) {
    StatusBytes b{};
    b[0] = 103; // firmware
    b[1] = power;
    b[2] = mark;
    b[3] = 101; // FPGA
    b[4] = 0x1F;
    b[5] = 0x00;
    b[7] = 5;
    b[8] = 0x10, b[9] = 0x27;                            // count 1 = 10000
    b[12] = 0x80, b[13] = 0x96, b[14] = 0x98, b[15] = 0; // count 2 = 10000000
    b[17] = 0x78, b[18] = 0x56, b[19] = 0x34, b[20] = 0x12;
    b[21] = 0xCD, b[22] = 0xAB;
    b[25] = 20, b[26] = 21, b[27] = 22, b[28] = 23;
    b[49] = 7, b[50] = 3; // 775
    return b;
}

TEST(StatusDecode, EveryFieldFromItsPosition) {
    const StatusReport s = decodeStatus(statusWith(0, 0xA5));
    EXPECT_EQ(s.firmwareVersion, 103);
    EXPECT_EQ(s.powerState, 0);
    EXPECT_EQ(s.configurationMark, 0xA5);
    EXPECT_EQ(s.fpgaVersion, 101);
    EXPECT_EQ(s.featureWord, 0x1F);
    EXPECT_EQ(s.freqRange, 5);
    EXPECT_EQ(s.freqCount1, 10000u);
    EXPECT_EQ(s.freqCount2, 10000000u);
    EXPECT_EQ(s.serialNumber, 0x12345678u);
    EXPECT_EQ(s.serialPrefix, 0xABCD);
    EXPECT_EQ(s.tdc, (TdcConstants{20, 21, 22, 23}));
    EXPECT_EQ(s.supplyMonitor, 775);
}

TEST(StatusDecode, SupplyVoltageInHundredthsOfAVolt) {
    EXPECT_EQ(supplyVoltage(0), 0);
    EXPECT_EQ(supplyVoltage(775), 500); // 511500 / 1023
    EXPECT_EQ(supplyVoltage(1023), 660);
    EXPECT_EQ(supplyVoltage(774), 499);      // truncated
    EXPECT_EQ(supplyVoltage(0xFFFF), 42280); // a malformed count does not overflow
}

struct ApplyCase {
    const char* name;
    bool linkedBefore;
    std::uint8_t power;
    std::uint8_t mark;
    bool powerFault;
    bool lostFault;
    bool linkedAfter;
};

TEST(StatusApply, FaultsOnlyWhileLinkedAndLinkUpOnTheMark) {
    const ApplyCase cases[] = {
        {"configured, not yet linked", false, 0, 0xA5, false, false, true},
        {"unconfigured, not linked", false, 0, 0x00, false, false, false},
        {"power failure before the link is up", false, 2, 0x00, false, false, false},
        {"power failure while linked", true, 2, 0xA5, true, false, true},
        {"configuration lost while linked", true, 0, 0x00, false, true, true},
        {"both while linked", true, 2, 0x12, true, true, true},
        {"other power state", true, 1, 0xA5, false, false, true},
    };
    for (const auto& c : cases) {
        LinkState link;
        link.linkUp = c.linkedBefore;
        applyStatus(decodeStatus(statusWith(c.power, c.mark)), link);
        EXPECT_EQ(link.raised(LinkFault::PowerFailure), c.powerFault) << c.name;
        EXPECT_EQ(link.raised(LinkFault::FpgaConfigurationLost), c.lostFault) << c.name;
        EXPECT_EQ(link.linkUp.load(), c.linkedAfter) << c.name;
        EXPECT_FALSE(link.raised(LinkFault::ConnectionLost)) << c.name;
        EXPECT_TRUE(link.statusActivity.load()) << c.name;
        EXPECT_TRUE(link.statusReadyRequest.load()) << c.name;
        EXPECT_TRUE(link.identityReceived.load()) << c.name;
    }
}

TEST(StatusApply, VersionsAndFeatureWordOnlyWithTheConfigurationMark) {
    LinkState link;
    applyStatus(decodeStatus(statusWith(0, 0x00)), link);
    InstrumentReport r = link.report.get();
    EXPECT_EQ(r.firmwareVersion, 103);
    EXPECT_EQ(r.fpgaVersion, -1);
    EXPECT_FALSE(r.versionsValid);
    EXPECT_EQ(r.serialNumber, 0x12345678u);
    EXPECT_EQ(r.serialPrefix, 0xABCD);
    EXPECT_TRUE(r.tdcValid);
    EXPECT_EQ(r.tdc, (TdcConstants{20, 21, 22, 23}));
    EXPECT_TRUE(r.vccValid);
    EXPECT_EQ(r.vcc, 500);

    applyStatus(decodeStatus(statusWith(0, 0xA5)), link);
    r = link.report.get();
    EXPECT_EQ(r.fpgaVersion, 101);
    EXPECT_EQ(r.featureWord, 0x1F);
    EXPECT_TRUE(r.versionsValid);
}

TEST(StatusApply, FrequencyMeterKeptOnlyWhileRunningWithTheTimeOfThatMoment) {
    LinkState link;
    link.freqMeterTime = -250;
    applyStatus(decodeStatus(statusWith(0, 0xA5)), link);
    EXPECT_EQ(link.report.get().freqCount2, 0u);

    link.running = true;
    applyStatus(decodeStatus(statusWith(0, 0xA5)), link);
    const InstrumentReport r = link.report.get();
    EXPECT_EQ(r.freqRange, 5);
    EXPECT_EQ(r.freqCount1, 10000u);
    EXPECT_EQ(r.freqCount2, 10000000u);
    EXPECT_EQ(r.freqTime, -250);
}

} // namespace
} // namespace qs40
