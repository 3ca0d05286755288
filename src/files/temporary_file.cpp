#include "files/temporary_file.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace qs40 {

TemporaryFile::TemporaryFile(const std::string& target) {
    static std::atomic<unsigned> counter{0};
    const auto slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? "" : target.substr(0, slash + 1);
    // Shortened so that the decorated name stays within the folder entry limit.
    const std::string name =
        (slash == std::string::npos ? target : target.substr(slash + 1)).substr(0, 200);
    for (int attempt = 0; attempt < 100; ++attempt) {
        path_ = folder + "." + name + ".tmp" + std::to_string(::getpid()) + "_" +
                std::to_string(counter.fetch_add(1));
        // 0666 lets the process umask decide, as for any newly created file.
        fd_ = UniqueFd(::open(path_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
        if (fd_.valid()) {
            owned_ = true;
            return;
        }
        error_ = errno;
        if (error_ != EEXIST)
            return;
    }
}

TemporaryFile::~TemporaryFile() {
    fd_.reset();
    if (owned_)
        ::unlink(path_.c_str());
}

bool TemporaryFile::close() {
    if (fd_.close())
        return true;
    error_ = errno;
    return false;
}

bool TemporaryFile::commitTo(const std::string& target) {
    if (fd_.valid() && !close())
        return false;
    if (std::rename(path_.c_str(), target.c_str()) != 0) {
        error_ = errno;
        return false;
    }
    owned_ = false;
    return true;
}

} // namespace qs40
