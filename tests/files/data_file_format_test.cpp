#include "files/data_file_format.h"

#include "datafile_test_support.h"

#include <gtest/gtest.h>

#include <bit>
#include <span>

namespace qs40 {
namespace {

using testing::patternFrame;

std::string le32(std::int32_t v) {
    const auto u = static_cast<std::uint32_t>(v);
    return {static_cast<char>(u & 0xFF), static_cast<char>(u >> 8 & 0xFF),
            static_cast<char>(u >> 16 & 0xFF), static_cast<char>(u >> 24 & 0xFF)};
}

// A file with the given header (its checksum made to match) and sample bytes.
std::string fileOf(FrameHeader header, const std::string& blocks) {
    header[kHdrChecksum] = headerChecksum(header);
    std::string out(kDataFileMark);
    for (std::int32_t f : header)
        out += le32(f);
    return out + blocks;
}

DataFileReport decode(const std::string& bytes, FrameData& frame) {
    MemoryDataFileInput input(
        std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
    return decodeDataFile(input, frame);
}

std::string encodePrepared(FrameData& frame) {
    prepareHeaderForFile(frame.header);
    return encodeDataFile(frame);
}

TEST(DataFileFormat, GoldenBytesOfASmallPeakDetectFrame) {
    FrameData f;
    f.header[0] = 28;
    f.header[1] = 2;
    f.header[2] = 1000000;
    f.header[3] = 191;
    f.header[6] = 3;
    f.header[7] = 1;
    f.header[8] = 3;
    f.header[9] = 3;
    f.header[11] = 1;
    f.header[13] = 1;
    f.header[18] = 0b0101; // A1 and D1
    f.header[30] = 12345;  // reserved fields are overwritten with -1
    f.header[39] = 1;
    f.series[kA1First][0] = 10;
    f.series[kA1Second][0] = 20;
    f.series[kA1First][1] = 254;
    f.series[kA1Second][1] = kNoSample;
    f.series[kA1First][2] = 0;
    f.series[kA1Second][2] = 300;
    f.series[kD1First][0] = 0;
    f.series[kD1Second][0] = 1;
    f.series[kD1First][1] = 1;
    f.series[kD1Second][1] = 0;
    f.series[kA2First][0] = 99; // A2 is not in the mask: not written

    const std::string bytes = encodePrepared(f);

    std::string expected("QSD_ZR40:\0", 10);
    const std::int32_t fields[41] = {28, 2,  1000000, 191, 0,  0,  3,  1,  3,  3,  0,  1, 0,      1,
                                     0,  0,  0,       0,   5,  0,  0,  0,  0,  0,  0,  0, 0,      0,
                                     0,  -1, -1,      -1,  -1, -1, -1, -1, -1, -1, -1, 1, 1000229};
    for (std::int32_t v : fields)
        expected += le32(v);
    expected += std::string("\x0A\x14\xFE\xFF\x00\xFF", 6); // A1 pairs
    expected += std::string("\x00\x01\x01\x00\xFF\xFF", 6); // D1 pairs, index 2 missing
    EXPECT_EQ(bytes, expected);
    EXPECT_EQ(f.header[kHdrChecksum], 1000229);
}

TEST(DataFileFormat, FileSizes) {
    FrameData empty;
    EXPECT_EQ(encodePrepared(empty).size(), 174u);

    auto f = patternFrame(0b0101, 5000, true);
    EXPECT_EQ(encodePrepared(*f).size(), 20174u);
}

TEST(DataFileFormat, EmptyFrameChecksumIsTheSumOfItsFields) {
    FrameData f;
    prepareHeaderForFile(f.header);
    EXPECT_EQ(f.header[kHdrChecksum], -10); // fields 29 to 38 at -1
    FrameData back;
    back.header[0] = 5;
    const DataFileReport r = decode(encodeDataFile(f), back);
    EXPECT_EQ(r.status, DataFileStatus::Loaded);
    EXPECT_EQ(back.header[kHdrValid], 0);
    EXPECT_EQ(back.series[kA1First][0], kNoSample);
}

TEST(DataFileFormat, ChecksumWrapsAround) {
    FrameHeader h{};
    h[2] = INT32_MAX;
    h[4] = INT32_MAX;
    h[6] = 3;
    EXPECT_EQ(headerChecksum(h), static_cast<std::int32_t>(0xFFFFFFFEu + 3u));
    FrameData f;
    f.header = h;
    FrameData back;
    EXPECT_EQ(decode(encodePrepared(f), back).status, DataFileStatus::Loaded);
    EXPECT_EQ(back.header[2], INT32_MAX);
}

// Every channel combination, with and without peak detection.
TEST(DataFileFormat, RoundTripEveryChannelCombination) {
    for (int mask = 0; mask < 16; ++mask) {
        for (bool pairs : {false, true}) {
            SCOPED_TRACE("mask " + std::to_string(mask) + (pairs ? " pairs" : ""));
            const int count = 1234;
            auto f = patternFrame(mask, count, pairs);
            if (mask & 1) { // a missing sample inside the record
                f->series[kA1First][100] = kNoSample;
                f->series[kA1Second][100] = kNoSample;
            }
            const std::string bytes = encodePrepared(*f);
            const std::size_t channels = static_cast<std::size_t>(std::popcount(unsigned(mask)));
            EXPECT_EQ(bytes.size(), 174 + channels * count * (pairs ? 2 : 1));

            auto back = std::make_unique<FrameData>();
            const DataFileReport r = decode(bytes, *back);
            ASSERT_EQ(r.status, DataFileStatus::Loaded);
            EXPECT_FALSE(r.endedEarly);
            EXPECT_FALSE(r.trailingBytes);
            EXPECT_EQ(back->header, f->header);
            for (int s = 0; s < kSeriesCount; ++s)
                EXPECT_TRUE(back->series[s] == f->series[s]) << "series " << s;
        }
    }
}

TEST(DataFileFormat, SampleValuesOutsideAByteLoadAsNoSample) {
    struct Case {
        std::int32_t stored;
        std::int32_t loaded;
    };
    const Case cases[] = {{0, 0},           {254, 254},
                          {255, kNoSample}, {1000, kNoSample},
                          {-1, kNoSample},  {kNoSample, kNoSample}};
    FrameData f;
    f.header[kHdrValid] = std::size(cases);
    f.header[kHdrChannels] = 1;
    for (std::size_t i = 0; i < std::size(cases); ++i)
        f.series[kA1First][i] = f.series[kA1Second][i] = cases[i].stored;
    FrameData back;
    ASSERT_EQ(decode(encodePrepared(f), back).status, DataFileStatus::Loaded);
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_EQ(back.series[kA1First][i], cases[i].loaded) << cases[i].stored;
        EXPECT_EQ(back.series[kA1Second][i], cases[i].loaded) << cases[i].stored;
    }
}

TEST(DataFileFormat, SavingHoldsAnOversizedSampleCountToTheArrays) {
    FrameData f;
    f.header[kHdrValid] = 50000;
    f.header[kHdrChannels] = 1;
    f.series[kA1First][kMaxSamples - 1] = 9;
    const std::string bytes = encodePrepared(f);
    EXPECT_EQ(f.header[kHdrValid], kMaxSamples);
    EXPECT_EQ(bytes.size(), 174u + kMaxSamples);
    EXPECT_EQ(bytes.back(), '\x09');
}

// Files that are not data files, or whose header is damaged.
TEST(DataFileFormat, RejectedFiles) {
    const std::string good = fileOf(FrameHeader{}, "");
    struct Case {
        const char* what;
        std::string bytes;
        DataFileStatus status;
    };
    const Case cases[] = {
        {"empty", "", DataFileStatus::NotDataFile},
        {"short mark", "QSD_ZR", DataFileStatus::NotDataFile},
        {"tenth byte not zero", std::string("QSD_ZR40:\x01", 10) + good.substr(10),
         DataFileStatus::NotDataFile},
        {"other text", "Hello, world! This is not a data file at all.",
         DataFileStatus::NotDataFile},
        {"older mark", std::string("QSD:\0", 5) + good.substr(5), DataFileStatus::OlderFormat},
        {"older mark alone", std::string("QSD:\0", 5), DataFileStatus::OlderFormat},
        {"older mark cut", "QSD:", DataFileStatus::NotDataFile},
        {"mark alone", good.substr(0, 10), DataFileStatus::HeaderTruncated},
        {"header cut", good.substr(0, 100), DataFileStatus::HeaderTruncated},
        {"last header byte missing", good.substr(0, 173), DataFileStatus::HeaderTruncated},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FrameData f;
        f.header[kHdrValid] = 77;
        f.series[kA1First][0] = 5;
        const DataFileReport r = decode(c.bytes, f);
        EXPECT_EQ(r.status, c.status);
        if (c.status == DataFileStatus::NotDataFile || c.status == DataFileStatus::OlderFormat) {
            EXPECT_EQ(f.header[kHdrValid], 77); // untouched
            EXPECT_EQ(f.series[kA1First][0], 5);
        } else {
            EXPECT_EQ(f.header[kHdrValid], 0); // reset
            EXPECT_EQ(f.series[kA1First][0], kNoSample);
        }
    }
}

TEST(DataFileFormat, AnyChangedHeaderByteFailsTheChecksum) {
    auto f = patternFrame(0b1111, 10, false);
    const std::string bytes = encodePrepared(*f);
    for (std::size_t i = 10; i < kDataFileSamplesOffset; ++i) {
        std::string damaged = bytes;
        damaged[i] = static_cast<char>(damaged[i] ^ 0x10);
        FrameData back;
        const DataFileReport r = decode(damaged, back);
        EXPECT_EQ(r.status, DataFileStatus::ChecksumError) << "byte " << i;
        EXPECT_EQ(back.header[kHdrChannels], 0);
        EXPECT_EQ(back.series[kA1First][0], kNoSample);
    }
}

FrameHeader headerWith(int mask, std::int32_t valid, bool pairs) {
    FrameHeader h{};
    h[kHdrVariant] = 28;
    h[kHdrChannels] = mask;
    h[kHdrValid] = valid;
    h[kHdrPairs] = pairs ? 1 : 0;
    return h;
}

TEST(DataFileFormat, TruncatedBlocksLoadWhatTheFileHolds) {
    // A1 and A2, 100 samples each; the file ends after 50 samples of A1.
    std::string blocks(50, '\x07');
    FrameData f;
    const DataFileReport r = decode(fileOf(headerWith(0b0011, 100, false), blocks), f);
    ASSERT_EQ(r.status, DataFileStatus::Loaded);
    EXPECT_TRUE(r.endedEarly);
    EXPECT_EQ(r.loaded[0], 50);
    EXPECT_EQ(r.loaded[1], 0);
    EXPECT_EQ(r.claimed[1], 100);
    EXPECT_EQ(f.header[kHdrValid], 100);
    EXPECT_EQ(f.series[kA1First][49], 7);
    EXPECT_EQ(f.series[kA1Second][49], 7);
    EXPECT_EQ(f.series[kA1First][50], kNoSample);
    EXPECT_EQ(f.series[kA2First][0], kNoSample);
}

TEST(DataFileFormat, FileEndingInsideAPairKeepsItsFirstByte) {
    FrameData f;
    const DataFileReport r =
        decode(fileOf(headerWith(0b0001, 10, true), std::string("\x01\x02\x03", 3)), f);
    ASSERT_EQ(r.status, DataFileStatus::Loaded);
    EXPECT_EQ(r.loaded[0], 2);
    EXPECT_EQ(f.series[kA1First][1], 3);
    EXPECT_EQ(f.series[kA1Second][1], kNoSample);
}

TEST(DataFileFormat, SampleCountBeyondTheArraysLoadsTheFirst40000OfEachBlock) {
    const int claimed = 50000;
    std::string a1(claimed, '\x01');
    a1[kMaxSamples - 1] = '\x02';
    a1[kMaxSamples] = '\x03'; // beyond the arrays: skipped
    std::string d1(claimed, '\x00');
    d1[0] = '\x01';
    FrameData f;
    const DataFileReport r = decode(fileOf(headerWith(0b0101, claimed, false), a1 + d1), f);
    ASSERT_EQ(r.status, DataFileStatus::Loaded);
    EXPECT_FALSE(r.endedEarly);
    EXPECT_EQ(r.claimed[0], claimed);
    EXPECT_EQ(r.loaded[0], kMaxSamples);
    EXPECT_EQ(f.header[kHdrValid], kMaxSamples);
    EXPECT_EQ(r.fileHeader[kHdrValid], claimed);
    EXPECT_EQ(f.series[kA1First][kMaxSamples - 1], 2);
    EXPECT_EQ(f.series[kD1First][0], 1); // the D1 block starts where the header says
    EXPECT_EQ(f.series[kD1First][1], 0);
}

TEST(DataFileFormat, HostileCountsAndMasksStayWithinTheArrays) {
    struct Case {
        const char* what;
        int mask;
        std::int32_t valid;
        bool pairs;
        std::size_t bytes;
        std::int32_t expectValid;
        std::int32_t expectLoadedA1;
    };
    const Case cases[] = {
        {"huge count, small file", 0b1111, INT32_MAX, true, 1000, kMaxSamples, 500},
        {"huge count, no bytes", 0b0001, INT32_MAX, false, 0, kMaxSamples, 0},
        {"negative count", 0b1111, -5, false, 10, 0, 0},
        {"minimum count", 0b0001, INT32_MIN, true, 10, 0, 0},
        {"stray mask bits", static_cast<int>(0xFFFFFFF1u), 20, false, 20, 20, 20},
        {"odd pair flag", 0b0001, 20, false, 20, 20, 20},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FrameHeader h = headerWith(c.mask, c.valid, c.pairs);
        if (std::string(c.what) == "odd pair flag")
            h[kHdrPairs] = 2; // only 1 means pairs
        auto f = std::make_unique<FrameData>();
        const DataFileReport r = decode(fileOf(h, std::string(c.bytes, '\x05')), *f);
        ASSERT_EQ(r.status, DataFileStatus::Loaded);
        EXPECT_EQ(f->header[kHdrValid], c.expectValid);
        EXPECT_EQ(r.loaded[0], c.expectLoadedA1);
    }
}

TEST(DataFileFormat, BytesAfterTheLastBlockAreReportedAndIgnored) {
    FrameData f;
    const DataFileReport r =
        decode(fileOf(headerWith(0b0001, 2, false), std::string("\x01\x02\x03", 3)), f);
    ASSERT_EQ(r.status, DataFileStatus::Loaded);
    EXPECT_TRUE(r.trailingBytes);
    EXPECT_EQ(f.series[kA1First][2], kNoSample);
}

} // namespace
} // namespace qs40
