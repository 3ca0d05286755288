// A plain-text account of a data file for the command-line front end: its header fields and
// how many samples each block holds, what is damaged in a file that still loads, or why the
// file is not a valid data file.
#pragma once

#include "files/data_file_format.h"

#include <string>

namespace qs40 {

struct DataFileDescription {
    bool valid = false;
    std::string text; // the account (lines ending in '\n'), or the reason the file is invalid
    bool damaged = false; // valid, but shorter than its header says or with impossible values
};

DataFileDescription describeDataFile(const std::string& path);
// The same for bytes from any input; `name` heads the account.
DataFileDescription describeDataFile(DataFileInput& input, const std::string& name);

} // namespace qs40
