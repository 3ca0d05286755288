// Helpers of the qs40-cli tests: a scratch folder and whole-file reads and writes.
#pragma once

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>

namespace qs40::cli::testing {

class TempFolder {
public:
    TempFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "qs40_cli_XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr)
            throw std::runtime_error("mkdtemp failed");
        path_ = pattern;
    }
    ~TempFolder() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::string file(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

inline std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void writeFile(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

// A device node like /dev/full (every write fails with ENOSPC) at `path` when running as root,
// else the system's /dev/full, which only root could replace; empty when there is none.
inline std::string fullDevice(const std::string& path) {
    if (::geteuid() == 0)
        return ::mknod(path.c_str(), S_IFCHR | 0666, ::makedev(1, 7)) == 0 ? path : "";
    struct stat st {};
    return ::stat("/dev/full", &st) == 0 && S_ISCHR(st.st_mode) ? "/dev/full" : "";
}

inline bool isCharDevice(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 && S_ISCHR(st.st_mode);
}

// A configuration in English for a ZR4001 (variant code 31).
inline constexpr const char* kEnglishConfiguration =
    "[Common]\r\nRussian=0\r\n\r\n[System]\r\nDevice_Type_Code=31\r\n";

// Unpaced, so that a frame takes milliseconds; the clock is still the real one.
inline constexpr const char* kFastSim = "sim:pace=fast";

} // namespace qs40::cli::testing
