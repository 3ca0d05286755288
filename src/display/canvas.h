// The drawing surface the display code paints on. The Qt program implements it over the
// off-screen QImage; tests use a recording canvas and assert on what was drawn.
//
// Coordinates are integer pixels, y growing downwards. Colours are 0x00BBGGRR (red in the low
// byte). Lines exclude their end point; rectangles exclude their right and bottom edges.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace qs40 {

struct Point {
    int x = 0;
    int y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

class Canvas {
public:
    virtual ~Canvas() = default;

    virtual void setPenColor(std::uint32_t color) = 0;
    virtual void setBrushColor(std::uint32_t color) = 0;
    // Shapes and texts are then drawn without filling their background.
    virtual void setBrushTransparent() = 0;
    virtual void setFont(std::string_view family, int pixelHeight) = 0;
    virtual void setFontColor(std::uint32_t color) = 0;

    // From (x1, y1) to (x2, y2), the end point excluded.
    virtual void line(int x1, int y1, int x2, int y2) = 0;
    // Filled with the brush, outlined with the pen; (x2, y2) is exclusive.
    virtual void rectangle(int x1, int y1, int x2, int y2) = 0;
    // Filled with the brush only; (x2, y2) is exclusive.
    virtual void fillRect(int x1, int y1, int x2, int y2) = 0;
    // Closed, filled with the brush, outlined with the pen.
    virtual void polygon(std::span<const Point> points) = 0;
    // Open, pen only.
    virtual void polyline(std::span<const Point> points) = 0;
    // The arc of the ellipse bounded by (x1, y1)-(x2, y2), counter-clockwise from the ray
    // through (x3, y3) to the ray through (x4, y4), pen only.
    virtual void arc(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) = 0;
    // Bounded by (x1, y1)-(x2, y2), filled with the brush, outlined with the pen.
    virtual void ellipse(int x1, int y1, int x2, int y2) = 0;
    virtual void pixel(int x, int y, std::uint32_t color) = 0;
    // Top-left at (x, y), in the font colour; the background behind it in the brush colour
    // unless the brush is transparent.
    virtual void text(int x, int y, std::string_view utf8) = 0;
    virtual int textWidth(std::string_view utf8) = 0;
    virtual int width() const = 0;
    virtual int height() const = 0;
};

} // namespace qs40
