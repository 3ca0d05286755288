// The recorder file: raw bytes appended for hours. It is written in place, not through a
// temporary file, so that whatever a long recording has received is on disk when it ends
// unexpectedly. Every write is checked; the count is of the bytes the file really took.
#pragma once

#include "os/unique_fd.h"

#include <cstdint>
#include <span>
#include <string>

namespace qs40 {

class RecorderFile {
public:
    // Creates the file, or empties an existing one. False with error() set when it cannot be
    // opened for writing.
    bool open(const std::string& path);
    // Appends all the bytes; false with error() set when some did not reach the file (a full
    // disk, a file-size limit): what was written of them still counts, and the file stays
    // open so that the caller decides when to close it.
    bool write(std::span<const std::uint8_t> bytes);
    // Flushes the file to the disk and closes it; false with error() set when that failed.
    // Harmless when nothing is open.
    bool close();

    bool isOpen() const { return fd_.valid(); }
    std::uint64_t bytesWritten() const { return written_; }
    int error() const { return error_; } // errno of the last failure; 0 when none

private:
    UniqueFd fd_;
    std::uint64_t written_ = 0;
    int error_ = 0;
};

} // namespace qs40
