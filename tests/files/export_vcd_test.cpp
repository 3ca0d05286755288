#include "files/export_vcd.h"

#include "datafile_fake_ui.h"
#include "datafile_test_support.h"
#include "export_fixture.h"

#include <gtest/gtest.h>

namespace qs40 {
namespace {

using testing::FileCommandUi;
using testing::readFile;
using testing::TempFolder;

constexpr std::int32_t X = kNoSample;

std::unique_ptr<FrameData> logicFrame(std::int32_t mask, std::int32_t divider, bool pairs,
                                      const std::vector<std::int32_t>& d1,
                                      const std::vector<std::int32_t>& d2,
                                      const std::vector<std::int32_t>& d1Second = {},
                                      const std::vector<std::int32_t>& d2Second = {}) {
    auto f = std::make_unique<FrameData>();
    f->header[kHdrDivider] = divider;
    f->header[kHdrValid] = static_cast<std::int32_t>(d1.size());
    f->header[kHdrPairs] = pairs ? 1 : 0;
    f->header[kHdrChannels] = mask;
    for (std::size_t i = 0; i < d1.size(); ++i) {
        f->series[kD1First][i] = d1[i];
        f->series[kD2First][i] = d2[i];
        f->series[kD1Second][i] = pairs ? d1Second[i] : d1[i];
        f->series[kD2Second][i] = pairs ? d2Second[i] : d2[i];
        f->series[kA1First][i] = f->series[kA1Second][i] = 100;
    }
    return f;
}

TEST(VcdTimescale, CoarsestUnitThatHoldsTheInterval) {
    struct Case {
        std::int64_t intervalNs;
        int multiple;
        int exponent;
        std::int64_t ticks;
    };
    const Case cases[] = {
        {10, 10, 9, 1},        {20, 10, 9, 2},          {40, 10, 9, 4},  {50, 10, 9, 5},
        {5, 1, 9, 5},          {200, 100, 9, 2},        {2000, 1, 6, 2}, {40000000, 10, 3, 4},
        {1000000000, 1, 0, 1}, {20000000000, 10, 0, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.intervalNs);
        const VcdTimescale t = vcdTimescaleFor(c.intervalNs * 1000000);
        EXPECT_EQ(t.multiple, c.multiple);
        EXPECT_EQ(t.exponent, c.exponent);
        EXPECT_EQ(t.ticksPerSample, c.ticks);
    }
}

TEST(VcdText, ChangesOfBothChannels) {
    const auto f = logicFrame(0b1100, 4, false, {0, 1, 1, 0}, {1, 1, 0, 0});
    EXPECT_EQ(buildVcd(*f, 31), "$version QS40 $end\n"
                                "$timescale 10 ns $end\n"
                                "$scope module ZR40 $end\n"
                                "$var wire 1 ! D1 $end\n"
                                "$var wire 1 \" D2 $end\n"
                                "$upscope $end\n"
                                "$enddefinitions $end\n"
                                "#0\n"
                                "$dumpvars\n"
                                "0!\n"
                                "1\"\n"
                                "$end\n"
                                "#4\n"
                                "1!\n"
                                "#8\n"
                                "0\"\n"
                                "#12\n"
                                "0!\n"
                                "#16\n");
}

TEST(VcdText, PairsAtHalfTheIntervalAndTheSingleChannelName) {
    // D alone on a variant without D2: the pair (0, 1) then (1, 1), 5 ns apart at divider 1.
    const auto f = logicFrame(0b0100, 1, true, {0, 1}, {0, 0}, {1, 1}, {0, 0});
    EXPECT_EQ(buildVcd(*f, 25), "$version QS40 $end\n"
                                "$timescale 1 ns $end\n"
                                "$scope module ZR40 $end\n"
                                "$var wire 1 ! D $end\n"
                                "$upscope $end\n"
                                "$enddefinitions $end\n"
                                "#0\n"
                                "$dumpvars\n"
                                "0!\n"
                                "$end\n"
                                "#5\n"
                                "1!\n"
                                "#20\n");
}

TEST(VcdText, EndsAtTheFirstMissingBit) {
    struct Case {
        const char* what;
        bool pairs;
        std::vector<std::int32_t> d1, d2, d1Second, d2Second;
        const char* end; // the closing time stamp
    };
    const Case cases[] = {
        {"complete", false, {0, 1, 0}, {0, 0, 0}, {}, {}, "#3\n"},
        {"D2 missing at 1", false, {0, 1, 0}, {0, X, 0}, {}, {}, "#1\n"},
        {"a value that is no bit", false, {0, 2, 0}, {0, 0, 0}, {}, {}, "#1\n"},
        {"second of a pair missing", true, {0, 1}, {0, 0}, {1, X}, {0, 0}, "#15\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto f = logicFrame(0b1100, 1, c.pairs, c.d1, c.d2, c.d1Second, c.d2Second);
        const std::string vcd = buildVcd(*f, 31);
        EXPECT_TRUE(vcd.ends_with(c.end)) << vcd;
    }
    const auto none = logicFrame(0b1100, 1, false, {X}, {0});
    EXPECT_TRUE(buildVcd(*none, 31).ends_with("$enddefinitions $end\n"));
}

class ExportVcdTest : public testing::ExportFixture {
protected:
    void SetUp() override {
        ExportFixture::SetUp();
        state.System.Device_Type_Code = 31;
        *frames.current = *logicFrame(0b1101, 2, false, {0, 1, 0}, {1, 1, 1});
    }
};

TEST_F(ExportVcdTest, WithoutLogicSamplesShowsTheNoDataBox) {
    struct Case {
        const char* what;
        int field;
        std::int32_t value;
    };
    const Case cases[] = {
        {"analog channels only", kHdrChannels, 0b0011},
        {"no samples", kHdrValid, 0},
        {"no sample interval", kHdrDivider, 0},
    };
    for (bool russian : {false, true})
        for (const Case& c : cases) {
            SCOPED_TRACE(c.what);
            ui.boxes.clear();
            state.Common.Russian = russian;
            SetUp();
            state.Common.Russian = russian;
            frames.current->header[c.field] = c.value;
            EXPECT_EQ(exportVcd(context), ExportResult::NoData);
            ASSERT_EQ(ui.boxes.size(), 1u);
            EXPECT_EQ(ui.boxes[0].caption, russian ? "Сохранение VCD" : "Save VCD");
            EXPECT_EQ(ui.boxes[0].text,
                      russian ? "Нет данных для записи." : "No data for writing.");
            EXPECT_EQ(ui.boxes[0].icon, BoxIcon::Stop);
        }
    EXPECT_TRUE(ui.saveRequests.empty());
}

TEST_F(ExportVcdTest, WritesTheLogicChannels) {
    state.Session.current = {"scan.qsd", true};
    ui.dialogAnswer = dir.file("scan.vcd");
    EXPECT_EQ(exportVcd(context), ExportResult::Written);
    ASSERT_EQ(ui.saveRequests.size(), 1u);
    EXPECT_EQ(ui.saveRequests[0].title, "Save VCD");
    EXPECT_EQ(ui.saveRequests[0].filter, "Value Change Dump (*.vcd)|*.vcd");
    EXPECT_EQ(ui.saveRequests[0].defaultExtension, "vcd");
    EXPECT_EQ(ui.saveRequests[0].proposedName, "scan.vcd");
    EXPECT_EQ(readFile(dir.file("scan.vcd")), buildVcd(*frames.current, 31));
    EXPECT_TRUE(ui.boxes.empty());

    state.Common.Russian = true;
    ui.dialogAnswer = dir.file("no/a.vcd");
    EXPECT_EQ(exportVcd(context), ExportResult::Failed);
    EXPECT_EQ(ui.saveRequests[1].title, "Сохранение VCD");
    EXPECT_EQ(ui.saveRequests[1].filter, "Файл VCD (*.vcd)|*.vcd");
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].caption, "Сохранение VCD");
    EXPECT_TRUE(ui.boxes[0].text.starts_with(dir.file("no/a.vcd") + "\r\nНет доступа к файлу."));
}

} // namespace
} // namespace qs40
