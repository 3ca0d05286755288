#include "files/export_sigrok.h"

#include "datafile_fake_ui.h"
#include "datafile_test_support.h"
#include "export_fixture.h"
#include "zip_contents.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

namespace qs40 {
namespace {

using testing::FileCommandUi;
using testing::readFile;
using testing::TempFolder;
using testing::zipContents;

constexpr std::int32_t X = kNoSample;

// Ten samples on the channels of `mask`: analog codes around the zero levels, logic bits that
// differ by channel and series.
std::unique_ptr<FrameData> sessionFrame(std::int32_t mask, bool pairs) {
    auto f = std::make_unique<FrameData>();
    FrameHeader& h = f->header;
    h[kHdrDivider] = 4;
    h[kHdrVoltsDivA1] = 3200000; // 0.1 V per code
    h[kHdrZeroA1] = 128;
    h[kHdrVoltsDivA2] = 32000000; // 10 V/div with a x10 probe: 1 V per code
    h[kHdrZeroA2] = 60;
    h[kHdrValid] = 10;
    h[kHdrPairs] = pairs ? 1 : 0;
    h[kHdrChannels] = mask;
    for (int i = 0; i < 10; ++i) {
        f->series[kA1First][i] = 128 + i;
        f->series[kA1Second][i] = pairs ? 130 + i : 128 + i;
        f->series[kA2First][i] = 60 - i;
        f->series[kA2Second][i] = pairs ? 62 - i : 60 - i;
        f->series[kD1First][i] = i % 2;
        f->series[kD1Second][i] = pairs ? (i / 2) % 2 : i % 2;
        f->series[kD2First][i] = (i / 3) % 2;
        f->series[kD2Second][i] = pairs ? 1 : (i / 3) % 2;
    }
    return f;
}

std::vector<std::string> analogNames(const SigrokSession& s) {
    std::vector<std::string> names;
    for (const auto& a : s.analog)
        names.push_back(a.name);
    return names;
}

TEST(SigrokSessionOfFrame, ChannelsFollowTheFrameAndTheVariant) {
    struct Case {
        const char* what;
        std::int32_t mask;
        bool pairs;
        std::int32_t variant;
        std::vector<std::string> analog;
        std::vector<std::string> logic;
    };
    const Case cases[] = {
        {"all four", 0b1111, false, 31, {"A1", "A2"}, {"D1", "D2"}},
        {"one of each kind", 0b0101, false, 31, {"A1"}, {"D1"}},
        {"second channels alone", 0b1010, false, 31, {"A2"}, {"D2"}},
        {"analog only", 0b0011, false, 31, {"A1", "A2"}, {}},
        {"single-channel variant", 0b0101, false, 28, {"A"}, {"D"}},
        {"peak detection",
         0b1111,
         true,
         31,
         {"A1_min", "A1_max", "A2_min", "A2_max"},
         {"D1_min", "D1_max", "D2_min", "D2_max"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const SigrokSession s = frameSigrokSession(*sessionFrame(c.mask, c.pairs), c.variant);
        EXPECT_EQ(analogNames(s), c.analog);
        EXPECT_EQ(s.logicNames, c.logic);
        EXPECT_EQ(s.logic.size(), c.logic.empty() ? 0u : 10u);
        for (const auto& a : s.analog)
            EXPECT_EQ(a.values.size(), 10u);
    }
}

TEST(SigrokSessionOfFrame, AnalogInVoltsAndLogicAsBits) {
    const SigrokSession s = frameSigrokSession(*sessionFrame(0b1111, true), 31);
    ASSERT_EQ(s.analog.size(), 4u);
    for (int i = 0; i < 10; ++i) {
        SCOPED_TRACE(i);
        EXPECT_FLOAT_EQ(s.analog[0].values[i], 0.1f * i);        // A1 min: code - 128
        EXPECT_FLOAT_EQ(s.analog[1].values[i], 0.1f * (i + 2));  // A1 max
        EXPECT_FLOAT_EQ(s.analog[2].values[i], -1.0f * i);       // A2 min, probe included
        EXPECT_FLOAT_EQ(s.analog[3].values[i], -1.0f * (i - 2)); // A2 max
        const unsigned expected = (i % 2) | ((i / 2) % 2) << 1 | ((i / 3) % 2) << 2 | 1u << 3;
        EXPECT_EQ(s.logic[i], expected);
    }
}

TEST(SigrokSessionOfFrame, ExtremeHeaderValuesOfALoadedFile) {
    auto f = sessionFrame(0b0001, false);
    f->header[kHdrZeroA1] = INT32_MIN;
    f->header[kHdrVoltsDivA1] = INT32_MAX;
    const SigrokSession s = frameSigrokSession(*f, 31);
    ASSERT_EQ(s.analog.size(), 1u);
    const double expected = (128.0 - INT32_MIN) * (INT32_MAX / 32.0) * 1e-6;
    EXPECT_FLOAT_EQ(s.analog[0].values[0], static_cast<float>(expected));
}

TEST(SigrokSessionOfFrame, SampleRateFromTheDivider) {
    const std::pair<std::int32_t, std::uint64_t> cases[] = {
        {1, 100000000}, {4, 25000000}, {3, 33333333}, {200, 500000}, {4000000, 25}};
    for (const auto& [divider, rate] : cases) {
        auto f = sessionFrame(0b0001, false);
        f->header[kHdrDivider] = divider;
        EXPECT_EQ(frameSigrokSession(*f, 31).sampleRate, rate) << divider;
    }
}

TEST(SigrokSessionOfFrame, EveryChannelStopsAtTheFirstMissingSample) {
    struct Case {
        const char* what;
        bool pairs;
        int series;
        int index;
        std::size_t expected;
    };
    const Case cases[] = {
        {"complete", false, kA1First, 10, 10},
        {"A2 missing at 3", false, kA2First, 3, 3},
        {"D2 missing at 7", false, kD2First, 7, 7},
        {"first sample missing", false, kD1First, 0, 0},
        {"second of a pair missing", true, kA1Second, 5, 5},
        {"second series ignored without pairs", false, kA1Second, 5, 10},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto f = sessionFrame(0b1111, c.pairs);
        if (c.index < 10)
            f->series[c.series][c.index] = X;
        const SigrokSession s = frameSigrokSession(*f, 31);
        EXPECT_EQ(s.logic.size(), c.expected);
        for (const auto& a : s.analog)
            EXPECT_EQ(a.values.size(), c.expected);
    }
    // A channel the frame does not hold does not cut the others short.
    auto f = sessionFrame(0b0001, false);
    f->series[kA2First][2] = X;
    EXPECT_EQ(frameSigrokSession(*f, 31).analog[0].values.size(), 10u);
}

TEST(SigrokSessionFile, HoldsVersionMetadataAndSamples) {
    SigrokSession s;
    s.sampleRate = 25000000;
    s.logicNames = {"D1", "D2"};
    s.logic = {0, 1, 2, 3};
    s.analog = {{"A1", {0.5f, -1.0f, 2.0f, 0.0f}}};
    const SigrokEncoding encoded = encodeSigrokSession(s);
    ASSERT_TRUE(encoded.ok) << encoded.error;
    const auto members = zipContents(encoded.bytes);
    ASSERT_EQ(members.size(), 4u);
    EXPECT_EQ(members.at("version"), "2");
    EXPECT_EQ(members.at("metadata"), "[global]\n"
                                      "sigrok version=0.5.2\n"
                                      "\n"
                                      "[device 1]\n"
                                      "capturefile=logic-1\n"
                                      "total probes=2\n"
                                      "samplerate=25000000\n"
                                      "total analog=1\n"
                                      "probe1=D1\n"
                                      "probe2=D2\n"
                                      "analog3=A1\n"
                                      "unitsize=1\n");
    EXPECT_EQ(members.at("logic-1-1"), std::string("\0\1\2\3", 4));
    // Little-endian IEEE floats: 0.5, -1, 2, 0.
    EXPECT_EQ(members.at("analog-1-3-1"),
              std::string("\0\0\0\x3F\0\0\x80\xBF\0\0\0\x40\0\0\0\0", 16));
}

TEST(SigrokSessionFile, AnalogOnlyNamesNoCaptureFile) {
    SigrokSession s;
    s.sampleRate = 100;
    s.analog = {{"A1", {1.0f}}, {"A2", {2.0f}}};
    const SigrokEncoding encoded = encodeSigrokSession(s);
    ASSERT_TRUE(encoded.ok) << encoded.error;
    const auto members = zipContents(encoded.bytes);
    EXPECT_EQ(members.at("metadata"), "[global]\n"
                                      "sigrok version=0.5.2\n"
                                      "\n"
                                      "[device 1]\n"
                                      "total probes=0\n"
                                      "samplerate=100\n"
                                      "total analog=2\n"
                                      "analog1=A1\n"
                                      "analog2=A2\n");
    EXPECT_EQ(members.count("analog-1-1-1"), 1u);
    EXPECT_EQ(members.count("analog-1-2-1"), 1u);
    EXPECT_EQ(members.size(), 4u);
}

TEST(SigrokSessionFile, EmptyCaptureKeepsItsDataFiles) {
    SigrokSession s;
    s.sampleRate = 100;
    s.logicNames = {"D1"};
    s.analog = {{"A1", {}}};
    const SigrokEncoding encoded = encodeSigrokSession(s);
    ASSERT_TRUE(encoded.ok) << encoded.error;
    const auto members = zipContents(encoded.bytes);
    EXPECT_EQ(members.at("logic-1-1"), "");
    EXPECT_EQ(members.at("analog-1-2-1"), "");
    EXPECT_EQ(members.size(), 4u);
}

TEST(SigrokSessionFile, LongCapturesAreSplitIntoNumberedChunks) {
    SigrokSession s;
    s.sampleRate = 1000;
    s.logicNames = {"D1"};
    const std::size_t count = (4u << 20) + 3; // one full chunk of logic bytes and a bit more
    s.logic.assign(count, 1);
    s.analog = {{"A1", std::vector<float>(count, 1.0f)}};
    const SigrokEncoding encoded = encodeSigrokSession(s);
    ASSERT_TRUE(encoded.ok) << encoded.error;
    const auto members = zipContents(encoded.bytes);
    EXPECT_EQ(members.at("logic-1-1").size(), 4u << 20);
    EXPECT_EQ(members.at("logic-1-2").size(), 3u);
    std::size_t analogBytes = 0;
    int chunks = 0;
    for (const auto& [name, content] : members)
        if (name.starts_with("analog-1-2-")) {
            analogBytes += content.size();
            ++chunks;
            EXPECT_EQ(content.size() % sizeof(float), 0u) << name;
        }
    EXPECT_EQ(analogBytes, count * sizeof(float));
    EXPECT_EQ(chunks, 5);
}

class ExportSigrokTest : public testing::ExportFixture {
protected:
    void SetUp() override {
        ExportFixture::SetUp();
        state.System.Device_Type_Code = 31;
        *frames.current = *sessionFrame(0b0101, false);
    }
};

TEST_F(ExportSigrokTest, NothingToExportShowsTheNoDataBox) {
    struct Case {
        const char* what;
        int field;
        std::int32_t value;
    };
    const Case cases[] = {
        {"no samples", kHdrValid, 0},
        {"no channels", kHdrChannels, 0},
        {"no sample interval", kHdrDivider, 0},
    };
    for (bool russian : {false, true})
        for (const Case& c : cases) {
            SCOPED_TRACE(c.what);
            ui.boxes.clear();
            state.Common.Russian = russian;
            *frames.current = *sessionFrame(0b0101, false);
            frames.current->header[c.field] = c.value;
            EXPECT_EQ(exportSigrok(context), ExportResult::NoData);
            ASSERT_EQ(ui.boxes.size(), 1u);
            EXPECT_EQ(ui.boxes[0].caption,
                      russian ? "Сохранение сеанса sigrok" : "Save sigrok Session");
            EXPECT_EQ(ui.boxes[0].text,
                      russian ? "Нет данных для записи." : "No data for writing.");
            EXPECT_EQ(ui.boxes[0].icon, BoxIcon::Stop);
        }
    EXPECT_TRUE(ui.saveRequests.empty());
}

TEST_F(ExportSigrokTest, WritesTheSessionOfTheCurrentFrame) {
    state.Session.current = {"scan.qsd", true};
    ui.dialogAnswer = dir.file("scan.sr");
    EXPECT_EQ(exportSigrok(context), ExportResult::Written);
    ASSERT_EQ(ui.saveRequests.size(), 1u);
    EXPECT_EQ(ui.saveRequests[0].title, "Save sigrok Session");
    EXPECT_EQ(ui.saveRequests[0].filter, "sigrok Session (*.sr)|*.sr");
    EXPECT_EQ(ui.saveRequests[0].defaultExtension, "sr");
    EXPECT_EQ(ui.saveRequests[0].proposedName, "scan.sr");
    const auto members = zipContents(readFile(dir.file("scan.sr")));
    EXPECT_EQ(members.at("version"), "2");
    EXPECT_NE(members.at("metadata").find("probe1=D1\nanalog2=A1\n"), std::string::npos);
    EXPECT_EQ(members.at("analog-1-2-1").size(), 10 * sizeof(float));
    EXPECT_TRUE(ui.boxes.empty());

    state.Common.Russian = true;
    state.Session.current.valid = false;
    ui.dialogAnswer.reset();
    EXPECT_EQ(exportSigrok(context), ExportResult::Cancelled);
    EXPECT_EQ(ui.saveRequests[1].filter, "Сеанс sigrok (*.sr)|*.sr");
    EXPECT_EQ(ui.saveRequests[1].proposedName, "*.sr");
}

TEST_F(ExportSigrokTest, FileThatCannotBeWritten) {
    ui.dialogAnswer = dir.file("no/a.sr");
    EXPECT_EQ(exportSigrok(context), ExportResult::Failed);
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].caption, "Save sigrok Session");
    EXPECT_EQ(ui.boxes[0].text,
              dir.file("no/a.sr") + "\r\nCan't open file for writing.\r\n" + std::strerror(ENOENT));
    EXPECT_EQ(ui.boxes[0].icon, BoxIcon::Stop);
}

} // namespace
} // namespace qs40
