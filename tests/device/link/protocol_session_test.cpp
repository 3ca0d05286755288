#include <gtest/gtest.h>

#include <vector>

#include "device/link/fpga_image.h"
#include "device/link/protocol_codec.h"
#include "device/link/protocol_packet.h"
#include "device/link/protocol_session.h"
#include "scripted_channel.h"
#include "wire_builders.h"

namespace qs40 {
namespace {

using test::Bytes;
using test::D2xxCall;

struct FrameCounter : FrameHandler {
    std::vector<std::uint8_t> sequences;
    void onFrame(const ReceivedFrame& f) override {
        sequences.push_back(f.tail[tail_field::kSequence]);
    }
};

class SessionTest : public ::testing::Test {
protected:
    test::FakeD2xx d2xx;
    LinkState link;
    FrameCounter frames;
    ProtocolSession session{d2xx, link, &frames};
    std::vector<std::chrono::milliseconds> pauses;
    std::function<void()> duringSecondPause;

    SessionTest() {
        session.setHandle(1);
        session.setPause([this](std::chrono::milliseconds ms) {
            pauses.push_back(ms);
            if (pauses.size() == 2 && duringSecondPause)
                duringSecondPause();
        });
    }

    static AcquisitionParams params() {
        AcquisitionParams p;
        p.recordLength = 16;
        p.runBits = 0x8F;
        p.divider = 200;
        return p;
    }

    Bytes configuredStatus() {
        StatusBytes s{};
        s[2] = kConfiguredMark;
        return test::statusPacket(s);
    }
};

TEST_F(SessionTest, SendParametersPurgesWritesMarkerAloneThenTheWholePacket) {
    EXPECT_EQ(session.sendParameters(params()), FT_OK);
    ASSERT_EQ(d2xx.calls.size(), 4u);
    EXPECT_EQ(d2xx.calls[0].kind, D2xxCall::Purge);
    EXPECT_EQ(d2xx.calls[0].value, FT_PURGE_TX);
    EXPECT_EQ(d2xx.calls[1].bytes, Bytes{0xFA});
    EXPECT_EQ(d2xx.calls[2].kind, D2xxCall::Purge);
    EXPECT_EQ(d2xx.calls[2].value, FT_PURGE_RX);
    EXPECT_EQ(d2xx.calls[3].bytes, buildParameterPacket(params(), 1, std::nullopt));
    EXPECT_EQ(link.parameterSequence.load(), 1);
}

TEST_F(SessionTest, SequenceNumberWrapsAfter255) {
    link.parameterSequence = 255;
    session.sendParameters(params());
    EXPECT_EQ(link.parameterSequence.load(), 0);
    EXPECT_EQ(d2xx.calls.back().bytes[2 * 42], 0); // block C byte 0 sits at record offset 42
}

TEST_F(SessionTest, TdcWriteRequestAddsBlockEOnceAndHidesTheOldConstants) {
    link.setTdcToWrite({12, 13, 14, 15});
    link.tdcWriteRequest = true;
    link.report.update([](InstrumentReport& r) { r.tdcValid = true; });
    session.sendParameters(params());
    EXPECT_EQ(d2xx.calls.back().bytes,
              buildParameterPacket(params(), 1, TdcConstants{12, 13, 14, 15}));
    EXPECT_EQ(d2xx.calls.back().bytes.size(), 154u);
    EXPECT_FALSE(link.tdcWriteRequest.load());
    EXPECT_FALSE(link.report.get().tdcValid);
    session.sendParameters(params());
    EXPECT_EQ(d2xx.calls.back().bytes.size(), 140u);
}

TEST_F(SessionTest, PacketWriteStatusIsReturned) {
    d2xx.failWrite = 1;
    EXPECT_EQ(session.sendParameters(params()), FT_IO_ERROR);
}

TEST_F(SessionTest, FpgaLoadSendsCommandThenImageIn512ByteChunks) {
    duringSecondPause = [this] {
        const Bytes s = configuredStatus();
        d2xx.rx.insert(d2xx.rx.end(), s.begin(), s.end());
    };
    const auto& image = placeholderFpgaImage();
    EXPECT_EQ(session.configureFpga(image), FT_OK);

    ASSERT_GE(d2xx.calls.size(), 4u);
    EXPECT_EQ(d2xx.calls[0].kind, D2xxCall::Purge);
    EXPECT_EQ(d2xx.calls[0].value, FT_PURGE_RX | FT_PURGE_TX);
    EXPECT_EQ(d2xx.calls[1].bytes, Bytes{0xFA});
    EXPECT_EQ(d2xx.calls[2].bytes, fpgaConfigurationCommand());
    EXPECT_EQ(d2xx.calls[3].kind, D2xxCall::Purge);
    EXPECT_EQ(d2xx.calls[3].value, FT_PURGE_RX);

    const auto writes = d2xx.writesOnly();
    ASSERT_EQ(writes.size(), 2u + 200u); // 199 chunks of 512 and one of 40
    Bytes wire;
    for (std::size_t i = 2; i < writes.size(); ++i) {
        EXPECT_EQ(writes[i].value, i + 1 < writes.size() ? 1024u : 80u) << i;
        test::append(wire, writes[i].bytes);
    }
    EXPECT_EQ(wire, nibbleEncode(image));
    EXPECT_EQ(pauses, (std::vector<std::chrono::milliseconds>{kFpgaPause, kFpgaPause}));

    EXPECT_TRUE(link.linkUp.load());
    EXPECT_FALSE(link.raised(LinkFault::FpgaConfigurationFailure));
    EXPECT_TRUE(link.displayRequest.load());
}

TEST_F(SessionTest, FpgaLoadWithoutAnsweringStatusRaisesTheConfigurationFault) {
    session.configureFpga(placeholderFpgaImage());
    EXPECT_FALSE(link.linkUp.load());
    EXPECT_TRUE(link.raised(LinkFault::FpgaConfigurationFailure));
    EXPECT_TRUE(link.displayRequest.load());
}

TEST_F(SessionTest, ShortWriteIsContinuedWithTheRestOfTheChunk) {
    d2xx.writeLimit = 300;
    const Bytes image(1100, 0x5C); // chunks of 512, 512, 76
    EXPECT_EQ(session.configureFpga(image), FT_OK);
    const auto writes = d2xx.writesOnly();
    std::vector<std::uint32_t> asked;
    Bytes wire;
    for (std::size_t i = 2; i < writes.size(); ++i) {
        asked.push_back(writes[i].value);
        test::append(wire, writes[i].bytes);
    }
    EXPECT_EQ(asked, (std::vector<std::uint32_t>{1024, 724, 424, 124, 1024, 724, 424, 124, 152}));
    EXPECT_EQ(wire, nibbleEncode(image));
}

struct AbandonCase {
    const char* name;
    bool zeroInsteadOfError;
};

TEST_F(SessionTest, FailingOrStalledChunkWriteAbandonsTheLoadAtOnce) {
    for (const AbandonCase c : {AbandonCase{"write error", false}, {"nothing accepted", true}}) {
        test::FakeD2xx fake;
        LinkState state;
        ProtocolSession s(fake, state);
        int pausesSeen = 0;
        s.setPause([&](std::chrono::milliseconds) { ++pausesSeen; });
        (c.zeroInsteadOfError ? fake.zeroWrite : fake.failWrite) = 2 + 5; // the sixth chunk
        EXPECT_NE(s.configureFpga(placeholderFpgaImage()), FT_OK) << c.name;
        EXPECT_EQ(fake.writesOnly().size(), 2u + 6u) << c.name;
        EXPECT_EQ(fake.calls.back().kind, D2xxCall::Write) << c.name;
        EXPECT_EQ(pausesSeen, 1) << c.name;
        EXPECT_FALSE(state.raised(LinkFault::FpgaConfigurationFailure)) << c.name;
    }
}

TEST_F(SessionTest, ReceiveStepReadsAtMost65000Bytes) {
    d2xx.reportedQueue = 100000;
    d2xx.rx.assign(70000, 0x00);
    session.receiveStep();
    ASSERT_EQ(d2xx.calls.back().kind, D2xxCall::Read);
    EXPECT_EQ(d2xx.calls.back().value, 65000u);
}

TEST_F(SessionTest, ReceiveStepDoesNotReadOnAnEmptyQueueOrAFailedQuery) {
    EXPECT_EQ(session.receiveStep(), FT_OK);
    d2xx.rx.assign(10, 0);
    d2xx.getStatusResult = FT_IO_ERROR;
    EXPECT_EQ(session.receiveStep(), FT_IO_ERROR);
    for (const auto& c : d2xx.calls)
        EXPECT_NE(c.kind, D2xxCall::Read);
}

TEST_F(SessionTest, ReceivedFramesReachTheHandlerAndBadOnesAreCounted) {
    session.sendParameters(params()); // geometry N 16, not paired
    FrameTail tail{};
    tail[tail_field::kSequence] = 7;
    const Bytes samples(40, 0x10);
    Bytes stream = test::framePacket(0x8F, samples, tail);
    test::append(stream, test::framePacket(0x8F, samples, tail, true));
    test::append(stream, configuredStatus());
    d2xx.rx.assign(stream.begin(), stream.end());
    d2xx.extraReadCount = 5000; // a driver that over-reports is not believed
    EXPECT_EQ(session.receiveStep(), FT_OK);
    EXPECT_EQ(frames.sequences, std::vector<std::uint8_t>{7});
    EXPECT_EQ(link.checksumErrors.load(), 1u);
    EXPECT_TRUE(link.linkUp.load());
}

// A receive purge drops the rest of the packet the parser was in: what comes next must not be
// taken for it (the purge may have dropped the next packet's start as well).
TEST_F(SessionTest, ParametersSentMidFrameLeaveNoChecksumErrorBehind) {
    session.sendParameters(params());
    FrameTail tail{};
    tail[tail_field::kSequence] = 9;
    const Bytes samples(40, 0x10);
    const Bytes frame = test::framePacket(0x8F, samples, tail);
    d2xx.rx.assign(frame.begin(), frame.begin() + 12); // the header and ten samples
    EXPECT_EQ(session.receiveStep(), FT_OK);

    session.sendParameters(params()); // purges what was on its way
    Bytes after(frame.begin() + 2, frame.end()); // a frame whose start the purge took
    test::append(after, frame);
    d2xx.rx.assign(after.begin(), after.end());
    EXPECT_EQ(session.receiveStep(), FT_OK);
    EXPECT_EQ(link.checksumErrors.load(), 0u);
    EXPECT_EQ(frames.sequences, std::vector<std::uint8_t>{9});
}

} // namespace
} // namespace qs40
