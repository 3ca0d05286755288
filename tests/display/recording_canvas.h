// A canvas for tests: records every call with its arguments and the pen, brush and font in force,
// and answers questions about what was drawn (texts, lines, polygons, fills by colour).
//
// Text widths are deterministic: half the font's pixel height per character (code point), at
// least one pixel per character.
#pragma once

#include "display/canvas.h"

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace qs40::test {

enum class CallKind {
    SetPenColor,
    SetBrushColor,
    SetBrushTransparent,
    SetFont,
    SetFontColor,
    Line,
    Rectangle,
    FillRect,
    Polygon,
    Polyline,
    Arc,
    Ellipse,
    Pixel,
    Text,
};

// The drawing state a call is made with (for the setters: the state they leave).
struct DrawState {
    std::uint32_t pen = 0;
    std::uint32_t brush = 0xFFFFFF;
    bool brushTransparent = false;
    std::string fontFamily;
    int fontHeight = 0;
    std::uint32_t fontColor = 0;
    friend bool operator==(const DrawState&, const DrawState&) = default;
};

struct Call {
    CallKind kind;
    std::vector<int> args;     // coordinates, in the order of the Canvas call; a setter's value
    std::vector<Point> points; // polygon and polyline points
    std::string text;          // text and font family
    DrawState state;
};

struct LineCall {
    int x1, y1, x2, y2;
    std::uint32_t pen;
    friend bool operator==(const LineCall&, const LineCall&) = default;
};

struct ShapeCall {
    CallKind kind; // Rectangle, FillRect, Polygon, Polyline, Ellipse or Arc
    std::vector<int> args;
    std::vector<Point> points;
    DrawState state;
};

struct TextCall {
    int x, y;
    std::string text;
    DrawState state;
};

class RecordingCanvas : public Canvas {
public:
    explicit RecordingCanvas(int width = 1000, int height = 600) : width_(width), height_(height) {}

    // With recording off the calls only change the drawing state; nothing is kept.
    void setRecording(bool on) { recording_ = on; }
    void clear() { calls_.clear(); }

    // ---- Canvas
    void setPenColor(std::uint32_t color) override {
        state_.pen = color;
        record(CallKind::SetPenColor, {static_cast<int>(color)});
    }
    void setBrushColor(std::uint32_t color) override {
        state_.brush = color;
        state_.brushTransparent = false;
        record(CallKind::SetBrushColor, {static_cast<int>(color)});
    }
    void setBrushTransparent() override {
        state_.brushTransparent = true;
        record(CallKind::SetBrushTransparent, {});
    }
    void setFont(std::string_view family, int pixelHeight) override {
        state_.fontFamily = std::string(family);
        state_.fontHeight = pixelHeight;
        record(CallKind::SetFont, {pixelHeight}, {}, family);
    }
    void setFontColor(std::uint32_t color) override {
        state_.fontColor = color;
        record(CallKind::SetFontColor, {static_cast<int>(color)});
    }
    void line(int x1, int y1, int x2, int y2) override { record(CallKind::Line, {x1, y1, x2, y2}); }
    void rectangle(int x1, int y1, int x2, int y2) override {
        record(CallKind::Rectangle, {x1, y1, x2, y2});
    }
    void fillRect(int x1, int y1, int x2, int y2) override {
        record(CallKind::FillRect, {x1, y1, x2, y2});
    }
    void polygon(std::span<const Point> points) override { record(CallKind::Polygon, {}, points); }
    void polyline(std::span<const Point> points) override {
        record(CallKind::Polyline, {}, points);
    }
    void arc(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) override {
        record(CallKind::Arc, {x1, y1, x2, y2, x3, y3, x4, y4});
    }
    void ellipse(int x1, int y1, int x2, int y2) override {
        record(CallKind::Ellipse, {x1, y1, x2, y2});
    }
    void pixel(int x, int y, std::uint32_t color) override {
        record(CallKind::Pixel, {x, y, static_cast<int>(color)});
    }
    void text(int x, int y, std::string_view utf8) override {
        record(CallKind::Text, {x, y}, {}, utf8);
    }
    int textWidth(std::string_view utf8) override {
        int chars = 0;
        for (unsigned char c : utf8)
            chars += (c & 0xC0) != 0x80; // count code points, not bytes
        return chars * std::max(1, state_.fontHeight / 2);
    }
    int width() const override { return width_; }
    int height() const override { return height_; }

    // ---- Questions
    const std::vector<Call>& calls() const { return calls_; }
    const DrawState& state() const { return state_; }

    int count(CallKind kind) const {
        return static_cast<int>(std::count_if(calls_.begin(), calls_.end(),
                                              [&](const Call& c) { return c.kind == kind; }));
    }

    std::vector<LineCall> lines() const {
        std::vector<LineCall> out;
        for (const Call& c : calls_)
            if (c.kind == CallKind::Line)
                out.push_back({c.args[0], c.args[1], c.args[2], c.args[3], c.state.pen});
        return out;
    }
    std::vector<LineCall> linesWithPen(std::uint32_t pen) const {
        std::vector<LineCall> out;
        for (const LineCall& l : lines())
            if (l.pen == pen)
                out.push_back(l);
        return out;
    }

    std::vector<ShapeCall> shapes(CallKind kind) const {
        std::vector<ShapeCall> out;
        for (const Call& c : calls_)
            if (c.kind == kind)
                out.push_back({c.kind, c.args, c.points, c.state});
        return out;
    }
    std::vector<ShapeCall> polygons() const { return shapes(CallKind::Polygon); }
    std::vector<ShapeCall> polylines() const { return shapes(CallKind::Polyline); }
    std::vector<ShapeCall> arcs() const { return shapes(CallKind::Arc); }
    std::vector<ShapeCall> ellipses() const { return shapes(CallKind::Ellipse); }
    std::vector<ShapeCall> rectangles() const { return shapes(CallKind::Rectangle); }

    // Filled areas (fillRect, rectangle, polygon, ellipse) whose brush is the colour.
    std::vector<ShapeCall> fills(std::uint32_t brush) const {
        std::vector<ShapeCall> out;
        for (const Call& c : calls_) {
            const bool filled = c.kind == CallKind::FillRect || c.kind == CallKind::Rectangle ||
                                c.kind == CallKind::Polygon || c.kind == CallKind::Ellipse;
            if (filled && !c.state.brushTransparent && c.state.brush == brush)
                out.push_back({c.kind, c.args, c.points, c.state});
        }
        return out;
    }

    std::vector<TextCall> texts() const {
        std::vector<TextCall> out;
        for (const Call& c : calls_)
            if (c.kind == CallKind::Text)
                out.push_back({c.args[0], c.args[1], c.text, c.state});
        return out;
    }
    // The first text that contains part.
    std::optional<TextCall> findText(std::string_view part) const {
        for (const TextCall& t : texts())
            if (t.text.find(part) != std::string::npos)
                return t;
        return std::nullopt;
    }

    // The smallest box holding every line, shape and text position drawn (an empty box when
    // nothing was drawn): lets a test check that no coordinate ran away.
    struct Box {
        int minX = 0, minY = 0, maxX = 0, maxY = 0;
        bool empty = true;
    };
    Box bounds() const {
        Box b;
        auto add = [&](int x, int y) {
            if (b.empty) {
                b = {x, y, x, y, false};
                return;
            }
            b.minX = std::min(b.minX, x);
            b.minY = std::min(b.minY, y);
            b.maxX = std::max(b.maxX, x);
            b.maxY = std::max(b.maxY, y);
        };
        for (const Call& c : calls_) {
            switch (c.kind) {
            case CallKind::Line:
            case CallKind::Rectangle:
            case CallKind::FillRect:
            case CallKind::Ellipse:
            case CallKind::Arc:
                for (std::size_t i = 0; i + 1 < c.args.size(); i += 2)
                    add(c.args[i], c.args[i + 1]);
                break;
            case CallKind::Pixel:
            case CallKind::Text:
                add(c.args[0], c.args[1]);
                break;
            case CallKind::Polygon:
            case CallKind::Polyline:
                for (const Point& p : c.points)
                    add(p.x, p.y);
                break;
            default:
                break;
            }
        }
        return b;
    }

private:
    void record(CallKind kind, std::initializer_list<int> args, std::span<const Point> points = {},
                std::string_view text = {}) {
        if (recording_)
            calls_.push_back({kind,
                              std::vector<int>(args),
                              {points.begin(), points.end()},
                              std::string(text),
                              state_});
    }

    int width_;
    int height_;
    bool recording_ = true;
    DrawState state_;
    std::vector<Call> calls_;
};

} // namespace qs40::test
