// The recorder session: starting (with the replace question and a file that cannot be made),
// writing what the hand-over gives, stopping with its question, the companion file, and a
// write that fails part-way (a full disk).
#include <gtest/gtest.h>

#include "../device/scripted_ui.h"
#include "datafile_file_size_limit.h"
#include "files/recorder_companion.h"
#include "files/recorder_session.h"
#include "temp_folder.h"

#include <chrono>
#include <fstream>
#include <iterator>

namespace qs40 {
namespace {

using namespace std::chrono_literals;
using testing::ScriptedUi;
using testing::TempFolder;

std::string readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

RecorderFrameFacts slowFacts() {
    RecorderFrameFacts f;
    f.sampleStep = 10000;
    f.voltsDivA1 = 1000000;
    f.zeroA1 = 128;
    return f;
}

struct Fixture {
    TempFolder folder;
    RecorderHandover handover;
    ScriptedUi ui;
    RecorderSettings::TimePoint clock{std::chrono::hours(1000)};
    RecorderSession session{handover, ui, settings()};

    RecorderSettings settings() {
        RecorderSettings s;
        s.now = [this] { return clock; };
        s.dateTimeText = [](RecorderSettings::TimePoint t) {
            return "T" +
                   std::to_string(std::chrono::duration_cast<std::chrono::seconds>(
                                      t - RecorderSettings::TimePoint{std::chrono::hours(1000)})
                                      .count());
        };
        return s;
    }
    // One stream frame's worth through the hand-over, as the decoder and the callback do it.
    void frames(const std::vector<std::int32_t>& ring, std::initializer_list<std::int32_t> ws) {
        for (const std::int32_t w : ws) {
            handover.handOver(ring, w, true, {});
            handover.takePending(session.writer());
        }
    }
};

std::vector<std::int32_t> countingRing(std::int32_t n) {
    std::vector<std::int32_t> v(static_cast<std::size_t>(n));
    for (std::int32_t i = 0; i < n; ++i)
        v[static_cast<std::size_t>(i)] = i & 0xFF;
    return v;
}

TEST(RecorderSession, RecordsTheHandedOverBytesAndWritesTheCompanionAtStop) {
    Fixture f;
    const std::string path = f.folder.file("rec.bin");
    f.session.rebuildInfo(slowFacts());
    ASSERT_TRUE(f.session.ready());
    EXPECT_EQ(f.session.sizeLabel(), "Size = ...");
    ASSERT_TRUE(f.session.start(path, slowFacts()));
    EXPECT_TRUE(f.handover.on());
    EXPECT_TRUE(f.session.recording());
    const auto ring = countingRing(300);
    f.frames(ring, {10, 260, 40}); // 250 + 80 new samples
    f.clock += 3723s;
    f.session.tick();
    EXPECT_EQ(f.session.sizeLabel(), "Size = 330 Bytes    Time = 0  01:02:03");
    f.session.stop();
    EXPECT_FALSE(f.handover.on());
    EXPECT_FALSE(f.session.recording());
    EXPECT_EQ(f.session.lastEnd(), RecorderEnd::Stopped);

    std::string expected;
    for (int k = 0; k < 330; ++k)
        expected += static_cast<char>((10 + k) % 300 & 0xFF);
    EXPECT_EQ(readAll(path), expected);
    EXPECT_EQ(readAll(companionPathOf(path)), "Oscilloscope recorder file = rec.bin\r\n\r\n"
                                              "Sampling rate = 10.0 KHz\r\n"
                                              "Peak detector off, bytes per sample = 1\r\n"
                                              "Write speed = 34.332275 MBytes/hour\r\n\r\n"
                                              "Time step = 100.0 uS\r\n"
                                              "Voltage step = 31.25 mV\r\n"
                                              "Zero level = 128\r\n\r\n"
                                              "Start recording = T0\r\n"
                                              "Stop recording = T3723\r\n"
                                              "Size = 330 Bytes\r\n"
                                              "Time = 0  01:02:03\r\n");
    // The information lines end with the start and stop lines too.
    EXPECT_EQ(f.session.infoLines().back(), "Stop recording = T3723");
    EXPECT_TRUE(f.ui.boxes.empty());
    // Another file: the label goes back to dots.
    f.session.fileChosen();
    EXPECT_EQ(f.session.sizeLabel(), "Size = ...");
}

TEST(RecorderSession, AnExistingFileIsReplacedOnlyWhenTheUserSaysYes) {
    for (const BoxAnswer answer : {BoxAnswer::No, BoxAnswer::Yes}) {
        Fixture f;
        const std::string path = f.folder.file("rec.bin");
        std::ofstream(path) << "old";
        f.ui.answers = {answer};
        const bool started = f.session.start(path, slowFacts());
        ASSERT_EQ(f.ui.boxes.size(), 1u);
        EXPECT_EQ(f.ui.boxes[0].caption, "Recorder File");
        EXPECT_EQ(f.ui.boxes[0].text, path + "\r\nThe file already exists. Replace existing file?");
        EXPECT_EQ(f.ui.boxes[0].icon, BoxIcon::Exclamation);
        EXPECT_EQ(started, answer == BoxAnswer::Yes);
        EXPECT_EQ(f.handover.on(), started);
        EXPECT_EQ(readAll(path), started ? "" : "old");
    }
}

TEST(RecorderSession, AFileThatCannotBeCreatedIsToldAndNothingStarts) {
    Fixture f;
    const std::string path = f.folder.file("missing/rec.bin");
    f.session.rebuildInfo(slowFacts());
    EXPECT_FALSE(f.session.start(path, slowFacts()));
    ASSERT_EQ(f.ui.boxes.size(), 1u);
    EXPECT_EQ(f.ui.boxes[0].caption, "Recorder File");
    EXPECT_EQ(f.ui.boxes[0].text.rfind(path + "\r\nCan't open file for writing.\r\n", 0), 0u);
    EXPECT_EQ(f.ui.boxes[0].icon, BoxIcon::Stop);
    EXPECT_FALSE(f.session.recording());
    EXPECT_FALSE(f.handover.on());
    EXPECT_EQ(f.session.sizeLabel(), "Size = ...");
}

TEST(RecorderSession, StopAnsweredNoKeepsRecording) {
    Fixture f;
    const std::string path = f.folder.file("rec.bin");
    ASSERT_TRUE(f.session.start(path, slowFacts()));
    f.ui.answers = {BoxAnswer::No, BoxAnswer::Yes};
    EXPECT_FALSE(f.session.askToStop());
    EXPECT_TRUE(f.session.recording());
    EXPECT_TRUE(f.handover.on());
    EXPECT_FALSE(std::filesystem::exists(companionPathOf(path)));
    EXPECT_TRUE(f.session.askToStop());
    EXPECT_FALSE(f.session.recording());
    EXPECT_TRUE(std::filesystem::exists(companionPathOf(path)));
    ASSERT_EQ(f.ui.boxes.size(), 2u);
    EXPECT_EQ(f.ui.boxes[0].caption, "Warning");
    EXPECT_EQ(f.ui.boxes[0].text, "Stop recording?");
    EXPECT_EQ(f.ui.boxes[0].buttons, BoxButtons::YesNo);
}

TEST(RecorderSession, AnExistingCompanionIsKeptWhenTheUserSaysNo) {
    Fixture f;
    const std::string path = f.folder.file("rec.bin");
    std::ofstream(companionPathOf(path)) << "notes";
    ASSERT_TRUE(f.session.start(path, slowFacts()));
    f.ui.answers = {BoxAnswer::No};
    f.session.stop();
    ASSERT_EQ(f.ui.boxes.size(), 1u);
    EXPECT_EQ(f.ui.boxes[0].caption, "Save Text File For Recorder File");
    EXPECT_EQ(readAll(companionPathOf(path)), "notes");
    EXPECT_FALSE(f.session.companionWritten());
}

// A full disk part-way through: the recording stops at once, the box comes at the next tick
// (not inside the acquisition's callback), and the companion states the bytes the file holds.
TEST(RecorderSession, AWriteThatFailsStopsTheRecordingAndTheCompanionTellsWhatIsOnDisk) {
    for (const bool russian : {false, true}) {
        Fixture f;
        f.session.setLanguage(russian);
        const std::string path = f.folder.file("rec.bin");
        ASSERT_TRUE(f.session.start(path, slowFacts()));
        const auto ring = countingRing(5000);
        {
            testing::FileSizeLimit limit(6000);
            f.frames(ring, {0, 4000, 1000, 4500}); // 4000 + 2000 + 3500 bytes offered
            EXPECT_FALSE(f.handover.on());         // nothing more is handed over
            EXPECT_TRUE(f.ui.boxes.empty());
            f.session.tick();
        }
        EXPECT_FALSE(f.session.recording());
        EXPECT_EQ(f.session.lastEnd(), RecorderEnd::WriteFailed);
        ASSERT_EQ(f.ui.boxes.size(), 1u);
        EXPECT_EQ(f.ui.boxes[0].caption, russian ? "Файл самописца" : "Recorder File");
        EXPECT_EQ(f.ui.boxes[0].text.rfind(path + (russian ? "\r\nНет доступа к файлу."
                                                           : "\r\nCan't open file for writing."),
                                           0),
                  0u);
        EXPECT_EQ(f.ui.boxes[0].icon, BoxIcon::Stop);
        const std::uintmax_t onDisk = std::filesystem::file_size(path);
        EXPECT_EQ(onDisk, 6000u);
        EXPECT_EQ(f.session.bytes(), onDisk);
        const std::string companion = readAll(companionPathOf(path));
        EXPECT_NE(companion.find((russian ? "Записано = " : "Size = ") + std::to_string(onDisk) +
                                 (russian ? " Байт\r\n" : " Bytes\r\n")),
                  std::string::npos)
            << companion;
        EXPECT_NE(companion.find(russian ? "Запись прервана: " : "Recording ended: "),
                  std::string::npos);
        // A later stop has nothing more to do.
        f.session.stop();
        EXPECT_EQ(f.ui.boxes.size(), 1u);
    }
}

// Bytes the decoder handed over after the last callback were received before Stop: they go
// into the file, and a failure to write them is told like any other.
TEST(RecorderSession, StopWritesWhatWasHandedOverSinceTheLastCallback) {
    for (const bool full : {false, true}) {
        Fixture f;
        const std::string path = f.folder.file("rec.bin");
        ASSERT_TRUE(f.session.start(path, slowFacts()));
        const auto ring = countingRing(1000);
        f.frames(ring, {0, 300});
        f.handover.handOver(ring, 500, true, {}); // no callback yet
        ASSERT_EQ(f.handover.pending(), 200u);
        {
            testing::FileSizeLimit limit(full ? 400 : 1 << 20);
            f.session.stop();
        }
        EXPECT_FALSE(f.session.recording());
        EXPECT_EQ(std::filesystem::file_size(path), full ? 400u : 500u);
        EXPECT_EQ(f.session.lastEnd(), full ? RecorderEnd::WriteFailed : RecorderEnd::Stopped);
        EXPECT_EQ(f.ui.boxes.size(), full ? 1u : 0u);
        EXPECT_NE(
            readAll(companionPathOf(path)).find(full ? "Size = 400 Bytes" : "Size = 500 Bytes"),
            std::string::npos);
    }
}

} // namespace
} // namespace qs40
