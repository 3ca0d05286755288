// qs40-render: takes frames from the simulated instrument through the real acquisition core
// (link, FPGA load, acquisition thread, decoder) and writes the picture the per-frame routine
// draws to a PNG file, so that a person can look at it without starting the window.
//
//   qs40-render --out FILE.png [--sim TEXT] [--size WxH] [--fft a1|a2] [--markers 0|1|2]
//               [--background] [--english] [--timediv KEY]
#include <QCommandLineParser>
#include <QGuiApplication>
#include <QImage>

#include <cstdio>
#include <thread>

#include "device/acquisition/acquisition_session.h"
#include "display/frame_routine.h"
#include "display/layout.h"
#include "main/qt_canvas.h"
#include "scope/panel_view.h"
#include "scope/parameter_computation.h"
#include "sim/sim_d2xx.h"
#include "sim/sim_options.h"

namespace qs40 {
namespace {

using namespace std::chrono_literals;

// Answers every question with No: the tool never rebuilds anything.
class SilentUi final : public Ui {
public:
    BoxAnswer messageBox(const std::string&, const std::string& text, BoxIcon,
                         BoxButtons buttons) override {
        std::fprintf(stderr, "qs40-render: %s\n", text.c_str());
        return buttons == BoxButtons::Ok ? BoxAnswer::Ok : BoxAnswer::No;
    }
    std::optional<std::string> openFileName(const FileDialogRequest&) override { return {}; }
    std::optional<std::string> saveFileName(const FileDialogRequest&) override { return {}; }
    void processMessages() override {}
};

struct Options {
    QString out;
    std::string sim = "sim";
    int width = 1000;
    int height = 600;
    int fft = 0; // 0 none, 1 A1, 2 A2
    int markers = 2;
    bool background = false;
    bool english = false;
    std::string timeDiv = "1mS";
};

// The acquisition session on a manual simulated clock; this thread serves the synchronised
// calls.
class Acquisition {
public:
    explicit Acquisition(sim::SimOptions options)
        : d2xx_(std::move(options)), session_(d2xx_, ui_, SessionSetup{"qs40-render", false, {}, {}}) {
        session_.setPause([this](std::chrono::milliseconds ms) { d2xx_.advance(ms); });
    }

    bool connect() {
        if (session_.open() != FT_OK)
            return false;
        session_.startThread({});
        return pumpUntil([this] { return session_.link().linkUp.load(); });
    }
    bool acquire(const AcquisitionSnapshot& snapshot, std::uint32_t frames) {
        const std::uint64_t before = session_.framesDecodedTotal();
        session_.runWith(snapshot);
        return pumpUntil([&] { return session_.framesDecodedTotal() >= before + frames; });
    }
    void stop() { session_.stopThread(); }
    FrameSets& frames() { return session_.frames(); }

private:
    template <class F> bool pumpUntil(F done) {
        for (int step = 0; step < 3000; ++step) {
            for (int k = 0; k < 20; ++k) {
                session_.serve();
                if (done())
                    return true;
                std::this_thread::sleep_for(50us);
            }
            d2xx_.advance(10ms);
        }
        return done();
    }

    sim::SimD2xx d2xx_;
    SilentUi ui_;
    AcquisitionSession session_;
};

int render(const Options& o) {
    std::string error;
    auto simOptions = sim::parseSimDeviceText(o.sim, &error);
    if (!simOptions) {
        std::fprintf(stderr, "qs40-render: %s\n", error.c_str());
        return 2;
    }
    simOptions->clock = sim::SimClock::Manual;

    ScopeState state;
    state.System.Device_Type_Code = simOptions->instrument.variantCode;
    state.Common.Russian = !o.english;
    state.Run.runDown = state.Run.running = true;
    state.Run.generatorOn = true;
    state.Trigger.Source = TrigSource::A1;
    state.Trigger.Lev_A1 = 200;
    state.Common.Markers_1 = o.markers == 1;
    state.Common.Markers_2 = o.markers == 2;
    state.FFT_A1.View = o.fft == 1;
    state.FFT_A2.View = o.fft == 2;
    if (const int t = findGroupMember(GroupId::TimeDiv, o.timeDiv); t >= 0)
        setGroupSelection(state, GroupId::TimeDiv, t);
    keepAmplInRange(state);
    state.Generator.Ampl = 200;

    AcquisitionParams params;
    PanelView view;

    Acquisition acquisition(std::move(*simOptions));
    if (!acquisition.connect()) {
        std::fprintf(stderr, "qs40-render: the simulated instrument did not come up\n");
        return 1;
    }
    FrameSets& frames = acquisition.frames();
    computeParameters(state, params, frames.backgroundLevels, view);
    if (o.background) {
        // A first frame at a lower A1 level becomes the background oscillogram.
        if (!acquisition.acquire(snapshotOf(params, state), 2)) {
            std::fprintf(stderr, "qs40-render: no frame arrived\n");
            return 1;
        }
        std::lock_guard lock(frames.mutex);
        *frames.background = *frames.current;
        frames.backgroundLevels = {state.Trigger.Lev_A1, state.Trigger.Lev_A2,
                                   state.Scope.A1_Zero, state.Scope.A2_Zero};
        state.Run.bgView = true;
        state.Scope.A1_Zero = 150;
        computeParameters(state, params, frames.backgroundLevels, view);
    }
    if (!acquisition.acquire(snapshotOf(params, state), 3)) {
        std::fprintf(stderr, "qs40-render: no frame arrived\n");
        return 1;
    }
    acquisition.stop();

    const PlotGeometry geometry = computePlotGeometry(o.width, o.height);
    QImage image(o.width, o.height, QImage::Format_RGB32);
    image.fill(Qt::black);
    Spectrum spectrum;
    ActivityIndicator activity;
    FrameRoutine routine;
    {
        QtCanvas canvas(image);
        FrameInput in{state, params, frames, geometry, spectrum, activity};
        in.running = true;
        in.frameMark = true;
        const FrameOutput out = routine.run(in, canvas);
        std::printf("%s\n", out.caption.c_str());
        canvas.finish();
    }
    if (!image.save(o.out, "PNG")) {
        std::fprintf(stderr, "qs40-render: cannot write %s\n", o.out.toLocal8Bit().constData());
        return 1;
    }
    return 0;
}

} // namespace
} // namespace qs40

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Renders frames of the simulated instrument as the window draws them, to a PNG file.");
    parser.addHelpOption();
    parser.addOptions({
        {"out", "PNG file to write.", "file"},
        {"sim", "Simulated instrument (device text, default sim).", "text", "sim"},
        {"size", "Picture size WxH (default 1000x600).", "size", "1000x600"},
        {"fft", "Spectrum of a1 or a2.", "channel"},
        {"markers", "Marker mode 0, 1 or 2 (default 2).", "mode", "2"},
        {"background", "Keep an earlier frame as background oscillogram."},
        {"english", "English texts (default Russian, as the program starts)."},
        {"timediv", "Time base key, e.g. 1mS, 10uS (default 1mS).", "key", "1mS"},
    });
    parser.process(app);
    qs40::Options o;
    o.out = parser.value("out");
    if (o.out.isEmpty()) {
        std::fprintf(stderr, "qs40-render: --out FILE.png is required\n");
        return 2;
    }
    o.sim = parser.value("sim").toStdString();
    const QStringList size = parser.value("size").split('x');
    if (size.size() == 2) {
        o.width = std::clamp(size[0].toInt(), 200, 4000);
        o.height = std::clamp(size[1].toInt(), 150, 4000);
    }
    const QString fft = parser.value("fft").toLower();
    o.fft = fft == "a1" ? 1 : fft == "a2" ? 2 : 0;
    o.markers = std::clamp(parser.value("markers").toInt(), 0, 2);
    o.background = parser.isSet("background");
    o.english = parser.isSet("english");
    o.timeDiv = parser.value("timediv").toStdString();
    return qs40::render(o);
}
