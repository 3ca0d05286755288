#include <gtest/gtest.h>

#include <numeric>
#include <vector>

#include "device/link/protocol_codec.h"

namespace qs40 {
namespace {

TEST(NibbleCodec, LowNibbleFirstThenHighNibble) {
    const std::vector<std::uint8_t> in{0x00, 0x5A, 0xFF, 0xA5, 0x0F};
    EXPECT_EQ(nibbleEncode(in),
              (std::vector<std::uint8_t>{0x0, 0x0, 0xA, 0x5, 0xF, 0xF, 0x5, 0xA, 0xF, 0x0}));
}

TEST(NibbleCodec, EveryByteRoundTripsAndNeverProducesMarkerOrSync) {
    std::vector<std::uint8_t> all(256);
    std::iota(all.begin(), all.end(), 0);
    const auto wire = nibbleEncode(all);
    for (std::uint8_t b : wire) {
        EXPECT_LE(b, 0x0F);
    }
    std::vector<std::uint8_t> back(256);
    nibbleDecode(wire, back.data());
    EXPECT_EQ(back, all);
}

TEST(NibbleCodec, DecodeTakesLowNibbleOfFirstAndWholeSecondTimesSixteen) {
    EXPECT_EQ(nibbleDecode(0x3C, 0x01), 0x1C);
    EXPECT_EQ(nibbleDecode(0x02, 0x13), 0x32); // 0x13 x 16 truncated to a byte
}

TEST(XorBytes, MatchesPlainFoldForEveryLengthAndSeed) {
    std::vector<std::uint8_t> data(70);
    for (std::size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<std::uint8_t>(i * 37 + 11);
    for (std::size_t len = 0; len <= data.size(); ++len) {
        for (std::uint8_t seed : {0x00, 0x5A}) {
            std::uint8_t expect = seed;
            for (std::size_t i = 0; i < len; ++i)
                expect ^= data[i];
            EXPECT_EQ(xorBytes({data.data(), len}, seed), expect) << "length " << len;
        }
    }
}

TEST(WireCheckByte, OnlyFfIsReplaced) {
    EXPECT_EQ(wireCheckByte(0xFF), 0xFE);
    EXPECT_EQ(wireCheckByte(0xFE), 0xFE);
    EXPECT_EQ(wireCheckByte(0x00), 0x00);
}

TEST(LittleEndian, ReadAndWrite) {
    std::uint8_t b[5]{};
    writeLe(b, 0x123456789AULL, 5);
    EXPECT_EQ(b[0], 0x9A);
    EXPECT_EQ(b[4], 0x12);
    EXPECT_EQ(readLe16(b), 0x789A);
    EXPECT_EQ(readLe32(b), 0x3456789Au);
}

} // namespace
} // namespace qs40
