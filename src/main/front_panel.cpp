#include "main/front_panel.h"

#include "main/glyphs.h"
#include "main/paint_box.h"

#include <QString>

namespace qs40 {
namespace {

using design::kButtonHeight;

constexpr int kColumn[] = {6, 45, 84, 123}; // the four columns of the "Scope" group
constexpr int kColumnWidth = 38;
constexpr int kVoltsLeft[] = {6, 58, 110};
constexpr int kVoltsWidth = 51;
constexpr int kTimeDivTop = 72;
constexpr int kTimeDivStep = 23;

// Trigger section tops at design height; they keep their distance from the group's bottom.
constexpr int kTrigTop = 406;
constexpr int kTrigRowA = 431;
constexpr int kTrigRowD = 454;

// Generator group.
constexpr int kGenRight = 318; // left edge of the waveform and range buttons and the bars
constexpr int kBarHeight = 15;
constexpr int kBarTops[] = {72, 88, 104};

constexpr const char* kTimeDivNames[] = {
    "SpeedButton_20S",  "SpeedButton_10S",   "SpeedButton_5S",    "SpeedButton_2S",
    "SpeedButton_1S",   "SpeedButton_500mS", "SpeedButton_200mS", "SpeedButton_100mS",
    "SpeedButton_50mS", "SpeedButton_20mS",  "SpeedButton_10mS",  "SpeedButton_5mS",
    "SpeedButton_2mS",  "SpeedButton_1mS",   "SpeedButton_05mS",  "SpeedButton_02mS",
    "SpeedButton_01mS", "SpeedButton_50uS",  "SpeedButton_20uS",  "SpeedButton_10uS",
    "SpeedButton_5uS",  "SpeedButton_2uS",   "SpeedButton_1uS",   "SpeedButton_05uS",
    "SpeedButton_02uS", "SpeedButton_01uS",  "SpeedButton_50nS",
};
constexpr const char* kVoltsNames[] = {"2V", "1V", "05V", "02V", "100mV", "50mV"};
constexpr const char* kTrigNames[] = {"SpeedButton_TrigA1", "SpeedButton_TrigA2",
                                      "SpeedButton_TrigD1", "SpeedButton_TrigD2"};
constexpr const char* kGenModeNames[] = {"SpeedButton_Mod", "SpeedButton_Pulse",
                                         "SpeedButton_Sweep"};
constexpr const char* kRangeNames[] = {
    "SpeedButton_10K_1S",  "SpeedButton_100K_100mS", "SpeedButton_1M_10mS",
    "SpeedButton_10M_1mS", "SpeedButton_50M_100uS",  "SpeedButton__10uS_Noise",
};

struct WaveButton {
    GenWave wave;
    const char* name;
    Glyph glyph;
};
// Left to right on the panel.
constexpr WaveButton kWaves[] = {
    {GenWave::Sin, "SpeedButton_Sin", Glyph::Sine},
    {GenWave::Rect, "SpeedButton_Rect", Glyph::Rectangle},
    {GenWave::Up_Trian, "SpeedButton_Up_Trian", Glyph::RisingSaw},
    {GenWave::Dn_Trian, "SpeedButton_Dn_Trian", Glyph::FallingSaw},
    {GenWave::Trian, "SpeedButton_Trian", Glyph::Triangle},
};

template <class W> W* named(W* widget, const char* name, QRect geometry) {
    widget->setObjectName(name);
    widget->setGeometry(geometry);
    return widget;
}

// A latching speed button: its down state is the checked state, which the window sets from
// the scope state after every click.
QToolButton* speedButton(QWidget* parent, const char* name, const QString& caption,
                         QRect geometry) {
    auto* b = named(new QToolButton(parent), name, geometry);
    b->setCheckable(true);
    b->setText(caption);
    b->setFocusPolicy(Qt::NoFocus);
    return b;
}

QToolButton* glyphButton(QWidget* parent, const char* name, Glyph glyph, QRect geometry) {
    auto* b = speedButton(parent, name, {}, geometry);
    b->setIcon(glyphIcon(glyph));
    b->setIconSize({24, 16});
    return b;
}

QFrame* swatch(QWidget* parent, const char* name, QRect geometry) {
    auto* f = named(new QFrame(parent), name, geometry);
    f->setFrameShape(QFrame::Box);
    f->setAutoFillBackground(true);
    return f;
}

QScrollBar* bar(QWidget* parent, const char* name, int min, int max, int page, QRect geometry) {
    auto* s = named(new QScrollBar(Qt::Horizontal, parent), name, geometry);
    s->setRange(min, max);
    s->setPageStep(page);
    s->setFocusPolicy(Qt::NoFocus);
    return s;
}

ChannelInputs buildChannel(QWidget* group, const char* channel, int top) {
    ChannelInputs c;
    const auto name = [channel](const char* kind) { return QByteArray(kind).append(channel); };
    c.label = speedButton(group, name("SpeedButton_VoltsDiv_").constData(),
                          QString("     %1 Volts/Div ").arg(channel),
                          {kColumn[0], top - 22, 116, kButtonHeight});
    c.label->setCheckable(false);
    c.color = swatch(group, name("Panel_Color_").constData(), {10, top - 18, 12, 14});
    c.coupling = glyphButton(group, name("SpeedButton_ACDC_").constData(), Glyph::Coupling,
                             {kColumn[3], top - 22, kColumnWidth, kButtonHeight});
    const auto& members = groupDef(GroupId::VoltsDiv_A1).members;
    for (int i = 0; i < 6; ++i) {
        const QByteArray objectName =
            QByteArray("SpeedButton_").append(kVoltsNames[i]).append('_').append(channel);
        c.volts[i] = speedButton(
            group, objectName.constData(),
            QString::fromUtf8(members[i].caption.data(), members[i].caption.size()),
            {kVoltsLeft[i % 3], top + (i / 3) * kButtonHeight, kVoltsWidth, kButtonHeight});
    }
    return c;
}

void buildScopeGroup(FrontPanel& p, QWidget* parent) {
    auto* g = named(new QGroupBox("Scope", parent), "GroupBox1",
                    {design::kSignalWidth, 0, design::kScopeWidth, design::kClientHeight});
    p.scope = g;
    p.run = speedButton(g, "SpeedButton_Run", "RUN", {6, 20, 77, 26});
    p.sngl = speedButton(g, "SpeedButton_Sngl", "SINGLE", {84, 20, 77, 26});
    p.colorTimeDiv = swatch(g, "Panel_Color_TD", {6, 55, 12, 12});
    p.timeDivText = named(new QLabel("Time/Div", g), "StaticText_TimeDiv", {24, 52, 137, 18});

    const auto& times = groupDef(GroupId::TimeDiv).members;
    for (int i = 0; i < 27; ++i)
        p.timeDiv[i] = speedButton(
            g, kTimeDivNames[i],
            QString::fromUtf8(times[i].caption.data(), times[i].caption.size()),
            {kColumn[i % 4], kTimeDivTop + (i / 4) * kTimeDivStep, kColumnWidth, kButtonHeight});

    p.a1 = buildChannel(g, "A1", design::kTopA1);
    p.a2 = buildChannel(g, "A2", design::kTopA2);

    p.trig = named(new QToolButton(g), "SpeedButton_Trig", {22, kTrigTop, 139, kButtonHeight});
    p.trig->setText("Trigger");
    p.trig->setFocusPolicy(Qt::NoFocus);
    p.colorTrig = swatch(g, "Panel_Color_Trig", {6, kTrigTop + 5, 12, 12});
    const char* sourceCaptions[] = {"A1", "A2", "D1", "D2"};
    for (int i = 0; i < 4; ++i)
        p.trigSource[i] = speedButton(
            g, kTrigNames[i], sourceCaptions[i],
            {kColumn[i % 2], i < 2 ? kTrigRowA : kTrigRowD, kColumnWidth, kButtonHeight});
    p.trigEdge = glyphButton(g, "SpeedButton_TrigEdge", Glyph::TriggerEdge,
                             {kColumn[2], kTrigRowA, kColumnWidth, kButtonHeight});
    p.autoTrig = speedButton(g, "SpeedButton_Auto", "Auto",
                             {kColumn[3], kTrigRowA, kColumnWidth, kButtonHeight});
    p.tPlus = speedButton(g, "SpeedButton_TPLUS", "T+",
                          {kColumn[2], kTrigRowD, kColumnWidth, kButtonHeight});
    p.retTrig = glyphButton(g, "SpeedButton_ret_trig", Glyph::ReturnToTrigger,
                            {kColumn[3], kTrigRowD, kColumnWidth, kButtonHeight});
    p.retTrig->setCheckable(false);
}

void buildSignalPanel(FrontPanel& p, QWidget* parent) {
    const int height = design::kClientHeight - design::kGeneratorHeight;
    p.signal = named(new QWidget(parent), "Panel_Signal", {0, 0, design::kSignalWidth, height});
    p.image = named(new PaintBox(p.signal), "Image_M",
                    {0, 0, design::kSignalWidth, height - design::kPositionBarHeight});
    p.xPos = bar(
        p.signal, "ScrollBar_X_POS", 0, 3000, 50,
        {0, height - design::kPositionBarHeight, design::kSignalWidth, design::kPositionBarHeight});
}

void buildGeneratorGroup(FrontPanel& p, QWidget* parent) {
    auto* g = named(new QGroupBox("Generator", parent), "GroupBox2",
                    {0, design::kClientHeight - design::kGeneratorHeight, design::kSignalWidth,
                     design::kGeneratorHeight});
    p.generator = g;
    p.genOn = speedButton(g, "SpeedButton_GenOn", "ON", {6, 18, 66, kButtonHeight});
    const char* modeCaptions[] = {"Mod.", "Pulse", "Sweep"};
    const int modeTops[] = {92, 69, 46};
    for (int i = 0; i < 3; ++i)
        p.genMode[i] =
            speedButton(g, kGenModeNames[i], modeCaptions[i], {6, modeTops[i], 66, kButtonHeight});

    p.panelGen = named(new QFrame(g), "Panel_Gen", {78, 18, 234, 96});
    p.panelGen->setFrameShape(QFrame::StyledPanel);
    p.panelGen->setAutoFillBackground(true);
    const auto label = [&](const char* name, int top) {
        auto* l = named(new QLabel(p.panelGen), name, {6, top, 222, 20});
        l->setAutoFillBackground(true);
        return l;
    };
    p.labelF = label("Label_F", 4);
    p.labelMod = label("Label_Mod", 26);
    p.labelPulse = label("Label_Pulse", 48);
    p.labelV = label("Label_V", 70);

    for (int i = 0; i < 5; ++i) {
        const WaveButton& w = kWaves[i];
        p.wave[static_cast<std::size_t>(w.wave)] =
            glyphButton(g, w.name, w.glyph, {kGenRight + i * 31, 18, 30, kButtonHeight});
    }
    const auto& ranges = groupDef(GroupId::GenRange).members;
    for (int i = 0; i < 6; ++i)
        p.range[i] =
            speedButton(g, kRangeNames[i],
                        QString::fromUtf8(ranges[i].caption.data(), ranges[i].caption.size()),
                        {kGenRight + i * 40, 44, 39, kButtonHeight});
    // The noise button's design caption; the computation gives it its real one.
    p.range[5]->setText("10uS");

    const int barWidth = design::kSignalWidth - kGenRight - 6;
    p.fFast =
        bar(g, "ScrollBar_F_fast", 0, 1000, 10, {kGenRight, kBarTops[0], barWidth, kBarHeight});
    p.fSlow =
        bar(g, "ScrollBar_F_slow", 0, 1000, 10, {kGenRight, kBarTops[1], barWidth, kBarHeight});
    p.amplitude =
        bar(g, "ScrollBar_Amplitude", 0, 511, 10, {kGenRight, kBarTops[2], barWidth, kBarHeight});
}

template <std::size_t N> void checkOne(const std::array<QToolButton*, N>& buttons, int selected) {
    for (std::size_t i = 0; i < N; ++i)
        buttons[i]->setChecked(static_cast<int>(i) == selected);
}

template <std::size_t N>
void setCaptions(const std::array<QToolButton*, N>& buttons,
                 const std::array<std::string, N>& captions) {
    for (std::size_t i = 0; i < N; ++i)
        buttons[i]->setText(QString::fromStdString(captions[i]));
}

void setValue(QScrollBar* bar, int value) {
    const QSignalBlocker block(bar);
    bar->setValue(value);
}

void mirrorChannel(ChannelInputs& c, VoltsDiv volts, bool ac,
                   const std::array<std::string, 6>& captions, const std::string& label,
                   bool visible) {
    checkOne(c.volts, static_cast<int>(volts));
    setCaptions(c.volts, captions);
    c.label->setText(QString::fromStdString(label));
    c.coupling->setChecked(ac);
    for (QWidget* w : {static_cast<QWidget*>(c.label), static_cast<QWidget*>(c.color),
                       static_cast<QWidget*>(c.coupling)})
        w->setVisible(visible);
    for (QToolButton* b : c.volts)
        b->setVisible(visible);
}

// The source button of the first channel and the two buttons after the sources.
void mirrorTriggerRow(QToolButton* first, QToolButton* second, QToolButton* next1,
                      QToolButton* next2, const TriggerRowView& row) {
    first->setText(QString::fromStdString(row.firstCaption));
    first->resize(row.sourceWidth, first->height());
    second->setVisible(row.secondVisible);
    next1->setGeometry(row.nextLeft[0], next1->y(), row.nextWidth, next1->height());
    next2->setGeometry(row.nextLeft[1], next2->y(), row.nextWidth, next2->height());
}

// Speed buttons must show at a glance which are down: a latched button gets a sunken, tinted
// face rather than the style's faint checked shade.
constexpr const char* kPanelStyle = R"(
QToolButton {
    font-size: 11px;
    border: 1px solid #8a8a8a;
    border-radius: 2px;
    background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #fbfbfb, stop:1 #dedede);
}
QToolButton:hover { border-color: #5a7fb0; }
QToolButton:pressed, QToolButton:checked {
    border: 1px solid #3d5f8f;
    background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #9db6d6, stop:1 #bcd0ea);
}
QToolButton:disabled { color: #a0a0a0; border-color: #c0c0c0; }
QGroupBox {
    border: 1px solid #a8a8a8;
    border-radius: 3px;
    margin-top: 7px;
}
QGroupBox::title { subcontrol-origin: margin; left: 6px; padding: 0 3px; }
)";

} // namespace

FrontPanel buildFrontPanel(QWidget* parent) {
    parent->setStyleSheet(kPanelStyle);
    FrontPanel p;
    buildSignalPanel(p, parent);
    buildGeneratorGroup(p, parent);
    buildScopeGroup(p, parent);
    return p;
}

void mirrorFrontPanel(FrontPanel& p, const ScopeState& s, const PanelView& view) {
    const VariantView& variant = view.variant;
    p.run->setChecked(s.Run.runDown);
    p.sngl->setChecked(s.Run.snglDown);
    checkOne(p.timeDiv, static_cast<int>(s.Scope.TimeDiv));
    mirrorChannel(p.a1, s.Scope.VoltsDiv_A1, s.Scope.A1_ACDC, view.voltsDivCaptionsA1,
                  view.voltsDivLabelA1, true);
    mirrorChannel(p.a2, s.Scope.VoltsDiv_A2, s.Scope.A2_ACDC, view.voltsDivCaptionsA2,
                  view.voltsDivLabelA2, variant.a2Visible);

    checkOne(p.trigSource, groupSelection(s, GroupId::TrigSource));
    p.trigEdge->setChecked(s.Trigger.Edge);
    p.autoTrig->setChecked(s.Trigger.Auto);
    p.tPlus->setChecked(s.Run.tPlus);
    p.tPlus->setVisible(view.service.tPlusVisible);
    mirrorTriggerRow(p.trigSource[0], p.trigSource[1], p.trigEdge, p.autoTrig, variant.triggerA);
    mirrorTriggerRow(p.trigSource[2], p.trigSource[3], p.tPlus, p.retTrig, variant.triggerD);

    p.genOn->setChecked(s.Run.generatorOn);
    checkOne(p.genMode, groupSelection(s, GroupId::GenMode));
    p.genMode[static_cast<std::size_t>(GenMode::F_Sweep)]->setEnabled(view.sweepEnabled);
    checkOne(p.wave, static_cast<int>(s.Generator.Wave));
    for (std::size_t i = 0; i < p.wave.size(); ++i)
        p.wave[i]->setEnabled(view.waveEnabled[i]);
    checkOne(p.range, static_cast<int>(s.Generator.Range));
    setCaptions(p.range, view.genRangeCaptions);
    p.range[static_cast<std::size_t>(GenRange::R50M_100uS)]->setVisible(view.range50MVisible);
    p.range[static_cast<std::size_t>(GenRange::Noise)]->setVisible(view.noiseVisible);

    p.fFast->setEnabled(view.freqBarsEnabled);
    p.fSlow->setEnabled(view.freqBarsEnabled);
    setValue(p.fFast, s.Generator.F_fast);
    setValue(p.fSlow, s.Generator.F_slow);
    {
        const QSignalBlocker block(p.amplitude);
        p.amplitude->setRange(view.service.amplitudeRange.min, view.service.amplitudeRange.max);
        p.amplitude->setValue(s.Generator.Ampl);
    }
    p.labelMod->setVisible(s.Generator.Mode == GenMode::Mod);
    p.labelPulse->setVisible(s.Generator.Mode == GenMode::Pulse);
}

void placePanels(FrontPanel& p, int clientWidth, int clientHeight, bool compact,
                 bool showGenerator) {
    int signalWidth = clientWidth;
    int signalHeight = clientHeight;
    if (!compact) {
        signalWidth = std::max(0, clientWidth - design::kScopeWidth);
        p.scope->setGeometry(signalWidth, 0, design::kScopeWidth, clientHeight);
        if (showGenerator) {
            signalHeight = std::max(0, clientHeight - design::kGeneratorHeight);
            p.generator->setGeometry(0, signalHeight, signalWidth, design::kGeneratorHeight);
            const int barWidth = std::max(0, signalWidth - kGenRight - 6);
            for (QScrollBar* b : {p.fFast, p.fSlow, p.amplitude})
                b->resize(barWidth, b->height());
        }
    }
    p.signal->setGeometry(0, 0, signalWidth, signalHeight);
    const int imageHeight = std::max(0, signalHeight - design::kPositionBarHeight);
    p.image->setGeometry(0, 0, signalWidth, imageHeight);
    p.xPos->setGeometry(0, imageHeight, signalWidth, design::kPositionBarHeight);
}

void placeInputButtons(FrontPanel& p, const InputButtonTops& tops) {
    for (auto [c, t] : {std::pair{&p.a1, tops.a1}, std::pair{&p.a2, tops.a2}}) {
        c->label->move(c->label->x(), t.label);
        c->color->move(c->color->x(), t.colorPanel);
        c->coupling->move(c->coupling->x(), t.coupling);
        for (int i = 0; i < 6; ++i)
            c->volts[i]->move(c->volts[i]->x(), i < 3 ? t.firstRow : t.secondRow);
    }
    const int shift = p.scope->height() - design::kClientHeight;
    p.trig->move(p.trig->x(), kTrigTop + shift);
    p.colorTrig->move(p.colorTrig->x(), kTrigTop + 5 + shift);
    for (QToolButton* b : {p.trigSource[0], p.trigSource[1], p.trigEdge, p.autoTrig})
        b->move(b->x(), kTrigRowA + shift);
    for (QToolButton* b : {p.trigSource[2], p.trigSource[3], p.tPlus, p.retTrig})
        b->move(b->x(), kTrigRowD + shift);
}

} // namespace qs40
