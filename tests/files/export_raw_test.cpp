#include "files/export_raw.h"

#include "datafile_fake_ui.h"
#include "datafile_test_support.h"
#include "export_fixture.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

namespace qs40 {
namespace {

using testing::FileCommandUi;
using testing::readFile;
using testing::TempFolder;
using testing::writeFile;

constexpr std::int32_t X = kNoSample;

struct BytesCase {
    const char* what;
    bool pairs;
    std::vector<std::int32_t> first;
    std::vector<std::int32_t> second;
    std::string expected;
};

TEST(RawChannel, BytesUpToTheFirstMissingSample) {
    const BytesCase cases[] = {
        {"complete", false, {1, 2, 254}, {1, 2, 254}, std::string("\x01\x02\xFE", 3)},
        {"missing third", false, {1, 2, X, 4}, {1, 2, X, 4}, std::string("\x01\x02", 2)},
        {"first missing", false, {X, 2}, {X, 2}, ""},
        {"255 ends it", false, {0, 255, 1}, {0, 255, 1}, std::string("\x00", 1)},
        {"pairs", true, {1, 3}, {2, 4}, std::string("\x01\x02\x03\x04", 4)},
        {"second missing", true, {1, 3, 5}, {2, X, 6}, std::string("\x01\x02\x03", 3)},
        {"first of pair missing", true, {1, X}, {2, 4}, std::string("\x01\x02", 2)},
    };
    for (const BytesCase& c : cases) {
        SCOPED_TRACE(c.what);
        auto f = std::make_unique<FrameData>();
        f->header[kHdrValid] = static_cast<std::int32_t>(c.first.size());
        f->header[kHdrPairs] = c.pairs ? 1 : 0;
        f->header[kHdrChannels] = 0b0010;
        for (std::size_t i = 0; i < c.first.size(); ++i) {
            f->series[kA2First][i] = c.first[i];
            f->series[kA2Second][i] = c.second[i];
        }
        EXPECT_EQ(buildRawChannelBytes(*f, RawChannel::A2), c.expected);
    }
}

FrameHeader companionHeader(std::int32_t pairs) {
    FrameHeader h{};
    h[kHdrDivider] = 100;
    h[kHdrVoltsDivA1] = 200000;
    h[kHdrZeroA1] = 191;
    h[kHdrVoltsDivA2] = 50000;
    h[kHdrZeroA2] = 60;
    h[kHdrPairs] = pairs;
    return h;
}

TEST(RawChannel, CompanionTexts) {
    EXPECT_EQ(buildRawCompanionText(companionHeader(0), RawChannel::A1, "a.bin", "."),
              "Oscilloscope binary file = a.bin\r\n"
              "Time step = 1.000 uS\r\n"
              "Peak detector off, bytes per sample = 1\r\n"
              "Voltage step = 6.250 mV\r\n"
              "Zero level = 191\r\n"
              "\r\n");
    EXPECT_EQ(buildRawCompanionText(companionHeader(1), RawChannel::A2, "b.bin", ","),
              "Oscilloscope binary file = b.bin\r\n"
              "Time step = 1,000 uS\r\n"
              "Peak detector on, bytes per sample = 2\r\n"
              "Voltage step = 1,563 mV\r\n"
              "Zero level = 60\r\n"
              "\r\n");
    for (RawChannel digital : {RawChannel::D1, RawChannel::D2})
        EXPECT_EQ(buildRawCompanionText(companionHeader(1), digital, "d.bin", "."),
                  "Oscilloscope binary file = d.bin\r\n"
                  "Time step = 1.000 uS\r\n"
                  "Peak detector on, bytes per sample = 2\r\n");
}

TEST(RawChannel, DialogTitles) {
    struct Case {
        RawChannel channel;
        std::int32_t code;
        const char* english;
        const char* russian;
    };
    const Case cases[] = {
        {RawChannel::A1, 31, "Save Row Binary (CH A1)", "Сохранение двоичного файла (канал A1)"},
        {RawChannel::A1, 28, "Save Row Binary (CH A)", "Сохранение двоичного файла (канал A)"},
        {RawChannel::A2, 31, "Save Row Binary (CH A2)", "Сохранение двоичного файла (канал A2)"},
        {RawChannel::D1, 31, "Save Row Binary (CH D1)", "Сохранение двоичного файла (канал D1)"},
        {RawChannel::D1, 25, "Save Row Binary (CH D)", "Сохранение двоичного файла (канал D)"},
        {RawChannel::D2, 27, "Save Row Binary (CH D2)", "Сохранение двоичного файла (канал D2)"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(rawDialogTitle(c.channel, c.code, false), c.english);
        EXPECT_EQ(rawDialogTitle(c.channel, c.code, true), c.russian);
    }
}

class ExportRawTest : public testing::ExportFixture {
protected:
    void SetUp() override {
        ExportFixture::SetUp();
        state.System.Device_Type_Code = 31;
        FrameHeader& h = frames.current->header;
        h = companionHeader(0);
        h[kHdrValid] = 3;
        h[kHdrChannels] = 0b0101;
        for (int i = 0; i < 3; ++i) {
            frames.current->series[kA1First][i] = frames.current->series[kA1Second][i] = 10 + i;
            frames.current->series[kD1First][i] = frames.current->series[kD1Second][i] = i % 2;
        }
    }
};

TEST_F(ExportRawTest, NoDataBoxIsCaptionedWithTheDialogTitle) {
    for (bool russian : {false, true}) {
        ui.boxes.clear();
        state.Common.Russian = russian;
        EXPECT_EQ(exportRawChannel(context, RawChannel::A2), ExportResult::NoData);
        ASSERT_EQ(ui.boxes.size(), 1u);
        EXPECT_EQ(ui.boxes[0].caption, rawDialogTitle(RawChannel::A2, 31, russian));
        EXPECT_EQ(ui.boxes[0].text, russian ? "Нет данных для записи." : "No data for writing.");
        EXPECT_EQ(ui.boxes[0].icon, BoxIcon::Stop);
    }
    frames.current->header[kHdrValid] = 0;
    EXPECT_EQ(exportRawChannel(context, RawChannel::A1), ExportResult::NoData);
    EXPECT_TRUE(ui.saveRequests.empty());
}

TEST_F(ExportRawTest, WritesTheBytesAndTheCompanion) {
    state.Session.current = {"scan.qsd", true};
    ui.dialogAnswer = dir.file("scan.bin");
    EXPECT_EQ(exportRawChannel(context, RawChannel::A1), ExportResult::Written);
    ASSERT_EQ(ui.saveRequests.size(), 1u);
    EXPECT_EQ(ui.saveRequests[0].title, "Save Row Binary (CH A1)");
    EXPECT_EQ(ui.saveRequests[0].filter, "Binary File (*.bin)|*.bin");
    EXPECT_EQ(ui.saveRequests[0].defaultExtension, "bin");
    EXPECT_EQ(ui.saveRequests[0].proposedName, "scan.bin");
    EXPECT_EQ(readFile(dir.file("scan.bin")), std::string("\x0A\x0B\x0C", 3));
    EXPECT_EQ(readFile(dir.file("scan.txt")),
              buildRawCompanionText(frames.current->header, RawChannel::A1, "scan.bin", "."));
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(ExportRawTest, MissingFirstSampleStillWritesTheCompanion) {
    frames.current->series[kD1First][0] = kNoSample;
    state.Common.Russian = true;
    ui.dialogAnswer = dir.file("d.bin");
    EXPECT_EQ(exportRawChannel(context, RawChannel::D1), ExportResult::Written);
    EXPECT_EQ(ui.saveRequests[0].filter, "Двоичный файл (*.bin)|*.bin");
    EXPECT_EQ(ui.saveRequests[0].proposedName, "*.bin");
    EXPECT_EQ(readFile(dir.file("d.bin")), "");
    EXPECT_EQ(readFile(dir.file("d.txt")), "Oscilloscope binary file = d.bin\r\n"
                                           "Time step = 1.000 uS\r\n"
                                           "Peak detector off, bytes per sample = 1\r\n");
}

TEST_F(ExportRawTest, ExistingCompanionIsAskedFor) {
    for (bool russian : {false, true}) {
        for (BoxAnswer answer : {BoxAnswer::No, BoxAnswer::Yes}) {
            ui.boxes.clear();
            state.Common.Russian = russian;
            const std::string companion = dir.file("a.txt");
            writeFile(companion, "keep");
            ui.answers = {answer};
            ui.dialogAnswer = dir.file("a.bin");
            EXPECT_EQ(exportRawChannel(context, RawChannel::A1), answer == BoxAnswer::No
                                                                     ? ExportResult::CompanionKept
                                                                     : ExportResult::Written);
            ASSERT_EQ(ui.boxes.size(), 1u);
            EXPECT_EQ(ui.boxes[0].caption, russian ? "Сохранение сопутствующего текстового файла"
                                                   : "Save Text For Row Binary");
            EXPECT_EQ(ui.boxes[0].text,
                      companion + (russian
                                       ? " уже существует.\r\nЗаменить?"
                                       : "\r\nThe file already exists. Replace existing file?"));
            EXPECT_EQ(ui.boxes[0].icon, BoxIcon::Exclamation);
            EXPECT_EQ(ui.boxes[0].buttons, BoxButtons::YesNo);
            EXPECT_EQ(readFile(dir.file("a.bin")), std::string("\x0A\x0B\x0C", 3));
            EXPECT_EQ(readFile(companion) == "keep", answer == BoxAnswer::No);
        }
    }
}

TEST_F(ExportRawTest, CompanionThatCannotBeWritten) {
    std::filesystem::create_directory(dir.file("a.txt"));
    ui.dialogAnswer = dir.file("a.bin");
    EXPECT_EQ(exportRawChannel(context, RawChannel::A1), ExportResult::CompanionFailed);
    ASSERT_EQ(ui.boxes.size(), 2u); // the replace question, then the failure
    EXPECT_EQ(ui.boxes[1].caption, "Save Text For Row Binary");
    EXPECT_EQ(ui.boxes[1].text,
              dir.file("a.txt") + "\r\nCan't open file for writing.\r\n" + std::strerror(EISDIR));
    EXPECT_EQ(ui.boxes[1].icon, BoxIcon::Stop);
    EXPECT_EQ(readFile(dir.file("a.bin")).size(), 3u);
}

TEST_F(ExportRawTest, BinaryThatCannotBeWritten) {
    ui.dialogAnswer = dir.file("no/a.bin");
    EXPECT_EQ(exportRawChannel(context, RawChannel::A1), ExportResult::Failed);
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].caption, "Save Row Binary (CH A1)");
    EXPECT_EQ(ui.boxes[0].text, dir.file("no/a.bin") + "\r\nCan't open file for writing.\r\n" +
                                    std::strerror(ENOENT));
}

} // namespace
} // namespace qs40
