// Message-box texts that every file command shares, in both languages. A text about a file is
// the file's name followed by "\r\n" and the sentence; when the system gave a reason for a
// failure ("No space left on device", "Permission denied"), it follows on a line of its own.
#pragma once

#include "files/file_read.h"
#include "files/file_replace.h"

#include <string>

namespace qs40 {

// name + "\r\nCan't open file for writing."
std::string cantWriteText(const std::string& name, bool russian);
// name + "\r\nFile not found."
std::string fileNotFoundText(const std::string& name, bool russian);
// The question before an existing file is replaced.
std::string replaceExistingText(const std::string& name, bool russian);
// "No data for writing."
std::string noDataText(bool russian);

// The system's text for an errno value.
std::string systemReason(int error);
// The reason given for a device, a named pipe or a socket where a file was expected.
std::string notRegularFileReason(bool russian);

// Why a file could not be read, as a box says it: "File not found." and the reason for a file
// that is not there; for one that is there but cannot be read (a folder, a named pipe, a
// device, no permission) the name and the reason alone, since no sentence of ours fits.
std::string readFailureText(const std::string& name, FileReadStatus status, int error,
                            bool russian);
// The lines of that text after the name.
std::string readFailureLines(FileReadStatus status, int error, bool russian);
// The same for an OpenedFile, OpenedStream or FileRead that did not succeed.
template <typename Outcome>
std::string readFailureText(const std::string& name, const Outcome& outcome, bool russian) {
    return readFailureText(name, outcome.status, outcome.error, russian);
}

// Why a file was not written: "Can't open file for writing." and the reason when it could not
// be opened; the name and the reason alone when it was opened but the bytes did not reach it
// (a full disk), as the platform's own error box says it.
std::string writeFailureText(const std::string& name, const FileWriteResult& result, bool russian);

} // namespace qs40
