// Writes a user's file so that a failure never leaves it half-written: the bytes go to a
// temporary file in the same folder, which replaces the old file only once it is complete.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace qs40 {

// Where a write failed, which decides how it is told.
enum class FileWriteFailure {
    None,
    Open,      // the file could not be opened for writing (or its replacement made or put in place)
    Write,     // it was opened, but the bytes did not reach it (a full disk)
    Abandoned, // the producer gave up
};

struct FileWriteResult {
    bool ok = false;
    int error = 0; // errno of the step that failed; 0 when ok or when the producer gave up
    // The system's text for the error ("No space left on device"), or a short reason.
    std::string message;
    FileWriteFailure failure = FileWriteFailure::None;
};

// Receives the next bytes; false when they could not be written.
using ByteSink = std::function<bool(std::string_view)>;
// Emits the whole content through the sink; false abandons the write.
using ByteProducer = std::function<bool(const ByteSink&)>;

// Writes what `produce` emits to a temporary file beside `path`, flushes it to the disk and
// renames it over `path`. On any failure the temporary file is removed and `path` keeps its
// old content (or stays absent). A replaced file keeps its permission bits, and a file that may
// not be written is not replaced. A symbolic link is followed, so the file it names is replaced
// (or, for a dangling link, created) and the link stays. Something at `path` that is not a
// regular file (a device, a named pipe) is written directly and never replaced; a named pipe
// that nobody reads fails at once instead of waiting.
FileWriteResult writeFileReplacing(const std::string& path, const ByteProducer& produce);
FileWriteResult writeFileReplacing(const std::string& path, std::string_view content);

// The steps of a write, in order. A replacement passes them all; a direct write only Opened
// and Written.
enum class FileWriteStep {
    Opened,   // the temporary file (or the special file) is open
    Written,  // every byte is written
    Synced,   // the temporary file is on the disk
    Replaced, // the temporary file has taken the target's place
    Done,     // the folder entry is on the disk too
};

// Called after each step with the path given to writeFileReplacing. A hook that throws stops
// the write there as an error would; one that ends the process stops it as a kill would.
using FileWriteStepHook = std::function<void(const std::string& path, FileWriteStep step)>;

// Installs a hook for the writes of the current thread while it lives; tests use it to stop a
// save at every step.
class ScopedFileWriteStepHook {
public:
    explicit ScopedFileWriteStepHook(FileWriteStepHook hook);
    ~ScopedFileWriteStepHook();
    ScopedFileWriteStepHook(const ScopedFileWriteStepHook&) = delete;
    ScopedFileWriteStepHook& operator=(const ScopedFileWriteStepHook&) = delete;

private:
    FileWriteStepHook previous_;
};

} // namespace qs40
