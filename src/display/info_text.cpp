#include "display/info_text.h"

#include "display/marker_mode.h"
#include "display/unit_format.h"
#include "scope/arith.h"
#include "scope/variant.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>
#include <string>

namespace qs40 {
namespace {

constexpr const char* kScaleNames[] = {" dBV", " dBm (50 ohm)", " dBm (75 ohm)", " dBm (600 ohm)"};

// The highest sample code, and so the largest peak-to-peak count.
constexpr std::int32_t kTopCode = 255;

// One analog channel's share of the text: its row and the fields it reads.
struct ChannelRow {
    int row;
    int spectrumState;      // the FFT state that shows this channel's spectrum
    int otherSpectrumState; // the other channel's spectrum: this row stays empty
    HeaderField voltsDivAtCapture;
    HeaderField zeroAtCapture;
    HeaderField levelSum;
    HeaderField peakToPeak;
    std::int32_t zero;     // the current zero level
    std::int32_t voltsDiv; // the current volts per division (µV)
    ColorRef color;
};

class InfoText {
public:
    InfoText(Canvas& canvas, const InfoTextInput& in)
        : canvas_(canvas), in_(in), st_(in.state), h_(in.header) {
        const PlotGeometry& g = in.geometry;
        const int r = (g.top - 14) / 2;
        const int bottom = g.top + g.height;
        rowY_ = {r, bottom + r + 1, bottom + 2 * r + 12, bottom + 3 * r + 23, 0};
        rowY_[4] = rowY_[3] + r + 11;
        const int quarter = g.width / 4;
        colX_ = {g.left, g.left + g.width / 8, g.left + quarter, g.left + 2 * quarter,
                 g.left + 3 * quarter};
        // Scale codes other than 1..3 give the spectrum in dBV, so they read as dBV here.
        scale_ = st_.FFT.Scale >= 1 && st_.FFT.Scale <= 3 ? st_.FFT.Scale : 0;
        m_ = scale_ != 0 ? " dBm" : " dBV";
        slope_ = sweepSlope(h_);
        leftEdge_ = leftEdgeTime(h_, in.scrollPosition);
        sweep_ = st_.Generator.Mode == GenMode::F_Sweep;
        markers_ = markersMode(st_);
    }

    void draw() {
        if (in_.geometry.smallPlot)
            canvas_.setFont("Arial", 10);
        else
            canvas_.setFont("MS Sans Serif", 13);
        canvas_.setBrushColor(st_.Colors.Border);

        if (spectrumShown())
            row0Spectrum();
        else
            row0Oscillogram();
        row1();
        if (markers_ != 0) {
            if (spectrumShown())
                row2Spectrum();
            else
                row2Oscillogram();
        }
        if (st_.Common.CH_A1)
            channelRow({3, 1, 2, kHdrVoltsDivA1, kHdrZeroA1, kHdrLevelSumA1, kHdrPeakToPeakA1,
                        st_.Scope.A1_Zero, in_.params.voltsDivA1, st_.Colors.CH_A1});
        if (st_.Common.CH_A2)
            channelRow({4, 2, 1, kHdrVoltsDivA2, kHdrZeroA2, kHdrLevelSumA2, kHdrPeakToPeakA2,
                        st_.Scope.A2_Zero, in_.params.voltsDivA2, st_.Colors.CH_A2});
        if (st_.Common.Extra_Info && st_.serviceMode())
            diagnosticLine();
    }

private:
    bool spectrumShown() const { return in_.fftState == 1 || in_.fftState == 2; }

    void put(int col, int row, ColorRef color, const std::string& text) {
        canvas_.setFontColor(color);
        canvas_.text(colX_[col], rowY_[row], text);
    }

    std::string f(double v, UnitKind kind, int digits) const {
        return fmt(v, kind, digits, in_.decimalSeparator);
    }
    std::string fixed2(double v) const { return formatFixed(v, 2, in_.decimalSeparator); }

    // A level in dB, or its RMS volts when the user asked for volts and the scale is dBV.
    std::string levelText(double db) const {
        if (scale_ != 0 || !st_.FFT.dbv_v)
            return fixed2(db) + m_;
        return f(std::pow(10.0, db * 0.05) * 1e6, UnitKind::Voltage, -4);
    }

    void row0Spectrum() {
        const ColorsSection& c = st_.Colors;
        if (st_.FFT_A1.View && st_.has(kCapA2))
            put(2, 0, c.CH_A1, "  A1");
        if (st_.FFT_A2.View)
            put(2, 0, c.CH_A2, "  A2");
        const std::string ref = in_.spectrumValid ? std::to_string(in_.referenceLevel) : "...";
        put(0, 0, c.FFT, ref + kScaleNames[scale_]);
        const auto rate = sampleRate(h_);
        put(3, 0, c.FFT, rate ? "Span " + f(*rate / 2, UnitKind::Frequency, -3) : "Span ...");
        put(4, 0, c.FFT, "10" + m_ + "/Div");
    }

    void row0Oscillogram() {
        const ColorsSection& c = st_.Colors;
        if (st_.Common.CH_A1)
            put(0, 0, c.CH_A1, f(in_.params.voltsDivA1, UnitKind::Voltage, 0));
        if (st_.Common.CH_A2)
            put(1, 0, c.CH_A2, f(in_.params.voltsDivA2, UnitKind::Voltage, 0));
        std::string time = f(static_cast<double>(in_.params.timePerDivNs), UnitKind::Time, 0);
        if (h_[kHdrPairs] != 0)
            time += "    p.d.";
        put(2, 0, c.Grid_Frame, time);
        triggerText();
    }

    std::string analogTrigger(double level, std::int32_t zero, std::int32_t voltsDiv) const {
        const std::int32_t code = std::clamp(roundToInt32(level), 0, 255);
        return f((code - static_cast<double>(zero)) * voltsDiv * 0.03125, UnitKind::Voltage, -4);
    }

    void triggerText() {
        const int count = in_.params.triggerCount;
        if (count == 0 || !st_.Trigger.Source)
            return;
        const ColorsSection& c = st_.Colors;
        const ScopeSection& s = st_.Scope;
        ColorRef color = 0;
        std::string text;
        switch (*st_.Trigger.Source) {
        case TrigSource::A1:
            color = c.CH_A1;
            text = st_.has(kCapA2) ? "Trig. A1  " : "Trig.  ";
            text += analogTrigger(st_.Trigger.Lev_A1, s.A1_Zero, in_.params.voltsDivA1);
            break;
        case TrigSource::A2:
            color = c.CH_A2;
            text =
                "Trig. A2  " + analogTrigger(st_.Trigger.Lev_A2, s.A2_Zero, in_.params.voltsDivA2);
            break;
        case TrigSource::D1:
            color = c.CH_D1;
            text = st_.has(kCapD2) ? "Trig. D1  dig." : "Trig.  dig.";
            break;
        case TrigSource::D2:
            color = c.CH_D2;
            text = "Trig. D2  dig.";
            break;
        default:
            return;
        }
        if (count != 1)
            text += "     N = " + std::to_string(count);
        put(3, 0, color, text);
    }

    void row1() {
        const ColorsSection& c = st_.Colors;
        if (sweep_)
            put(0, 1, c.Grid_Frame,
                slope_ > 0 && leftEdge_
                    ? f(sweepFrequencyAt(h_, slope_, *leftEdge_), UnitKind::Frequency, -5)
                    : "...");
        else
            put(0, 1, c.Grid_Frame, leftEdge_ ? f(*leftEdge_, UnitKind::Time, -5) : "...");
        if (st_.Common.Extra_Info) {
            const auto rate = sampleRate(h_);
            put(2, 1, c.Extra_Info,
                "Fsmpl = " + (rate ? f(*rate, UnitKind::Frequency, -3) : "..."));
            const auto divs = divisionsCovered(h_, in_.params.timePerDivNs);
            put(3, 1, c.Extra_Info, "Div = " + (divs ? fixed2(*divs) : "..."));
        }
        if (st_.has(kCapFreqMeter))
            freqMeter();
    }

    void freqMeter() {
        const ColorsSection& c = st_.Colors;
        std::string label;
        ColorRef color = c.Grid_Frame;
        switch (h_[kHdrFmRange]) {
        case 1:
            label = st_.has(kCapA2) ? "F(A1) = " : "F(A) = ";
            color = c.CH_A1;
            break;
        case 2:
            label = "F(A2) = ";
            color = c.CH_A2;
            break;
        case 3:
        case 5:
            label = st_.has(kCapD2) ? "F(D1) = " : "F(D) = ";
            color = c.CH_D1;
            break;
        case 4:
        case 6:
            label = "F(D2) = ";
            color = c.CH_D2;
            break;
        default:
            label = "F = ";
            break;
        }
        const auto hz = freqMeterReading(h_);
        put(4, 1, color, label + (hz ? f(*hz, UnitKind::Frequency, -7) : "..."));
    }

    void row2Spectrum() {
        const ColorsSection& c = st_.Colors;
        const CommonSection& m = st_.Common;
        auto freq = [&](std::int32_t x) { return markerSpectrumFrequency(h_, x); };
        auto text = [&](std::optional<double> hz) {
            return hz ? f(*hz, UnitKind::Frequency, -4) : std::string("...");
        };
        if (markers_ == 1) {
            put(0, 2, c.Markers, "F = " + text(freq(m.Marker_x)));
            put(0, 2, c.FFT, "F");
            return;
        }
        auto f1 = freq(m.Marker1_x);
        auto f2 = freq(m.Marker2_x);
        std::optional<double> df;
        if (f1 && f2) {
            if (*f1 > *f2)
                std::swap(f1, f2);
            df = std::fabs(*f2 - *f1);
        }
        put(0, 2, c.Markers, "F1 = " + text(f1));
        put(2, 2, c.Markers, "F2 = " + text(f2));
        put(3, 2, c.Markers, "dF = " + text(df));
        put(0, 2, c.FFT, "F1");
        put(2, 2, c.FFT, "F2");
        put(3, 2, c.FFT, "dF");
    }

    void row2Oscillogram() {
        const ColorsSection& c = st_.Colors;
        const CommonSection& m = st_.Common;
        const std::int64_t tdiv = in_.params.timePerDivNs;
        // Without a left-edge time the markers have no time after the trigger, but their
        // distance still has one.
        const bool timed = leftEdge_.has_value();
        const double edge = leftEdge_.value_or(0);
        auto sweepText = [&](double t, int digits) {
            return f(sweepFrequencyAt(h_, slope_, t), UnitKind::Frequency, digits);
        };
        if (markers_ == 1) {
            const double t = markerTime(m.Marker_x, tdiv, edge);
            if (sweep_)
                put(0, 2, c.Markers, "F = " + (slope_ >= 0 && timed ? sweepText(t, -5) : "..."));
            else
                put(0, 2, c.Markers, "T = " + (timed ? f(t, UnitKind::Time, -5) : "..."));
            return;
        }
        double t1 = markerTime(m.Marker1_x, tdiv, edge);
        double t2 = markerTime(m.Marker2_x, tdiv, edge);
        if (t1 > t2)
            std::swap(t1, t2);
        if (sweep_) {
            const bool ok = slope_ >= 0 && timed;
            const double df =
                std::fabs(sweepFrequencyAt(h_, slope_, t2) - sweepFrequencyAt(h_, slope_, t1));
            put(0, 2, c.Markers, "F1 = " + (ok ? sweepText(t1, -5) : "..."));
            put(2, 2, c.Markers, "F2 = " + (ok ? sweepText(t2, -5) : "..."));
            put(3, 2, c.Markers, "dF = " + (ok ? f(df, UnitKind::Frequency, -4) : "..."));
            return;
        }
        const double dt = std::fabs(t2 - t1);
        put(0, 2, c.Markers, "T1 = " + (timed ? f(t1, UnitKind::Time, -4) : "..."));
        put(2, 2, c.Markers, "T2 = " + (timed ? f(t2, UnitKind::Time, -4) : "..."));
        put(3, 2, c.Markers, "dT = " + f(dt, UnitKind::Time, -4));
        // Markers on the same x (or a zero time base) have no period to invert.
        put(4, 2, c.Markers, "1/dT = " + (dt > 0 ? f(1e9 / dt, UnitKind::Frequency, -4) : "..."));
    }

    void channelRow(const ChannelRow& ch) {
        if (in_.fftState == ch.otherSpectrumState)
            return;
        const bool spectrum = in_.fftState == ch.spectrumState;
        if (st_.Common.Measure) {
            if (spectrum)
                spectrumMeasurements(ch);
            else
                oscillogramMeasurements(ch);
        }
        if (markers_ != 0) {
            if (spectrum)
                spectrumMarkerReading(ch);
            else
                oscillogramMarkerReading(ch);
        }
    }

    void spectrumMeasurements(const ChannelRow& ch) {
        const ColorsSection& c = st_.Colors;
        const auto halfRate = sampleRate(h_);
        if (in_.spectrumValid && halfRate) {
            put(0, ch.row, ch.color, "Vp = " + levelText(in_.peakLevel));
            put(2, ch.row, ch.color,
                "Fp = " + f(in_.peakFrequency * *halfRate / 2, UnitKind::Frequency, -6));
        } else {
            put(0, ch.row, ch.color, "Vp = ...");
            put(2, ch.row, ch.color, "Fp = ...");
        }
        put(0, ch.row, c.FFT, "Vp =");
        put(2, ch.row, c.FFT, "Fp =");
    }

    void oscillogramMeasurements(const ChannelRow& ch) {
        const std::int32_t valid = positionInRecord(h_, kHdrValid);
        const std::int32_t pp = h_[ch.peakToPeak];
        if (valid < 1 || pp < 0) {
            put(0, ch.row, ch.color, "Vpp = ...");
            put(2, ch.row, ch.color, "Vdc = ...");
            return;
        }
        // A damaged header's counts beyond the code range, or a scale no instrument has, give
        // no voltage.
        const std::int32_t voltsDiv = h_[ch.voltsDivAtCapture];
        const double vc = voltsPerCode(voltsDiv);
        const bool scaled = voltsDiv > 0;
        const auto mean = meanLevel(h_, ch.levelSum);
        put(0, ch.row, ch.color,
            "Vpp = " + (scaled && pp <= kTopCode ? f(pp * vc, UnitKind::Voltage, -4) : "..."));
        put(2, ch.row, ch.color,
            "Vdc = " + (scaled && mean
                            ? f(vc * (*mean - h_[ch.zeroAtCapture]), UnitKind::Voltage, -4)
                            : "..."));
    }

    // The level under the marker, or the level difference of the two markers, in dB.
    void spectrumMarkerReading(const ChannelRow& ch) {
        const ColorsSection& c = st_.Colors;
        const CommonSection& m = st_.Common;
        if (markers_ == 1) {
            const double v = in_.referenceLevel - m.Marker_y * 80.0 / 256;
            put(4, ch.row, c.Markers, "V = " + levelText(v));
            put(4, ch.row, c.FFT, "V =");
            return;
        }
        const double dv = std::fabs(static_cast<double>(m.Marker1_y) - m.Marker2_y) * 80 / 256;
        put(4, ch.row, c.Markers, "dV = " + fixed2(dv) + m_);
        put(4, ch.row, c.FFT, "dV =");
    }

    // The voltage under the marker, or the voltage difference of the two markers.
    void oscillogramMarkerReading(const ChannelRow& ch) {
        const ColorsSection& c = st_.Colors;
        const CommonSection& m = st_.Common;
        const double perCode = 0.03125 * ch.voltsDiv;
        if (markers_ == 1) {
            const double v = (255.0 - m.Marker_y - ch.zero) * perCode;
            put(4, ch.row, c.Markers, "V = " + f(v, UnitKind::Voltage, -4));
            put(4, ch.row, ch.color, "V = ");
            return;
        }
        const double dv = std::fabs(static_cast<double>(m.Marker1_y) - m.Marker2_y) * perCode;
        put(4, ch.row, c.Markers, "dV = " + f(dv, UnitKind::Voltage, -4));
        put(4, ch.row, ch.color, "dV = ");
    }

    void diagnosticLine() {
        const PlotGeometry& g = in_.geometry;
        const ColorsSection& c = st_.Colors;
        canvas_.setBrushTransparent();
        canvas_.setFont("Arial", 10);
        canvas_.setFontColor(c.Extra_Info);
        const int y = g.top + 1;
        canvas_.text(colX_[0] + 3, y, std::to_string(g.width) + " x " + std::to_string(g.height));
        const InstrumentInfo& ins = st_.Instrument;
        // Hundredths of a volt print like the version number: "5.02".
        canvas_.text(colX_[2], y,
                     ins.vccValid ? "Vcc = " + versionText(ins.vcc) + " V" : "Vcc = ...");
        const std::int64_t valid = positionInRecord(h_, kHdrValid);
        canvas_.text(colX_[3], y,
                     h_[kHdrPairs] != 0 ? "Smpl = " + std::to_string(valid * 2) + " p.d."
                                        : "Smpl = " + std::to_string(valid));
        const std::int64_t drawn = in_.framesDrawn;
        canvas_.text(colX_[4], y,
                     "F/L/E = " + std::to_string(drawn) + "/ " +
                         std::to_string(in_.framesDecoded - drawn) + "/ " +
                         std::to_string(in_.checksumErrors));
    }

    Canvas& canvas_;
    const InfoTextInput& in_;
    const ScopeState& st_;
    const HeaderFields& h_;
    std::array<int, 5> rowY_{};
    std::array<int, 5> colX_{};
    int scale_ = 0;
    std::string m_;
    double slope_ = -1;
    std::optional<double> leftEdge_;
    bool sweep_ = false;
    int markers_ = 0;
};

} // namespace

void drawInfoText(Canvas& canvas, const InfoTextInput& in) {
    InfoText(canvas, in).draw();
}

} // namespace qs40
