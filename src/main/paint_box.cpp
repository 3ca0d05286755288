#include "main/paint_box.h"

#include <QMouseEvent>
#include <QPainter>

namespace qs40 {
namespace {

MouseEvent toMouseEvent(const QMouseEvent& e) {
    MouseEvent m;
    const QPoint p = e.position().toPoint();
    m.x = p.x();
    m.y = p.y();
    m.buttons.left = e.buttons().testFlag(Qt::LeftButton);
    m.buttons.right = e.buttons().testFlag(Qt::RightButton);
    return m;
}

} // namespace

PaintBox::PaintBox(QWidget* parent) : QWidget(parent) {
    // Every pixel comes from the bitmap: Qt need not clear the box first.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void PaintBox::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(0, 0, bitmap_);
}

void PaintBox::mousePressEvent(QMouseEvent* event) {
    if (onPress)
        onPress(toMouseEvent(*event));
}

void PaintBox::mouseMoveEvent(QMouseEvent* event) {
    if (onMove)
        onMove(toMouseEvent(*event));
}

void PaintBox::mouseReleaseEvent(QMouseEvent*) {
    if (onRelease)
        onRelease();
}

void PaintBox::mouseDoubleClickEvent(QMouseEvent* event) {
    if (onDoubleClick)
        onDoubleClick();
    mousePressEvent(event);
}

} // namespace qs40
