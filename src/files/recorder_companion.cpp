#include "files/recorder_companion.h"

#include "files/recorder_info.h"
#include "files/recorder_texts.h"

#include <filesystem>

namespace qs40 {

std::string companionPathOf(const std::string& recorderPath) {
    std::filesystem::path p(recorderPath);
    p.replace_extension(".txt");
    return p.string();
}

std::string companionText(const std::string& recorderPath,
                          const std::vector<std::string>& infoLines, std::uint64_t bytes,
                          std::chrono::system_clock::duration elapsed, bool russian) {
    const RecorderTexts& t = recorderTexts(russian);
    constexpr const char* kEnd = "\r\n";
    std::string text;
    text += t.companionFileLine + std::filesystem::path(recorderPath).filename().string() + kEnd;
    text += kEnd;
    for (const std::string& line : infoLines)
        text += line + kEnd;
    text += t.companionSize + std::to_string(bytes) + t.bytesSuffix + kEnd;
    text += t.companionTime + elapsedText(elapsed) + kEnd;
    return text;
}

} // namespace qs40
