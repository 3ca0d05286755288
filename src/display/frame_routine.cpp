#include "display/frame_routine.h"

#include "display/digital_bands.h"
#include "display/info_text.h"
#include "display/window_caption.h"
#include "scope/arith.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace qs40 {
namespace {

constexpr int kMinSpectrumSamples = 128;

// Sample indexes computed from file headers are held here: far beyond any array either way, and
// far from overflowing an int.
constexpr double kIndexLimit = 1e9;

struct ChannelColors {
    ColorRef a1, a2, d1, d2;
};

ChannelColors blended(const ChannelColors& c, ColorRef background) {
    return {blendColor(c.a1, background, 2), blendColor(c.a2, background, 2),
            blendColor(c.d1, background, 2), blendColor(c.d2, background, 2)};
}

bool hasSamples(const HeaderFields& h) {
    return h[kHdrLength] > 0;
}

DrawMode drawModeOf(std::int32_t m) {
    return m == 1 ? DrawMode::Vectors : m == 2 ? DrawMode::Sinxx : DrawMode::Dots;
}

// The digital channels have no interpolated view.
DrawMode digitalMode(DrawMode m) {
    return m == DrawMode::Sinxx ? DrawMode::Vectors : m;
}

// Plot pixels per sample of a frame: plot width x divider x 10 ns / (10 divisions' time). None
// without a time per division.
std::optional<double> pixelsPerSample(int width, std::int32_t divider, std::int64_t timeDivNs) {
    if (timeDivNs <= 0)
        return std::nullopt;
    return static_cast<double>(width) * divider / static_cast<double>(timeDivNs);
}

// A screen code one above a zero level, as an int however the level was stored.
int abovePosition(std::int32_t zero) {
    return static_cast<int>(std::min<std::int64_t>(std::int64_t{zero} + 1, INT32_MAX));
}

} // namespace

int fftStateFor(const ScopeState& state, const HeaderFields& header) {
    // A header without samples has no data for a spectrum, whatever its valid count says.
    const bool enough = hasSamples(header) && header[kHdrValid] >= kMinSpectrumSamples;
    const std::int32_t mask = header[kHdrChannels];
    const bool pairs = header[kHdrPairs] != 0;
    int s = kFftNone;
    if (state.FFT_A1.View)
        s = enough && (mask & kPresentA1) ? (pairs ? kFftPeakDetection : kFftA1)
                                          : kFftA1Unavailable;
    if (state.FFT_A2.View)
        s = enough && (mask & kPresentA2) ? (pairs ? kFftPeakDetection : kFftA2)
                                          : kFftA2Unavailable;
    return s;
}

// One call of the routine: the inputs, the picture's shared values and the steps in order.
class FrameRoutine::Pass {
public:
    Pass(FrameRoutine& routine, const FrameInput& in, Canvas& canvas)
        : r_(routine), in_(in), canvas_(canvas), st_(in.state), g_(in.geometry),
          cur_(in.frames.current->header), bg_(in.frames.background->header) {}

    FrameOutput run() {
        out_.caption = windowCaption(st_, cur_, bg_);
        fixScrollRange();
        clearPlot();
        out_.fftState = fft_ = fftStateFor(st_, cur_);
        fftMenu();
        traceColors();
        spectrumShown_ = fft_ == kFftA1 || fft_ == kFftA2;
        backgroundShown_ = hasSamples(bg_) && st_.Run.bgView;
        if (!spectrumShown_)
            gridAndTriggerLine();
        if (backgroundShown_)
            background();
        if (hasSamples(cur_))
            currentFrame();
        if (spectrumShown_)
            spectrum();
        drawMarkerLines(canvas_, g_, st_);
        drawFftNotice(canvas_, g_, st_, fft_);
        border();
        drawPlotFrame(canvas_, g_, st_.Colors.Grid_Frame);
        in_.activity.draw(canvas_, g_, st_.Colors,
                          {.frameMark = in_.frameMark,
                           .statusMark = in_.statusMark,
                           .active = in_.running || in_.single});
        infoText();
        triggerLevelMarks();
        triggerArrows();
        zeroMarks();
        out_.generator = generatorReadout(st_, in_.params, in_.decimalSeparator);
        out_.swatches = colorSwatches(st_, in_.buttonFace);
        out_.backgroundStartIndex = r_.backgroundStartIndex_;
        return std::move(out_);
    }

private:
    // The position bar runs over the valid samples; a position beyond them starts again at 0.
    void fixScrollRange() {
        const int valid = std::clamp(cur_[kHdrValid], 0, kMaxSamples);
        int pos = in_.scrollPosition;
        if (pos > valid || pos < 0)
            pos = 0;
        out_.scrollMin = 0;
        out_.scrollMax = valid;
        out_.scrollPosition = scroll_ = pos;
    }

    void clearPlot() {
        const ColorRef c = st_.Colors.Background;
        canvas_.setPenColor(c);
        canvas_.setBrushColor(c);
        canvas_.fillRect(g_.left, g_.top, g_.left + g_.width + 1, g_.top + g_.height + 1);
    }

    // A spectrum item is usable only while its channel is shown.
    void fftMenu() {
        CommonSection& c = st_.Common;
        if (!c.CH_A1)
            st_.FFT_A1.View = false;
        if (!c.CH_A2)
            st_.FFT_A2.View = false;
        out_.fftMenu = {.a1Enabled = c.CH_A1,
                        .a1Checked = st_.FFT_A1.View,
                        .a2Enabled = c.CH_A2,
                        .a2Checked = st_.FFT_A2.View};
    }

    // Background traces at half intensity; under a spectrum everything fades one step more.
    void traceColors() {
        const ColorsSection& c = st_.Colors;
        const ChannelColors full{c.CH_A1, c.CH_A2, c.CH_D1, c.CH_D2};
        const ChannelColors half = blended(full, c.Background);
        if (fft_ == kFftA1 || fft_ == kFftA2) {
            current_ = half;
            backgroundColors_ = blended(half, c.Background);
        } else {
            current_ = full;
            backgroundColors_ = half;
        }
    }

    void gridAndTriggerLine() {
        if (st_.Common.Grid)
            drawGrid(canvas_, g_, st_.Colors.Grid);
        if (st_.Common.TrigPosL)
            drawTriggerPositionLine(canvas_, g_, cur_, scroll_, in_.params.timePerDivNs,
                                    st_.Colors.Trig_Pos);
    }

    TraceSurface surface() const {
        return {.originX = g_.left,
                .originY = g_.top,
                .width = g_.width,
                .height = g_.height,
                .timeDivNs = in_.params.timePerDivNs,
                .background = st_.Colors.Background};
    }

    Trace series(const FrameData& f, SeriesIndex first) const {
        Trace t;
        t.first = f.series[static_cast<std::size_t>(first)];
        t.second = f.series[static_cast<std::size_t>(first) + 1];
        t.count = f.header[kHdrLength];
        t.rollGap = true;
        return t;
    }

    // Where the background's samples lie under the current frame's: both frames line up at the
    // same time after their triggers. Without a current frame, or without a divider to scale
    // by, the background starts at the scroll position.
    std::pair<int, double> backgroundAlignment() const {
        double p = scroll_;
        if (hasSamples(cur_) && bg_[kHdrDivider] != 0)
            p = bg_[kHdrTrigPos] + (static_cast<double>(scroll_) - cur_[kHdrTrigPos]) *
                                       cur_[kHdrDivider] / bg_[kHdrDivider];
        p = std::clamp(p, -kIndexLimit, kIndexLimit);
        const double start = std::trunc(p);
        return {static_cast<int>(start), p - start};
    }

    void background() {
        const FrameData& f = *in_.frames.background;
        const BackgroundLevels& levels = in_.frames.backgroundLevels;
        // Plain variables: the drawing lambda below captures them.
        const std::pair<int, double> alignment = backgroundAlignment();
        const int start = alignment.first;
        const double remainder = alignment.second;
        r_.backgroundStartIndex_ = start;

        const auto pps = pixelsPerSample(g_.width, bg_[kHdrDivider], in_.params.timePerDivNs);
        // A time base coarser than the plot can show leaves the background out.
        if (!pps || !(*pps < g_.width))
            return;
        const DrawMode mode = drawModeOf(in_.params.drawMode);
        auto draw = [&](SeriesIndex first, HeaderField fine, DrawMode m, ColorRef color,
                        double scale, int zero, int position) {
            Trace t = series(f, first);
            t.mode = m;
            t.color = color;
            t.scale = scale;
            t.zero = zero;
            t.position = position;
            t.pixelsPerSample = *pps;
            t.startIndex = start;
            t.subSampleOffset = bg_[fine] * 0.1 + remainder;
            r_.drawer_.draw(canvas_, surface(), t, bg_);
        };
        const DigitalPlacement& digital = backgroundDigital();
        const CommonSection& c = st_.Common;
        if (c.CH_D2)
            draw(kD2First, kHdrFineD2, digitalMode(mode), backgroundColors_.d2, digital.scale, 0,
                 digital.positionD2);
        if (c.CH_D1)
            draw(kD1First, kHdrFineD1, digitalMode(mode), backgroundColors_.d1, digital.scale, 0,
                 digital.positionD1);
        if (c.CH_A2 && in_.params.voltsDivA2 > 0)
            draw(kA2First, kHdrFineA2, mode, backgroundColors_.a2,
                 static_cast<double>(bg_[kHdrVoltsDivA2]) / in_.params.voltsDivA2, bg_[kHdrZeroA2],
                 abovePosition(levels.A2_Zero));
        if (c.CH_A1 && in_.params.voltsDivA1 > 0)
            draw(kA1First, kHdrFineA1, mode, backgroundColors_.a1,
                 static_cast<double>(bg_[kHdrVoltsDivA1]) / in_.params.voltsDivA1, bg_[kHdrZeroA1],
                 abovePosition(levels.A1_Zero));
    }

    void currentFrame() {
        const FrameData& f = *in_.frames.current;
        const auto pps = pixelsPerSample(g_.width, cur_[kHdrDivider], in_.params.timePerDivNs);
        if (!pps)
            return;
        const DrawMode mode = drawModeOf(in_.params.drawMode);
        auto draw = [&](SeriesIndex first, HeaderField fine, DrawMode m, ColorRef color,
                        double scale, int zero, int position) {
            Trace t = series(f, first);
            t.mode = m;
            t.color = color;
            t.scale = scale;
            t.zero = zero;
            t.position = position;
            t.pixelsPerSample = *pps;
            t.startIndex = scroll_;
            t.subSampleOffset = cur_[fine] * 0.1;
            r_.drawer_.draw(canvas_, surface(), t, cur_);
        };
        const DigitalPlacement& digital = currentDigital();
        const CommonSection& c = st_.Common;
        if (c.CH_D2)
            draw(kD2First, kHdrFineD2, digitalMode(mode), current_.d2, digital.scale, 0,
                 digital.positionD2);
        if (c.CH_D1)
            draw(kD1First, kHdrFineD1, digitalMode(mode), current_.d1, digital.scale, 0,
                 digital.positionD1);
        if (c.CH_A2 && in_.params.voltsDivA2 > 0)
            draw(kA2First, kHdrFineA2, mode, current_.a2,
                 static_cast<double>(cur_[kHdrVoltsDivA2]) / in_.params.voltsDivA2,
                 cur_[kHdrZeroA2], abovePosition(st_.Scope.A2_Zero));
        if (c.CH_A1 && in_.params.voltsDivA1 > 0)
            draw(kA1First, kHdrFineA1, mode, current_.a1,
                 static_cast<double>(cur_[kHdrVoltsDivA1]) / in_.params.voltsDivA1,
                 cur_[kHdrZeroA1], abovePosition(st_.Scope.A1_Zero));
    }

    void spectrum() {
        const bool a1 = fft_ == kFftA1;
        const FrameData& f = *in_.frames.current;
        const SpectrumFrame frame{.totalSamples = cur_[kHdrLength],
                                  .validSamples = cur_[kHdrValid],
                                  .ringPosition = cur_[kHdrRing],
                                  .roll = cur_[kHdrRoll]};
        in_.spectrum.compute(st_.FFT.Size, st_.FFT.Win, st_.FFT.Scale,
                             f.series[a1 ? kA1First : kA2First],
                             cur_[a1 ? kHdrVoltsDivA1 : kHdrVoltsDivA2], frame, r_.spectrum_);

        const int points = (1 << fftExponent(st_.FFT.Size)) / 2;
        gridAndTriggerLine(); // over the faded traces
        Trace t;
        t.mode = DrawMode::Vectors;
        t.first = r_.spectrum_;
        t.second = r_.spectrum_;
        t.count = points;
        t.color = st_.Colors.FFT;
        t.pixelsPerSample = static_cast<double>(g_.width) / points;
        r_.drawer_.draw(canvas_, surface(), t, cur_);
    }

    // Covers whatever was drawn outside the plot area.
    void border() {
        const ColorRef c = st_.Colors.Border;
        const int w = canvas_.width();
        const int h = canvas_.height();
        const int right = g_.left + g_.width + 1;
        const int bottom = g_.top + g_.height + 1;
        canvas_.setPenColor(c);
        canvas_.setBrushColor(c);
        canvas_.fillRect(0, 0, w, g_.top);
        canvas_.fillRect(0, bottom, w, h);
        canvas_.fillRect(0, g_.top, g_.left, bottom);
        canvas_.fillRect(right, g_.top, w, bottom);
    }

    void infoText() {
        const Spectrum& s = in_.spectrum;
        drawInfoText(canvas_, InfoTextInput{.state = st_,
                                            .params = in_.params,
                                            .header = cur_,
                                            .geometry = g_,
                                            .fftState = fft_,
                                            .spectrumValid = s.valid(),
                                            .referenceLevel = s.referenceLevel(),
                                            .peakLevel = s.peakLevel(),
                                            .peakFrequency = s.peakFrequency(),
                                            .framesDrawn = in_.framesDrawn,
                                            .framesDecoded = in_.framesDecoded,
                                            .checksumErrors = in_.checksumErrors,
                                            .scrollPosition = scroll_,
                                            .decimalSeparator = in_.decimalSeparator});
    }

    void triggerLevelMarks() {
        const ColorsSection& c = st_.Colors;
        if (st_.Common.CH_A2)
            drawTriggerLevelMark(canvas_, g_, st_, st_.Trigger.Lev_A2,
                                 in_.dragTarget == DragTarget::A2Level, c.CH_A2);
        if (st_.Common.CH_A1)
            drawTriggerLevelMark(canvas_, g_, st_, st_.Trigger.Lev_A1,
                                 in_.dragTarget == DragTarget::A1Level, c.CH_A1);
    }

    // The arrow of one frame's trigger source: analog ones from the frame's trigger level
    // relative to the given zero levels, digital ones at fixed heights.
    void triggerArrow(const HeaderFields& h, const ChannelColors& colors, std::int32_t zeroA1,
                      std::int32_t zeroA2, int heightD1, int heightD2) {
        int height = 0;
        ColorRef color = 0;
        switch (h[kHdrTrigSource]) {
        case kTrigSourceA1:
            height = zeroA1;
            color = colors.a1;
            break;
        case kTrigSourceA2:
            height = zeroA2;
            color = colors.a2;
            break;
        case kTrigSourceD1:
            height = heightD1;
            color = colors.d1;
            break;
        case kTrigSourceD2:
            height = heightD2;
            color = colors.d2;
            break;
        default:
            return; // no trigger source
        }
        drawTriggerArrow(canvas_, g_, height, h,
                         {.a1 = in_.params.voltsDivA1, .a2 = in_.params.voltsDivA2}, color);
    }

    void triggerArrows() {
        const ColorsSection& c = st_.Colors;
        if (backgroundShown_) {
            const DigitalPlacement& digital = backgroundDigital();
            const BackgroundLevels& levels = in_.frames.backgroundLevels;
            triggerArrow(bg_, backgroundColors_, levels.A1_Zero, levels.A2_Zero, digital.arrowD1,
                         digital.arrowD2);
        }
        const DigitalPlacement& digital = currentDigital();
        triggerArrow(cur_, {c.CH_A1, c.CH_A2, c.CH_D1, c.CH_D2}, st_.Scope.A1_Zero,
                     st_.Scope.A2_Zero, digital.arrowD1, digital.arrowD2);
    }

    // With a background shown the two frames share the digital bands: the background below,
    // the current frame above, the other way round after a swap.
    const DigitalPlacement& backgroundDigital() const {
        return in_.frames.swapped ? kDigitalUpperHalf : kDigitalLowerHalf;
    }
    const DigitalPlacement& currentDigital() const {
        if (!backgroundShown_)
            return kDigitalAlone;
        return in_.frames.swapped ? kDigitalLowerHalf : kDigitalUpperHalf;
    }

    void zeroMarks() {
        const CommonSection& on = st_.Common;
        if (backgroundShown_) {
            const BackgroundLevels& levels = in_.frames.backgroundLevels;
            if (on.CH_A2)
                drawZeroMark(canvas_, g_, st_, levels.A2_Zero, backgroundColors_.a2);
            if (on.CH_A1)
                drawZeroMark(canvas_, g_, st_, levels.A1_Zero, backgroundColors_.a1);
        }
        if (on.CH_A2)
            drawZeroMark(canvas_, g_, st_, st_.Scope.A2_Zero, st_.Colors.CH_A2);
        if (on.CH_A1)
            drawZeroMark(canvas_, g_, st_, st_.Scope.A1_Zero, st_.Colors.CH_A1);
    }

    FrameRoutine& r_;
    const FrameInput& in_;
    Canvas& canvas_;
    ScopeState& st_;
    const PlotGeometry& g_;
    const HeaderFields& cur_;
    const HeaderFields& bg_;

    FrameOutput out_;
    int scroll_ = 0;
    int fft_ = kFftNone;
    bool spectrumShown_ = false;
    bool backgroundShown_ = false;
    ChannelColors current_{};
    ChannelColors backgroundColors_{};
};

FrameRoutine::FrameRoutine() : spectrum_(kSpectrumEntries, kNoSample) {}

FrameOutput FrameRoutine::run(const FrameInput& in, Canvas& canvas) {
    return Pass(*this, in, canvas).run();
}

} // namespace qs40
