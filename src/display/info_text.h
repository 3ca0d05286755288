// The info text: scales, trigger, left-edge time, sample rate, frequency meter, marker
// readings, automatic measurements and the diagnostic line, drawn in the border rows above and
// below the plot after the border and the plot frame.
#pragma once

#include "display/canvas.h"
#include "display/info_readings.h"
#include "display/plot_geometry.h"
#include "scope/acquisition_params.h"
#include "scope/scope_state.h"

#include <cstdint>
#include <string_view>

namespace qs40 {

// What the info text reads during one drawing pass.
struct InfoTextInput {
    const ScopeState& state; // settings, colours; the supply voltage of the last status packet
    const AcquisitionParams& params; // time and volts per division, effective trigger count
    const HeaderFields& header;      // the current frame's header
    const PlotGeometry& geometry;
    // FFT state of this pass: 0 none, 1 / 2 spectrum of A1 / A2 drawn, 3..5 spectrum asked
    // for but not possible.
    int fftState = 0;
    // Results of the last spectrum, read in FFT states 1 and 2 only.
    bool spectrumValid = false;
    int referenceLevel = 0;   // dB at the plot's top edge
    double peakLevel = 0;     // dBV or dBm
    double peakFrequency = 0; // fraction of half the sample rate
    // Counted over the last second.
    int framesDrawn = 0;
    int framesDecoded = 0;
    int checksumErrors = 0;
    int scrollPosition = 0;                  // sample index at the plot's left edge
    std::string_view decimalSeparator = "."; // the locale's
};

void drawInfoText(Canvas& canvas, const InfoTextInput& in);

} // namespace qs40
