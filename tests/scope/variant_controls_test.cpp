#include "scope/parameter_computation.h"
#include "scope/variant_controls.h"

#include <gtest/gtest.h>

namespace qs40 {
namespace {

// Everything that a variant without a part must let go of.
ScopeState everythingActive(std::int32_t code) {
    ScopeState s;
    s.System.Device_Type_Code = code;
    s.Common.CH_A2 = true;
    s.Common.CH_D2 = true;
    s.FFT_A2.View = true;
    s.Common.Sampling = Sampling::N20000;
    s.Run.generatorOn = true;
    return s;
}

TEST(VariantControls, SmallestVariantReleasesWhatItLacks) {
    ScopeState s = everythingActive(0);
    s.Trigger.Source = TrigSource::A2;
    s.Common.FreqMeter = FreqMeter::A2;
    PanelView v;
    applyVariantControls(s, v);
    EXPECT_FALSE(v.variant.a2Visible);
    EXPECT_FALSE(v.variant.d2Visible);
    EXPECT_FALSE(v.variant.generatorVisible);
    EXPECT_FALSE(v.variant.freqMeterVisible);
    EXPECT_FALSE(v.variant.longRecordsVisible);
    EXPECT_FALSE(s.Trigger.Source.has_value());
    EXPECT_EQ(s.Common.FreqMeter, FreqMeter::A1);
    EXPECT_FALSE(s.Common.CH_A2);
    EXPECT_FALSE(s.Common.CH_D2);
    EXPECT_FALSE(s.FFT_A2.View);
    EXPECT_EQ(s.Common.Sampling, Sampling::N5000);
    EXPECT_FALSE(s.Run.generatorOn);
    EXPECT_EQ(v.variant.checkedDeviceItem, 0);

    const TriggerRowView& a = v.variant.triggerA;
    EXPECT_EQ(a.firstCaption, "A");
    EXPECT_FALSE(a.secondVisible);
    EXPECT_EQ(a.sourceWidth, 51);
    EXPECT_EQ(a.nextLeft, (std::array<int, 2>{58, 110}));
    EXPECT_EQ(a.nextWidth, 51);
    EXPECT_EQ(v.variant.triggerD.firstCaption, "D");
    EXPECT_EQ(v.variant.triggerD.nextLeft, (std::array<int, 2>{58, 110}));
}

TEST(VariantControls, FullVariantKeepsEverything) {
    ScopeState s = everythingActive(31);
    s.Trigger.Source = TrigSource::D2;
    s.Common.FreqMeter = FreqMeter::D2_HF;
    PanelView v;
    applyVariantControls(s, v);
    EXPECT_TRUE(v.variant.a2Visible && v.variant.d2Visible && v.variant.generatorVisible &&
                v.variant.freqMeterVisible && v.variant.longRecordsVisible);
    EXPECT_EQ(s.Trigger.Source, TrigSource::D2);
    EXPECT_EQ(s.Common.FreqMeter, FreqMeter::D2_HF);
    EXPECT_TRUE(s.Common.CH_A2 && s.Common.CH_D2 && s.FFT_A2.View && s.Run.generatorOn);
    EXPECT_EQ(s.Common.Sampling, Sampling::N20000);
    EXPECT_EQ(v.variant.triggerA.firstCaption, "A1");
    EXPECT_EQ(v.variant.triggerD.firstCaption, "D1");
    EXPECT_EQ(v.variant.triggerA.sourceWidth, 38);
    EXPECT_EQ(v.variant.triggerD.nextLeft, (std::array<int, 2>{84, 123}));
    EXPECT_EQ(v.variant.triggerD.nextWidth, 38);
    EXPECT_EQ(v.variant.checkedDeviceItem, 5);
}

TEST(VariantControls, FrequencyMeterInputMovesToTheFirstDigitalChannel) {
    const std::pair<FreqMeter, FreqMeter> cases[] = {
        {FreqMeter::D2, FreqMeter::D1},
        {FreqMeter::D2_HF, FreqMeter::D1_HF},
        {FreqMeter::A2, FreqMeter::A2}, // code 25 has A2
        {FreqMeter::D1, FreqMeter::D1},
    };
    for (const auto& [before, after] : cases) {
        ScopeState s;
        s.System.Device_Type_Code = 25; // A2, no D2
        s.Common.FreqMeter = before;
        PanelView v;
        applyVariantControls(s, v);
        EXPECT_EQ(s.Common.FreqMeter, after);
    }
}

TEST(VariantControls, UnknownCodeChecksNoDeviceItem) {
    ScopeState s;
    s.System.Device_Type_Code = 0x1D;
    PanelView v;
    applyVariantControls(s, v);
    EXPECT_EQ(v.variant.checkedDeviceItem, -1);
    EXPECT_TRUE(v.variant.a2Visible); // bit 0 of 0x1D
    EXPECT_FALSE(v.variant.d2Visible);
}

// The computation then never sees A2 on.
TEST(VariantControls, WithoutA2TheComputationNeverEnablesA2) {
    ScopeState s = everythingActive(28);
    AcquisitionParams p;
    BackgroundLevels bg;
    PanelView v;
    applyVariantControls(s, v);
    computeParameters(s, p, bg, v);
    EXPECT_EQ(p.routingBits & 0x02, 0);
    EXPECT_EQ(p.runBits & 0x02, 0x02); // paired mode: A1 uses both analog halves
    EXPECT_TRUE(p.paired);
    EXPECT_EQ(p.recordLength, 20000);
    EXPECT_EQ(v.voltsDivLabelA1.substr(0, 7), "       ");
}

TEST(ServiceSwitches, WhatEachSwitchShows) {
    struct Case {
        bool debug, noExcuse, tdc;
        bool tdcItem, device, tPlus;
        IntRange ampl;
        std::int32_t amplAfter; // from a stored 0
    };
    const Case cases[] = {
        {false, false, false, false, false, false, {11, 386}, 11},
        {false, false, true, true, false, false, {11, 386}, 11},
        {true, false, false, true, true, true, {0, 511}, 0},
        {false, true, false, true, true, false, {0, 511}, 0},
    };
    for (const Case& k : cases) {
        ScopeState s;
        s.System.Debug_qs = k.debug;
        s.System.No_Excuse = k.noExcuse;
        s.System.TDC_Clbr = k.tdc;
        s.Generator.Ampl = 0;
        PanelView v;
        applyServiceSwitches(s, v);
        SCOPED_TRACE(::testing::Message() << k.debug << k.noExcuse << k.tdc);
        EXPECT_EQ(v.service.tdcCalibrateVisible, k.tdcItem);
        EXPECT_EQ(v.service.deviceMenuVisible, k.device);
        EXPECT_EQ(v.service.deviceServiceItemsVisible, k.device);
        EXPECT_EQ(v.service.tPlusVisible, k.tPlus);
        EXPECT_EQ(v.service.recorderVisible, k.tPlus);
        EXPECT_EQ(v.service.amplitudeRange.min, k.ampl.min);
        EXPECT_EQ(v.service.amplitudeRange.max, k.ampl.max);
        EXPECT_EQ(s.Generator.Ampl, k.amplAfter);
    }
}

} // namespace
} // namespace qs40
