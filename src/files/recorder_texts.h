// The recorder's texts in both languages (UTF-8): its window, its information lines, its boxes
// and its companion text file.
#pragma once

#include <string>

namespace qs40 {

struct RecorderTexts {
    const char* title;
    const char* fileButton;
    const char* startButton;
    const char* stopButton;
    const char* exitButton;
    const char* sizeUnknown; // the size label before anything was recorded
    // Information lines.
    const char* samplingRate;
    const char* peakOn;
    const char* peakOff;
    const char* writeSpeed;
    const char* megabytesPerHour;
    const char* timeStep;
    const char* voltageStep;
    const char* zeroLevel;
    const char* notReady;
    const char* startRecording;
    const char* stopRecording;
    const char* endedBy; // followed by why a recording ended by itself
    // The file dialog and the boxes about the recorder file.
    const char* fileCaption;
    const char* fileFilter;
    const char* warningCaption;
    const char* stopQuestion;
    // The size label.
    const char* sizePrefix;
    const char* bytesSuffix;
    const char* timeInfix;
    // The companion text file.
    const char* companionCaption;
    const char* companionFileLine;
    const char* companionSize;
    const char* companionTime;
    // The refusal of the menu command.
    const char* refusalCaption;
    const char* refusalText;
    // Why a recording ended by itself.
    const char* writeFailed;
    const char* connectionLost;
    const char* fpgaFailure;
    const char* powerFailure;
    const char* configurationLost;
};

const RecorderTexts& recorderTexts(bool russian);

} // namespace qs40
