// The whole per-frame routine into a canvas that does nothing: the cost of the computation and
// of the calls the picture takes, without the pixels.
#include "frame_routine_bench.h"
#include "null_canvas.h"

namespace {

using namespace qs40;

void BM_FrameRoutineNullCanvas(benchmark::State& state) {
    bench::NullCanvas canvas(bench::kPaintWidth, bench::kPaintHeight);
    bench::runFrameRoutine(state, canvas);
}
BENCHMARK(BM_FrameRoutineNullCanvas)->Apply(bench::frameRoutineArgs);

} // namespace
