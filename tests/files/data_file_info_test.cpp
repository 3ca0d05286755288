#include "files/data_file_info.h"

#include "datafile_test_support.h"
#include "special_files.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

namespace qs40 {
namespace {

using testing::patternFrame;
using testing::TempFolder;
using testing::writeFile;

std::string savedBytes(FrameData& f) {
    prepareHeaderForFile(f.header);
    return encodeDataFile(f);
}

TEST(DataFileInfo, DescribesHeaderAndSamples) {
    TempFolder dir;
    auto f = patternFrame(0b0101, 5000, true);
    const std::string path = dir.file("a.qsd");
    writeFile(path, savedBytes(*f));
    const DataFileDescription d = describeDataFile(path);
    ASSERT_TRUE(d.valid) << d.text;
    for (const char* line :
         {"File: ", "Variant: 28 ZR4001A\n", "Channels: A1 D1\n",
          "Peak detection: on, 2 bytes per sample\n", "Samples per channel: 5000\n",
          "Samples in the file: A1 5000, D1 5000\n", "   8  valid samples        5000\n",
          "  18  channel mask         5\n", "  29  reserved             -1\n"})
        EXPECT_NE(d.text.find(line), std::string::npos) << line << "\n" << d.text;
    EXPECT_EQ(d.text.find("ends before"), std::string::npos);
}

TEST(DataFileInfo, ReportsWhatIsWrong) {
    TempFolder dir;
    auto f = patternFrame(0b0011, 100, false);
    const std::string good = savedBytes(*f);
    std::string badSum = good;
    badSum[20] ^= 1;
    struct Case {
        const char* what;
        std::string bytes;
        bool valid;
        const char* expected;
    };
    const Case cases[] = {
        {"wrong mark", "MZ" + good.substr(2), false, "Invalid file format.\n"},
        {"older mark", std::string("QSD:\0", 5), false, "Invalid file format (ZR4001).\n"},
        {"checksum", badSum, false, "Invalid file format. (CRC error)\n"},
        {"header cut", good.substr(0, 50), false, "the file ends inside the header"},
        {"blocks cut", good.substr(0, 174 + 150), true, "Samples in the file: A1 100, A2 50\n"},
        {"blocks cut, note", good.substr(0, 174 + 150), true, "ends before its last sample"},
        {"extra bytes", good + "xyz", true, "Bytes follow the last sample"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string path = dir.file("x.qsd");
        writeFile(path, c.bytes);
        const DataFileDescription d = describeDataFile(path);
        EXPECT_EQ(d.valid, c.valid);
        EXPECT_NE(d.text.find(c.expected), std::string::npos) << d.text;
        if (!c.valid) {
            EXPECT_EQ(d.text.rfind(path + ": ", 0), 0u) << d.text;
        }
    }
}

// What cannot be read says why, the system's reason on its own line; what is not a regular file
// is refused before it is opened (a named pipe would never answer).
TEST(DataFileInfo, SaysWhyAFileCannotBeRead) {
    TempFolder dir;
    std::filesystem::create_directory(dir / "folder.qsd");
    ASSERT_TRUE(testing::makeFifo(dir.file("fifo.qsd")));
    struct Case {
        std::optional<std::string> path;
        std::string text;
    };
    const auto device = testing::makeNullDevice(dir.file("null"));
    const Case cases[] = {
        {dir.file("none.qsd"),
         dir.file("none.qsd") + ": File not found.\n" + std::strerror(ENOENT) + "\n"},
        {dir.file("folder.qsd"), dir.file("folder.qsd") + ": " + std::strerror(EISDIR) + "\n"},
        {dir.file("fifo.qsd"), dir.file("fifo.qsd") + ": Not a regular file\n"},
        {device, device.value_or("") + ": Not a regular file\n"},
    };
    for (const Case& c : cases) {
        if (!c.path)
            continue;
        const DataFileDescription d = describeDataFile(*c.path);
        EXPECT_FALSE(d.valid);
        EXPECT_EQ(d.text, c.text);
    }
}

TEST(DataFileInfo, SampleCountBeyondTheArraysIsNamed) {
    FrameHeader h{};
    h[kHdrValid] = 45000;
    h[kHdrChannels] = 1;
    h[kHdrChecksum] = headerChecksum(h);
    FrameData f;
    f.header = h;
    std::string bytes(kDataFileMark);
    for (std::int32_t v : h)
        for (int s = 0; s < 32; s += 8)
            bytes.push_back(static_cast<char>(static_cast<std::uint32_t>(v) >> s & 0xFF));
    bytes += std::string(45000, '\x01');
    MemoryDataFileInput input(
        std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
    const DataFileDescription d = describeDataFile(input, "big.qsd");
    ASSERT_TRUE(d.valid);
    EXPECT_NE(d.text.find("Samples per channel: 45000\n"), std::string::npos) << d.text;
    EXPECT_NE(d.text.find("Only the first 40000 samples of each channel load\n"),
              std::string::npos);
    EXPECT_NE(d.text.find("Samples in the file: A1 40000\n"), std::string::npos);
}

} // namespace
} // namespace qs40
