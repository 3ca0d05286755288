// The companion text file of a recording: where it is and what it says.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace qs40 {

// The recorder file's path with its extension replaced by ".txt" (added when it has none).
std::string companionPathOf(const std::string& recorderPath);

// The companion's content, every line ended by CR LF: the recorder file's name without its
// folder, an empty line, the information lines, the byte count and the elapsed time.
std::string companionText(const std::string& recorderPath,
                          const std::vector<std::string>& infoLines, std::uint64_t bytes,
                          std::chrono::system_clock::duration elapsed, bool russian);

} // namespace qs40
