// The whole per-frame routine painting the off-screen QImage through the Qt canvas, as the
// program does.
#include "frame_routine_bench.h"
#include "main/qt_canvas.h"

#include <QGuiApplication>

#include <vector>

namespace {

using namespace qs40;

void BM_FrameRoutineQtCanvas(benchmark::State& state) {
    QImage image(bench::kPaintWidth, bench::kPaintHeight, QImage::Format_RGB32);
    QtCanvas canvas(image);
    bench::runFrameRoutine(state, canvas);
    canvas.finish();
}
BENCHMARK(BM_FrameRoutineQtCanvas)->Apply(bench::frameRoutineArgs);

} // namespace

// Fonts need an application object; without a platform chosen by the environment the
// benchmark runs offscreen.
int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    int qtArgc = 1;
    std::vector<char*> qtArgv{argv[0], nullptr};
    QGuiApplication app(qtArgc, qtArgv.data());
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
