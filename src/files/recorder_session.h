// One recorder, without its window: the state the window and the command line share. It turns
// the acquisition's recorder hand-over on and off, appends what the hand-over gives to the
// recorder file, keeps the information lines, the byte count and the times, and writes the
// companion text file when a recording ends.
//
// Everything runs on the thread that plays the GUI thread, the hand-over's writes included
// (they come from the synchronised callback). A write that fails ends the recording at once
// (nothing more is handed over) but is reported at the next tick(), outside the callback, so
// that no box is shown while the acquisition thread waits.
#pragma once

#include "device/acquisition/recorder_handover.h"
#include "device/link/link_state.h"
#include "files/recorder_file.h"
#include "files/recorder_info.h"
#include "scope/ui_port.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace qs40 {

// Why a recording ended.
enum class RecorderEnd {
    Stopped,           // Stop, a closed window, the end of a run of the command line
    WriteFailed,       // the file did not take the bytes (a full disk)
    ConnectionLost,    // error code 1
    FpgaFailure,       // error code 2
    PowerFailure,      // error code 3
    ConfigurationLost, // error code 4
};

// Why a recording ends when the link has failed: the first of the link's faults that is raised,
// none while the link is sound.
std::optional<RecorderEnd> recorderEndOf(const LinkState& link);

struct RecorderSettings {
    using TimePoint = std::chrono::system_clock::time_point;
    bool russian = false;
    std::string decimalSeparator = ".";
    // The window asks before an existing file is replaced; the command line replaces the file
    // it was told to write.
    bool askBeforeReplacing = true;
    std::function<TimePoint()> now = [] { return std::chrono::system_clock::now(); };
    std::function<std::string(TimePoint)> dateTimeText = localDateTimeText;
};

class RecorderSession {
public:
    using TimePoint = RecorderSettings::TimePoint;

    RecorderSession(RecorderHandover& handover, Ui& ui, RecorderSettings settings = {});
    // A recording still running ends quietly: the file is closed and its companion written.
    ~RecorderSession();
    RecorderSession(const RecorderSession&) = delete;
    RecorderSession& operator=(const RecorderSession&) = delete;

    void setLanguage(bool russian) { settings_.russian = russian; }
    bool russian() const { return settings_.russian; }

    // As the window shows: nothing recorded, byte count 0, start and end time now.
    void reset();
    // Another file was chosen: the size label goes back to "Size = ...".
    void fileChosen() { recorded_ = false; }
    // The information lines from the last frame's facts.
    void rebuildInfo(const RecorderFrameFacts& facts);
    // A frame has come, so a recording can start.
    bool ready() const { return facts_.sampleStep != 0; }

    // Asks before an existing file is replaced, creates the file and turns the hand-over on.
    // False (after its box) when the user declined or the file cannot be created.
    bool start(const std::string& path, const RecorderFrameFacts& facts);
    // The hand-over's writer.
    void write(std::span<const std::uint8_t> bytes);
    RecorderHandover::Writer writer() {
        return [this](std::span<const std::uint8_t> b) { write(b); };
    }
    // The timer: the end time follows the clock while recording; a failed write is reported
    // and its recording ended here.
    void tick();
    // Ends the recording: the hand-over off, the file closed, the stop line (and, for an end
    // the user did not ask for, its reason), the companion file. Nothing while not recording.
    void stop(RecorderEnd why = RecorderEnd::Stopped);
    // Stop and the window's close while recording: asks "Stop recording?" and stops on Yes.
    // True when no recording runs any more.
    bool askToStop();

    bool recording() const { return recording_; }
    bool recorded() const { return recorded_; }
    // The bytes the file took.
    std::uint64_t bytes() const { return file_.bytesWritten(); }
    std::chrono::system_clock::duration elapsed() const { return end_ - start_; }
    const std::vector<std::string>& infoLines() const { return lines_; }
    std::string sizeLabel() const;
    const std::string& path() const { return path_; }
    // How the last recording ended, once it has.
    std::optional<RecorderEnd> lastEnd() const { return lastEnd_; }
    // The companion of the last recording was written.
    bool companionWritten() const { return companionWritten_; }
    // errno of a failed write, 0 when none.
    int writeError() const { return writeError_; }

private:
    void takeReceived();
    void endAfterWriteFailure();
    void finish(RecorderEnd why, bool askQuestions);
    bool writeCompanion(bool askQuestions);
    const char* reasonText(RecorderEnd why) const;

    RecorderHandover& handover_;
    Ui& ui_;
    RecorderSettings settings_;
    RecorderFile file_;
    RecorderFrameFacts facts_;
    std::vector<std::string> lines_;
    std::string path_;
    TimePoint start_{};
    TimePoint end_{};
    bool recording_ = false;
    bool recorded_ = false;
    bool writeFailed_ = false; // a write failed; reported at the next tick
    int writeError_ = 0;
    std::optional<RecorderEnd> lastEnd_;
    bool companionWritten_ = false;
};

} // namespace qs40
