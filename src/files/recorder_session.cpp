#include "files/recorder_session.h"

#include "files/file_box_texts.h"
#include "files/file_replace.h"
#include "files/recorder_companion.h"
#include "files/recorder_texts.h"

#include <filesystem>
#include <system_error>

namespace qs40 {
namespace {

bool exists(const std::string& path) {
    std::error_code ec;
    return std::filesystem::exists(std::filesystem::symlink_status(path, ec)) && !ec;
}

} // namespace

RecorderSession::RecorderSession(RecorderHandover& handover, Ui& ui, RecorderSettings settings)
    : handover_(handover), ui_(ui), settings_(std::move(settings)) {
    reset();
}

RecorderSession::~RecorderSession() {
    if (!recording_)
        return;
    takeReceived();
    finish(writeFailed_ ? RecorderEnd::WriteFailed : RecorderEnd::Stopped, false);
}

void RecorderSession::takeReceived() {
    // What the decoder handed over since the last callback was received: it belongs in the file.
    if (!writeFailed_)
        handover_.takePending(writer());
}

void RecorderSession::reset() {
    recorded_ = false;
    start_ = end_ = settings_.now();
}

void RecorderSession::rebuildInfo(const RecorderFrameFacts& facts) {
    facts_ = facts;
    lines_ = recorderInfoLines(facts, settings_.russian, settings_.decimalSeparator);
}

bool RecorderSession::start(const std::string& path, const RecorderFrameFacts& facts) {
    if (recording_)
        return false;
    const RecorderTexts& t = recorderTexts(settings_.russian);
    if (settings_.askBeforeReplacing && exists(path) &&
        ui_.messageBox(t.fileCaption, replaceExistingText(path, settings_.russian),
                       BoxIcon::Exclamation, BoxButtons::YesNo) != BoxAnswer::Yes)
        return false;
    if (!file_.open(path)) {
        ui_.messageBox(t.fileCaption,
                       cantWriteText(path, settings_.russian) + "\r\n" +
                           systemReason(file_.error()),
                       BoxIcon::Stop, BoxButtons::Ok);
        return false;
    }
    path_ = path;
    writeFailed_ = false;
    writeError_ = 0;
    companionWritten_ = false;
    lastEnd_.reset();
    handover_.setOn(true);
    recording_ = true;
    recorded_ = true;
    start_ = end_ = settings_.now();
    rebuildInfo(facts);
    lines_.push_back(t.startRecording + settings_.dateTimeText(start_));
    return true;
}

void RecorderSession::write(std::span<const std::uint8_t> bytes) {
    if (!recording_ || writeFailed_ || bytes.empty())
        return;
    if (file_.write(bytes))
        return;
    // Nothing more is handed over; the box and the companion wait for the next tick.
    handover_.setOn(false);
    writeFailed_ = true;
    writeError_ = file_.error();
}

void RecorderSession::tick() {
    if (!recording_)
        return;
    end_ = settings_.now();
    if (writeFailed_)
        endAfterWriteFailure();
}

void RecorderSession::endAfterWriteFailure() {
    finish(RecorderEnd::WriteFailed, true);
    const RecorderTexts& t = recorderTexts(settings_.russian);
    ui_.messageBox(t.fileCaption,
                   cantWriteText(path_, settings_.russian) + "\r\n" + systemReason(writeError_),
                   BoxIcon::Stop, BoxButtons::Ok);
}

void RecorderSession::stop(RecorderEnd why) {
    if (!recording_)
        return;
    takeReceived();
    if (writeFailed_) {
        endAfterWriteFailure(); // the failure is what ended it, and it is told as such
        return;
    }
    finish(why, true);
}

bool RecorderSession::askToStop() {
    if (!recording_)
        return true;
    const RecorderTexts& t = recorderTexts(settings_.russian);
    if (ui_.messageBox(t.warningCaption, t.stopQuestion, BoxIcon::Exclamation, BoxButtons::YesNo) !=
        BoxAnswer::Yes)
        return !recording_; // a write may have failed while the question was open
    stop();
    return true;
}

void RecorderSession::finish(RecorderEnd why, bool askQuestions) {
    handover_.setOn(false);
    recording_ = false;
    end_ = settings_.now();
    if (!file_.close() && why == RecorderEnd::Stopped) {
        why = RecorderEnd::WriteFailed;
        writeError_ = file_.error();
    }
    lastEnd_ = why;
    const RecorderTexts& t = recorderTexts(settings_.russian);
    lines_.push_back(t.stopRecording + settings_.dateTimeText(end_));
    if (why != RecorderEnd::Stopped)
        lines_.push_back(t.endedBy + std::string(reasonText(why)));
    companionWritten_ = writeCompanion(askQuestions);
}

bool RecorderSession::writeCompanion(bool askQuestions) {
    const RecorderTexts& t = recorderTexts(settings_.russian);
    const std::string name = companionPathOf(path_);
    if (askQuestions && settings_.askBeforeReplacing && exists(name) &&
        ui_.messageBox(t.companionCaption, replaceExistingText(name, settings_.russian),
                       BoxIcon::Exclamation, BoxButtons::YesNo) != BoxAnswer::Yes)
        return false;
    const FileWriteResult result = writeFileReplacing(
        name, companionText(path_, lines_, bytes(), elapsed(), settings_.russian));
    if (!result.ok && askQuestions)
        ui_.messageBox(t.companionCaption,
                       cantWriteText(name, settings_.russian) + "\r\n" + result.message,
                       BoxIcon::Stop, BoxButtons::Ok);
    return result.ok;
}

const char* RecorderSession::reasonText(RecorderEnd why) const {
    const RecorderTexts& t = recorderTexts(settings_.russian);
    switch (why) {
    case RecorderEnd::Stopped:
        break;
    case RecorderEnd::WriteFailed:
        return t.writeFailed;
    case RecorderEnd::ConnectionLost:
        return t.connectionLost;
    case RecorderEnd::FpgaFailure:
        return t.fpgaFailure;
    case RecorderEnd::PowerFailure:
        return t.powerFailure;
    case RecorderEnd::ConfigurationLost:
        return t.configurationLost;
    }
    return "";
}

std::string RecorderSession::sizeLabel() const {
    return recorderSizeLabel(recorded_, bytes(), elapsed(), settings_.russian);
}

std::optional<RecorderEnd> recorderEndOf(const LinkState& link) {
    if (link.raised(LinkFault::ConnectionLost))
        return RecorderEnd::ConnectionLost;
    if (link.raised(LinkFault::PowerFailure))
        return RecorderEnd::PowerFailure;
    if (link.raised(LinkFault::FpgaConfigurationLost))
        return RecorderEnd::ConfigurationLost;
    if (link.raised(LinkFault::FpgaConfigurationFailure))
        return RecorderEnd::FpgaFailure;
    return std::nullopt;
}

} // namespace qs40
