// Owners of what the file layer opens and creates, so that every way out of a function (an
// early return on an error, an exception) releases it: a descriptor is closed, a stream is
// closed and a file made on the way to a result that did not come is removed.
#pragma once

#include "os/unique_fd.h"

#include <cstdio>
#include <memory>
#include <string>

namespace qs40 {

struct StdioCloser {
    void operator()(std::FILE* file) const noexcept { std::fclose(file); }
};
// A stdio stream; the destructor closes it.
using UniqueFile = std::unique_ptr<std::FILE, StdioCloser>;

// std::fopen, owned; null when it fails.
UniqueFile openFile(const std::string& path, const char* mode);
// A stream over a descriptor that is already open; null (the descriptor closed) when it fails.
UniqueFile streamOf(UniqueFd fd, const char* mode);

// Removes the file at the end of its scope unless keep() was called.
class FileRemover {
public:
    explicit FileRemover(std::string path) : path_(std::move(path)) {}
    ~FileRemover();
    FileRemover(const FileRemover&) = delete;
    FileRemover& operator=(const FileRemover&) = delete;

    void keep() { armed_ = false; }

private:
    std::string path_;
    bool armed_ = true;
};

} // namespace qs40
