#include "files/config_read.h"

#include "files/file_read.h"

#include <algorithm>
#include <string_view>

namespace qs40 {
namespace {

constexpr std::string_view kKnownSections[] = {"System",    "Common",    "Scope",  "Trigger",
                                               "Calibrate", "Generator", "FFT_A1", "FFT_A2",
                                               "FFT",       "Colors"};

ConfigReadResult withStatus(ConfigReadStatus status, int error, ConfigProblem problem) {
    ConfigReadResult r;
    r.status = status;
    r.error = error;
    r.problem = problem;
    return r;
}

// Blanks as the INI layer trims them: nothing else in the file means an empty file.
bool isBlank(std::string_view bytes) {
    return std::all_of(bytes.begin(), bytes.end(),
                       [](char c) { return static_cast<unsigned char>(c) <= 0x20; });
}

bool hasKnownSection(const IniFile& ini) {
    return std::any_of(std::begin(kKnownSections), std::end(kKnownSections),
                       [&ini](std::string_view s) { return ini.hasSection(s); });
}

ConfigReadResult judge(const std::string& bytes, const IniFile& ini) {
    if (bytes.size() > IniFile::kMaxFileSize)
        return withStatus(ConfigReadStatus::Unusable, 0, ConfigProblem::TooLarge);
    if (bytes.find('\0') != std::string::npos)
        return withStatus(ConfigReadStatus::Unusable, 0, ConfigProblem::NotText);
    if (!isBlank(bytes) && !hasKnownSection(ini))
        return withStatus(ConfigReadStatus::Unusable, 0, ConfigProblem::NoKnownSection);
    return {};
}

} // namespace

ConfigDocument loadConfigurationDocument(const std::filesystem::path& path) {
    // One byte beyond the limit tells a file that is too long.
    const FileRead file = readFilePrefix(path, IniFile::kMaxFileSize + 1);
    ConfigDocument document;
    switch (file.status) {
    case FileReadStatus::Missing:
        document.result = withStatus(ConfigReadStatus::Missing, file.error, ConfigProblem::None);
        return document;
    case FileReadStatus::Failed:
        document.result = withStatus(ConfigReadStatus::Unreadable, file.error, ConfigProblem::None);
        return document;
    case FileReadStatus::NotRegularFile:
        document.result =
            withStatus(ConfigReadStatus::Unreadable, 0, ConfigProblem::NotRegularFile);
        return document;
    case FileReadStatus::Read:
        break;
    }
    document.ini = IniFile::parse(file.bytes);
    document.result = judge(file.bytes, document.ini);
    return document;
}

} // namespace qs40
