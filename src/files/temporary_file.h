// The temporary file of a file replacement: a new file beside the target, which takes the
// target's place by a rename once it is complete. Until then it is only a temporary file: the
// destructor closes it and removes it, whatever way the replacement ends.
#pragma once

#include "files/file_handles.h"

#include <string>

namespace qs40 {

class TemporaryFile {
public:
    // Creates a new, uniquely named file in the target's folder; see created() and error().
    explicit TemporaryFile(const std::string& target);
    ~TemporaryFile();
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    bool created() const { return owned_; }
    int error() const { return error_; } // errno of the creation or of the last failed step
    int fd() const { return fd_.get(); }
    const std::string& path() const { return path_; }

    // Closes the descriptor; false, with error() set, when the close failed.
    bool close();
    // Closes the file if it is open and renames it over the target; from then on the file is
    // the target and no longer removed. False, with error() set, on failure.
    bool commitTo(const std::string& target);

private:
    UniqueFd fd_;
    std::string path_;
    int error_ = 0;
    bool owned_ = false; // created here and not yet renamed: the destructor removes it
};

} // namespace qs40
