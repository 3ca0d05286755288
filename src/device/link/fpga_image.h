// The FPGA configuration image the host uploads at every connection. The instrument maker's image
// is not part of this program: a placeholder of the right length is built in, and a real image is
// taken from a file when the user has one, named on the command line or placed beside the
// executable as "zr40-fpga.bin".
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace qs40 {

inline constexpr std::size_t kFpgaImageSize = 101928;
inline constexpr const char* kFpgaImageFileName = "zr40-fpga.bin";

// The built-in placeholder: kFpgaImageSize bytes, the same on every call.
const std::vector<std::uint8_t>& placeholderFpgaImage();

struct FpgaImage {
    std::vector<std::uint8_t> bytes; // empty when error is set
    std::filesystem::path source;    // empty for the placeholder
    std::string error;               // a sentence for the user; empty on success
    bool ok() const { return error.empty(); }
};

// Reads an image file; a file that cannot be read or has another length than kFpgaImageSize is
// refused with an error naming the file.
FpgaImage readFpgaImageFile(const std::filesystem::path& path);

// The image to upload: the explicit path when given (refused if unusable, never silently
// replaced), else kFpgaImageFileName in exeDir when that file exists, else the placeholder.
FpgaImage findFpgaImage(const std::filesystem::path& explicitPath,
                        const std::filesystem::path& exeDir);

// The folder of the running executable (empty if it cannot be found).
std::filesystem::path executableDir();

} // namespace qs40
