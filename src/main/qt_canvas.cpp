#include "main/qt_canvas.h"

#include <QPolygonF>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <cmath>
#include <mutex>
#include <numbers>

namespace qs40 {
namespace {

using Wide = __int128; // products of two line lengths of up to 2^32 pixels

// Rounds a quotient towards positive infinity; den > 0.
Wide ceilDiv(Wide num, Wide den) {
    const Wide q = num / den;
    return q * den < num ? q + 1 : q;
}

// The display code names Windows fonts; offer what a Linux desktop has in their place.
void installFontSubstitutes() {
    static std::once_flag once;
    std::call_once(once, [] {
        const QStringList sans{QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")};
        QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"), sans);
        QFont::insertSubstitutions(QStringLiteral("Arial"), sans);
    });
}

QString fromUtf8(std::string_view s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

// The direction of the ray from the centre through a point, in degrees counter-clockwise from
// the positive x axis as the screen shows it (y grows downwards).
double rayAngle(double cx, double cy, int x, int y) {
    return std::atan2(cy - y, x - cx) * 180.0 / std::numbers::pi;
}

} // namespace

QRgb toQRgb(std::uint32_t color) {
    return qRgb(static_cast<int>(color & 0xFF), static_cast<int>((color >> 8) & 0xFF),
                static_cast<int>((color >> 16) & 0xFF));
}

QtCanvas::QtCanvas(QImage& image) : image_(image) {
    installFontSubstitutes();
    const QImage::Format f = image_.format();
    if (f != QImage::Format_RGB32 && f != QImage::Format_ARGB32 &&
        f != QImage::Format_ARGB32_Premultiplied)
        image_ = image_.convertToFormat(QImage::Format_RGB32);
}

QtCanvas::~QtCanvas() {
    finish();
}

void QtCanvas::finish() {
    if (painter_)
        painter_->end();
    painter_.reset();
}

QPainter& QtCanvas::painter() {
    if (!painter_) {
        painter_ = std::make_unique<QPainter>(&image_);
        painter_->setRenderHint(QPainter::Antialiasing, false);
        painter_->setRenderHint(QPainter::TextAntialiasing, false);
    }
    return *painter_;
}

void QtCanvas::setPenColor(std::uint32_t color) {
    pen_ = toQRgb(color);
}

void QtCanvas::setBrushColor(std::uint32_t color) {
    brush_ = toQRgb(color);
    brushTransparent_ = false;
}

void QtCanvas::setBrushTransparent() {
    brushTransparent_ = true;
}

void QtCanvas::setFont(std::string_view family, int pixelHeight) {
    if (family == fontFamily_ && pixelHeight == fontHeight_ && metrics_)
        return;
    fontFamily_ = std::string(family);
    fontHeight_ = pixelHeight;
    font_ = QFont(fromUtf8(family));
    font_.setPixelSize(std::max(1, pixelHeight));
    font_.setStyleHint(QFont::SansSerif, QFont::NoAntialias);
    metrics_.reset();
}

void QtCanvas::setFontColor(std::uint32_t color) {
    fontColor_ = toQRgb(color);
}

const QFontMetrics& QtCanvas::metrics() {
    if (!metrics_)
        metrics_.emplace(font_);
    return *metrics_;
}

// The pixels of a line are those of the rounded ideal line, one per step along the longer
// axis, from the start point up to but excluding the end point. Only the part inside the image
// is visited, so a line of any length costs what its visible part costs.
void QtCanvas::rasterLine(int x1, int y1, int x2, int y2, QRgb color) {
    const std::int64_t dx = std::int64_t{x2} - x1;
    const std::int64_t dy = std::int64_t{y2} - y1;
    if (dx == 0 && dy == 0)
        return;
    const bool xMajor = std::abs(dx) >= std::abs(dy);
    // Step i (0 <= i < n) sets the pixel a = a1 + sa i on the major axis and b = b1 + sb k(i) on
    // the minor one, k(i) = floor((2 i m + n) / (2 n)): i m / n rounded half up.
    const std::int64_t n = xMajor ? std::abs(dx) : std::abs(dy);
    const std::int64_t m = xMajor ? std::abs(dy) : std::abs(dx);
    const std::int64_t a1 = xMajor ? x1 : y1;
    const std::int64_t b1 = xMajor ? y1 : x1;
    const int sa = (xMajor ? dx : dy) > 0 ? 1 : -1;
    const int sb = (xMajor ? dy : dx) > 0 ? 1 : -1;
    const std::int64_t aMax = (xMajor ? image_.width() : image_.height()) - 1;
    const std::int64_t bMax = (xMajor ? image_.height() : image_.width()) - 1;
    if (aMax < 0 || bMax < 0)
        return;

    Wide lo = 0, hi = n - 1;
    const std::int64_t w = image_.width(), h = image_.height();
    const bool inside =
        x1 >= 0 && x1 < w && y1 >= 0 && y1 < h && x2 >= 0 && x2 < w && y2 >= 0 && y2 < h;
    if (!inside) {
        // The steps whose major coordinate lies in the image.
        lo = std::max<Wide>(lo, sa > 0 ? -a1 : a1 - aMax);
        hi = std::min<Wide>(hi, sa > 0 ? aMax - a1 : a1);
        // The minor offsets that lie in the image, and the steps that reach them (k rises
        // with i).
        const Wide kLo = std::max<Wide>(0, sb > 0 ? -b1 : b1 - bMax);
        const Wide kHi = std::min<Wide>(m, sb > 0 ? bMax - b1 : b1);
        if (kLo > kHi)
            return;
        if (m > 0) {
            lo = std::max(lo, ceilDiv(2 * Wide{n} * kLo - n, 2 * Wide{m}));
            hi = std::min(hi, ceilDiv(2 * Wide{n} * (kHi + 1) - n, 2 * Wide{m}) - 1);
        }
        if (lo > hi)
            return;
    }

    // Walk the pixels by their offset in the image: one step along the major axis per pixel,
    // one along the minor axis whenever the rounded minor offset grows.
    std::int64_t k = 0;
    std::int64_t rem = n;
    if (lo != 0) {
        const Wide start = 2 * lo * m + n;
        k = static_cast<std::int64_t>(start / (2 * Wide{n}));
        rem = static_cast<std::int64_t>(start % (2 * Wide{n}));
    }
    const auto first = static_cast<std::int64_t>(lo);
    const auto count = static_cast<std::int64_t>(hi - lo) + 1;
    const std::int64_t a = a1 + sa * first;
    const std::int64_t b = b1 + sb * k;
    const std::int64_t x = xMajor ? a : b;
    const std::int64_t y = xMajor ? b : a;
    const qsizetype stride = image_.bytesPerLine() / static_cast<qsizetype>(sizeof(QRgb));
    QRgb* const pixels = reinterpret_cast<QRgb*>(image_.bits());
    std::int64_t at = y * stride + x;
    const std::int64_t stepA = xMajor ? sa : sa * stride;
    const std::int64_t stepB = xMajor ? sb * stride : sb;
    const std::int64_t twoM = 2 * m, twoN = 2 * n;
    for (std::int64_t i = 0; i < count; ++i) {
        pixels[at] = color;
        at += stepA;
        rem += twoM;
        if (rem >= twoN) {
            rem -= twoN;
            at += stepB;
        }
    }
}

void QtCanvas::fill(std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2,
                    QRgb color) {
    x1 = std::max<std::int64_t>(x1, 0);
    y1 = std::max<std::int64_t>(y1, 0);
    x2 = std::min<std::int64_t>(x2, image_.width());
    y2 = std::min<std::int64_t>(y2, image_.height());
    if (x1 >= x2 || y1 >= y2)
        return;
    uchar* bits = image_.bits();
    const qsizetype stride = image_.bytesPerLine();
    for (std::int64_t y = y1; y < y2; ++y) {
        QRgb* row = reinterpret_cast<QRgb*>(bits + y * stride);
        std::fill(row + x1, row + x2, color);
    }
}

void QtCanvas::line(int x1, int y1, int x2, int y2) {
    rasterLine(x1, y1, x2, y2, pen_);
}

void QtCanvas::rectangle(int x1, int y1, int x2, int y2) {
    std::int64_t l = std::min(x1, x2), r = std::max(x1, x2);
    std::int64_t t = std::min(y1, y2), b = std::max(y1, y2);
    if (l == r || t == b)
        return;
    if (!brushTransparent_)
        fill(l, t, r, b, brush_);
    // The outline lies on the rectangle's outermost pixels.
    fill(l, t, r, t + 1, pen_);
    fill(l, b - 1, r, b, pen_);
    fill(l, t, l + 1, b, pen_);
    fill(r - 1, t, r, b, pen_);
}

void QtCanvas::fillRect(int x1, int y1, int x2, int y2) {
    if (brushTransparent_)
        return; // a hollow brush fills nothing
    fill(std::min(x1, x2), std::min(y1, y2), std::max(x1, x2), std::max(y1, y2), brush_);
}

void QtCanvas::polygon(std::span<const Point> points) {
    if (points.empty())
        return;
    if (!brushTransparent_ && points.size() >= 3) {
        // Integer points are pixel centres: the pixels whose centres lie inside are filled.
        QPolygonF shape;
        shape.reserve(static_cast<qsizetype>(points.size()));
        for (const Point& p : points)
            shape << QPointF(p.x + 0.5, p.y + 0.5);
        QPainter& p = painter();
        p.setPen(Qt::NoPen);
        p.setBrush(QColor::fromRgb(brush_));
        p.drawPolygon(shape, Qt::OddEvenFill);
    }
    for (std::size_t i = 0; i < points.size(); ++i) {
        const Point& a = points[i];
        const Point& b = points[(i + 1) % points.size()];
        rasterLine(a.x, a.y, b.x, b.y, pen_);
    }
}

void QtCanvas::polyline(std::span<const Point> points) {
    for (std::size_t i = 1; i < points.size(); ++i)
        rasterLine(points[i - 1].x, points[i - 1].y, points[i].x, points[i].y, pen_);
}

void QtCanvas::arc(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) {
    const QRect box(QPoint(std::min(x1, x2), std::min(y1, y2)),
                    QPoint(std::max(x1, x2) - 1, std::max(y1, y2) - 1));
    if (box.width() < 1 || box.height() < 1)
        return;
    const double cx = (x1 + x2) / 2.0;
    const double cy = (y1 + y2) / 2.0;
    const double from = rayAngle(cx, cy, x3, y3);
    double span = rayAngle(cx, cy, x4, y4) - from;
    while (span <= 0)
        span += 360.0; // equal rays draw the whole ellipse
    QPainter& p = painter();
    p.setPen(QPen(QColor::fromRgb(pen_), 0));
    p.setBrush(Qt::NoBrush);
    // The stroked box is one pixel larger than the rectangle given to Qt.
    p.drawArc(box.adjusted(0, 0, -1, -1), static_cast<int>(std::lround(from * 16)),
              static_cast<int>(std::lround(span * 16)));
}

void QtCanvas::ellipse(int x1, int y1, int x2, int y2) {
    const QRect box(QPoint(std::min(x1, x2), std::min(y1, y2)),
                    QPoint(std::max(x1, x2) - 1, std::max(y1, y2) - 1));
    if (box.width() < 1 || box.height() < 1)
        return;
    QPainter& p = painter();
    p.setPen(QPen(QColor::fromRgb(pen_), 0));
    if (brushTransparent_)
        p.setBrush(Qt::NoBrush);
    else
        p.setBrush(QColor::fromRgb(brush_));
    p.drawEllipse(box.adjusted(0, 0, -1, -1));
}

void QtCanvas::pixel(int x, int y, std::uint32_t color) {
    if (x < 0 || y < 0 || x >= image_.width() || y >= image_.height())
        return;
    reinterpret_cast<QRgb*>(image_.scanLine(y))[x] = toQRgb(color);
}

void QtCanvas::text(int x, int y, std::string_view utf8) {
    const QString s = fromUtf8(utf8);
    const QFontMetrics& fm = metrics();
    if (!brushTransparent_)
        fill(x, y, std::int64_t{x} + fm.horizontalAdvance(s), std::int64_t{y} + fm.height(),
             brush_);
    QPainter& p = painter();
    p.setFont(font_);
    p.setPen(QColor::fromRgb(fontColor_));
    p.drawText(x, y + fm.ascent(), s);
}

int QtCanvas::textWidth(std::string_view utf8) {
    return metrics().horizontalAdvance(fromUtf8(utf8));
}

int QtCanvas::width() const {
    return image_.width();
}

int QtCanvas::height() const {
    return image_.height();
}

} // namespace qs40
