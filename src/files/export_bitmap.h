// The image export: the off-screen picture as a Windows bitmap file (24 bits per pixel,
// uncompressed, rows bottom-up and padded to four bytes).
#pragma once

#include "files/export_common.h"

#include <cstdint>
#include <functional>
#include <optional>

namespace qs40 {

inline constexpr std::uint32_t kBmpHeaderBytes = 14 + 40;
// Larger pictures are refused rather than risk an oversized file.
inline constexpr int kMaxBmpSide = 32768;

// A picture: pixel(x, y) gives the colour at column x and row y (row 0 at the top) as
// 0x00BBGGRR, red in the low byte.
struct PixelImage {
    int width = 0;
    int height = 0;
    std::function<std::uint32_t(int x, int y)> pixel;
};

// The bitmap file's bytes; nothing for a negative or oversized size or a missing getter.
std::optional<std::string> encodeBmp24(const PixelImage& image);

// Menu_Image. `picture` is read after the dialog, so it gives the picture last drawn.
ExportResult exportImage(ExportContext& context, const PixelImage& picture);

} // namespace qs40
