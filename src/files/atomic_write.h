// Replacing a user's file without ever leaving it half-written: the bytes go to a temporary file
// in the same folder, which is flushed to the disk and then renamed over the target. A failure
// at any point (disk full, no permission, the process killed) leaves the previous file as it was.
#pragma once

#include "files/file_replace.h"

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>

namespace qs40 {

// Writes bytes to path atomically: temporary file in the same folder, write, fsync, rename,
// fsync the folder. An existing file keeps its permission bits; a symbolic link is followed, so
// the file it points to is replaced and the link stays; a device or a named pipe is written in
// place (writeFileReplacing). On failure returns false, sets error to
// a sentence naming the file and, below it, the system's reason, and removes the temporary file.
bool writeFileAtomically(const std::filesystem::path& path, std::span<const std::uint8_t> bytes,
                         std::string& error);

// The sentence for a failed write: 'Cannot write file "path".' and the system's reason on the
// line below.
std::string fileWriteErrorMessage(const std::filesystem::path& path, const FileWriteResult& result);

// The same for text held in a string (bytes as they are).
bool writeFileAtomically(const std::filesystem::path& path, std::string_view text,
                         std::string& error);

} // namespace qs40
