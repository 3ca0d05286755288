// Reading a small file whole, saying what happened: the configuration must tell a file that is
// not there from one that is there but cannot be read.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>

namespace qs40 {

enum class FileReadStatus {
    Read,           // bytes holds the file (at most the limit)
    Missing,        // nothing at the path, or a path through something that is not a folder
    Failed,         // there, but it cannot be opened or read (a folder gives EISDIR)
    NotRegularFile, // a device, a named pipe or a socket: not read
};

struct FileRead {
    FileReadStatus status = FileReadStatus::Read;
    int error = 0; // errno for Missing and Failed
    std::string bytes;
};

// Reads at most `limit` bytes of a regular file. The open does not wait for a named pipe.
FileRead readFilePrefix(const std::filesystem::path& path, std::size_t limit);

} // namespace qs40
