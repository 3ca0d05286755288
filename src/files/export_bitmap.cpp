#include "files/export_bitmap.h"

#include "files/file_dialogs.h"

namespace qs40 {
namespace {

void put16(std::string& out, std::uint16_t v) {
    out.push_back(static_cast<char>(v & 0xFF));
    out.push_back(static_cast<char>(v >> 8));
}

void put32(std::string& out, std::uint32_t v) {
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<char>(v >> shift & 0xFF));
}

} // namespace

std::optional<std::string> encodeBmp24(const PixelImage& image) {
    if (image.width < 0 || image.height < 0 || image.width > kMaxBmpSide ||
        image.height > kMaxBmpSide || (!image.pixel && image.width > 0 && image.height > 0))
        return std::nullopt;
    const auto width = static_cast<std::uint32_t>(image.width);
    const auto height = static_cast<std::uint32_t>(image.height);
    const std::uint32_t rowBytes = (width * 3 + 3) / 4 * 4;
    const std::uint32_t imageBytes = rowBytes * height;

    std::string out;
    out.reserve(kBmpHeaderBytes + imageBytes);
    // File header.
    out += "BM";
    put32(out, kBmpHeaderBytes + imageBytes);
    put32(out, 0); // reserved
    put32(out, kBmpHeaderBytes);
    // Information header: a positive height means the rows run from the bottom up.
    put32(out, 40);
    put32(out, width);
    put32(out, height);
    put16(out, 1);  // planes
    put16(out, 24); // bits per pixel
    put32(out, 0);  // no compression
    put32(out, imageBytes);
    put32(out, 0); // horizontal resolution: not given
    put32(out, 0); // vertical resolution: not given
    put32(out, 0); // colours used: all
    put32(out, 0); // important colours: all

    for (int y = image.height - 1; y >= 0; --y) {
        for (int x = 0; x < image.width; ++x) {
            const std::uint32_t c = image.pixel(x, y);
            out.push_back(static_cast<char>(c >> 16 & 0xFF)); // blue
            out.push_back(static_cast<char>(c >> 8 & 0xFF));  // green
            out.push_back(static_cast<char>(c & 0xFF));       // red
        }
        out.append(rowBytes - width * 3, '\0');
    }
    return out;
}

ExportResult exportImage(ExportContext& context, const PixelImage& picture) {
    FileCommandContext& files = context.files;
    const bool ru = files.state.russian();
    const std::string title = ru ? "Сохранение рисунка" : "Save Image";
    const auto path =
        chooseSaveFile(files.ui, files.state.Session,
                       {title, ru ? "Рисунок (*.bmp)|*.bmp" : "Bitmap File (*.bmp)|*.bmp", ".bmp"});
    if (!path)
        return ExportResult::Cancelled;
    const auto bytes = encodeBmp24(picture);
    const FileWriteResult written =
        bytes ? writeFileReplacing(*path, *bytes)
              : FileWriteResult{false, 0, "Invalid image size", FileWriteFailure::Abandoned};
    if (written.ok)
        return ExportResult::Written;
    // The failure's own message, as the system states it.
    files.ui.messageBox(title, *path + "\r\n" + written.message, BoxIcon::Stop, BoxButtons::Ok);
    return ExportResult::Failed;
}

} // namespace qs40
