#include "main/glyphs.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <cmath>
#include <numbers>

namespace qs40 {
namespace {

constexpr int kWidth = 24;
constexpr int kHeight = 16;

using Draw = void (*)(QPainter&);

QPixmap picture(Draw draw) {
    QPixmap pixmap(kWidth, kHeight);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0, 0, 0), 1.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    draw(p);
    return pixmap;
}

void sine(QPainter& p) {
    QPainterPath path;
    for (int x = 2; x <= kWidth - 2; ++x) {
        const double y = 8 - 5 * std::sin((x - 2) * 2 * std::numbers::pi / (kWidth - 4));
        if (x == 2)
            path.moveTo(x, y);
        else
            path.lineTo(x, y);
    }
    p.drawPath(path);
}

void rectangle(QPainter& p) {
    const QPointF points[] = {{2, 13}, {2, 3}, {12, 3}, {12, 13}, {22, 13}, {22, 3}};
    p.drawPolyline(points, 6);
}

void risingSaw(QPainter& p) {
    const QPointF points[] = {{2, 13}, {12, 3}, {12, 13}, {22, 3}, {22, 13}};
    p.drawPolyline(points, 5);
}

void fallingSaw(QPainter& p) {
    const QPointF points[] = {{2, 13}, {2, 3}, {12, 13}, {12, 3}, {22, 13}};
    p.drawPolyline(points, 5);
}

void triangle(QPainter& p) {
    const QPointF points[] = {{2, 13}, {7, 3}, {12, 13}, {17, 3}, {22, 13}};
    p.drawPolyline(points, 5);
}

void edge(QPainter& p, bool rising) {
    const double low = 13, high = 3;
    const QPointF points[] = {{3, rising ? low : high},
                              {12, rising ? low : high},
                              {12, rising ? high : low},
                              {21, rising ? high : low}};
    p.drawPolyline(points, 4);
    const double tip = rising ? 5 : 11;
    const double back = rising ? 9 : 7;
    const QPointF arrow[] = {{9, back}, {12, tip}, {15, back}};
    p.drawPolyline(arrow, 3);
}

void risingEdge(QPainter& p) {
    edge(p, true);
}
void fallingEdge(QPainter& p) {
    edge(p, false);
}

// A "T" with an arrow pointing at it.
void returnToTrigger(QPainter& p) {
    p.drawLine(QPointF(15, 3), QPointF(21, 3));
    p.drawLine(QPointF(18, 3), QPointF(18, 13));
    p.drawLine(QPointF(3, 8), QPointF(13, 8));
    const QPointF arrow[] = {{10, 5}, {13, 8}, {10, 11}};
    p.drawPolyline(arrow, 3);
}

void dc(QPainter& p) {
    p.drawLine(QPointF(5, 6), QPointF(19, 6));
    QPen dashed = p.pen();
    dashed.setDashPattern({2, 2});
    p.setPen(dashed);
    p.drawLine(QPointF(5, 10), QPointF(19, 10));
}

void ac(QPainter& p) {
    QPainterPath path;
    path.moveTo(4, 9);
    path.cubicTo(8, 2, 10, 2, 12, 8);
    path.cubicTo(14, 14, 16, 14, 20, 7);
    p.drawPath(path);
}

QIcon twoState(Draw off, Draw on) {
    QIcon icon;
    icon.addPixmap(picture(off), QIcon::Normal, QIcon::Off);
    icon.addPixmap(picture(on), QIcon::Normal, QIcon::On);
    return icon;
}

} // namespace

QIcon glyphIcon(Glyph glyph) {
    switch (glyph) {
    case Glyph::Sine:
        return QIcon(picture(sine));
    case Glyph::Rectangle:
        return QIcon(picture(rectangle));
    case Glyph::RisingSaw:
        return QIcon(picture(risingSaw));
    case Glyph::FallingSaw:
        return QIcon(picture(fallingSaw));
    case Glyph::Triangle:
        return QIcon(picture(triangle));
    case Glyph::TriggerEdge:
        return twoState(risingEdge, fallingEdge);
    case Glyph::ReturnToTrigger:
        return QIcon(picture(returnToTrigger));
    case Glyph::Coupling:
        return twoState(dc, ac);
    }
    return {};
}

} // namespace qs40
