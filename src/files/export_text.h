// The text export: the current frame as a tab-separated table with CR LF line ends.
#pragma once

#include "files/export_common.h"

namespace qs40 {

// True when the frame has samples (field 8) and at least one channel (field 18).
bool hasTextExportData(const FrameHeader& header);

// The whole table. Column and step labels follow the capability bits of `deviceTypeCode`
// ("A" and "D" when the instrument has no second channel of the kind); the values come from
// the frame's own header and series, printed as stored.
std::string buildTextTable(const FrameData& frame, std::int32_t deviceTypeCode,
                           std::string_view decimalSeparator);

// Menu_Text.
ExportResult exportText(ExportContext& context);

} // namespace qs40
