#include "files/export_text.h"

#include "datafile_fake_ui.h"
#include "datafile_test_support.h"
#include "export_fixture.h"
#include "special_files.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

namespace qs40 {
namespace {

using testing::FileCommandUi;
using testing::readFile;
using testing::TempFolder;

// A1 and D1, three samples, the last A1 sample missing.
std::unique_ptr<FrameData> smallFrame() {
    auto f = std::make_unique<FrameData>();
    f->header[kHdrDivider] = 1;
    f->header[kHdrVoltsDivA1] = 1000000;
    f->header[kHdrZeroA1] = 191;
    f->header[kHdrVoltsDivA2] = 500000;
    f->header[kHdrZeroA2] = 63;
    f->header[kHdrValid] = 3;
    f->header[kHdrChannels] = 0b0101;
    const std::int32_t a1[] = {10, 254, kNoSample};
    const std::int32_t d1[] = {0, 1, 1};
    for (int i = 0; i < 3; ++i) {
        f->series[kA1First][i] = f->series[kA1Second][i] = a1[i];
        f->series[kD1First][i] = f->series[kD1Second][i] = d1[i];
    }
    return f;
}

TEST(TextTable, SmallFrameWithoutPeakDetection) {
    const auto f = smallFrame();
    EXPECT_EQ(buildTextTable(*f, 31, "."), "Oscilloscope data. \r\n"
                                           "Time step = 10.00 nS\r\n"
                                           "Voltage step A1 = 31.25 mV\r\n"
                                           "Zero level A1 = 191\r\n"
                                           "\r\n"
                                           "N\tA1\tD1\r\n"
                                           "\r\n"
                                           "0\t10\t0\r\n"
                                           "1\t254\t1\r\n"
                                           "2\t2147483647\t1\r\n");
}

TEST(TextTable, PeakDetectionAllChannelsWithoutSecondChannelsOnTheInstrument) {
    auto f = std::make_unique<FrameData>();
    f->header[kHdrDivider] = 20;
    f->header[kHdrVoltsDivA1] = 2000000;
    f->header[kHdrZeroA1] = 128;
    f->header[kHdrVoltsDivA2] = 500000;
    f->header[kHdrZeroA2] = 63;
    f->header[kHdrValid] = 1;
    f->header[kHdrPairs] = 1;
    f->header[kHdrChannels] = 0b1111;
    const std::int32_t values[] = {1, 2, 3, 4, 0, 1, 1, 0};
    for (int s = 0; s < kSeriesCount; ++s)
        f->series[s][0] = values[s];
    // Variant 24 has neither A2 nor D2: the labels of the first channels lose their digit,
    // yet the frame's A2 and D2 columns are still written.
    EXPECT_EQ(buildTextTable(*f, 24, ","), "Oscilloscope data. \r\n"
                                           "Time step = 200,0 nS\r\n"
                                           "Voltage step = 62,50 mV\r\n"
                                           "Zero level = 128\r\n"
                                           "Voltage step A2 = 15,63 mV\r\n"
                                           "Zero level A2 = 63\r\n"
                                           "\r\n"
                                           "N\tA(min,max)\tA2(min,max)\tD(min,max)\tD2(min,max)\r\n"
                                           "\r\n"
                                           "0\t1, 2\t\t3, 4\t\t0, 1\t\t1, 0\t\r\n");
}

TEST(TextTable, LinesStopAtTheArrays) {
    auto f = std::make_unique<FrameData>();
    f->header[kHdrValid] = 50000;
    f->header[kHdrChannels] = 0b0100;
    const std::string text = buildTextTable(*f, 31, ".");
    EXPECT_NE(text.find("\r\n39999\t2147483647\r\n"), std::string::npos);
    EXPECT_EQ(text.find("\r\n40000\t"), std::string::npos);
}

class ExportTextTest : public testing::ExportFixture {};

TEST_F(ExportTextTest, NoDataGivesTheBoxAndNoDialog) {
    struct Case {
        std::int32_t valid;
        std::int32_t mask;
    };
    const Case cases[] = {{0, 0b0001}, {5, 0}, {5, 0x10}};
    for (bool russian : {false, true}) {
        for (const Case& c : cases) {
            ui.boxes.clear();
            state.Common.Russian = russian;
            frames.current->header[kHdrValid] = c.valid;
            frames.current->header[kHdrChannels] = c.mask;
            EXPECT_EQ(exportText(context), ExportResult::NoData);
            ASSERT_EQ(ui.boxes.size(), 1u);
            EXPECT_EQ(ui.boxes[0].caption, russian ? "Сохранение текстового файла" : "Save Text");
            EXPECT_EQ(ui.boxes[0].text,
                      russian ? "Нет данных для записи." : "No data for writing.");
            EXPECT_EQ(ui.boxes[0].icon, BoxIcon::Stop);
        }
    }
    EXPECT_TRUE(ui.saveRequests.empty());
}

TEST_F(ExportTextTest, WritesTheTableWithTheLocaleSeparator) {
    *frames.current = *smallFrame();
    state.Session.current = {"run.qsd", true};
    context.decimalSeparator = ",";
    ui.dialogAnswer = dir.file("run.txt");
    EXPECT_EQ(exportText(context), ExportResult::Written);
    ASSERT_EQ(ui.saveRequests.size(), 1u);
    EXPECT_EQ(ui.saveRequests[0].title, "Save Text");
    EXPECT_EQ(ui.saveRequests[0].filter, "Text File (*.txt)|*.txt");
    EXPECT_EQ(ui.saveRequests[0].defaultExtension, "txt");
    EXPECT_EQ(ui.saveRequests[0].proposedName, "run.txt");
    EXPECT_EQ(state.Session.workingFolder, dir.folder());
    EXPECT_EQ(readFile(dir.file("run.txt")), buildTextTable(*frames.current, 28, ","));
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(ExportTextTest, RussianDialogAndWriteFailure) {
    *frames.current = *smallFrame();
    state.Common.Russian = true;
    ui.dialogAnswer = dir.file("none/run.txt");
    EXPECT_EQ(exportText(context), ExportResult::Failed);
    EXPECT_EQ(ui.saveRequests[0].title, "Сохранение текстового файла");
    EXPECT_EQ(ui.saveRequests[0].filter, "Текст (*.txt)|*.txt");
    EXPECT_EQ(ui.saveRequests[0].proposedName, "*.txt");
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].caption, "Сохранение текстового файла");
    EXPECT_EQ(ui.boxes[0].text,
              dir.file("none/run.txt") + "\r\nНет доступа к файлу.\r\n" + std::strerror(ENOENT));
    EXPECT_EQ(ui.boxes[0].icon, BoxIcon::Stop);
}

// Exported to a full device: written in place, which stays a device, and the failure is an
// error with the system's reason, never a written file.
TEST_F(ExportTextTest, AFullDeviceIsAnError) {
    const auto device = testing::makeFullDevice(dir.file("full"));
    if (!device)
        GTEST_SKIP() << "no full device here";
    *frames.current = *smallFrame();
    ui.dialogAnswer = *device;
    EXPECT_EQ(exportText(context), ExportResult::Failed);
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].caption, "Save Text");
    EXPECT_EQ(ui.boxes[0].text, *device + "\r\n" + std::strerror(ENOSPC));
    EXPECT_EQ(testing::kindAt(*device), S_IFCHR);
}

TEST_F(ExportTextTest, CancelWritesNothing) {
    *frames.current = *smallFrame();
    EXPECT_EQ(exportText(context), ExportResult::Cancelled);
    EXPECT_EQ(dir.entryCount(), 0u);
}

} // namespace
} // namespace qs40
