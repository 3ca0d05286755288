#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "device/link/protocol_parser.h"
#include "wire_builders.h"

namespace qs40 {
namespace {

using test::Bytes;

struct Frame {
    std::uint8_t header;
    Bytes samples;
    FrameTail tail;
    bool operator==(const Frame&) const = default;
};

struct Recorder : ReceiveHandler {
    std::vector<StatusBytes> statuses;
    std::vector<Frame> frames;
    int checksumErrors = 0;
    void onStatus(const StatusBytes& s) override { statuses.push_back(s); }
    void onFrame(const ReceivedFrame& f) override {
        frames.push_back({f.header, Bytes(f.samples.begin(), f.samples.end()), f.tail});
    }
    void onFrameChecksumError() override { ++checksumErrors; }
};

StatusBytes someStatus(std::uint8_t seed) {
    StatusBytes s{};
    for (std::size_t i = 0; i < s.size(); ++i)
        s[i] = static_cast<std::uint8_t>(seed + 7 * i);
    return s;
}

FrameTail someTail(std::uint8_t seed) {
    FrameTail t{};
    for (std::size_t i = 0; i < t.size(); ++i)
        t[i] = static_cast<std::uint8_t>(seed * 3 + i);
    return t;
}

Bytes someSamples(std::size_t n, std::uint8_t seed) {
    Bytes s(n);
    for (std::size_t i = 0; i < n; ++i)
        s[i] = static_cast<std::uint8_t>((seed + i * 13) % 255); // never 0xFF
    return s;
}

class ParserTest : public ::testing::Test {
protected:
    Recorder rec;
    ReceiveParser parser{rec};
    void feed(const Bytes& b) { parser.feed(b); }
};

TEST_F(ParserTest, StatusPacketIsDecodedFromItsNibbles) {
    const StatusBytes s = someStatus(1);
    feed(test::statusPacket(s));
    ASSERT_EQ(rec.statuses.size(), 1u);
    EXPECT_EQ(rec.statuses[0], s);
}

TEST_F(ParserTest, FourChannelFrameCarriesL12500OrHalfInPairedMode) {
    for (bool paired : {false, true}) {
        Recorder r;
        ReceiveParser p(r);
        p.setFrameGeometry(5000, paired);
        const std::size_t l = paired ? 6250 : 12500;
        const Bytes samples = someSamples(l, 3);
        p.feed(test::framePacket(0x8F, samples, someTail(2)));
        ASSERT_EQ(r.frames.size(), 1u) << "paired " << paired;
        EXPECT_EQ(r.frames[0].header, 0x8F);
        EXPECT_EQ(r.frames[0].samples, samples);
        EXPECT_EQ(r.frames[0].tail, someTail(2));
    }
}

TEST_F(ParserTest, HeaderWithoutChannelBitsIsFollowedByTheTail) {
    parser.setFrameGeometry(5000, false);
    feed(test::framePacket(0x80, {}, someTail(4)));
    ASSERT_EQ(rec.frames.size(), 1u);
    EXPECT_TRUE(rec.frames[0].samples.empty());
    EXPECT_EQ(rec.frames[0].tail, someTail(4));
}

TEST_F(ParserTest, CheckValueFfIsMatchedByAReceivedFe) {
    parser.setFrameGeometry(1, false);
    const Bytes samples{0x7E};
    const FrameTail tail{};
    // 0x81 ^ 0x7E and an all-zero tail fold to 0xFF.
    const Bytes packet = test::framePacket(0x81, samples, tail);
    ASSERT_EQ(packet.back(), 0xFE);
    feed(packet);
    EXPECT_EQ(rec.frames.size(), 1u);
    EXPECT_EQ(parser.counters().frameChecksumErrors, 0u);
}

TEST_F(ParserTest, WrongCheckBytesDropStatusSilentlyAndCountFrames) {
    parser.setFrameGeometry(16, false);
    feed(test::statusPacket(someStatus(5), true));
    feed(test::framePacket(0x8F, someSamples(40, 1), someTail(1), true));
    feed(test::framePacket(0x81, someSamples(16, 2), someTail(2), true));
    EXPECT_TRUE(rec.statuses.empty());
    EXPECT_TRUE(rec.frames.empty());
    EXPECT_EQ(rec.checksumErrors, 2);
    EXPECT_EQ(parser.counters().frameChecksumErrors, 2u);
    EXPECT_EQ(parser.counters().statusChecksumErrors, 1u);
    // The parser is back in step for the next good packet.
    feed(test::statusPacket(someStatus(6)));
    EXPECT_EQ(rec.statuses.size(), 1u);
}

// A stream with every kind of packet, garbage between them and a packet cut short.
Bytes mixedStream() {
    Bytes s{0x12, 0x00, 0xFA, 0x5A}; // garbage before the first sync
    test::append(s, test::statusPacket(someStatus(1)));
    test::append(s, test::framePacket(0x8F, someSamples(40, 1), someTail(1)));
    s.insert(s.end(), {0x33, 0x81, 0x00}); // garbage between packets
    test::append(s, test::framePacket(0x80, {}, someTail(2)));
    Bytes cut = test::framePacket(0x83, someSamples(32, 2), someTail(3));
    cut.resize(20); // cut short by the next sync: lost without a count
    test::append(s, cut);
    test::append(s, test::framePacket(0x8C, someSamples(8, 3), someTail(4), true));
    s.push_back(0xFF);
    s.push_back(0x33); // a header that is neither a frame nor a status: ignored
    s.insert(s.end(), {0x5A, 0x01});
    test::append(s, test::statusPacket(someStatus(2)));
    test::append(s, test::framePacket(0x85, someSamples(20, 4), someTail(5)));
    return s;
}

TEST(ParserStream, GarbageCutPacketsAndOddHeadersAreSkipped) {
    Recorder rec;
    ReceiveParser parser(rec);
    parser.setFrameGeometry(16, false);
    parser.feed(mixedStream());
    ASSERT_EQ(rec.statuses.size(), 2u);
    EXPECT_EQ(rec.statuses[1], someStatus(2));
    ASSERT_EQ(rec.frames.size(), 3u);
    EXPECT_EQ(rec.frames[0].samples, someSamples(40, 1));
    EXPECT_EQ(rec.frames[1].header, 0x80);
    EXPECT_EQ(rec.frames[2].header, 0x85);
    EXPECT_EQ(rec.checksumErrors, 1);
}

TEST(ParserStream, SplittingTheStreamAnywhereGivesTheSameResult) {
    const Bytes stream = mixedStream();
    Recorder whole;
    {
        ReceiveParser p(whole);
        p.setFrameGeometry(16, false);
        p.feed(stream);
    }
    for (std::size_t cut = 0; cut <= stream.size(); ++cut) {
        Recorder r;
        ReceiveParser p(r);
        p.setFrameGeometry(16, false);
        p.feed({stream.data(), cut});
        p.feed({stream.data() + cut, stream.size() - cut});
        ASSERT_EQ(r.frames, whole.frames) << "cut at " << cut;
        ASSERT_EQ(r.statuses, whole.statuses) << "cut at " << cut;
        ASSERT_EQ(r.checksumErrors, whole.checksumErrors) << "cut at " << cut;
    }
    Recorder bytewise;
    ReceiveParser p(bytewise);
    p.setFrameGeometry(16, false);
    for (std::uint8_t b : stream)
        p.feed({&b, 1});
    EXPECT_EQ(bytewise.frames, whole.frames);
    EXPECT_EQ(bytewise.statuses, whole.statuses);
    EXPECT_EQ(bytewise.checksumErrors, whole.checksumErrors);
}

TEST_F(ParserTest, FrameLongerThanAnyValidFrameIsSkippedAndCounted) {
    parser.setFrameGeometry(30000, false); // beyond the instrument's longest record
    Bytes stream{kSyncByte, 0x8F};
    stream.resize(80000, 0x11);
    test::append(stream, test::statusPacket(someStatus(3)));
    feed(stream);
    EXPECT_TRUE(rec.frames.empty());
    EXPECT_EQ(parser.counters().oversizeFrames, 1u);
    EXPECT_EQ(rec.checksumErrors, 0);
    EXPECT_EQ(rec.statuses.size(), 1u);
}

TEST_F(ParserTest, LongestValidFrameFits) {
    parser.setFrameGeometry(kMaxRecordLength, false);
    const Bytes samples = someSamples(kMaxFrameSampleLength, 9);
    feed(test::framePacket(0x8F, samples, someTail(9)));
    ASSERT_EQ(rec.frames.size(), 1u);
    EXPECT_EQ(rec.frames[0].samples, samples);
}

TEST_F(ParserTest, ResetForgetsAPartialPacket) {
    const Bytes packet = test::statusPacket(someStatus(4));
    feed({packet.begin(), packet.begin() + 50});
    parser.reset();
    feed({packet.begin() + 50, packet.end()});
    EXPECT_TRUE(rec.statuses.empty());
    feed(packet);
    EXPECT_EQ(rec.statuses.size(), 1u);
}

} // namespace
} // namespace qs40
