// Frame acceptance and what follows a decode: the sequence number, identity and running rule,
// the flags and counts for the GUI thread, and the end of a single shot.
#include <gtest/gtest.h>

#include "device/acquisition/frame_receiver.h"
#include "synthetic_frame.h"

namespace qs40 {
namespace {

class Receiver : public ::testing::Test {
protected:
    LinkState link;
    AcquisitionFlags flags;
    ParamsPublisher params;
    FrameSets sets;
    FrameDecoder decoder;
    FrameReceiver receiver{link, flags, params, sets, decoder};

    void SetUp() override {
        link.identityReceived = true;
        link.running = true;
        link.parameterSequence = 5;
        AcquisitionSnapshot s;
        s.params.recordLength = 1000;
        s.params.divider = 1;
        s.params.runBits = 0x81;
        params.publish(s);
        receiver.setRecordLength(1000);
    }
    static test::FrameSpec frameWithSequence(std::uint8_t sequence) {
        test::FrameSpec s;
        s.present = s.carried = test::kA1;
        s.trigger = s.pre;
        s.sequence = sequence;
        s.tdcCount = 17;
        return s;
    }
    void receive(const test::FrameSpec& s) {
        const test::BuiltFrame f = test::buildFrame(s);
        receiver.onFrame(f.received());
    }
    std::int32_t decodedCounter() const { return sets.current->header[kHdrFrameCounter]; }
};

TEST_F(Receiver, AFrameWithTheOldSequenceNumberIsDroppedAndTheNextOneDecoded) {
    receive(frameWithSequence(4));
    EXPECT_EQ(decodedCounter(), 0);
    EXPECT_EQ(flags.framesDecoded.load(), 0u);
    EXPECT_EQ(flags.framesRejected.load(), 0u); // dropped silently, not counted
    EXPECT_FALSE(link.displayRequest.load());

    receive(frameWithSequence(5));
    EXPECT_EQ(decodedCounter(), 1);
    EXPECT_EQ(flags.framesDecoded.load(), 1u);
    EXPECT_TRUE(flags.frameArrived.load());
    EXPECT_TRUE(flags.frameDrawn.load());
    EXPECT_TRUE(flags.frameActivity.load());
    EXPECT_TRUE(flags.currentFileStale.load());
    EXPECT_EQ(flags.lastTdcCount.load(), 17);
    EXPECT_TRUE(link.displayRequest.load());
}

TEST_F(Receiver, NoFrameIsDecodedBeforeTheInstrumentIdentifiedItselfOrWhileStopped) {
    link.identityReceived = false;
    receive(frameWithSequence(5));
    link.identityReceived = true;
    link.running = false;
    receive(frameWithSequence(5));
    EXPECT_EQ(decodedCounter(), 0);
    EXPECT_FALSE(link.displayRequest.load());
}

TEST_F(Receiver, ACompleteRecordEndsASingleShot) {
    link.single = true;
    receive(frameWithSequence(5));
    EXPECT_EQ(decodedCounter(), 1);
    EXPECT_FALSE(link.single.load());
    EXPECT_FALSE(link.running.load());
    EXPECT_TRUE(flags.singleEnded.load());
    EXPECT_TRUE(link.sendParametersRequest.load());
    EXPECT_EQ(params.get().params.runBits, 0x01); // the instrument is told to stop
    EXPECT_TRUE(link.displayRequest.load());
    // A frame still in flight with the same number is no longer decoded.
    receive(frameWithSequence(5));
    EXPECT_EQ(decodedCounter(), 1);
}

TEST_F(Receiver, ASingleShotGoesOnWhileItsRingIsFilling) {
    link.single = true;
    test::FrameSpec s = frameWithSequence(5);
    s.roll = true;
    s.streamFlags = 0x05;
    s.pre = 0;
    s.post = 1000;
    s.trigger = 0;
    s.write = 300;
    receive(s);
    EXPECT_EQ(decodedCounter(), 1);
    EXPECT_TRUE(link.single.load());
    EXPECT_FALSE(flags.singleEnded.load());
    EXPECT_FALSE(link.sendParametersRequest.load());
}

TEST_F(Receiver, ARejectedFrameIsCountedAndDrawsNothing) {
    test::FrameSpec s = frameWithSequence(5);
    s.post = 2000; // longer than the record asked for
    receive(s);
    EXPECT_EQ(flags.framesRejected.load(), 1u);
    EXPECT_EQ(flags.framesDecoded.load(), 0u);
    EXPECT_FALSE(link.displayRequest.load());
    EXPECT_FALSE(flags.frameArrived.load());
}

TEST_F(Receiver, TheRecordLengthIsTheOneOfThePacketSent) {
    // The GUI already published 5000 samples; the packet that asked for them is not sent yet.
    params.update([](AcquisitionSnapshot& s) { s.params.recordLength = 5000; });
    receive(frameWithSequence(5));
    EXPECT_EQ(decodedCounter(), 1);
    EXPECT_EQ(sets.current->header[kHdrLength], 1000);
}

} // namespace
} // namespace qs40
