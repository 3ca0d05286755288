// Message-box texts that every file command shares, in both languages. A text about a file is
// the file's name followed by "\r\n" and the sentence.
#pragma once

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

} // namespace qs40
