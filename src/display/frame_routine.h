// The per-frame routine: turns the newest frame (and the background oscillogram, when kept) into
// the whole picture of the plot on a canvas, and tells the window what it shows besides: the
// caption, the position bar, the spectrum menu items, the generator read-out and the colour
// swatches. It runs on the GUI thread inside the acquisition thread's synchronised callback (or
// after a settings change); the caller holds the frame sets' lock. It shows no box: the check
// of the frame's variant (checkFrameVariant), which may ask, comes first, without the lock.
#pragma once

#include "display/canvas.h"
#include "display/color_swatches.h"
#include "display/generator_readout.h"
#include "display/mouse_logic.h"
#include "display/plot_geometry.h"
#include "display/plot_marks.h"
#include "display/spectrum.h"
#include "display/info_readings.h"
#include "display/trace_drawer.h"
#include "scope/acquisition_params.h"
#include "scope/frame.h"
#include "scope/scope_state.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace qs40 {

// What spectrum is shown this pass.
enum FftState : int {
    kFftNone = 0,
    kFftA1 = 1,            // spectrum of A1 drawn
    kFftA2 = 2,            // spectrum of A2 drawn
    kFftA1Unavailable = 3, // A1 asked for: fewer than 128 valid samples or no A1 data
    kFftA2Unavailable = 4, // A2 asked for: the same for A2
    kFftPeakDetection = 5, // asked for on a frame taken with peak detection
};

struct FrameInput {
    // Settings and colours. The routine unchecks FFT_A1.View / FFT_A2.View of a channel that
    // is off.
    ScopeState& state;
    const AcquisitionParams& params; // time and volts per division, draw mode, trigger count
    const FrameSets& frames;         // current and background; the caller holds the lock
    const PlotGeometry& geometry;
    Spectrum& spectrum;          // kept between calls: the info text reads its results
    ActivityIndicator& activity; // the synchronised callback draws it between frames too
    int scrollPosition = 0;      // ScrollBar_X_POS: the sample at the plot's left edge
    bool running = false;
    bool single = false;
    bool frameMark = false;  // a frame was decoded since the last call
    bool statusMark = false; // a status packet arrived since the last call
    // Counted over the last second.
    int framesDrawn = 0;
    int framesDecoded = 0;
    int checksumErrors = 0;
    DragTarget dragTarget = DragTarget::None; // a dragged trigger level shows its line
    std::string_view decimalSeparator = ".";
    ColorRef buttonFace = 0xF0F0F0; // the toolkit's default control colour
};

// The spectrum menu items as the window must show them.
struct FftMenuView {
    bool a1Enabled = false;
    bool a1Checked = false;
    bool a2Enabled = false;
    bool a2Checked = false;
};

struct FrameOutput {
    std::string caption;
    // ScrollBar_X_POS.
    int scrollMin = 0;
    int scrollMax = 0;
    int scrollPosition = 0;
    int fftState = kFftNone;
    FftMenuView fftMenu;
    GeneratorReadout generator;
    ColorSwatches swatches;
    int backgroundStartIndex = 0; // the background's sample at the left edge, for a swap
};

class FrameRoutine {
public:
    FrameRoutine();

    // Runs the whole routine: caption, position bar, then every layer of the
    // picture in order, then the generator read-out and the swatches. The canvas is the
    // off-screen bitmap's; the caller copies it to the screen afterwards.
    //
    // Frames from files reach this code: header counts, dividers and positions that are zero,
    // negative or beyond the arrays draw what can be drawn and never read outside an array; a
    // reading that cannot be computed prints "...".
    FrameOutput run(const FrameInput& in, Canvas& canvas);

    // The display counts of the last spectrum.
    std::span<const std::int32_t> spectrumCounts() const { return spectrum_; }
    // The background's sample at the left edge in the last drawing that showed the background.
    int backgroundStartIndex() const { return backgroundStartIndex_; }

private:
    class Pass;

    TraceDrawer drawer_;
    std::vector<std::int32_t> spectrum_;
    int backgroundStartIndex_ = 0;
};

// The FFT state for the spectrum items and the frame's header.
int fftStateFor(const ScopeState& state, const HeaderFields& header);

} // namespace qs40
