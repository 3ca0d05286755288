// A recorder file turned into what other tools read: a sigrok session, or a CSV table of time
// and volts.
#pragma once

#include "files/file_replace.h"
#include "files/recording_reader.h"
#include "files/sigrok_session.h"

#include <string>
#include <string_view>

namespace qs40 {

// Whole positions in the recorder's bytes; a pair cut short at the end is left out.
std::size_t recordingPositions(std::string_view bytes, const RecordingDescription& d);

// 1 / time step, to the nearest hertz.
std::uint64_t recordingSampleRate(const RecordingDescription& d);

// A1 in volts ("A1_min" and "A1_max" with peak detection).
SigrokSession recordingSession(std::string_view bytes, const RecordingDescription& d);

// CSV with a header line and CR LF line ends: "time_s,A1_V" (or "time_s,A1_min_V,A1_max_V"),
// then one line per position, time from 0 in seconds; numbers with a point whatever the locale.
// The producer emits it in blocks, so a long recording is never held as text; `bytes` must
// outlive it.
ByteProducer recordingCsv(std::string_view bytes, const RecordingDescription& d);

} // namespace qs40
