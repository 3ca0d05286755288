#include "files/file_handles.h"

#include <cstdio>
#include <unistd.h>

namespace qs40 {

UniqueFile openFile(const std::string& path, const char* mode) {
    return UniqueFile(std::fopen(path.c_str(), mode));
}

UniqueFile streamOf(UniqueFd fd, const char* mode) {
    UniqueFile file(::fdopen(fd.get(), mode));
    if (file)
        fd.release(); // the stream closes it now
    return file;
}

FileRemover::~FileRemover() {
    if (armed_)
        ::unlink(path_.c_str());
}

} // namespace qs40
