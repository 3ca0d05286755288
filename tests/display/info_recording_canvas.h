// A canvas that records the texts drawn on it, with their place, colours and font, for the
// info-text tests. Shapes are ignored.
#pragma once

#include "display/canvas.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace qs40::test {

struct InfoRecordedText {
    int x = 0;
    int y = 0;
    std::string text;
    std::uint32_t color = 0;
    std::optional<std::uint32_t> brush; // none: transparent
    std::string font;
    int fontHeight = 0;
};

class InfoRecordingCanvas : public Canvas {
public:
    std::vector<InfoRecordedText> texts;

    // The texts drawn at (x, y), in drawing order.
    std::vector<std::string> at(int x, int y) const {
        std::vector<std::string> out;
        for (const auto& t : texts)
            if (t.x == x && t.y == y)
                out.push_back(t.text);
        return out;
    }
    // The first text drawn at (x, y), or "" when none.
    std::string firstAt(int x, int y) const {
        const auto all = at(x, y);
        return all.empty() ? std::string() : all.front();
    }
    const InfoRecordedText* find(const std::string& text) const {
        for (const auto& t : texts)
            if (t.text == text)
                return &t;
        return nullptr;
    }

    void setPenColor(std::uint32_t) override {}
    void setBrushColor(std::uint32_t color) override { brush_ = color; }
    void setBrushTransparent() override { brush_.reset(); }
    void setFont(std::string_view family, int pixelHeight) override {
        font_ = family;
        fontHeight_ = pixelHeight;
    }
    void setFontColor(std::uint32_t color) override { color_ = color; }
    void line(int, int, int, int) override {}
    void rectangle(int, int, int, int) override {}
    void fillRect(int, int, int, int) override {}
    void polygon(std::span<const Point>) override {}
    void polyline(std::span<const Point>) override {}
    void arc(int, int, int, int, int, int, int, int) override {}
    void ellipse(int, int, int, int) override {}
    void pixel(int, int, std::uint32_t) override {}
    void text(int x, int y, std::string_view utf8) override {
        texts.push_back({x, y, std::string(utf8), color_, brush_, font_, fontHeight_});
    }
    int textWidth(std::string_view utf8) override { return static_cast<int>(utf8.size()) * 6; }
    int width() const override { return 640; }
    int height() const override { return 400; }

private:
    std::uint32_t color_ = 0;
    std::optional<std::uint32_t> brush_;
    std::string font_;
    int fontHeight_ = 0;
};

} // namespace qs40::test
