// qs40-cli convert: a recorder file, read with the companion text the recorder wrote beside it,
// as a sigrok session or a CSV table of time and volts.
#include "cli/cli_commands.h"
#include "cli/cli_ui.h"
#include "cli/exit_codes.h"
#include "files/file_box_texts.h"
#include "files/file_dialogs.h"
#include "files/file_read.h"
#include "files/file_replace.h"
#include "files/recording_convert.h"

namespace qs40::cli {
namespace {

// A companion is a screenful of lines; anything longer is not one.
constexpr std::size_t kCompanionLimit = 1 << 20;
// Over 100 hours at the fastest rate the recorder allows, with peak detection.
constexpr std::size_t kRecordingLimit = std::size_t{4} << 30;

int failure(std::ostream& err, int code, const std::string& reason) {
    err << "qs40-cli: " << oneLine(reason) << '\n';
    return code;
}

} // namespace

int runConvert(const CliOptions& o, std::ostream& out, std::ostream& err) {
    const std::string companion = withExtension(o.recordingFile, ".txt");
    const FileRead text = readFilePrefix(companion, kCompanionLimit);
    if (text.status != FileReadStatus::Read)
        return failure(err, kExitBadInput,
                       "cannot read the recorder's text " +
                           readFailureText(companion, text, false));
    const RecordingDescriptionRead read = parseRecordingCompanion(text.bytes);
    if (!read.description)
        return failure(err, kExitBadInput, companion + ": not a recorder's text: " + read.problem);
    const RecordingDescription& d = *read.description;

    const FileRead samples = readFilePrefix(o.recordingFile, kRecordingLimit);
    if (samples.status != FileReadStatus::Read)
        return failure(err, kExitBadInput, readFailureText(o.recordingFile, samples, false));
    if (samples.bytes.size() >= kRecordingLimit)
        return failure(err, kExitBadInput, o.recordingFile + ": too long to convert");

    FileWriteResult written;
    if (convertedFormat(o.convertedFile) == ConvertedFormat::SigrokSession) {
        const SigrokEncoding encoded = encodeSigrokSession(recordingSession(samples.bytes, d));
        if (!encoded.ok)
            return failure(err, kExitWrite, o.convertedFile + " was not written: " + encoded.error);
        written = writeFileReplacing(o.convertedFile, encoded.bytes);
    } else {
        written = writeFileReplacing(o.convertedFile, recordingCsv(samples.bytes, d));
    }
    if (!written.ok)
        return failure(err, kExitWrite, writeFailureText(o.convertedFile, written, false));
    out << "Wrote " << o.convertedFile << ": " << recordingPositions(samples.bytes, d)
        << (d.bytesPerSample == 2 ? " (min, max) pairs" : " samples") << " at "
        << recordingSampleRate(d) << " Hz\n";
    return kExitOk;
}

} // namespace qs40::cli
