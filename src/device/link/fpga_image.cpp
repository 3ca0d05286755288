#include "device/link/fpga_image.h"

#include <fstream>
#include <system_error>

namespace qs40 {

const std::vector<std::uint8_t>& placeholderFpgaImage() {
    static const std::vector<std::uint8_t> image = [] {
        // A fixed xorshift sequence: deterministic, and with every byte value present so that
        // the upload path is exercised with realistic data.
        std::vector<std::uint8_t> bytes(kFpgaImageSize);
        std::uint32_t x = 0x51534034u;
        for (auto& b : bytes) {
            x ^= x << 13;
            x ^= x >> 17;
            x ^= x << 5;
            b = static_cast<std::uint8_t>(x >> 24);
        }
        return bytes;
    }();
    return image;
}

FpgaImage readFpgaImageFile(const std::filesystem::path& path) {
    FpgaImage result;
    result.source = path;
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        result.error = path.string() + ": the FPGA image file cannot be read.";
        return result;
    }
    std::vector<std::uint8_t> bytes(kFpgaImageSize + 1);
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    const auto got = static_cast<std::size_t>(in.gcount());
    if (in.bad()) {
        result.error = path.string() + ": the FPGA image file cannot be read.";
        return result;
    }
    if (got != kFpgaImageSize) {
        result.error =
            path.string() + ": the FPGA image must be exactly " + std::to_string(kFpgaImageSize) +
            " bytes long" +
            (got > kFpgaImageSize ? " (the file is longer)."
                                  : " (the file has " + std::to_string(got) + " bytes).");
        return result;
    }
    bytes.resize(kFpgaImageSize);
    result.bytes = std::move(bytes);
    return result;
}

FpgaImage findFpgaImage(const std::filesystem::path& explicitPath,
                        const std::filesystem::path& exeDir) {
    if (!explicitPath.empty())
        return readFpgaImageFile(explicitPath);
    if (!exeDir.empty()) {
        const std::filesystem::path beside = exeDir / kFpgaImageFileName;
        std::error_code ec;
        if (std::filesystem::exists(beside, ec))
            return readFpgaImageFile(beside);
    }
    FpgaImage result;
    result.bytes = placeholderFpgaImage();
    return result;
}

std::filesystem::path executableDir() {
    std::error_code ec;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::filesystem::path{} : exe.parent_path();
}

} // namespace qs40
