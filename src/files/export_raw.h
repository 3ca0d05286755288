// The raw channel export: one channel's samples as bytes, with a companion text file that says
// how to read them.
#pragma once

#include "files/export_common.h"

namespace qs40 {

enum class RawChannel : int { A1 = 0, A2 = 1, D1 = 2, D2 = 3 };

// True when the frame has samples (field 8) and the channel (field 18).
bool hasRawExportData(const FrameHeader& header, RawChannel channel);

// The channel's samples from index 0 up to the first missing one: one byte each, or
// (first, second) byte pairs with peak detection, where a missing second entry ends the bytes
// after that index's first byte.
std::string buildRawChannelBytes(const FrameData& frame, RawChannel channel);

// The companion text for the binary file named `binaryName` (without folder).
std::string buildRawCompanionText(const FrameHeader& header, RawChannel channel,
                                  const std::string& binaryName, std::string_view decimalSeparator);

// "Save Row Binary (CH A1)" and its Russian form; the label follows the capability bits.
std::string rawDialogTitle(RawChannel channel, std::int32_t deviceTypeCode, bool russian);

// Menu_EBin_A1 .. Menu_EBin_D2.
ExportResult exportRawChannel(ExportContext& context, RawChannel channel);

} // namespace qs40
