#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

#include "device/link/fpga_image.h"

namespace qs40 {
namespace {

namespace fs = std::filesystem;

class FpgaImageTest : public ::testing::Test {
protected:
    fs::path dir;
    void SetUp() override {
        dir = fs::temp_directory_path() / ("qs40-fpga-test-" + std::to_string(::getpid()));
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }
    fs::path write(const std::string& name, std::size_t size, std::uint8_t fill) {
        const fs::path p = dir / name;
        std::ofstream(p, std::ios::binary) << std::string(size, static_cast<char>(fill));
        return p;
    }
};

TEST_F(FpgaImageTest, PlaceholderHasTheImageLengthAndNeverChanges) {
    const auto& a = placeholderFpgaImage();
    EXPECT_EQ(a.size(), 101928u);
    EXPECT_EQ(&a, &placeholderFpgaImage());
    EXPECT_NE(a[0], a[1]);
}

TEST_F(FpgaImageTest, WithoutAFileThePlaceholderIsUsed) {
    const FpgaImage image = findFpgaImage({}, dir);
    ASSERT_TRUE(image.ok());
    EXPECT_TRUE(image.source.empty());
    EXPECT_EQ(image.bytes, placeholderFpgaImage());
}

TEST_F(FpgaImageTest, FileBesideTheExecutableIsPreferred) {
    write(kFpgaImageFileName, kFpgaImageSize, 0x3C);
    const FpgaImage image = findFpgaImage({}, dir);
    ASSERT_TRUE(image.ok()) << image.error;
    EXPECT_EQ(image.source, dir / kFpgaImageFileName);
    EXPECT_EQ(image.bytes, std::vector<std::uint8_t>(kFpgaImageSize, 0x3C));
}

TEST_F(FpgaImageTest, ExplicitPathWinsOverTheFileBesideTheExecutable) {
    write(kFpgaImageFileName, kFpgaImageSize, 0x01);
    const fs::path other = write("mine.bin", kFpgaImageSize, 0x02);
    const FpgaImage image = findFpgaImage(other, dir);
    ASSERT_TRUE(image.ok());
    EXPECT_EQ(image.bytes[0], 0x02);
}

struct RefusalCase {
    const char* name;
    std::size_t size;
    const char* says;
};

TEST_F(FpgaImageTest, FilesOfAnotherLengthAreRefusedWithTheReason) {
    const RefusalCase cases[] = {
        {"short", 1000, "the file has 1000 bytes"},
        {"empty", 0, "the file has 0 bytes"},
        {"long", kFpgaImageSize + 1, "the file is longer"},
    };
    for (const auto& c : cases) {
        const fs::path p = write(std::string(c.name) + ".bin", c.size, 0);
        const FpgaImage image = findFpgaImage(p, dir);
        EXPECT_FALSE(image.ok()) << c.name;
        EXPECT_TRUE(image.bytes.empty()) << c.name;
        EXPECT_NE(image.error.find("101928"), std::string::npos) << image.error;
        EXPECT_NE(image.error.find(c.says), std::string::npos) << image.error;
        EXPECT_NE(image.error.find(p.string()), std::string::npos) << image.error;
    }
    // A wrong file beside the executable is refused too, not silently replaced.
    write(kFpgaImageFileName, 10, 0);
    EXPECT_FALSE(findFpgaImage({}, dir).ok());
}

TEST_F(FpgaImageTest, MissingExplicitFileIsAnError) {
    const FpgaImage image = findFpgaImage(dir / "nothing.bin", dir);
    EXPECT_FALSE(image.ok());
    EXPECT_NE(image.error.find("cannot be read"), std::string::npos);
}

TEST_F(FpgaImageTest, ExecutableDirIsTheFolderOfThisTest) {
    const fs::path found = executableDir();
    ASSERT_FALSE(found.empty());
    EXPECT_TRUE(fs::equivalent(found, QS40_TEST_EXE_DIR)) << found;
}

} // namespace
} // namespace qs40
