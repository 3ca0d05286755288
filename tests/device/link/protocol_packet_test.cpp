#include <gtest/gtest.h>

#include <vector>

#include "device/link/protocol_layout.h"
#include "device/link/protocol_packet.h"

namespace qs40 {
namespace {

using Bytes = std::vector<std::uint8_t>;

AcquisitionParams knownParams() {
    AcquisitionParams p;
    p.recordLength = 5000;
    p.modeBits = 0x31;
    p.routingBits = 0x06;
    p.divider = 200000;
    p.preTrigger = 500;
    p.postTrigger = 4500;
    p.runBits = 0x8F;
    p.rollBits = 0;
    p.thresholds = {189, 193, 61, 65};
    p.triggerCount = 1;
    p.freqMeterInput = 3;
    p.inputA1 = 0x0F;
    p.inputA2 = 0x17;
    p.offsetA1 = 1552;
    p.offsetA2 = -3;
    p.frameIntervalMs = 40;
    p.genMode = 0x28;
    p.genWord1 = 0x7F123456789ALL; // only the low 40 bits travel
    p.genWord2 = 0x0A0B0C0D0ELL;
    p.genAmplitude = 501;
    p.genWord3 = 0x01ABCDEF; // only the low 24 bits travel
    return p;
}

// The record for knownParams() and sequence 0x2A, written out field by field.
Bytes expectedRecord() {
    Bytes r{69, 4};
    // Block A: acquisition settings at address 0x00.
    Bytes a{30,   0x7F, 0x00, 0,    0x31, 0x06, 4,   0x40, 0x0D, 0x03,
            0x00, 0xF4, 0x01, 0x94, 0x11, 189,  193, 61,   65,   1};
    a.insert(a.end(), 11, 0);
    a.push_back(0x8F);
    a.push_back(0x00);
    // Block B: frequency-meter input at 0x30.
    const Bytes b{1, 0x7F, 0x30, 3};
    // Block C: sequence, input bytes, offsets, frame interval at 0x45.
    const Bytes c{8, 0x7F, 0x45, 0x2A, 0x0F, 0x17, 0x10, 0x06, 0xFD, 0xFF, 40};
    // Block D: generator at 0x60.
    const Bytes d{16,   0x7F, 0x60, 0x28, 0x9A, 0x78, 0x56, 0x34, 0x12, 0x0E,
                  0x0D, 0x0C, 0x0B, 0x0A, 0x40, 0x7D, 0xEF, 0xCD, 0xAB};
    for (const Bytes* block : std::initializer_list<const Bytes*>{&a, &b, &c, &d})
        r.insert(r.end(), block->begin(), block->end());
    std::uint8_t check = 0;
    for (std::uint8_t x : r)
        check ^= x;
    r.push_back(check);
    return r;
}

TEST(ParameterPacket, RecordMatchesTheFieldTable) {
    const Bytes expect = expectedRecord();
    ASSERT_EQ(expect.size(), 70u);
    EXPECT_EQ(buildParameterRecord(knownParams(), 0x2A, std::nullopt), expect);
}

TEST(ParameterPacket, WireIsTheRecordNibbleEncoded) {
    const Bytes record = expectedRecord();
    const Bytes wire = buildParameterPacket(knownParams(), 0x2A, std::nullopt);
    // A record of length 69 goes out as 140 bytes after the marker.
    ASSERT_EQ(wire.size(), 140u);
    for (std::size_t i = 0; i < record.size(); ++i) {
        EXPECT_EQ(wire[2 * i], record[i] & 0x0F) << i;
        EXPECT_EQ(wire[2 * i + 1], record[i] >> 4) << i;
    }
}

TEST(ParameterPacket, TdcBlockMakesFiveBlocksOfLength76) {
    const TdcConstants tdc{21, 22, 23, 24};
    const Bytes record = buildParameterRecord(knownParams(), 0x2A, tdc);
    ASSERT_EQ(record.size(), 77u);
    EXPECT_EQ(record[0], 76);
    EXPECT_EQ(record[1], 5);
    const Bytes plain = expectedRecord();
    // Blocks A-D unchanged, block E appended before the check byte.
    EXPECT_TRUE(std::equal(plain.begin() + 2, plain.end() - 1, record.begin() + 2));
    EXPECT_EQ(Bytes(record.begin() + 69, record.end() - 1), (Bytes{4, 0x80, 0x08, 21, 22, 23, 24}));
    std::uint8_t check = 0;
    for (std::size_t i = 0; i + 1 < record.size(); ++i)
        check ^= record[i];
    EXPECT_EQ(record.back(), check);
    EXPECT_EQ(buildParameterPacket(knownParams(), 0x2A, tdc).size(), 154u);
}

TEST(FpgaCommand, FourteenBytesOfTheFixedRecord) {
    // Record 06 01 01 81 AA 55, check 0x78.
    EXPECT_EQ(fpgaConfigurationCommand(),
              (Bytes{0x6, 0x0, 0x1, 0x0, 0x1, 0x0, 0x1, 0x8, 0xA, 0xA, 0x5, 0x5, 0x8, 0x7}));
}

struct LengthCase {
    std::uint8_t header;
    std::int32_t n;
    bool paired;
    std::size_t length;
};

TEST(FrameSampleLength, FromHeaderBitsRecordLengthAndPairedMode) {
    const LengthCase cases[] = {
        {0x8F, 5000, false, 12500}, {0x8F, 5000, true, 6250},    {0x80, 5000, false, 0},
        {0x81, 2000, false, 2000},  {0x84, 2000, false, 500},    {0x8C, 1000, false, 500},
        {0x83, 20000, true, 20000}, {0x8F, 20000, false, 50000}, {0x8F, -5, false, 0},
        {0x85, 10, true, 6}, // (10 + 2) / 2
    };
    for (const auto& c : cases) {
        EXPECT_EQ(frameSampleLength(c.header, c.n, c.paired), c.length)
            << std::hex << int(c.header) << std::dec << " N " << c.n << " paired " << c.paired;
    }
}

} // namespace
} // namespace qs40
