// The sigrok session export: the current frame as a ".sr" file that sigrok-cli and PulseView
// open, analog inputs in volts and logic inputs as probes.
#pragma once

#include "files/export_common.h"
#include "files/sigrok_session.h"

namespace qs40 {

// True when the frame has samples, channels and a sample interval.
bool hasSigrokExportData(const FrameHeader& header);

// The frame's channels up to the first missing sample: A1 and A2 in volts, D1 and D2 as
// probes; with peak detection each channel becomes a "_min" and a "_max" channel (first and
// second series). Names follow the capability bits of `deviceTypeCode` as the text export's
// columns do.
SigrokSession frameSigrokSession(const FrameData& frame, std::int32_t deviceTypeCode);

// File, Export, "sigrok session...".
ExportResult exportSigrok(ExportContext& context);

} // namespace qs40
