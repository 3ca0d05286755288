// The Canvas port over a QImage: the off-screen bitmap of the plot.
//
// Lines, rectangles, fills and pixels are written straight into the image with the drawing
// rules of the display code (a line excludes its end point, rectangles exclude their right and
// bottom edges, no antialiasing; a transparent brush fills nothing); polygon interiors, ellipses,
// arcs and texts go through a QPainter. Everything is clipped to the image.
#pragma once

#include "display/canvas.h"

#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QRgb>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace qs40 {

// 0x00BBGGRR (red in the low byte) to an opaque QRgb.
QRgb toQRgb(std::uint32_t color);

class QtCanvas final : public Canvas {
public:
    // Paints on image, which must outlive the canvas. An image in a format other than RGB32 or
    // ARGB32 (premultiplied or not) is converted to RGB32 first. The image must not be resized
    // or replaced while the canvas paints on it: call finish() first.
    explicit QtCanvas(QImage& image);
    ~QtCanvas() override;
    QtCanvas(const QtCanvas&) = delete;
    QtCanvas& operator=(const QtCanvas&) = delete;

    // Ends the painter, so that the image may be copied, resized or replaced; the next drawing
    // call begins painting again.
    void finish();

    void setPenColor(std::uint32_t color) override;
    void setBrushColor(std::uint32_t color) override;
    void setBrushTransparent() override;
    void setFont(std::string_view family, int pixelHeight) override;
    void setFontColor(std::uint32_t color) override;

    void line(int x1, int y1, int x2, int y2) override;
    void rectangle(int x1, int y1, int x2, int y2) override;
    void fillRect(int x1, int y1, int x2, int y2) override;
    void polygon(std::span<const Point> points) override;
    void polyline(std::span<const Point> points) override;
    void arc(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) override;
    void ellipse(int x1, int y1, int x2, int y2) override;
    void pixel(int x, int y, std::uint32_t color) override;
    void text(int x, int y, std::string_view utf8) override;
    int textWidth(std::string_view utf8) override;
    int width() const override;
    int height() const override;

private:
    QPainter& painter();
    const QFontMetrics& metrics();
    void rasterLine(int x1, int y1, int x2, int y2, QRgb color);
    void fill(std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2, QRgb color);

    QImage& image_;
    std::unique_ptr<QPainter> painter_;
    QRgb pen_ = 0xFF000000;
    QRgb brush_ = 0xFFFFFFFF;
    bool brushTransparent_ = false;
    QRgb fontColor_ = 0xFF000000;
    std::string fontFamily_;
    int fontHeight_ = 0;
    QFont font_;
    std::optional<QFontMetrics> metrics_;
};

} // namespace qs40
