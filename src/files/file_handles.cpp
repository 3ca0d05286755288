#include "files/file_handles.h"

#include <unistd.h>

namespace qs40 {

UniqueFile openFile(const std::string& path, const char* mode) {
    return UniqueFile(std::fopen(path.c_str(), mode));
}

FileRemover::~FileRemover() {
    if (armed_)
        ::unlink(path_.c_str());
}

} // namespace qs40
