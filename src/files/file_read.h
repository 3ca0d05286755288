// Opening and reading the user's files, saying what happened: a file that is not there is told
// from one that is there but cannot be read, and anything that is not a regular file (a named
// pipe, a device, a folder) is refused before it is opened, since opening a named pipe for
// reading waits for a writer and opening a device can act on it.
#pragma once

#include "files/file_handles.h"
#include "os/unique_fd.h"

#include <cstddef>
#include <filesystem>
#include <string>

namespace qs40 {

enum class FileReadStatus {
    Read,           // bytes holds the file (at most the limit)
    Missing,        // nothing at the path, or a path through something that is not a folder
    Failed,         // there, but it cannot be opened or read (a folder gives EISDIR)
    NotRegularFile, // a device, a named pipe or a socket: not opened
};

// A regular file opened for reading, or why not.
struct OpenedFile {
    FileReadStatus status = FileReadStatus::Read;
    int error = 0; // errno for Missing and Failed
    UniqueFd fd;
};

// Opens a regular file for reading (a symbolic link is followed). Anything else is refused
// without being opened: a folder as Failed with EISDIR, a device, a named pipe or a socket as
// NotRegularFile.
OpenedFile openRegularFile(const std::filesystem::path& path);

// The same as a binary stdio stream.
struct OpenedStream {
    FileReadStatus status = FileReadStatus::Read;
    int error = 0; // errno for Missing and Failed
    UniqueFile file;
};
OpenedStream openRegularFileStream(const std::filesystem::path& path);

struct FileRead {
    FileReadStatus status = FileReadStatus::Read;
    int error = 0; // errno for Missing and Failed
    std::string bytes;
};

// Reads at most `limit` bytes of a regular file, refusing others as openRegularFile does.
FileRead readFilePrefix(const std::filesystem::path& path, std::size_t limit);

} // namespace qs40
