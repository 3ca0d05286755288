// Owners of what the file layer opens and creates, so that every way out of a function (an
// early return on an error, an exception) releases it: a descriptor is closed, a stream is
// closed and a file made on the way to a result that did not come is removed.
#pragma once

#include <cstdio>
#include <memory>
#include <string>

namespace qs40 {

// An open file descriptor; the destructor closes it.
class UniqueFd {
public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : fd_(fd) {}
    ~UniqueFd() { reset(); }
    UniqueFd(UniqueFd&& other) noexcept : fd_(other.release()) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept;
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;

    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    int release();
    // Closes it now, ignoring the outcome (a descriptor only read from).
    void reset();
    // Closes it now; false, with errno set, when the close failed: written bytes may not have
    // reached the file.
    bool close();

private:
    int fd_ = -1;
};

struct StdioCloser {
    void operator()(std::FILE* file) const noexcept { std::fclose(file); }
};
// A stdio stream; the destructor closes it.
using UniqueFile = std::unique_ptr<std::FILE, StdioCloser>;

// std::fopen, owned; null when it fails.
UniqueFile openFile(const std::string& path, const char* mode);

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
