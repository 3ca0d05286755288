// The oscillogram's paint box (Image_M): shows the off-screen bitmap as it is and passes the
// mouse on to the plot's mouse logic.
#pragma once

#include "display/mouse_logic.h"

#include <QImage>
#include <QWidget>

#include <functional>

namespace qs40 {

class PaintBox : public QWidget {
    Q_OBJECT
public:
    explicit PaintBox(QWidget* parent = nullptr);

    // The off-screen bitmap. Painting copies it to the box at (0, 0); nothing is redrawn.
    QImage& bitmap() { return bitmap_; }
    const QImage& bitmap() const { return bitmap_; }

    std::function<void(const MouseEvent&)> onPress;
    std::function<void(const MouseEvent&)> onMove;
    std::function<void()> onRelease;
    // Runs before the press that a double click delivers in place of its second press.
    std::function<void()> onDoubleClick;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    QImage bitmap_;
};

} // namespace qs40
