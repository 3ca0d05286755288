#include "display/info_text.h"

#include "info_recording_canvas.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

namespace qs40 {
namespace {

using test::InfoRecordingCanvas;

// Colours distinct enough to tell every text's colour apart.
constexpr ColorRef kA1 = 0x000011, kA2 = 0x000022, kD1 = 0x000033, kD2 = 0x000044;
constexpr ColorRef kBorder = 0x000055, kMarkers = 0x000066, kGridFrame = 0x000077;
constexpr ColorRef kFft = 0x000088, kExtra = 0x000099;

// Plot at (30, 24), 500 x 256: r = 5.
constexpr int kC0 = 30, kC1 = 92, kC2 = 155, kC3 = 280, kC4 = 405;
constexpr int kR0 = 5, kR1 = 286, kR2 = 302, kR3 = 318, kR4 = 334;

// A ZR4003 showing a 1 kHz-ish signal at 1 ms/div, 1 V/div on A1 and 0.5 V/div on A2, with
// 5000 samples of 2 us each, the trigger one division in.
struct Info {
    ScopeState state;
    AcquisitionParams params;
    HeaderFields header{};
    PlotGeometry geometry{.smallPlot = false, .left = 30, .top = 24, .width = 500, .height = 256};
    int fftState = 0;
    bool spectrumValid = true;
    int referenceLevel = 10;
    double peakLevel = 9.03;
    double peakFrequency = 0.02;
    int scroll = 0;
    std::string separator = ".";
    InfoRecordingCanvas canvas;

    Info() {
        state.System.Device_Type_Code = 31;
        state.Colors = {.CH_A1 = kA1,
                        .CH_A2 = kA2,
                        .CH_D1 = kD1,
                        .CH_D2 = kD2,
                        .Background = 0,
                        .Border = kBorder,
                        .Markers = kMarkers,
                        .Grid = 0,
                        .Grid_Frame = kGridFrame,
                        .Trig_Pos = 0,
                        .FFT = kFft,
                        .Extra_Info = kExtra};
        state.Common.Markers_1 = false;
        state.Common.Markers_2 = true;
        state.Common.Marker1_x = 400; // right of marker 2
        state.Common.Marker1_y = 240;
        state.Common.Marker2_x = 100;
        state.Common.Marker2_y = 16;
        state.Common.Extra_Info = true;
        state.System.Debug_qs = true;
        state.Trigger.Source = TrigSource::A1;
        state.Trigger.Lev_A1 = 223.4;
        state.Scope.A1_Zero = 191;
        state.Scope.A2_Zero = 63;
        state.Instrument.vccValid = true;
        state.Instrument.vcc = 502;

        params.timePerDivNs = 1'000'000;
        params.voltsDivA1 = 1'000'000;
        params.voltsDivA2 = 500'000;
        params.triggerCount = 1;

        header[kHdrDivider] = 200;
        header[kHdrVoltsDivA1] = 1'000'000;
        header[kHdrZeroA1] = 191;
        header[kHdrVoltsDivA2] = 500'000;
        header[kHdrZeroA2] = 63;
        header[kHdrLength] = 5000;
        header[kHdrTrigPos] = 500;
        header[kHdrValid] = 5000;
        header[kHdrChannels] = 0x0F;
        header[kHdrFmRange] = 1;
        header[kHdrFmCount1] = 1001;
        header[kHdrFmCount2] = 100'000'000;
        header[kHdrFmTime] = 50;
        header[kHdrLevelSumA1] = 1'007'500; // mean 201.5
        header[kHdrLevelSumA2] = 315'000;
        header[kHdrPeakToPeakA1] = 64;
        header[kHdrPeakToPeakA2] = -1; // clipped
    }

    // A spectrum of A1 with a peak of 9.03 dBV at 5 kHz.
    void showSpectrumA1() {
        state.FFT_A1.View = true;
        fftState = 1;
    }
    void markers(int mode) {
        state.Common.Markers_1 = mode == 1;
        state.Common.Markers_2 = mode == 2;
    }

    const InfoRecordingCanvas& draw() {
        canvas.texts.clear();
        InfoTextInput in{.state = state, .params = params, .header = header, .geometry = geometry};
        in.fftState = fftState;
        in.spectrumValid = spectrumValid;
        in.referenceLevel = referenceLevel;
        in.peakLevel = peakLevel;
        in.peakFrequency = peakFrequency;
        in.framesDrawn = 25;
        in.framesDecoded = 27;
        in.checksumErrors = 1;
        in.scrollPosition = scroll;
        in.decimalSeparator = separator;
        drawInfoText(canvas, in);
        return canvas;
    }
};

struct Expected {
    int x, y;
    ColorRef color;
    std::string text;
};

void expectTexts(const InfoRecordingCanvas& canvas, const std::vector<Expected>& expected) {
    ASSERT_EQ(canvas.texts.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const auto& got = canvas.texts[i];
        const auto& want = expected[i];
        EXPECT_EQ(got.text, want.text) << "text " << i;
        EXPECT_EQ(got.x, want.x) << want.text;
        EXPECT_EQ(got.y, want.y) << want.text;
        EXPECT_EQ(got.color, want.color) << want.text;
    }
}

const std::vector<Expected> kDiagnosticLine = {
    {kC0 + 3, 25, kExtra, "500 x 256"},
    {kC2, 25, kExtra, "Vcc = 5.02 V"},
    {kC3, 25, kExtra, "Smpl = 5000"},
    {kC4, 25, kExtra, "F/L/E = 25/ 2/ 1"},
};

const std::vector<Expected> kRow1 = {
    {kC0, kR1, kGridFrame, "-1.0000 mS"}, // the left edge, one division before the trigger
    {kC2, kR1, kExtra, "Fsmpl = 500 KHz"},
    {kC3, kR1, kExtra, "Div = 10.00"},
    {kC4, kR1, kA1, "F(A1) = 1.000010 KHz"}, // 1000 Hz corrected by +10 ppm
};

TEST(InfoText, OscillogramRows) {
    Info info;
    std::vector<Expected> want = {
        {kC0, kR0, kA1, "1 V"},
        {kC1, kR0, kA2, "500 mV"},
        {kC2, kR0, kGridFrame, "1 mS"},
        {kC3, kR0, kA1, "Trig. A1  1.000 V"}, // 32 codes above the zero at 1 V/div
    };
    want.insert(want.end(), kRow1.begin(), kRow1.end());
    const std::vector<Expected> rest = {
        // Marker 1 is right of marker 2: the times are shown in ascending order.
        {kC0, kR2, kMarkers, "T1 = 1.000 mS"},
        {kC2, kR2, kMarkers, "T2 = 7.000 mS"},
        {kC3, kR2, kMarkers, "dT = 6.000 mS"},
        {kC4, kR2, kMarkers, "1/dT = 166.7 Hz"},
        {kC0, kR3, kA1, "Vpp = 2.000 V"},  // 64 codes of 31.25 mV
        {kC2, kR3, kA1, "Vdc = 328.1 mV"}, // (201.5 - 191) codes
        {kC4, kR3, kMarkers, "dV = 7.000 V"},
        {kC4, kR3, kA1, "dV = "},
        {kC0, kR4, kA2, "Vpp = ..."}, // clipped
        {kC2, kR4, kA2, "Vdc = ..."},
        {kC4, kR4, kMarkers, "dV = 3.500 V"},
        {kC4, kR4, kA2, "dV = "},
    };
    want.insert(want.end(), rest.begin(), rest.end());
    want.insert(want.end(), kDiagnosticLine.begin(), kDiagnosticLine.end());
    expectTexts(info.draw(), want);
}

TEST(InfoText, SpectrumRows) {
    Info info;
    info.showSpectrumA1();
    std::vector<Expected> want = {
        {kC2, kR0, kA1, "  A1"},
        {kC0, kR0, kFft, "10 dBV"},
        {kC3, kR0, kFft, "Span 250 KHz"},
        {kC4, kR0, kFft, "10 dBV/Div"},
    };
    want.insert(want.end(), kRow1.begin(), kRow1.end());
    const std::vector<Expected> rest = {
        {kC0, kR2, kMarkers, "F1 = 50.00 KHz"}, // ascending although marker 1 is right
        {kC2, kR2, kMarkers, "F2 = 200.0 KHz"},
        {kC3, kR2, kMarkers, "dF = 150.0 KHz"},
        {kC0, kR2, kFft, "F1"},
        {kC2, kR2, kFft, "F2"},
        {kC3, kR2, kFft, "dF"},
        {kC0, kR3, kA1, "Vp = 9.03 dBV"},
        {kC2, kR3, kA1, "Fp = 5.00000 KHz"}, // 0.02 of 250 kHz
        {kC0, kR3, kFft, "Vp ="},
        {kC2, kR3, kFft, "Fp ="},
        {kC4, kR3, kMarkers, "dV = 70.00 dBV"}, // 224 codes of 80 / 256 dB
        {kC4, kR3, kFft, "dV ="},
        // Row 4 (A2) stays empty while A1's spectrum is shown.
    };
    want.insert(want.end(), rest.begin(), rest.end());
    want.insert(want.end(), kDiagnosticLine.begin(), kDiagnosticLine.end());
    expectTexts(info.draw(), want);
}

TEST(InfoText, FontsAndBrush) {
    for (bool small : {false, true}) {
        Info info;
        info.geometry.smallPlot = small;
        const auto& canvas = info.draw();
        for (const auto& t : canvas.texts) {
            const bool diagnostic = t.y == info.geometry.top + 1;
            EXPECT_EQ(t.font, diagnostic || small ? "Arial" : "MS Sans Serif") << t.text;
            EXPECT_EQ(t.fontHeight, diagnostic || small ? 10 : 13) << t.text;
            if (diagnostic) {
                EXPECT_FALSE(t.brush) << t.text;
            } else {
                EXPECT_EQ(t.brush, kBorder) << t.text;
            }
        }
    }
}

TEST(InfoText, RowsAndColumnsFollowTheGeometry) {
    Info info;
    info.geometry = {.smallPlot = true, .left = 31, .top = 18, .width = 140, .height = 64};
    info.state.System.Debug_qs = false;
    const auto& c = info.draw();
    // r = 2; rows 2, 85, 98, 111, 124; columns 31, 48, 66, 101, 136.
    EXPECT_EQ(c.firstAt(31, 2), "1 V");
    EXPECT_EQ(c.firstAt(48, 2), "500 mV");
    EXPECT_EQ(c.firstAt(66, 2), "1 mS");
    EXPECT_EQ(c.firstAt(101, 2), "Trig. A1  1.000 V");
    EXPECT_EQ(c.firstAt(31, 85), "-1.0000 mS");
    EXPECT_EQ(c.firstAt(136, 85), "F(A1) = 1.000010 KHz");
    EXPECT_EQ(c.firstAt(31, 98), "T1 = 1.000 mS");
    EXPECT_EQ(c.firstAt(31, 111), "Vpp = 2.000 V");
    EXPECT_EQ(c.firstAt(31, 124), "Vpp = ...");
}

TEST(InfoText, ScaleNamesAndLevelUnits) {
    struct Case {
        std::int32_t scale;
        std::string reference, perDiv, peak;
    };
    const Case cases[] = {
        {0, "10 dBV", "10 dBV/Div", "Vp = 9.03 dBV"},
        {1, "10 dBm (50 ohm)", "10 dBm/Div", "Vp = 9.03 dBm"},
        {2, "10 dBm (75 ohm)", "10 dBm/Div", "Vp = 9.03 dBm"},
        {3, "10 dBm (600 ohm)", "10 dBm/Div", "Vp = 9.03 dBm"},
        // A scale code from a damaged file: the spectrum routine computes it as dBV.
        {7, "10 dBV", "10 dBV/Div", "Vp = 9.03 dBV"},
        {-1, "10 dBV", "10 dBV/Div", "Vp = 9.03 dBV"},
    };
    for (const Case& k : cases) {
        Info info;
        info.showSpectrumA1();
        info.state.FFT.Scale = k.scale;
        const auto& c = info.draw();
        EXPECT_EQ(c.firstAt(kC0, kR0), k.reference) << k.scale;
        EXPECT_EQ(c.firstAt(kC4, kR0), k.perDiv) << k.scale;
        EXPECT_EQ(c.firstAt(kC0, kR3), k.peak) << k.scale;
    }
}

TEST(InfoText, DbvToVoltsShowsRmsVoltsOnTheDbvScaleOnly) {
    struct Case {
        std::int32_t scale;
        int markers;
        std::string peak, marker;
    };
    // Peak at 0 dBV (1 V RMS); marker 1 at 32 codes from the top, 10 dB under the reference.
    const Case cases[] = {
        {0, 1, "Vp = 1.000 V", "V = 1.000 V"},
        {1, 1, "Vp = 0.00 dBm", "V = 0.00 dBm"},
        {0, 2, "Vp = 1.000 V", "dV = 70.00 dBV"}, // differences stay in dB
    };
    for (const Case& k : cases) {
        Info info;
        info.showSpectrumA1();
        info.state.FFT.Scale = k.scale;
        info.state.FFT.dbv_v = true;
        info.peakLevel = 0;
        info.markers(k.markers);
        info.state.Common.Marker_y = 32;
        const auto& c = info.draw();
        EXPECT_EQ(c.firstAt(kC0, kR3), k.peak);
        EXPECT_EQ(c.at(kC4, kR3),
                  (std::vector<std::string>{k.marker, k.markers == 1 ? "V =" : "dV ="}));
    }
}

TEST(InfoText, SpectrumChannelLabels) {
    struct Case {
        std::int32_t variant;
        bool fftA1, fftA2;
        int fftState;
        std::vector<std::string> labels;
    };
    const Case cases[] = {
        {31, true, false, 1, {"  A1"}},
        {28, true, false, 1, {}}, // one analog channel: no channel name
        {31, false, true, 2, {"  A2"}},
    };
    for (const Case& k : cases) {
        Info info;
        info.state.System.Device_Type_Code = k.variant;
        info.state.FFT_A1.View = k.fftA1;
        info.state.FFT_A2.View = k.fftA2;
        info.fftState = k.fftState;
        EXPECT_EQ(info.draw().at(kC2, kR0), k.labels) << k.variant;
    }
}

TEST(InfoText, TriggerText) {
    struct Case {
        std::int32_t variant;
        TrigSource source;
        int count;
        std::string text; // empty: nothing at c3
        ColorRef color;
    };
    const Case cases[] = {
        {31, TrigSource::A1, 1, "Trig. A1  1.000 V", kA1},
        {28, TrigSource::A1, 1, "Trig.  1.000 V", kA1},
        {31, TrigSource::A2, 1, "Trig. A2  500.0 mV", kA2},
        {31, TrigSource::D1, 1, "Trig. D1  dig.", kD1},
        {28, TrigSource::D1, 1, "Trig.  dig.", kD1},
        {31, TrigSource::D2, 1, "Trig. D2  dig.", kD2},
        {31, TrigSource::A1, 3, "Trig. A1  1.000 V     N = 3", kA1},
        {31, TrigSource::D2, 255, "Trig. D2  dig.     N = 255", kD2},
        {31, TrigSource::A1, 0, "", 0}, // roll or free-running: no trigger
    };
    for (const Case& k : cases) {
        Info info;
        info.state.System.Device_Type_Code = k.variant;
        info.state.Trigger.Source = k.source;
        info.state.Trigger.Lev_A2 = 95; // 32 codes above A2's zero at 0.5 V/div
        info.params.triggerCount = static_cast<std::uint8_t>(k.count);
        const auto& c = info.draw();
        const auto texts = c.at(kC3, kR0);
        if (k.text.empty()) {
            EXPECT_TRUE(texts.empty());
            continue;
        }
        ASSERT_EQ(texts.size(), 1u) << k.text;
        EXPECT_EQ(texts[0], k.text);
        EXPECT_EQ(c.find(k.text)->color, k.color);
    }
}

TEST(InfoText, TriggerLevelIsRoundedAndLimitedToTheCodeRange) {
    struct Case {
        double level;
        std::string text;
    };
    const Case cases[] = {
        {223.5, "Trig. A1  1.031 V"}, // rounds half away from zero to 224
        {300, "Trig. A1  2.000 V"},   // 255
        {-40, "Trig. A1  -5.969 V"},  // 0
        {std::numeric_limits<double>::quiet_NaN(), "Trig. A1  -5.969 V"},
        {std::numeric_limits<double>::infinity(), "Trig. A1  2.000 V"},
    };
    for (const Case& k : cases) {
        Info info;
        info.state.Trigger.Lev_A1 = k.level;
        EXPECT_EQ(info.draw().firstAt(kC3, kR0), k.text) << k.level;
    }
}

TEST(InfoText, PeakDetectionMark) {
    Info info;
    info.header[kHdrPairs] = 1;
    const auto& c = info.draw();
    EXPECT_EQ(c.firstAt(kC2, kR0), "1 mS    p.d.");
    EXPECT_EQ(c.firstAt(kC3, 25), "Smpl = 10000 p.d.");
}

TEST(InfoText, LeftEdgeAsTimeOrSweepFrequency) {
    struct Case {
        bool sweep;
        std::int32_t span; // field 19
        std::int32_t trigPos;
        int scroll;
        std::string text;
    };
    // Sweep from 10 kHz rising by 0.1 Hz per ns after the trigger (900 kHz over 4500 samples).
    const Case cases[] = {
        {false, 9'000'000, 500, 0, "-1.0000 mS"},
        {false, 9'000'000, 500, 1500, "2.0000 mS"},
        {true, 9'000'000, 500, 1000, "110.00 KHz"}, // 1 ms after the trigger
        {true, 9'000'000, 500, 0, "10.000 KHz"},    // before the trigger: the start frequency
        {true, 0, 500, 1000, "..."},                // no sweep span
        {true, 9'000'000, 5000, 1000, "..."},       // no samples after the trigger
    };
    for (const Case& k : cases) {
        Info info;
        if (k.sweep)
            info.state.Generator.Mode = GenMode::F_Sweep;
        info.header[kHdrGenSecond] = k.span;
        info.header[kHdrGenFrequency] = 100'000;
        info.header[kHdrTrigPos] = k.trigPos;
        info.scroll = k.scroll;
        EXPECT_EQ(info.draw().firstAt(kC0, kR1), k.text) << k.sweep << " " << k.scroll;
    }
}

TEST(InfoText, FrequencyMeterLabels) {
    struct Case {
        std::int32_t variant, source;
        std::string text;
        ColorRef color;
    };
    const Case cases[] = {
        {31, 1, "F(A1) = 1.000000 KHz", kA1},    {28, 1, "F(A) = 1.000000 KHz", kA1},
        {31, 2, "F(A2) = 1.000000 KHz", kA2},    {31, 3, "F(D1) = 1.000000 KHz", kD1},
        {28, 3, "F(D) = 1.000000 KHz", kD1},     {31, 5, "F(D1) = 8.000000 KHz", kD1},
        {28, 5, "F(D) = 8.000000 KHz", kD1},     {31, 4, "F(D2) = 1.000000 KHz", kD2},
        {31, 6, "F(D2) = 8.000000 KHz", kD2},    {31, 0, "F = 1.000000 KHz", kGridFrame},
        {31, 9, "F = 1.000000 KHz", kGridFrame},
    };
    for (const Case& k : cases) {
        Info info;
        info.state.System.Device_Type_Code = k.variant;
        info.header[kHdrFmRange] = k.source;
        info.header[kHdrFmTime] = 0;
        const auto& c = info.draw();
        ASSERT_EQ(c.at(kC4, kR1), std::vector<std::string>{k.text});
        EXPECT_EQ(c.find(k.text)->color, k.color);
    }
}

TEST(InfoText, FrequencyMeterOnlyOnVariantsWithOne) {
    Info info;
    info.state.System.Device_Type_Code = 0; // ZR4000: no frequency meter
    EXPECT_TRUE(info.draw().at(kC4, kR1).empty());
}

TEST(InfoText, OscillogramMarkersModeOne) {
    struct Case {
        bool sweep;
        std::int32_t span;
        std::string text;
    };
    // Marker at 250 units: 5 divisions from the left edge, 4 ms after the trigger.
    const Case cases[] = {
        {false, 9'000'000, "T = 4.0000 mS"},
        {true, 9'000'000, "F = 410.00 KHz"},
        {true, 0, "F = ..."},
    };
    for (const Case& k : cases) {
        Info info;
        info.markers(1);
        if (k.sweep)
            info.state.Generator.Mode = GenMode::F_Sweep;
        info.header[kHdrGenSecond] = k.span;
        info.header[kHdrGenFrequency] = 100'000;
        info.state.Common.Marker_x = 250;
        info.state.Common.Marker_y = 32; // 32 codes above A1's zero of 191: 1 V
        const auto& c = info.draw();
        EXPECT_EQ(c.at(kC0, kR2), std::vector<std::string>{k.text});
        EXPECT_TRUE(c.at(kC2, kR2).empty());
        EXPECT_EQ(c.at(kC4, kR3), (std::vector<std::string>{"V = 1.000 V", "V = "}));
        ASSERT_EQ(c.at(kC4, kR4).size(), 2u);
        for (const auto& t : c.texts) { // row 4's label in A2's colour
            if (t.x == kC4 && t.y == kR4) {
                EXPECT_EQ(t.color, t.text == "V = " ? kA2 : kMarkers);
            }
        }
    }
}

TEST(InfoText, OscillogramMarkersModeTwoWithSweep) {
    Info info;
    info.state.Generator.Mode = GenMode::F_Sweep;
    info.header[kHdrGenSecond] = 9'000'000;
    info.header[kHdrGenFrequency] = 100'000;
    const auto& c = info.draw();
    // Markers 1 ms and 7 ms after the trigger, in ascending order.
    EXPECT_EQ(c.firstAt(kC0, kR2), "F1 = 110.00 KHz");
    EXPECT_EQ(c.firstAt(kC2, kR2), "F2 = 710.00 KHz");
    EXPECT_EQ(c.firstAt(kC3, kR2), "dF = 600.0 KHz");
    EXPECT_TRUE(c.at(kC4, kR2).empty());

    info.header[kHdrGenSecond] = 0; // no slope
    const auto& d = info.draw();
    EXPECT_EQ(d.firstAt(kC0, kR2), "F1 = ...");
    EXPECT_EQ(d.firstAt(kC2, kR2), "F2 = ...");
    EXPECT_EQ(d.firstAt(kC3, kR2), "dF = ...");
}

TEST(InfoText, MarkersOnTheSameTimeHaveNoInverse) {
    Info info;
    info.state.Common.Marker2_x = info.state.Common.Marker1_x;
    EXPECT_EQ(info.draw().firstAt(kC4, kR2), "1/dT = ...");
    EXPECT_EQ(info.canvas.firstAt(kC3, kR2), "dT = 0.000 nS");
}

TEST(InfoText, SpectrumMarkerModeOne) {
    Info info;
    info.showSpectrumA1();
    info.markers(1);
    info.state.Common.Marker_x = 250; // the middle of the span
    info.state.Common.Marker_y = 64;  // 20 dB under the reference
    const auto& c = info.draw();
    EXPECT_EQ(c.at(kC0, kR2), (std::vector<std::string>{"F = 125.0 KHz", "F"}));
    EXPECT_EQ(c.find("F")->color, kFft);
    EXPECT_EQ(c.at(kC4, kR3), (std::vector<std::string>{"V = -10.00 dBV", "V ="}));
}

TEST(InfoText, NoMarkersNoMarkerTexts) {
    Info info;
    info.markers(0);
    const auto& c = info.draw();
    for (int x : {kC0, kC2, kC3, kC4})
        EXPECT_TRUE(c.at(x, kR2).empty());
    EXPECT_TRUE(c.at(kC4, kR3).empty());
    EXPECT_TRUE(c.at(kC4, kR4).empty());
}

TEST(InfoText, OptionalParts) {
    Info info;
    info.state.Common.Measure = false;
    info.state.Common.Extra_Info = false;
    info.state.Common.CH_A2 = false;
    const auto& c = info.draw();
    EXPECT_TRUE(c.at(kC0, kR3).empty());  // no measurements
    EXPECT_EQ(c.at(kC4, kR3).size(), 2u); // marker readings stay
    EXPECT_TRUE(c.at(kC1, kR0).empty());  // A2 off: no A2 scale
    EXPECT_TRUE(c.at(kC4, kR4).empty());  // nor A2's row
    EXPECT_TRUE(c.at(kC2, kR1).empty());  // no sample rate
    EXPECT_TRUE(c.at(kC3, kR1).empty());
    EXPECT_TRUE(c.at(kC2, 25).empty()); // diagnostic line needs Extra_Info

    Info service;
    service.state.System.Debug_qs = false;
    service.state.System.No_Excuse = true;
    EXPECT_EQ(service.draw().firstAt(kC4, 25), "F/L/E = 25/ 2/ 1");
    service.state.System.No_Excuse = false;
    EXPECT_TRUE(service.draw().at(kC4, 25).empty());
}

TEST(InfoText, ChannelRowsInEachFftState) {
    struct Case {
        int fftState;
        std::string row3, row4; // first text at c0; empty: nothing in the row
    };
    const Case cases[] = {
        {0, "Vpp = 2.000 V", "Vpp = ..."},
        {1, "Vp = 9.03 dBV", ""},
        {2, "", "Vp = 9.03 dBV"},
        {3, "Vpp = 2.000 V", "Vpp = ..."}, // spectrum not possible: oscillogram readings
        {4, "Vpp = 2.000 V", "Vpp = ..."},
        {5, "Vpp = 2.000 V", "Vpp = ..."},
    };
    for (const Case& k : cases) {
        Info info;
        info.fftState = k.fftState;
        const auto& c = info.draw();
        EXPECT_EQ(c.firstAt(kC0, kR3), k.row3) << k.fftState;
        EXPECT_EQ(c.firstAt(kC0, kR4), k.row4) << k.fftState;
        EXPECT_EQ(c.at(kC4, kR3).empty(), k.row3.empty()) << k.fftState;
        EXPECT_EQ(c.at(kC4, kR4).empty(), k.row4.empty()) << k.fftState;
    }
}

TEST(InfoText, ReadingsThatCannotBeComputed) {
    struct Case {
        const char* what;
        void (*change)(Info&);
        int x, y;
        std::vector<std::string> texts;
    };
    const Case cases[] = {
        {"no spectral peak",
         [](Info& i) {
             i.showSpectrumA1();
             i.spectrumValid = false;
         },
         kC0,
         kR3,
         {"Vp = ...", "Vp ="}},
        {"no spectral peak",
         [](Info& i) {
             i.showSpectrumA1();
             i.spectrumValid = false;
         },
         kC2,
         kR3,
         {"Fp = ...", "Fp ="}},
        {"no spectral peak",
         [](Info& i) {
             i.showSpectrumA1();
             i.spectrumValid = false;
         },
         kC0,
         kR0,
         {"... dBV"}},
        {"no divider",
         [](Info& i) {
             i.showSpectrumA1();
             i.header[kHdrDivider] = 0;
         },
         kC0,
         kR3,
         {"Vp = ...", "Vp ="}},
        {"no divider",
         [](Info& i) {
             i.showSpectrumA1();
             i.header[kHdrDivider] = 0;
         },
         kC3,
         kR0,
         {"Span ..."}},
        {"no divider",
         [](Info& i) {
             i.showSpectrumA1();
             i.header[kHdrDivider] = 0;
         },
         kC0,
         kR2,
         {"F1 = ...", "F1"}},
        {"no divider",
         [](Info& i) {
             i.showSpectrumA1();
             i.header[kHdrDivider] = 0;
         },
         kC3,
         kR2,
         {"dF = ...", "dF"}},
        {"no divider", [](Info& i) { i.header[kHdrDivider] = 0; }, kC2, kR1, {"Fsmpl = ..."}},
        {"no valid samples", [](Info& i) { i.header[kHdrValid] = 0; }, kC0, kR3, {"Vpp = ..."}},
        {"no valid samples", [](Info& i) { i.header[kHdrValid] = 0; }, kC2, kR3, {"Vdc = ..."}},
        {"clipped", [](Info& i) { i.header[kHdrPeakToPeakA1] = -1; }, kC2, kR3, {"Vdc = ..."}},
        {"no gate", [](Info& i) { i.header[kHdrFmCount2] = 0; }, kC4, kR1, {"F(A1) = ..."}},
        {"no events", [](Info& i) { i.header[kHdrFmCount1] = 0; }, kC4, kR1, {"F(A1) = ..."}},
        {"no status packet",
         [](Info& i) { i.state.Instrument.vccValid = false; },
         kC2,
         25,
         {"Vcc = ..."}},
        {"no time base", [](Info& i) { i.params.timePerDivNs = 0; }, kC3, kR1, {"Div = ..."}},
        {"no time base", [](Info& i) { i.params.timePerDivNs = 0; }, kC4, kR2, {"1/dT = ..."}},
    };
    for (const Case& k : cases) {
        Info info;
        k.change(info);
        EXPECT_EQ(info.draw().at(k.x, k.y), k.texts) << k.what;
    }
}

TEST(InfoText, NoFrameYet) {
    Info info;
    info.header = {};
    info.state.Instrument.vccValid = false;
    const auto& c = info.draw();
    EXPECT_EQ(c.firstAt(kC0, kR1), "0.0000 nS");
    EXPECT_EQ(c.firstAt(kC2, kR1), "Fsmpl = ...");
    EXPECT_EQ(c.firstAt(kC3, kR1), "Div = 0.00");
    EXPECT_EQ(c.firstAt(kC4, kR1), "F = ...");
    EXPECT_EQ(c.firstAt(kC0, kR3), "Vpp = ...");
    EXPECT_EQ(c.firstAt(kC0, kR4), "Vpp = ...");
    EXPECT_EQ(c.firstAt(kC3, 25), "Smpl = 0");
}

// A damaged header (a data file whose fields no instrument writes) reads within its record and
// prints "..." for what it cannot give, instead of times of thousands of seconds.
TEST(InfoText, DamagedHeadersReadWithinTheRecord) {
    struct Case {
        const char* what;
        void (*change)(Info&);
        std::vector<std::pair<std::pair<int, int>, std::string>> texts; // first text at (x, y)
    };
    const Case cases[] = {
        {"trigger position far beyond the record",
         [](Info& i) { i.header[kHdrTrigPos] = INT32_MAX; },
         {{{kC0, kR1}, "-10.000 mS"}, // the trigger at the record's end
          {{kC0, kR2}, "T1 = -8.000 mS"},
          {{kC2, kR2}, "T2 = -2.000 mS"}}},
        {"divider no instrument is given",
         [](Info& i) { i.header[kHdrDivider] = kLargestDivider + 1; },
         {{{kC0, kR1}, "..."},
          {{kC2, kR1}, "Fsmpl = ..."},
          {{kC3, kR1}, "Div = ..."},
          {{kC0, kR2}, "T1 = ..."},
          {{kC2, kR2}, "T2 = ..."},
          {{kC3, kR2}, "dT = 6.000 mS"}}}, // the markers' distance needs no trigger time
        {"negative divider",
         [](Info& i) { i.header[kHdrDivider] = -200; },
         {{{kC0, kR1}, "..."}, {{kC2, kR1}, "Fsmpl = ..."}}},
        {"valid count beyond the record",
         [](Info& i) { i.header[kHdrValid] = INT32_MAX; },
         {{{kC3, 25}, "Smpl = 5000"}, {{kC3, kR1}, "Div = 10.00"}, {{kC2, kR3}, "Vdc = 328.1 mV"}}},
        {"level sum beyond the codes",
         [](Info& i) { i.header[kHdrLevelSumA1] = 2'000'000'000; },
         {{{kC0, kR3}, "Vpp = 2.000 V"}, {{kC2, kR3}, "Vdc = ..."}}},
        {"peak-to-peak beyond the codes",
         [](Info& i) { i.header[kHdrPeakToPeakA1] = 300; },
         {{{kC0, kR3}, "Vpp = ..."}, {{kC2, kR3}, "Vdc = 328.1 mV"}}},
        {"no volts per division at capture",
         [](Info& i) { i.header[kHdrVoltsDivA1] = 0; },
         {{{kC0, kR3}, "Vpp = ..."}, {{kC2, kR3}, "Vdc = ..."}}},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        Info info;
        k.change(info);
        const auto& c = info.draw();
        for (const auto& [at, text] : k.texts)
            EXPECT_EQ(c.firstAt(at.first, at.second), text);
    }
}

TEST(InfoText, DecimalSeparatorOfTheLocale) {
    Info info;
    info.separator = ",";
    const auto& c = info.draw();
    EXPECT_EQ(c.firstAt(kC3, kR1), "Div = 10,00");
    EXPECT_EQ(c.firstAt(kC0, kR2), "T1 = 1,000 mS");
    EXPECT_EQ(c.firstAt(kC2, kR3), "Vdc = 328,1 mV");
    EXPECT_EQ(c.firstAt(kC2, 25), "Vcc = 5.02 V"); // built from whole hundredths
    info.showSpectrumA1();
    EXPECT_EQ(info.draw().firstAt(kC0, kR3), "Vp = 9,03 dBV");
}

TEST(InfoText, NegativeSupplyVoltageAndCounters) {
    Info info;
    info.state.Instrument.vcc = -7;
    const auto& c = info.draw();
    EXPECT_EQ(c.firstAt(kC2, 25), "Vcc = -0.07 V");
}

// Frames loaded from files can carry any header values. Every state of the text is drawn over
// headers made of extreme values; nothing may divide by zero or overflow (the sanitizer build
// checks), and the computable texts stay finite.
TEST(InfoText, HostileHeadersDrawWithoutFault) {
    const std::int32_t extremes[] = {0, -1, 1, INT32_MIN, INT32_MAX};
    for (std::int32_t v : extremes) {
        for (int pattern = 0; pattern < 3; ++pattern) {
            Info info;
            for (int f = 0; f < kHeaderFields; ++f)
                info.header[f] = pattern == 0 ? v : (f % 2 == pattern - 1 ? v : ~v);
            info.state.Generator.Mode = GenMode::F_Sweep;
            info.state.Common.Marker_x = INT32_MIN;
            info.state.Common.Marker1_y = INT32_MIN;
            info.state.Common.Marker2_y = INT32_MAX;
            info.state.Scope.A1_Zero = INT32_MAX;
            info.state.Instrument.vcc = INT32_MIN;
            info.params.timePerDivNs = pattern == 2 ? 0 : INT64_MAX;
            info.params.voltsDivA1 = INT32_MIN;
            info.peakLevel = 1e308;
            info.scroll = INT32_MAX;
            for (int fft = 0; fft <= 5; ++fft) {
                for (int markers = 0; markers <= 2; ++markers) {
                    info.fftState = fft;
                    info.markers(markers);
                    const auto& c = info.draw();
                    EXPECT_FALSE(c.texts.empty());
                    for (const auto& t : c.texts) {
                        EXPECT_EQ(t.text.find("NaN"), std::string::npos)
                            << t.text << " fft " << fft << " value " << v;
                        EXPECT_EQ(t.text.find("INF"), std::string::npos)
                            << t.text << " fft " << fft << " value " << v;
                    }
                }
            }
        }
    }
}

} // namespace
} // namespace qs40
