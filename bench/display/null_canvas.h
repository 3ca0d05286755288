// A canvas that draws nothing: benchmarks measure the computation and the calls a picture
// takes, without the pixels.
#pragma once

#include "display/canvas.h"

namespace qs40::bench {

class NullCanvas final : public Canvas {
public:
    NullCanvas(int width, int height) : width_(width), height_(height) {}
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
    int width() const override { return width_; }
    int height() const override { return height_; }

private:
    int width_;
    int height_;
};

} // namespace qs40::bench
