// Writes a user's file so that a failure never leaves it half-written: the bytes go to a
// temporary file in the same folder, which replaces the old file only once it is complete.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace qs40 {

struct FileWriteResult {
    bool ok = false;
    int error = 0; // errno of the step that failed; 0 when ok or when the producer gave up
    // The system's text for the error ("No space left on device"), or a short reason.
    std::string message;
};

// Receives the next bytes; false when they could not be written.
using ByteSink = std::function<bool(std::string_view)>;
// Emits the whole content through the sink; false abandons the write.
using ByteProducer = std::function<bool(const ByteSink&)>;

// Writes what `produce` emits to a temporary file beside `path`, flushes it to the disk and
// renames it over `path`. On any failure the temporary file is removed and `path` keeps its
// old content (or stays absent). A replaced file keeps its permission bits; a symbolic link is
// followed, so the file it names is replaced and the link stays.
FileWriteResult writeFileReplacing(const std::string& path, const ByteProducer& produce);
FileWriteResult writeFileReplacing(const std::string& path, std::string_view content);

} // namespace qs40
