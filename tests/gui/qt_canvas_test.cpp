#include "main/qt_canvas.h"

#include <QFontInfo>

#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <random>
#include <set>
#include <utility>
#include <vector>

namespace qs40 {
namespace {

constexpr std::uint32_t kRed = 0x0000FF; // 0x00BBGGRR
constexpr std::uint32_t kGreen = 0x00FF00;
constexpr std::uint32_t kBlue = 0xFF0000;
constexpr QRgb kWhite = 0xFFFFFFFF;

QImage blank(int w = 64, int h = 48) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(kWhite);
    return image;
}

// The pixels of the image that are not white.
std::set<std::pair<int, int>> painted(const QImage& image) {
    std::set<std::pair<int, int>> out;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != kWhite)
                out.insert({x, y});
    return out;
}

// The line rule written out step by step: one pixel per step along the longer axis, the other
// coordinate rounded half up, the end point left out.
std::set<std::pair<int, int>> referenceLine(int x1, int y1, int x2, int y2, int w, int h) {
    std::set<std::pair<int, int>> out;
    const long dx = x2 - x1, dy = y2 - y1;
    const long n = std::max(std::labs(dx), std::labs(dy));
    const long m = std::min(std::labs(dx), std::labs(dy));
    const bool xMajor = std::labs(dx) >= std::labs(dy);
    for (long i = 0; i < n; ++i) {
        const long k = (2 * i * m + n) / (2 * n);
        const long x = xMajor ? x1 + (dx > 0 ? i : -i) : x1 + (dx > 0 ? k : -k);
        const long y = xMajor ? y1 + (dy > 0 ? k : -k) : y1 + (dy > 0 ? i : -i);
        if (x >= 0 && y >= 0 && x < w && y < h)
            out.insert({static_cast<int>(x), static_cast<int>(y)});
    }
    return out;
}

TEST(QtCanvas, ColoursHaveRedInTheLowByte) {
    QImage image = blank();
    {
        QtCanvas canvas(image);
        canvas.pixel(1, 1, kRed);
        canvas.pixel(2, 1, kGreen);
        canvas.pixel(3, 1, kBlue);
        canvas.pixel(4, 1, 0x123456);
        canvas.pixel(-1, 1, kRed); // outside: ignored
        canvas.pixel(64, 1, kRed);
    }
    EXPECT_EQ(image.pixel(1, 1), qRgb(255, 0, 0));
    EXPECT_EQ(image.pixel(2, 1), qRgb(0, 255, 0));
    EXPECT_EQ(image.pixel(3, 1), qRgb(0, 0, 255));
    EXPECT_EQ(image.pixel(4, 1), qRgb(0x56, 0x34, 0x12));
    EXPECT_EQ(painted(image).size(), 4u);
}

TEST(QtCanvas, LinesLeaveOutTheirEndPoint) {
    using Pixels = std::set<std::pair<int, int>>;
    const struct {
        std::array<int, 4> line;
        Pixels expected;
    } cases[] = {
        {{2, 3, 7, 3}, {{2, 3}, {3, 3}, {4, 3}, {5, 3}, {6, 3}}},
        {{7, 3, 2, 3}, {{7, 3}, {6, 3}, {5, 3}, {4, 3}, {3, 3}}},
        {{5, 10, 5, 11}, {{5, 10}}}, // a one-pixel trace segment
        {{5, 10, 5, 7}, {{5, 10}, {5, 9}, {5, 8}}},
        {{0, 0, 4, 4}, {{0, 0}, {1, 1}, {2, 2}, {3, 3}}},
        {{0, 0, 4, 2}, {{0, 0}, {1, 1}, {2, 1}, {3, 2}}},
        {{9, 9, 9, 9}, {}},
    };
    for (const auto& c : cases) {
        QImage image = blank();
        QtCanvas canvas(image);
        canvas.setPenColor(kRed);
        canvas.line(c.line[0], c.line[1], c.line[2], c.line[3]);
        canvas.finish();
        EXPECT_EQ(painted(image), c.expected)
            << c.line[0] << "," << c.line[1] << " " << c.line[2] << "," << c.line[3];
        for (const auto& [x, y] : painted(image))
            EXPECT_EQ(image.pixel(x, y), qRgb(255, 0, 0));
    }
}

TEST(QtCanvas, ClippedLinesKeepTheirPixels) {
    // Lines reaching far outside the image set exactly the pixels of the whole line that fall
    // inside it.
    std::mt19937 rng(11);
    std::uniform_int_distribution<int> wide(-60, 120);
    std::uniform_int_distribution<int> inside(0, 47);
    for (int t = 0; t < 600; ++t) {
        // Every other line lies wholly inside the image.
        auto coord = [&](std::mt19937& g) { return t % 2 ? inside(g) : wide(g); };
        const int x1 = coord(rng), y1 = coord(rng), x2 = coord(rng), y2 = coord(rng);
        QImage image = blank();
        QtCanvas canvas(image);
        canvas.setPenColor(kRed);
        canvas.line(x1, y1, x2, y2);
        canvas.finish();
        ASSERT_EQ(painted(image), referenceLine(x1, y1, x2, y2, 64, 48))
            << x1 << "," << y1 << " " << x2 << "," << y2;
    }
}

TEST(QtCanvas, LinesOfAnyLengthAreClipped) {
    QImage image = blank();
    QtCanvas canvas(image);
    canvas.setPenColor(kRed);
    canvas.line(INT_MIN, 5, INT_MAX, 5);
    canvas.line(-(1 << 30), -(1 << 30), 1 << 30, 1 << 30);
    canvas.line(INT_MIN, INT_MIN, INT_MAX, INT_MIN); // entirely above
    canvas.finish();
    std::set<std::pair<int, int>> expected;
    for (int x = 0; x < 64; ++x)
        expected.insert({x, 5});
    for (int i = 0; i < 48; ++i)
        expected.insert({i, i});
    EXPECT_EQ(painted(image), expected);
}

TEST(QtCanvas, RectanglesExcludeTheirRightAndBottomEdges) {
    QImage image = blank();
    {
        QtCanvas canvas(image);
        canvas.setPenColor(kRed);
        canvas.setBrushColor(kGreen);
        canvas.rectangle(2, 2, 7, 6); // outline red, inside green
        canvas.fillRect(10, 2, 13, 4);
        canvas.setBrushTransparent();
        canvas.rectangle(20, 2, 25, 6); // outline only
        canvas.fillRect(30, 2, 33, 4);  // nothing: a transparent brush fills nothing
    }
    const QRgb red = qRgb(255, 0, 0), green = qRgb(0, 255, 0);
    for (int y = 2; y < 6; ++y)
        for (int x = 2; x < 7; ++x) {
            const bool edge = x == 2 || x == 6 || y == 2 || y == 5;
            EXPECT_EQ(image.pixel(x, y), edge ? red : green) << x << "," << y;
        }
    EXPECT_EQ(image.pixel(7, 3), kWhite);
    EXPECT_EQ(image.pixel(3, 6), kWhite);
    for (int y = 2; y < 4; ++y)
        for (int x = 10; x < 13; ++x)
            EXPECT_EQ(image.pixel(x, y), green);
    EXPECT_EQ(image.pixel(13, 2), kWhite);
    EXPECT_EQ(image.pixel(10, 4), kWhite);
    EXPECT_EQ(image.pixel(20, 2), red);
    EXPECT_EQ(image.pixel(24, 5), red);
    EXPECT_EQ(image.pixel(22, 4), kWhite);
    EXPECT_EQ(image.pixel(31, 3), kWhite);
}

TEST(QtCanvas, PolygonIsFilledInsideItsOutline) {
    QImage image = blank();
    {
        QtCanvas canvas(image);
        canvas.setPenColor(kRed);
        canvas.setBrushColor(kGreen);
        const std::array<Point, 3> triangle{{{10, 10}, {30, 10}, {10, 30}}};
        canvas.polygon(triangle);
    }
    const QRgb red = qRgb(255, 0, 0), green = qRgb(0, 255, 0);
    for (const auto& [x, y] : painted(image)) {
        EXPECT_GE(x, 10);
        EXPECT_GE(y, 10);
        EXPECT_LE(x + y, 40) << x << "," << y; // nothing beyond the hypotenuse
    }
    EXPECT_EQ(image.pixel(10, 10), red);
    EXPECT_EQ(image.pixel(30, 10), red);
    EXPECT_EQ(image.pixel(10, 30), red);
    EXPECT_EQ(image.pixel(20, 10), red);
    EXPECT_EQ(image.pixel(20, 20), red);
    EXPECT_EQ(image.pixel(15, 15), green);
    EXPECT_EQ(image.pixel(11, 28), green);
}

TEST(QtCanvas, PolylineLeavesOutItsLastPoint) {
    QImage image = blank();
    {
        QtCanvas canvas(image);
        canvas.setPenColor(kBlue);
        const std::array<Point, 3> path{{{1, 1}, {5, 1}, {5, 4}}};
        canvas.polyline(path);
    }
    const std::set<std::pair<int, int>> expected{{1, 1}, {2, 1}, {3, 1}, {4, 1},
                                                 {5, 1}, {5, 2}, {5, 3}};
    EXPECT_EQ(painted(image), expected);
}

TEST(QtCanvas, EllipseFillsItsBoxWithoutTheRightAndBottomEdges) {
    QImage image = blank();
    {
        QtCanvas canvas(image);
        canvas.setPenColor(kRed);
        canvas.setBrushColor(kGreen);
        canvas.ellipse(10, 10, 31, 31);
    }
    const auto pixels = painted(image);
    int minX = 99, maxX = 0, minY = 99, maxY = 0;
    for (const auto& [x, y] : pixels) {
        minX = std::min(minX, x);
        maxX = std::max(maxX, x);
        minY = std::min(minY, y);
        maxY = std::max(maxY, y);
        // Nothing blended: the outline in the pen's colour, the inside in the brush's.
        const QRgb c = image.pixel(x, y);
        EXPECT_TRUE(c == qRgb(255, 0, 0) || c == qRgb(0, 255, 0)) << x << "," << y;
    }
    EXPECT_EQ(image.pixel(10, 20), qRgb(255, 0, 0));
    EXPECT_EQ(image.pixel(20, 20), qRgb(0, 255, 0));
    EXPECT_EQ(minX, 10);
    EXPECT_EQ(maxX, 30);
    EXPECT_EQ(minY, 10);
    EXPECT_EQ(maxY, 30);
    EXPECT_EQ(image.pixel(20, 20), qRgb(0, 255, 0));
    EXPECT_EQ(image.pixel(10, 20), qRgb(255, 0, 0));
    EXPECT_EQ(image.pixel(11, 11), kWhite); // outside the curve, inside the box
}

TEST(QtCanvas, ArcRunsCounterClockwiseFromStartRayToEndRay) {
    // Circle of the box (0, 0)-(41, 41), centre (20.5, 20.5) in Windows terms.
    struct Case {
        Point start, end;
        bool upperRight, upperLeft, lowerLeft, lowerRight; // quadrants touched
    };
    const Case cases[] = {
        // From the ray to the right to the ray upwards: the upper right quarter.
        {{40, 20}, {20, 0}, true, false, false, false},
        // The other way round: the remaining three quarters.
        {{20, 0}, {40, 20}, false, true, true, true},
        // From the ray downwards to the ray to the right: the lower right quarter.
        {{20, 40}, {40, 20}, false, false, false, true},
    };
    for (const Case& c : cases) {
        QImage image = blank(48, 48);
        {
            QtCanvas canvas(image);
            canvas.setPenColor(kRed);
            canvas.arc(0, 0, 41, 41, c.start.x, c.start.y, c.end.x, c.end.y);
        }
        bool touched[4] = {};
        for (const auto& [x, y] : painted(image)) {
            // Away from the axes, so that the ends of the arc do not count.
            if (std::abs(x - 20) < 4 || std::abs(y - 20) < 4)
                continue;
            touched[y < 20 ? (x > 20 ? 0 : 1) : (x < 20 ? 2 : 3)] = true;
        }
        EXPECT_EQ(touched[0], c.upperRight) << c.start.x << "," << c.start.y;
        EXPECT_EQ(touched[1], c.upperLeft) << c.start.x << "," << c.start.y;
        EXPECT_EQ(touched[2], c.lowerLeft) << c.start.x << "," << c.start.y;
        EXPECT_EQ(touched[3], c.lowerRight) << c.start.x << "," << c.start.y;
    }
}

TEST(QtCanvas, TextIsDrawnWithoutAntialiasingOnItsBrushBox) {
    QImage image = blank(200, 40);
    int width = 0;
    {
        QtCanvas canvas(image);
        canvas.setFont("MS Sans Serif", 13);
        canvas.setFontColor(kRed);
        canvas.setBrushColor(kBlue);
        width = canvas.textWidth("Vpp = 1.00 V");
        canvas.text(5, 4, "Vpp = 1.00 V");
        EXPECT_GT(canvas.textWidth("Vpp = 1.00 V  "), width);
        EXPECT_GT(canvas.textWidth("Недостаточно"), 0);
    }
    ASSERT_GT(width, 30);
    int glyph = 0;
    for (const auto& [x, y] : painted(image)) {
        const QRgb c = image.pixel(x, y);
        ASSERT_TRUE(c == qRgb(255, 0, 0) || c == qRgb(0, 0, 255)) << x << "," << y;
        glyph += c == qRgb(255, 0, 0);
        EXPECT_GE(x, 5);
        EXPECT_LT(x, 5 + width);
        EXPECT_GE(y, 4);
    }
    EXPECT_GT(glyph, 20);
    EXPECT_EQ(image.pixel(5, 4), qRgb(0, 0, 255)); // the box behind the text

    QImage clear = blank(200, 40);
    {
        QtCanvas canvas(clear);
        canvas.setFont("Arial", 10);
        canvas.setFontColor(kRed);
        canvas.setBrushTransparent();
        canvas.text(5, 4, "Arial 10");
    }
    for (const auto& [x, y] : painted(clear))
        ASSERT_EQ(clear.pixel(x, y), qRgb(255, 0, 0));
    EXPECT_FALSE(painted(clear).empty());
}

TEST(QtCanvas, WindowsFamiliesFindASansFont) {
    QImage image = blank();
    QtCanvas canvas(image); // installs the substitutes
    // The install script brings Liberation Sans, the first substitute, metric-compatible with
    // Arial; DejaVu Sans is only the fallback where it is missing.
    for (const char* family : {"MS Sans Serif", "Arial"}) {
        const QString found = QFontInfo(QFont(QString::fromLatin1(family))).family();
        EXPECT_EQ(found.toStdString(), "Liberation Sans") << family;
    }
}

TEST(QtCanvas, PainterAndDirectWritesMixInOrder) {
    QImage image = blank();
    QtCanvas canvas(image);
    canvas.setPenColor(kRed);
    canvas.setBrushColor(kGreen);
    const std::array<Point, 4> square{{{0, 0}, {20, 0}, {20, 20}, {0, 20}}};
    canvas.polygon(square); // through the painter
    canvas.setBrushColor(kBlue);
    canvas.fillRect(5, 5, 10, 10); // straight into the image, over it
    canvas.ellipse(4, 4, 12, 12);  // through the painter again, over that
    canvas.finish();
    EXPECT_EQ(image.pixel(15, 15), qRgb(0, 255, 0));
    EXPECT_EQ(image.pixel(8, 4), qRgb(255, 0, 0)); // the ellipse's outline
    EXPECT_EQ(image.pixel(8, 8), qRgb(0, 0, 255));

    // After finish() the image may change size; drawing starts again on the new one.
    image = blank(100, 10);
    canvas.setPenColor(kRed);
    canvas.line(0, 9, 100, 9);
    canvas.finish();
    EXPECT_EQ(canvas.width(), 100);
    EXPECT_EQ(painted(image).size(), 100u);
}

TEST(QtCanvas, OtherImageFormatsAreConvertedFirst) {
    QImage image(8, 8, QImage::Format_RGB888);
    image.fill(Qt::white);
    {
        QtCanvas canvas(image);
        canvas.setPenColor(kGreen);
        canvas.line(0, 0, 8, 0);
    }
    EXPECT_EQ(image.format(), QImage::Format_RGB32);
    EXPECT_EQ(image.pixel(7, 0), qRgb(0, 255, 0));
}

} // namespace
} // namespace qs40
