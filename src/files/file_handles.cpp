#include "files/file_handles.h"

#include <unistd.h>
#include <utility>

namespace qs40 {

UniqueFd& UniqueFd::operator=(UniqueFd&& other) noexcept {
    if (this != &other) {
        reset();
        fd_ = other.release();
    }
    return *this;
}

int UniqueFd::release() {
    return std::exchange(fd_, -1);
}

void UniqueFd::reset() {
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
}

bool UniqueFd::close() {
    const int fd = release();
    return fd < 0 || ::close(fd) == 0;
}

UniqueFile openFile(const std::string& path, const char* mode) {
    return UniqueFile(std::fopen(path.c_str(), mode));
}

FileRemover::~FileRemover() {
    if (armed_)
        ::unlink(path_.c_str());
}

} // namespace qs40
