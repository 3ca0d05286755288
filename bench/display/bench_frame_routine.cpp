// The whole per-frame routine into a canvas that does nothing: the cost of the computation and
// of the calls the picture takes, without the pixels.
#include "frame_routine_bench.h"

namespace {

using namespace qs40;

class NullCanvas final : public Canvas {
public:
    void setPenColor(std::uint32_t) override {}
    void setBrushColor(std::uint32_t) override {}
    void setBrushTransparent() override {}
    void setFont(std::string_view, int) override {}
    void setFontColor(std::uint32_t) override {}
    void line(int, int, int, int) override {}
    void rectangle(int, int, int, int) override {}
    void fillRect(int, int, int, int) override {}
    void polygon(std::span<const Point>) override {}
    void polyline(std::span<const Point>) override {}
    void arc(int, int, int, int, int, int, int, int) override {}
    void ellipse(int, int, int, int) override {}
    void pixel(int, int, std::uint32_t) override {}
    void text(int, int, std::string_view) override {}
    int textWidth(std::string_view s) override { return static_cast<int>(s.size()) * 6; }
    int width() const override { return bench::kPaintWidth; }
    int height() const override { return bench::kPaintHeight; }
};

void BM_FrameRoutineNullCanvas(benchmark::State& state) {
    NullCanvas canvas;
    bench::runFrameRoutine(state, canvas);
}
BENCHMARK(BM_FrameRoutineNullCanvas)->Apply(bench::frameRoutineArgs);

} // namespace
