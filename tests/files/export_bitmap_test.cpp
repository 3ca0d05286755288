#include "files/export_bitmap.h"

#include "datafile_fake_ui.h"
#include "datafile_test_support.h"
#include "export_fixture.h"

#include <gtest/gtest.h>

namespace qs40 {
namespace {

using testing::FileCommandUi;
using testing::readFile;
using testing::TempFolder;

std::uint32_t u16(const std::string& b, std::size_t at) {
    return static_cast<std::uint8_t>(b[at]) | static_cast<std::uint8_t>(b[at + 1]) << 8;
}
std::uint32_t u32(const std::string& b, std::size_t at) {
    return u16(b, at) | u16(b, at + 2) << 16;
}

// Red grows with x, green with y, blue constant.
std::uint32_t gradient(int x, int y) {
    return 0x00AA0000u | static_cast<std::uint32_t>(y * 16) << 8 |
           static_cast<std::uint32_t>(x * 16);
}

TEST(Bitmap, HeaderFields) {
    struct Case {
        int width, height;
        std::uint32_t rowBytes;
    };
    const Case cases[] = {{3, 2, 12}, {4, 1, 12}, {1, 3, 4}, {5, 5, 16}, {0, 0, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height));
        const auto bmp = encodeBmp24({c.width, c.height, gradient});
        ASSERT_TRUE(bmp);
        const std::string& b = *bmp;
        const std::uint32_t imageBytes = c.rowBytes * static_cast<std::uint32_t>(c.height);
        ASSERT_EQ(b.size(), 54 + imageBytes);
        EXPECT_EQ(b.substr(0, 2), "BM");
        EXPECT_EQ(u32(b, 2), 54 + imageBytes); // file size
        EXPECT_EQ(u32(b, 6), 0u);              // reserved
        EXPECT_EQ(u32(b, 10), 54u);            // offset of the pixels
        EXPECT_EQ(u32(b, 14), 40u);            // information header size
        EXPECT_EQ(u32(b, 18), static_cast<std::uint32_t>(c.width));
        EXPECT_EQ(u32(b, 22), static_cast<std::uint32_t>(c.height)); // positive: bottom-up
        EXPECT_EQ(u16(b, 26), 1u);                                   // planes
        EXPECT_EQ(u16(b, 28), 24u);                                  // bits per pixel
        EXPECT_EQ(u32(b, 30), 0u);                                   // no compression
        EXPECT_EQ(u32(b, 34), imageBytes);
        EXPECT_EQ(u32(b, 46), 0u); // colours used
    }
}

TEST(Bitmap, PixelsBottomUpInBlueGreenRedOrderWithPadding) {
    const auto bmp = encodeBmp24({3, 2, gradient});
    ASSERT_TRUE(bmp);
    const std::string pixels = bmp->substr(54);
    // Bottom row (y = 1) first; each pixel blue, green, red; one row is 9 bytes plus 3 padding.
    const std::string expected("\xAA\x10\x00"
                               "\xAA\x10\x10"
                               "\xAA\x10\x20"
                               "\x00\x00\x00"
                               "\xAA\x00\x00"
                               "\xAA\x00\x10"
                               "\xAA\x00\x20"
                               "\x00\x00\x00",
                               24);
    EXPECT_EQ(pixels, expected);
}

TEST(Bitmap, ImpossibleSizesAreRefused) {
    EXPECT_FALSE(encodeBmp24({-1, 5, gradient}));
    EXPECT_FALSE(encodeBmp24({5, -1, gradient}));
    EXPECT_FALSE(encodeBmp24({kMaxBmpSide + 1, 1, gradient}));
    EXPECT_FALSE(encodeBmp24({2, 2, nullptr}));
}

class ExportImageTest : public testing::ExportFixture {};

TEST_F(ExportImageTest, WritesTheBitmapEvenWithoutAFrame) {
    for (bool russian : {false, true}) {
        ui.saveRequests.clear();
        state.Common.Russian = russian;
        ui.dialogAnswer = dir.file("pic.bmp");
        EXPECT_EQ(exportImage(context, {7, 3, gradient}), ExportResult::Written);
        ASSERT_EQ(ui.saveRequests.size(), 1u);
        const FileDialogRequest& r = ui.saveRequests[0];
        EXPECT_EQ(r.title, russian ? "Сохранение рисунка" : "Save Image");
        EXPECT_EQ(r.filter, russian ? "Рисунок (*.bmp)|*.bmp" : "Bitmap File (*.bmp)|*.bmp");
        EXPECT_EQ(r.defaultExtension, "bmp");
        EXPECT_EQ(r.proposedName, "*.bmp");
        EXPECT_EQ(readFile(dir.file("pic.bmp")), *encodeBmp24({7, 3, gradient}));
    }
    EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(ExportImageTest, FailureShowsTheSystemsMessage) {
    ui.dialogAnswer = dir.file("no/pic.bmp");
    EXPECT_EQ(exportImage(context, {2, 2, gradient}), ExportResult::Failed);
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].caption, "Save Image");
    EXPECT_EQ(ui.boxes[0].text, dir.file("no/pic.bmp") + "\r\nNo such file or directory");
    EXPECT_EQ(ui.boxes[0].icon, BoxIcon::Stop);
}

TEST_F(ExportImageTest, CancelWritesNothing) {
    EXPECT_EQ(exportImage(context, {2, 2, gradient}), ExportResult::Cancelled);
    EXPECT_EQ(dir.entryCount(), 0u);
}

} // namespace
} // namespace qs40
